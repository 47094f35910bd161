#pragma once
// An ordered list of script values; an item may be an empty reference.
#include "DG/JSBase.hpp"
#include "PK/Array.hpp"

namespace DG {

class JSArray : public JSBase {
public:
    JSArray() = default;
    explicit JSArray(PK::Array<JSRef> items) : _items(std::move(items)) {}

    void AddItem(const JSRef& item) { _items.Push(item); }
    const PK::Array<JSRef>& GetItemArray() const { return _items; }

private:
    PK::Array<JSRef> _items;
};

}  // namespace DG
