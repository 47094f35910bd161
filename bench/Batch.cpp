#include "Batch.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <utility>

namespace Bench {

namespace {

struct Means {
    double batch = 0.0;
    double floor = 0.0;
    double median = 0.0;  // processor seconds of the median batch
};

// Mean seconds per batch and per floor, by case and size.
std::map<std::pair<std::string, benchmark::IterationCount>, Means>& Recorded() {
    static std::map<std::pair<std::string, benchmark::IterationCount>, Means> recorded;
    return recorded;
}

std::string SizeText(benchmark::IterationCount size) {
    return size % 1000 == 0 ? fmt::format("{}k", size / 1000) : fmt::format("{}", size);
}

}  // namespace

Batch::~Batch() {
    if (_batches == 0) return;
    const benchmark::IterationCount size = _state.range(0);
    std::nth_element(_processorSeconds.begin(), _processorSeconds.begin() + _processorSeconds.size() / 2,
                     _processorSeconds.end());
    const Means means{_seconds / static_cast<double>(_batches),
                      _floors > 0 ? _floorSeconds / static_cast<double>(_floors) : 0.0,
                      _processorSeconds[_processorSeconds.size() / 2]};
    Recorded()[{_case, size}] = means;
    std::string label;
    if (means.floor > 0.0) label = fmt::format("t/floor = {:.1f}", means.batch / means.floor);
    const auto smaller = Recorded().find({_case, size / 10});
    if (smaller != Recorded().end() && smaller->second.batch > 0.0) {
        label += fmt::format("{}t(N)/t(N/10) = {:.1f}", label.empty() ? "" : "; ", means.batch / smaller->second.batch);
        if (means.floor > 0.0 && smaller->second.floor > 0.0)
            label += fmt::format(" (floor {:.1f})", means.floor / smaller->second.floor);
        if (_growthGoal > 0.0)
            Report(fmt::format("{}, growth {} to {}", _case, SizeText(size / 10), SizeText(size)),
                   "the same at a tenth of the size", _growthGoal, means.median / smaller->second.median);
    }
    _state.SetLabel(label);
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

}  // namespace Bench
