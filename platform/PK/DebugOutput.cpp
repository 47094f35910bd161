#include "PK/DebugOutput.hpp"

#include <cstdio>

namespace {

struct State {
    std::deque<std::string> texts;
    std::size_t bytes = 0;
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
    s.texts.emplace_back(text);
    s.bytes += s.texts.back().size();
    while (s.bytes > PK::DebugOutput::ByteBudget && s.texts.size() > 1) {
        s.bytes -= s.texts.front().size();
        s.texts.pop_front();
    }
    if (s.echo) std::fputs(text, stderr);
}

namespace PK::DebugOutput {
const std::deque<std::string>& GetTexts() { return TheState().texts; }
void Clear() {
    TheState().texts.clear();
    TheState().bytes = 0;
}
void SetEcho(bool echoToStderr) { TheState().echo = echoToStderr; }
}  // namespace PK::DebugOutput
