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
#include <functional>
#include <optional>

#include "DG/JSBase.hpp"
#include "DG/JSValue.hpp"
#include "PK/Array.hpp"
#include "PK/Types.hpp"
#include "PK/UniString.hpp"

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
    static DG::JSRef Run(const char* name, const DG::JSRef& argument, const std::function<DG::JSRef()>& body) noexcept;

    // The argument as an array of at least count strings; only the first count
    // are taken. Every item is cast before any is tested, so an item of the
    // wrong kind ends the call through the handler ("Bad cast.") even after an
    // item of the wrong type. Logs and answers nothing when the shape is wrong.
    static std::optional<Strings> TakeStrings(const char* name, const DG::JSRef& argument, PK::USize count);

    // The answer of every call that has nothing to tell: a new plain value of type DEFAULT.
    static DG::JSRef EmptyValue();
};

}  // namespace TessaryConnect::Implementation
