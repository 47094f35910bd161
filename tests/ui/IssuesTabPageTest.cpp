// The issues panel in the palette, over a real manager in the standard project: the associations the host refused as
// rows sorted by text with their severity icons, the buttons on the chosen issue, the steps of a double click, the
// re-check, long rows drawn in two lines, the title's count, reopening, and failures inside its model events.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PK/Runnable.hpp"
#include "TVSim/Alerts.hpp"
#include "TVSim/Dialogs.hpp"
#include "UI/IssuesTabPage.hpp"
#include "UI/PaletteManager.hpp"
#include "UI/TessaryPalette.hpp"
#include "UI/VirtualTypeTabPage.hpp"
#include "support/FailingTexts.hpp"
#include "support/LogCapture.hpp"
#include "support/Panels.hpp"

using namespace TestSupport;
using TessaryConnect::UI::IssuesTabPage;

namespace {

const std::string lockedB20 =
    "1 element(s) in Ground Floor are locked and could not be associated with clause B20 Floors.";

// Associates the elements with the clause of that code; what the host refuses becomes issues, and so does a code
// without classification item: "Clause <code> <title> has no classification item in the classification system...".
void Associate(const ConnectionPtr& connection, const char* code, const PK::Array<API_Guid>& elements,
               const char* title = "Title") {
    const PK::UniString clauseId = PK::UniString("clause-") + code;
    connection->Cmd_AssociateElementsToVirtualType(clauseId, Clause(clauseId, code, title), elements, false);
}

struct IssuesPanel : PanelProject<IssuesTabPage> {
    explicit IssuesPanel(std::shared_ptr<Api::Torvel> host = std::make_shared<Implementation::Torvel>())
        : PanelProject(std::move(host)) {
        palette.Show();
    }
    // The roll panel's title and icon, then each row's icon.
    std::string Icons() const {
        std::string icons =
            Text(rollPanel->GetTitle()) + " " + std::to_string(rollPanel->GetIcon().GetResourceId()) + ":";
        for (short row = 1; row <= List().GetItemCount(); ++row)
            icons += " " + std::to_string(List().GetTabItemIcon(row, 1).GetResourceId());
        return icons;
    }
    // The enabled ones among the buttons on the chosen issue: select, select and zoom, remove, fix.
    std::string Buttons() const {
        std::string on;
        for (short item : {2, 3, 9, 10})
            if (page->GetItem(item)->IsEnabled()) on += " " + std::to_string(item);
        return on;
    }
    // The text drawn in the row, the list made that wide.
    std::string DrawnText(short row, short listWidth) {
        TVSim::Dialogs::Resize(*page, static_cast<short>(listWidth - List().GetWidth()), 0);
        const std::vector<std::string> calls = TVSim::Dialogs::Draw(*page, 1);
        const std::string cell = "cell " + std::to_string(row) + ",1 ";
        const auto at = std::find_if(calls.begin(), calls.end(), [&](const auto& c) { return c.starts_with(cell); });
        return calls.end() - at > 2 ? at[2] : "nothing";
    }
};

}  // namespace

