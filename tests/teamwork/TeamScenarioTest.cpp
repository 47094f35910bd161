// Two team members connecting, adding clauses and issues, disconnecting and
// reconnecting, with sends and receives between them, as two users would.
#include <gtest/gtest.h>

#include "Model/Errors.hpp"
#include "Torvel/Api/Error.hpp"
#include "support/LogCapture.hpp"
#include "support/Team.hpp"

using namespace TestSupport;
namespace TW = TVSim::Teamwork;

namespace {

constexpr Member A = 0;
constexpr Member B = 1;

// A connects spec-<n> and sends it; B receives it. Answers both members'
// connections; B is current afterwards.
std::pair<ConnectionPtr, ConnectionPtr> ConnectedAtBoth(Team& team, int n) {
    team.As(A);
    ConnectionPtr atA = team.Connect(n);
    team.SendAndReceive();
    team.As(B);
    team.Receive();
    return {atA, team.Get(n)};
}

}  // namespace

TEST(TeamScenario, TwoMembersConnectInTurnPastTheOthersReservationAndBothEndWithBothConnectionsClausesAndIssues) {
    TestSupport::LogCapture log;
    Team team;
    team.Sim().ReserveClassificationsAndProperties();
    ConnectionPtr one = team.Connect(1);
    ASSERT_TRUE(one && AddClause(*one, "clause-a", "A10"));
    AddIssue(*one, "issue of A");
    team.SendAndReceive();

    // While A holds the reservation, B's connect is refused before anything changes.
    team.As(B);
    team.Receive();
    const std::size_t undoSteps = team.Sim().GetUndoSteps().size();
    const PK::USize groups = team.Sim().GetPropertyGroups().GetSize();
    const PK::USize records = team.Sim().GetModulDataNames().GetSize();
    EXPECT_THROW(team.Current().addOn->manager->ConnectWithSpecification(team.System(2), "spec-2", "Spec 2",
                                                                         "project-1", "Project One"),
                 Api::ErrorPropertyManagerNoAccessRight);
    EXPECT_EQ(team.Sim().GetUndoSteps().size(), undoSteps);
    EXPECT_EQ(team.Sim().GetPropertyGroups().GetSize(), groups);
    EXPECT_EQ(team.Sim().GetModulDataNames().GetSize(), records);
    team.As(A);
    team.Sim().ReleaseClassificationsAndProperties();

    team.As(B);
    ConnectionPtr two = team.Connect(2);
    ASSERT_TRUE(two && AddClause(*two, "clause-b", "B20"));
    // A clause whose code no item has becomes an issue, not a clause.
    EXPECT_FALSE(AddClause(*two, "clause-x", "X99"));
    team.SyncAll();

    const ProjectSummary expected = {
        {"spec-1", {{"clause-a"}, {"issue of A"}}},
        {"spec-2", {{"clause-b"}, {"missing X99"}}},
    };
    team.As(A);
    EXPECT_EQ(team.Summary(), expected);
    team.As(B);
    EXPECT_EQ(team.Summary(), expected);
    EXPECT_TRUE(log.MessagesStartingWith("exception: ").empty());
}

TEST(TeamScenario, ClausesAndIssuesAddedByBothToOneConnectionAreAllKeptAndTheMergedClauseAnswersToItsOwnConnection) {
    TestSupport::LogCapture log;
    Team team;
    const auto [atA, atB] = ConnectedAtBoth(team, 1);
    ASSERT_TRUE(atA && atB);
    AddClause(*atB, "clause-b", "B20");
    AddIssue(*atB, "issue of B");
    team.SendAndReceive();

    // A changed the same connection meanwhile: its receive merges into its loaded connection.
    team.As(A);
    AddClause(*atA, "clause-a", "A10");
    AddIssue(*atA, "issue of A");
    team.SendAndReceive();
    EXPECT_TRUE(log.Has(spdlog::level::info, "MergeIn: \"ConnectionWithSpecification:spec-1\", has loaded: 1"));
    ASSERT_TRUE(atA->HasVirtualType("clause-b"));
    EXPECT_EQ(team.Get(1), atA) << "the merge changed the loaded object in place";

    // The merged clause belongs to A's connection: changing it stores A's connection.
    Api::Properties changed;
    changed.Add(Api::Properties::Name::Title, "Renamed at A");
    EXPECT_TRUE(atA->CallUndoableCmd("Rename", [&] { atA->GetVirtualType("clause-b").UpdateProperties(changed); }));

    team.SyncAll();
    const ProjectSummary expected = {{"spec-1", {{"clause-a", "clause-b"}, {"issue of A", "issue of B"}}}};
    EXPECT_EQ(team.Summary(), expected);
    team.As(B);
    EXPECT_EQ(team.Summary(), expected);
    EXPECT_EQ(atB->GetVirtualType("clause-b").Properties().Get(Api::Properties::Name::Title), "Renamed at A")
        << "stored as A's connection, not as the version merged in";
    EXPECT_EQ(team.Stored(A, 1), team.Stored(B, 1));
}

