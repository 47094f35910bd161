#include "Goals.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <ctime>
#include <ostream>
#include <vector>

namespace Bench {

namespace {

struct Row {
    std::string work;
    std::string floor;
    double goal = 0.0;
    double measured = 0.0;
    std::string unit;
};

std::vector<Row>& Rows() {
    static std::vector<Row> rows;
    return rows;
}

}  // namespace

void Report(const std::string& work, const std::string& floor, double goal, double measured, const std::string& unit) {
    for (Row& row : Rows()) {
        if (row.work != work) continue;
        row = {work, floor, goal, measured, unit};
        return;
    }
    Rows().push_back({work, floor, goal, measured, unit});
}

void PrintGoals(std::ostream& os) {
    std::size_t workWidth = 4, floorWidth = 5;
    for (const Row& row : Rows()) {
        workWidth = std::max(workWidth, row.work.size());
        floorWidth = std::max(floorWidth, row.floor.size());
    }
    os << fmt::format("\n{:<{}}  {:<{}}  {:>8}  {:>9}  {}\n", "work", workWidth, "floor", floorWidth, "goal",
                      "measured", "met");
    for (const Row& row : Rows()) {
        const bool hasGoal = row.goal > 0.0;
        os << fmt::format("{:<{}}  {:<{}}  {:>8}  {:>9}  {}\n", row.work, workWidth, row.floor, floorWidth,
                          hasGoal ? fmt::format("<= {:g}{}", row.goal, row.unit) : "none",
                          fmt::format("{:.2f}{}", row.measured, row.unit),
                          !hasGoal                   ? "-"
                          : row.measured <= row.goal ? "yes"
                                                     : "NO");
    }
}

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace Bench
