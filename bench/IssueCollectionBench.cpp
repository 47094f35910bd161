// Growth of the issue collection, and of the class library under it, at 1k,
// 10k and 100k. Each case times one whole batch of N and reports "x10": its
// time divided by the time of the same case at N/10 in the same run, about 10
// for linear work. Storing and loading also reports "xRaw": its time divided
// by the time of writing and reading the same bytes in one piece.
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "IO/MemoryChannel.hpp"
#include "Model/Issue/Collection.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "PK/HashTable.hpp"
#include "PK/Time.hpp"
#include "support/IssueTestKinds.hpp"

namespace {

using namespace TessaryConnect::Model;
using IssuePtr = std::shared_ptr<Issue::Base>;
using Seconds = std::chrono::duration<double>;

// Seconds per batch of the case's last run, by case and size.
std::map<std::string, std::map<PK::Int64, double>>& Measured() {
    static std::map<std::string, std::map<PK::Int64, double>> measured;
    return measured;
}

// Times the batch (not the set-up before it) of every iteration.
template <typename Setup, typename Batch>
double TimeBatches(benchmark::State& state, const std::string& name, Setup setup, Batch batch) {
    double total = 0;
    for (auto _ : state) {
        auto input = setup();
        const auto start = std::chrono::steady_clock::now();
        batch(input);
        const double seconds = Seconds(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    const double perBatch = total / static_cast<double>(state.iterations());
    const PK::Int64 n = state.range(0);
    auto& sizes = Measured()[name];
    sizes[n] = perBatch;
    if (auto tenth = sizes.find(n / 10); tenth != sizes.end() && tenth->second > 0)
        state.counters["x10"] = perBatch / tenth->second;
    return perBatch;
}

IssuePtr Unknown(PK::Int32 time, PK::Int64 i) {
    PK::Clock::Set(time);
    return std::make_shared<Issue::UnknownError>(PK::UniString("disk " + std::to_string(i)));
}

IssuePtr Elements(PK::Int32 time, PK::Int64 i) {
    PK::Clock::Set(time);
    return std::make_shared<IssueTest::ElementsIssue>(PK::Array<PK::Guid>{IssueTest::E(static_cast<PK::UInt32>(i))});
}

// The stored form of a collection holding these issues, made without adding
// them one by one, so that the set-up costs the same whatever is measured.
std::vector<char> StoredList(const std::vector<IssuePtr>& issues) {
    IO::MemoryOChannel32 oc;
    {
        PK::OutputFrame frame(oc, Issue::Collection::classInfo);
        oc.Write(static_cast<PK::UInt32>(issues.size()));
        for (const auto& issue : issues) issue->WriteWithType(oc);
        oc.Write(Issue::Collection::DeletedTable());
    }
    return {oc.GetDestination(), oc.GetDestination() + oc.GetDataSize()};
}

void Load(Issue::Collection& collection, const std::vector<char>& bytes) {
    IO::MemoryIChannel32 ic(bytes.data(), bytes.size());
    if (collection.Read(ic) != PK::NoError) throw std::runtime_error("stored list unreadable");
}

void BM_AddIssues(benchmark::State& state, const std::string& kind, IssuePtr (*make)(PK::Int32, PK::Int64)) {
    IssueTest::FakeConnection connection;
    const PK::Int64 n = state.range(0);
    TimeBatches(
        state, kind,
        [&] {
            std::vector<IssuePtr> issues;
            for (PK::Int64 i = 0; i < n; ++i) issues.push_back(make(static_cast<PK::Int32>(i), i));
            return std::make_pair(std::make_unique<Issue::Collection>(connection), std::move(issues));
        },
        [](auto& input) {
            for (auto& issue : input.second) input.first->AddIssue(issue);
        });
}
BENCHMARK_CAPTURE(BM_AddIssues, Distinct, "AddDistinct", &Unknown)->RangeMultiplier(10)->Range(1000, 100000)->UseManualTime();
BENCHMARK_CAPTURE(BM_AddIssues, Elements, "AddElements", &Elements)->RangeMultiplier(10)->Range(1000, 100000)->UseManualTime();

// Two members' collections of N issues each, made in alternating seconds.
void BM_MergeIn(benchmark::State& state) {
    IssueTest::FakeConnection connection;
    const PK::Int64 n = state.range(0);
    std::vector<IssuePtr> mine, theirs;
    for (PK::Int64 i = 0; i < n; ++i) {
        mine.push_back(Unknown(static_cast<PK::Int32>(2 * i), i));
        theirs.push_back(Unknown(static_cast<PK::Int32>(2 * i + 1), n + i));
    }
    const std::vector<char> mineStored = StoredList(mine), theirsStored = StoredList(theirs);
    TimeBatches(
        state, "MergeIn",
        [&] {
            auto pair = std::make_pair(std::make_unique<Issue::Collection>(connection),
                                       std::make_unique<Issue::Collection>(connection));
            Load(*pair.first, mineStored);
            Load(*pair.second, theirsStored);
            return pair;
        },
        [](auto& input) { benchmark::DoNotOptimize(input.first->MergeIn(*input.second)); });
}
BENCHMARK(BM_MergeIn)->RangeMultiplier(10)->Range(1000, 100000)->UseManualTime();

void BM_RemoveOneByOne(benchmark::State& state) {
    IssueTest::FakeConnection connection;
    const PK::Int64 n = state.range(0);
    std::vector<IssuePtr> issues;
    for (PK::Int64 i = 0; i < n; ++i) issues.push_back(Unknown(static_cast<PK::Int32>(i), i));
    const std::vector<char> stored = StoredList(issues);
    TimeBatches(
        state, "RemoveOneByOne",
        [&] {
            auto collection = std::make_unique<Issue::Collection>(connection);
            Load(*collection, stored);
            std::vector<IssuePtr> held(collection->Get().begin(), collection->Get().end());
            return std::make_pair(std::move(collection), std::move(held));
        },
        [](auto& input) {
            for (const auto& issue : input.second) input.first->Remove(issue);
        });
}
BENCHMARK(BM_RemoveOneByOne)->RangeMultiplier(10)->Range(1000, 100000)->UseManualTime();

// Empties a set by taking its first entry each time.
void BM_HashSetTakeFirst(benchmark::State& state) {
    const PK::Int64 n = state.range(0);
    TimeBatches(
        state, "HashSetTakeFirst",
        [&] {
            PK::HashSet<PK::Int64> set;
            for (PK::Int64 i = 0; i < n; ++i) set.Add(i);
            return set;
        },
        [](PK::HashSet<PK::Int64>& set) {
            while (!set.IsEmpty()) set.Delete(*set.begin());
        });
}
BENCHMARK(BM_HashSetTakeFirst)->RangeMultiplier(10)->Range(1000, 100000)->UseManualTime();

// A set that once held N entries, used N times for one entry and cleared.
void BM_HashSetClearAfterPeak(benchmark::State& state) {
    const PK::Int64 n = state.range(0);
    TimeBatches(
        state, "HashSetClearAfterPeak",
        [&] {
            PK::HashSet<PK::Int64> set;
            for (PK::Int64 i = 0; i < n; ++i) set.Add(i);
            set.Clear();
            return set;
        },
        [n](PK::HashSet<PK::Int64>& set) {
            for (PK::Int64 i = 0; i < n; ++i) {
                set.Add(i);
                set.Clear();
            }
        });
}
BENCHMARK(BM_HashSetClearAfterPeak)->RangeMultiplier(10)->Range(1000, 100000)->UseManualTime();

// Storing and loading a collection of unknown errors and element issues,
// against copying the same bytes into a channel and out of it in one piece.
void BM_StoreAndLoad(benchmark::State& state) {
    IssueTest::FakeConnection connection;
    const PK::Int64 n = state.range(0);
    Issue::Collection collection(connection);
    {
        std::vector<IssuePtr> issues;
        for (PK::Int64 i = 0; i < n; ++i) issues.push_back(i % 2 == 0 ? Unknown(0, i) : Elements(0, i));
        Load(collection, StoredList(issues));
    }
    std::vector<char> bytes;
    const double structured = TimeBatches(
        state, "StoreAndLoad", [&] { return std::make_unique<Issue::Collection>(connection); },
        [&](std::unique_ptr<Issue::Collection>& loaded) {
            IO::MemoryOChannel32 oc;
            collection.Write(oc);
            IO::MemoryIChannel32 ic(oc.GetDestination(), oc.GetDataSize());
            loaded->Read(ic);
            if (bytes.empty()) bytes.assign(oc.GetDestination(), oc.GetDestination() + oc.GetDataSize());
        });

    constexpr int rawRuns = 20;
    const auto start = std::chrono::steady_clock::now();
    for (int run = 0; run < rawRuns; ++run) {
        IO::MemoryOChannel32 oc;
        oc.WriteBin(bytes.data(), bytes.size());
        IO::MemoryIChannel32 ic(oc.GetDestination(), oc.GetDataSize());
        std::vector<char> back(bytes.size());
        ic.ReadBin(back.data(), back.size());
        benchmark::DoNotOptimize(back.data());
    }
    const double raw = Seconds(std::chrono::steady_clock::now() - start).count() / rawRuns;
    state.counters["xRaw"] = structured / raw;
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_StoreAndLoad)->RangeMultiplier(10)->Range(1000, 100000)->UseManualTime();

}  // namespace