TEST(IssuesPanel, ListsRefusedAssociationsByTextWithTheirSeverityAndActsOnTheChosenOne) {
    IssuesPanel p;
    EXPECT_EQ(p.Icons(), "Issues (0) 0:");
    const ConnectionPtr conn = p.ConnectSpec(1);
    EXPECT_TRUE(p.rollPanel->IsEnabled());

    // Two elements on a hidden layer refused first, a locked one after: rows by text, both warnings.
    const PK::Int32 hiddenLayer = p.sim.AddLayer("Hidden", {.hidden = true});
    const API_Guid hidden = p.sim.AddElement(API_WallID, {.layer = hiddenLayer});
    const API_Guid hidden2 = p.sim.AddElement(API_WallID, {.layer = hiddenLayer});
    const API_Guid locked = p.sim.AddElement(API_SlabID, {.locked = true});
    Associate(conn, "A10", {hidden, hidden2});
    Associate(conn, "B20", {locked}, "Floors");
    const std::string hiddenA10 =
        "2 element(s) in Ground Floor lie on a hidden layer and could not be associated with clause A10 Title.";
    EXPECT_EQ(p.Rows(), (std::vector<std::string>{lockedB20, hiddenA10}));
    EXPECT_EQ(p.Icons(), "Issues (2) 20007: 20007 20007");
    // An unexpected refusal is an error.
    const API_Guid refused = p.sim.AddElement(API_WallID);
    TVSim::Faults::FailForElement(refused, APIERR_GENERAL, "TVAPI_Element_AddClassificationItem");
    Associate(conn, "A10", {refused});
    EXPECT_EQ(p.Icons(), "Issues (3) 20006: 20007 20006 20007");
    EXPECT_EQ(p.Buttons(), "");

    // The locked element's issue: select and zoom to it, unlock it and fix: the issue goes, nothing stays chosen.
    ASSERT_TRUE(TVSim::Dialogs::ClickRow(*p.page, 1, 1));
    EXPECT_EQ(p.Buttons(), " 2 3 9 10");
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 3));
    EXPECT_EQ(p.sim.GetZooms(), std::vector<PK::Array<API_Guid>>{{locked}});
    p.sim.SetElementLocked(locked, false);
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 10));
    EXPECT_EQ(p.sim.GetItemOf(locked, p.System()), p.Item("B20"));
    EXPECT_EQ(p.Icons(), "Issues (2) 20006: 20006 20007");
    EXPECT_EQ(p.Buttons(), "");

    // The hidden elements' issue: of its elements only those still there are selected; none left, no zoom.
    ASSERT_TRUE(TVSim::Dialogs::ClickRow(*p.page, 1, 2));
    p.sim.DeleteElement(hidden);
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 3));
    EXPECT_EQ(p.sim.GetZooms().back(), PK::Array<API_Guid>{hidden2});
    p.sim.DeleteElement(hidden2);
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 3));
    EXPECT_TRUE(p.sim.GetSelection().IsEmpty());
    EXPECT_EQ(p.sim.GetZooms().size(), 2u);
    // Removed, it goes and nothing is chosen.
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 9));
    EXPECT_EQ(p.Icons(), "Issues (1) 20006: 20006");
    EXPECT_EQ(p.Buttons(), "");

    // Opened again while it follows the selected connection: enabled with its rows.
    p.palette.Hide();
    p.palette.Show();
    EXPECT_TRUE(p.rollPanel->IsEnabled());
    EXPECT_EQ(p.Icons(), "Issues (1) 20006: 20006");
    // The connection gone, the list is empty and the title counts none.
    conn->Cmd_Disconnect(true);
    EXPECT_FALSE(p.rollPanel->IsEnabled());
    EXPECT_EQ(p.Icons(), "Issues (0) 0:");
}

TEST(IssuesPanel, ADoubleClickOpensTheIssuesViewThenSelectsItsElementsThenRebuildsTheUnassociatedOnes) {
    IssuesPanel p;
    const API_Guid locked = p.sim.AddElement(API_SlabID, {.locked = true});
    Associate(p.ConnectSpec(1), "A10", {locked});
    p.sim.SetCurrentWindow(p.sim.FindWindow(APIWind_3DModelID));
    Deliver();
    TVSim::Events::SetAutoDelivery(false);
    const std::size_t progress = TVSim::Progress::GetWindows().size();

    // Each step runs alone and posts the next: steps waiting, front window, zooms, rebuilds of the unassociated
    // elements.
    ASSERT_TRUE(TVSim::Dialogs::DoubleClickRow(*p.page, 1, 1));
    std::vector<std::string> steps;
    do {
        steps.push_back(std::to_string(PK::MainMessageLoop::GetPendingCount()) + " " +
                        std::to_string(p.sim.GetCurrentWindow().typeID) + " " +
                        std::to_string(p.sim.GetZooms().size()) + " " +
                        std::to_string(TVSim::Progress::GetWindows().size() - progress));
    } while (PK::MainMessageLoop::RunPending(1) == 1);
    EXPECT_EQ(steps, (std::vector<std::string>{"1 4 0 0", "1 1 0 0", "1 1 1 0", "0 1 1 1"}));
    EXPECT_EQ(p.sim.GetZooms(), std::vector<PK::Array<API_Guid>>{{locked}});
}

