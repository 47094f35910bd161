// The byte order values are stored in, and what a reader refuses: the add-on's
// stored records are read back on other machines, where no scenario here runs.
#include <gtest/gtest.h>

#include <vector>

#include "IO/MemoryChannel.hpp"
#include "PK/Channel.hpp"
#include "PK/Object.hpp"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes BytesOf(const IO::MemoryOChannel32& oc) {
    const auto* p = reinterpret_cast<const unsigned char*>(oc.GetDestination());
    return Bytes(p, p + oc.GetDataSize());
}

const PK::ClassInfo recordInfo("Test::Record", PK::Guid("AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE"),
                               PK::ClassVersion(1, 0));

}  // namespace

TEST(Channels, NumbersAreLittleEndianUnlessTheRecordsSignSaysBigEndianAndAnUnknownSignIsRefused) {
    IO::MemoryOChannel32 little;
    little.Write(PK::UInt32(0x01020304));
    little.Write(PK::UniString("A"));
    EXPECT_EQ(BytesOf(little), (Bytes{0x04, 0x03, 0x02, 0x01, 0x01, 0x00, 0x00, 0x00, 'A', 0x00}));

    IO::MemoryOChannel32 big;
    ASSERT_EQ(IO::SetPlatformOProtocol(big, IO::PlatformSignBigEndian), PK::NoError);
    big.Write(PK::UInt32(0x01020304));
    EXPECT_EQ(BytesOf(big), (Bytes{0x01, 0x02, 0x03, 0x04}));
    IO::MemoryIChannel32 ic(nullptr, 0);
    EXPECT_EQ(IO::SetPlatformIProtocol(ic, 0x1234), PK::BadData);
}

TEST(Channels, ABadBoolAnOverlongCountOrAFrameOfAnotherLengthIsBadDataAndNothingIsReadPastAFrame) {
    const unsigned char badBool[] = {2};
    IO::MemoryIChannel32 ic(badBool, sizeof badBool);
    bool flag = false;
    EXPECT_EQ(ic.Read(flag), PK::BadData);

    IO::MemoryOChannel32 array;
    {
        PK::OutputFrame frame(array, PK::arrayClassInfo);
        array.Write(PK::UInt32(1000000));
    }
    IO::MemoryIChannel32 ic2(array.GetDestination(), array.GetDataSize());
    PK::Array<PK::Int32> items;
    EXPECT_EQ(ic2.Read(items), PK::BadData);

    IO::MemoryOChannel32 oc;
    {
        PK::OutputFrame frame(oc, recordInfo);
        oc.Write(PK::Int16(1));
    }
    oc.Write(PK::Int16(2));
    const Bytes bytes = BytesOf(oc);
    IO::MemoryIChannel32 ic3(bytes.data(), bytes.size());
    PK::InputFrame frame(ic3, recordInfo);
    PK::Int32 tooWide = 0;
    EXPECT_EQ(ic3.Read(tooWide), PK::EndOfInput) << "the record cannot read past its frame";

    // A frame that claims more bytes than there are is refused.
    IO::MemoryIChannel32 cut(bytes.data(), bytes.size() - 3);
    PK::FrameBytes taken;
    EXPECT_EQ(PK::TakeFrame(cut, taken), PK::BadData);
}
