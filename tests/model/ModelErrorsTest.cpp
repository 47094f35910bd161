// The typed errors a host command's body throws, carried out of the command
// with their own type and text.
#include <gtest/gtest.h>

#include <typeinfo>

#include "Model/Errors.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/TypedErrorExceptor.hpp"
#include "Torvel/Api/Error.hpp"
#include "support/Project.hpp"

using namespace TessaryConnect;
using namespace TessaryConnect::Model;

namespace {

struct Row {
    std::function<void()> thrower;
    const std::type_info& type;
    std::string what;
};
// Throws a Thrown made of the arguments, expected back as a Caught with that text: another host
// error as the host's base error, any other exception as its text.
template <typename Thrown, typename Caught = Thrown, typename... Args>
Row Throws(const char* what, Args... args) {
    return {[=] { throw Thrown(args...); }, typeid(Caught), what};
}

}  // namespace

TEST(TypedErrorExceptor, EveryKeptErrorComesBackWithItsOwnTypeAndTextAndTheLastOneWins) {
    const std::vector<Row> rows = {
        Throws<Api::ErrorClassificationManagerNoAccessRight>(
            "ErrorClassificationManagerNoAccessRight(APIERR_NOACCESSRIGHT)"),
        Throws<Api::ErrorPropertyManagerNoAccessRight>("ErrorPropertyManagerNoAccessRight(APIERR_NOACCESSRIGHT)"),
        Throws<Api::Error<APIERR_BADID>, Api::GeneralError>("APIERR_BADID(-2130313115)"),
        Throws<Error::MissingClassificationSystem>("MissingClassificationSystem"),
        Throws<Error::MissingPropertyGroup>("MissingPropertyGroup"),
        Throws<Error::MissingProperty>("MissingProperty: Title", "Title"),
        Throws<Error::VersionIncompatibility, std::runtime_error>("Error::VersionIncompatibility"),
        Throws<int, std::runtime_error>("TypedErrorExceptor: unknown", 42),
    };
    for (const auto& row : rows) {
        Error::TypedErrorExceptor exceptor;
        exceptor.Try(row.thrower);
        try {
            exceptor.RethrowIfCatched();
            ADD_FAILURE() << "nothing thrown";
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(typeid(e).name()) + " " + e.what(), std::string(row.type.name()) + " " + row.what);
        }
    }
    // The last error kept wins over earlier ones and a later unknown throw, and stays kept.
    Error::TypedErrorExceptor exceptor;
    for (const auto& row : {rows[4], rows[5], rows[7]}) exceptor.Try(row.thrower);
    exceptor.Try([] {});
    EXPECT_THROW(exceptor.RethrowIfCatched(), Error::MissingProperty);
    EXPECT_THROW(exceptor.RethrowIfCatched(), Error::MissingProperty);
    EXPECT_NO_THROW(Error::TypedErrorExceptor().RethrowIfCatched());
}

TEST(TypedErrorExceptor, AMissingItemComesBackAndIsAssignedWithAWholeCopyOfItsIssue) {
    Error::TypedErrorExceptor exceptor;
    PK::Guid thrownIssue;
    exceptor.Try([&] {
        Error::MissingClassificationItem error(TestSupport::Clause("clause-1", "B10"));
        thrownIssue = error.GetIssue().Guid();
        throw error;
    });
    Error::MissingClassificationItem assigned(TestSupport::Clause("clause-2", "C20"));
    try {
        exceptor.RethrowIfCatched();
        FAIL() << "nothing thrown";
    } catch (const Error::MissingClassificationItem& e) {
        // The thrown error and the exceptor's copy are gone by now; this copy's issue is whole.
        EXPECT_NE(std::string(e.what()).find("Model::Issue::MissingClassificationItem"), std::string::npos);
        assigned = e;
        EXPECT_NE(&assigned.GetIssue(), &e.GetIssue());
        EXPECT_STREQ(assigned.what(), e.what());
    }
    const auto& issue = dynamic_cast<const Issue::MissingClassificationItem&>(assigned.GetIssue());
    EXPECT_EQ(issue.Guid(), thrownIssue);
    EXPECT_EQ(issue.GetTessaryClauseProperties().Get(Api::Properties::Name::Code), "B10");
}
