// The browser panel in the palette, over a real manager in the standard
// project: the pop-up of connections, the buttons, resizing, and a browser
// that cannot register its script object.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DG/Browser.hpp"
#include "PK/Runnable.hpp"
#include "TVSim/Dialogs.hpp"
#include "TVSim/Web.hpp"
#include "Tessary/Implementation/TessaryBrowser.hpp"
#include "UD/RollDownPalette.hpp"
#include "UI/BrowserTabPage.hpp"
#include "support/AddOn.hpp"
#include "support/LogCapture.hpp"

using namespace TestSupport;
using TessaryConnect::UI::BrowserTabPage;

namespace {

struct BrowserPanel : AddOnProject {
    BrowserPanel() {
        TVSim::Web::Reset();
        rollPanel = palette.GetRollDownSurface()->GetPanelContainer()->CreateRollPanel(0);
        page = std::make_shared<BrowserTabPage>(rollPanel, addOn->manager);
    }
    ~BrowserPanel() { PK::MainMessageLoop::Clear(); }

    // The pop-up's entries, the selected one marked with '*'.
    std::vector<std::string> Entries() const {
        const auto* popUp = dynamic_cast<DG::PopUp*>(page->GetItem(5));
        std::vector<std::string> entries;
        for (short i = 1; i <= popUp->GetItemCount(); ++i)
            entries.push_back((i == popUp->GetSelectedItem() ? "*" : "") + Text(popUp->GetItemText(i)));
        return entries;
    }
    std::string Selected() const {
        const auto selected = addOn->manager->GetSelectedConnection();
        return selected == nullptr ? "none" : Text(selected->Id());
    }
    bool Observes(const ConnectionPtr& connection) const {
        return connection->IsAttached(static_cast<Model::ConnectionWithSpecificationObserver&>(*page));
    }
    std::size_t HomeCount() const { return log.Count(spdlog::level::trace, "TessaryBrowser::GotoHome"); }

    LogCapture log;
    UD::RollDownPalette palette{PK::Guid(), 4, 0, 0};
    UD::IRollPanel* rollPanel = nullptr;
    std::shared_ptr<BrowserTabPage> page;
};

}  // namespace

TEST(BrowserPanel, ThePopUpListsTheConnectionsAndFollowsTheSelectionMadeAnywhere) {
    BrowserPanel panel;
    EXPECT_EQ(Text(panel.rollPanel->GetTitle()), "Orvo Tessary");
    EXPECT_TRUE(panel.Entries().empty()) << "filled when the panel opens";

    panel.palette.Show();
    EXPECT_EQ(panel.Entries(), (std::vector<std::string>{"*No specification selected"}));
    const ConnectionPtr spec1 = panel.ConnectSpec(1);
    const ConnectionPtr spec2 = panel.ConnectSpec(2);
    EXPECT_EQ(panel.Entries(), (std::vector<std::string>{"Project One / Spec 1", "*Project One / Spec 2"}));

    // The user's choice: home first, then the manager selects it, and the
    // page hears the chosen connection's titles from then on.
    const std::size_t homes = panel.HomeCount();
    ASSERT_TRUE(TVSim::Dialogs::ChoosePopUpItem(*panel.page, 5, 1));
    EXPECT_EQ(panel.HomeCount(), homes + 1);
    EXPECT_EQ(panel.Selected(), "spec-1");
    EXPECT_TRUE(panel.Observes(spec1));
    EXPECT_FALSE(panel.Observes(spec2));
    spec1->Cmd_UpdateTitleIfChanged("Spec One", "Project One");
    EXPECT_EQ(panel.Entries(), (std::vector<std::string>{"*Project One / Spec One", "Project One / Spec 2"}));

    // Disconnecting the observed connection moves the page to the one the
    // manager selects instead, while the disconnection is still delivered.
    panel.addOn->manager->ResetSelectedConnection(spec2);
    EXPECT_TRUE(panel.Observes(spec2));
    spec2->Cmd_Disconnect(true);
    EXPECT_EQ(panel.Selected(), "spec-1");
    EXPECT_TRUE(panel.Observes(spec1));
    EXPECT_FALSE(panel.Observes(spec2));
    EXPECT_EQ(panel.Entries(), (std::vector<std::string>{"*Project One / Spec One"}));

    // Opened again, it shows the same.
    panel.palette.Hide();
    panel.palette.Show();
    EXPECT_EQ(panel.Entries(), (std::vector<std::string>{"*Project One / Spec One"}));
}

