// A selection change of 10,000 and 100,000 elements, from the host's
// notification to the selection state the page is sent, labelled with its
// growth and counted against:
// - xHost: the simulated host answering, straight through the host API, what
//   the model must learn of each selected element (header, the usability
//   filters, the clause-id value) in one pass; the host's part of the work
//   (goal: at most 1.2, in the table of goals);
// - xList: the host's own listing of the selection (TVAPI_Selection_Get),
//   for scale: each element takes several questions more.
// "questions" is how many host calls the change makes per selected element,
// the q counters the same by kind; the table shows the count against the
// floor's own, which must ask at least as much.
// One element in five carries the connection's clause, the others none, so
// the page is sent the state of a selection with unassociated elements.
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <spdlog/spdlog.h>

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "Batch.hpp"
#include "Goals.hpp"
#include "Model/AddonVersion.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Manager.hpp"
#include "PK/Convert.hpp"
#include "TVSim/Sim.hpp"
#include "Tessary/Api/Tessary.hpp"
#include "Torvel/Implementation/Torvel.hpp"

namespace {

using namespace TessaryConnect;
using Bench::FastestSeconds;

// The host's answers about one element that a selection change may ask for,
// with the counter each is shown under: the header (kind, hotlink, lock, a
// section element's model element), the usability filters, and the clause-id
// value (whether the element may carry it, then the value), and what a
// section element or an object would add.
constexpr std::pair<const char*, const char*> kQuestions[] = {
    {"TVAPI_Element_GetHeader", "qHeader"},
    {"TVAPI_Element_Filter", "qFilter"},
    {"TVAPI_Element_IsPropertyDefinitionAvailable", "qClauseAvailable"},
    {"TVAPI_Element_GetPropertyValuesByGuid", "qClauseValue"},
    {"TVAPI_Element_Get", "qSection"},
    {"TVAPI_Goodies", "qOwner"},
};

// A page that keeps what it is sent and does nothing else.
class Page : public Api::Tessary {
public:
    void Init() override {}
    void SetAppState(const Api::AppState&) override {}
    void SetDocumentState(const Api::DocumentState&) override {}
    void SetSelectionState(const Api::SelectionState& state) override {
        selection = state;
        ++sent;
    }
    void AssociateSpec(const PK::UniString&, const PK::UniString&, const PK::UniString&) override {}
    void RemoveSpecAssociation(const PK::UniString&, const PK::UniString&) override {}
    void Associate(const Api::AssociableType&, const PK::UniString&) override {}
    void RemoveAssociation(const PK::UniString&, const PK::UniString&) override {}
    void SendAssociationFeedback(bool, const PK::UniString&) override {}
    void RequestClauseData(const PK::UniString&, const PK::UniString&, const PK::Array<PK::UniString>&) override {}

    Api::SelectionState selection;
    long sent = 0;
};

// A project connected with spec-1 whose clause "clause-a" (A10) one element
// in five carries; every element selected. The journal and the notification
// queue are off, as a host has neither.
struct Scene {
    explicit Scene(PK::Int64 n) {
        spdlog::set_level(spdlog::level::err);
        TVSim::Reset();
        TVSim::Journal::SetEnabled(false);
        TVSim::Events::SetAutoDelivery(false);
        TVSim::SeedGuids(11);
        TVSim::Project& sim = TVSim::OpenProject();
        const API_Guid system = sim.AddClassificationSystem("Clauses");
        const API_Guid item = sim.AddClassificationItem(system, "A10");

        manager = std::make_shared<Model::Manager>(Model::AddonVersion::FromString("1.3.1.0"), tv, nullptr);
        manager->ResetTessaryApi(page);
        manager->ConnectWithSpecification(system, "spec-1", "Spec", "project-1", "Project");
        const auto connection = manager->GetConnection("spec-1");
        if (connection == nullptr) throw std::runtime_error("no connection");

        Api::Properties clause;
        clause.Add(Api::Properties::Name::ClauseId, "clause-a");
        clause.Add(Api::Properties::Name::Code, "A10");
        clause.Add(Api::Properties::Name::Title, "Walls");
        clause.Add(Api::Properties::Name::Prefix, "");
        clause.Add(Api::Properties::Name::Suffix, "");
        const API_Guid first = sim.AddElement(API_WallID);
        connection->Cmd_AssociateElementsToVirtualType("clause-a", clause, {first}, false);
        clauseIdDefinition = sim.FindPropertyDefinition(sim.GetPropertyGroups().GetFirst(), "OrvoTessaryClauseId");

        PK::Array<API_Guid> selection{first};
        const PK::Int32 locked = sim.AddLayer("Locked", {.locked = true});
        for (PK::Int64 i = 1; i < n; ++i) {
            const API_Guid element =
                sim.AddElement(i % 2 == 0 ? API_WallID : API_SlabID, {.layer = i % 10 == 3 ? locked : 1});
            if (i % 5 == 0) {
                sim.Classify(element, item);
                sim.SetPropertyText(element, clauseIdDefinition, "clause-a");
            }
            selection.Push(element);
        }
        sim.SetSelection(selection);
    }

