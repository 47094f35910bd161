#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Model/Issue/Collection.hpp"
#include "Model/Issue/ElementsAssociation.hpp"
#include "Model/Issue/UpdateElementsProperties.hpp"
#include "support/ElementsIssue.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"

using namespace TessaryConnect;
using namespace TessaryConnect::Model;
using Assoc = Issue::ElementsAssociation;
using Update = Issue::UpdateElementsProperties;
using TestSupport::E;

namespace {

const Api::WindowId groundFloor(Api::DatabaseId(APIWind_FloorPlanID, 1, PK::Guid()), 0, false);

std::vector<std::string> ElementsOf(const Issue::Collection& issues) {
    std::vector<std::string> out;
    for (const auto& issue : issues.Get()) {
        std::string line = std::string(issue->GetClassInfo()->GetName()) + ":";
        for (const PK::Guid& element : dynamic_cast<const Issue::ElementsAssociationBase&>(*issue).GetErroredElements())
            line += fmt::format(" {}", element);
        out.push_back(line);
    }
    return out;
}

}  // namespace

// A newer association run that reports an element takes it out of a property
// update issue listed before; a newer property update run leaves an
// association issue alone.
TEST(IssueMergeFaults, ANewerAssociationIssueTakesItsElementsOutOfAnOlderPropertyUpdateIssue) {
    TestSupport::Project p;
    const TestSupport::ConnectionPtr connection = p.Connect();
    Issue::Collection issues(*connection);
    const auto update =
        std::make_shared<Update>(Update::Type::LockedElement, "c", PK::Array<PK::Guid>{E(1), E(2)}, groundFloor);
    issues.AddIssue(update);
    issues.AddIssue(
        std::make_shared<Assoc>(Assoc::Type::AssocLockedElement, "c", PK::Array<PK::Guid>{E(1), E(3)}, groundFloor));
    issues.AddIssue(std::make_shared<Update>(Update::Type::Unknown, "c", PK::Array<PK::Guid>{E(3)}, groundFloor));
    EXPECT_EQ(ElementsOf(issues), (std::vector<std::string>{
                                      fmt::format("Model::Issue::UpdateElementsProperties: {}", E(2)),
                                      fmt::format("Model::Issue::ElementsAssociation: {} {}", E(1), E(3)),
                                      fmt::format("Model::Issue::UpdateElementsProperties: {}", E(3)),
                                  }));

    // Its last element reported again by association: the update issue goes, stamped.
    issues.AddIssue(std::make_shared<Assoc>(Assoc::Type::AssocUnknown, "c", PK::Array<PK::Guid>{E(2)}, groundFloor));
    EXPECT_FALSE(issues.Get().Contains(update));
    EXPECT_TRUE(issues.GetDeleted().ContainsKey(update->Guid()));
}

TEST(IssueMergeFaults, ARefreshDropsElementsFromTheLastToTheFirstWithOneTraceLineEach) {
    TestSupport::Project p;
    const TestSupport::ConnectionPtr connection = p.Connect();
    Update issue(Update::Type::Unknown, "c", PK::Array<PK::Guid>{E(1), E(2), E(3), E(4)}, groundFloor);
    p.sim.DeleteElement(E(4));

    TestSupport::LogCapture log;
    EXPECT_EQ(issue.Refresh(*connection, PK::HashSet<PK::Guid>{E(1), E(3)}), (Issue::Outcome{false, true}));
    EXPECT_EQ(issue.GetErroredElements(), (PK::Array<PK::Guid>{E(2)}));
    std::vector<std::string> expected;
    for (PK::UInt32 n : {4, 3, 1})
        expected.push_back(
            fmt::format("ElementsAssociationBase: element({}) was removed becaus it is deleted or not relevant", E(n)));
    EXPECT_EQ(log.MessagesStartingWith("ElementsAssociationBase:"), expected);
}
