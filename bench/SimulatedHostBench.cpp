// The simulated host at 100,000 elements, through the host interface as the
// model uses it: listing the visible elements of each type, testing each
// element's usability bits, classifying them all in one command (each round
// with the other of two items, so that every round changes every element) and
// listing an item's elements. None of it may cost more than its result.
#include <benchmark/benchmark.h>

#include "TVSim/Sim.hpp"
#include "Torvel/Implementation/Torvel.hpp"

namespace {

constexpr int kElements = 100000;
const API_ElemTypeID kTypes[] = {API_WallID, API_SlabID, API_ColumnID, API_BeamID, API_ZoneID};

struct Project {
    TVSim::Project* project = nullptr;
    // Two items of one system: classifying with the other one replaces the
    // item in every element, so each round changes the project.
    API_Guid items[2];
    PK::Array<PK::Guid> elements;

    Project() {
        TVSim::Reset();
        TVSim::Journal::SetEnabled(false);
        TVSim::SeedGuids(1);
        project = &TVSim::OpenProject();
        const PK::Int32 locked = project->AddLayer("Locked", {.locked = true});
        const API_Guid system = project->AddClassificationSystem("Clauses");
        items[0] = project->AddClassificationItem(system, "A10");
        items[1] = project->AddClassificationItem(system, "B20");
        elements.Reserve(kElements);
        for (int i = 0; i < kElements; ++i)
            elements.Push(project->AddElement(
                kTypes[i % 5], {.layer = i % 10 == 0 ? locked : 1, .story = static_cast<PK::Int16>(i % 3)}));
    }
};

void BM_ListVisibleElementsOfEveryType(benchmark::State& state) {
    Project project;
    TessaryConnect::Implementation::Torvel torvel;
    for (auto _ : state) {
        PK::USize listed = 0;
        for (API_ElemTypeID type : kTypes) {
            PK::Array<PK::Guid> list;
            torvel.Element_GetElemList(list, type, 0x1402 | APIFilt_OnActFloor, APIVarId_Generic, PK::NULLGuid);
            listed += list.GetSize();
        }
        benchmark::DoNotOptimize(listed);
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}
BENCHMARK(BM_ListVisibleElementsOfEveryType)->Unit(benchmark::kMillisecond);

void BM_UsabilityBitsOfEveryElement(benchmark::State& state) {
    Project project;
    TessaryConnect::Implementation::Torvel torvel;
    for (auto _ : state) {
        PK::USize editable = 0;
        for (const PK::Guid& guid : project.elements) {
            if (!torvel.Element_Filter(guid, APIFilt_OnVisLayer)) continue;
            if (torvel.Element_Filter(guid, APIFilt_IsEditable)) ++editable;
        }
        benchmark::DoNotOptimize(editable);
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}
BENCHMARK(BM_UsabilityBitsOfEveryElement)->Unit(benchmark::kMillisecond);

void BM_ClassifyEveryElementInOneCommand(benchmark::State& state) {
    Project project;
    TessaryConnect::Implementation::Torvel torvel;
    PK::USize round = 0;
    for (auto _ : state) {
        const API_Guid& item = project.items[round++ % 2];
        torvel.CallUndoableCommand("Associate", [&] {
            for (const PK::Guid& guid : project.elements) {
                try {
                    torvel.Element_AddClassificationItem(guid, item);
                } catch (const TessaryConnect::Api::GeneralError&) {
                    // the elements on the locked layer refuse, as they should
                }
            }
        });
        if (torvel.Element_GetElementsWithClassification(item).GetSize() != kElements * 9 / 10)
            state.SkipWithError("the round did not classify every editable element");
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}
BENCHMARK(BM_ClassifyEveryElementInOneCommand)->Unit(benchmark::kMillisecond);

}  // namespace
