// Host memory blocks and module data records, and what the add-on stores in
// them: copies, hand-overs, byte order, and records that cannot be read.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Torvel/Api/ModulDataWrapper.hpp"
#include "Torvel/Api/PKHandleWrapper.hpp"
#include "Torvel/Api/WindowId.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/LogCapture.hpp"

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

using PKHandleWrapperTest = TestSupport::HandleCheckedTest;
using ModulDataWrapperTest = TestSupport::HandleCheckedTest;

TEST_F(PKHandleWrapperTest, CopyIsIndependentOfItsSource) {
    auto original = std::make_unique<PKHandleWrapper>(Block("abc"));
    PKHandleWrapper copy(*original);
    ASSERT_NE(copy.Get(), original->Get());
    original.reset();
    EXPECT_EQ(BytesOf(copy.Get()), "abc");

    PKHandleWrapper empty;
    EXPECT_TRUE(PKHandleWrapper(empty).IsNull());
    EXPECT_TRUE(PKHandleWrapper::CreateFromCopy(nullptr).IsNull());
}

TEST_F(PKHandleWrapperTest, MovesSetsAndReleasesHandOverTheBlockAndFreeTheOneReplacedOnly) {
    PKHandleWrapper a(Block("a"));
    PKHandleWrapper b(Block("b"));
    b = std::move(a);
    EXPECT_TRUE(a.IsNull());
    PKHandleWrapper c(std::move(b));
    EXPECT_TRUE(b.IsNull());
    PKHandleWrapper& alias = c;
    c = std::move(alias);
    EXPECT_EQ(BytesOf(c.Get()), "a");

    PKHandle same = c.Get();
    c.Set(std::move(same));
    EXPECT_EQ(BytesOf(c.Get()), "a");
    c.Set(Block("new"));
    PKHandle released = std::move(c).Release();
    EXPECT_TRUE(c.IsNull());
    EXPECT_EQ(BytesOf(released), "new");
    EXPECT_EQ(BMKillHandle(&released), PK::NoError);
}

TEST_F(PKHandleWrapperTest, HexTextOfTheBlock) {
    EXPECT_EQ(PKHandleWrapper(Block(std::string("\x00\x41\xFF", 3))).ToHexEncodedString(), "0041ff");
    EXPECT_EQ(PKHandleWrapper().ToHexEncodedString(), "00");
    EXPECT_EQ(PKHandleWrapper(Block("")).ToHexEncodedString(), "");
    EXPECT_EQ(fmt::format("{}", PKHandleWrapper(Block("\x7f"))), "7f");
}

TEST_F(ModulDataWrapperTest, RecordTakenFromTheHostKeepsVersionAndPlatformSign) {
    API_ModulData source;
    source.dataVersion = 3;
    source.platformSign = IO::PlatformSignBigEndian;
    source.dataHdl = Block(std::string("\x01\x02\x03\x04", 4));
    {
        ModulDataWrapper wrapper(source);
        EXPECT_EQ(wrapper.Get().dataVersion, 3);
        EXPECT_EQ(wrapper.Get().platformSign, IO::PlatformSignBigEndian);
        EXPECT_NE(wrapper.Get().dataHdl, source.dataHdl);

        // The record was written on a big-endian platform: its sign decides the byte order.
        Number number;
        ASSERT_TRUE(wrapper.FillObject(number));
        EXPECT_EQ(number.value, 0x01020304u);
    }
    EXPECT_EQ(BytesOf(source.dataHdl), std::string("\x01\x02\x03\x04", 4));
    BMKillHandle(&source.dataHdl);

    API_ModulData emptyBlock;
    emptyBlock.dataHdl = Block("");
    EXPECT_EQ(ModulDataWrapper(emptyBlock).Get().dataHdl, nullptr);
    BMKillHandle(&emptyBlock.dataHdl);
}

