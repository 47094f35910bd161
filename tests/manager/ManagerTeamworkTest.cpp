// Two members of a shared project, each with the add-on and its page: they
// agree on one project id, each page's document reference follows it, and
// the versions of a connection both changed are merged through the manager.
#include <gtest/gtest.h>

#include <algorithm>

#include "TVSim/Sim.hpp"
#include "support/LogCapture.hpp"
#include "support/Team.hpp"

using namespace TestSupport;

TEST(TeamManagers, AgreeOnTheFirstMembersProjectIdAndKeepTheClausesBothAssociatedInOneConnection) {
    Team team;
    const auto planOf = [&](Member m) { return team.Of(m).addOn->manager->PlanId(); };
    const auto pageOf = [&](Member m) { return team.Of(m).addOn->page->document.documentRef; };
    const auto associate = [&](const char* code) {
        const std::string clauseId = std::string("clause-") + code;
        TVSim::GetProject()->SetSelection({TVSim::GetProject()->AddElement(API_WallID)});
        Deliver();
        team.Current().addOn->page->Model().Handle_associationRequested("", "spec-1", clauseId.c_str(),
                                                                        Clause(clauseId.c_str(), code));
    };
    const PK::UniString localOfB = planOf(1);
    team.As(0);
    team.Connect(1);
    ASSERT_NE(planOf(0), localOfB);
    team.SendAndReceive();
    team.As(1);
    EXPECT_EQ(pageOf(1), localOfB);
    team.SendAndReceive();
    EXPECT_EQ(planOf(1), planOf(0));
    EXPECT_EQ(pageOf(1), planOf(0));
    EXPECT_EQ(team.Of(1).addOn->manager->GetSelectedConnection(), team.Of(1).addOn->manager->GetConnection("spec-1"));

    associate("B20");
    team.As(0);
    associate("A10");
    team.SendAndReceive();
    team.As(1);
    team.Current().addOn->Take();
    team.SendAndReceive();  // B's version and A's meet here: the host asks B's add-on to merge
    const Timeline heard = team.Current().addOn->Take();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "page SetAppState"), 0) << "the agreed id stays";
    team.As(0);
    team.SendAndReceive();
    for (Member m : {0, 1}) {
        const ConnectionPtr connection = team.Of(m).addOn->manager->GetConnection("spec-1");
        ASSERT_NE(connection, nullptr);
        EXPECT_TRUE(connection->HasVirtualType("clause-A10")) << "member " << m;
        EXPECT_TRUE(connection->HasVirtualType("clause-B20")) << "member " << m;
        EXPECT_EQ(pageOf(m), planOf(0)) << "member " << m;
    }
}

TEST(TeamManagers, RefuseToMergeAModuleDataEntryThatIsNoConnectionAndLeaveItAsItWas) {
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
}
