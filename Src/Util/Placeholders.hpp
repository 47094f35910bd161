#pragma once
// Fills the placeholders of a text ("{OrvoTessaryProjectTitle}") with their
// values in one pass over the text. A value is put in as it is and never
// filled again, so values holding placeholders cannot make the text grow as
// the product of their lengths. The values come from the page and from
// stored records: a fill that would take the text past maxFilledLength
// characters is logged, and it and the placeholders after it stay unfilled.
//
//   Util::FillPlaceholders(text, {{"{Hint}", hint}}, "UnknownError::GetString");
#include <utility>
#include <vector>

#include "PK/UniString.hpp"

namespace TessaryConnect::Util {

// A placeholder and the value that fills it.
using Fill = std::pair<PK::UniString, PK::UniString>;
using Fills = std::vector<Fill>;

// Honest texts stay far below this length.
inline constexpr PK::USize maxFilledLength = 1 << 16;

// Where several placeholders start at one place, the first of the list is
// filled. A text already longer than the bound may keep its length; it
// never grows past it. The caller names itself in the warning.
PK::UniString FillPlaceholders(const PK::UniString& text, const Fills& fills, const char* caller);

}  // namespace TessaryConnect::Util
