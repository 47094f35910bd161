#pragma once
// The host's debug output. Every text passed to DBPrint is kept (the most
// recent lines, bounded) so tests can read it, and echoed to stderr when asked.
#include <string>
#include <vector>

void DBPrint(const char* text);

namespace PK::DebugOutput {
const std::vector<std::string>& GetTexts();
void Clear();
void SetEcho(bool echoToStderr);
}  // namespace PK::DebugOutput
