#pragma once
// fmt formatters for every type the add-on prints with "{}": they all go
// through the type's stream operator, so a log line and a stream show one form.
// Include this header (through Util/Log.hpp) wherever such a type is logged.
#include <exception>
#include <ostream>
#include <type_traits>

#include <fmt/ostream.h>

#include "Util/PKPrinters.hpp"

namespace std {
// Caught exceptions print as their what() text.
inline ostream& operator<<(ostream& os, const exception& e) { return os << e.what(); }
}  // namespace std

template <typename T>
struct fmt::formatter<T, char, std::enable_if_t<std::is_base_of_v<std::exception, T>>> : fmt::ostream_formatter {};

template <>
struct fmt::formatter<PK::UniString> : fmt::ostream_formatter {};
template <>
struct fmt::formatter<PK::Guid> : fmt::ostream_formatter {};
template <>
struct fmt::formatter<PK::ClassVersion> : fmt::ostream_formatter {};
template <>
struct fmt::formatter<PK::ClassInfo> : fmt::ostream_formatter {};

// Declares a formatter that prints T through its operator<<.
#define TC_OSTREAM_FORMATTER(T) \
    template <>                 \
    struct fmt::formatter<T> : fmt::ostream_formatter {}
