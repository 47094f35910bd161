// Two members of a shared project, each with the add-on and its page: they
// agree on one project id, each page's document reference follows it, and
// the versions of a connection both changed are merged through the manager.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "ManagerScene.hpp"
#include "PK/Runnable.hpp"
#include "TVSim/Sim.hpp"
#include "TVSim/SimTeamwork.hpp"
#include "support/LogCapture.hpp"

using namespace MgrTest;
using TestSupport::LogCapture;
namespace TW = TVSim::Teamwork;

namespace {

// Member A shared the project and member B joined it; each runs the add-on
// on a machine of its own, and only the current member's hears its host.
class Team {
public:
    Team() {
        TVSim::Reset();
        systems = AddClauseSystems(TVSim::OpenProject());
        Scene::Deliver();
        TW::Share("Member A");
        // Each page, once loaded, asks for the states.
        members[0] = std::make_unique<AddOn>();
        members[0]->manager->UpdateTessaryStates();
        members[0]->Leave();
        TW::Join("Member B");
        TW::SwitchTo(1);
        members[1] = std::make_unique<AddOn>();
        members[1]->manager->UpdateTessaryStates();
        Scene::Deliver();
    }

    AddOn& Of(int m) { return *members[static_cast<std::size_t>(m)]; }
    AddOn& Current() { return Of(TW::Current()); }
    void As(int m) {
        Scene::Deliver();
        Current().Leave();
        TW::SwitchTo(m);
        Current().Enter();
    }
    // The current member connects spec-<n>, holding the reservation of
    // classifications and properties for the connection only.
    void Connect(int n) {
        TVSim::Project& project = *TVSim::GetProject();
        project.ReserveClassificationsAndProperties();
        Current().manager->ConnectWithSpecification(systems[static_cast<std::size_t>(n - 1)], Scene::SpecId(n),
                                                    ("Spec " + std::to_string(n)).c_str(), "project-1", "Project One");
        project.ReleaseClassificationsAndProperties();
    }
    void SendAndReceive() {
        TW::SendAndReceive();
        Scene::Deliver();
    }
    // The page shows the document the member's add-on knows.
    void ExpectPageFollowsPlanId(int m) {
        EXPECT_EQ(Of(m).page->document.documentRef, Of(m).manager->PlanId()) << "member " << m;
    }

    std::vector<API_Guid> systems;
    std::array<std::unique_ptr<AddOn>, 2> members;
};

}  // namespace

TEST(TeamProjectId, AMemberWhoReceivesTheFirstConnectionTakesTheProjectIdOfTheMemberWhoMadeIt) {
    Team team;
    const PK::UniString localOfB = team.Of(1).manager->PlanId();
    team.As(0);
    team.Connect(1);
    const PK::UniString idOfA = team.Of(0).manager->PlanId();
    ASSERT_NE(idOfA, localOfB);
    team.ExpectPageFollowsPlanId(0);
    team.SendAndReceive();

    team.As(1);
    team.ExpectPageFollowsPlanId(1);
    team.SendAndReceive();
    EXPECT_EQ(team.Of(1).manager->PlanId(), idOfA);
    team.ExpectPageFollowsPlanId(1);
    ASSERT_NE(team.Of(1).manager->GetSelectedConnection(), nullptr);
    EXPECT_EQ(team.Of(1).manager->GetSelectedConnection()->TessarySpecificationId(), "spec-1");

    // More changes received leave the agreed id, and the page, as they are.
    team.As(0);
    team.SendAndReceive();
    team.ExpectPageFollowsPlanId(0);
    team.As(1);
    team.Current().Take();
    team.SendAndReceive();
    EXPECT_EQ(team.Of(1).manager->PlanId(), idOfA);
    const Timeline heard = team.Current().Take();
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
        AddOn& addOn = team.Current();
        const API_Guid element = TVSim::GetProject()->AddElement(API_WallID);
        TVSim::GetProject()->SetSelection({element});
        Scene::Deliver();
        addOn.page->Model().Handle_associationRequested("", "spec-1", (std::string("clause-") + code).c_str(),
                                                        Clause(std::string("clause-") + code, code));
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
        const ConnectionPtr connection = team.Of(m).manager->GetConnection("spec-1");
        ASSERT_NE(connection, nullptr);
        EXPECT_TRUE(connection->HasVirtualType("clause-A10")) << "member " << m;
        EXPECT_TRUE(connection->HasVirtualType("clause-B20")) << "member " << m;
    }
}

TEST(TeamMerge, AModuleDataEntryThatIsNoConnectionIsRefusedAndLeftAsItWas) {
    Scene s;
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
