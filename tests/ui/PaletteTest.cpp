// The palette through its manager, as the host's entry points drive it: its
// panels, its menu mark, the host's palette messages and every close path; the
// model's failures as posted alerts; and the page's request to connect a
// specification, with the alert each failure ends in and the user's answers.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "DG/Panel.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "Tessary/Api/Tessary.hpp"
#include "Tessary/Api/TessaryCallbackApi.hpp"
#include "TVSim/Alerts.hpp"
#include "TVSim/Dialogs.hpp"
#include "UD/RollDownPalette.hpp"
#include "UI/ClassificationSystemSelectorDialog.hpp"
#include "UI/IssuesTabPage.hpp"
#include "UI/PaletteManager.hpp"
#include "UI/TessaryPalette.hpp"
#include "support/AddOn.hpp"
#include "support/LogCapture.hpp"

using namespace TestSupport;
using TessaryConnect::UI::Palette;
using TessaryConnect::UI::PaletteManager;

namespace {

PaletteManager& Manager() { return PaletteManager::GetInstance(); }

struct PaletteScene : AddOnProject {
    PaletteScene() {
        TVAPI_Register_Menu(Palette::MenuResId, 0, MenuCode_Palettes, MenuFlag_Default);
        TVSim::Alerts::Clear();
    }
    ~PaletteScene() { Manager().Close(); }

    Palette* Open() {
        Manager().Open(addOn->manager);
        Deliver();
        return Manager().GetPalette();
    }
    PK::Int32 MenuFlags() const {
        const auto& flags = TVSim::GetRegistrations().menus.at(0).itemFlags;
        return flags.count(1) ? flags.at(1) : 0;
    }
    void SetMenuFlags(PK::Int32 flags) {
        API_MenuItemRef item{Palette::MenuResId, 1};
        ASSERT_EQ(TVAPI_Interface(APIIo_SetMenuItemFlagsID, &item, &flags), NoError);
    }
    bool Visible() {
        bool visible = false;
        EXPECT_EQ(Manager().HandleControlCallBack(APIPalMsg_IsPaletteVisible, reinterpret_cast<PK::Int64>(&visible)),
                  NoError);
        return visible;
    }
    // The alerts shown so far, each with the parameters that were not empty; "!" marks one shown outside the main loop.
    static std::string Alerts() {
        std::string shown;
        for (const TVSim::Alerts::Shown& alert : TVSim::Alerts::GetShown()) {
            shown += (shown.empty() ? "" : " ") + std::to_string(alert.resID) + (alert.fromPostedTask ? "" : "!");
            for (const PK::UniString& param : alert.params)
                if (!param.IsEmpty()) shown += "(" + Text(param) + ")";
        }
        TVSim::Alerts::Clear();
        return shown;
    }
    Api::TessaryCallbackApi& Page() { return *addOn->manager->TessaryPtr()->GetCallbackApi(); }
    // The page asks to connect the specification; the user picks the system of that name, or cancels (none).
    void RequestConnection(TextArg specId, const std::string& system) {
        TVSim::Dialogs::SetModalDriver(TessaryConnect::UI::ClassificationSystemSelectorDialog::ResId,
                                       [system](DG::ModalDialog& dialog) {
                                           auto& popUp = *dynamic_cast<DG::PopUp*>(dialog.GetItem(2));
                                           for (short i = 1; i <= popUp.GetItemCount(); ++i)
                                               if (Text(popUp.GetItemText(i)) == system) {
                                                   TVSim::Dialogs::ChoosePopUpItem(dialog, 2, i);
                                                   TVSim::Dialogs::Click(dialog, 3);
                                               }
                                       });
        Page().Handle_specAssociationRequested("project-1", specId, "Project One", "Spec " + Text(specId), "",
                                               "specification");
    }
    // The connect step for the specification through that system, as the dialog's choice posts it.
    void ConnectThrough(TextArg specId, int system) {
        Palette::AssociationWithSpecificationRequestWithErrorHandling(addOn->manager, "project-1", "Project One",
                                                                      specId, "Spec " + Text(specId), System(system));
    }
    ConnectionPtr Conn(TextArg specId) { return addOn->manager->GetConnection(specId); }
};

std::vector<std::string> RollPanels(Palette& palette) {
    std::vector<std::string> panels;
    UD::IRollPanelContainer& container = *palette.GetRollDownSurface()->GetPanelContainer();
    for (std::size_t i = 0; i < container.GetRollPanelCount(); ++i) {
        const UD::IRollPanel& panel = *container.GetRollPanel(i);
        panels.push_back(Text(panel.GetTitle()) + (panel.IsStretchable() ? " stretchable" : "") + " grow " +
                         std::to_string(panel.GetGrowType()));
    }
    return panels;
}

}  // namespace

