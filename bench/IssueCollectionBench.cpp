// The issue collection, and the class library under it, at 1k, 10k and 100k:
// adding issues, merging two members' collections, removing issues one by
// one, taking a hash set's first entry again and again, clearing a set that
// once was large, and storing and loading. All must grow linearly. The
// collection cases time as their floor N GUIDs filed in a hash table and
// probed once; storing and loading times writing and reading the same bytes
// in one piece.
//
// Adding distinct issues, removing issues one by one and merging a
// collection of N issues into one of N older ones are also timed at 2k and
// 20k: ten times the work may take at most 15 times as long (the table of
// goals), what a list that outgrows the processor's caches costs at most.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Batch.hpp"
#include "IO/MemoryChannel.hpp"
#include "Model/Issue/Collection.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "PK/HashTable.hpp"
#include "PK/Time.hpp"
#include "support/ElementsIssue.hpp"
#include "support/Project.hpp"

namespace {

using namespace TessaryConnect::Model;
using IssuePtr = std::shared_ptr<Issue::Base>;
using Bytes = std::vector<char>;

IssuePtr Unknown(PK::Int32 time, PK::Int64 i) {
    PK::Clock::Set(time);
    return std::make_shared<Issue::UnknownError>(PK::UniString("disk " + std::to_string(i)));
}

IssuePtr Elements(PK::Int32 time, PK::Int64 i) {
    PK::Clock::Set(time);
    return std::make_shared<TestSupport::ElementsIssue>(
        PK::Array<PK::Guid>{TestSupport::E(static_cast<PK::UInt32>(i))});
}

// One connection for the whole run, read from the standard record, over one
// project that the element issues' walls go into.
const ConnectionWithSpecification& Connection() {
    static TestSupport::Project project;
    static const TestSupport::ConnectionPtr connection = project.Read();
    return *connection;
}

void FileAndProbeGuids(PK::Int64 count) {
    PK::HashTable<PK::Guid, PK::Int64> byGuid;
    std::vector<PK::Guid> guids;
    for (PK::Int64 i = 0; i < count; ++i) guids.push_back(PK::Guid::Generate());
    for (PK::Int64 i = 0; i < count; ++i) byGuid.Add(guids[i], i);
    PK::USize found = 0;
    for (const PK::Guid& guid : guids) found += byGuid.ContainsKey(guid) ? 1 : 0;
    benchmark::DoNotOptimize(found);
}

// The stored form of a collection holding these issues, made without adding
// them one by one, so that preparing a batch costs the same whatever is measured.
Bytes StoredList(const std::vector<IssuePtr>& issues) {
    IO::MemoryOChannel32 oc;
    {
        PK::OutputFrame frame(oc, Issue::Collection::classInfo);
        oc.Write(static_cast<PK::UInt32>(issues.size()));
        for (const auto& issue : issues) issue->WriteWithType(oc);
        oc.Write(Issue::Collection::DeletedTable());
    }
    return {oc.GetDestination(), oc.GetDestination() + oc.GetDataSize()};
}

std::unique_ptr<Issue::Collection> Loaded(const ConnectionWithSpecification& connection, const Bytes& bytes) {
    auto collection = std::make_unique<Issue::Collection>(connection);
    IO::MemoryIChannel32 ic(bytes.data(), bytes.size());
    if (collection->Read(ic) != PK::NoError) throw std::runtime_error("stored list unreadable");
    return collection;
}

// Sizes of the growth goals.
void GoalSizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
}

void BM_AddIssues(benchmark::State& state, const char* kind, IssuePtr (*make)(PK::Int32, PK::Int64),
                  double growthGoal) {
    Bench::Batch batch(state, kind, growthGoal);
    const ConnectionWithSpecification& connection = Connection();
    // The walls of element issues are made first, all at once: made while the
    // batches are prepared, they would lie among the issues' memory and leave
    // the heap full of scattered holes for every benchmark after this one.
    if (make == &Elements)
        for (PK::Int64 i = 0; i < state.range(0); ++i) TestSupport::E(static_cast<PK::UInt32>(i));
    for (auto _ : state) {
        std::vector<IssuePtr> issues;
        for (PK::Int64 i = 0; i < state.range(0); ++i) issues.push_back(make(static_cast<PK::Int32>(i), i));
        Issue::Collection collection(connection);
        batch.Time([&] {
            for (auto& issue : issues) collection.AddIssue(issue);
        });
        batch.TimeFloor([&] { FileAndProbeGuids(state.range(0)); });
    }
}
BENCHMARK_CAPTURE(BM_AddIssues, Distinct, "add distinct issues", &Unknown, 0.0)->Apply(Bench::Sizes)->UseManualTime();
BENCHMARK_CAPTURE(BM_AddIssues, Elements, "add element issues", &Elements, 0.0)->Apply(Bench::Sizes)->UseManualTime();
BENCHMARK_CAPTURE(BM_AddIssues, DistinctGrowth, "adding distinct issues", &Unknown, 15.0)
    ->Apply(GoalSizes)
    ->UseManualTime();

// Two members' collections of N issues each, made in alternating seconds.
void BM_MergeIn(benchmark::State& state) {
    Bench::Batch batch(state, "merge in");
    const ConnectionWithSpecification& connection = Connection();
    const PK::Int64 n = state.range(0);
    std::vector<IssuePtr> mine, theirs;
    for (PK::Int64 i = 0; i < n; ++i) {
        mine.push_back(Unknown(static_cast<PK::Int32>(2 * i), i));
        theirs.push_back(Unknown(static_cast<PK::Int32>(2 * i + 1), n + i));
    }
    const Bytes mineStored = StoredList(mine), theirsStored = StoredList(theirs);
    for (auto _ : state) {
        auto ours = Loaded(connection, mineStored);
        auto other = Loaded(connection, theirsStored);
        batch.Time([&] { benchmark::DoNotOptimize(ours->MergeIn(*other)); });
        batch.TimeFloor([&] { FileAndProbeGuids(2 * n); });
    }
}
BENCHMARK(BM_MergeIn)->Apply(Bench::Sizes)->UseManualTime();

