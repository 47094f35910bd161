// A member changes a clause's values before it has received an element that
// another member associated with the clause meanwhile. Once they have
// exchanged, the element carries the new values on both machines: the member
// who may write it does so in one step after its receive.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "Model/Issue/UpdateElementsProperties.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"
#include "support/Team.hpp"

using namespace TestSupport;
using Model::Issue::UpdateElementsProperties;

namespace {

constexpr Member A = 0;
constexpr Member B = 1;

// The undoable steps the current member's host has run so far; a step outside the undo history is none to the user.
std::size_t Commands(Team& team) {
    const auto& steps = team.Sim().GetUndoSteps();
    return static_cast<std::size_t>(
        std::count_if(steps.begin(), steps.end(), [](const auto& s) { return s.undoable; }));
}

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

// Both members have clause-c with a wall of B's, and A has associated a wall of its own that B has not received
// yet. Answers A's wall and B's; A is current.
std::pair<API_Guid, API_Guid> WallsOfBothMembers(Team& team) {
    EXPECT_NE(team.Connect(1), nullptr);
    team.SyncAll();
    team.As(B);
    const API_Guid wallB = team.Sim().AddElement(API_WallID);
    team.Get(1)->Cmd_AssociateElementsToVirtualType("clause-c", Clause("clause-c", "C30"), {wallB}, false);
    team.SyncAll();
    team.As(A);
    const API_Guid wallA = team.Sim().AddElement(API_WallID);
    team.Get(1)->Cmd_AssociateElementsToVirtualType("clause-c", Clause("clause-c", "C30"), {wallA}, false);
    team.SendAndReceive();
    return {wallA, wallB};
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
    EXPECT_FALSE(team.Get(1)->GetVirtualType("clause-c").HasDirtyProperty()) << "B's wall came written";

    // Undone, the step leaves the wall lagging, and shows it: the values are pending, as stored.
    ASSERT_EQ(team.Sim().Undo(), NoError);
    EXPECT_EQ(TitleOf(team, 1, wallA), "Title");
    ConnectionPtr connection = team.Get(1);
    ASSERT_NE(connection, nullptr);
    EXPECT_TRUE(connection->GetVirtualType("clause-c").HasDirtyProperty());
    EXPECT_EQ(RecordOf(*connection), team.Stored(A, 1));
    connection->Cmd_UpdateVirtualTypeProperties("clause-c", Clause("clause-c", "C30", "Screed floors"), false);
    EXPECT_EQ(TitleOf(team, 1, wallA), "Screed floors");
    EXPECT_FALSE(connection->GetVirtualType("clause-c").HasDirtyProperty());
    connection.reset();
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
    const auto [wallA, wallB] = WallsOfBothMembers(team);
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

// What keeps the member's own wall from taking received values, and what it is told then.
struct OwnRefusal {
    const char* name;
    UpdateElementsProperties::Type type;
    const char* text;
    void (*refuse)(TVSim::Project& sim, const API_Guid& wall, bool on);
    bool otherLags;  // B's wall lags too, B having locked it
};

class OwnWallRefusingReceivedValues : public ::testing::TestWithParam<OwnRefusal> {};

TEST_P(OwnWallRefusingReceivedValues, IsToldAsTheMembersOwnUpdateTellsItWhileAnotherMembersLaggingWallIsNot) {
    LogCapture log;
    Team team;
    const auto [wallA, wallB] = WallsOfBothMembers(team);
    // Every wall is on layer 1, whose state is A's own.
    GetParam().refuse(team.Sim(), wallA, true);
    team.As(B);
    // B's wall will lag too when B locks it before changing the values.
    if (GetParam().otherLags) team.Sim().SetElementLocked(wallB, true);
    team.Get(1)->Cmd_UpdateVirtualTypeProperties("clause-c", Clause("clause-c", "C30", "Screed floors"), false);
    team.SendAndReceive();
    team.As(A);
    team.Receive();

    ConnectionPtr connection = team.Get(1);
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(TitleOf(team, 1, wallA), "Title");
    EXPECT_TRUE(connection->GetVirtualType("clause-c").HasDirtyProperty());
    int ownIssues = 0;
    for (const auto& issue : connection->IssueCollection().Get()) {
        const auto* values = dynamic_cast<const UpdateElementsProperties*>(issue.get());
        ASSERT_NE(values, nullptr);
        if (values->GetErroredElements().Contains(wallB)) {
            EXPECT_EQ(values->GetType(), UpdateElementsProperties::Type::LockedElement)
                << "only B's own issue names it";
            continue;
        }
        ++ownIssues;
        EXPECT_EQ(values->GetType(), GetParam().type);
        EXPECT_EQ(values->GetErroredElements(), PK::Array<PK::Guid>{wallA});
        EXPECT_EQ(
            Text(values->GetString(*connection)),
            std::string("The properties of clause C30 Screed floors could not be written into 1 ") + GetParam().text);
    }
    EXPECT_EQ(ownIssues, 1);

    // Free again, the wall takes the values when the user updates the clause's elements, and the issue goes.
    GetParam().refuse(team.Sim(), wallA, false);
    connection->Cmd_UpdateVirtualTypeProperties("clause-c", Clause("clause-c", "C30", "Screed floors"), false);
    EXPECT_EQ(TitleOf(team, 1, wallA), "Screed floors");
    for (const auto& issue : connection->IssueCollection().Get())
        EXPECT_FALSE(static_cast<const UpdateElementsProperties&>(*issue).GetErroredElements().Contains(wallA));
    EXPECT_TRUE(log.MessagesStartingWith("exception: ").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, OwnWallRefusingReceivedValues,
    ::testing::Values(
        OwnRefusal{"LockedWall", UpdateElementsProperties::Type::LockedElement, "locked element(s).",
                   [](TVSim::Project& sim, const API_Guid& wall, bool on) { sim.SetElementLocked(wall, on); }, true},
        OwnRefusal{"LockedLayer", UpdateElementsProperties::Type::OnLockedLayer, "element(s) on a locked layer.",
                   [](TVSim::Project& sim, const API_Guid&, bool on) { sim.SetLayerLocked(1, on); }, false},
        OwnRefusal{"HiddenLayer", UpdateElementsProperties::Type::OnInvisibleLayer, "element(s) on a hidden layer.",
                   [](TVSim::Project& sim, const API_Guid&, bool on) { sim.SetLayerHidden(1, on); }, true}),
    [](const ::testing::TestParamInfo<OwnRefusal>& info) { return std::string(info.param.name); });
