// Classification items at 1k, 10k and 100k through the host interface as the
// model uses it: creating a system's items in one command, and looking every
// item of a system up by its id (flattened once, as callers that look up many
// ids do). Both must grow linearly with the items.
#include <benchmark/benchmark.h>

#include <string>

#include "Batch.hpp"
#include "PK/HashTable.hpp"
#include "TVSim/Sim.hpp"
#include "Torvel/Implementation/Torvel.hpp"

namespace {

PK::UniString ItemId(PK::Int64 i) {
    std::string id = "C";
    id += std::to_string(i);
    return PK::UniString(id);
}

// The floor of both cases: N items filed by id in a hash table, then each id
// probed once; the host's work for N items cannot be less.
void FileAndProbeItems(PK::Int64 count) {
    PK::HashTable<PK::UniString, API_ClassificationItem> byId;
    for (PK::Int64 i = 0; i < count; ++i) {
        API_ClassificationItem item;
        item.id = ItemId(i);
        byId.Add(item.id, item);
    }
    PK::USize found = 0;
    for (PK::Int64 i = 0; i < count; ++i) found += byId.ContainsKey(ItemId(i)) ? 1 : 0;
    benchmark::DoNotOptimize(found);
}

TVSim::Project& FreshProject() {
    TVSim::Reset();
    TVSim::Journal::SetEnabled(false);
    TVSim::SeedGuids(1);
    return TVSim::OpenProject();
}

void BM_CreateClassificationItems(benchmark::State& state) {
    Bench::Batch batch(state, "create items");
    TessaryConnect::Implementation::Torvel torvel;
    for (auto _ : state) {
        const PK::Guid system = FreshProject().AddClassificationSystem("Clauses");
        batch.Time([&] {
            torvel.CallUndoableCommand("Create items", [&] {
                for (PK::Int64 i = 0; i < state.range(0); ++i) {
                    API_ClassificationItem item;
                    item.id = ItemId(i);
                    torvel.Classification_CreateClassificationItem(item, system, PK::NULLGuid, PK::NULLGuid);
                }
            });
        });
        batch.TimeFloor([&] { FileAndProbeItems(state.range(0)); });
    }
}
BENCHMARK(BM_CreateClassificationItems)->Apply(Bench::Sizes)->UseManualTime();

// Every tenth item a root, the nine after it its children.
void BM_LookUpEveryItemById(benchmark::State& state) {
    Bench::Batch batch(state, "look up items");
    TessaryConnect::Implementation::Torvel torvel;
    TVSim::Project& project = FreshProject();
    const PK::Guid system = project.AddClassificationSystem("Clauses");
    API_Guid root;
    for (PK::Int64 i = 0; i < state.range(0); ++i) {
        const API_Guid item = project.AddClassificationItem(system, ItemId(i), i % 10 == 0 ? APINULLGuid : root);
        if (i % 10 == 0) root = item;
    }
    for (auto _ : state) {
        batch.Time([&] {
            const auto byId = torvel.Helper_Classification_GetClassificationItemsByIdInSystem(system);
            PK::USize found = 0;
            for (PK::Int64 i = 0; i < state.range(0); ++i)
                if (byId.ContainsKey(ItemId(i))) ++found;
            if (found != static_cast<PK::USize>(state.range(0))) state.SkipWithError("an item was not found");
        });
        batch.TimeFloor([&] { FileAndProbeItems(state.range(0)); });
    }
}
BENCHMARK(BM_LookUpEveryItemById)->Apply(Bench::Sizes)->UseManualTime();

}  // namespace
