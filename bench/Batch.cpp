#include "Batch.hpp"

#include <fmt/format.h>

#include <map>
#include <utility>

namespace Bench {

namespace {
// Mean seconds per batch, by case and size.
std::map<std::pair<std::string, benchmark::IterationCount>, double>& Means() {
    static std::map<std::pair<std::string, benchmark::IterationCount>, double> means;
    return means;
}
}  // namespace

Batch::~Batch() {
    if (_batches == 0) return;
    const benchmark::IterationCount size = _state.range(0);
    const double mean = _seconds / static_cast<double>(_batches);
    Means()[{_case, size}] = mean;
    const auto smaller = Means().find({_case, size / 10});
    if (smaller != Means().end() && smaller->second > 0.0)
        _state.SetLabel(fmt::format("t(N)/t(N/10) = {:.1f}", mean / smaller->second));
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

}  // namespace Bench
