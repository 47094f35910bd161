// The unassociated-elements panel in the palette, over a real manager in the
// standard project: rows by type name following the cache, select and zoom,
// the selection counts, and opening again.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PK/Runnable.hpp"
#include "TVSim/Dialogs.hpp"
#include "UI/UnassociatedElementsTabPage.hpp"
#include "support/FailingTexts.hpp"
#include "support/LogCapture.hpp"
#include "support/Panels.hpp"

using namespace TestSupport;
using TessaryConnect::UI::UnassociatedElementsTabPage;

TEST(UnassociatedPanel, RowsFollowTheCacheInPlaceSelectAndZoomAndSurviveReopening) {
    PanelProject<UnassociatedElementsTabPage> p;
    EXPECT_EQ(Text(p.rollPanel->GetTitle()), "Elements without clause");

    const API_Guid wall = p.sim.AddElement(API_WallID);
    const API_Guid slab = p.sim.AddElement(API_SlabID);
    const ConnectionPtr spec1 = p.ConnectSpec(1);
    p.palette.Show();
    EXPECT_TRUE(p.rollPanel->IsEnabled());
    EXPECT_EQ(p.Rows(), (std::vector<std::string>{"Slab (1)", "Wall (1)"}));

    // New elements: a count rewritten, a type inserted by its name.
    const API_Guid wall2 = p.sim.AddElement(API_WallID);
    p.sim.AddElement(API_DoorID, {.variation = APIVarId_Door});
    Deliver();
    EXPECT_EQ(p.Rows(), (std::vector<std::string>{"Door (1)", "Slab (1)", "Wall (2)"}));

    ASSERT_FALSE(TVSim::Dialogs::Click(*p.page, 2)) << "no row chosen";
    ASSERT_TRUE(TVSim::Dialogs::SelectRow(*p.page, 1, 3));
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 3));
    const PK::Array<API_Guid> selected = p.sim.GetSelection();
    EXPECT_EQ(selected.GetSize(), 2u);
    EXPECT_TRUE(selected.Contains(wall) && selected.Contains(wall2));
    EXPECT_EQ(p.sim.GetZooms().size(), 1u);
    Deliver();
    EXPECT_EQ(p.TextOf(6), "2");
    EXPECT_EQ(p.TextOf(5), "Selected:");

    // The slab's last element associated: its row goes.
    spec1->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {slab}, false);
    Deliver();
    EXPECT_EQ(p.Rows(), (std::vector<std::string>{"Door (1)", "Wall (2)"}));

    // Opened again while it observes the selected connection: rebuilt, enabled.
    p.palette.Hide();
    p.palette.Show();
    EXPECT_TRUE(p.rollPanel->IsEnabled());
    EXPECT_EQ(p.Rows(), (std::vector<std::string>{"Door (1)", "Wall (2)"}));
    PK::MainMessageLoop::Clear();
}

TEST(UnassociatedPanel, ATypeNameFailingInTheMiddleOfAReportLeavesTheRowsAsTheCacheHoldsThem) {
    const auto host = std::make_shared<FailingTexts>();
    PanelProject<UnassociatedElementsTabPage> p(host);
    p.sim.AddElement(API_WallID);
    p.sim.AddElement(API_SlabID);
    p.ConnectSpec(1);
    p.palette.Show();
    p.sim.AddElement(API_WallID);
    p.sim.AddElement(API_DoorID, {.variation = APIVarId_Door});

    // The rebuild reports three types at once; the second type's name cannot be read.
    LogCapture log;
    host->FailRead(Util::Resource::elementTypeNamesResID, 2);
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 4));
    EXPECT_TRUE(log.Has(spdlog::level::err, "exception: text unreadable"));
    EXPECT_EQ(p.Rows(), (std::vector<std::string>{"Door (1)", "Slab (1)", "Wall (2)"}));
    PK::MainMessageLoop::Clear();
}
