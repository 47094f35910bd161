#include <gtest/gtest.h>

#include "TVSim/Sim.hpp"
#include "support/AddOn.hpp"

using namespace TestSupport;

TEST(ManagerSelection, WhileThePageIsClosedTheSelectionIsFollowedAndThePageThatComesBackIsSentIt) {
    AddOnProject s;
    const ConnectionPtr connection = s.ConnectSpec(1);
    const API_Guid wall = s.sim.AddElement(API_WallID), slab = s.sim.AddElement(API_SlabID);
    std::weak_ptr<RecordingPage> closed = s.addOn->page;
    s.addOn->page.reset();  // the browser panel closes
    ASSERT_TRUE(closed.expired());
    s.addOn->Take();
    for (const API_Guid& element : {wall, slab}) {
        s.sim.SetSelection({element});
        Deliver();
    }
    EXPECT_EQ(s.addOn->Take(), (Timeline{"SelectionChanged(1)", "SelectionChanged(1)"}));
    // The palette's association takes the cached selection.
    connection->Cmd_AssociateElementsToVirtualType("clause-A10", Clause("clause-A10", "A10"),
                                                   s.addOn->manager->GetSelection().GetElements(), false);
    EXPECT_EQ(s.sim.GetItemOf(slab, s.System(1)), s.Item("A10"));
    EXPECT_EQ(s.sim.GetItemOf(wall, s.System(1)), APINULLGuid);
    s.addOn->manager->UpdateTessaryStates();
    EXPECT_TRUE(s.addOn->Take().empty()) << "no page: nothing is computed or sent";

    // The selection is read afresh for the page that comes.
    auto reopened = std::make_shared<RecordingPage>(s.addOn->timeline);
    s.addOn->manager->ResetTessaryApi(reopened);
    EXPECT_EQ(s.addOn->Take(), (Timeline{"SelectionChanged(1)", "page SetSelectionState(clause-A10)"}));
    EXPECT_NO_THROW(reopened->Model()) << "the page can call the model again";
}
