#pragma once
// The host's debug output. The texts passed to DBPrint are kept so tests can
// read them, and echoed to stderr when asked. What is kept is bounded by
// bytes, not lines, since one line can carry a list of a hundred thousand
// elements: the newest texts whose sizes add up to at most ByteBudget, or the
// newest text alone when it is larger than that.
#include <cstddef>
#include <deque>
#include <string>

void DBPrint(const char* text);

namespace PK::DebugOutput {
inline constexpr std::size_t ByteBudget = 16 * 1024 * 1024;

// Oldest first.
const std::deque<std::string>& GetTexts();
void Clear();
void SetEcho(bool echoToStderr);
}  // namespace PK::DebugOutput
