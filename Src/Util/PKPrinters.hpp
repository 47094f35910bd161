#pragma once
// How the class library's values look in log lines and messages.
#include <ostream>

#include "PK/ClassInfo.hpp"
#include "PK/Guid.hpp"
#include "PK/UniString.hpp"

namespace PK {
// In double quotes, with each double quote inside escaped by a backslash.
std::ostream& operator<<(std::ostream& os, const UniString& text);
// The text form in double quotes.
std::ostream& operator<<(std::ostream& os, const Guid& guid);
std::ostream& operator<<(std::ostream& os, const ClassVersion& version);
std::ostream& operator<<(std::ostream& os, const ClassInfo& info);
}  // namespace PK
