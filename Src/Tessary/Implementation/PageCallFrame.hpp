#pragma once
// The frame of a page-callable function of the page's script object: the
// entry trace, the shape checks of the argument with their log lines, and the
// handler that turns every failure into a log line and the empty answer. No
// call raises an error in the page and no exception leaves through it.
//
// Every line of one call carries the source location of the page function
// that opened the frame, so a log shows whose call it was:
//
//     const PageCallFrame frame("specOpened", TC_SOURCE_LOC);
//     return frame.Run(argument, [&] {
//         if (const auto strings = frame.TakeStrings(argument, 4))
//             ...;
//         return PageCallFrame::EmptyValue();
//     });
#include <exception>
#include <optional>
#include <utility>

#include "DG/JSBase.hpp"
#include "DG/JSValue.hpp"
#include "PK/Array.hpp"
#include "PK/Types.hpp"
#include "PK/UniString.hpp"
#include "Util/DGPrinters.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::Implementation {

class PageCallFrame {
public:
    // The first items of a page call's argument array, each a string.
    class Strings {
    public:
        const PK::UniString& operator[](PK::USize index) const { return _items[index]->GetString(); }

    private:
        friend class PageCallFrame;
        PK::Array<PK::Ref<DG::JSValue>> _items;
    };

    // name: the function's name on the script object; where: the page
    // function's own source location.
    PageCallFrame(const char* name, const spdlog::source_loc& where) noexcept : _name(name), _where(where) {}

    // Logs "TessaryBrowser::<name>: <argument>" at trace level, then runs the
    // body. A standard exception is logged as "exception: <text>", anything
    // else as "unknown exception!"; either way the page gets the empty value.
    // The body is taken as it is, not as a std::function, so that nothing can
    // throw on the way in.
    template <typename Body>
    DG::JSRef Run(const DG::JSRef& argument, Body&& body) const noexcept;

    // The argument as an array of at least count strings; only the first count
    // are taken. Every item is cast before any is tested, so an item of the
    // wrong kind ends the call through the handler ("Bad cast.") even after an
    // item of the wrong type. Logs and answers nothing when the shape is wrong.
    std::optional<Strings> TakeStrings(const DG::JSRef& argument, PK::USize count) const;

    // A line of this call. Page text goes in as an argument, never as the format.
    template <typename... Args>
    void Log(spdlog::level::level_enum level, fmt::format_string<Args...> format, Args&&... args) const {
        spdlog::default_logger_raw()->log(_where, level, format, std::forward<Args>(args)...);
    }

    // The answer of every call that has nothing to tell: a new plain value of type DEFAULT.
    static DG::JSRef EmptyValue();

private:
    const char* _name;
    spdlog::source_loc _where;
};

template <typename Body>
DG::JSRef PageCallFrame::Run(const DG::JSRef& argument, Body&& body) const noexcept {
    try {
        // The argument goes to the logger as a format argument, so it is
        // printed inside the logger and only when the line is written; one
        // that cannot be printed (an empty reference) costs the line, not the
        // call.
        Log(spdlog::level::trace, "TessaryBrowser::{}: {}", _name, argument);
        try {
            return body();
        } catch (...) {
            Util::LogCaught(_where, spdlog::level::err);
        }
        return EmptyValue();
    } catch (...) {
        // Only a failing logger or a failed allocation gets here; the page's
        // engine must not see an exception all the same.
        return DG::JSRef();
    }
}

}  // namespace TessaryConnect::Implementation
