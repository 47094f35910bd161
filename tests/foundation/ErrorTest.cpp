#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Torvel/Api/Error.hpp"
#include "Model/AddonVersion.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;

namespace {

struct HostCode {
    int code;              // the host's number for it
    const char* name;      // the host's name for it
    int platformConstant;  // what the platform's header says the name stands for
    // Throws the code and reports whether a handler of its own type caught it.
    bool (*caughtByOwnType)(int);
};

template <int C>
bool CaughtAs(int code) {
    try {
        _MapPKErrCodeAndThrow(code);
    } catch (const Api::Error<C>&) {
        return true;
    } catch (...) {
    }
    return false;
}

// The host's error codes as the host numbers them.
// clang-format off
#define ROW(value, name) {static_cast<int>(value##u), #name, name, &CaughtAs<static_cast<int>(value##u)>}
const std::vector<HostCode> kHostCodes = {
    ROW(0x81060001, APIERR_GENERAL), ROW(0x81060002, APIERR_MEMFULL), ROW(0x81060003, APIERR_CANCEL),
    ROW(0x81060065, APIERR_BADID), ROW(0x81060066, APIERR_BADINDEX), ROW(0x81060067, APIERR_BADNAME),
    ROW(0x81060068, APIERR_BADPARS), ROW(0x81060069, APIERR_BADPOLY), ROW(0x8106006A, APIERR_BADDATABASE),
    ROW(0x8106006B, APIERR_BADWINDOW), ROW(0x8106006C, APIERR_BADKEYCODE), ROW(0x8106006D, APIERR_BADPLATFORMSIGN),
    ROW(0x8106006E, APIERR_BADPLANE), ROW(0x8106006F, APIERR_BADUSERID), ROW(0x81060070, APIERR_BADVALUE),
    ROW(0x81060071, APIERR_BADELEMENTTYPE), ROW(0x81060072, APIERR_IRREGULARPOLY),
    ROW(0x81060073, APIERR_BADEXPRESSION), ROW(0x810600C9, APIERR_NO3D), ROW(0x810600CA, APIERR_NOMORE),
    ROW(0x810600CB, APIERR_NOPLAN), ROW(0x810600CC, APIERR_NOLIB), ROW(0x810600CD, APIERR_NOLIBSECT),
    ROW(0x810600CE, APIERR_NOSEL), ROW(0x810600CF, APIERR_NOTEDITABLE), ROW(0x810600D0, APIERR_NOTSUBTYPEOF),
    ROW(0x810600D1, APIERR_NOTEQUALMAIN), ROW(0x810600D2, APIERR_NOTEQUALREVISION),
    ROW(0x810600D3, APIERR_NOTEAMWORKPROJECT), ROW(0x810600DC, APIERR_NOUSERDATA), ROW(0x810600DD, APIERR_MOREUSER),
    ROW(0x810600DE, APIERR_LINKEXIST), ROW(0x810600DF, APIERR_LINKNOTEXIST), ROW(0x810600E0, APIERR_WINDEXIST),
    ROW(0x810600E1, APIERR_WINDNOTEXIST), ROW(0x810600E2, APIERR_UNDOEMPTY), ROW(0x810600E3, APIERR_REFERENCEEXIST),
    ROW(0x810600E4, APIERR_NAMEALREADYUSED), ROW(0x8106012D, APIERR_ATTREXIST), ROW(0x8106012E, APIERR_DELETED),
    ROW(0x8106012F, APIERR_LOCKEDLAY), ROW(0x81060130, APIERR_HIDDENLAY), ROW(0x81060131, APIERR_INVALFLOOR),
    ROW(0x81060132, APIERR_NOTMINE), ROW(0x81060133, APIERR_NOACCESSRIGHT), ROW(0x81060134, APIERR_BADPROPERTY),
    ROW(0x81060135, APIERR_BADCLASSIFICATION), ROW(0x81060191, APIERR_MODULNOTINSTALLED),
    ROW(0x81060192, APIERR_MODULCMDMINE), ROW(0x81060193, APIERR_MODULCMDNOTSUPPORTED),
    ROW(0x81060194, APIERR_MODULCMDVERSNOTSUPPORTED), ROW(0x81060195, APIERR_NOMODULEDATA),
    ROW(0x810601F5, APIERR_PAROVERLAP), ROW(0x810601F6, APIERR_PARMISSING), ROW(0x810601F7, APIERR_PAROVERFLOW),
    ROW(0x810601F8, APIERR_PARIMPLICIT), ROW(0x810601FE, APIERR_RUNOVERLAP), ROW(0x810601FF, APIERR_RUNMISSING),
    ROW(0x81060200, APIERR_RUNOVERFLOW), ROW(0x81060201, APIERR_RUNIMPLICIT), ROW(0x81060202, APIERR_RUNPROTECTED),
    ROW(0x81060208, APIERR_EOLOVERLAP), ROW(0x81060212, APIERR_TABOVERLAP), ROW(0x81060385, APIERR_NOTINIT),
    ROW(0x81060386, APIERR_NESTING), ROW(0x81060387, APIERR_NOTSUPPORTED), ROW(0x81060388, APIERR_REFUSEDCMD),
    ROW(0x81060389, APIERR_REFUSEDPAR), ROW(0x8106038A, APIERR_READONLY), ROW(0x8106038B, APIERR_SERVICEFAILED),
    ROW(0x8106038C, APIERR_COMMANDFAILED), ROW(0x8106038D, APIERR_NEEDSUNDOSCOPE),
    ROW(0x810603E9, APIERR_MISSINGCODE), ROW(0x810603EA, APIERR_MISSINGDEF)};
#undef ROW
// clang-format on

}  // namespace

