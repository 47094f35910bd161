#pragma once
// The table `./run bench` ends with: one row per speed or memory goal, each
// ratio measured against its floor in the same run, printed once every
// benchmark has run.
//
//   Bench::Report("selection change, 100k elements", "host answering its questions", 1.2, change / host);
//
// Ratios are taken from the fastest of several runs of each side, timed as
// the thread's processor time: what other work on a shared machine adds only
// ever slows a run down, so the fastest runs measure the work.
#include <iosfwd>
#include <string>

namespace Bench {

// A row; a later report of the same work replaces the earlier one. A goal of
// 0 reports a ratio that has none.
void Report(const std::string& work, const std::string& floor, double goal, double measured,
            const std::string& unit = "x");
// The rows in the order first reported.
void PrintGoals(std::ostream& os);

// Seconds of processor time this thread has used.
double ThreadSeconds();

// The fewest seconds of processor time one run of work took, of runs runs.
template <typename Work>
double FastestSeconds(int runs, Work&& work) {
    double fastest = 1e300;
    for (int run = 0; run < runs; ++run) {
        const double start = ThreadSeconds();
        work();
        const double seconds = ThreadSeconds() - start;
        if (seconds < fastest) fastest = seconds;
    }
    return fastest;
}

}  // namespace Bench
