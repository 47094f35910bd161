#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Torvel/Api/Error.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;

namespace {

// Throws the code: the message, then whether the error compares unequal to the code, is caught by a handler
// of Error<C> or, failing that, is the plain base type.
template <int C>
std::string Thrown(int code) {
    try {
        _MapPKErrCodeAndThrow(code);
    } catch (const Api::Error<C>& e) {
        return e.what() + std::string(e == code ? "" : " unequal") + " caught";
    } catch (const Api::GeneralError& e) {
        return e.what() + std::string(e == code ? "" : " unequal") +
               (typeid(e) == typeid(Api::GeneralError) ? " plain" : "");
    }
    return "no throw";
}

struct HostCode {
    int code;
    const char* name;
    std::string (*thrown)(int);
};

// The host's error codes, each by its name.
// clang-format off
#define ROW(name) {name, #name, &Thrown<name>}
const std::vector<HostCode> kHostCodes = {
    ROW(APIERR_GENERAL), ROW(APIERR_MEMFULL), ROW(APIERR_CANCEL), ROW(APIERR_BADID), ROW(APIERR_BADINDEX),
    ROW(APIERR_BADNAME), ROW(APIERR_BADPARS), ROW(APIERR_BADPOLY), ROW(APIERR_BADDATABASE), ROW(APIERR_BADWINDOW),
    ROW(APIERR_BADKEYCODE), ROW(APIERR_BADPLATFORMSIGN), ROW(APIERR_BADPLANE), ROW(APIERR_BADUSERID),
    ROW(APIERR_BADVALUE), ROW(APIERR_BADELEMENTTYPE), ROW(APIERR_IRREGULARPOLY), ROW(APIERR_BADEXPRESSION),
    ROW(APIERR_NO3D), ROW(APIERR_NOMORE), ROW(APIERR_NOPLAN), ROW(APIERR_NOLIB), ROW(APIERR_NOLIBSECT),
    ROW(APIERR_NOSEL), ROW(APIERR_NOTEDITABLE), ROW(APIERR_NOTSUBTYPEOF), ROW(APIERR_NOTEQUALMAIN),
    ROW(APIERR_NOTEQUALREVISION), ROW(APIERR_NOTEAMWORKPROJECT), ROW(APIERR_NOUSERDATA), ROW(APIERR_MOREUSER),
    ROW(APIERR_LINKEXIST), ROW(APIERR_LINKNOTEXIST), ROW(APIERR_WINDEXIST), ROW(APIERR_WINDNOTEXIST),
    ROW(APIERR_UNDOEMPTY), ROW(APIERR_REFERENCEEXIST), ROW(APIERR_NAMEALREADYUSED), ROW(APIERR_ATTREXIST),
    ROW(APIERR_DELETED), ROW(APIERR_LOCKEDLAY), ROW(APIERR_HIDDENLAY), ROW(APIERR_INVALFLOOR), ROW(APIERR_NOTMINE),
    ROW(APIERR_NOACCESSRIGHT), ROW(APIERR_BADPROPERTY), ROW(APIERR_BADCLASSIFICATION), ROW(APIERR_MODULNOTINSTALLED),
    ROW(APIERR_MODULCMDMINE), ROW(APIERR_MODULCMDNOTSUPPORTED), ROW(APIERR_MODULCMDVERSNOTSUPPORTED),
    ROW(APIERR_NOMODULEDATA), ROW(APIERR_PAROVERLAP), ROW(APIERR_PARMISSING), ROW(APIERR_PAROVERFLOW),
    ROW(APIERR_PARIMPLICIT), ROW(APIERR_RUNOVERLAP), ROW(APIERR_RUNMISSING), ROW(APIERR_RUNOVERFLOW),
    ROW(APIERR_RUNIMPLICIT), ROW(APIERR_RUNPROTECTED), ROW(APIERR_EOLOVERLAP), ROW(APIERR_TABOVERLAP),
    ROW(APIERR_NOTINIT), ROW(APIERR_NESTING), ROW(APIERR_NOTSUPPORTED), ROW(APIERR_REFUSEDCMD), ROW(APIERR_REFUSEDPAR),
    ROW(APIERR_READONLY), ROW(APIERR_SERVICEFAILED), ROW(APIERR_COMMANDFAILED), ROW(APIERR_NEEDSUNDOSCOPE),
    ROW(APIERR_MISSINGCODE), ROW(APIERR_MISSINGDEF)};
#undef ROW
// clang-format on

}  // namespace

TEST(HostErrors, EveryHostCodeHasItsNameTextAndOwnTypeAndAnUnnamedOneThrowsThePlainBase) {
    for (const auto& row : kHostCodes) {
        EXPECT_STREQ(_MapPKErrCodeToStr(row.code), row.name);
        EXPECT_EQ(row.thrown(row.code), std::string(row.name) + "(" + std::to_string(row.code) + ") caught");
    }
    // A deleted element is an id the host no longer knows: whoever handles that handles both.
    EXPECT_EQ(Thrown<APIERR_BADID>(APIERR_DELETED), "APIERR_DELETED(" + std::to_string(APIERR_DELETED) + ") caught");
    EXPECT_FALSE(Thrown<APIERR_DELETED>(APIERR_BADID).ends_with(" caught"));
    EXPECT_EQ(_MapPKErrCodeToStr(APIERR_CANCEL + 1), nullptr);
    EXPECT_EQ(Thrown<APIERR_CANCEL>(APIERR_CANCEL + 1), "APIERR_?(" + std::to_string(APIERR_CANCEL + 1) + ") plain");
    // The access-right errors keep the host's code under their own texts.
    EXPECT_TRUE(Api::ErrorPropertyManagerNoAccessRight() == Api::GeneralError(APIERR_NOACCESSRIGHT) &&
                Api::ErrorClassificationManagerNoAccessRight() == APIERR_NOACCESSRIGHT);
    EXPECT_FALSE(Api::GeneralError(APIERR_NOPLAN) == Api::GeneralError(APIERR_NOSEL));
}

// The log line's source is the add-on's own path after Src/.
TEST(HostErrors, ZeroCodeLogsTheAssertionOnceAndStillBuildsTheError) {
    TestSupport::LogCapture log;
    EXPECT_STREQ(Api::GeneralError(0).what(), "APIERR_?(0)");
    ASSERT_EQ(log.Records().size(), 1u);
    EXPECT_EQ(log.Count(spdlog::level::critical, "failed assertion: errCode != PK::NoError, errCode(0)"), 1u);
    EXPECT_EQ(log.Records()[0].file + " " + log.Records()[0].function, "Torvel/Api/Error.cpp operator()");
}