TEST(Palette, OpensWithItsPanelsAnswersTheHostsMessagesAndClosesByEveryPath) {
    PaletteScene s;
    s.SetMenuFlags(0x1);
    bool untouched = true;
    EXPECT_EQ(Manager().HandleControlCallBack(APIPalMsg_IsPaletteVisible, reinterpret_cast<PK::Int64>(&untouched)),
              NoError);
    EXPECT_TRUE(untouched) << "no palette: message 7 leaves the answer alone";

    Palette* palette = s.Open();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(Text(palette->GetTitle()), "Orvo Tessary Connect 1.3");
    EXPECT_EQ(palette->GetMinClientWidth(), 550);
    EXPECT_EQ(RollPanels(*palette), (std::vector<std::string>{"Orvo Tessary grow 3", "Clauses in use stretchable grow 3",
                                                              "Elements without clause stretchable grow 3",
                                                              "Issues (0) grow 3"}));
    EXPECT_EQ(s.MenuFlags(), 0x3);
    EXPECT_TRUE(s.Visible());

    // Messages 2 to 7 change only what shows and what takes input; 0, 8 and a missing answer are ignored.
    EXPECT_EQ(Manager().HandleControlCallBack(APIPalMsg_HidePalette_Begin, 0), NoError);
    EXPECT_FALSE(s.Visible());
    EXPECT_EQ(s.Open(), palette) << "opening a hidden palette neither rebuilds nor shows it";
    EXPECT_FALSE(s.Visible());
    Manager().HandleControlCallBack(APIPalMsg_HidePalette_End, 0);
    EXPECT_TRUE(s.Visible());
    s.ConnectSpec(1);
    Manager().HandleControlCallBack(APIPalMsg_DisableItems_Begin, 0);
    EXPECT_FALSE(TVSim::Dialogs::Click(palette->GetIssuesPage(), 4)) << "the pages take no input";
    Manager().HandleControlCallBack(APIPalMsg_DisableItems_End, 0);
    EXPECT_TRUE(TVSim::Dialogs::Click(palette->GetIssuesPage(), 4));
    for (auto message : {0, 8, static_cast<int>(APIPalMsg_IsPaletteVisible)})
        EXPECT_EQ(Manager().HandleControlCallBack(static_cast<API_PaletteMessageID>(message), 0), NoError);
    EXPECT_TRUE(s.Visible());
    EXPECT_EQ(Manager().GetPalette(), palette);

    // The close box: hidden at once, deleted from the main loop; a second request meanwhile is not accepted.
    EXPECT_TRUE(TVSim::Dialogs::RequestClose(*palette));
    EXPECT_FALSE(s.Visible());
    EXPECT_FALSE(TVSim::Dialogs::RequestClose(*palette));
    EXPECT_EQ(Manager().GetPalette(), palette);
    Deliver();
    EXPECT_EQ(Manager().GetPalette(), nullptr);
    EXPECT_EQ(s.MenuFlags(), 0x1) << "the mark goes with the palette, the other bits stay";

    // The host's close message, then unloading before the posted deletion runs: deleted once.
    palette = s.Open();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(s.MenuFlags(), 0x3);
    Manager().HandleControlCallBack(APIPalMsg_ClosePalette, 0);
    EXPECT_NE(Manager().GetPalette(), nullptr);
    Manager().Close();
    EXPECT_EQ(Manager().GetPalette(), nullptr);
    Deliver();
    EXPECT_EQ(Manager().GetPalette(), nullptr);
    EXPECT_EQ(s.MenuFlags(), 0x1);

    // Opened again from scratch, then closed directly.
    ASSERT_NE(s.Open(), nullptr);
    EXPECT_TRUE(s.Visible());
    Manager().Close();
    EXPECT_EQ(Manager().GetPalette(), nullptr);
    EXPECT_TRUE(TVSim::Events::GetEscapedExceptions().empty());
    EXPECT_TRUE(TVSim::Dialogs::GetEscapedExceptions().empty());
}

