#pragma once
// Reads the add-on's JSON texts back the way the page does, with the script
// engine of the substitute browser, so that no test trusts the writer to
// check itself. Each call runs in a fresh engine.
#include <string>

#include "PK/UniString.hpp"

namespace TestSupport {

// Takes the text both as the page script receives it (an expression inside a
// script) and through JSON.parse; when both agree, answers the value in the
// engine's JSON-compatible form: compact, keys in the order read, every
// character outside printable ASCII as a \uXXXX escape. Otherwise answers a
// text beginning with "error: " that says what went wrong.
std::string ScriptJsonValue(const PK::UniString& json);

}  // namespace TestSupport
