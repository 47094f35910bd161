// Demo run of the add-on inside the simulated host: a small project, the
// add-on loaded and unloaded by the host through its entry functions, its
// page bridge on the substitute browser, and a page standing in for the web
// application; the demo itself plays the palette's part. Each step prints what a user would see and checks
// that it had its effect; the run exits non-zero when one did not, so a broken
// system fails `./run demo` and its CTest. The add-on's log goes to a file in
// the build folder, not to the console.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TVSim/Web.hpp"
#include "DG/Panel.hpp"
#include "DemoPage.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Issue/BaseWithText.hpp"
#include "Model/Manager.hpp"
#include "PK/Pref.hpp"
#include "PK/Runnable.hpp"
#include "Main.hpp"
#include "TVSim/AddOnLoader.hpp"
#include "TVSim/Sim.hpp"
#include "Tessary/Implementation/TessaryBrowser.hpp"
#include "Util/Log.hpp"

namespace {

using namespace TessaryConnect;
using ConnectionPtr = std::shared_ptr<Model::ConnectionWithSpecification>;

constexpr char ServiceUrl[] = "https://app.orvotessary.com/";
constexpr char SpecId[] = "spec-42";
constexpr char ClauseId[] = "clause-F10";

int failures = 0;
int checks = 0;
std::vector<std::string> summary;  // one line per step that got as far as showing its result

std::string Str(const PK::UniString& text) { return text.ToCStr(); }

void Heading(const char* text) { std::printf("\n== %s\n", text); }

bool Check(bool ok, const std::string& what) {
    ++checks;
    if (!ok) ++failures;
    std::printf("   [%s] %s\n", ok ? "ok" : "FAILED", what.c_str());
    return ok;
}

// Runs the host's main loop until it comes to rest, as the host does between user actions.
void Pump() {
    PK::MainMessageLoop::RunPending(1000);
    if (PK::MainMessageLoop::GetPendingCount() != 0) Check(false, "the main loop comes to rest");
}

std::string Shorten(std::string text, std::size_t length = 110) {
    if (text.size() > length) text = text.substr(0, length - 3) + "...";
    return text;
}

// The demo's elements, each with the label the console shows.
struct DemoElement {
    std::string label;
    API_Guid guid;
    bool changeable;  // whether the host lets the add-on classify it
};

// The palette's part when the page asks to connect a specification: the
// user picks the classification system in a dialog; here it is always the
// project's "Clauses".
class Palette : public Model::ManagerObserver {
public:
    explicit Palette(API_Guid system) : _system(system) {}

    void ManagerEvent_AssociationWithSpecificationRequested(const std::shared_ptr<Model::Manager>& manager,
                                                            const PK::UniString& projectId,
                                                            const PK::UniString& projectTitle,
                                                            const PK::UniString& specId,
                                                            const PK::UniString& specTitle,
                                                            const PK::UniString&) override {
        std::printf("   palette: the page asks to connect \"%s\"; the user picks the system \"Clauses\"\n",
                    Str(specTitle).c_str());
        try {
            manager->ConnectWithSpecification(_system, specId, specTitle, projectId, projectTitle);
        } catch (const std::exception& e) {
            std::printf("   palette: connecting failed: %s\n", e.what());
        }
    }
    void ManagerEvent_SelectionChanged(const Model::SelectionCache& selection) override {
        std::printf("   palette: %u element(s) selected\n", static_cast<unsigned>(selection.GetSelectedCount()));
    }

private:
    API_Guid _system;
};

// The demo's world: project, add-on and page, with helpers that read what a user would see.
struct Demo {
    TVSim::Project* project = nullptr;
    API_Guid system{};
    std::vector<DemoElement> elements;
    std::shared_ptr<Model::Manager> manager;
    std::unique_ptr<Palette> palette;
    DG::Panel panel;
    std::shared_ptr<Implementation::TessaryBrowser> browser;

    // Runs a script in the shown page (a user's action there), then the main loop.
    std::string Page(const std::string& script) {
        PK::UniString error;
        const auto value = TVSim::Web::Evaluate(*browser, PK::UniString(script), &error);
        Pump();
        if (!value) {
            Check(false, "the page ran: " + script + " (" + Str(error) + ")");
            return {};
        }
        return Str(*value);
    }
    int Received() { return std::stoi(Page("demo.received.length")); }

