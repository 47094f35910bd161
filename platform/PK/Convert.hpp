#pragma once
// Number <-> text conversions of the class library. They never throw.
#include "PK/Types.hpp"
#include "PK/UniString.hpp"

namespace PK {

// Writes the decimal text of value into buffer (NUL-terminated); false when it does not fit.
bool valuetostr(Int32 value, char* buffer, USize bufferSize);

// Parses a plain decimal integer. valueMode 1 accepts an optional sign; whiteSpaceMode 1
// skips surrounding blanks, 0 refuses them. On failure value is left unchanged.
bool strtovalue(const char* text, Int32& value, int valueMode = 1, int whiteSpaceMode = 0);
bool strtovalue(const UniString& text, Int32& value, int valueMode = 1, int whiteSpaceMode = 0);

bool UniStringToValue(const UniString& text, Int32& value);
UniString ValueToUniString(Int32 value);

}  // namespace PK
