#pragma once
// The host's report window. Lines written here are kept for tests and the demo.
#include <vector>

#include "PK/UniString.hpp"

void TVAPI_WriteReport(const PK::UniString& text, bool withDialog);

namespace TVSim::Report {
struct Line {
    PK::UniString text;
    bool withDialog = false;
};
const std::vector<Line>& GetLines();
void Clear();
void SetEcho(bool echoToStdout);
}  // namespace TVSim::Report
