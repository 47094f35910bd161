#include <gtest/gtest.h>

#include <algorithm>

#include "Model/Errors.hpp"
#include "TVSim/Sim.hpp"
#include "support/AddOn.hpp"
#include "support/LogCapture.hpp"
#include "support/StoredRecords.hpp"

using namespace TestSupport;

namespace {

// What the add-on heard and sent since the last time, one entry after the other.
std::string Heard(AddOn& addOn) { return fmt::format("{}", fmt::join(addOn.Take(), ", ")); }
// What the page is sent after those entries when the document changes.
std::string With(const std::string& heard, const std::string& plan) {
    return heard + (heard.empty() ? "" : ", ") + "page SetAppState, page SetDocumentState(" + plan +
           "), page SetSelectionState(null)";
}
// How often the palette was told since the last time that a connection could not be loaded: each time, an alert.
long LoadErrorsTold(AddOn& addOn) {
    const Timeline heard = addOn.Take();
    return std::count(heard.begin(), heard.end(), "ErrorWhileLoadingConnection");
}

}  // namespace

// Nothing of the previous project's selection may reach the page, whenever the host tells of it.
TEST(ManagerLifeCycle, OpeningAProjectSelectsTheFirstConnectionThatCanBeReadAndANewProjectLetsItGo) {
    AddOnProject s;
    s.ConnectSpec(1);
    s.sim.SetSelection({s.sim.AddElement(API_WallID)});
    Deliver();
    ASSERT_EQ(s.addOn->page->selection.type.id, Text(Model::selectionContainsUnassociatedElements));
    s.addOn->Take();

    TVSim::Events::SetAutoDelivery(false);
    TVSim::Project& house = TVSim::OpenSavedProject("House", "/projects/House.tvp");
    const std::vector<API_Guid> systems = AddClauseSystems(house);
    StoredConnection{.system = systems[1], .specId = "spec-2", .specTitle = "Spec 2"}.StoreInto(house);
    StoredConnection{.system = systems[0], .specId = "spec-1", .specTitle = "Spec 1"}.StoreInto(house);
    house.StoreModulData(Model::ConnectionWithSpecification::GetModulDataNameForSpecId("spec-0"),
                         {1, 0x6D6D, std::vector<char>{'d', 'a', 'm', 'a', 'g', 'e', 'd'}});
    house.AddAddOnObject("PlanData", PlanRecord("house-plan"));
    LogCapture log;
    TVSim::Events::ProjectEvent(APINotify_Open);
    EXPECT_EQ(Heard(*s.addOn), With("SelectionChanged(0), ConnectionsChanged, ErrorWhileLoadingConnection, "
                                    "page SetSelectionState(null), SelectedConnectionChanged(spec-1)",
                                    "house-plan"));
    EXPECT_EQ(s.addOn->page->document.documentName, "House");
    EXPECT_EQ(s.addOn->manager->GetConnections().GetSize(), 2u);
    EXPECT_EQ(s.addOn->manager->GetConnection("spec-0"), nullptr);
    EXPECT_EQ(Heard(*s.addOn), "") << "the damaged record is told of once";
    EXPECT_FALSE(log.MessagesStartingWith("exception: ").empty());

    TVSim::Events::SetAutoDelivery(true);
    s.addOn->Take();
    TVSim::OpenProject();
    Deliver();
    EXPECT_NE(s.addOn->manager->PlanId(), "house-plan");
    EXPECT_EQ(Heard(*s.addOn), With("ConnectionsChanged, page SetSelectionState(null), SelectedConnectionChanged(none)",
                                    Text(s.addOn->manager->PlanId())));
    const PK::UniString before = s.addOn->manager->PlanId();
    TVSim::Events::ProjectEvent(APINotify_NewAndReset);
    EXPECT_NE(s.addOn->manager->PlanId(), before) << "a new project as well";
}

