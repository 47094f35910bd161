// Two team members connecting, changing one connection in turn and at once,
// disconnecting and reconnecting, with sends and receives between them, as
// two users would.
#include <gtest/gtest.h>

#include "support/LogCapture.hpp"
#include "support/Team.hpp"

using namespace TestSupport;

namespace {
constexpr Member A = 0;
constexpr Member B = 1;
}  // namespace

TEST(TeamScenario, TwoMembersChangeOneConnectionPastEachOthersReservationAndAReconnectReachesTheOneWhoDisconnected) {
    TestSupport::LogCapture log;
    Team team;
    team.Sim().ReserveClassificationsAndProperties();
    const ConnectionPtr atA = team.Connect(1);
    ASSERT_TRUE(atA && AddClause(*atA, "clause-a", "A10"));
    team.SendAndReceive();

    // While A holds the reservation, B's connect is refused before anything changes.
    team.As(B);
    team.Receive();
    const std::size_t undoSteps = team.Sim().GetUndoSteps().size();
    EXPECT_EQ(team.Connect(2), nullptr);
    EXPECT_EQ(team.Sim().GetUndoSteps().size(), undoSteps);

    // B's change reaches the connection A holds; then both change it at once and keep everything.
    const ConnectionPtr atB = team.Get(1);
    ASSERT_TRUE(atB && AddClause(*atB, "clause-b", "B20"));
    team.SendAndReceive();
    team.As(A);
    team.Receive();
    EXPECT_TRUE(atA->HasVirtualType("clause-b")) << "the receive refreshed the loaded connection";
    team.Sim().ReleaseClassificationsAndProperties();
    AddIssue(*atA, "issue of A");
    team.As(B);
    AddIssue(*atB, "issue of B");
    team.SyncAll();
    const ProjectSummary both = {{"spec-1", {{"clause-a", "clause-b"}, {"issue of A", "issue of B"}}}};
    for (Member m : {A, B}) {
        team.As(m);
        EXPECT_EQ(team.Summary(), both) << "member " << m;
    }
    EXPECT_EQ(team.Stored(A, 1), team.Stored(B, 1));

    // B disconnects; A reconnects, and B's disconnected object does not hide the new connection.
    ASSERT_TRUE(team.Disconnect(1));
    team.SendAndReceive();
    team.As(A);
    team.Receive();
    EXPECT_TRUE(atA->IsDeleted());
    ASSERT_NE(team.Connect(1), nullptr);
    team.SendAndReceive();
    team.As(B);
    team.Receive();
    const ConnectionPtr again = team.Get(1);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, atB);
    EXPECT_EQ(team.Summary(), (ProjectSummary{{"spec-1", {}}}));
    EXPECT_TRUE(log.MessagesStartingWith("exception: ").empty());
}

TEST(TeamScenario, AStepUndoneBeforeAReceiveStaysUndoneThroughTheMerge) {
    Team team;
    const ConnectionPtr atA = team.Connect(1);
    ASSERT_NE(atA, nullptr);
    team.SyncAll();
    team.As(B);
    AddIssue(*team.Get(1), "of B");
    team.SendAndReceive();

    // A's second step, undone: the host restores the record and tells nobody, so A's connection still holds
    // the issue.
    team.As(A);
    AddIssue(*atA, "kept");
    AddIssue(*atA, "undone");
    ASSERT_EQ(team.Sim().Undo(), NoError);
    team.Receive();  // both changed the record: the host asks A's add-on to merge
    EXPECT_EQ(team.Summary(), (ProjectSummary{{"spec-1", {{}, {"kept", "of B"}}}}));
}

TEST(TeamScenario, AReceiveEndsTheUndoHistorySoTheOtherMembersChangesStayAndReachEverybody) {
    Team team;
    const ConnectionPtr atA = team.Connect(1);
    ASSERT_NE(atA, nullptr);
    team.SyncAll();
    // Each round: A makes a step (and, in the first, undoes another, which redo could bring back), B changes the
    // record meanwhile, and A receives, its record merging with B's. Neither undo nor redo reaches back past that.
    for (const bool redo : {true, false}) {
        const std::string round = redo ? "first" : "second";
        team.As(A);
        AddIssue(*atA, "of A, " + round);
        if (redo) {
            AddIssue(*atA, "undone");
            ASSERT_EQ(team.Sim().Undo(), NoError);
        }
        team.As(B);
        AddIssue(*team.Get(1), "of B, " + round);
        team.SendAndReceive();
        team.As(A);
        team.Receive();
        EXPECT_EQ(team.Sim().GetUndoableCount(), 0u);
        EXPECT_EQ(redo ? team.Sim().Redo() : team.Sim().Undo(), APIERR_UNDOEMPTY) << round;
        team.SendAndReceive();
        team.As(B);
        team.Receive();
        EXPECT_EQ(team.Summary().at("spec-1").issues.count("of B, " + round), 1u) << round;
        EXPECT_EQ(team.Summary().at("spec-1").issues.count("of A, " + round), 1u) << round;
    }
}
