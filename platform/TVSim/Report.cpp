#include "TVSim/Report.hpp"

#include <cstdio>

namespace {
struct State {
    std::vector<TVSim::Report::Line> lines;
    bool echo = false;
};
State& TheState() {
    static State state;
    return state;
}
}  // namespace

void TVAPI_WriteReport(const PK::UniString& text, bool withDialog) {
    TheState().lines.push_back({text, withDialog});
    if (TheState().echo) std::printf("[report] %s\n", text.ToCStr().c_str());
}

namespace TVSim::Report {
const std::vector<Line>& GetLines() { return TheState().lines; }
void Clear() { TheState().lines.clear(); }
void SetEcho(bool echoToStdout) { TheState().echo = echoToStdout; }
}  // namespace TVSim::Report
