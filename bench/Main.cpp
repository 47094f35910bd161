// Runs the benchmarks, then prints the table of goals they reported.
//
//   tc_bench [--details=FILE] [benchmark flags...]
//
// With --details the benchmarks' own report of each case goes to FILE and
// the terminal gets a dot per case while they run, so that what it shows in
// the end is the one table.
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "Goals.hpp"

namespace {

class ProgressReporter : public benchmark::ConsoleReporter {
public:
    ProgressReporter() : benchmark::ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        benchmark::ConsoleReporter::ReportRuns(runs);
        GetOutputStream().flush();
        std::cerr << '.' << std::flush;
    }
};

}  // namespace

int main(int argc, char** argv) {
    constexpr const char* detailsFlag = "--details=";
    std::string details;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], detailsFlag, std::strlen(detailsFlag)) == 0)
            details = argv[i] + std::strlen(detailsFlag);
        else
            args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    if (details.empty()) {
        benchmark::RunSpecifiedBenchmarks();
    } else {
        std::ofstream file(details);
        if (!file) {
            std::cerr << "cannot write " << details << "\n";
            return 1;
        }
        ProgressReporter reporter;
        reporter.SetOutputStream(&file);
        reporter.SetErrorStream(&file);
        benchmark::RunSpecifiedBenchmarks(&reporter);
        std::cerr << '\n';
    }
    benchmark::Shutdown();
    Bench::PrintGoals(std::cout);
    return 0;
}
