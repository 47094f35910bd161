// Runs the benchmarks, then prints the table of goals they reported.
#include <benchmark/benchmark.h>

#include <iostream>

#include "Goals.hpp"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Bench::PrintGoals(std::cout);
    return 0;
}
