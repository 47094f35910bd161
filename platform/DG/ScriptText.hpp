#pragma once
// Text between UTF-16 strings and the script engine, which keeps strings as
// CESU-8: every UTF-16 code unit, surrogates included, is one 1- to 3-byte
// sequence. Unpaired surrogates survive the round trip, so a page sees exactly
// the code units the add-on sent, and the add-on exactly what the page had.
#include <string>
#include <string_view>

#include "PK/UniString.hpp"

namespace DG::ScriptText {

std::string ToEngine(const PK::UniString& text);
// Also takes 4-byte UTF-8 sequences (as two code units); a malformed byte
// becomes U+FFFD.
PK::UniString FromEngine(std::string_view text);

}  // namespace DG::ScriptText
