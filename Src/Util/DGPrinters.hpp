#pragma once
// How the browser's script values look in log lines: plain values by their
// type, strings and names as PK::UniString prints them, arrays in brackets and
// objects in braces. An empty reference, at the top or inside an array or
// object, cannot be printed and throws PK::NullReferenceException; log lines
// print script values as format arguments, so spdlog catches that.
#include <ostream>

#include "DG/JSBase.hpp"
#include "PK/Array.hpp"
#include "PK/HashTable.hpp"
#include "PK/UniString.hpp"
#include "Util/Formatters.hpp"

namespace DG {
std::ostream& operator<<(std::ostream& os, const JSBase& value);
}  // namespace DG

namespace PK {
std::ostream& operator<<(std::ostream& os, const Ref<DG::JSBase, Counter>& value);
std::ostream& operator<<(std::ostream& os, const Array<Ref<DG::JSBase, Counter>>& items);
std::ostream& operator<<(std::ostream& os, const HashTable<UniString, Ref<DG::JSBase, Counter>>& items);
}  // namespace PK

TC_OSTREAM_FORMATTER(DG::JSRef);
