// What is selected, in the host and among the connections: the selection is
// followed with or without a page, a page that comes back is brought up to
// date, and selecting a connection stays whole when the project's
// connections cannot be listed.
#include <gtest/gtest.h>

#include <sstream>

#include "TVSim/Sim.hpp"
#include "support/AddOn.hpp"
#include "support/LogCapture.hpp"
#include "support/StoredRecords.hpp"

using namespace TestSupport;

TEST(ManagerSelection, WithoutAPageTheSelectionIsStillFollowedSoThePaletteAssociatesWhatIsSelectedNow) {
    AddOnProject s(false);
    const ConnectionPtr connection = s.ConnectSpec(1);
    const API_Guid wall = s.sim.AddElement(API_WallID);
    const API_Guid slab = s.sim.AddElement(API_SlabID);
    s.addOn->Take();

    s.sim.SetSelection({wall});
    Deliver();
    s.sim.SetSelection({slab});
    Deliver();
    EXPECT_EQ(s.addOn->Take(), (Timeline{"SelectionChanged(1)", "SelectionChanged(1)"}));

    // The palette's association takes the cached selection.
    connection->Cmd_AssociateElementsToVirtualType("clause-A10", Clause("clause-A10", "A10"),
                                                   s.addOn->manager->GetSelection().GetElements(), false);
    EXPECT_EQ(s.sim.GetItemOf(slab, s.System(1)), s.Item("A10"));
    EXPECT_EQ(s.sim.GetItemOf(wall, s.System(1)), APINULLGuid);

    s.addOn->Take();
    s.addOn->manager->UpdateTessaryStates();
    EXPECT_TRUE(s.addOn->Take().empty()) << "no page: nothing is computed or sent";

    // The selection is read afresh for the page that comes.
    s.addOn->manager->ResetTessaryApi(s.addOn->page);
    EXPECT_EQ(s.addOn->Take(), (Timeline{"SelectionChanged(1)", "page SetSelectionState(clause-A10)"}));
}

TEST(ManagerSelection, APageThatComesBackIsSentTheSelectionMadeWhileItWasAway) {
    AddOnProject s;
    s.ConnectSpec(1);
    std::weak_ptr<RecordingPage> closed = s.addOn->page;
    s.addOn->page.reset();  // the browser panel closes
    ASSERT_TRUE(closed.expired());
    s.sim.SetSelection({s.sim.AddElement(API_WallID)});
    Deliver();
    s.addOn->Take();

    auto reopened = std::make_shared<RecordingPage>(s.addOn->timeline);
    s.addOn->manager->ResetTessaryApi(reopened);
    EXPECT_EQ(s.addOn->Take(),
              (Timeline{"SelectionChanged(1)",
                        "page SetSelectionState(" + Text(Model::selectionContainsUnassociatedElements) + ")"}));
    EXPECT_NO_THROW(reopened->Model()) << "the page can call the model again";

    s.addOn->manager->ResetTessaryApi(reopened);
    EXPECT_TRUE(s.addOn->Take().empty()) << "the same page again changes nothing";
}

TEST(ManagerSelection, SelectingAConnectionTellsThePageAndThePaletteOnlyWhenItChanges) {
    AddOnProject s;
    Model::Manager& manager = *s.addOn->manager;
    for (int n : {1, 2})
        StoredConnection{.system = s.System(n), .specId = SpecId(n), .specTitle = ("Spec " + std::to_string(n)).c_str()}
            .StoreInto(s.sim);
    s.addOn->Take();

    manager.ResetSelectedConnection(nullptr);
    EXPECT_TRUE(s.addOn->Take().empty()) << "none selected and none asked for, connections or not";

    manager.SelectConnectionById("spec-2");
    EXPECT_EQ(s.addOn->Take(), (Timeline{"page SetSelectionState(null)", "SelectedConnectionChanged(spec-2)"}));
    manager.ResetSelectedConnection(manager.GetConnection("spec-2"));
    EXPECT_TRUE(s.addOn->Take().empty()) << "selected already";

    manager.SelectConnectionById("");
    EXPECT_EQ(s.addOn->Take(), (Timeline{"page SetSelectionState(null)", "SelectedConnectionChanged(spec-1)"}))
        << "an empty choice falls to the first connection";
    manager.ResetSelectedConnection(nullptr);
    EXPECT_EQ(s.addOn->Take(), (Timeline{"page SetSelectionState(null)", "SelectedConnectionChanged(spec-1)"}))
        << "the first connection may be the selected one itself";
}

TEST(ManagerSelection, ADisconnectionWhileTheConnectionsCannotBeListedLeavesNoConnectionSelectedAndSaysSo) {
    AddOnProject s;
    s.ConnectSpec(1);
    const ConnectionPtr second = s.ConnectSpec(2);
    const PK::UniString plan = s.addOn->manager->PlanId();
    s.addOn->Take();
    TVSim::Faults::FailAlways("TVAPI_ModulData_GetList", APIERR_MEMFULL);
    TestSupport::LogCapture log;

    s.addOn->page->Model().Handle_removeSpecAssociationRequested("project-1", "spec-2", plan);
    EXPECT_TRUE(second->IsDeleted());
    EXPECT_EQ(s.addOn->manager->GetSelectedConnection(), nullptr);
    EXPECT_EQ(s.addOn->Take(), (Timeline{"ConnectionLoadedToBeDisconnected(spec-2)",
                                         "page RemoveSpecAssociation(spec-2, " + Text(plan) + ")", "ConnectionsChanged",
                                         "ErrorWhileLoadingConnection", "page SetSelectionState(null)",
                                         "SelectedConnectionChanged(none)"}));
    EXPECT_TRUE(log.Has(spdlog::level::err, "exception: APIERR_MEMFULL(-2130313214)"));
    EXPECT_TRUE(log.Has(spdlog::level::info, "ResetSelectedConnection: none"));
}

TEST(ManagerDump, ShowsTheIdentityTheSelectionAndTheConnections) {
    AddOnProject s;
    std::ostringstream empty;
    empty << *s.addOn->manager;
    EXPECT_EQ(empty.str(), "{_planData:PlanData{_id: \"" + Text(s.addOn->manager->PlanId()) +
                               "\"}, _selectedSpecId:\"\", _selectionCache: elem_count: 0, connections: []}");

    const ConnectionPtr connection = s.ConnectSpec(1);
    s.sim.SetSelection({s.sim.AddElement(API_WallID)});
    Deliver();
    std::ostringstream connected;
    connected << *s.addOn->manager;
    std::ostringstream expectedConnection;
    expectedConnection << *connection;
    EXPECT_EQ(connected.str(), "{_planData:PlanData{_id: \"" + Text(s.addOn->manager->PlanId()) +
                                   "\"}, _selectedSpecId:\"spec-1\", _selectionCache: elem_count: 1, connections: [" +
                                   expectedConnection.str() + "]}");
}
