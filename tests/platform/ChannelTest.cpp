#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
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

const PK::ClassInfo outerInfo("Test::Outer", PK::Guid("11111111-2222-3333-4444-555555555555"), PK::ClassVersion(1, 0));
const PK::ClassInfo innerV1("Test::Inner", PK::Guid("AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE"), PK::ClassVersion(1, 0));

struct Values {
    bool flag = false;
    PK::Int8 i8 = 0;
    PK::UInt8 u8 = 0;
    PK::Int16 i16 = 0;
    PK::UInt16 u16 = 0;
    PK::Int32 i32 = 0;
    PK::UInt32 u32 = 0;
    PK::Int64 i64 = 0;
    PK::UInt64 u64 = 0;
    double real = 0;
    PK::UniString text;
    PK::Guid guid;

    PKErrCode Write(PK::OChannel& oc) const {
        for (PKErrCode err :
             {oc.Write(flag), oc.Write(i8), oc.Write(u8), oc.Write(i16), oc.Write(u16), oc.Write(i32), oc.Write(u32),
              oc.Write(i64), oc.Write(u64), oc.Write(real), oc.Write(text), oc.Write(guid)})
            if (err != PK::NoError) return err;
        return oc.GetOutputStatus();
    }
    PKErrCode Read(PK::IChannel& ic) {
        for (PKErrCode err : {ic.Read(flag), ic.Read(i8), ic.Read(u8), ic.Read(i16), ic.Read(u16), ic.Read(i32),
                              ic.Read(u32), ic.Read(i64), ic.Read(u64), ic.Read(real), ic.Read(text), ic.Read(guid)})
            if (err != PK::NoError) return err;
        return ic.GetInputStatus();
    }
    bool operator==(const Values&) const = default;
};

Values SampleValues() {
    Values v;
    v.flag = true;
    v.i8 = -5;
    v.u8 = 250;
    v.i16 = -12345;
    v.u16 = 0xBEEF;
    v.i32 = -2130313013;
    v.u32 = 0xDEADBEEF;
    v.i64 = -(PK::Int64(1) << 40);
    v.u64 = 0x0123456789ABCDEFull;
    v.real = -1.25e-3;
    v.text = PK::UniString(u"Wand \"Süd\" \U0001F600");
    v.guid = PK::Guid("E20E9A78-B868-4030-A4CA-73AF7A3BA727");
    return v;
}

// A source that lends no memory: every byte goes through GetBytes.
class StreamedIChannel : public PK::IChannel {
public:
    explicit StreamedIChannel(Bytes bytes) : _bytes(std::move(bytes)) {}

protected:
    PKErrCode GetBytes(void* data, PK::USize size) override {
        if (size > _bytes.size() - _offset) return PK::EndOfInput;
        std::memcpy(data, _bytes.data() + _offset, size);
        _offset += size;
        return PK::NoError;
    }

private:
    Bytes _bytes;
    PK::USize _offset = 0;
};

// Read from memory lent to the channel and from a source that lends none.
TEST(Channels, EveryValueKindRoundTripsInBothByteOrdersFromMemoryOrAStream) {
    for (PK::UInt16 sign : {IO::PlatformSignLittleEndian, IO::PlatformSignWindows, IO::PlatformSignBigEndian}) {
        SCOPED_TRACE(sign);
        IO::MemoryOChannel32 oc;
        ASSERT_EQ(IO::SetPlatformOProtocol(oc, sign), PK::NoError);
        const Values written = SampleValues();
        const PK::UniString longText(u'\u00e9', 1000);  // longer than one encoding chunk
        ASSERT_EQ(written.Write(oc), PK::NoError);
        ASSERT_EQ(oc.Write(longText), PK::NoError);

        IO::MemoryIChannel32 memory(oc.GetDestination(), oc.GetDataSize());
        StreamedIChannel stream(BytesOf(oc));
        for (PK::IChannel* ic : {static_cast<PK::IChannel*>(&memory), static_cast<PK::IChannel*>(&stream)}) {
            ASSERT_EQ(IO::SetPlatformIProtocol(*ic, sign), PK::NoError);
            Values read;
            PK::UniString text;
            ASSERT_EQ(read.Read(*ic), PK::NoError);
            ASSERT_EQ(ic->Read(text), PK::NoError);
            EXPECT_EQ(read, written);
            EXPECT_EQ(text, longText);
            PK::UInt8 more = 0;
            EXPECT_EQ(ic->Read(more), PK::EndOfInput);
        }
    }

    IO::MemoryOChannel32 bounded(6, 0, IO::MemoryOChannel32::FixedSize);
    EXPECT_EQ(bounded.Write(PK::UInt32(1)), PK::NoError);
    EXPECT_EQ(bounded.Write(PK::UInt32(2)), PK::Error);
    EXPECT_EQ(bounded.GetDataSize(), 4u);
}

