// The main job: the whole add-on at work in the simulated host. The host
// loads it through its entry functions, the user opens its palette from the
// menu, the page standing in for the web application connects a
// specification and associates elements with clauses, issues are fixed from
// the issues panel, a clause changes, a step is undone, a second team member
// works on the same project, and the add-on is unloaded and loaded again.
// Every step prints what a user would see and checks that it had its effect;
// the run exits non-zero when one did not.
//
//   tessary_demo [--elements N] [--help]    N elements in the sample project (DemoOptions.hpp)
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DG/Browser.hpp"
#include "DG/Items.hpp"
#include "DemoOptions.hpp"
#include "DemoProject.hpp"
#include "DemoView.hpp"
#include "DemoWebApplication.hpp"
#include "Main.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Issue/BaseWithText.hpp"
#include "Model/Issue/ElementsAssociationBase.hpp"
#include "Model/Manager.hpp"
#include "Model/VirtualType.hpp"
#include "PK/Pref.hpp"
#include "PK/Runnable.hpp"
#include "TVSim/AddOnLoader.hpp"
#include "TVSim/Alerts.hpp"
#include "TVSim/Dialogs.hpp"
#include "TVSim/Resources.hpp"
#include "TVSim/Sim.hpp"
#include "TVSim/SimTeamwork.hpp"
#include "TVSim/Web.hpp"
#include "UD/RollDownPalette.hpp"
#include "UI/BrowserTabPage.hpp"
#include "UI/ClassificationSystemSelectorDialog.hpp"
#include "UI/IssuesTabPage.hpp"
#include "UI/PaletteManager.hpp"
#include "UI/TessaryPalette.hpp"

