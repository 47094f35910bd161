#pragma once
// Batch benchmarks: each iteration times one whole batch of N by hand, so
// that preparing the next batch stays out of the measurement, and the run is
// labelled with its growth: the mean time of a batch against that of the same
// case at a tenth of the size, run earlier in the same process. Linear work
// reads about 10; quadratic work about 100.
//
//   void BM_Work(benchmark::State& state) {
//       Bench::Batch batch(state, "work");
//       for (auto _ : state) {
//           Prepare(state.range(0));         // not timed
//           batch.Time([&] { DoWork(); });   // timed
//       }
//   }
//   BENCHMARK(BM_Work)->Apply(Bench::Sizes)->UseManualTime();
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace Bench {

class Batch {
public:
    Batch(benchmark::State& state, std::string caseName) : _state(state), _case(std::move(caseName)) {}
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    template <typename Work>
    void Time(Work&& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        _state.SetIterationTime(elapsed.count());
        _seconds += elapsed.count();
        ++_batches;
    }

private:
    benchmark::State& _state;
    std::string _case;
    double _seconds = 0.0;
    long _batches = 0;
};

// 1k, 10k and 100k, in that order, in milliseconds.
void Sizes(benchmark::internal::Benchmark* benchmark);

}  // namespace Bench