// A member's collection of N issues, every one newer than the N of ours.
void BM_MergeInNewer(benchmark::State& state) {
    Bench::Batch batch(state, "merging N newer issues into N", 15);
    const ConnectionWithSpecification& connection = Connection();
    const PK::Int64 n = state.range(0);
    std::vector<IssuePtr> mine, theirs;
    for (PK::Int64 i = 0; i < n; ++i) {
        mine.push_back(Unknown(static_cast<PK::Int32>(i), i));
        theirs.push_back(Unknown(static_cast<PK::Int32>(n + i), n + i));
    }
    const Bytes mineStored = StoredList(mine), theirsStored = StoredList(theirs);
    for (auto _ : state) {
        auto ours = Loaded(connection, mineStored);
        auto other = Loaded(connection, theirsStored);
        batch.Time([&] { benchmark::DoNotOptimize(ours->MergeIn(*other)); });
        if (ours->Get().GetSize() != static_cast<PK::USize>(2 * n)) state.SkipWithError("issues were lost");
        batch.TimeFloor([&] { FileAndProbeGuids(2 * n); });
    }
}
BENCHMARK(BM_MergeInNewer)->Apply(GoalSizes)->UseManualTime();

void BM_RemoveOneByOne(benchmark::State& state, const char* name, double growthGoal) {
    Bench::Batch batch(state, name, growthGoal);
    const ConnectionWithSpecification& connection = Connection();
    std::vector<IssuePtr> issues;
    for (PK::Int64 i = 0; i < state.range(0); ++i) issues.push_back(Unknown(static_cast<PK::Int32>(i), i));
    const Bytes stored = StoredList(issues);
    for (auto _ : state) {
        auto collection = Loaded(connection, stored);
        const std::vector<IssuePtr> held(collection->Get().begin(), collection->Get().end());
        batch.Time([&] {
            for (const auto& issue : held) collection->Remove(issue);
        });
        batch.TimeFloor([&] { FileAndProbeGuids(state.range(0)); });
    }
}
BENCHMARK_CAPTURE(BM_RemoveOneByOne, Sizes, "remove one by one", 0.0)->Apply(Bench::Sizes)->UseManualTime();
BENCHMARK_CAPTURE(BM_RemoveOneByOne, Growth, "removing issues one by one", 15.0)->Apply(GoalSizes)->UseManualTime();

PK::HashSet<PK::Int64> Filled(PK::Int64 count) {
    PK::HashSet<PK::Int64> set;
    for (PK::Int64 i = 0; i < count; ++i) set.Add(i);
    return set;
}

// Empties a set by taking its first entry each time; the floor fills one.
void BM_HashSetTakeFirst(benchmark::State& state) {
    Bench::Batch batch(state, "hash set take first");
    for (auto _ : state) {
        PK::HashSet<PK::Int64> set = Filled(state.range(0));
        batch.Time([&] {
            while (!set.IsEmpty()) set.Delete(*set.begin());
        });
        batch.TimeFloor([&] { benchmark::DoNotOptimize(Filled(state.range(0)).GetSize()); });
    }
}
BENCHMARK(BM_HashSetTakeFirst)->Apply(Bench::Sizes)->UseManualTime();

// A set that once held N entries, used N times for one entry and cleared.
void BM_HashSetClearAfterPeak(benchmark::State& state) {
    Bench::Batch batch(state, "hash set clear after peak");
    for (auto _ : state) {
        PK::HashSet<PK::Int64> set = Filled(state.range(0));
        set.Clear();
        batch.Time([&] {
            for (PK::Int64 i = 0; i < state.range(0); ++i) {
                set.Add(i);
                set.Clear();
            }
        });
    }
}
BENCHMARK(BM_HashSetClearAfterPeak)->Apply(Bench::Sizes)->UseManualTime();

// Unknown errors and element issues stored and loaded again.
void BM_StoreAndLoad(benchmark::State& state) {
    Bench::Batch batch(state, "store and load");
    const ConnectionWithSpecification& connection = Connection();
    std::vector<IssuePtr> issues;
    for (PK::Int64 i = 0; i < state.range(0); ++i) issues.push_back(i % 2 == 0 ? Unknown(0, i) : Elements(0, i));
    const auto collection = Loaded(connection, StoredList(issues));
    Bytes bytes;
    for (auto _ : state) {
        Issue::Collection loaded(connection);
        batch.Time([&] {
            IO::MemoryOChannel32 oc;
            collection->Write(oc);
            IO::MemoryIChannel32 ic(oc.GetDestination(), oc.GetDataSize());
            loaded.Read(ic);
            if (bytes.empty()) bytes.assign(oc.GetDestination(), oc.GetDestination() + oc.GetDataSize());
        });
        batch.TimeFloor([&] {
            IO::MemoryOChannel32 oc;
            oc.WriteBin(bytes.data(), bytes.size());
            IO::MemoryIChannel32 ic(oc.GetDestination(), oc.GetDataSize());
            Bytes back(bytes.size());
            ic.ReadBin(back.data(), back.size());
            benchmark::DoNotOptimize(back.data());
        });
    }
}
BENCHMARK(BM_StoreAndLoad)->Apply(Bench::Sizes)->UseManualTime();

}  // namespace