TEST_F(ModulDataWrapperTest, UnknownOrMissingSignsReadLittleEndian) {
    for (PK::UInt16 sign : {PK::UInt16(0), IO::PlatformSignWindows, PK::UInt16(0x1234)}) {
        API_ModulData source;
        source.platformSign = sign;
        source.dataHdl = Block(std::string("\x01\x02\x03\x04", 4));
        ModulDataWrapper wrapper(source);
        BMKillHandle(&source.dataHdl);
        Number number;
        ASSERT_TRUE(wrapper.FillObject(number));
        EXPECT_EQ(number.value, 0x04030201u) << "sign " << sign;
    }
    Number untouched;
    EXPECT_FALSE(ModulDataWrapper().FillObject(untouched));
}

TEST_F(ModulDataWrapperTest, CopiesOwnTheirBlocksAndMovesHandThemOver) {
    Number number;
    number.value = 7;
    ModulDataWrapper original = ModulDataWrapper::CreateForObject(number);
    EXPECT_EQ(original.Get().dataVersion, 1);
    EXPECT_EQ(original.Get().platformSign, 0x6D6D);

    ModulDataWrapper copy(original);
    ModulDataWrapper assigned;
    assigned = original;
    ModulDataWrapper& alias = assigned;
    assigned = alias;
    EXPECT_NE(copy.Get().dataHdl, original.Get().dataHdl);
    EXPECT_NE(assigned.Get().dataHdl, original.Get().dataHdl);
    EXPECT_EQ(assigned.ToHexEncodedString(), original.ToHexEncodedString());

    ModulDataWrapper moved(std::move(copy));
    EXPECT_EQ(copy.Get().dataHdl, nullptr);
    API_ModulData released;
    std::move(moved).Release(released);
    EXPECT_EQ(moved.Get().dataHdl, nullptr);
    EXPECT_EQ(released.platformSign, 0x6D6D);
    EXPECT_EQ(BMKillHandle(&released.dataHdl), PK::NoError);
}

const PK::Guid kDatabase("6F1D2C3B-4A59-4687-9A0B-1C2D3E4F5061");

WindowId SampleWindow() { return WindowId(DatabaseId(APIWind_FloorPlanID, 3, kDatabase), -2, false); }

bool SameWindow(const WindowId& a, const WindowId& b) {
    return a.GetDatabaseId().GetTypeID() == b.GetDatabaseId().GetTypeID() &&
           a.GetDatabaseId().GetIndex() == b.GetDatabaseId().GetIndex() &&
           a.GetDatabaseId().GetElemSetId() == b.GetDatabaseId().GetElemSetId() &&
           a.GetStoryNumber() == b.GetStoryNumber() && a.IsPersp() == b.IsPersp();
}

using Persistence = TestSupport::HandleCheckedTest;

TEST_F(Persistence, WindowIdRoundTripsThroughHandlesAndModuleData) {
    const WindowId written = SampleWindow();

    WindowId fromHandle;
    PKHandleWrapper handle = PKHandleWrapper::CreateForObject(written);
    ASSERT_TRUE(PKHandleWrapper::FillObject(handle.Get(), fromHandle));
    EXPECT_TRUE(SameWindow(fromHandle, written));

    WindowId fromModuleData;
    ModulDataWrapper data = ModulDataWrapper::CreateForObject(written);
    ASSERT_TRUE(data.FillObject(fromModuleData));
    EXPECT_TRUE(SameWindow(fromModuleData, written));

    WindowId untouched;
    EXPECT_FALSE(PKHandleWrapper::FillObject(nullptr, untouched));
}

TEST_F(Persistence, WindowIdHoldsACompleteDatabaseIdFrame) {
    PKHandleWrapper handle = PKHandleWrapper::CreateForObject(SampleWindow());
    IO::MemoryIChannel32 ic(*handle.Get(), static_cast<PK::USize>(BMGetHandleSize(handle.Get())));
    PK::InputFrame frame(ic, WindowId::classInfo);
    DatabaseId nested;
    ASSERT_EQ(nested.Read(ic), PK::NoError);
    EXPECT_EQ(nested.GetTypeID(), APIWind_FloorPlanID);
    EXPECT_EQ(nested.GetElemSetId(), kDatabase);
}