TEST(Channels, NumbersAreLittleEndianByDefaultWhateverTheMachine) {
    IO::MemoryOChannel32 oc;
    oc.Write(PK::UInt32(0x01020304));
    oc.Write(PK::UniString("A"));
    EXPECT_EQ(BytesOf(oc), (Bytes{0x04, 0x03, 0x02, 0x01, 0x01, 0x00, 0x00, 0x00, 'A', 0x00}));

    IO::MemoryOChannel32 big;
    IO::SetPlatformOProtocol(big, IO::PlatformSignBigEndian);
    big.Write(PK::UInt32(0x01020304));
    EXPECT_EQ(BytesOf(big), (Bytes{0x01, 0x02, 0x03, 0x04}));
    EXPECT_EQ(IO::SetPlatformIProtocol(*std::make_unique<IO::MemoryIChannel32>(nullptr, 0), 0x1234), PK::BadData);
}

TEST(Channels, BadInputIsRefusedWithoutHugeAllocationsLeavingTargetsAndStickingToTheChannel) {
    const unsigned char data[] = {0x2A, 0x00};
    IO::MemoryIChannel32 ic(data, sizeof data);
    PK::Int32 value = 7;
    EXPECT_EQ(ic.Read(value), PK::EndOfInput);
    EXPECT_EQ(value, 7);
    PK::UInt8 small = 9;
    EXPECT_EQ(ic.Read(small), PK::EndOfInput) << "a failed channel reads nothing more";
    EXPECT_EQ(small, 9);

    const unsigned char hugeString[] = {0xFF, 0xFF, 0xFF, 0x7F, 'a', 0};
    IO::MemoryIChannel32 ic1(hugeString, sizeof hugeString);
    PK::UniString text("kept");
    EXPECT_NE(ic1.Read(text), PK::NoError);
    EXPECT_EQ(text, PK::UniString("kept"));

    const unsigned char badBool[] = {2};
    IO::MemoryIChannel32 ic2(badBool, sizeof badBool);
    bool flag = false;
    EXPECT_EQ(ic2.Read(flag), PK::BadData);

    // An array claiming more items than there are bytes.
    IO::MemoryOChannel32 oc;
    {
        PK::OutputFrame frame(oc, PK::arrayClassInfo);
        oc.Write(PK::UInt32(1000000));
    }
    IO::MemoryIChannel32 ic3(oc.GetDestination(), oc.GetDataSize());
    PK::Array<PK::Int32> items;
    EXPECT_EQ(ic3.Read(items), PK::BadData);
    EXPECT_TRUE(items.IsEmpty());
}

TEST(Channels, ContainersRoundTripInStorageOrder) {
    PK::Array<PK::UniString> names{"b", "a", ""};
    PK::HashTable<PK::UniString, PK::Guid> table;
    table.Add("z", PK::Guid("E20E9A78-B868-4030-A4CA-73AF7A3BA727"));
    table.Add("a", PK::Guid());
    PK::HashSet<PK::Int32> set{3, 1, 2};

    IO::MemoryOChannel32 oc;
    ASSERT_EQ(oc.Write(names), PK::NoError);
    ASSERT_EQ(oc.Write(table), PK::NoError);
    ASSERT_EQ(oc.Write(set), PK::NoError);

    IO::MemoryIChannel32 ic(oc.GetDestination(), oc.GetDataSize());
    PK::Array<PK::UniString> names2{"stale"};
    PK::HashTable<PK::UniString, PK::Guid> table2;
    table2.Add("stale", PK::Guid());
    PK::HashSet<PK::Int32> set2;
    ASSERT_EQ(ic.Read(names2), PK::NoError);
    ASSERT_EQ(ic.Read(table2), PK::NoError);
    ASSERT_EQ(ic.Read(set2), PK::NoError);
    EXPECT_EQ(names2, names);
    EXPECT_EQ(table2, table);
    std::vector<PK::Int32> order;
    for (PK::Int32 key : set2) order.push_back(key);
    EXPECT_EQ(order, (std::vector<PK::Int32>{3, 1, 2}));
}

// Writes an outer frame holding: an Int32, an inner frame of the given
// version with two Int32 fields (the second only in version 2), and a trailing text.
Bytes NestedRecord(PK::UInt8 innerMainVersion) {
    const PK::ClassInfo innerInfo("Test::InnerWritten", innerV1.GetId(), PK::ClassVersion(innerMainVersion, 0));
    IO::MemoryOChannel32 oc;
    {
        PK::OutputFrame outer(oc, outerInfo);
        oc.Write(PK::Int32(1));
        {
            PK::OutputFrame inner(oc, innerInfo);
            oc.Write(PK::Int32(2));
            if (innerMainVersion > 1) oc.Write(PK::Int32(3));
        }
        oc.Write(PK::UniString("after"));
    }
    return BytesOf(oc);
}

struct NestedResult {
    PKErrCode status = PK::NoError;
    PK::Int32 first = 0, second = 0;
    PK::UInt8 innerVersion = 0;
    PK::UniString after;
};

// Reads as a version 1 reader would: only the first inner field.
NestedResult ReadNested(const Bytes& bytes, PK::USize size) {
    NestedResult r;
    IO::MemoryIChannel32 ic(bytes.data(), size);
    {
        PK::InputFrame outer(ic, outerInfo);
        ic.Read(r.first);
        {
            PK::InputFrame inner(ic, innerV1);
            r.innerVersion = inner.GetMainVersion();
            ic.Read(r.second);
        }
        ic.Read(r.after);
    }
    r.status = ic.GetInputStatus();
    return r;
}