TEST(IssuesPanel, ReCheckingAsksFromTheMainLoopAndOnlyAnswerTwoChecksAConnectionStillThere) {
    IssuesPanel p;
    LogCapture log;
    p.page->ButtonClicked(DG::ButtonClickEvent(p.page->GetItem(4)));
    EXPECT_TRUE(log.Has(spdlog::level::err, "failed assertion: connection != nullptr"));
    EXPECT_EQ(PK::MainMessageLoop::GetPendingCount(), 0u);

    const ConnectionPtr conn = p.ConnectSpec(1);
    const API_Guid gone = p.sim.AddElement(API_SlabID, {.locked = true});
    Associate(conn, "A10", {gone});
    Associate(conn, "B20", {p.sim.AddElement(API_SlabID, {.locked = true})}, "Floors");
    ASSERT_TRUE(TVSim::Dialogs::ClickRow(*p.page, 1, 2));
    p.sim.DeleteElement(gone);
    Deliver();

    // Answered 1, then 2: only the second drops the issue of the deleted element and rewrites the elements.
    TVSim::Alerts::ScriptAnswers({1, 2});
    const std::size_t steps = p.sim.GetUndoSteps().size();
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 4));
    EXPECT_TRUE(TVSim::Alerts::GetShown().empty());
    Deliver();
    EXPECT_EQ(p.List().GetItemCount(), 2);
    EXPECT_EQ(p.sim.GetUndoSteps().size(), steps);
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 4));
    Deliver();
    EXPECT_EQ(p.Rows(), std::vector<std::string>{lockedB20});
    EXPECT_EQ(Text(p.sim.GetUndoSteps().back().name), "Update the element properties of Orvo Tessary clauses");
    EXPECT_EQ(p.List().GetSelectedItem(), 1) << "the chosen issue stays chosen";
    EXPECT_EQ(p.Buttons(), " 2 3 9 10");

    // Disconnected before the step runs: nothing is asked.
    ASSERT_TRUE(TVSim::Dialogs::Click(*p.page, 4));
    conn->Cmd_Disconnect(true);
    Deliver();
    EXPECT_EQ(TVSim::Alerts::GetShown().size(), 2u);
    EXPECT_EQ(TVSim::Alerts::GetShown()[0].resID, IssuesTabPage::RecheckAlertId);
}

TEST(IssuesPanel, ALongRowIsCutToTwoLinesWithinItsRow) {
    IssuesPanel p;
    const ConnectionPtr conn = p.ConnectSpec(1);
    Associate(conn, "Q1", {});
    Associate(conn, "Q2", {}, "X Abcdefghijklmno");
    Associate(conn, "Q3", {}, "Abcdefghi     more");

    // Rows 20 high: two lines start at the top (2), one line is 5 down; 7 pixels a character.
    EXPECT_EQ(p.DrawnText(1, 300),
              "text 20,2 w280 0/0 rgba(0,0,0,255): Clause Q1 Title has no classification item "
              "in the classification system u...");
    // Line 2 is "X " alone: the cut stays in it rather than eat into line 1.
    EXPECT_EQ(p.DrawnText(2, 90), "text 20,2 w70 0/0 rgba(0,0,0,255): Clause Q2 ...");
    // Line 2 ends in blanks, so "..." at the cut would start line 3: the cut moves back.
    EXPECT_EQ(p.DrawnText(3, 90), "text 20,2 w70 0/0 rgba(0,0,0,255): Clause Q3 Abcdefg...");
    // One character a line: not even "..." fits after line 1, which is drawn alone.
    EXPECT_EQ(p.DrawnText(1, 27), "text 20,5 w7 0/0 rgba(0,0,0,255): C");
}