TEST(TeamScenario, ADisconnectReachesTheOtherMemberAndItsReconnectComesBackToTheOneWhoDisconnected) {
    TestSupport::LogCapture log;
    Team team;
    const auto [heldByA, heldByB] = ConnectedAtBoth(team, 1);
    ASSERT_NE(heldByB, nullptr);

    team.As(A);
    ASSERT_TRUE(team.Disconnect(1));
    EXPECT_TRUE(heldByA->IsDeleted());
    team.SendAndReceive();

    team.As(B);
    team.Receive();
    EXPECT_TRUE(heldByB->IsDeleted()) << "the receive found the entry gone";
    EXPECT_TRUE(log.Has(spdlog::level::info, "Moduldata probably deleted on another TW client"));
    EXPECT_EQ(team.Get(1), nullptr);
    EXPECT_TRUE(team.Summary().empty());

    // B connects the specification again; A still holds its own disconnected object.
    ConnectionPtr again = team.Connect(1);
    ASSERT_NE(again, nullptr);
    AddClause(*again, "clause-new", "C30");
    team.SendAndReceive();
    team.As(A);
    team.Receive();
    ConnectionPtr atA = team.Get(1);
    ASSERT_NE(atA, nullptr) << "a disconnected object still held must not hide the reconnected entry";
    EXPECT_NE(atA, heldByA);
    EXPECT_TRUE(atA->HasVirtualType("clause-new"));
    EXPECT_EQ(team.Summary(), (ProjectSummary{{"spec-1", {{"clause-new"}, {}}}}));
}

TEST(TeamScenario, ANewerVersionConnectionSurvivesEveryLoadAndMergeUntouchedAndTheOthersStillList) {
    TestSupport::LogCapture log;
    Team team;
    ASSERT_NE(team.Connect(1), nullptr);
    const ConnectionPtr twoAtB = ConnectedAtBoth(team, 2).second;
    ASSERT_NE(twoAtB, nullptr);

    // A newer add-on on A's machine rewrites spec-2 and writes spec-3; B changed spec-2 meanwhile.
    AddClause(*twoAtB, "clause-b", "B20");
    team.As(A);
    const std::vector<char> newer = StoredConnection{.version = {2, 0}}.Bytes();
    for (int n : {2, 3})
        team.Sim().StoreModulData(Model::ConnectionWithSpecification::GetModulDataNameForSpecId(SpecId(n)),
                                  {1, 0x6D6D, newer});
    team.SendAndReceive();

    team.As(B);
    team.SendAndReceive();  // merges spec-2: B's own version against the newer one
    EXPECT_EQ(team.Stored(B, 2), newer);
    EXPECT_TRUE(twoAtB->IsDeleted()) << "B's loaded spec-2 must never store over the newer record";
    AddIssue(*twoAtB, "too late");
    EXPECT_EQ(team.Stored(B, 2), newer);

    const ProjectSummary listed = team.Summary();
    EXPECT_TRUE(listed.size() == 1 && listed.contains("spec-1"));
    log.Clear();
    team.Current().Show();
    EXPECT_EQ(log.Count(spdlog::level::err, "exception: Error::VersionIncompatibility"), 2u);

    team.SyncAll();
    for (Member m : {A, B})
        for (int n : {2, 3}) EXPECT_EQ(team.Stored(m, n), newer);
    team.As(A);
    EXPECT_EQ(team.Summary().size(), 1u);
}
