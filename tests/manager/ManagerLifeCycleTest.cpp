// The manager through the life of a project: no project, a project opened
// with its connections, a new project, team-work changes received, and a
// specification connected again; what the palette hears and what the page
// is sent, in order.
#include <gtest/gtest.h>

#include <algorithm>

#include "Model/Errors.hpp"
#include "Model/PlanData.hpp"
#include "TVSim/Sim.hpp"
#include "support/AddOn.hpp"
#include "support/LogCapture.hpp"
#include "support/StoredRecords.hpp"

using namespace TestSupport;
using TestSupport::LogCapture;

namespace {

Timeline statesOf(const std::string& planId, const std::string& selection = "null") {
    return {"page SetAppState", "page SetDocumentState(" + planId + ")", "page SetSelectionState(" + selection + ")"};
}

Timeline Join(Timeline a, const Timeline& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Opens the saved project "House" with what an earlier session left in it:
// the clause systems and spec-2's connection, there before the host tells
// the add-on.
TVSim::Project& OpenHouse(std::vector<API_Guid>* systems = nullptr) {
    TVSim::Project& house = TVSim::OpenSavedProject("House", "/projects/House.tvp");
    const std::vector<API_Guid> made = AddClauseSystems(house);
    StoredConnection{.system = made[1], .specId = "spec-2", .specTitle = "Spec 2"}.StoreInto(house);
    if (systems != nullptr) *systems = made;
    return house;
}

}  // namespace

TEST(ManagerLifeCycle, WithoutAProjectTheManagerStartsQuietlyAndThePageKnowsNoDocument) {
    TVSim::Reset();
    LogCapture log;
    AddOn addOn;
    EXPECT_TRUE(addOn.manager->PlanId().IsEmpty());
    EXPECT_TRUE(addOn.manager->GetConnections().IsEmpty());
    for (const auto& record : log.Records()) EXPECT_LT(record.level, spdlog::level::warn) << record.message;

    addOn.Take();
    addOn.manager->UpdateTessaryStates();
    EXPECT_EQ(addOn.Take(), statesOf("null"));
    EXPECT_EQ(addOn.page->app.app, "Pendrake Torvel");
}

TEST(ManagerLifeCycle, OpeningAProjectWithTwoConnectionsSelectsTheFirstTheHostListsAndSendsThePageItsStates) {
    AddOnProject s;
    s.addOn->Take();
    std::vector<API_Guid> systems;
    TVSim::Project& house = OpenHouse(&systems);
    StoredConnection{.system = systems[0], .specId = "spec-1", .specTitle = "Spec 1"}.StoreInto(house);
    house.AddAddOnObject("PlanData", PlanRecord("house-plan"));
    Deliver();

    EXPECT_EQ(s.addOn->Take(),
              Join({"ConnectionsChanged", "page SetSelectionState(null)", "SelectedConnectionChanged(spec-1)"},
                   statesOf("house-plan")));
    EXPECT_EQ(s.addOn->page->document.documentName, "House");
    EXPECT_EQ(s.addOn->manager->GetConnections().GetSize(), 2u);
}

TEST(ManagerLifeCycle, AConnectionThatCannotBeReadIsReportedAndTheOthersStillOpen) {
    AddOnProject s;
    s.addOn->Take();
    TVSim::Project& house = OpenHouse();
    house.StoreModulData(Model::ConnectionWithSpecification::GetModulDataNameForSpecId("spec-1"),
                         {1, 0x6D6D, std::vector<char>{'d', 'a', 'm', 'a', 'g', 'e', 'd'}});
    LogCapture log(LogCapture::Mode::AddToDefault);
    Deliver();

    const Timeline heard = s.addOn->Take();
    EXPECT_NE(std::find(heard.begin(), heard.end(), "ErrorWhileLoadingConnection"), heard.end());
    EXPECT_NE(std::find(heard.begin(), heard.end(), "SelectedConnectionChanged(spec-2)"), heard.end());
    EXPECT_FALSE(log.MessagesStartingWith("exception: ").empty());
}

TEST(ManagerLifeCycle, ANewProjectLetsTheSelectedConnectionGoAndTellsThePageTheNewDocument) {
    AddOnProject s;
    s.ConnectSpec(1);
    const PK::UniString previousPlan = s.addOn->manager->PlanId();
    s.addOn->Take();

    TVSim::OpenProject();
    Deliver();
    const PK::UniString newPlan = s.addOn->manager->PlanId();
    EXPECT_NE(newPlan, previousPlan);
    EXPECT_EQ(s.addOn->Take(),
              Join({"ConnectionsChanged", "page SetSelectionState(null)", "SelectedConnectionChanged(none)"},
                   statesOf(Text(newPlan))));
}

TEST(ManagerLifeCycle, TheHostsNewAndResetDoesAllANewProjectDoes) {
    AddOnProject s;
    s.ConnectSpec(1);
    s.addOn->Take();
    LogCapture log;
    TVSim::OpenProject();
    TVSim::Events::SetAutoDelivery(false);
    TVSim::Events::ProjectEvent(APINotify_NewAndReset);

    EXPECT_EQ(log.MessagesStartingWith("TVEvent_Project_New"),
              (std::vector<std::string>{"TVEvent_Project_NewAndReset", "TVEvent_Project_New"}));
    EXPECT_EQ(s.addOn->Take(),
              Join({"ConnectionsChanged", "page SetSelectionState(null)", "SelectedConnectionChanged(none)"},
                   statesOf(Text(s.addOn->manager->PlanId()))));
}

TEST(ManagerLifeCycle, OpeningAnotherProjectShowsNothingOfThePreviousProjectsSelection) {
    AddOnProject s;
    const ConnectionPtr connection = s.ConnectSpec(1);
    s.sim.SetSelection({s.sim.AddElement(API_WallID)});
    Deliver();
    ASSERT_EQ(s.addOn->page->selection.type.id, Text(Model::selectionContainsUnassociatedElements));
    s.addOn->Take();

    // A host that tells of the opened project before (or without) a selection change.
    TVSim::Events::SetAutoDelivery(false);
    OpenHouse();
    TVSim::Events::ProjectEvent(APINotify_Open);

    EXPECT_TRUE(s.addOn->manager->GetSelection().GetElements().IsEmpty());
    const Timeline heard = s.addOn->Take();
    EXPECT_EQ(heard.front(), "SelectionChanged(0)");
    for (const std::string& line : heard) {
        if (line.rfind("page SetSelectionState", 0) == 0) {
            EXPECT_EQ(line, "page SetSelectionState(null)");
        }
    }
}

TEST(ManagerLifeCycle, ReceivedChangesThatRemoveTheSelectedConnectionSelectTheFirstRemainingOne) {
    AddOnProject s;
    s.ConnectSpec(1);
    const ConnectionPtr second = s.ConnectSpec(2);
    ASSERT_EQ(s.addOn->manager->GetSelectedConnection(), second);
    s.addOn->Take();

    // Another member disconnected spec-2; the host brings that in.
    s.sim.EraseModulData(second->GetModulDataName());
    TVSim::Events::ProjectEvent(APINotify_ReceiveChanges);

    EXPECT_TRUE(second->IsDeleted());
    EXPECT_EQ(s.addOn->Take(),
              (Timeline{"page SetSelectionState(null)", "SelectedConnectionChanged(spec-1)", "ConnectionsChanged"}))
        << "the document stayed the same: no page states";

    TVSim::Events::ProjectEvent(APINotify_ReceiveChanges);
    EXPECT_EQ(s.addOn->Take(), (Timeline{"ConnectionsChanged"})) << "changes that keep it leave it selected";
}

TEST(ManagerLifeCycle, ReceivedChangesKeepALocalProjectIdAndBringThePageAnotherMembersId) {
    AddOnProject s;
    const PK::UniString local = s.addOn->manager->PlanId();
    ASSERT_FALSE(local.IsEmpty());
    s.addOn->Take();

    TVSim::Events::ProjectEvent(APINotify_ReceiveChanges);
    EXPECT_EQ(s.addOn->manager->PlanId(), local) << "nobody stored an id: the local one stays";
    EXPECT_EQ(s.addOn->Take(), (Timeline{"ConnectionsChanged"}));

    s.sim.AddAddOnObject("PlanData", PlanRecord("stored-by-another-member"));
    TVSim::Events::ProjectEvent(APINotify_ReceiveChanges);
    EXPECT_EQ(s.addOn->manager->PlanId(), "stored-by-another-member");
    EXPECT_EQ(s.addOn->Take(), Join({"ConnectionsChanged"}, statesOf("stored-by-another-member")));
}

TEST(ManagerLifeCycle, ConnectingAConnectedSpecificationAgainReplacesItsConnection) {
    AddOnProject s;
    const ConnectionPtr old = s.ConnectSpec(1);
    const PK::UniString plan = s.addOn->manager->PlanId();
    s.addOn->Take();

    const ConnectionPtr renewed = s.ConnectSpec(1);
    EXPECT_TRUE(old->IsDeleted());
    EXPECT_NE(renewed, old);
    EXPECT_EQ(s.addOn->manager->GetSelectedConnection(), renewed);
    // The manager watched the old connection already: its disconnection is heard once.
    EXPECT_EQ(
        s.addOn->Take(),
        (Timeline{"ConnectionLoadedToBeDisconnected(spec-1)", "page RemoveSpecAssociation(spec-1, " + Text(plan) + ")",
                  "ConnectionsChanged", "page SetSelectionState(null)", "SelectedConnectionChanged(none)",
                  "page AssociateSpec(spec-1, " + Text(plan) + ", Untitled)", "page SetSelectionState(null)",
                  "SelectedConnectionChanged(spec-1)", "ConnectionsChanged"}));
}

TEST(ManagerLifeCycle, TheFirstConnectionSharesTheLocalIdQuietlyOrAdoptsAStoredOneAndTellsThePage) {
    AddOnProject s;
    const PK::UniString local = s.addOn->manager->PlanId();
    s.addOn->Take();
    s.ConnectSpec(1);
    EXPECT_EQ(s.addOn->manager->PlanId(), local);
    EXPECT_NE(s.sim.FindAddOnObject("PlanData"), nullptr);
    const Timeline heard = s.addOn->Take();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "page SetAppState"), 0);

    AddOnProject other;
    other.addOn->Take();
    other.sim.AddAddOnObject("PlanData", PlanRecord("first-member"));
    other.ConnectSpec(1);
    EXPECT_EQ(other.addOn->manager->PlanId(), "first-member") << "another member's stored id is adopted";
    const Timeline told = other.addOn->Take();
    EXPECT_EQ(Timeline(told.begin(), told.begin() + 3), statesOf("first-member"));
}

