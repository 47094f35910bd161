#include "faults/FaultSweep.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <stdexcept>

#include "DG/Browser.hpp"
#include "IO/MemoryChannel.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "Model/PlanData.hpp"
#include "TVSim/Alerts.hpp"
#include "TVSim/Dialogs.hpp"
#include "TVSim/Resources.hpp"
#include "TVSim/Web.hpp"
#include "UI/BrowserTabPage.hpp"
#include "UI/ClassificationSystemSelectorDialog.hpp"
#include "UI/IssuesTabPage.hpp"
#include "UI/PaletteManager.hpp"
#include "UI/TessaryPalette.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/LogCapture.hpp"

namespace TestSupport::Sweep {

namespace {

using TessaryConnect::UI::Palette;
using TessaryConnect::UI::PaletteManager;

constexpr char ServiceUrl[] = "https://app.orvotessary.com/";

// The web application as far as the sweep needs it: it takes the add-on's calls and makes the user's.
constexpr char ServicePage[] = R"(<html><head><title>Orvo Tessary</title></head><body><script>
window.orvoTessaryState = {};
['setAppState', 'setDocumentState', 'setSelectionState', 'associateSpec', 'removeSpecAssociation', 'associate',
 'removeAssociation', 'sendAssociationFeedback', 'requestClauseData'].forEach(function (name) {
    window.orvoTessaryState[name] = function () {};
});
function clause(id, code) {
    return JSON.stringify({OrvoTessaryClauseId: id, OrvoTessaryCode: code, OrvoTessaryTitle: 'Title',
                           OrvoTessaryPrefix: 'Pre', OrvoTessarySuffix: 'Suf'});
}
function ask(name) {
    var integrator = window.orvoTessaryIntegrator;
    integrator[name].apply(integrator, Array.prototype.slice.call(arguments, 1));
}
</script></body></html>)";

// The user opens the palette from the add-on's menu.
void OpenPalette() {
    TVSim::Web::Reset();
    TVSim::Web::RegisterPage(ServiceUrl, ServicePage);
    TVSim::Dialogs::Reset();
    TVSim::Dialogs::SetModalDriver(TessaryConnect::UI::ClassificationSystemSelectorDialog::ResId,
                                   [](DG::ModalDialog& dialog) {
                                       auto& systems = *dynamic_cast<DG::PopUp*>(dialog.GetItem(2));
                                       for (short i = 1; i <= systems.GetItemCount(); ++i)
                                           if (Text(systems.GetItemText(i)) == "Clauses 1") {
                                               TVSim::Dialogs::ChoosePopUpItem(dialog, 2, i);
                                               TVSim::Dialogs::Click(dialog, 3);
                                           }
                                   });
    TVSim::Events::ChooseMenuItem(Palette::MenuResId, Palette::MenuItemIndex);
    Deliver();
    if (PaletteManager::GetInstance().GetPalette() == nullptr) throw std::runtime_error("the palette did not open");
}

DG::BrowserBase& Browser() {
    Palette* palette = PaletteManager::GetInstance().GetPalette();
    if (palette == nullptr) throw std::runtime_error("the palette is not open");
    UD::IRollPanelContainer& panels = *palette->GetRollDownSurface()->GetPanelContainer();
    for (DG::Panel* page : panels.GetRollPanel(0)->GetTabControl()->GetPages())
        if (auto* browserPage = dynamic_cast<TessaryConnect::UI::BrowserTabPage*>(page))
            return *browserPage->GetBrowser();
    throw std::runtime_error("the palette has no browser panel");
}

std::set<std::string> IssueRows() {
    std::set<std::string> rows;
    Palette* palette = PaletteManager::GetInstance().GetPalette();
    if (palette == nullptr) return rows;
    auto& list = *dynamic_cast<DG::ListBox*>(palette->GetIssuesPage().GetItem(1));
    for (short row = 1; row <= list.GetItemCount(); ++row) rows.insert(Text(list.GetTabItemText(row, 1)));
    return rows;
}

// Whatever the host's barriers caught since the stage was made (making it resets them).
std::vector<std::string> Escaped() {
    std::vector<std::string> escaped;
    for (const auto* caught : {&TVSim::Events::GetEscapedExceptions(), &TVSim::Dialogs::GetEscapedExceptions(),
                               &TVSim::Web::GetEscapedExceptions()})
        escaped.insert(escaped.end(), caught->begin(), caught->end());
    return escaped;
}

// The failures no user can be told of: these host functions answer without a code, a failure as a plain "no" that
// no add-on can tell from a true one. The add-on takes the safe side of each: an element that fails a filter is left
// alone, and reported where the filter says why; one without the clause definition available counts as without
// clause until it is read again; a project that seems not shared still has its changes refused by the host without
// the reservation. Nothing is lost either way, which the sweep checks all the same.
bool AnswersNoCode(const std::string& function) {
    static const std::set<std::string> functions = {
        "TVAPI_Element_Filter", "TVAPI_Element_IsPropertyDefinitionAvailable", "TVAPI_TeamworkControl_HasConnection"};
    return functions.count(function) > 0;
}

// ---- what is stored ----

// The connection a stored record holds, read as the add-on reads it; throws when it or its issues cannot be read.
ConnectionPtr ReadConnection(const std::vector<char>& bytes) {
    const auto tv = std::make_shared<Implementation::Torvel>();
    auto connection = std::make_shared<Model::ConnectionWithSpecification>(tv, std::make_shared<Model::TessaryPtr>(),
                                                                           std::make_shared<Model::PlanData>(tv));
    IO::MemoryIChannel32 channel(bytes.data(), bytes.size());
    if (connection->Read(channel) != PK::NoError) throw std::runtime_error("the record cannot be read");
    for (const auto& issue : connection->IssueCollection().Get())
        if (const auto* unknown = dynamic_cast<const Model::Issue::UnknownError*>(issue.get()))
            if (Text(unknown->GetHint()).find("read error") != std::string::npos)
                throw std::runtime_error("its issues cannot be read: " + Text(unknown->GetHint()));
    return connection;
}

std::string PlanIdIn(const std::string& record) {
    Model::PlanData plan(std::make_shared<Implementation::Torvel>());
    IO::MemoryIChannel32 channel(record.data(), record.size());
    if (record.empty() || plan.Read(channel) != PK::NoError || plan.Id().IsEmpty())
        throw std::runtime_error("the project identity cannot be read");
    return Text(plan.Id());
}

std::set<std::string> ClausesOf(const Model::ConnectionWithSpecification& connection) {
    std::set<std::string> clauses;
    connection.EnumerateVirtualTypes([&](const Model::VirtualType& type) { clauses.insert(Text(type.ClauseId())); });
    return clauses;
}

std::set<std::string> IssuesOf(const Model::ConnectionWithSpecification& connection) {
    std::set<std::string> issues;
    for (const auto& issue : connection.IssueCollection().Get()) issues.insert(Text(issue->Guid().ToUniString()));
    return issues;
}

// A connection but for its issues, which any action may add to tell of a failure.
std::string WithoutIssues(const Model::ConnectionWithSpecification& connection) {
    std::ostringstream text;
    text << connection.IsDisconnected() << connection.TessarySpecificationId() << connection.TessarySpecificationTitle()
         << connection.TessaryProjectId() << connection.TessaryProjectTitle() << connection.ClassificationSystem()
         << connection.PropertyGroup();
    connection.EnumerateVirtualTypes([&](const Model::VirtualType& type) { text << type; });
    return text.str();
}

// "<system>=<item id>; <property>=<value>; ..." or "deleted".
std::string ElementText(const TVSim::Project& sim, const API_Guid& element) {
    if (!sim.HasElement(element)) return "deleted";
    const TVSim::Element& held = sim.GetElement(element);
    std::map<std::string, std::string> fields;
    for (const auto& [system, item] : held.classification)
        fields[Text(sim.GetClassificationSystem(system).system.name)] = Text(sim.GetClassificationItem(item).item.id);
    for (const auto& [definition, value] : held.values)
        if (sim.HasPropertyDefinition(definition))
            fields[Text(sim.GetPropertyDefinition(definition).definition.name)] =
                Text(sim.GetPropertyText(element, definition));
    std::string text;
    for (const auto& [name, value] : fields) text += name + "=" + value + "; ";
    return text;
}

// What the project keeps and a user would miss.
struct Stored {
    std::map<std::string, std::vector<char>> records;  // by module-data name
    std::string planRecord;
    std::map<std::string, std::string> bystanders;