// A palette whose construction fails leaves nothing open and no mark on the menu.
TEST(Palette, AFailedConstructionLeavesNoPaletteAndNoMark) {
    PaletteScene s;
    TVSim::Dialogs::LimitRollPanels(3);
    try {
        Manager().Open(s.addOn->manager);
        ADD_FAILURE() << "a palette without its dialog resources was built";
    } catch (const TessaryConnect::AddonRuntimeError& e) {
        EXPECT_NE(std::string(e.what()).find("error: assert"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Manager().GetPalette(), nullptr);
    EXPECT_EQ(s.MenuFlags(), 0);
}

TEST(Palette, TurnsTheModelsFailuresIntoAlertsShownFromTheMainLoop) {
    PaletteScene s;
    Palette* palette = s.Open();
    ASSERT_NE(palette, nullptr);
    const ConnectionPtr conn = s.ConnectSpec(1);
    Deliver();
    PaletteScene::Alerts();

    // The page associates with a specification that has no connection.
    s.Page().Handle_associationRequested("type", "spec-9", "clause-a", Clause("clause-a", "A10"));
    EXPECT_EQ(PaletteScene::Alerts(), "") << "not inside the model's call";
    Deliver();
    EXPECT_EQ(PaletteScene::Alerts(), "32562");

    // A connection that cannot be read.
    s.Store("spec-7", {'x', 'y'});
    s.addOn->manager->GetConnections();
    Deliver();
    EXPECT_EQ(PaletteScene::Alerts(), "32554");

    // The selected connection is refused the classification right.
    TVSim::Faults::FailCall("TVAPI_Classification_GetClassificationSystem", APIERR_NOACCESSRIGHT);
    conn->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {}, false);
    Deliver();
    EXPECT_EQ(PaletteScene::Alerts(), "32551");

    // An issue thrown: its text in the alert; answer 3 expands the issues panel, unless the palette is gone by then.
    conn->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {}, false);
    s.sim.DeleteClassificationItem(s.Item("A10"));
    palette->GetIssuesRollPanel().Expand(false);
    TVSim::Alerts::SetAnswer(32556, 3);
    conn->Cmd_AssociateElementsToVirtualType("clause-a", {}, {s.sim.AddElement(API_WallID)}, false);
    Deliver();
    const std::string alert = PaletteScene::Alerts();
    EXPECT_EQ(alert.rfind("32556(", 0), 0u) << alert;
    EXPECT_NE(alert.find("A10"), std::string::npos) << alert;
    EXPECT_TRUE(palette->GetIssuesRollPanel().IsExpanded());

    palette->GetIssuesRollPanel().Expand(false);
    conn->Cmd_AssociateElementsToVirtualType("clause-a", {}, {s.sim.AddElement(API_WallID)}, false);
    Manager().Close();
    Deliver();
    EXPECT_EQ(PaletteScene::Alerts().substr(0, 6), "32556(");
    EXPECT_TRUE(TVSim::Dialogs::GetEscapedExceptions().empty());
}

TEST(ConnectionRequest, ConnectsThroughTheChosenSystemOrReconnectsADisconnectedConnection) {
    PaletteScene s;
    s.sim.AddClassificationSystem("Edition", "2024");
    ASSERT_NE(s.Open(), nullptr);

    // Cancel in the dialog: nothing posted, nothing connected.
    s.RequestConnection("spec-1", "none");
    Deliver();
    EXPECT_EQ(s.Conn("spec-1"), nullptr);
    const auto& invocations = TVSim::Dialogs::GetInvocations();
    ASSERT_EQ(invocations.size(), 1u);
    EXPECT_TRUE(invocations.back().fromPostedTask);
    EXPECT_FALSE(invocations.back().accepted);

    // The systems are listed by name, with the edition in parentheses where there is one.
    std::set<std::string> entries;
    TVSim::Dialogs::SetModalDriver(TessaryConnect::UI::ClassificationSystemSelectorDialog::ResId,
                                   [&](DG::ModalDialog& dialog) {
                                       auto& popUp = *dynamic_cast<DG::PopUp*>(dialog.GetItem(2));
                                       for (short i = 1; i <= popUp.GetItemCount(); ++i)
                                           entries.insert(Text(popUp.GetItemText(i)));
                                   });
    s.Page().Handle_specAssociationRequested("project-1", "spec-1", "Project One", "Spec 1", "", "specification");
    Deliver();
    EXPECT_EQ(entries, (std::set<std::string>{"Clauses 1", "Clauses 2", "Edition (2024)"}));
    s.RequestConnection("spec-1", "Clauses 2");
    Deliver();
    ASSERT_NE(s.Conn("spec-1"), nullptr);
    EXPECT_EQ(s.Conn("spec-1")->ClassificationSystem().Guid(), PK::Guid(s.System(2)));
    EXPECT_EQ(PaletteScene::Alerts(), "");

    // Asked again, the connection is marked disconnected first: the user is offered to reconnect it, no dialog.
    TVSim::Alerts::ScriptAnswers({1, 2});
    s.RequestConnection("spec-1", "Clauses 1");
    Deliver();
    EXPECT_TRUE(s.Conn("spec-1")->IsDisconnected()) << "answer 1 leaves it";
    s.RequestConnection("spec-1", "Clauses 1");
    Deliver();
    EXPECT_FALSE(s.Conn("spec-1")->IsDisconnected()) << "answer 2 reconnects";
    EXPECT_EQ(PaletteScene::Alerts(), "32563 32563");
    EXPECT_EQ(invocations.size(), 3u);
}