    ConnectionPtr Connection() { return manager->GetConnection(SpecId); }

    std::string CodeOf(const API_Guid& element) const {
        const API_Guid item = project->GetItemOf(element, system);
        return item == APINULLGuid ? "-" : Str(project->GetClassificationItem(item).item.id);
    }
    // "Name=value" for each property the element shows: those available for its classification items.
    std::string ValuesOf(const API_Guid& element, const char* only = nullptr) const {
        const TVSim::Element& record = project->GetElement(element);
        std::string values;
        for (const API_Guid& group : project->GetPropertyGroups())
            for (const API_Guid& definition : project->GetPropertyGroup(group).definitions) {
                const TVSim::PropertyDefinition& property = project->GetPropertyDefinition(definition);
                bool available = false;
                for (const auto& [itemSystem, item] : record.classification)
                    available |= property.availability.Contains(item);
                if (!available) continue;
                const std::string name = Str(property.definition.name);
                if (only != nullptr && name.find(only) == std::string::npos) continue;
                const std::string text = Str(project->GetPropertyText(element, definition));
                if (text.empty()) continue;
                values += (values.empty() ? "" : ", ") + name + "=" + text;
            }
        return values.empty() ? "-" : values;
    }
    void PrintElements() const {
        std::printf("   %-34s %-6s %s\n", "element", "item", "property values");
        for (const DemoElement& e : elements)
            std::printf("   %-34s %-6s %s\n", e.label.c_str(), CodeOf(e.guid).c_str(),
                        Shorten(ValuesOf(e.guid), 90).c_str());
    }
};

// Prefs and the add-on's log live in a folder beside the demo binary, fresh for each run.
std::filesystem::path PrepareRunFolder(const char* argv0) {
    const std::filesystem::path folder = std::filesystem::weakly_canonical(argv0).parent_path() / "demo-run";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    PKPref::SetStorageFolder(folder / "prefs");
    const std::filesystem::path log = folder / "OrvoTessaryConnect.log";
    PKPref::OpenRootKey(-1)->SetString("OrvoTessaryConnect", "log.path", log.string().c_str());
    return log;
}

void OpenProject(Demo& d) {
    Heading("Opening the project \"Riverside Offices\" in the simulated host");
    d.project = &TVSim::OpenSavedProject("Riverside Offices", "/projects/Riverside Offices.tvp");
    TVSim::Project& p = *d.project;
    p.SetStories(0, {"Ground Floor", "First Floor", "Roof"});
    const PK::Int32 structure = p.AddLayer("Structure");
    const PK::Int32 archive = p.AddLayer("Archive", {.locked = true});
    d.system = p.AddClassificationSystem("Clauses");
    for (const char* code : {"F10", "E10", "M10"}) p.AddClassificationItem(d.system, code);
    const API_Guid hotlinkModule = p.AddAddOnObject("hotlinked module: Core");
    d.elements = {
        {"wall, Ground Floor", p.AddElement(API_WallID, {.layer = structure}), true},
        {"wall, First Floor", p.AddElement(API_WallID, {.layer = structure, .story = 1}), true},
        {"slab, First Floor", p.AddElement(API_SlabID, {.layer = structure, .story = 1}), true},
        {"wall, locked", p.AddElement(API_WallID, {.story = 1, .locked = true}), false},
        {"wall on the locked layer Archive", p.AddElement(API_WallID, {.layer = archive}), false},
        {"slab, hotlinked", p.AddElement(API_SlabID, {.story = 2, .hotlink = hotlinkModule}), false},
    };
    Pump();
    std::printf("   stories: Ground Floor, First Floor, Roof; layers: Structure, Archive (locked)\n");
    std::printf("   classification system \"Clauses\" with items F10, E10, M10\n");
    d.PrintElements();
}

void StartAddOn(Demo& d) {
    Heading("The host loads the add-on through its entry functions; the demo plays the palette's part");
    TVSim::Web::RegisterPage(ServiceUrl, DemoPage::Html);
    const TVSim::AddOnLoading loading = TVSim::LoadAddOn({&CheckEnvironment, &RegisterInterface, &Initialize, &FreeData});
    std::printf("   loaded \"%s\": %zu menu item(s), %zu palette(s) registered\n",
                Str(TVSim::GetAddOnInfo().name).c_str(), TVSim::GetRegistrations().menus.size(),
                TVSim::GetRegistrations().palettes.size());
    if (!Check(loading.loaded && TessaryConnect::manager != nullptr, "the add-on started and made its manager")) return;
    d.manager = TessaryConnect::manager;
    d.palette = std::make_unique<Palette>(d.system);
    d.manager->Attach(*d.palette);
    d.browser = std::make_shared<Implementation::TessaryBrowser>(d.panel, 1);
    d.browser->Init();
    d.manager->ResetTessaryApi(d.browser);
    Pump();
    std::printf("   the browser shows %s\n", Str(TVSim::Web::GetShownUrl(*d.browser)).c_str());
    Check(Str(TVSim::Web::GetShownUrl(*d.browser)) == ServiceUrl, "the bridge reached the web application");
    Check(d.Page("typeof window.orvoTessaryIntegrator") == "object",
          "the page sees the add-on's script object orvoTessaryIntegrator");
    d.Page("demo.call('getAllState')");
    std::printf("   the page asked for all state: %s\n",
                Shorten(d.Page("demo.answers.getAllState")).c_str());
    Check(d.Page("demo.documentRef") == Str(d.manager->PlanId()), "the page learnt the project's document reference");
}

void ConnectSpecification(Demo& d) {
    Heading("The user connects the specification in the web application");
    d.Page("demo.connectSpecification()");
    const ConnectionPtr connection = d.Connection();
    if (!Check(connection != nullptr, "the project is connected to spec-42")) return;
    Check(d.Page("demo.received.join('\\n').indexOf('associateSpec') >= 0") == "true",
          "the page was told the specification is connected");
    d.Page("demo.openSpecification()");
    Check(d.Page("demo.documentRef") == Str(d.manager->PlanId()), "the page keeps the document it was connected in");
    Check(d.manager->GetSelectedConnection() == connection, "the opened specification is the selected connection");
}

void SelectAndAssociate(Demo& d) {
    Heading("The user selects all six elements and associates them with clause F10");
    PK::Array<API_Guid> all;
    for (const DemoElement& e : d.elements) all.Push(e.guid);
    d.project->SetSelection(all);
    Pump();
    std::printf("   the page's selection state: %s\n", Shorten(d.Page("JSON.stringify(demo.selection)")).c_str());
    Check(d.manager->GetSelection().GetSelectedCount() == all.GetSize(), "the add-on follows the selection");

    d.Page(std::string("demo.associateSelection('") + ClauseId + "', 'F10', 'Brick/block walling')");
    d.PrintElements();
    bool asExpected = true;
    for (const DemoElement& e : d.elements) asExpected &= (d.CodeOf(e.guid) == "F10") == e.changeable;
    Check(asExpected, "the three changeable elements are classified F10, the locked and hotlinked ones are not");
    Check(d.ValuesOf(d.elements[0].guid, "Title").find("Brick/block walling") != std::string::npos,
          "the clause's title is written into the classified elements");

    Heading("Issues recorded for the elements that could not be changed");
    const ConnectionPtr connection = d.Connection();
    const auto issues = connection != nullptr ? connection->GetIssuesWithText() : PK::Array<Model::Issue::BaseWithText>{};
    for (const auto& issue : issues) std::printf("   - %s\n", Str(issue.GetText()).c_str());
    Check(!issues.IsEmpty(), "the refused elements are reported as issues");
    int classified = 0;
    for (const DemoElement& e : d.elements) classified += d.CodeOf(e.guid) == "F10";
    summary.push_back(std::to_string(classified) + " of " + std::to_string(d.elements.size()) +
                      " selected elements associated with clause F10; " + std::to_string(issues.GetSize()) +
                      " issue(s) recorded for the others");
}

void ShowTypes(Demo& d) {
    Heading("The web application lists the types in the document");
    d.Page("demo.listTypes()");
    std::printf("   %s\n", Shorten(d.Page("demo.answers.getAllTypesInDocument"), 200).c_str());
    Check(d.Page("demo.answers.getAllTypesInDocument").find(ClauseId) != std::string::npos,
          "the clause is listed as a type in the document");
}

void UpdateClause(Demo& d) {
    Heading("The clause's title is edited in the web application");
    d.Page(std::string("demo.editClause('") + ClauseId + "', 'F10', 'Brick/block walling, facing brick')");
    for (const DemoElement& e : d.elements)
        if (e.changeable)
            std::printf("   %-34s %s\n", e.label.c_str(), Shorten(d.ValuesOf(e.guid, "Title"), 80).c_str());
    bool updated = true;
    for (const DemoElement& e : d.elements)
        if (e.changeable) updated &= d.ValuesOf(e.guid, "Title").find("facing brick") != std::string::npos;
    Check(updated, "every classified element shows the new title");
}

void Disassociate(Demo& d) {
    Heading("The user selects the ground-floor wall and removes it from the clause");
    d.project->SetSelection({d.elements[0].guid});
    Pump();
    d.Page(std::string("demo.removeSelectionFromClause('") + ClauseId + "', 'F10', 'Brick/block walling')");
    d.PrintElements();
    Check(d.CodeOf(d.elements[0].guid) == "-", "the ground-floor wall is no longer classified");
    Check(d.CodeOf(d.elements[1].guid) == "F10", "the other elements keep the clause");
}

void ShowPageAndUndo(Demo& d) {
    Heading("What the page received from the add-on");
    const int count = d.Received();
    for (int i = 0; i < count; ++i)
        std::printf("   %2d %s\n", i + 1, Shorten(d.Page("demo.received[" + std::to_string(i) + "]"), 100).c_str());
    Check(count > 0, "the page was sent its states");

    Heading("Undo steps recorded in the host");
    for (const TVSim::UndoStep& step : d.project->GetUndoSteps())
        std::printf("   %-50s %zu change(s)%s\n", Str(step.name).c_str(), step.changes.size(),
                    step.undoable ? "" : " (not undoable)");
    const auto undoable = std::count_if(d.project->GetUndoSteps().begin(), d.project->GetUndoSteps().end(),
                                        [](const TVSim::UndoStep& step) { return step.undoable; });
    Check(undoable > 0, "the changes are undoable steps");
    summary.push_back(std::to_string(count) + " call(s) received by the page; " + std::to_string(undoable) +
                      " undo step(s) in the host");
}

}  // namespace

