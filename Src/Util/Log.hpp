#pragma once
// Logging of the add-on. Everything goes through spdlog's default logger with
// the source location trimmed to the part after "/Src/". Assertions log
// "failed assertion: <expression>" and never stop anything: the code after
// them decides whether to go on.
#include <spdlog/spdlog.h>

#include <string>
#include <string_view>

#include "Util/Formatters.hpp"

// The part of a source path after the first "/Src/", or the whole path.
const char* _trim_file_macro(const char* path);

namespace TessaryConnect {
// Builds the add-on logger (debug output + rotating file) and makes it the default.
void InitLogger();
// The text of an error the add-on throws from its own checks: "<file>:<line>: error: <text>".
std::string FormatRuntimeError(const char* file, int line, std::string_view text);
}  // namespace TessaryConnect

// The source location that a log line written here carries: the trimmed
// file, the line and the enclosing function.
#define TC_SOURCE_LOC \
    ::spdlog::source_loc { ::_trim_file_macro(__FILE__), __LINE__, static_cast<const char*>(__FUNCTION__) }

#define TC_LOG(level, ...) ::spdlog::default_logger_raw()->log(TC_SOURCE_LOC, level, __VA_ARGS__)

#define LOG_TRACE(...) TC_LOG(::spdlog::level::trace, __VA_ARGS__)
#define LOG_DEBUG(...) TC_LOG(::spdlog::level::debug, __VA_ARGS__)
#define LOG_INFO(...) TC_LOG(::spdlog::level::info, __VA_ARGS__)
#define LOG_WARN(...) TC_LOG(::spdlog::level::warn, __VA_ARGS__)
#define LOG_ERROR(...) TC_LOG(::spdlog::level::err, __VA_ARGS__)
#define LOG_CRITICAL(...) TC_LOG(::spdlog::level::critical, __VA_ARGS__)

// Evaluates cond once; when false logs "failed assertion: <cond>" at the given
// level (warn, err or critical). Yields the value of cond. The lambda is what
// gives the record the function name "operator()".
#define TC_ASSERT(lvl, cond)                                             \
    ([&]() -> bool {                                                       \
        if (cond) return true;                                             \
        TC_LOG(::spdlog::level::lvl, "failed assertion: {}", #cond);     \
        return false;                                                      \
    }())

// As TC_ASSERT, with ", " and a formatted detail after the expression, e.g.
// TC_ASSERT_MSG(err, res == 0, "res({})", res).
#define TC_ASSERT_MSG(lvl, cond, detail, ...)                                              \
    ([&]() -> bool {                                                                         \
        if (cond) return true;                                                               \
        TC_LOG(::spdlog::level::lvl, "failed assertion: {}, " detail, #cond, __VA_ARGS__); \
        return false;                                                                        \
    }())

// As TC_ASSERT, with the given text logged in place of the expression: some
// assertion lines are looked for in logs by their text, which must stay as it
// is when the code's names change.
#define TC_ASSERT_AS(lvl, cond, text)                                \
    ([&]() -> bool {                                                 \
        if (cond) return true;                                       \
        TC_LOG(::spdlog::level::lvl, "failed assertion: {}", text); \
        return false;                                                \
    }())

// Logs an assertion whose text is given verbatim (for checks that cannot be
// written as one expression).
#define TC_ASSERT_FAILED(lvl, ...) \
    ([&]() { TC_LOG(::spdlog::level::lvl, "failed assertion: " __VA_ARGS__); }())
