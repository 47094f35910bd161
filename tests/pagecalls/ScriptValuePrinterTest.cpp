// Script values as the page calls' trace lines show them.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DG/JSArray.hpp"
#include "DG/JSFunction.hpp"
#include "DG/JSObject.hpp"
#include "DG/JSValue.hpp"
#include "Util/DGPrinters.hpp"

namespace {

using DG::JSRef;

template <typename... T>
JSRef Value(T... v) {
    return PK::NewRef<DG::JSValue>(v...);
}
JSRef Array(std::vector<JSRef> items) { return PK::NewRef<DG::JSArray>(PK::Array<JSRef>(std::move(items))); }
JSRef Object(std::vector<std::pair<PK::UniString, JSRef>> items) {
    auto object = PK::NewRef<DG::JSObject>();
    for (auto& [name, value] : items) object->AddItem(name, value);
    return object;
}

class SomeOtherKind : public DG::JSBase {};

TEST(ScriptValuePrinter, PrintsEachKindOfValue) {
    const std::pair<JSRef, std::string> cases[] = {
        {Value(), "DEFAULT (null)"},
        {Value(true), "1"},
        {Value(PK::Int32{-2147483647 - 1}), "-2147483648"},
        {Value(PK::UInt32{4294967295u}), "4294967295"},
        {Value(3.14159265), "3.14159"},
        {Value("a\"b\\c"), R"("a\"b\c")"},
        {Array({Array({Value(1), Array({})}), Value("x"), Value()}), R"([[1, []], "x", DEFAULT (null)])"},
        {Object({{"b", Value(2)}, {"q\"", Array({Value("v")})}}), R"({"b": 2, "q\"": ["v"]})"},
        {PK::NewRef<DG::JSFunction>("getAllState", nullptr), R"("getAllState")"},
        {PK::NewRef<SomeOtherKind>(), "unknown subtype of JSBase"},
    };
    for (const auto& [value, printed] : cases) EXPECT_EQ(fmt::format("{}", value), printed);
}

TEST(ScriptValuePrinter, AnEmptyReferenceAnywhereCannotBePrinted) {
    for (const JSRef& value : {JSRef(), Array({Value(1), JSRef()}), Object({{"k", JSRef()}})}) {
        try {
            (void)fmt::format("{}", value);
            ADD_FAILURE() << "printed an empty reference";
        } catch (const PK::NullReferenceException& e) {
            EXPECT_STREQ(e.what(), "Null reference.");
        }
    }
}

}  // namespace