TEST(BrowserPanel, HomeGoesToTheStartPageAndSelectsTheFirstConnection) {
    BrowserPanel panel;
    panel.palette.Show();
    panel.ConnectSpec(1);
    panel.ConnectSpec(2);
    ASSERT_EQ(panel.Selected(), "spec-2");

    const std::size_t homes = panel.HomeCount();
    ASSERT_TRUE(TVSim::Dialogs::Click(*panel.page, 2));
    EXPECT_EQ(panel.HomeCount(), homes + 1);
    EXPECT_EQ(panel.Selected(), "spec-1");
    EXPECT_EQ(panel.Entries(), (std::vector<std::string>{"*Project One / Spec 1", "Project One / Spec 2"}));
}

TEST(BrowserPanel, ReloadInformationAndOnlineReportsEachSendTheBrowserWhereTheyShould) {
    BrowserPanel panel;
    panel.palette.Show();
    panel.log.Clear();

    ASSERT_TRUE(TVSim::Dialogs::Click(*panel.page, 3));
    const std::vector<std::string> reload = panel.log.Messages();
    ASSERT_EQ(reload.size(), 5u);
    EXPECT_EQ(reload[0], "TessaryBrowser::ReloadAndClearCache");
    EXPECT_EQ(reload[1], "TessaryBrowser::GotoHome");
    const char* states[] = {"setAppState(", "setDocumentState(", "setSelectionState("};
    for (int i = 0; i < 3; ++i) EXPECT_NE(reload[2 + i].find(states[i]), std::string::npos) << reload[2 + i];
    panel.log.Clear();
    ASSERT_TRUE(TVSim::Dialogs::Click(*panel.page, 4));
    ASSERT_EQ(panel.log.MessagesStartingWith("Info button was clicked on browser page. Dump of Manager: {").size(), 1u);
    EXPECT_TRUE(panel.log.Has(spdlog::level::trace, "TessaryBrowser::GotoInfoPage"));

    for (const bool online : {false, true}) {
        const std::size_t homes = panel.HomeCount();
        dynamic_cast<Api::Tessary&>(*panel.page->GetBrowser()).GetCallbackApi()->Handle_tvt_onlineStateChanged(online);
        EXPECT_EQ(panel.HomeCount(), homes + 1) << online;
    }
    EXPECT_TRUE(panel.log.Has(spdlog::level::trace, "BrowserTabPage::ManagerEvent_OnlineStateChanged: false"));
}

TEST(BrowserPanel, ResizingGivesTheBrowserTheSpareRoomAndKeepsTheRightButtonsAtTheEdge) {
    BrowserPanel panel;
    const auto rectOf = [&](short item) { return panel.page->GetItem(item)->GetRect(); };
    const DG::Rect browser = panel.page->GetBrowser()->GetRect();
    const DG::Rect home = rectOf(2), reload = rectOf(3), info = rectOf(4), popUp = rectOf(5);

    TVSim::Dialogs::Resize(*panel.page, 30, 20);
    EXPECT_EQ(panel.page->GetBrowser()->GetRect(),
              (DG::Rect{browser.left, browser.top, browser.right + 30, browser.bottom + 20}));
    EXPECT_EQ(rectOf(2), home);
    EXPECT_EQ(rectOf(3), (DG::Rect{reload.left + 30, reload.top, reload.right + 30, reload.bottom}));
    EXPECT_EQ(rectOf(4), (DG::Rect{info.left + 30, info.top, info.right + 30, info.bottom}));
    EXPECT_EQ(rectOf(5), (DG::Rect{popUp.left, popUp.top, popUp.right + 30, popUp.bottom}));
}

TEST(BrowserPanel, ABrowserThatCannotRegisterItsScriptObjectStillGetsItsPopUpFilled) {
    BrowserPanel panel;
    panel.ConnectSpec(1);
    TVSim::Web::RefuseScriptObjects(true);
    panel.palette.Show();
    EXPECT_EQ(panel.log.MessagesStartingWith("exception: ").size(), 1u);
    EXPECT_EQ(panel.Entries(), (std::vector<std::string>{"*Project One / Spec 1"}));
    EXPECT_TRUE(panel.Observes(panel.addOn->manager->GetSelectedConnection()));
    EXPECT_TRUE(TVSim::Dialogs::GetEscapedExceptions().empty());
}
