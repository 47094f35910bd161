// Script values as the page calls' trace lines show them.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "DG/JSArray.hpp"
#include "DG/JSFunction.hpp"
#include "DG/JSObject.hpp"
#include "DG/JSValue.hpp"
#include "Util/DGPrinters.hpp"

namespace {

using DG::JSRef;

JSRef Value() { return PK::NewRef<DG::JSValue>(); }
template <typename T>
JSRef Value(T v) {
    return PK::NewRef<DG::JSValue>(v);
}
JSRef Array(std::vector<JSRef> items) { return PK::NewRef<DG::JSArray>(PK::Array<JSRef>(std::move(items))); }
JSRef Object(std::vector<std::pair<PK::UniString, JSRef>> items) {
    auto object = PK::NewRef<DG::JSObject>();
    for (auto& [name, value] : items) object->AddItem(name, value);
    return object;
}

class SomeOtherKind : public DG::JSBase {};

struct PrintCase {
    std::string what;
    std::function<JSRef()> value;
    std::string printed;
};

void PrintTo(const PrintCase& c, std::ostream* os) { *os << c.what; }

class ScriptValuePrinter : public ::testing::TestWithParam<PrintCase> {};

TEST_P(ScriptValuePrinter, PrintsTheValue) { EXPECT_EQ(fmt::format("{}", GetParam().value()), GetParam().printed); }

INSTANTIATE_TEST_SUITE_P(
    Values, ScriptValuePrinter,
    ::testing::Values(
        PrintCase{"default", [] { return Value(); }, "DEFAULT (null)"},
        PrintCase{"true", [] { return Value(true); }, "1"},
        PrintCase{"false", [] { return Value(false); }, "0"},
        PrintCase{"signed", [] { return Value(PK::Int32{-2147483647 - 1}); }, "-2147483648"},
        PrintCase{"unsigned", [] { return Value(PK::UInt32{4294967295u}); }, "4294967295"},
        PrintCase{"double", [] { return Value(0.1); }, "0.1"},
        PrintCase{"double_six_digits", [] { return Value(3.14159265); }, "3.14159"},
        PrintCase{"double_large", [] { return Value(1e21); }, "1e+21"},
        PrintCase{"double_nan", [] { return Value(std::numeric_limits<double>::quiet_NaN()); }, "nan"},
        PrintCase{"string", [] { return Value("a\"b\\c"); }, R"("a\"b\c")"},
        PrintCase{"string_utf8", [] { return Value(u"\u00e9\U0001F600"); }, "\"\u00e9\U0001F600\""},
        PrintCase{"empty_array", [] { return Array({}); }, "[]"},
        PrintCase{"array", [] { return Array({Value("a"), Value(), Value(true)}); }, R"(["a", DEFAULT (null), 1])"},
        PrintCase{"nested_array", [] { return Array({Array({Value(1), Array({})}), Value("x")}); }, R"([[1, []], "x"])"},
        PrintCase{"object",
                  [] { return Object({{"b", Value(2)}, {"q\"", Array({Value("v")})}}); },
                  R"({"b": 2, "q\"": ["v"]})"},
        PrintCase{"empty_object", [] { return Object({}); }, "{}"},
        PrintCase{"function", [] { return JSRef(PK::NewRef<DG::JSFunction>("getAllState", nullptr)); },
                  R"("getAllState")"},
        PrintCase{"other_kind", [] { return JSRef(PK::NewRef<SomeOtherKind>()); }, "unknown subtype of JSBase"}),
    [](const ::testing::TestParamInfo<PrintCase>& info) { return info.param.what; });

TEST(ScriptValuePrinterRefusals, AnEmptyReferenceAnywhereCannotBePrinted) {
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