TEST_F(Persistence, DatabaseIdReadStopsAtTheFailingFieldAndReturnsItsCode) {
    PKHandleWrapper handle = PKHandleWrapper::CreateForObject(DatabaseId(APIWind_3DModelID, 9, kDatabase));
    IO::MemoryIChannel32 ic(*handle.Get(), static_cast<PK::USize>(BMGetHandleSize(handle.Get())));
    ic.FailAtValue(2, PK::BadData);  // the index

    const PK::Guid previous("00000000-0000-0000-0000-0000000000AA");
    DatabaseId id(APIWind_None, 1, previous);
    EXPECT_EQ(id.Read(ic), PK::BadData);
    EXPECT_EQ(id.GetTypeID(), APIWind_3DModelID);
    EXPECT_EQ(id.GetIndex(), 1);
    EXPECT_EQ(id.GetElemSetId(), previous);
}

TEST_F(Persistence, TruncatedOrCorruptedDataGivesTheTypedErrorOrExactlyWhatTheBytesSay) {
    TestSupport::LogCapture log;
    PKHandleWrapper handle = PKHandleWrapper::CreateForObject(SampleWindow());
    const std::string bytes = BytesOf(handle.Get());

    for (std::size_t size = 0; size < bytes.size(); ++size) {
        PKHandleWrapper truncated(Block(bytes.substr(0, size)));
        WindowId id;
        EXPECT_THROW(PKHandleWrapper::FillObject(truncated.Get(), id), GeneralError) << "size " << size;
    }
    EXPECT_TRUE(log.Has(spdlog::level::trace, "GeneralError exception will be thrown: APIERR_?(-2147483646)"));

    // Any one damaged byte: the read fails with the typed error, or it
    // succeeds with the record written (the damage hit what the reader skips,
    // such as a minor version), or with a record that writes back to exactly
    // the damaged bytes (the damage hit a value, and that value is what was
    // read). A damaged class id (the first 16 bytes) always fails.
    std::size_t failures = 0;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        SCOPED_TRACE("byte " + std::to_string(at));
        std::string damaged = bytes;
        damaged[at] = static_cast<char>(damaged[at] ^ 0xA5);
        PKHandleWrapper corrupted(Block(damaged));
        WindowId id;
        try {
            PKHandleWrapper::FillObject(corrupted.Get(), id);
        } catch (const GeneralError&) {
            ++failures;
            continue;
        } catch (...) {
            ADD_FAILURE() << "not the typed error";
            continue;
        }
        EXPECT_GE(at, 16u);
        if (!SameWindow(id, SampleWindow())) {
            EXPECT_EQ(BytesOf(PKHandleWrapper::CreateForObject(id).Get()), damaged) << "read other than the bytes say";
        }
    }
    EXPECT_GE(failures, 16u);
}

TEST_F(Persistence, AWriteFailureBecomesAHostError) {
    TestSupport::LogCapture log;
    PK::ChannelFaults::ArmNextChannel(2, PK::Error);
    try {
        ModulDataWrapper::CreateForObject(SampleWindow());
        FAIL() << "no exception";
    } catch (const GeneralError& e) {
        EXPECT_EQ(e.GetCode(), PK::Error);
    }
    EXPECT_TRUE(log.Has(spdlog::level::trace, "GeneralError exception will be thrown: APIERR_?(-2147483647)"));
}

TEST_F(Persistence, ARecordOfANewerMainVersionIsRecognisedAndItsExtraFieldsSkipped) {
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

    IO::MemoryIChannel32 peek(oc.GetDestination(), oc.GetDataSize());
    EXPECT_EQ(PK::InputFrame(peek, DatabaseId::classInfo).GetMainVersion(), 2);

    IO::MemoryIChannel32 ic(oc.GetDestination(), oc.GetDataSize());
    DatabaseId id;
    ASSERT_EQ(id.Read(ic), PK::NoError);
    EXPECT_EQ(id.GetIndex(), 4);
    PK::Int32 next = 0;
    EXPECT_EQ(ic.Read(next), PK::NoError);
    EXPECT_EQ(next, 77);
}

}  // namespace
