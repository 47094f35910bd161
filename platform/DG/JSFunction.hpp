#pragma once
// A named function of a script object that the add-on offers to pages. The
// page's arguments arrive as one value (nothing, a plain value, or an array of
// several); the result goes back to the page.
#include <functional>

#include "DG/JSBase.hpp"
#include "PK/UniString.hpp"

namespace DG {

class JSFunction : public JSBase {
public:
    using Callable = std::function<JSRef(JSRef)>;

    JSFunction(const PK::UniString& name, Callable callable) : _name(name), _callable(std::move(callable)) {}

    const PK::UniString& GetName() const { return _name; }
    // Runs the callable; an empty callable answers an empty reference.
    JSRef Call(const JSRef& argument) const { return _callable ? _callable(argument) : JSRef(); }

private:
    PK::UniString _name;
    Callable _callable;
};

}  // namespace DG
