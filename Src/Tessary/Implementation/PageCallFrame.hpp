#pragma once
// The frame shared by the page-callable functions that lead into the model:
// the entry trace, the shape checks of the argument with their log lines, and
// the handler that turns every failure into a log line and the empty answer.
// No call raises an error in the page and no exception leaves through it.
//
//     return PageCallFrame::Run("specOpened", argument, [&] {
//         if (auto strings = PageCallFrame::TakeStrings("specOpened", argument, 4))
//             ...;
//         return PageCallFrame::EmptyValue();
//     });
#include <exception>
#include <optional>

#include "DG/JSBase.hpp"
#include "DG/JSValue.hpp"
#include "PK/Array.hpp"
#include "PK/Types.hpp"
#include "PK/UniString.hpp"
#include "Util/DGPrinters.hpp"
#include "Util/Log.hpp"

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

    // Logs "TessaryBrowser::<name>: <argument>" at trace level, then runs the
    // body. A standard exception is logged as "exception: <text>", anything
    // else as "unknown exception!"; either way the page gets the empty value.
    // The body is taken as it is, not as a std::function, so that nothing can
    // throw on the way in.
    template <typename Body>
    static DG::JSRef Run(const char* name, const DG::JSRef& argument, Body&& body) noexcept;

    // The argument as an array of at least count strings; only the first count
    // are taken. Every item is cast before any is tested, so an item of the
    // wrong kind ends the call through the handler ("Bad cast.") even after an
    // item of the wrong type. Logs and answers nothing when the shape is wrong.
    static std::optional<Strings> TakeStrings(const char* name, const DG::JSRef& argument, PK::USize count);

    // The answer of every call that has nothing to tell: a new plain value of type DEFAULT.
    static DG::JSRef EmptyValue();
};

template <typename Body>
DG::JSRef PageCallFrame::Run(const char* name, const DG::JSRef& argument, Body&& body) noexcept {
    try {
        // The argument goes to the logger as a format argument, so it is
        // printed inside the logger and only when the line is written; one
        // that cannot be printed (an empty reference) costs the line, not the
        // call. Page text never becomes a format string.
        LOG_TRACE("TessaryBrowser::{}: {}", name, argument);
        try {
            return body();
        } catch (const std::exception& e) {
            LOG_ERROR("exception: {}", e.what());
        } catch (...) {
            LOG_ERROR("unknown exception!");
        }
        return EmptyValue();
    } catch (...) {
        // Only a failing logger or a failed allocation gets here; the page's
        // engine must not see an exception all the same.
        return DG::JSRef();
    }
}

}  // namespace TessaryConnect::Implementation
