#pragma once
// Script values that cross between a page's JavaScript and the add-on through
// the browser control: JSValue (a plain value), JSArray, JSObject and
// JSFunction, all JSBase, always held through a PK::Ref. Which kind a value is
// comes from a checked cast (PK::Ref::As, "Bad cast." on the wrong kind).
#include "PK/Ref.hpp"

namespace DG {

class JSBase {
public:
    JSBase() = default;
    JSBase(const JSBase&) = delete;
    JSBase& operator=(const JSBase&) = delete;
    virtual ~JSBase();
};

using JSRef = PK::Ref<JSBase, PK::Counter>;

}  // namespace DG
