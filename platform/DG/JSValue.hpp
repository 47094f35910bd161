#pragma once
// A plain script value: nothing (DEFAULT, the page's null or undefined), a
// boolean, a 32-bit signed or unsigned integer, a double or a string. A getter
// for another type than the value's throws PK::ClassCastException.
#include <variant>

#include "DG/JSBase.hpp"
#include "PK/Types.hpp"
#include "PK/UniString.hpp"

namespace DG {

class JSValue : public JSBase {
public:
    enum Type { DEFAULT = 0, BOOL = 1, INTEGER = 2, UINTEGER = 3, DOUBLE = 4, STRING = 5 };

    JSValue() = default;
    explicit JSValue(bool value) : _value(value) {}
    explicit JSValue(PK::Int32 value) : _value(value) {}
    explicit JSValue(PK::UInt32 value) : _value(value) {}
    explicit JSValue(double value) : _value(value) {}
    explicit JSValue(const PK::UniString& value) : _value(value) {}
    // Without these a string literal would become a bool.
    explicit JSValue(const char* utf8) : _value(PK::UniString(utf8)) {}
    explicit JSValue(const char16_t* utf16) : _value(PK::UniString(utf16)) {}

    Type GetType() const { return static_cast<Type>(_value.index()); }
    bool GetBool() const { return Get<bool>(); }
    PK::Int32 GetInteger() const { return Get<PK::Int32>(); }
    PK::UInt32 GetUInteger() const { return Get<PK::UInt32>(); }
    double GetDouble() const { return Get<double>(); }
    const PK::UniString& GetString() const { return Get<PK::UniString>(); }

private:
    template <typename V>
    const V& Get() const {
        if (const V* v = std::get_if<V>(&_value)) return *v;
        throw PK::ClassCastException();
    }

    // Alternative order is the Type order.
    std::variant<std::monostate, bool, PK::Int32, PK::UInt32, double, PK::UniString> _value;
};

}  // namespace DG
