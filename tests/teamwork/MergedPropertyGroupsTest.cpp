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

// How a member who holds the reservation of classifications and properties finishes what a merge left: at its next
// receive, or in the step of any command of the add-on it runs.
void Finish(Team& team, bool byCommand) {
    if (byCommand)
        team.Get(1)->Cmd_CheckAndUpdateAllAssociatedElementProperties();
    else
        team.Receive();
}

// The element association issues of the clause that name the element.
int AssociationIssuesNaming(const Model::ConnectionWithSpecification& connection, const char* clause,
                            const API_Guid& element) {
    int named = 0;
    for (const auto& issue : connection.IssueCollection().Get()) {
        const auto* association = dynamic_cast<const ElementsAssociation*>(issue.get());
        if (association != nullptr && association->GetTargetVirtualType() == clause &&
            Lists(association->GetErroredElements(), element))
            ++named;
    }
    return named;
}

}  // namespace

TEST(MergedPropertyGroups, ElementsOfBothMembersKeepTheirClausesAndTheReplacedGroupGoes) {
    for (const bool byCommand : {false, true}) {
        SCOPED_TRACE(byCommand ? "finished by a command" : "finished by a receive");
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
        const API_Guid wallSame = team.Sim().AddElement(API_WallID);
        const API_Guid wallLacking = team.Sim().AddElement(API_WallID);
        const API_Guid wallLocked = team.Sim().AddElement(API_WallID);
        ConnectionPtr atB = team.Connect(1);
        ASSERT_NE(atB, nullptr);
        ASSERT_EQ(OwnGroups(team.Sim()), (std::vector<std::string>{Text(groupName), Text(groupName) + "*"}));
        const API_Guid keptGroup = team.Sim().FindPropertyGroup(groupName);
        const API_Guid replacedGroup = team.Sim().FindPropertyGroup(groupName + "*");
        atB->Cmd_AssociateElementsToVirtualType("clause-b", Clause("clause-b", "B20"),
                                                {wallB, wallBoth, wallSame, wallLacking, wallLocked}, false);
        // B's user typed clause ids into the (editable) clause-id properties: clause-a into A's group for one wall
        // (the groups differ for it), clause-b for another (they agree), and in B's group one the connection lacks.
        const auto typeClause = [&](const API_Guid& group, const API_Guid& wall, const char* clause) {
            team.Sim().SetPropertyText(wall, team.Sim().FindPropertyDefinition(group, "OrvoTessaryClauseId"), clause);
        };
        typeClause(keptGroup, wallBoth, "clause-a");
        typeClause(keptGroup, wallSame, "clause-b");
        typeClause(replacedGroup, wallLacking, "clause-z");
        team.Sim().SetElementLocked(wallLocked, true);
        // In one course B's palette shows another specification: nobody holds spec-1 at the merging receive.
        if (!byCommand) {
            ASSERT_NE(team.Connect(2), nullptr);
            team.Current().addOn->manager->SelectConnectionById(SpecId(2));
            atB.reset();
        }

        // B's receive merges A's record: A's group is kept, and B carries its elements over at once.
        team.SendAndReceive();
        if (byCommand) {
            ASSERT_EQ(team.Current().addOn->manager->GetSelectedConnection(), atB);
            const auto walls = atB->UnassociatedElementsCache().GetElemsByType({API_WallID, APIVarId_Generic});
            EXPECT_FALSE(Lists(walls, wallB)) << "carried over, it left the elements without clause";
        }
        // Without the reservation of properties the replaced group stays.
        team.SyncAll();
        for (Member m : {A, B}) {
            team.As(m);
            const ConnectionPtr connection = team.Get(1);
            ASSERT_NE(connection, nullptr) << "member " << m;
            EXPECT_TRUE(Lists(connection->GetAssociatedElements("clause-b"), wallB)) << "member " << m;
            const auto ofBoth = connection->FindVirtualTypeIdsForElements({wallBoth}).virtualTypes;
            ASSERT_EQ(ofBoth.GetSize(), 1u) << "member " << m;
            EXPECT_EQ(Text(ofBoth[0]->ClauseId()), "clause-a") << "the kept group's clause stands";
            EXPECT_TRUE(
                connection->FindVirtualTypeIdsForElements({wallA, wallB, wallBoth}).unassociatedElements.IsEmpty())
                << "member " << m;
            EXPECT_TRUE(team.Sim().HasPropertyGroup(replacedGroup)) << "member " << m;
            // Only B could change anything (A may write none of B's walls): A's history holds no empty step.
            EXPECT_EQ(MergeSteps(team.Sim()), m == B ? 1 : 0) << "member " << m;
        }
        if (!byCommand) {
            // B opens the project again and shows spec-2: spec-1 is read afresh, and nobody holds it.
            ASSERT_EQ(TVSim::Events::ProjectEvent(APINotify_Open), NoError);
            team.Current().addOn->manager->SelectConnectionById(SpecId(2));
        }

        // While the locked wall cannot take its values, B's reservation deletes nothing: the wall would lose its
        // clause.
        team.Sim().ReserveClassificationsAndProperties();
        const PK::USize undoable = team.Sim().GetUndoableCount();
        Finish(team, byCommand);
        EXPECT_TRUE(team.Sim().HasPropertyGroup(replacedGroup));
        EXPECT_EQ(MergeSteps(team.Sim()), 1);
        team.Sim().SetElementLocked(wallLocked, false);
        // Nor while the clause's values cannot be had.
        if (!byCommand) {
            TVSim::Faults::FailAlways("TVAPI_Property_GetPropertyDefinition", APIERR_GENERAL);
            Finish(team, byCommand);
            TVSim::Faults::Clear();
            EXPECT_TRUE(team.Sim().HasPropertyGroup(replacedGroup));
        }
        // Then it goes, at a receive in a step of its own, with a command in that command's step.
        const PK::USize before = byCommand ? team.Sim().GetUndoableCount() : 0;
        Finish(team, byCommand);
        team.Sim().ReleaseClassificationsAndProperties();
        EXPECT_FALSE(team.Sim().HasPropertyGroup(replacedGroup));
        // A receive takes a step of its own, also for the try that failed on the values.
        EXPECT_EQ(MergeSteps(team.Sim()), byCommand ? 1 : 3);
        if (byCommand) {
            EXPECT_EQ(team.Sim().GetUndoableCount(), before + 1);
            EXPECT_EQ(before, undoable + 1);
        }
        const int stepsOfB = MergeSteps(team.Sim());
        std::vector<std::string> otherGroups{Text(groupName)};
        if (!byCommand) otherGroups.push_back("Orvo Tessary: Project One / Spec 2");
        team.SyncAll();
        for (Member m : {A, B}) {
            team.As(m);
            const ConnectionPtr connection = team.Get(1);
            ASSERT_NE(connection, nullptr) << "member " << m;
            EXPECT_EQ(OwnGroups(team.Sim()), otherGroups) << "member " << m;
            // Deleted, it is listed no more.
            EXPECT_TRUE(connection->PropertyGroup().GetReplacedGroups().IsEmpty()) << "member " << m;
            EXPECT_TRUE(Lists(connection->GetAssociatedElements("clause-a"), wallA)) << "member " << m;
            for (const API_Guid& wall : {wallB, wallSame, wallLocked})
                EXPECT_TRUE(Lists(connection->GetAssociatedElements("clause-b"), wall)) << "member " << m;
            // The wall whose clauses differed is named by an issue of the clause it lost; the one whose clauses
            // agreed by none.
            EXPECT_EQ(AssociationIssuesNaming(*connection, "clause-b", wallBoth), 1) << "member " << m;
            EXPECT_EQ(AssociationIssuesNaming(*connection, "clause-b", wallSame), 0) << "member " << m;
        }
        EXPECT_EQ(team.Stored(A, 1), team.Stored(B, 1));

        // A later change of B's clause reaches B's wall through the kept group; the deleted group is listed no
        // more, so no member takes a step for it again.
        team.As(B);
        team.Get(1)->Cmd_UpdateVirtualTypeProperties("clause-b", Clause("clause-b", "B20", "Screed floors"), false);
        team.SyncAll();
        for (Member m : {A, B}) {
            team.As(m);
            EXPECT_EQ(
                team.Sim().GetPropertyText(wallB, team.Sim().FindPropertyDefinition(keptGroup, "OrvoTessaryTitle")),
                "Screed floors")
                << "member " << m;
            EXPECT_EQ(MergeSteps(team.Sim()), m == B ? stepsOfB : 0) << "member " << m;
        }

        // A disconnection leaves no group behind.
        ASSERT_TRUE(team.Disconnect(1));
        team.SyncAll();
        otherGroups.erase(otherGroups.begin());
        for (Member m : {A, B}) {
            team.As(m);
            EXPECT_EQ(OwnGroups(team.Sim()), otherGroups) << "member " << m;
        }
        EXPECT_TRUE(log.MessagesStartingWith("exception: ").empty());
    }
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