namespace {

using namespace Demo;
using namespace TessaryConnect;
using ConnectionPtr = std::shared_ptr<Model::ConnectionWithSpecification>;

constexpr char ServiceUrl[] = "https://app.orvotessary.com/";
constexpr char SpecId[] = "spec-42";
constexpr char Walling[] = "clause-F10";
constexpr char Openings[] = "clause-L20";
constexpr char Floors[] = "clause-E60";

// Runs the host's main loop until it comes to rest, as the host does between user actions.
void Pump() {
    PK::MainMessageLoop::RunPending(100000);
    if (PK::MainMessageLoop::GetPendingCount() != 0) Check(false, "the main loop comes to rest");
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The add-on as the host runs it on the current member's machine, with its palette open.
struct Machine {
    std::string name;

    // The host loads the add-on and the user opens the palette from its menu.
    bool Load() {
        const bool loaded = TVSim::LoadAddOn({&CheckEnvironment, &RegisterInterface, &Initialize, &FreeData}).loaded;
        Pump();
        if (!Check(loaded, name + ": the host loaded the add-on through its entry functions")) return false;
        TVSim::Events::ChooseMenuItem(UI::Palette::MenuResId, UI::Palette::MenuItemIndex);
        Pump();
        return Check(Palette() != nullptr, name + ": the palette opened from its menu entry");
    }
    void Unload() {
        if (!TVSim::IsAddOnLoaded()) return;
        const TVSim::AddOnUnloading unloading = TVSim::UnloadAddOn();
        Pump();
        if (!unloading.leftBehind.empty()) Check(false, name + ": the add-on left nothing registered behind");
    }

    static UI::Palette* Palette() { return UI::PaletteManager::GetInstance().GetPalette(); }
    static Model::Manager& Manager() { return *TessaryConnect::manager; }
    static ConnectionPtr Connection() { return Manager().GetConnection(SpecId); }
    static TVSim::Project& Project() { return *TVSim::GetProject(); }

    static DG::BrowserBase& Browser() {
        UD::IRollPanelContainer& panels = *Palette()->GetRollDownSurface()->GetPanelContainer();
        for (DG::Panel* page : panels.GetRollPanel(0)->GetTabControl()->GetPages())
            if (auto* browserPage = dynamic_cast<UI::BrowserTabPage*>(page)) return *browserPage->GetBrowser();
        throw std::logic_error("the palette has no browser panel");
    }
    // Runs a script in the shown page (a user's action there), then the main loop.
    static std::string Page(const std::string& script) {
        PK::UniString error;
        const auto value = TVSim::Web::Evaluate(Browser(), PK::UniString(script.c_str()), &error);
        Pump();
        if (!value) {
            Check(false, "the page ran " + script + " (" + Str(error) + ")");
            return {};
        }
        return Str(*value);
    }
    // The user associates the selection with the clause in the page, which sends it as the web application holds it.
    static void Associate(const WebApplication& web, const std::string& clause) {
        Page("demo.associateSelection(" + web.Script(clause) + ")");
    }
    static void Select(const std::vector<API_Guid>& elements) {
        PK::Array<API_Guid> selection;
        for (const API_Guid& element : elements) selection.Push(element);
        Project().SetSelection(selection);
        Pump();
    }
};

// What a user compares between two machines or two loadings: connections,
// clauses with their elements, issues and the palette's panels.
std::vector<std::string> StateOf(bool withPanels) {
    std::vector<std::string> state;
    for (const ConnectionPtr& connection : Machine::Manager().GetConnections()) {
        state.push_back("connection " + Str(connection->TessarySpecificationId()) + " \"" +
                        Str(connection->TessarySpecificationTitle()) + "\"");
        std::vector<std::string> clauses;
        connection->EnumerateVirtualTypes([&](const Model::VirtualType& type) {
            clauses.push_back("  clause " + Str(type.Id()) + ": " +
                              std::to_string(type.GetAssociatedElements().GetSize()) + " element(s)");
        });
        std::sort(clauses.begin(), clauses.end());
        state.insert(state.end(), clauses.begin(), clauses.end());
        std::vector<std::string> issues;
        for (const auto& issue : connection->GetIssuesWithText()) issues.push_back("  issue: " + Str(issue.GetText()));
        std::sort(issues.begin(), issues.end());
        state.insert(state.end(), issues.begin(), issues.end());
    }
    if (withPanels && Machine::Palette() != nullptr) {
        const auto panels = PanelTables(*Machine::Palette(), 1000);
        state.insert(state.end(), panels.begin(), panels.end());
    }
    return state;
}

void PrintState(const std::vector<std::string>& state) {
    for (const std::string& line : state) Say(Shorten(line));
}

// The issue that holds the element, or none.
std::shared_ptr<Model::Issue::Base> IssueOf(const API_Guid& element) {
    const ConnectionPtr connection = Machine::Connection();
    if (connection == nullptr) return nullptr;
    for (const auto& entry : connection->GetIssuesWithText())
        if (const auto* issue = dynamic_cast<const Model::Issue::ElementsAssociationBase*>(&entry.GetIssue()))
            if (issue->GetErroredElements().Contains(PK::Guid(element))) return entry.GetIssuePtr();
    return nullptr;
}

std::string ItemOf(const SampleProject& sample, const API_Guid& element) {
    const API_Guid item = Machine::Project().GetItemOf(element, sample.clauses);
    return item == APINULLGuid ? "-" : Str(Machine::Project().GetClassificationItem(item).item.id);
}

std::size_t CountClassified(const SampleProject& sample, const std::vector<API_Guid>& elements, const char* code) {
    return static_cast<std::size_t>(std::count_if(elements.begin(), elements.end(), [&](const API_Guid& element) {
        return ItemOf(sample, element) == code;
    }));
}

// The element's value of the clause property of that name, as the host shows it.
std::string ValueOf(const API_Guid& element, const char* property) {
    TVSim::Project& p = Machine::Project();
    for (const API_Guid& group : p.GetPropertyGroups())
        if (const API_Guid definition = p.FindPropertyDefinition(group, property); definition != APINULLGuid)
            return Str(p.GetPropertyText(element, definition));
    return {};
}

// What the add-on wrote into every element classified with a clause, against the clause as the web
// application holds it now: a member that shows the right clauses may still hold elements with stale values.
void CheckElementValues(const SampleProject& sample, const WebApplication& web, const std::string& member) {
    const WebApplication::Comparison comparison = web.CompareElements(Machine::Project(), sample.clauses);
    for (const std::string& mismatch : comparison.first) Say(member + ": " + mismatch);
    Check(comparison.elements > 0 && comparison.mismatches == 0,
          member + ": each of the " + std::to_string(comparison.elements) +
              " elements with a clause carries the clause's values as the web application holds them now (" +
              std::to_string(comparison.mismatches) + " differ)");
}

std::vector<API_Guid> Join(std::initializer_list<std::vector<API_Guid>> lists) {
    std::vector<API_Guid> all;
    for (const auto& list : lists) all.insert(all.end(), list.begin(), list.end());
    return all;
}

// The panel "Elements without clause" counts the current story only: says how much of the project that is.
void SayWhatTheUnassociatedPanelCounts(const SampleProject& sample) {
    TVSim::Project& p = Machine::Project();
    const PK::Int16 current = p.GetCurrentStory();
    std::string story;
    for (const TVSim::Story& s : p.GetStories())
        if (s.index == current) story = Str(s.name);
    std::vector<std::string> parts;
    for (const API_ElemTypeID type : {API_WallID, API_SlabID, API_DoorID, API_WindowID}) {
        std::size_t onStory = 0, all = 0;
        std::string kind;
        for (const API_Guid& element : p.GetElementsOfType(type)) {
            if (p.GetItemOf(element, sample.clauses) != APINULLGuid) continue;
            ++all;
            if (p.GetElement(element).head.floorInd == current) ++onStory;
            kind = KindOf(p, element);
        }
        if (all > 0)
            parts.push_back(std::to_string(onStory) + " of the " + std::to_string(all) + " " + kind +
                            (all > 1 ? "s" : ""));
    }
    std::string counted;
    for (std::size_t i = 0; i < parts.size(); ++i)
        counted += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    Say("\"Elements without clause\" counts only the current story, " + story + ": " +
        (parts.empty() ? "every wall, slab, door and window has a clause"
                       : "it holds " + counted + " without a clause"));
}

void OpenPaletteAndPage(Machine& a) {
    Heading("Member A's host loads the add-on; the user opens the palette from its menu");
    if (!a.Load()) return;
    Say("the browser panel shows " + Str(TVSim::Web::GetShownUrl(Machine::Browser())));
    Check(Machine::Page("typeof window.orvoTessaryIntegrator") == "object",
          "the page sees the add-on's script object orvoTessaryIntegrator");
    Say("the page asked for all state: " + Shorten(Machine::Page("demo.answers.getAllState")));
    Check(Machine::Page("demo.documentRef") == Str(Machine::Manager().PlanId()),
          "the page learnt the project's document reference");
    Check(Machine::Page("demo.received.join(' ').indexOf('tvt_onlineStateChanged')") == "-1",
          "the page did not report its online state on loading");
}

void ConnectSpecification(const SampleProject& sample) {
    Heading("The page asks to connect its specification; the user picks the classification system \"Clauses\"");
    Machine::Project().ReserveClassificationsAndProperties();
    Say("Member A reserves Classifications and Properties in team work");
    TVSim::Dialogs::SetModalDriver(UI::ClassificationSystemSelectorDialog::ResId, [](DG::ModalDialog& dialog) {
        auto& systems = *dynamic_cast<DG::PopUp*>(dialog.GetItem(2));
        std::vector<std::string> entries;
        for (short i = 1; i <= systems.GetItemCount(); ++i) {
            entries.push_back(Str(systems.GetItemText(i)));
            if (entries.back() == "Clauses") TVSim::Dialogs::ChoosePopUpItem(dialog, 2, i);
        }
        // The dialog lists the systems in the host's order, which differs from project to project.
        std::sort(entries.begin(), entries.end());
        std::string listed;
        for (const std::string& entry : entries) listed += (listed.empty() ? "" : ", ") + entry;
        Say("dialog: \"" + Shorten(Str(dynamic_cast<DG::TextItem*>(dialog.GetItem(1))->GetText()), 90) + "\"");
        Say("dialog: systems (alphabetically) " + listed + "; the user chooses Clauses and OK");
        TVSim::Dialogs::Click(dialog, 3);
    });
    Machine::Page("demo.connectSpecification()");
    const ConnectionPtr connection = Machine::Connection();
    if (!Check(connection != nullptr, "the project is connected to the specification spec-42")) return;
    Check(PK::Guid(sample.clauses) == connection->ClassificationSystem().Guid(), "through the system Clauses");
    TVSim::Project& p = Machine::Project();
    for (const API_Guid& group : p.GetPropertyGroups())
        Say("property group \"" + Str(p.GetPropertyGroup(group).group.name) + "\" with " +
            std::to_string(p.GetPropertyGroup(group).definitions.GetSize()) + " property definitions");
    for (const PK::UniString& name : p.GetModulDataNames()) Say("module data \"" + Str(name) + "\"");
    Check(p.GetModulData("ConnectionWithSpecification:spec-42") != nullptr,
          "the connection is stored as module data of the project");
    Check(p.FindAddOnObject("PlanData") != nullptr, "the project's identity is stored as the add-on object PlanData");
    Machine::Page("demo.openSpecification()");
    Check(Machine::Manager().GetSelectedConnection() == connection, "the opened specification is selected");
}

void Associate(const SampleProject& sample, const WebApplication& web) {
    Heading("The user selects walls and slabs, then doors and windows, and associates them with two clauses");
    Machine::Select(Join({sample.walls, {sample.locked, sample.hidden, sample.hotlinked}}));
    Say("selected: " + std::to_string(Machine::Manager().GetSelection().GetSelectedCount()) +
        " elements: the walls (one locked, one hotlinked) and the slab on the hidden layer");
    Machine::Associate(web, Walling);
    Machine::Select(Join({sample.doors, sample.windows, {sample.reserved}}));
    Say("selected: " + std::to_string(Machine::Manager().GetSelection().GetSelectedCount()) +
        " elements: the doors and windows (one window reserved by Member B)");
    Machine::Associate(web, Openings);

    const std::size_t walls = CountClassified(sample, sample.walls, "F10");
    const std::size_t openings = CountClassified(sample, Join({sample.doors, sample.windows}), "L20");
    Say("classified F10: " + std::to_string(walls) + " walls; classified L20: " + std::to_string(openings) +
        " doors and windows");
    Check(walls == sample.walls.size() && openings == sample.doors.size() + sample.windows.size(),
          "every changeable element carries its clause's classification item");
    Check(ValueOf(sample.walls.front(), "OrvoTessaryTitle") == web.Get(Walling).title,
          "the clause's title is written into the elements");
    for (const auto& [element, what] : std::vector<std::pair<API_Guid, std::string>>{
             {sample.locked, "the locked wall"},
             {sample.hidden, "the slab on the hidden layer"},
             {sample.hotlinked, "the hotlinked wall"},
             {sample.reserved, "the window reserved by Member B"}})
        Check(ItemOf(sample, element) == "-" && IssueOf(element) != nullptr,
              what + " is left as it was and reported in an issue");
    Heading("The palette's four panels");
    PrintPanels(*Machine::Palette());
    SayWhatTheUnassociatedPanelCounts(sample);
}

void FixEditUndo(const SampleProject& sample, WebApplication& web) {
    Heading("The wall is unlocked, and its issue fixed from the issues panel");
    Machine::Project().SetElementLocked(sample.locked, false);
    UI::IssuesTabPage& issues = Machine::Palette()->GetIssuesPage();
    auto& rows = *dynamic_cast<DG::ListBox*>(issues.GetItem(1));
    const auto issue = IssueOf(sample.locked);
    const PK::UniString text = issue ? Model::Issue::BaseWithText(Machine::Connection(), issue).GetText() : "";
    short row = 0;
    for (short i = 1; i <= rows.GetItemCount(); ++i)
        if (rows.GetTabItemText(i, 1) == text) row = i;
    Check(row != 0 && TVSim::Dialogs::SelectRow(issues, 1, row) && TVSim::Dialogs::Click(issues, 10),
          "the user selects its row and clicks Fix");
    Pump();
    Check(ItemOf(sample, sample.locked) == "F10" && IssueOf(sample.locked) == nullptr,
          "the wall is classified F10 now and no issue names it");
    Say("issues left: " + std::to_string(rows.GetItemCount()));

    Heading("The clause's title changes in the web application");
    web.Retitle(Walling, "Brick/block walling, facing brick");
    Machine::Page("demo.editClause(" + web.Script(Walling) + ")");
    const bool updated = std::all_of(sample.walls.begin(), sample.walls.end(), [&](const API_Guid& wall) {
        return ValueOf(wall, "OrvoTessaryTitle") == web.Get(Walling).title;
    });
    Check(updated, "every wall of the clause shows the new title");

    Heading("The user associates the slabs with clause E60, then undoes that step in the host");
    Machine::Select(sample.slabs);
    Machine::Associate(web, Floors);
    Check(CountClassified(sample, sample.slabs, "E60") == sample.slabs.size(), "the slabs are classified E60");
    const auto& steps = Machine::Project().GetUndoSteps();
    Say("undoing \"" + (steps.empty() ? std::string() : Str(steps.back().name)) + "\"");
    Check(Machine::Project().Undo() == NoError, "the host undid the step");
    Pump();
    Check(CountClassified(sample, sample.slabs, "E60") == 0, "the slabs carry no classification item again");
    Machine::Page("demo.listTypes()");
    const std::string types = Machine::Page("demo.answers.getAllTypesInDocument");
    Say("the page's types: " + Shorten(types));
    Check(types.find(Floors) == std::string::npos && types.find(Walling) != std::string::npos,
          "the add-on follows: the page's types no longer hold clause E60");
}

void TeamWork(Machine& a, Machine& b, const SampleProject& sample, const WebApplication& web) {
    Heading("Member A sends the changes; Member B receives them on a machine of its own");
    TVSim::Teamwork::SendAndReceive();
    Pump();
    a.Unload();
    TVSim::Teamwork::SwitchTo(sample.memberB);
    if (!b.Load()) return;
    TVSim::Teamwork::Receive();
    Pump();
    Check(Machine::Connection() != nullptr, "Member B sees the connection");

    Heading("Member B associates the window it holds and a wall it draws, and sends");
    const API_Guid newWall = Machine::Project().AddElement(API_WallID, {.story = 1});
    Pump();
    Machine::Select({sample.reserved});
    Machine::Associate(web, Openings);
    Machine::Select({newWall});
    Machine::Associate(web, Walling);
    Check(ItemOf(sample, sample.reserved) == "L20" && ItemOf(sample, newWall) == "F10",
          "Member B's window and wall are classified");
    TVSim::Teamwork::SendAndReceive();
    Pump();
    b.Unload();

    Heading("Member A associates the slabs meanwhile, then receives: the two versions of the connection merge");
    TVSim::Teamwork::SwitchTo(sample.memberA);
    if (!a.Load()) return;
    Machine::Select(sample.slabs);
    Machine::Associate(web, Floors);
    TVSim::Teamwork::SendAndReceive();
    Pump();
    const auto stateA = StateOf(false);
    PrintState(stateA);
    CheckElementValues(sample, web, a.name);
    a.Unload();

    TVSim::Teamwork::SwitchTo(sample.memberB);
    if (!b.Load()) return;
    TVSim::Teamwork::Receive();
    Pump();
    const auto stateB = StateOf(false);
    Check(stateA == stateB, "Member B, having received, shows the same connections, clauses and issues");
    CheckElementValues(sample, web, b.name);
    Check(IssueOf(sample.reserved) == nullptr, "the reserved window's issue is gone on both");
    b.Unload();
    TVSim::Teamwork::SwitchTo(sample.memberA);
    a.Load();
}

void Reload(Machine& a, const SampleProject& sample) {
    Heading("The add-on is unloaded and loaded again on the stored project");
    const auto before = StateOf(true);
    a.Unload();
    Check(UI::PaletteManager::GetInstance().GetPalette() == nullptr && TessaryConnect::manager == nullptr,
          "unloaded: no palette, no manager");
    if (!a.Load()) return;
    const auto after = StateOf(true);
    PrintPanels(*Machine::Palette());
    SayWhatTheUnassociatedPanelCounts(sample);
    Check(before == after, "it shows the same connections, clauses, issues and panels");
}

// Preferences and the add-on's log live in a folder beside the demo binary, fresh for each run.
std::filesystem::path PrepareRunFolder(const char* argv0) {
    const std::filesystem::path folder = std::filesystem::weakly_canonical(argv0).parent_path() / "demo-run";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    PKPref::SetStorageFolder(folder / "prefs");
    const std::filesystem::path log = folder / "OrvoTessaryConnect.log";
    PKPref::OpenRootKey(-1)->SetString("OrvoTessaryConnect", "log.path", log.string().c_str());
    return log;
}

// The most memory the run has held at once (its peak resident set).
long PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;  // kilobytes on Linux
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const std::optional<Options> options = ParseOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "tessary_demo: %s\n%s", error.c_str(), Usage().c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(Usage().c_str(), stdout);
        return 0;
    }
    const std::size_t elementCount = options->elements;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // the transcript keeps pace with the work, also through a pipe
    const auto start = std::chrono::steady_clock::now();
    std::printf("OrvoTessaryConnect: the add-on at work in the simulated host\n");
    spdlog::set_level(spdlog::level::off);  // the add-on's own logger goes to the run folder once it is loaded
    TVSim::Reset();
    TVSim::Web::Reset();
    TVSim::Resources::SetFolder(TC_RESOURCES_DIR);
    const std::filesystem::path log = PrepareRunFolder(argv[0]);
    TVSim::Web::RegisterPage(ServiceUrl, ReadFile(std::filesystem::path(TC_DEMO_DIR) / "DemoPage.html").c_str());
    TVSim::Alerts::SetDefaultAnswer(1);
    ShowProgressOnTerminal();

