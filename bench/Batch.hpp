#pragma once
// Batch benchmarks: each iteration times one whole batch of N by hand, so
// that preparing the next batch stays out of the measurement, and the run is
// labelled with its growth: the mean time of a batch against that of the same
// case at a tenth of the size, run earlier in the same process. Linear work
// reads about 10, quadratic work about 100; caches make even linear work read
// more at large N, so a case can time a floor as well: plain work of the same
// size and memory behaviour (filling and probing a hash table, say), whose own
// growth and the case's multiple of it go into the label.
//
//   void BM_Work(benchmark::State& state) {
//       Bench::Batch batch(state, "work");
//       for (auto _ : state) {
//           Prepare(state.range(0));             // not timed
//           batch.Time([&] { DoWork(); });       // timed
//           batch.TimeFloor([&] { Plain(); });   // timed apart, for the label only
//       }
//   }
//   BENCHMARK(BM_Work)->Apply(Bench::Sizes)->UseManualTime();
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "Goals.hpp"

namespace Bench {

class Batch {
public:
    // With a growth goal, the growth against the case at a tenth of the size,
    // of the median batches in processor time, goes into the table of goals
    // (not the fastest: of many short batches one is always lucky).
    Batch(benchmark::State& state, std::string caseName, double growthGoal = 0.0)
        : _state(state), _case(std::move(caseName)), _growthGoal(growthGoal) {}
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    template <typename Work>
    void Time(Work&& work) {
        const double processor = ThreadSeconds();
        const double seconds = Seconds(work);
        _processorSeconds.push_back(ThreadSeconds() - processor);
        _state.SetIterationTime(seconds);
        _seconds += seconds;
        ++_batches;
    }

    template <typename Work>
    void TimeFloor(Work&& work) {
        _floorSeconds += Seconds(work);
        ++_floors;
    }

private:
    template <typename Work>
    static double Seconds(Work& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    benchmark::State& _state;
    std::string _case;
    double _growthGoal = 0.0;               // 0: none
    std::vector<double> _processorSeconds;  // of each batch
    double _seconds = 0.0;
    long _batches = 0;
    double _floorSeconds = 0.0;
    long _floors = 0;
};

// The mean seconds of a few runs of work, for the floors a case measures
// once its timed batches are done.
template <typename Work>
double MeanSeconds(int runs, Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    for (int run = 0; run < runs; ++run) work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / runs;
}

// 1k, 10k and 100k, in that order, in milliseconds.
void Sizes(benchmark::internal::Benchmark* benchmark);

}  // namespace Bench