TEST(ManagerLifeCycle, AProjectIdAnotherMemberIsWritingStopsTheConnectionAndChangesNothing) {
    AddOnProject s;
    s.sim.SetShared(true);
    const API_Guid object = s.sim.AddAddOnObject("PlanData");
    s.sim.ReserveAddOnObjectByOther(object);
    EXPECT_THROW(s.ConnectSpec(1), Model::AnotherUserIsInitingThePlanId);
    EXPECT_TRUE(s.addOn->manager->GetConnections().IsEmpty());
}

TEST(ManagerLifeCycle, ClosingTheProjectChangesNothing) {
    AddOnProject s;
    const ConnectionPtr connection = s.ConnectSpec(1);
    s.addOn->Take();
    TVSim::Events::ProjectEvent(APINotify_Close);
    EXPECT_TRUE(s.addOn->Take().empty());
    EXPECT_EQ(s.addOn->manager->GetSelectedConnection(), connection);
}

TEST(ManagerLifeCycle, AnObserverAttachedTwiceHearsEachEventOnce) {
    AddOnProject s;
    s.addOn->manager->Attach(s.addOn->palette);
    s.addOn->Take();
    s.ConnectSpec(1);
    const Timeline heard = s.addOn->Take();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "ConnectionsChanged"), 1);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "SelectedConnectionChanged(spec-1)"), 1);
}
