#pragma once
// Texts written into scripts that run in the page.
#include "PK/UniString.hpp"

namespace TessaryConnect::Implementation {

// The text as a complete JavaScript string literal, in double quotes: the
// page reads back exactly the text's code units, whatever they are. A
// backslash, a double quote, every control character, U+2028, U+2029, '<' and
// every surrogate without its partner are escaped, so the literal can neither
// end early, nor break the script's line, nor close an HTML <script> element
// it is written into, nor lose a code unit when the script travels as UTF-8.
PK::UniString StringParam(PK::UniString text);

// A JSON text to be written into a script as an expression: unchanged but for
// U+2028, U+2029 and surrogates without their partner, which JSON allows raw
// inside strings while a script literal does not; their escapes stand for the
// same code units.
PK::UniString JsonParam(const PK::UniString& json);

}  // namespace TessaryConnect::Implementation
