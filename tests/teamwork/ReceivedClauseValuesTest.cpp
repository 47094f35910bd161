// A member changes a clause's values before it has received an element that
// another member associated with the clause meanwhile. Once they have
// exchanged, the element carries the new values on both machines: the member
// who may write it does so in one step after its receive.
#include <gtest/gtest.h>

#include <string>

#include "support/LogCapture.hpp"
#include "support/Team.hpp"

using namespace TestSupport;

namespace {

constexpr Member A = 0;
constexpr Member B = 1;

// The commands the current member's host has run so far.
std::size_t Commands(Team& team) { return team.Sim().GetUndoSteps().size(); }

std::string TitleOf(Team& team, int spec, const API_Guid& element) {
    TVSim::Project& sim = team.Sim();
    const API_Guid group = sim.FindPropertyGroup(("Orvo Tessary: Project One / Spec " + std::to_string(spec)).c_str());
    return Text(sim.GetPropertyText(element, sim.FindPropertyDefinition(group, "OrvoTessaryTitle")));
}

// B has made the clause with a wall of its own, and both members have it. A associates a wall of its own with
// it; B, before receiving that, changes the clause's values, and sends. A receives. Answers A's wall, and the
// commands A's host had run before the receive.
API_Guid ChangeValuesBeforeKnowingAWall(Team& team, int spec, std::size_t& commandsBefore) {
    team.As(B);
    const API_Guid wallB = team.Sim().AddElement(API_WallID);
    team.Get(spec)->Cmd_AssociateElementsToVirtualType("clause-c", Clause("clause-c", "C30"), {wallB}, false);
    team.SyncAll();

    team.As(A);
    const API_Guid wallA = team.Sim().AddElement(API_WallID);
    team.Get(spec)->Cmd_AssociateElementsToVirtualType("clause-c", Clause("clause-c", "C30"), {wallA}, false);
    team.SendAndReceive();

    team.As(B);
    team.Get(spec)->Cmd_UpdateVirtualTypeProperties("clause-c", Clause("clause-c", "C30", "Screed floors"), false);
    team.SendAndReceive();
    team.As(A);
    commandsBefore = Commands(team);
    team.Receive();
    return wallA;
}

void ExpectEveryWallWithTheNewValues(Team& team, int spec, const API_Guid& wallA) {
    team.SyncAll();
    for (Member m : {A, B}) {
        team.As(m);
        const ConnectionPtr connection = team.Get(spec);
        ASSERT_NE(connection, nullptr) << "member " << m;
        for (const PK::Guid& wall : connection->GetAssociatedElements("clause-c"))
            EXPECT_EQ(TitleOf(team, spec, wall), "Screed floors") << "member " << m;
        EXPECT_TRUE(connection->GetAssociatedElements("clause-c").Contains(wallA)) << "member " << m;
        EXPECT_TRUE(connection->IssueCollection().Get().IsEmpty()) << "member " << m;
    }
}

}  // namespace

TEST(ReceivedClauseValues, AWallAssociatedBeforeAnotherMemberChangedTheValuesTakesThemOnBothMachines) {
    LogCapture log;
    Team team;
    ASSERT_NE(team.Connect(1), nullptr);
    team.SyncAll();
    std::size_t commands = 0;
    const API_Guid wallA = ChangeValuesBeforeKnowingAWall(team, 1, commands);

    // One step wrote the wall, and it is all there is to undo: the receive ended A's undo history.
    EXPECT_EQ(TitleOf(team, 1, wallA), "Screed floors");
    EXPECT_EQ(Commands(team), commands + 1);
    EXPECT_EQ(team.Sim().GetUndoableCount(), 1u);
    ExpectEveryWallWithTheNewValues(team, 1, wallA);

    // New values of a clause that only B's walls carry, which came written already: A's receive leaves no step.
    team.As(B);
    const API_Guid wallB = team.Sim().AddElement(API_WallID);
    team.Get(1)->Cmd_AssociateElementsToVirtualType("clause-d", Clause("clause-d", "B20"), {wallB}, false);
    team.SyncAll();
    team.As(B);
    team.Get(1)->Cmd_UpdateVirtualTypeProperties("clause-d", Clause("clause-d", "B20", "Tiled walls"), false);
    team.SendAndReceive();
    team.As(A);
    commands = Commands(team);
    team.Receive();
    EXPECT_EQ(TitleOf(team, 1, wallB), "Tiled walls");
    EXPECT_EQ(Commands(team), commands);
    EXPECT_TRUE(log.MessagesStartingWith("exception: ").empty());
}

TEST(ReceivedClauseValues, AWallOfAConnectionNobodyHoldsTakesTheValuesToo) {
    LogCapture log;
    Team team;
    ASSERT_NE(team.Connect(1), nullptr);
    ASSERT_NE(team.Connect(2), nullptr);
    team.SyncAll();
    // A's add-on holds the connection it shows; the other one is read only when asked for.
    team.As(A);
    const ConnectionPtr shown = team.Current().addOn->manager->GetSelectedConnection();
    ASSERT_NE(shown, nullptr);
    const int spec = Text(shown->TessarySpecificationId()) == "spec-1" ? 2 : 1;
    std::size_t commands = 0;
    const API_Guid wallA = ChangeValuesBeforeKnowingAWall(team, spec, commands);

    EXPECT_EQ(TitleOf(team, spec, wallA), "Screed floors");
    EXPECT_EQ(Commands(team), commands + 1);
    ExpectEveryWallWithTheNewValues(team, spec, wallA);
    EXPECT_TRUE(log.MessagesStartingWith("exception: ").empty());
}

TEST(ReceivedClauseValues, AnotherMembersWallThatLagsIsLeftToItWithoutAnIssueAndTheValuesStayPending) {
    LogCapture log;
    Team team;
    ASSERT_NE(team.Connect(1), nullptr);
    team.SyncAll();
    team.As(B);
    const API_Guid wallB = team.Sim().AddElement(API_WallID);
    team.Get(1)->Cmd_AssociateElementsToVirtualType("clause-c", Clause("clause-c", "C30"), {wallB}, false);
    team.SyncAll();
    team.As(A);
    const API_Guid wallA = team.Sim().AddElement(API_WallID);
    team.Get(1)->Cmd_AssociateElementsToVirtualType("clause-c", Clause("clause-c", "C30"), {wallA}, false);
    team.SendAndReceive();
    // B, before receiving A's wall, changes the values and takes back the writing of its own wall: the new values
    // stay, pending.
    team.As(B);
    team.Get(1)->Cmd_UpdateVirtualTypeProperties("clause-c", Clause("clause-c", "C30", "Screed floors"), false);
    ASSERT_EQ(team.Sim().Undo(), NoError);
    team.SendAndReceive();

    team.As(A);
    const std::size_t commands = Commands(team);
    team.Receive();
    EXPECT_EQ(Commands(team), commands + 1);
    const ConnectionPtr connection = team.Get(1);
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(TitleOf(team, 1, wallA), "Screed floors");
    EXPECT_EQ(TitleOf(team, 1, wallB), "Title");
    EXPECT_TRUE(connection->IssueCollection().Get().IsEmpty());
    EXPECT_TRUE(connection->GetVirtualType("clause-c").HasDirtyProperty());
    EXPECT_TRUE(log.MessagesStartingWith("exception: ").empty());
}
