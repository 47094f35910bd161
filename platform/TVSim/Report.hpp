#pragma once
// The simulated host's report window keeps every line written to it, for
// tests and the demo to read.
#include <vector>

#include "PK/UniString.hpp"
#include "TVAPI/Report.hpp"
#include "TVSim/Guard.hpp"

namespace TVSim::Report {
struct Line {
    PK::UniString text;
    bool withDialog = false;
};
const std::vector<Line>& GetLines();
void Clear();
void SetEcho(bool echoToStdout);
}  // namespace TVSim::Report