    explicit Stored(const Stage& stage) {
        const TVSim::Project& sim = *TVSim::GetProject();
        for (const PK::UniString& name : sim.GetModulDataNames())
            if (const TVSim::ModulData* data = sim.GetModulData(name); data != nullptr && data->bytes)
                records[Text(name)] = *data->bytes;
        if (const TVSim::AddOnObject* plan = sim.FindAddOnObject(Model::PlanData::AddonObjectName);
            plan != nullptr && plan->content)
            planRecord.assign(plan->content->begin(), plan->content->end());
        for (const API_Guid& element : stage.bystanders)
            bystanders[Text(PK::Guid(element).ToUniString())] = ElementText(sim, element);
    }
};

void ExpectReadBack(const Stored& before, const Stored& after) {
    for (const auto& [name, bytes] : after.records) {
        try {
            ReadConnection(bytes);
        } catch (const std::exception& e) {
            ADD_FAILURE() << name << ": " << e.what();
        }
    }
    try {
        EXPECT_EQ(PlanIdIn(after.planRecord), PlanIdIn(before.planRecord));
    } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
    }
}

// What was stored before the action is there still: a record the action has nothing to do with whole, though it may
// have gained issues; one it changes with every clause and issue that the action keeps when nothing fails.
void ExpectKept(const Stage& stage, const Stored& before, const Stored& usual, const Stored& after) {
    EXPECT_EQ(after.bystanders, before.bystanders) << "a bystander element changed";
    EXPECT_EQ(after.planRecord, before.planRecord) << "the project identity changed";
    for (const auto& [name, bytes] : before.records) {
        SCOPED_TRACE(name);
        const auto now = after.records.find(name);
        if (now == after.records.end()) {
            EXPECT_TRUE(stage.erasable.count(name)) << "the record is gone";
            continue;
        }
        try {
            const ConnectionPtr was = ReadConnection(bytes), is = ReadConnection(now->second);
            if (!stage.changing.count(name)) {
                EXPECT_EQ(WithoutIssues(*is), WithoutIssues(*was)) << "a record the action has nothing to do with";
                const std::set<std::string> issues = IssuesOf(*is), previous = IssuesOf(*was);
                EXPECT_TRUE(std::includes(issues.begin(), issues.end(), previous.begin(), previous.end()))
                    << "lost issues";
                continue;
            }
            const auto usually = usual.records.find(name);
            if (usually == usual.records.end()) continue;
            const ConnectionPtr kept = ReadConnection(usually->second);
            for (const auto& [what, of] : {std::pair{"clause", &ClausesOf}, std::pair{"issue", &IssuesOf}}) {
                const std::set<std::string> present = of(*is), keep = of(*kept);
                for (const std::string& entry : of(*was))
                    EXPECT_TRUE(!keep.count(entry) || present.count(entry)) << "lost the " << what << " " << entry;
            }
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

// ---- runs ----

// The nth call of the host function in a run.
struct HostCall {
    std::size_t index = 0;  // in the run's journal
    std::string function;
    PK::USize nth = 1;
};

struct Run {
    std::unique_ptr<Stage> stage;
    std::unique_ptr<Stored> before;
    std::vector<HostCall> calls;
    // Alerts and log lines at warning level or above.
    std::vector<std::string> told;
    std::set<std::string> issueRows;
    std::unique_ptr<Stored> after;
};

// Makes the stage and takes the action, with the call answering APIERR_GENERAL when one is given.
Run Take(const Scenario& scenario, const HostCall* failing) {
    TVSim::SeedGuids(28);
    Run run;
    run.stage = scenario.make();
    run.before = std::make_unique<Stored>(*run.stage);
    TVSim::Alerts::Clear();
    {
        LogCapture log(LogCapture::Mode::AddToDefault);
        TVSim::Journal::SetEnabled(true);
        TVSim::Journal::Clear();
        if (failing != nullptr) TVSim::Faults::FailCall(failing->function, APIERR_GENERAL, failing->nth);
        run.stage->Act();
        TVSim::Faults::Clear();
        std::map<std::string, PK::USize> seen;
        for (const TVSim::Journal::Call& call : TVSim::Journal::GetCalls())
            run.calls.push_back({run.calls.size(), call.function, ++seen[call.function]});
        for (const LogRecord& record : log.Records())
            if (record.level >= spdlog::level::warn) run.told.push_back("log: " + record.message);
    }
    for (const TVSim::Alerts::Shown& alert : TVSim::Alerts::GetShown())
        run.told.push_back("alert " + std::to_string(alert.resID));
    run.issueRows = IssueRows();
    run.after = std::make_unique<Stored>(*run.stage);
    return run;
}

// The action's run without a fault: the calls it makes and what it leaves.
struct Baseline {
    std::vector<HostCall> calls;
    std::unique_ptr<Stored> after;
    std::set<std::string> issueRows;
    std::string failure;  // what went wrong in the run itself
};

// Run once per process and scenario, while the tests are registered, where no check may fail yet: what goes wrong
// is kept for the tests to report.
const Baseline& BaselineOf(const Scenario& scenario) {
    static std::map<const Scenario*, Baseline> baselines;
    if (const auto found = baselines.find(&scenario); found != baselines.end()) return found->second;
    Baseline& baseline = baselines[&scenario];
    // Measured while the tests are being registered, before the global set-up has told the host where the
    // add-on's resources are.
    TVSim::Resources::SetFolder(TC_RESOURCES_DIR);
    const PK::USize handles = PK::MemoryDebug::GetLiveHandleCount();
    try {
        Run run = Take(scenario, nullptr);
        if (!run.stage->Done()) baseline.failure = "the action without a fault did not do what the user asked";
        if (run.calls.size() > MaxCallsPerScenario)
            baseline.failure = "the action makes " + std::to_string(run.calls.size()) + " host calls";
        // An empty journal would leave nothing to sweep, and every stretch would pass.
        if (run.calls.empty()) baseline.failure = "the journal holds no host call of the action";
        baseline.calls = std::move(run.calls);
        baseline.after = std::move(run.after);
        baseline.issueRows = std::move(run.issueRows);
        if (!run.told.empty()) baseline.failure = "the action without a fault told the user: " + run.told.front();
        if (const std::vector<std::string> escaped = Escaped(); !escaped.empty())
            baseline.failure = "the action without a fault let an exception escape: " + escaped.front();
    } catch (const std::exception& e) {
        baseline.failure = e.what();
    }
    if (PK::MemoryDebug::GetLiveHandleCount() != handles) baseline.failure = "the action without a fault leaks";
    return baseline;
}

void PrintTo(const HostCall& call, std::ostream* os) {
    *os << "call " << call.index << ": " << call.function << " #" << call.nth;
}

void RunWithFailing(const Baseline& baseline, const Scenario& scenario, const HostCall& call) {
    SCOPED_TRACE(testing::PrintToString(call));
    HandleLeakCheck handles;
    Run run = Take(scenario, &call);
    EXPECT_GE(TVSim::Journal::Count(call.function), call.nth) << "the run no longer makes that call";
    const std::vector<std::string> escaped = Escaped();
    EXPECT_TRUE(escaped.empty()) << "an exception reached the host: " << escaped.front();
    ExpectReadBack(*run.before, *run.after);
    ExpectKept(*run.stage, *run.before, *baseline.after, *run.after);
    // The scenario's own issues are no news of the fault.
    for (const std::string& row : run.issueRows)
        if (!baseline.issueRows.count(row)) run.told.push_back("issue: " + row);
    EXPECT_TRUE(AnswersNoCode(call.function) || !run.told.empty()) << "the user was not told of the failure";
    run.stage.reset();
}

}  // namespace

// ---- stages ----

PaletteStage::PaletteStage() : AddOnProject(false), bystander(sim.AddElement(API_ColumnID)) {
    OpenPalette();
    ConnectSpec(2);
    Associate(2, "clause-x", "A10", {bystander});
    bystanders.push_back(bystander);
}

void PaletteStage::Page(const std::string& script) {
    PK::UniString error;
    if (!TVSim::Web::Evaluate(Browser(), PK::UniString(script.c_str()), &error))
        throw std::runtime_error("the page could not run " + script + ": " + Text(error));
    Deliver();
}

void PaletteStage::Associate(int n, const char* clauseId, const char* code) {
    Page(fmt::format("ask('associationRequested', '{0}', 'spec-{1}', '{0}', clause('{0}', '{2}'))", clauseId, n, code));
}

void PaletteStage::Associate(int n, const char* clauseId, const char* code, const PK::Array<API_Guid>& elements) {
    Select(elements);
    Associate(n, clauseId, code);
}

void PaletteStage::RequestConnection() {
    Page("ask('specAssociationRequested', 'project-1', 'spec-1', 'Project One', 'Spec One', '', 'specification')");
}

void PaletteStage::Select(const PK::Array<API_Guid>& elements) {
    sim.SetSelection(elements);
    Deliver();
}

TeamStage::TeamStage() {
    constexpr Member A = 0, B = 1;
    Sim().ReserveClassificationsAndProperties();
    const ConnectionPtr atA = Connect(1);
    if (atA == nullptr || !AddClause(*atA, "clause-a", "A10") || Connect(2) == nullptr)
        throw std::runtime_error("member A could not connect");
    SendAndReceive();
    As(B);
    Receive();
    As(A);
    if (!AddClause(*atA, "clause-c", "C30")) throw std::runtime_error("member A could not add a clause");
    AddIssue(*atA, "issue of A");
    Sim().ReleaseClassificationsAndProperties();
    SendAndReceive();
    As(B);
    AddIssue(*Get(1), "issue of B");
    OpenPalette();
    changing = {Text(ModulDataName(SpecId(1)))};
}

// ---- the sweep ----

std::vector<std::size_t> StretchesOf(const Scenario& scenario) {
    std::vector<std::size_t> firsts;
    for (std::size_t first = 0; first < BaselineOf(scenario).calls.size(); first += CallsPerTest)
        firsts.push_back(first);
    // A scenario that cannot run still makes one test, which then says why.
    if (firsts.empty()) firsts.push_back(0);
    return firsts;
}

std::string StretchName(std::size_t first) {
    return "calls_" + std::to_string(first) + "_to_" + std::to_string(first + CallsPerTest - 1);
}

void SweepStretch(const Scenario& scenario, std::size_t first) {
    const Baseline& baseline = BaselineOf(scenario);
    ASSERT_EQ(baseline.failure, "");
    for (std::size_t i = first; i < std::min(first + CallsPerTest, baseline.calls.size()); ++i)
        RunWithFailing(baseline, scenario, baseline.calls[i]);
}

}  // namespace TestSupport::Sweep