TEST(IssuesPanel, AFailureInsideAModelEventIsLoggedThereAndTheNextEventRebuildsTheRows) {
    const auto host = std::make_shared<FailingTexts>();
    IssuesPanel p(host);
    const ConnectionPtr conn = p.ConnectSpec(1);
    Associate(conn, "B20", {p.sim.AddElement(API_SlabID, {.locked = true})}, "Floors");
    p.ConnectSpec(2);

    // Back to the first connection, then a new issue of it: each time an issue's text cannot be read.
    LogCapture log;
    host->FailRead(Util::Resource::issueTextsResID);
    p.addOn->manager->ResetSelectedConnection(conn);
    EXPECT_EQ(TVSim::Dialogs::GetDrawSuspension(p.List()), 0) << "drawing resumes after the failure";
    host->FailRead(Util::Resource::issueTextsResID);
    Associate(conn, "A10", {p.sim.AddElement(API_SlabID, {.locked = true})});
    std::vector<std::string> failedIn;
    for (const LogRecord& record : log.Records())
        if (record.message == "exception: text unreadable") failedIn.push_back(record.function);
    EXPECT_EQ(failedIn,
              (std::vector<std::string>{"ManagerEvent_SelectedConnectionChanged", "ConnEvent_IssueListChanged"}));

    Associate(conn, "C30", {p.sim.AddElement(API_SlabID, {.locked = true})}, "Roofs");
    EXPECT_EQ(p.List().GetItemCount(), 3);
}

// Needs the palette itself: it runs once the palette is built.
TEST(IssuesPanel, ChoosingAnElementIssueChoosesItsClauseInTheVirtualTypePanel) {
    AddOnProject p;
    UI::PaletteManager::GetInstance().Open(p.addOn->manager);
    UI::Palette* palette = UI::PaletteManager::GetInstance().GetPalette();
    ASSERT_NE(palette, nullptr);
    const ConnectionPtr conn = p.ConnectSpec(1);
    Associate(conn, "A10", {});
    Associate(conn, "B20", {p.sim.AddElement(API_SlabID, {.locked = true})}, "Floors");

    ASSERT_TRUE(TVSim::Dialogs::ClickRow(palette->GetIssuesPage(), 1, 1));
    const auto* clauses = dynamic_cast<DG::ListBox*>(palette->GetVirtualTypePage().GetItem(1));
    EXPECT_EQ(Text(clauses->GetTabItemText(clauses->GetSelectedItem(), 1)), "B20 Floors");
    UI::PaletteManager::GetInstance().Close();
    Deliver();
}

// The host could not name the view the issue arose in: a double click on it is logged in the words support looks for.
TEST(IssuesPanel, ADoubleClickOnAnIssueWithoutAViewIsOnlyLogged) {
    IssuesPanel p;
    const ConnectionPtr conn = p.ConnectSpec(1);
    TVSim::Faults::FailCall("TVAPI_Database", APIERR_GENERAL);
    Associate(conn, "A10", {p.sim.AddElement(API_SlabID, {.locked = true})});
    TVSim::Faults::Clear();
    Deliver();
    LogCapture log;
    ASSERT_TRUE(TVSim::Dialogs::DoubleClickRow(*p.page, 1, 1));
    EXPECT_EQ(PK::MainMessageLoop::GetPendingCount(), 0u) << "no step posted";
    EXPECT_TRUE(log.Has(spdlog::level::warn, "failed assertion: i->GetWindowId().IsValid()"));
}
