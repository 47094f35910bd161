#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Torvel/Api/ModulDataWrapper.hpp"
#include "Torvel/Api/PKHandleWrapper.hpp"
#include "support/HandleLeakCheck.hpp"

namespace {

using TessaryConnect::Api::ModulDataWrapper;
using TessaryConnect::Api::PKHandleWrapper;

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

}  // namespace
