// The unassociated-elements panel in the palette, over a real manager in the
// standard project: rows by type name following the cache, select and zoom,
// the selection counts, and opening again.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PK/Runnable.hpp"
#include "TVSim/Dialogs.hpp"
#include "UD/RollDownPalette.hpp"
#include "UI/UnassociatedElementsTabPage.hpp"
#include "support/AddOn.hpp"

using namespace TestSupport;
using TessaryConnect::UI::UnassociatedElementsTabPage;

namespace {

std::vector<std::string> Rows(const DG::Panel& page) {
    const auto* list = dynamic_cast<DG::ListBox*>(page.GetItem(1));
    std::vector<std::string> rows;
    for (short row = 1; row <= list->GetItemCount(); ++row) rows.push_back(Text(list->GetTabItemText(row, 1)));
    return rows;
}
std::string TextOf(const DG::Panel& page, short item) {
    return Text(dynamic_cast<DG::TextItem*>(page.GetItem(item))->GetText());
}

}  // namespace

TEST(UnassociatedPanel, RowsFollowTheCacheInPlaceSelectAndZoomAndSurviveReopening) {
    AddOnProject p;
    UD::RollDownPalette palette{PK::Guid(), 4, 0, 0};
    UD::IRollPanel* rollPanel = palette.GetRollDownSurface()->GetPanelContainer()->CreateRollPanel(0);
    auto page = std::make_shared<UnassociatedElementsTabPage>(rollPanel, p.addOn->manager);
    EXPECT_EQ(Text(rollPanel->GetTitle()), "Elements without clause");

    const API_Guid wall = p.sim.AddElement(API_WallID);
    const API_Guid slab = p.sim.AddElement(API_SlabID);
    const ConnectionPtr spec1 = p.ConnectSpec(1);
    palette.Show();
    EXPECT_TRUE(rollPanel->IsEnabled());
    EXPECT_EQ(Rows(*page), (std::vector<std::string>{"Slab (1)", "Wall (1)"}));

    // New elements: a count rewritten, a type inserted by its name.
    const API_Guid wall2 = p.sim.AddElement(API_WallID);
    p.sim.AddElement(API_DoorID, {.variation = APIVarId_Door});
    Deliver();
    EXPECT_EQ(Rows(*page), (std::vector<std::string>{"Door (1)", "Slab (1)", "Wall (2)"}));

    ASSERT_FALSE(TVSim::Dialogs::Click(*page, 2)) << "no row chosen";
    ASSERT_TRUE(TVSim::Dialogs::SelectRow(*page, 1, 3));
    ASSERT_TRUE(TVSim::Dialogs::Click(*page, 3));
    const PK::Array<API_Guid> selected = p.sim.GetSelection();
    EXPECT_EQ(selected.GetSize(), 2u);
    EXPECT_TRUE(selected.Contains(wall) && selected.Contains(wall2));
    EXPECT_EQ(p.sim.GetZooms().size(), 1u);
    Deliver();
    EXPECT_EQ(TextOf(*page, 6), "2");
    EXPECT_EQ(TextOf(*page, 5), "Selected:");

    // The slab's last element associated: its row goes.
    spec1->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {slab}, false);
    Deliver();
    EXPECT_EQ(Rows(*page), (std::vector<std::string>{"Door (1)", "Wall (2)"}));

    // Opened again while it observes the selected connection: rebuilt, enabled.
    palette.Hide();
    palette.Show();
    EXPECT_TRUE(rollPanel->IsEnabled());
    EXPECT_EQ(Rows(*page), (std::vector<std::string>{"Door (1)", "Wall (2)"}));
    PK::MainMessageLoop::Clear();
}
