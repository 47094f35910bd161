// Two members who connect one specification at once make a property group
// each; the merge of their records keeps one. The elements each of them
// associated must keep their clauses on both machines, and the other group
// must not outlive the exchange.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "Model/Issue/ElementsAssociation.hpp"
#include "support/LogCapture.hpp"
#include "support/Team.hpp"

using namespace TestSupport;
using Model::Issue::ElementsAssociation;

namespace {

constexpr Member A = 0;
constexpr Member B = 1;
const PK::UniString groupName = "Orvo Tessary: Project One / Spec 1";

// The add-on's property groups in the current member's project, by name.
std::vector<std::string> OwnGroups(TVSim::Project& sim) {
    std::vector<std::string> names;
    for (const API_Guid& group : sim.GetPropertyGroups()) {
        const std::string name = Text(sim.GetPropertyGroup(group).group.name);
        if (name.rfind("Orvo Tessary:", 0) == 0) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The steps in which the add-on carried values over or deleted a replaced group.
int MergeSteps(TVSim::Project& sim) {
    return static_cast<int>(std::count_if(sim.GetUndoSteps().begin(), sim.GetUndoSteps().end(), [](const auto& step) {
        return step.name == "Merge the property groups of Orvo Tessary specification Spec 1";
    }));
}

bool Lists(const PK::Array<PK::Guid>& elements, const API_Guid& element) { return elements.Contains(element); }

}  // namespace

TEST(MergedPropertyGroups, ElementsOfBothMembersKeepTheirClausesAndTheReplacedGroupGoes) {
    LogCapture log;
    Team team;
    const API_Guid wallA = team.Sim().AddElement(API_WallID);
    const ConnectionPtr atA = team.Connect(1);
    ASSERT_NE(atA, nullptr);
    atA->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {wallA}, false);
    team.SendAndReceive();

    // B has not received A's record: it connects too, and its group takes the next free name.
    team.As(B);
    const API_Guid wallB = team.Sim().AddElement(API_WallID);
    const API_Guid wallBoth = team.Sim().AddElement(API_WallID);
    const ConnectionPtr atB = team.Connect(1);
    ASSERT_NE(atB, nullptr);
    ASSERT_EQ(OwnGroups(team.Sim()), (std::vector<std::string>{Text(groupName), Text(groupName) + "*"}));
    const API_Guid keptGroup = team.Sim().FindPropertyGroup(groupName);
    const API_Guid replacedGroup = team.Sim().FindPropertyGroup(groupName + "*");
    atB->Cmd_AssociateElementsToVirtualType("clause-b", Clause("clause-b", "B20"), {wallB, wallBoth}, false);
    // B's user typed clause-a into the wall's (editable) clause id of A's group: the two groups differ for it.
    team.Sim().SetPropertyText(wallBoth, team.Sim().FindPropertyDefinition(keptGroup, "OrvoTessaryClauseId"),
                               "clause-a");

    // Without the reservation of properties B carries its elements over, but the replaced group stays.
    team.SyncAll();
    for (Member m : {A, B}) {
        team.As(m);
        const ConnectionPtr connection = team.Get(1);
        ASSERT_NE(connection, nullptr) << "member " << m;
        EXPECT_TRUE(Lists(connection->GetAssociatedElements("clause-b"), wallB)) << "member " << m;
        const auto ofBoth = connection->FindVirtualTypeIdsForElements({wallBoth}).virtualTypes;
        ASSERT_EQ(ofBoth.GetSize(), 1u) << "member " << m;
        EXPECT_EQ(Text(ofBoth[0]->ClauseId()), "clause-a") << "the kept group's clause stands";
        EXPECT_TRUE(connection->FindVirtualTypeIdsForElements({wallA, wallB, wallBoth}).unassociatedElements.IsEmpty())
            << "member " << m;
        EXPECT_TRUE(team.Sim().HasPropertyGroup(replacedGroup)) << "member " << m;
        // Only B could change anything (A may write none of B's walls): A's history holds no empty step.
        EXPECT_EQ(MergeSteps(team.Sim()), m == B ? 1 : 0) << "member " << m;
    }

    // B's next receive while it holds the reservation deletes it.
    team.As(B);
    team.Sim().ReserveClassificationsAndProperties();
    team.Receive();
    team.Sim().ReleaseClassificationsAndProperties();
    EXPECT_EQ(MergeSteps(team.Sim()), 2);
    team.SyncAll();
    for (Member m : {A, B}) {
        team.As(m);
        const ConnectionPtr connection = team.Get(1);
        ASSERT_NE(connection, nullptr) << "member " << m;
        EXPECT_EQ(OwnGroups(team.Sim()), std::vector<std::string>{Text(groupName)}) << "member " << m;
        EXPECT_TRUE(Lists(connection->GetAssociatedElements("clause-a"), wallA)) << "member " << m;
        EXPECT_TRUE(Lists(connection->GetAssociatedElements("clause-b"), wallB)) << "member " << m;
        // The wall whose clauses differed is named by an issue of the clause it lost.
        int named = 0;
        for (const auto& issue : connection->IssueCollection().Get()) {
            const auto* association = dynamic_cast<const ElementsAssociation*>(issue.get());
            if (association != nullptr && association->GetTargetVirtualType() == "clause-b" &&
                Lists(association->GetErroredElements(), wallBoth))
                ++named;
        }
        EXPECT_EQ(named, 1) << "member " << m;
    }
    EXPECT_EQ(team.Stored(A, 1), team.Stored(B, 1));

    // A later change of B's clause reaches B's wall through the kept group.
    team.As(B);
    team.Get(1)->Cmd_UpdateVirtualTypeProperties("clause-b", Clause("clause-b", "B20", "Screed floors"), false);
    team.SyncAll();
    for (Member m : {A, B}) {
        team.As(m);
        EXPECT_EQ(team.Sim().GetPropertyText(wallB, team.Sim().FindPropertyDefinition(keptGroup, "OrvoTessaryTitle")),
                  "Screed floors")
            << "member " << m;
    }

    // A disconnection leaves no group behind.
    ASSERT_TRUE(team.Disconnect(1));
    team.SyncAll();
    for (Member m : {A, B}) {
        team.As(m);
        EXPECT_TRUE(OwnGroups(team.Sim()).empty()) << "member " << m;
    }
    EXPECT_TRUE(log.MessagesStartingWith("exception: ").empty());
}

TEST(MergedPropertyGroups, AReconnectThatRacesAnotherMembersChangeKeepsTheGroupTheProjectHas) {
    for (const bool reconnectSentFirst : {false, true}) {
        SCOPED_TRACE(reconnectSentFirst ? "A sends first" : "B sends first");
        LogCapture log;
        Team team;
        ASSERT_NE(team.Connect(1), nullptr);
        team.SyncAll();
        // A disconnects and connects again, and associates a wall through the new group.
        team.As(A);
        const API_Guid wallA = team.Sim().AddElement(API_WallID);
        ASSERT_TRUE(team.Disconnect(1));
        const ConnectionPtr atA = team.Connect(1);
        ASSERT_NE(atA, nullptr);
        atA->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {wallA}, false);
        if (reconnectSentFirst) team.SendAndReceive();
        // B, before receiving any of it, associates a wall through the old record.
        team.As(B);
        const API_Guid wallB = team.Sim().AddElement(API_WallID);
        team.Get(1)->Cmd_AssociateElementsToVirtualType("clause-b", Clause("clause-b", "B20"), {wallB}, false);
        team.SendAndReceive();
        team.As(A);
        team.Receive();

        team.SyncAll();
        for (Member m : {A, B}) {
            team.As(m);
            const ConnectionPtr connection = team.Get(1);
            ASSERT_NE(connection, nullptr) << "member " << m;
            EXPECT_TRUE(team.Sim().HasPropertyGroup(connection->PropertyGroup().Guid())) << "member " << m;
            EXPECT_EQ(OwnGroups(team.Sim()), std::vector<std::string>{Text(groupName)}) << "member " << m;
            EXPECT_TRUE(Lists(connection->GetAssociatedElements("clause-a"), wallA)) << "member " << m;
            // The old group went before any merge: nothing is left to take over.
            EXPECT_EQ(MergeSteps(team.Sim()), 0) << "member " << m;
            // B's wall was associated through the group A's disconnection deleted: it went with that group.
            EXPECT_TRUE(connection->HasVirtualType("clause-b")) << "member " << m;
        }
        EXPECT_EQ(team.Stored(A, 1), team.Stored(B, 1));
        EXPECT_TRUE(log.MessagesStartingWith("exception: ").empty());
    }
}