    Heading("The sample project \"Riverside Offices\", shared in team work");
    const SampleProject sample = BuildSampleProject(elementCount);
    Say(std::to_string(TVSim::GetProject()->GetElementCount()) + " elements on two stories: " +
        std::to_string(sample.walls.size() + 2) + " walls, " + std::to_string(sample.slabs.size() + 1) + " slabs, " +
        std::to_string(sample.doors.size()) + " doors, " + std::to_string(sample.windows.size() + 1) + " windows");
    Say("one wall locked, one slab on the hidden layer \"Hidden Details\", one wall from the hotlinked module "
        "\"Core\", one window reserved by Member B");
    Say("classification systems: Clauses (items E60, F10, H20, L20, M10), Uniclass (2015)");

    WebApplication web;
    web.Hold({.id = Walling, .code = "F10", .title = "Brick/block walling"});
    web.Hold({.id = Openings, .code = "L20", .title = "Doors and windows"});
    web.Hold({.id = Floors, .code = "E60", .title = "Floor slabs"});

    Machine a{"Member A"};
    Machine b{"Member B"};
    OpenPaletteAndPage(a);
    if (Machine::Palette() != nullptr) {
        ConnectSpecification(sample);
        if (Machine::Connection() != nullptr) {
            Associate(sample, web);
            FixEditUndo(sample, web);
            TeamWork(a, b, sample, web);
            if (Machine::Palette() != nullptr) Reload(a, sample);
        }
    }
    a.Unload();
    Check(TVSim::Events::GetEscapedExceptions().empty() && TVSim::Web::GetEscapedExceptions().empty() &&
              TVSim::Dialogs::GetEscapedExceptions().empty(),
          "no exception escaped into the host, its dialogs or its browser control");
    std::vector<std::string> alerts;
    for (const auto& alert : TVSim::Alerts::GetShown()) alerts.push_back(std::to_string(alert.resID));

    Heading("Summary");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char took[32];
    std::snprintf(took, sizeof took, "%.1f", seconds);
    Say(std::to_string(Checks() - Failures()) + " of " + std::to_string(Checks()) + " checks passed in " + took +
        " s with " + std::to_string(elementCount) + " elements, at most " + std::to_string(PeakMegabytes()) +
        " MB of memory in use; the add-on's log: " + log.string());
    return Failures() == 0 ? 0 : 1;
}
