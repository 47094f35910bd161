#pragma once
// fmt formatters for every type the add-on prints with "{}": apart from
// exceptions they all go through the type's stream operator, so a log line and
// a stream show one form.
// Include this header (through Util/Log.hpp) wherever such a type is logged.
#include <exception>
#include <ostream>
#include <type_traits>

#include <fmt/ostream.h>

#include "Util/PKPrinters.hpp"

// Caught exceptions print as their what() text. (A stream operator for them
// would have to live in namespace std, where nothing may be added.)
template <typename T>
struct fmt::formatter<T, char, std::enable_if_t<std::is_base_of_v<std::exception, T>>>
    : fmt::formatter<fmt::string_view> {
    template <typename FormatContext>
    auto format(const std::exception& e, FormatContext& ctx) const {
        return fmt::formatter<fmt::string_view>::format(e.what(), ctx);
    }
};

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