    // What the host gives for the selection, and what the model asks of it
    // per element, asked directly; answers how many carry no clause.
    PK::USize HostAnswers() const {
        API_SelectionInfo info;
        PK::Array<API_Neig> neigs;
        TVAPI_Selection_Get(&info, &neigs, false, false, API_NoRelativePos);
        BMKillHandle(&info.marquee.coords);
        const PK::Array<API_Guid> definition{clauseIdDefinition};
        PK::USize unassociated = 0;
        for (const API_Neig& neig : neigs) {
            API_Elem_Head head;
            head.guid = neig.guid;
            if (TVAPI_Element_GetHeader(&head) != NoError) continue;
            if (!TVAPI_Element_Filter(neig.guid, APIFilt_None) || !TVAPI_Element_Filter(neig.guid, APIFilt_OnVisLayer))
                continue;
            if (!TVAPI_Element_Filter(neig.guid, APIFilt_IsEditable))
                TVAPI_Element_Filter(neig.guid, APIFilt_InMyWorkspace);
            bool carries = false;
            if (TVAPI_Element_IsPropertyDefinitionAvailable(neig.guid, clauseIdDefinition)) {
                PK::Array<API_Property> values;
                TVAPI_Element_GetPropertyValuesByGuid(neig.guid, definition, values);
                carries = !values[0].isDefault;
            }
            if (!carries) ++unassociated;
        }
        return unassociated;
    }

    static PK::USize HostListing() {
        API_SelectionInfo info;
        PK::Array<API_Neig> neigs;
        TVAPI_Selection_Get(&info, &neigs, false, false, API_NoRelativePos);
        BMKillHandle(&info.marquee.coords);
        return neigs.GetSize();
    }

    std::shared_ptr<Api::Torvel> tv = std::make_shared<Implementation::Torvel>();
    std::shared_ptr<Page> page = std::make_shared<Page>();
    std::shared_ptr<Model::Manager> manager;
    API_Guid clauseIdDefinition;
};

void BM_SelectionChangeToPageState(benchmark::State& state) {
    Scene scene(state.range(0));
    {
        Bench::Batch batch(state, "SelectionChangeToPageState");
        for (auto _ : state) {
            batch.Time([&] { scene.manager->TVEvent_SelectionChanged(nullptr); });
            batch.TimeFloor([&] { benchmark::DoNotOptimize(Scene::HostListing()); });
        }
    }
    // The page must have been told what the host says.
    const PK::USize unassociated = scene.HostAnswers();
    const PK::UniString expectedTitle =
        PK::ValueToUniString(static_cast<PK::Int32>(unassociated)) + " elements without clause";
    if (scene.page->selection.type.id != Model::selectionContainsUnassociatedElements ||
        scene.page->selection.type.title != expectedTitle)
        throw std::runtime_error("the page was sent another selection state");

    // The questions per element, each kind apart, of the change and of the floor.
    const auto perElement = [&](PK::USize calls) {
        return static_cast<double>(calls) / static_cast<double>(state.range(0));
    };
    TVSim::Journal::Clear();
    benchmark::DoNotOptimize(scene.HostAnswers());
    PK::USize floorQuestions = 0;
    for (const auto& [function, name] : kQuestions) floorQuestions += TVSim::Journal::Count(function);
    TVSim::Journal::Clear();
    scene.manager->TVEvent_SelectionChanged(nullptr);
    PK::USize questions = 0;
    for (const auto& [function, name] : kQuestions) {
        questions += TVSim::Journal::Count(function);
        state.counters[name] = perElement(TVSim::Journal::Count(function));
    }

    double change = 1e300, listing = 1e300, host = 1e300;
    for (int round = 0; round < 3; ++round) {
        change = std::min(change, FastestSeconds(3, [&] { scene.manager->TVEvent_SelectionChanged(nullptr); }));
        listing = std::min(listing, FastestSeconds(3, [&] { benchmark::DoNotOptimize(Scene::HostListing()); }));
        host = std::min(host, FastestSeconds(3, [&] { benchmark::DoNotOptimize(scene.HostAnswers()); }));
    }
    state.counters["xList"] = change / listing;
    state.counters["xHost"] = change / host;
    state.counters["questions"] = perElement(questions);
    state.counters["selected"] = static_cast<double>(state.range(0));
    const std::string work = fmt::format("selection change to page state, {}k elements", state.range(0) / 1000);
    Bench::Report(work, "host answering the same questions", 1.2, change / host);
    // The floor must not ask less than the change does; the count itself is what the change costs the host.
    Bench::Report(work + ", host questions per element", "the floor's questions per element",
                  perElement(floorQuestions), perElement(questions), "");
    static std::map<PK::Int64, double> listingBySize;
    listingBySize[state.range(0)] = listing;
    if (auto tenth = listingBySize.find(state.range(0) / 10); tenth != listingBySize.end())
        state.counters["listX10"] = listing / tenth->second;
}
BENCHMARK(BM_SelectionChangeToPageState)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseManualTime();

}  // namespace