int main(int /*argc*/, char** argv) {
    std::printf("OrvoTessaryConnect %s: demo in the simulated host\n",
                Str(TessaryConnect::Version.FullStr()).c_str());
    TVSim::Reset();
    TVSim::Web::Reset();
    const std::filesystem::path log = PrepareRunFolder(argv[0]);
    {
        Demo d;
        OpenProject(d);
        StartAddOn(d);
        if (d.manager != nullptr) ConnectSpecification(d);
        if (d.manager != nullptr && d.Connection() != nullptr) {
            SelectAndAssociate(d);
            ShowTypes(d);
            UpdateClause(d);
            Disassociate(d);
        }
        if (d.browser != nullptr) ShowPageAndUndo(d);
        if (d.manager != nullptr) d.manager->ResetTessaryApi(nullptr);
        d.browser.reset();
        PK::MainMessageLoop::Clear();
    }
    Heading("The host unloads the add-on");
    if (TVSim::IsAddOnLoaded()) {
        const TVSim::AddOnUnloading unloading = TVSim::UnloadAddOn();
        Check(unloading.leftBehind.empty() && TessaryConnect::manager == nullptr,
              "FreeData ended every subscription and let go of the manager");
    }
    TVSim::OpenProject();
    Pump();
    Check(TVSim::GetCallbacksAfterFreeData().empty(), "nothing reached the add-on after FreeData");
    Check(TVSim::Events::GetEscapedExceptions().empty() && TVSim::Web::GetEscapedExceptions().empty(),
          "no exception escaped into the host or its browser control");
    spdlog::default_logger()->flush();

    Heading("Summary");
    for (const std::string& line : summary) std::printf("   %s\n", line.c_str());
    std::printf("   %d of %d checks passed; the add-on's log: %s\n", checks - failures, checks, log.c_str());
    return failures == 0 ? 0 : 1;
}
