// Host memory blocks and module data records, and what the add-on stores in
// them: copies, hand-overs, byte order, and records that cannot be read.
#include <gtest/gtest.h>

#include <string>

#include "Torvel/Api/ModulDataWrapper.hpp"
#include "Torvel/Api/PKHandleWrapper.hpp"
#include "Torvel/Api/WindowId.hpp"
#include "support/HandleLeakCheck.hpp"

namespace {

using TessaryConnect::Api::DatabaseId;
using TessaryConnect::Api::GeneralError;
using TessaryConnect::Api::ModulDataWrapper;
using TessaryConnect::Api::PKHandleWrapper;
using TessaryConnect::Api::WindowId;

PKHandle Block(const std::string& bytes) {
    PKHandle handle = nullptr;
    EXPECT_EQ(BMPtrToHandle(bytes.data(), &handle, static_cast<PK::Int32>(bytes.size())), PK::NoError);
    return handle;
}

std::string BytesOf(PKHandle handle) {
    return handle == nullptr ? std::string() : std::string(*handle, static_cast<std::size_t>(BMGetHandleSize(handle)));
}

// A persistable record of one number, written in the channel's byte order.
struct Number {
    PK::UInt32 value = 0;
    PKErrCode Write(PK::OChannel& oc) const { return oc.Write(value); }
    PKErrCode Read(PK::IChannel& ic) { return ic.Read(value); }
};

const PK::Guid kDatabase("6F1D2C3B-4A59-4687-9A0B-1C2D3E4F5061");

using HostMemory = TestSupport::HandleCheckedTest;

TEST_F(HostMemory, ABlockWrapperCopiesItsBlockHandsItOverOnMovesAndFreesOnlyTheOneReplaced) {
    auto original = std::make_unique<PKHandleWrapper>(Block(std::string("\x00\x41\xFF", 3)));
    PKHandleWrapper copy(*original);
    original.reset();
    EXPECT_EQ(copy.ToHexEncodedString(), "0041ff");

    PKHandleWrapper& alias = copy;
    copy = std::move(alias);
    PKHandle same = copy.Get();
    copy.Set(std::move(same));
    EXPECT_EQ(BytesOf(copy.Get()), std::string("\x00\x41\xFF", 3));
    PKHandleWrapper moved(std::move(copy));
    EXPECT_TRUE(copy.IsNull());
    PKHandle released = std::move(moved).Release();
    EXPECT_EQ(BMKillHandle(&released), PK::NoError);
}

TEST_F(HostMemory, AModuleDataRecordKeepsItsSignWhichDecidesTheByteOrderAndCopiesOwnTheirBlocks) {
    const struct {
        PK::UInt16 sign;
        PK::UInt32 read;
    } rows[] = {
        {IO::PlatformSignBigEndian, 0x01020304u},
        {IO::PlatformSignWindows, 0x04030201u},
        {0x1234, 0x04030201u},  // unknown: read as this platform writes
    };
    for (const auto& row : rows) {
        API_ModulData source;
        source.platformSign = row.sign;
        source.dataHdl = Block(std::string("\x01\x02\x03\x04", 4));
        ModulDataWrapper wrapper(source);
        BMKillHandle(&source.dataHdl);
        EXPECT_EQ(wrapper.Get().platformSign, row.sign);
        Number number;
        ASSERT_TRUE(wrapper.FillObject(number));
        EXPECT_EQ(number.value, row.read) << "sign " << row.sign;
    }
    API_ModulData emptyBlock;
    emptyBlock.dataHdl = Block("");
    EXPECT_EQ(ModulDataWrapper(emptyBlock).Get().dataHdl, nullptr);
    BMKillHandle(&emptyBlock.dataHdl);

    const ModulDataWrapper original = ModulDataWrapper::CreateForObject(Number{7});
    EXPECT_EQ(original.Get().platformSign, 0x6D6D);
    ModulDataWrapper copy(original);
    EXPECT_NE(copy.Get().dataHdl, original.Get().dataHdl);
    EXPECT_EQ(copy.ToHexEncodedString(), original.ToHexEncodedString());
}

TEST_F(HostMemory, AWindowIdRoundTripsAndATruncatedOrUnwritableOneIsTheTypedError) {
    const WindowId written(DatabaseId(APIWind_FloorPlanID, 3, kDatabase), -2, false);
    PKHandleWrapper handle = PKHandleWrapper::CreateForObject(written);
    WindowId read;
    ASSERT_TRUE(PKHandleWrapper::FillObject(handle.Get(), read));
    EXPECT_EQ(read.GetDatabaseId().GetElemSetId(), kDatabase);
    EXPECT_EQ(read.GetStoryNumber(), -2);

    const std::string bytes = BytesOf(handle.Get());
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        PKHandleWrapper truncated(Block(bytes.substr(0, size)));
        EXPECT_THROW(PKHandleWrapper::FillObject(truncated.Get(), read), GeneralError) << "size " << size;
    }

    PK::ChannelFaults::ArmNextChannel(2, PK::Error);
    EXPECT_THROW(ModulDataWrapper::CreateForObject(written), GeneralError);
}

TEST_F(HostMemory, ARecordOfANewerMainVersionIsRecognisedAndItsExtraFieldsSkipped) {
    // What a later add-on version might write: version 2.0 with one more field.
    const PK::ClassInfo newer("Api::DatabaseId", DatabaseId::classInfo.GetId(), PK::ClassVersion(2, 0));
    IO::MemoryOChannel32 oc;
    {
        PK::OutputFrame frame(oc, newer);
        oc.Write(PK::Int32(APIWind_SectionID));
        oc.Write(PK::Int32(4));
        oc.Write(kDatabase);
        oc.Write(PK::UniString("added later"));
    }
    oc.Write(PK::Int32(77));
    IO::MemoryIChannel32 ic(oc.GetDestination(), oc.GetDataSize());
    DatabaseId id;
    ASSERT_EQ(id.Read(ic), PK::NoError);
    EXPECT_EQ(id.GetIndex(), 4);
    PK::Int32 next = 0;
    EXPECT_EQ(ic.Read(next), PK::NoError);
    EXPECT_EQ(next, 77);
}

}  // namespace