// Each failure of a request: one log line and at most one alert, shown from the main loop.
TEST(ConnectionRequest, EachFailureEndsInItsLogLineAndAlert) {
    struct Row {
        const char* what;
        std::function<void(PaletteScene&)> provoke;
        std::string alerts;
        spdlog::level::level_enum level;
        std::string logged;
    };
    const std::string request =
        R"(specId("spec-2"), specTitle("Spec spec-2"), projectId("project-1"), projectTitle("Project One"))";
    const std::string requestAfter =
        R"(; specId: "spec-2"; specTitle: "Spec spec-2"; projectId: "project-1"; projectTitle: "Project One")";
    const std::vector<Row> rows = {
        {"no classification right",
         [](PaletteScene&) {
             TVSim::Faults::FailCall("TVAPI_Classification_GetClassificationSystem", APIERR_NOACCESSRIGHT);
         },
         "32551",
         spdlog::level::info, "ConnectWithSpecification: ErrorClassificationManagerNoAccessRight(APIERR_NOACCESSRIGHT): "},
        {"no property right", [](PaletteScene& s) { s.sim.SetPropertyAccessRight(false); }, "32550",
         spdlog::level::info, "ConnectWithSpecification ErrorPropertyManagerNoAccessRight(APIERR_NOACCESSRIGHT): "},
        {"not a team-work project",
         [](PaletteScene&) { TVSim::Faults::FailCall("TVAPI_ModulData_Store", APIERR_NOTEAMWORKPROJECT); },
         "32560", spdlog::level::info, "ConnectWithSpecification: "},
        {"cancelled in the host",
         [](PaletteScene&) { TVSim::Faults::FailCall("TVAPI_ModulData_Store", APIERR_CANCEL); }, "",
         spdlog::level::info, "ConnectWithSpecification: "},
        {"any other host error",
         [](PaletteScene&) { TVSim::Faults::FailCall("TVAPI_ModulData_Store", APIERR_GENERAL); }, "32555",
         spdlog::level::err, "exception: "},
        {"the listing refused",
         [](PaletteScene&) {
             TVSim::Faults::FailCall("TVAPI_Classification_GetClassificationSystems", APIERR_NOACCESSRIGHT);
         },
         "32551", spdlog::level::info, "ConnectWithSpecification: ErrorClassificationManagerNoAccessRight(APIERR_NOACCESSRIGHT): "},
        {"another connection's record refused",
         [](PaletteScene& s) {
             s.ConnectSpec(1);
             // It might use the chosen system: the host's read of it right after the listing fails.
             TVSim::Faults::BeforeCall("TVAPI_ModulData_GetList", [] {
                 TVSim::Faults::FailCall("TVAPI_ModulData_Get", APIERR_GENERAL);
             });
         },
         "32555", spdlog::level::err, "exception: "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PaletteScene s;
        ASSERT_NE(s.Open(), nullptr);
        row.provoke(s);
        LogCapture log(LogCapture::Mode::AddToDefault);
        s.RequestConnection("spec-2", "Clauses 2");
        EXPECT_EQ(PaletteScene::Alerts(), "");
        Deliver();
        EXPECT_EQ(PaletteScene::Alerts(), row.alerts);
        EXPECT_EQ(s.Conn("spec-2"), nullptr);
        const auto lines = log.MessagesStartingWith(row.logged);
        ASSERT_EQ(lines.size(), 1u) << row.logged;
        const bool detailed = row.level == spdlog::level::err;
        EXPECT_NE(lines[0].find(detailed ? requestAfter : request), std::string::npos) << lines[0];
        EXPECT_TRUE(log.Has(row.level, lines[0]));
        Manager().Close();
        TVSim::Faults::Clear();
    }
}

TEST(ConnectionRequest, TheUsersAnswersToAConnectionThatExistsOrUsesTheSystem) {
    PaletteScene s;
    ASSERT_NE(s.Open(), nullptr);
    s.ConnectSpec(1);
    Deliver();

    // The specification is connected still (its disconnection failed): 1 nothing, 2 reconnect, 3 disconnect.
    LogCapture log;
    TVSim::Alerts::ScriptAnswers({1, 2, 3});
    for (int answer = 1; answer <= 3; ++answer) {
        TVSim::Faults::FailCall("TVAPI_CallUndoableCommand", APIERR_GENERAL);
        s.ConnectThrough("spec-1", 2);
        Deliver();
        EXPECT_EQ(log.Count(spdlog::level::trace, "ReconnectWithTessarySpecification"), answer >= 2 ? 1u : 0u);
    }
    EXPECT_EQ(s.Conn("spec-1"), nullptr) << "answer 3 disconnects it";
    EXPECT_EQ(PaletteScene::Alerts(), "32558 32558 32558");

    // The system is used by spec-1: 1 nothing, 2 disconnect spec-1 only, 3 disconnect it and connect spec-2.
    s.ConnectSpec(1);
    Deliver();
    TVSim::Alerts::ScriptAnswers({1});
    s.ConnectThrough("spec-2", 1);
    Deliver();
    EXPECT_EQ(PaletteScene::Alerts(), "32559(Project One)(Spec 1)");
    EXPECT_NE(s.Conn("spec-1"), nullptr);
    TVSim::Alerts::ScriptAnswers({2});
    s.ConnectThrough("spec-2", 1);
    Deliver();
    EXPECT_EQ(s.Conn("spec-1"), nullptr);
    EXPECT_EQ(s.Conn("spec-2"), nullptr);
    s.ConnectSpec(1);
    Deliver();
    TVSim::Alerts::ScriptAnswers({3});
    s.ConnectThrough("spec-2", 1);
    Deliver();
    EXPECT_EQ(s.Conn("spec-1"), nullptr);
    ASSERT_NE(s.Conn("spec-2"), nullptr);
    EXPECT_EQ(s.Conn("spec-2")->ClassificationSystem().Guid(), PK::Guid(s.System(1)));
    EXPECT_EQ(PaletteScene::Alerts(), "32559(Project One)(Spec 1) 32559(Project One)(Spec 1)");
}

// In a shared project whose classifications and properties this user has not reserved, the host refuses to change
// them. The user hears of the refusals of the connection selected and of the one an alert of a request names, and
// of no other; a disconnection refused ends the request.
TEST(ConnectionRequest, RefusalsReachTheUserForTheConnectionsInViewOnlyAndARefusedDisconnectionEndsTheRequest) {
    const std::string noPropertyRight =
        "32550 You have no right to create or change property groups and property definitions in this project.\n"
        "Ask the project administrator for the right, or reserve Classifications and Properties in team work.";
    const auto told = [] {
        std::vector<std::string> texts;
        for (const TVSim::Alerts::Shown& alert : TVSim::Alerts::GetShown())
            texts.push_back(std::to_string(alert.resID) + " " + Text(alert.text));
        TVSim::Alerts::Clear();
        return texts;
    };
    PaletteScene s;
    s.sim.SetShared(true);
    s.sim.ReserveClassificationsAndProperties();
    Palette* palette = s.Open();
    ASSERT_NE(palette, nullptr);
    const ConnectionPtr first = s.ConnectSpec(1), second = s.ConnectSpec(2);
    ASSERT_TRUE(first != nullptr && second != nullptr);
    s.sim.ReleaseClassificationsAndProperties();
    // A clause of an item made after the connections: its properties must be made available for it.
    for (int n : {1, 2}) s.sim.AddClassificationItem(s.System(n), "D40");
    Deliver();
    told();

    // The user selects spec-1 in the browser panel instead of spec-2.
    DG::Panel& browser =
        *palette->GetRollDownSurface()->GetPanelContainer()->GetRollPanel(0)->GetTabControl()->GetPages().at(0);
    auto& connections = *dynamic_cast<DG::PopUp*>(browser.GetItem(5));
    for (short i = 1; i <= connections.GetItemCount(); ++i)
        if (Text(connections.GetItemText(i)).find("Spec 1") != std::string::npos) {
            ASSERT_TRUE(TVSim::Dialogs::ChoosePopUpItem(browser, 5, i));
        }
    ASSERT_EQ(s.addOn->manager->GetSelectedConnection(), first);
    s.Page().Handle_associationRequested("clause-d", "spec-2", "clause-d", Clause("clause-d", "D40"));
    Deliver();
    EXPECT_EQ(told(), std::vector<std::string>{}) << "spec-2 is out of view";
    s.Page().Handle_associationRequested("clause-d", "spec-1", "clause-d", Clause("clause-d", "D40"));
    Deliver();
    EXPECT_EQ(told(), std::vector<std::string>{noPropertyRight});

    // spec-3 asks for system 2, which spec-2 uses; the user chooses to disconnect spec-2 and connect spec-3, and the
    // host refuses the disconnection.
    std::string explanation;
    TVSim::Dialogs::SetModalDriver(TessaryConnect::UI::ClassificationSystemSelectorDialog::ResId,
                                   [&](DG::ModalDialog& dialog) {
                                       explanation = Text(dynamic_cast<DG::LeftText*>(dialog.GetItem(1))->GetText());
                                       auto& systems = *dynamic_cast<DG::PopUp*>(dialog.GetItem(2));
                                       for (short i = 1; i <= systems.GetItemCount(); ++i)
                                           if (Text(systems.GetItemText(i)) == "Clauses 2")
                                               TVSim::Dialogs::ChoosePopUpItem(dialog, 2, i);
                                       TVSim::Dialogs::Click(dialog, 3);
                                   });
    TVSim::Alerts::ScriptAnswers({3});
    s.Page().Handle_specAssociationRequested("project-1", "spec-3", "Project One", "Spec Three", "", "specification");
    Deliver();
    EXPECT_EQ(explanation,
              R"(Choose the classification system that the specification "Spec Three" of "Project One" will use.)");
    EXPECT_EQ(told(), (std::vector<std::string>{"32559 The classification system is used by the specification Spec 2 "
                                                "of the project Project One.\nDisconnect that specification, and "
                                                "connect the new one in its place?",
                                                noPropertyRight}));
    EXPECT_NE(s.Conn("spec-2"), nullptr);
    EXPECT_EQ(s.Conn("spec-3"), nullptr);
}

// Steps hold nothing of the palette: closed meanwhile, the connect still runs and alerts, nothing attaches.
TEST(ConnectionRequest, StepsPostedBeforeThePaletteClosesRunWithoutIt) {
    PaletteScene s;
    ASSERT_NE(s.Open(), nullptr);
    s.ConnectSpec(1);
    Deliver();
    s.RequestConnection("spec-2", "Clauses 2");
    s.ConnectThrough("spec-3", 1);
    Manager().Close();
    TVSim::Alerts::SetAnswer(32559, 1);
    Deliver();
    ASSERT_NE(s.Conn("spec-2"), nullptr);
    EXPECT_EQ(s.Conn("spec-1")->GetObserverCount(), 0u) << "nothing attached to it after the palette went";
    EXPECT_EQ(PaletteScene::Alerts(), "32559(Project One)(Spec 1)");
    EXPECT_TRUE(TVSim::Dialogs::GetEscapedExceptions().empty());
}

// Reconnected between the page's request and the step that answers it, the connection is logged in the words support
// looks for, and the user is offered the systems as for a new specification.
TEST(ConnectionRequest, AConnectionReconnectedBeforeTheStepRunsIsLoggedAndTheSystemsOffered) {
    PaletteScene s;
    ASSERT_NE(s.Open(), nullptr);
    s.ConnectSpec(1);
    Deliver();
    LogCapture log(LogCapture::Mode::AddToDefault);
    s.RequestConnection("spec-1", "none");
    s.Conn("spec-1")->ReconnectWithTessarySpecification();
    Deliver();
    EXPECT_TRUE(log.Has(spdlog::level::warn, "failed assertion: conn->IsDisconnected()"));
    EXPECT_EQ(TVSim::Dialogs::GetInvocations().size(), 1u);
    EXPECT_EQ(PaletteScene::Alerts(), "");
}
