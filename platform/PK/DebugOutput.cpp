#include "PK/DebugOutput.hpp"

#include <cstdio>

namespace {
constexpr std::size_t kMaxKept = 100000;

struct State {
    std::vector<std::string> texts;
    bool echo = false;
};

// Never destroyed: an add-on's global objects log from their destructors at
// exit, after function-local statics made later than them are gone.
State& TheState() {
    static State* const state = new State;
    return *state;
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
