// The typed errors a host command's body throws, carried out of the command
// with their own type and text.
#include <gtest/gtest.h>

#include <functional>
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

TEST(TypedErrorExceptor, EveryKeptErrorComesBackWithItsOwnTypeAndTextAndTheLastOneWins) {
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
        {[] { throw 42; }, typeid(std::runtime_error), "TypedErrorExceptor: unknown"},
    };
    for (const auto& row : rows) {
        Error::TypedErrorExceptor exceptor;
        exceptor.Try(row.thrower);
        try {
            exceptor.RethrowIfCatched();
            ADD_FAILURE() << "nothing thrown";
        } catch (const std::exception& e) {
            EXPECT_STREQ(typeid(e).name(), row.type.name()) << row.what;
            EXPECT_EQ(e.what(), row.what);
        }
    }
    // The last error kept wins over earlier ones and a later unknown throw, and stays kept.
    Error::TypedErrorExceptor exceptor;
    exceptor.Try([] { throw Error::MissingPropertyGroup(); });
    exceptor.Try([] { throw Error::MissingProperty("Code"); });
    exceptor.Try([] { throw 42; });
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
