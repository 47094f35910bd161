// Associating a selection of 10,000 and 100,000 elements with a clause: the
// connection's command with its issues and the update of the
// unassociated-elements cache, one in ten elements locked. Labelled with its
// growth and counted against:
// - xHost: the simulated host's own cost of what the association must ask of
//   it, classifying each editable element and writing its clause values,
//   straight through the host API in one undoable command, in a project
//   built the same way (goal: at most 1.5);
// - hostX10: how that cost of the host grows from 10k to 100k, to read the
//   command's growth against (the host's tables outgrow the processor
//   caches): the command may grow at most a fifth faster.
// Times are the thread's processor time, both for the command and the host.
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <spdlog/spdlog.h>

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "Goals.hpp"
#include "Model/Issue/ElementsAssociation.hpp"
#include "TVSim/Sim.hpp"
#include "support/HostCalls.hpp"
#include "support/Project.hpp"

namespace {

using namespace TessaryConnect;

// A connected project with n walls selected, one in ten locked, and the
// unassociated-elements cache built; no journal and no notifications, as a
// host would have neither.
struct Selection {
    explicit Selection(PK::Int64 n) {
        spdlog::set_level(spdlog::level::err);  // a line per element would drown the figures
        TVSim::Journal::SetEnabled(false);
        TVSim::Events::SetAutoDelivery(false);
        connection = project.Connect();
        elements.Reserve(static_cast<PK::USize>(n));
        for (PK::Int64 i = 0; i < n; ++i) {
            const bool locked = i % 10 == 3;
            elements.Push(project.sim.AddElement(API_WallID, {.locked = locked}));
            if (!locked) editable.Push(elements.GetLast());
        }
        connection->UnassociatedElementsCache().Reset(false);
    }

    TestSupport::Project project;
    TestSupport::ConnectionPtr connection;
    PK::Array<API_Guid> elements;
    PK::Array<API_Guid> editable;
};

Api::Properties Clause() { return TestSupport::Clause("clause-a", "A10", "Walls"); }

// The clause values as property records, their definitions made available
// for the item: what the association writes into every element.
PK::Array<API_Property> Records(Selection& selection) {
    TVSim::Project& sim = selection.project.sim;
    const API_Guid item = selection.project.Item("A10");
    PK::Array<API_Property> records;
    for (const PK::UniString& name : Api::Properties::Name::AllVisible) {
        const API_Guid definition = selection.connection->PropertyGroup().GetPropertyGuid(name);
        PK::Array<API_Guid> availability = sim.GetPropertyDefinition(definition).definition.availability;
        availability.Push(item);
        sim.SetPropertyAvailability(definition, availability);
        records.Push(TestSupport::TextProperty(sim.GetPropertyDefinition(definition).definition, Clause().Get(name)));
    }
    return records;
}

// The host calls of the association, made directly: classify and write each
// editable element inside one undoable command.
void HostAssociation(const Selection& selection, const PK::Array<API_Property>& records) {
    const API_Guid item = selection.project.Item("A10");
    const PKErrCode result = TVAPI_CallUndoableCommand("Associate", [&]() -> PKErrCode {
        for (const API_Guid& element : selection.editable) {
            if (PKErrCode err = TVAPI_Element_AddClassificationItem(element, item); err != NoError) return err;
            if (PKErrCode err = TVAPI_Element_SetProperties(element, records); err != NoError) return err;
        }
        return NoError;
    });
    if (result != NoError) throw std::runtime_error("the host refused the floor's association");
}

void BM_AssociateSelection(benchmark::State& state) {
    const PK::Int64 n = state.range(0);
    // The fastest of the runs: what other work on the machine adds only ever slows a run down.
    double command = 1e9;
    double host = 1e9;
    for (auto _ : state) {
        {
            Selection selection(n);
            const double seconds = Bench::FastestSeconds(1, [&] {
                selection.connection->Cmd_AssociateElementsToVirtualType("clause-a", Clause(), selection.elements,
                                                                         false);
            });
            state.SetIterationTime(seconds);
            command = std::min(command, seconds);
            const auto issues =
                selection.connection->IssueCollection().GetIssuesByType<Model::Issue::ElementsAssociation>();
            const PK::USize refused = selection.elements.GetSize() - selection.editable.GetSize();
            if (issues.GetSize() != 1 || issues[0]->GetErroredElements().GetSize() != refused ||
                selection.project.sim.GetItemOf(selection.editable.GetLast(), selection.project.System()).IsNull())
                throw std::runtime_error("the association did not happen as expected");
        }
        // The same project again, for the host's own part.
        Selection bare(n);
        const PK::Array<API_Property> records = Records(bare);
        host = std::min(host, Bench::FastestSeconds(1, [&] { HostAssociation(bare, records); }));
    }
    state.counters["xHost"] = command / host;
    const std::string size = fmt::format("{}k elements", n / 1000);
    Bench::Report("associating a selection, " + size, "host classifying and writing the same", 1.5, command / host);
    // Growth against the same case at a tenth of the size, the command's and the host's own.
    static std::map<PK::Int64, std::pair<double, double>> bySize;
    bySize[n] = {command, host};
    if (auto tenth = bySize.find(n / 10); tenth != bySize.end()) {
        const double hostGrowth = host / tenth->second.second;
        state.counters["hostX10"] = hostGrowth;
        state.SetLabel(fmt::format("t(N)/t(N/10) = {:.1f}", command / tenth->second.first));
        Bench::Report(fmt::format("associating a selection, growth {}k to {}", tenth->first / 1000, size),
                      "host's own growth", 1.2, command / tenth->second.first / hostGrowth);
    }
}
BENCHMARK(BM_AssociateSelection)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7)
    ->UseManualTime();

}  // namespace