TEST(HostErrors, EveryHostCodeHasItsNameTextAndOwnType) {
    for (const auto& row : kHostCodes) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.platformConstant, row.code);
        ASSERT_NE(_MapPKErrCodeToStr(row.code), nullptr);
        EXPECT_STREQ(_MapPKErrCodeToStr(row.code), row.name);
        EXPECT_TRUE(row.caughtByOwnType(row.code));
        try {
            _MapPKErrCodeAndThrow(row.code);
        } catch (const Api::GeneralError& e) {
            EXPECT_EQ(std::string(e.what()), std::string(row.name) + "(" + std::to_string(row.code) + ")");
            EXPECT_TRUE(e == row.code);
        }
    }
    // A deleted element is an id the host no longer knows: whoever handles that handles both.
    EXPECT_TRUE(CaughtAs<static_cast<int>(0x81060065u)>(static_cast<int>(0x8106012Eu)));
    EXPECT_FALSE(CaughtAs<static_cast<int>(0x8106012Eu)>(static_cast<int>(0x81060065u)));
}

TEST(HostErrors, UnnamedCodesHaveNoNameAndThrowThePlainBase) {
    const int afterCancel = APIERR_CANCEL + 1;
    EXPECT_EQ(_MapPKErrCodeToStr(0), nullptr);
    EXPECT_EQ(_MapPKErrCodeToStr(afterCancel), nullptr);
    EXPECT_EQ(_MapPKErrCodeToStr(APIERR_MISSINGDEF + 1), nullptr);
    EXPECT_STREQ(_MapPKErrCodeToStr(static_cast<int>(0x81060133u)), "APIERR_NOACCESSRIGHT");

    try {
        _MapPKErrCodeAndThrow(afterCancel);
        FAIL() << "no throw";
    } catch (const Api::Error<APIERR_CANCEL>&) {
        FAIL() << "caught by a per-code handler";
    } catch (const Api::GeneralError& e) {
        EXPECT_EQ(std::string(e.what()), "APIERR_?(" + std::to_string(afterCancel) + ")");
        EXPECT_EQ(typeid(e), typeid(Api::GeneralError));
    }
}

TEST(HostErrors, AccessRightErrorsAreTheNoAccessRightTypeWithTheirOwnText) {
    try {
        throw Api::ErrorPropertyManagerNoAccessRight();
    } catch (const Api::GeneralError& e) {
        EXPECT_STREQ(e.what(), "ErrorPropertyManagerNoAccessRight(APIERR_NOACCESSRIGHT)");
        EXPECT_TRUE(e == -2130312909);
        EXPECT_TRUE(e == Api::GeneralError(APIERR_NOACCESSRIGHT));
    }
    try {
        throw Api::ErrorClassificationManagerNoAccessRight();
    } catch (const Api::Error<APIERR_NOACCESSRIGHT>& e) {
        EXPECT_STREQ(e.what(), "ErrorClassificationManagerNoAccessRight(APIERR_NOACCESSRIGHT)");
    }
    EXPECT_FALSE(Api::GeneralError(APIERR_NOPLAN) == Api::GeneralError(APIERR_NOSEL));
}

TEST(HostErrors, ZeroCodeLogsTheAssertionOnceAndStillBuildsTheError) {
    TestSupport::LogCapture log;
    Api::GeneralError e(0);
    EXPECT_STREQ(e.what(), "APIERR_?(0)");
    EXPECT_EQ(log.Count(spdlog::level::critical, "failed assertion: errCode != PK::NoError, errCode(0)"), 1u);
    EXPECT_EQ(log.Records().size(), 1u);
}

TEST(HostErrors, RuntimeErrorCarriesTheUntrimmedSourcePath) {
    TestSupport::LogCapture log;
    try {
        TessaryConnect::Model::AddonVersion::FromString("1.3.1");
        FAIL() << "no throw";
    } catch (const AddonRuntimeError& e) {
        std::string text = e.what();
        EXPECT_EQ(text.rfind("../../Src/Model/AddonVersion.cpp:", 0), 0u) << text;
        EXPECT_NE(text.find(": error: wrong version format"), std::string::npos) << text;
    }
}
