#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "Model/Errors.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/TypedErrorExceptor.hpp"
#include "Torvel/Api/Error.hpp"
#include "support/Project.hpp"

using namespace TessaryConnect;
using namespace TessaryConnect::Model;

namespace {

// Runs the thrower through an exceptor and answers what RethrowIfCatched
// throws: its dynamic type and text.
struct Rethrown {
    std::string type;
    std::string what;
};
Rethrown ThroughExceptor(const std::function<void()>& thrower) {
    Error::TypedErrorExceptor exceptor;
    exceptor.Try(thrower);
    try {
        exceptor.RethrowIfCatched();
    } catch (const std::exception& e) {
        return {typeid(e).name(), e.what()};
    }
    return {"nothing", ""};
}

}  // namespace

TEST(TypedErrorExceptor, EveryKeptErrorComesBackWithItsOwnTypeAndText) {
    struct Row {
        std::function<void()> thrower;
        const std::type_info& type;
        std::string what;
    };
    const std::vector<Row> rows = {
        {[] { throw Api::ErrorClassificationManagerNoAccessRight(); },
         typeid(Api::ErrorClassificationManagerNoAccessRight),
         "ErrorClassificationManagerNoAccessRight(APIERR_NOACCESSRIGHT)"},
        {[] { throw Api::ErrorPropertyManagerNoAccessRight(); }, typeid(Api::ErrorPropertyManagerNoAccessRight),
         "ErrorPropertyManagerNoAccessRight(APIERR_NOACCESSRIGHT)"},
        // Other host errors come back as their base, with code and text.
        {[] { throw Api::Error<APIERR_BADID>(); }, typeid(Api::GeneralError), "APIERR_BADID(-2130313115)"},
        {[] { throw Error::MissingClassificationSystem(); }, typeid(Error::MissingClassificationSystem),
         "MissingClassificationSystem"},
        {[] { throw Error::MissingPropertyGroup(); }, typeid(Error::MissingPropertyGroup), "MissingPropertyGroup"},
        {[] { throw Error::MissingProperty("Title"); }, typeid(Error::MissingProperty), "MissingProperty: Title"},
        // Any other standard exception keeps at least its text.
        {[] { throw Error::VersionIncompatibility(); }, typeid(std::runtime_error), "Error::VersionIncompatibility"},
        {[] { throw std::out_of_range("index 7"); }, typeid(std::runtime_error), "index 7"},
        {[] { throw 42; }, typeid(std::runtime_error), "TypedErrorExceptor: unknown"},
    };
    for (const auto& row : rows) {
        const Rethrown r = ThroughExceptor(row.thrower);
        EXPECT_EQ(r.type, row.type.name()) << row.what;
        EXPECT_EQ(r.what, row.what);
    }
    EXPECT_EQ(ThroughExceptor([] {}).type, "nothing");
}

TEST(TypedErrorExceptor, AKeptErrorStaysKeptAndTheLastOneWins) {
    Error::TypedErrorExceptor exceptor;
    exceptor.Try([] { throw Error::MissingPropertyGroup(); });
    exceptor.Try([] { throw Error::MissingProperty("Code"); });
    exceptor.Try([] {});
    EXPECT_THROW(exceptor.RethrowIfCatched(), Error::MissingProperty);
    EXPECT_THROW(exceptor.RethrowIfCatched(), Error::MissingProperty);
}

TEST(TypedErrorExceptor, AMissingItemComesBackWithAnIssueOfItsOwn) {
    Error::TypedErrorExceptor exceptor;
    PK::Guid thrownIssue;
    exceptor.Try([&] {
        Error::MissingClassificationItem error(TestSupport::Clause("clause-1", "B10"));
        thrownIssue = error.GetIssue().Guid();
        throw error;
    });
    try {
        exceptor.RethrowIfCatched();
        FAIL() << "nothing thrown";
    } catch (const Error::MissingClassificationItem& e) {
        // The thrown error and the exceptor's copy are gone by now; this copy's issue is whole.
        const auto& issue = dynamic_cast<const Issue::MissingClassificationItem&>(e.GetIssue());
        EXPECT_EQ(issue.Guid(), thrownIssue);
        EXPECT_EQ(issue.GetTessaryClauseProperties().Get(Api::Properties::Name::Code), "B10");
        EXPECT_NE(std::string(e.what()).find("Model::Issue::MissingClassificationItem"), std::string::npos);
    }
}

TEST(ModelErrors, AnAssignedIssueErrorOwnsACopyOfTheIssue) {
    Error::MissingClassificationItem assigned(TestSupport::Clause("clause-2", "C20"));
    {
        const Error::MissingClassificationItem source(TestSupport::Clause("clause-1", "B10"));
        assigned = source;
        EXPECT_EQ(assigned.GetIssue().Guid(), source.GetIssue().Guid());
        EXPECT_NE(&assigned.GetIssue(), &source.GetIssue());
        EXPECT_STREQ(assigned.what(), source.what());
    }
    const auto& issue = dynamic_cast<const Issue::MissingClassificationItem&>(assigned.GetIssue());
    EXPECT_EQ(issue.GetTessaryClauseProperties().Get(Api::Properties::Name::Code), "B10");
}
