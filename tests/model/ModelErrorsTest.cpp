#include <gtest/gtest.h>

#include <optional>

#include "Model/Errors.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "support/Project.hpp"

using namespace TessaryConnect::Model;

TEST(ModelErrors, AMissingItemIsCopiedAndAssignedWithAWholeCopyOfItsIssue) {
    std::optional<Error::MissingClassificationItem> thrown(TestSupport::Clause("clause-1", "B10"));
    const PK::Guid thrownIssue = thrown->GetIssue().Guid();
    std::optional<Error::MissingClassificationItem> copy(*thrown);
    Error::MissingClassificationItem assigned(TestSupport::Clause("clause-2", "C20"));
    thrown.reset();
    assigned = *copy;
    EXPECT_NE(&assigned.GetIssue(), &copy->GetIssue());
    EXPECT_STREQ(assigned.what(), copy->what());
    copy.reset();
    // Both errors it came from are gone by now; this one's issue is whole.
    EXPECT_NE(std::string(assigned.what()).find("Model::Issue::MissingClassificationItem"), std::string::npos);
    const auto& issue = dynamic_cast<const Issue::MissingClassificationItem&>(assigned.GetIssue());
    EXPECT_EQ(issue.Guid(), thrownIssue);
    EXPECT_EQ(issue.GetTessaryClauseProperties().Get(TessaryConnect::Api::Properties::Name::Code), "B10");
}
