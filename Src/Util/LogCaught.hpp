#pragma once
// How the add-on logs an exception it has caught and goes on from. Called
// inside a catch block, TC_LOG_CAUGHT logs the exception being handled: a
// standard one as "exception: <what()>", anything else as "unknown
// exception!", at the level given and with the source location of the line
// that calls it. A context and its arguments may follow the level; the text
// then goes on with it, and the unknown case reads "unknown exception"
// without the "!":
//
//     } catch (...) {
//         TC_LOG_CAUGHT(err, "; neigs[i]: {}", neig);   // "exception: <what()>; neigs[i]: <neig>"
//         ++_filteredOutCount;                          // or "unknown exception; neigs[i]: <neig>"
//     }
//
// What the caller does after a failure stays in its own catch block, and a
// type it handles otherwise gets a catch clause of its own before this one.
// Nothing leaves the logging: a logger that fails loses the line.
#include <string_view>

#include "Util/Log.hpp"

namespace TessaryConnect::Util {

namespace Detail {
void LogCaught(const spdlog::source_loc& where, spdlog::level::level_enum level, std::string_view unknownText,
               std::string_view context) noexcept;
}  // namespace Detail

inline void LogCaught(const spdlog::source_loc& where, spdlog::level::level_enum level) noexcept {
    Detail::LogCaught(where, level, "unknown exception!", {});
}

template <typename... Args>
void LogCaught(const spdlog::source_loc& where, spdlog::level::level_enum level, fmt::format_string<Args...> context,
               Args&&... args) noexcept {
    try {
        if (!spdlog::default_logger_raw()->should_log(level)) return;
        Detail::LogCaught(where, level, "unknown exception", fmt::format(context, std::forward<Args>(args)...));
    } catch (...) {
        // The context could not be written, so there is no line to write.
    }
}

}  // namespace TessaryConnect::Util

// lvl is a level name as in TC_ASSERT: debug, err or critical.
#define TC_LOG_CAUGHT(lvl, ...) \
    ::TessaryConnect::Util::LogCaught(TC_SOURCE_LOC, ::spdlog::level::lvl __VA_OPT__(, ) __VA_ARGS__)