// A damaged record is news once in a project, for each record, until it is read or replaced; the host's refusal to
// hand a record over is news at every look.
TEST(ManagerLifeCycle, ADamagedRecordIsToldOnceUntilReadReplacedOrOpenedAgainAndTheHostsRefusalEveryTime) {
    AddOnProject s;
    Model::Manager& manager = *s.addOn->manager;
    s.ConnectSpec(1);
    const std::vector<char> damaged{'d', 'a', 'm', 'a', 'g', 'e', 'd'};
    s.Store("spec-2", damaged);
    s.addOn->Take();
    manager.GetConnections();
    EXPECT_EQ(LoadErrorsTold(*s.addOn), 1);
    manager.GetConnections();
    EXPECT_EQ(manager.GetConnection("spec-2"), nullptr);
    EXPECT_EQ(LoadErrorsTold(*s.addOn), 0) << "a record that stays damaged is told once";

    s.Store("spec-3", damaged);
    manager.GetConnections();
    EXPECT_EQ(LoadErrorsTold(*s.addOn), 1) << "another damaged record is news";
    manager.GetConnections();
    EXPECT_EQ(LoadErrorsTold(*s.addOn), 0);

    TVSim::Events::ProjectEvent(APINotify_Open);
    EXPECT_EQ(LoadErrorsTold(*s.addOn), 1) << "the project opened again";

    // The user connects spec-2 again, which replaces its record; it is damaged again before the user turns back to
    // spec-1, and so is read again only then.
    ASSERT_NE(s.ConnectSpec(2), nullptr);
    const std::vector<char> replaced = s.Stored("spec-2");
    s.Store("spec-2", damaged);
    manager.SelectConnectionById("spec-1");
    manager.GetConnections();
    EXPECT_EQ(LoadErrorsTold(*s.addOn), 1) << "a replaced record damaged again";

    // Its record is whole again and read, then damaged again.
    s.Store("spec-2", replaced);
    EXPECT_EQ(manager.GetConnections().GetSize(), 2u);
    EXPECT_EQ(LoadErrorsTold(*s.addOn), 0);
    s.Store("spec-2", damaged);
    manager.GetConnections();
    EXPECT_EQ(LoadErrorsTold(*s.addOn), 1) << "a record read since and damaged again";

    TVSim::Faults::FailAlways("TVAPI_ModulData_Get", APIERR_GENERAL);
    for (int look = 1; look <= 2; ++look) {
        EXPECT_TRUE(manager.GetConnections().IsEmpty());
        EXPECT_EQ(LoadErrorsTold(*s.addOn), 1) << "the host's refusal, look " << look;
    }
    TVSim::Faults::Clear();
    EXPECT_EQ(manager.GetConnections().GetSize(), 1u);
    EXPECT_EQ(LoadErrorsTold(*s.addOn), 0) << "the damaged records were told already";
}

TEST(ManagerLifeCycle, ConnectingAndReceivedChangesKeepTheDocumentUnlessAnotherMemberStoredAnotherId) {
    AddOnProject s;
    const std::string plan = Text(s.addOn->manager->PlanId());
    s.addOn->Take();
    TVSim::Events::ProjectEvent(APINotify_ReceiveChanges);
    EXPECT_EQ(Text(s.addOn->manager->PlanId()), plan) << "nobody stored an id: the local one stays";
    EXPECT_EQ(Heard(*s.addOn), "ConnectionsChanged");

    const ConnectionPtr old = s.ConnectSpec(1);
    EXPECT_EQ(Text(s.addOn->manager->PlanId()), plan);
    const std::string connected = "page AssociateSpec(spec-1, " + plan +
                                  ", Untitled), page SetSelectionState(null), SelectedConnectionChanged(spec-1), "
                                  "ConnectionsChanged";
    EXPECT_EQ(Heard(*s.addOn), connected);
    const ConnectionPtr renewed = s.ConnectSpec(1);
    EXPECT_TRUE(old->IsDeleted() && renewed != old);
    // The manager watched the old connection already: its disconnection is heard once.
    EXPECT_EQ(Heard(*s.addOn), "ConnectionLoadedToBeDisconnected(spec-1), page RemoveSpecAssociation(spec-1, " + plan +
                                   "), ConnectionsChanged, page SetSelectionState(null), "
                                   "SelectedConnectionChanged(none), " +
                                   connected);

    const ConnectionPtr second = s.ConnectSpec(2);
    s.addOn->Take();
    s.sim.EraseModulData(second->GetModulDataName());
    TVSim::Events::ProjectEvent(APINotify_ReceiveChanges);
    EXPECT_TRUE(second->IsDeleted());
    EXPECT_EQ(Heard(*s.addOn), "page SetSelectionState(null), SelectedConnectionChanged(spec-1), ConnectionsChanged");
    EXPECT_EQ(s.addOn->manager->GetSelectedConnection(), renewed);
    TVSim::Events::ProjectEvent(APINotify_Close);
    EXPECT_EQ(Heard(*s.addOn), "") << "closing the project changes nothing";

    s.sim.SetAddOnObjectContent(s.sim.FindAddOnObject("PlanData")->guid, PlanRecord("stored-by-another-member"));
    TVSim::Events::ProjectEvent(APINotify_ReceiveChanges);
    EXPECT_EQ(s.addOn->manager->PlanId(), "stored-by-another-member");
    EXPECT_EQ(Heard(*s.addOn), With("ConnectionsChanged", "stored-by-another-member"))
        << "changes that keep the selected connection leave it selected";
}

TEST(ManagerLifeCycle, TheFirstConnectionWaitsForAnIdAnotherMemberIsWritingAndAdoptsItOnceStored) {
    AddOnProject s;
    s.sim.SetShared(true);
    const API_Guid object = s.sim.AddAddOnObject("PlanData");
    s.sim.ReserveAddOnObjectByOther(object);
    EXPECT_THROW(s.ConnectSpec(1), Model::AnotherUserIsInitingThePlanId);
    EXPECT_TRUE(s.addOn->manager->GetConnections().IsEmpty());

    s.sim.SetAddOnObjectContent(object, PlanRecord("first-member"));
    s.sim.ReserveClassificationsAndProperties();
    s.addOn->Take();
    s.ConnectSpec(1);
    EXPECT_EQ(s.addOn->manager->PlanId(), "first-member");
    EXPECT_TRUE(Heard(*s.addOn).starts_with(With("", "first-member")));
}
