// Two members of a shared project, each with the add-on and its page: they
// agree on one project id, each page's document reference follows it, and
// the versions of a connection both changed are merged through the manager.
#include <gtest/gtest.h>

#include <algorithm>

#include "TVSim/Sim.hpp"
#include "support/LogCapture.hpp"
#include "support/Team.hpp"

using namespace TestSupport;
using TestSupport::LogCapture;

namespace {

// The page shows the document the member's add-on knows.
void ExpectPageFollowsPlanId(Team& team, int m) {
    EXPECT_EQ(team.Of(m).addOn->page->document.documentRef, team.Of(m).addOn->manager->PlanId()) << "member " << m;
}

}  // namespace

TEST(TeamProjectId, AMemberWhoReceivesTheFirstConnectionTakesTheProjectIdOfTheMemberWhoMadeIt) {
    Team team;
    const PK::UniString localOfB = team.Of(1).addOn->manager->PlanId();
    team.As(0);
    team.Connect(1);
    const PK::UniString idOfA = team.Of(0).addOn->manager->PlanId();
    ASSERT_NE(idOfA, localOfB);
    ExpectPageFollowsPlanId(team, 0);
    team.SendAndReceive();

    team.As(1);
    ExpectPageFollowsPlanId(team, 1);
    team.SendAndReceive();
    EXPECT_EQ(team.Of(1).addOn->manager->PlanId(), idOfA);
    ExpectPageFollowsPlanId(team, 1);
    ASSERT_NE(team.Of(1).addOn->manager->GetSelectedConnection(), nullptr);
    EXPECT_EQ(team.Of(1).addOn->manager->GetSelectedConnection()->TessarySpecificationId(), "spec-1");

    // More changes received leave the agreed id, and the page, as they are.
    team.As(0);
    team.SendAndReceive();
    ExpectPageFollowsPlanId(team, 0);
    team.As(1);
    team.Current().addOn->Take();
    team.SendAndReceive();
    EXPECT_EQ(team.Of(1).addOn->manager->PlanId(), idOfA);
    const Timeline heard = team.Current().addOn->Take();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "page SetAppState"), 0);
}

TEST(TeamMerge, TwoMembersAssociatingInOneConnectionKeepBothClauses) {
    Team team;
    team.As(0);
    team.Connect(1);
    team.SendAndReceive();
    team.As(1);
    team.SendAndReceive();

    const auto associateOne = [&](const char* code) {
        AddOn& addOn = *team.Current().addOn;
        const API_Guid element = TVSim::GetProject()->AddElement(API_WallID);
        TVSim::GetProject()->SetSelection({element});
        Deliver();
        addOn.page->Model().Handle_associationRequested("", "spec-1", (std::string("clause-") + code).c_str(),
                                                        Clause((std::string("clause-") + code).c_str(), code));
    };
    associateOne("B20");
    team.As(0);
    associateOne("A10");
    team.SendAndReceive();
    team.As(1);
    team.SendAndReceive();  // B's version and A's meet here: the host asks B's add-on to merge
    team.As(0);
    team.SendAndReceive();

    for (int m : {0, 1}) {
        const ConnectionPtr connection = team.Of(m).addOn->manager->GetConnection("spec-1");
        ASSERT_NE(connection, nullptr);
        EXPECT_TRUE(connection->HasVirtualType("clause-A10")) << "member " << m;
        EXPECT_TRUE(connection->HasVirtualType("clause-B20")) << "member " << m;
    }
}

TEST(TeamMerge, AModuleDataEntryThatIsNoConnectionIsRefusedAndLeftAsItWas) {
    AddOnProject s;
    LogCapture log;
    API_ModulData destination{};
    const API_ModulData stored{1, 0x6D6D, nullptr};
    EXPECT_EQ(s.addOn->manager->HandleModulDataMergeRequest(APIMDSetMerge_TW, "SomebodyElses", &stored, &stored,
                                                            &destination),
              APIERR_BADPARS);
    EXPECT_EQ(destination.dataHdl, nullptr);
    EXPECT_EQ(destination.dataVersion, 0);
    EXPECT_TRUE(log.Has(spdlog::level::critical, "Modul data merge handler is missing: \"SomebodyElses\""));

    EXPECT_EQ(s.addOn->manager->HandleModulDataMergeRequest(APIMDSetMerge_TW, "ConnectionWithSpecification:spec-1",
                                                            nullptr, &stored, &destination),
              APIERR_BADPARS)
        << "a missing record, as the connections' merge answers it";
}
