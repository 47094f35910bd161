#pragma once
// A named script object: named items, in the order they were added. The
// add-on builds one of functions and registers it with a browser control,
// which shows it to pages as window.<name>; pages hand objects to the add-on
// as plain tables of values.
#include "DG/JSBase.hpp"
#include "DG/JSFunction.hpp"
#include "PK/HashTable.hpp"
#include "PK/UniString.hpp"

namespace DG {

class JSObject : public JSBase {
public:
    JSObject() = default;
    explicit JSObject(const PK::UniString& name) : _name(name) {}

    const PK::UniString& GetName() const { return _name; }

    // Adds the function under its own name; a later item of the same name
    // replaces an earlier one, keeping its place.
    void AddItem(const PK::Ref<JSFunction>& function) { _items.Put(function->GetName(), function); }
    void AddItem(const PK::UniString& name, const JSRef& value) { _items.Put(name, value); }

    const PK::HashTable<PK::UniString, JSRef>& GetItemTable() const { return _items; }

private:
    PK::UniString _name;
    PK::HashTable<PK::UniString, JSRef> _items;
};

}  // namespace DG
