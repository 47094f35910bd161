#include "Util/DGPrinters.hpp"

#include "DG/JSArray.hpp"
#include "DG/JSFunction.hpp"
#include "DG/JSObject.hpp"
#include "DG/JSValue.hpp"

namespace DG {

namespace {
std::ostream& PrintPlain(std::ostream& os, const JSValue& value) {
    switch (value.GetType()) {
        case JSValue::DEFAULT:
            return os << "DEFAULT (null)";
        case JSValue::BOOL:
            return os << (value.GetBool() ? 1 : 0);
        case JSValue::INTEGER:
            return os << value.GetInteger();
        case JSValue::UINTEGER:
            return os << value.GetUInteger();
        case JSValue::DOUBLE:
            return os << value.GetDouble();
        case JSValue::STRING:
            return os << value.GetString();
    }
    return os << "unknown type: " << static_cast<int>(value.GetType());
}
}  // namespace

std::ostream& operator<<(std::ostream& os, const JSBase& value) {
    if (const auto* plain = dynamic_cast<const JSValue*>(&value)) return PrintPlain(os, *plain);
    if (const auto* array = dynamic_cast<const JSArray*>(&value)) return os << array->GetItemArray();
    if (const auto* object = dynamic_cast<const JSObject*>(&value)) return os << object->GetItemTable();
    if (const auto* function = dynamic_cast<const JSFunction*>(&value)) return os << function->GetName();
    return os << "unknown subtype of JSBase";
}

}  // namespace DG

namespace PK {

std::ostream& operator<<(std::ostream& os, const Ref<DG::JSBase, Counter>& value) { return os << *value; }

std::ostream& operator<<(std::ostream& os, const Array<Ref<DG::JSBase, Counter>>& items) {
    os << '[';
    const char* separator = "";
    for (const auto& item : items) {
        os << separator << item;
        separator = ", ";
    }
    return os << ']';
}

std::ostream& operator<<(std::ostream& os, const HashTable<UniString, Ref<DG::JSBase, Counter>>& items) {
    os << '{';
    const char* separator = "";
    for (const auto& [key, value] : items) {
        os << separator << key << ": " << value;
        separator = ", ";
    }
    return os << '}';
}

}  // namespace PK
