#include "PK/DebugOutput.hpp"

#include <cstdio>

namespace {
constexpr std::size_t kMaxKept = 100000;

struct State {
    std::vector<std::string> texts;
    bool echo = false;
};

State& TheState() {
    static State state;
    return state;
}
}  // namespace

void DBPrint(const char* text) {
    if (text == nullptr) return;
    State& s = TheState();
    if (s.texts.size() >= kMaxKept) s.texts.erase(s.texts.begin(), s.texts.begin() + kMaxKept / 2);
    s.texts.emplace_back(text);
    if (s.echo) std::fputs(text, stderr);
}

namespace PK::DebugOutput {
const std::vector<std::string>& GetTexts() { return TheState().texts; }
void Clear() { TheState().texts.clear(); }
void SetEcho(bool echoToStderr) { TheState().echo = echoToStderr; }
}  // namespace PK::DebugOutput
