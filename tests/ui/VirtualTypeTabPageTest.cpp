// The virtual-type panel in the palette, over a real manager in the standard
// project: its rows against real associations, its buttons by the host
// selection, the commands it runs, its scroll position and its reopening.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TVSim/Dialogs.hpp"
#include "UI/VirtualTypeTabPage.hpp"
#include "support/LogCapture.hpp"
#include "support/Panels.hpp"

using namespace TestSupport;
using TessaryConnect::UI::VirtualTypeTabPage;

namespace {

struct VirtualTypePanel : PanelProject<VirtualTypeTabPage> {
    // The numbers of the enabled buttons among 2, 3, 8 and 9, then texts 4 to 7.
    std::string Buttons() const {
        std::string on;
        for (short item : {2, 3, 8, 9})
            if (page->GetItem(item)->IsEnabled()) on += std::to_string(item);
        for (short item : {4, 5, 6, 7}) on += " " + TextOf(item);
        return on;
    }
    void Select(const PK::Array<API_Guid>& elements) { sim.SetSelection(elements), Deliver(); }
};

}  // namespace

TEST(VirtualTypePanel, FollowsTheConnectionsVirtualTypesAndActsOnTheHostSelection) {
    VirtualTypePanel p;
    EXPECT_EQ(Text(p.rollPanel->GetTitle()), "Clauses in use");
    p.palette.Show();
    EXPECT_FALSE(p.rollPanel->IsEnabled());
    const ConnectionPtr conn = p.ConnectSpec(1);
    EXPECT_TRUE(p.rollPanel->IsEnabled());
    const API_Guid wall = p.sim.AddElement(API_WallID), locked = p.sim.AddElement(API_SlabID, {.locked = true});
    conn->Cmd_AssociateElementsToVirtualType("clause-b", Clause("clause-b", "B20"), {p.sim.AddElement(API_WallID)},
                                             false);
    conn->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {}, false);
    EXPECT_EQ(p.Rows(), (std::vector<std::string>{"B20 Title", "A10 Title"}));
    EXPECT_EQ(p.Buttons(), " Selected: 0 Editable: 0");

    ASSERT_TRUE(TVSim::Dialogs::SelectRow(*p.page, 1, 2));
    EXPECT_EQ(p.Buttons(), "23 Selected: 0 Editable: 0") << "nothing selected in the host";
    p.Select({locked});
    EXPECT_EQ(p.Buttons(), "2389 Selected: 1 Editable: 0") << "a kept element counts though not editable";

    // Associate and disassociate the host selection, each one undo step.
    p.Select({wall});
    const std::size_t steps = p.sim.GetUndoSteps().size();
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 8));
    EXPECT_EQ(conn->GetVirtualType("clause-a").GetAssociatedElements(), PK::Array<PK::Guid>{wall});
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 9));
    EXPECT_TRUE(conn->GetVirtualType("clause-a").GetAssociatedElements().IsEmpty());
    EXPECT_EQ(p.sim.GetUndoSteps().size(), steps + 2);

    // Select and zoom to a clause without elements: the host selection empties, the zoom still comes.
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 3));
    EXPECT_TRUE(p.sim.GetSelection().IsEmpty());
    EXPECT_EQ(p.sim.GetZooms().size(), 1u);

    // A rebuild with fewer rows than the scroll position clamps it.
    p.List().SetScrollPosition(5);
    conn->Cmd_AssociateElementsToVirtualType("clause-c", Clause("clause-c", "C30"), {}, false);
    EXPECT_EQ(p.List().GetItemCount(), 3);
    EXPECT_EQ(p.List().GetScrollPosition(), 3);

    // Grown, the list takes the space; the counts and buttons move down, associate widens, disassociate moves right.
    TVSim::Dialogs::Resize(*p.page, 10, 20);
    std::vector<DG::Rect> rects;
    for (short item : {1, 5, 8, 9}) rects.push_back(p.page->GetItem(item)->GetRect());
    EXPECT_EQ(rects, (std::vector<DG::Rect>{
                         {4, 4, 566, 224}, {148, 228, 188, 242}, {4, 264, 290, 288}, {294, 264, 566, 288}}));

    // Opened again, it shows the same; losing its connection empties it.
    p.palette.Hide();
    p.palette.Show();
    EXPECT_TRUE(p.rollPanel->IsEnabled());
    EXPECT_EQ(p.List().GetItemCount(), 3);
    conn->Cmd_Disconnect(true);
    EXPECT_FALSE(p.rollPanel->IsEnabled());
    EXPECT_EQ(p.List().GetItemCount(), 0);
}

TEST(VirtualTypePanel, AHostRefusalInsideAHandlerIsLoggedAndThePanelGoesOn) {
    VirtualTypePanel p;
    p.palette.Show();
    const API_Guid wall = p.sim.AddElement(API_WallID);
    p.ConnectSpec(1)->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {wall}, false);
    ASSERT_TRUE(TVSim::Dialogs::SelectRow(*p.page, 1, 1));

    LogCapture log;
    TVSim::Faults::FailCall("TVAPI_Automate", APIERR_GENERAL);
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 3));
    EXPECT_EQ(log.MessagesStartingWith("exception: "),
              std::vector<std::string>{"exception: APIERR_GENERAL(-2130313215)"});
    EXPECT_EQ(p.sim.GetSelection(), PK::Array<API_Guid>{wall});
    EXPECT_TRUE(p.sim.GetZooms().empty());
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 3));
    EXPECT_EQ(p.sim.GetZooms().size(), 1u);
}