TEST(ClassFrames, OlderReaderStepsOverFieldsOfANewerRecord) {
    NestedResult r = ReadNested(NestedRecord(2), NestedRecord(2).size());
    EXPECT_EQ(r.status, PK::NoError);
    EXPECT_EQ(r.innerVersion, 2);
    EXPECT_EQ(r.first, 1);
    EXPECT_EQ(r.second, 2);
    EXPECT_EQ(r.after, PK::UniString("after"));
}

TEST(ClassFrames, EveryTruncationGivesAnErrorStatus) {
    const Bytes bytes = NestedRecord(1);
    ASSERT_EQ(ReadNested(bytes, bytes.size()).status, PK::NoError);
    for (PK::USize size = 0; size < bytes.size(); ++size)
        EXPECT_NE(ReadNested(bytes, size).status, PK::NoError) << "truncated to " << size;
}

TEST(ClassFrames, AFrameOfAnotherClassOrAnOverlongLengthIsBadData) {
    const Bytes bytes = NestedRecord(1);
    IO::MemoryIChannel32 ic(bytes.data(), bytes.size());
    PK::InputFrame frame(ic, innerV1);
    EXPECT_EQ(frame.GetStatus(), PK::BadData);

    // The record inside a frame cannot read past the frame's end.
    IO::MemoryOChannel32 oc;
    {
        PK::OutputFrame f(oc, innerV1);
        oc.Write(PK::Int16(1));
    }
    oc.Write(PK::Int16(2));
    IO::MemoryIChannel32 ic2(oc.GetDestination(), oc.GetDataSize());
    PK::InputFrame f2(ic2, innerV1);
    PK::Int32 tooWide = 0;
    EXPECT_EQ(ic2.Read(tooWide), PK::EndOfInput);
}

TEST(ClassFrames, ACopiedOrTakenFrameReadsLikeTheOriginalAndLeavesTheSourceAfterIt) {
    const Bytes bytes = NestedRecord(2);
    {
        IO::MemoryIChannel32 source(bytes.data(), bytes.size());
        IO::MemoryOChannel32 copy;
        ASSERT_EQ(PK::CopyFrame(source, copy), PK::NoError);
        EXPECT_EQ(source.GetPosition(), bytes.size());
        EXPECT_EQ(BytesOf(copy), bytes);  // the newer version number travels with it
    }
    // Taken from memory the frame is lent, from a stream copied: the same bytes either way.
    Bytes twice = bytes;
    twice.insert(twice.end(), bytes.begin(), bytes.end());
    IO::MemoryIChannel32 memory(twice.data(), twice.size());
    StreamedIChannel stream(twice);
    for (PK::IChannel* source : {static_cast<PK::IChannel*>(&memory), static_cast<PK::IChannel*>(&stream)}) {
        PK::FrameBytes first, second;
        ASSERT_EQ(PK::TakeFrame(*source, first), PK::NoError);
        EXPECT_EQ(source->GetPosition(), bytes.size());
        EXPECT_EQ(source->GetValueCount(), 1u);
        EXPECT_EQ(first.GetData() == twice.data(), source == &memory);
        ASSERT_EQ(PK::TakeFrame(*source, second), PK::NoError);
        for (const PK::FrameBytes* frame : {&first, &second}) {
            const auto* data = static_cast<const unsigned char*>(frame->GetData());
            EXPECT_EQ(Bytes(data, data + frame->GetSize()), bytes);
        }
    }

    // A frame cut short is refused, and nothing half-copied is reported as a success.
    IO::MemoryIChannel32 cut(bytes.data(), bytes.size() - 1);
    IO::MemoryOChannel32 partial;
    EXPECT_NE(PK::CopyFrame(cut, partial), PK::NoError);
    IO::MemoryIChannel32 cutAgain(bytes.data(), bytes.size() - 1);
    PK::FrameBytes frame;
    EXPECT_EQ(PK::TakeFrame(cutAgain, frame), PK::BadData);
}

TEST(ChannelFaults, NthValueFailsOnRequestAndNothingAfterIt) {
    IO::MemoryOChannel32 oc;
    oc.FailAtValue(2, PK::Error);
    EXPECT_EQ(oc.Write(PK::Int32(1)), PK::NoError);
    EXPECT_EQ(oc.Write(PK::Int32(2)), PK::Error);
    EXPECT_EQ(oc.Write(PK::Int32(3)), PK::Error);
    EXPECT_EQ(oc.GetDataSize(), 4u);

    PK::ChannelFaults::ArmNextChannel(1, PK::BadData);
    IO::MemoryIChannel32 ic(oc.GetDestination(), oc.GetDataSize());
    PK::Int32 value = 0;
    EXPECT_EQ(ic.Read(value), PK::BadData);
    IO::MemoryIChannel32 next(oc.GetDestination(), oc.GetDataSize());
    EXPECT_EQ(next.Read(value), PK::NoError) << "the armed fault applies to one channel only";
}

}  // namespace
