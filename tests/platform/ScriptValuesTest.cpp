#include <gtest/gtest.h>

#include <string>

#include "DG/JSArray.hpp"
#include "DG/JSFunction.hpp"
#include "DG/JSObject.hpp"
#include "DG/JSValue.hpp"
#include "PK/Ref.hpp"

namespace {

std::string WhatOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {  // both class-library exceptions must land here
        return e.what();
    } catch (...) {
        return "not a std::exception";
    }
    return "nothing thrown";
}

}  // namespace

TEST(CountedReference, ReadingAnEmptyReferenceAndCastingToTheWrongKindThrowTheLibraryTexts) {
    DG::JSRef empty;
    EXPECT_TRUE(empty == nullptr);
    EXPECT_EQ(WhatOf([&] { empty.operator->(); }), "Null reference.");
    EXPECT_EQ(WhatOf([&] { (void)*empty; }), "Null reference.");
    EXPECT_TRUE(empty.As<DG::JSArray>() == nullptr);  // an empty reference casts to an empty one

    DG::JSRef value(new DG::JSValue("x"));
    EXPECT_EQ(WhatOf([&] { value.As<DG::JSArray>(); }), "Bad cast.");
    EXPECT_EQ(WhatOf([&] { value.As<DG::JSObject>(); }), "Bad cast.");
    EXPECT_EQ(value.As<DG::JSValue>()->GetString(), "x");
    EXPECT_TRUE(value.Is<DG::JSValue>());
    EXPECT_FALSE(value.Is<DG::JSArray>());
}

TEST(CountedReference, CopiesShareOneObjectThatGoesWithTheLastReference) {
    struct Probe : DG::JSBase {
        explicit Probe(int* alive) : _alive(alive) { ++*_alive; }
        ~Probe() override { --*_alive; }
        int* _alive;
    };
    int alive = 0;
    {
        DG::JSRef a(new Probe(&alive));
        EXPECT_EQ(a.GetRefCount(), 1);
        PK::Ref<Probe> b = a.As<Probe>();
        EXPECT_EQ(a.GetRefCount(), 2);
        EXPECT_TRUE(a == b);
        a = nullptr;
        EXPECT_EQ(alive, 1);
    }
    EXPECT_EQ(alive, 0);
}

TEST(ScriptValue, EachKindAnswersItsTypeCodeAndRefusesToBeReadAsAnother) {
    const DG::JSValue nothing;
    const DG::JSValue flag(true);
    const DG::JSValue negative(PK::Int32(-3));
    const DG::JSValue count(PK::UInt32(4000000000u));
    const DG::JSValue real(0.5);
    const DG::JSValue text("a\"b");
    EXPECT_EQ(nothing.GetType(), DG::JSValue::DEFAULT);
    EXPECT_EQ(flag.GetType(), DG::JSValue::BOOL);
    EXPECT_EQ(negative.GetType(), DG::JSValue::INTEGER);
    EXPECT_EQ(count.GetType(), DG::JSValue::UINTEGER);
    EXPECT_EQ(real.GetType(), DG::JSValue::DOUBLE);
    EXPECT_EQ(text.GetType(), DG::JSValue::STRING);
    EXPECT_EQ(int(DG::JSValue::STRING), 5);  // the codes pages and logs know
    EXPECT_EQ(int(DG::JSValue::DOUBLE), 4);

    EXPECT_TRUE(flag.GetBool());
    EXPECT_EQ(negative.GetInteger(), -3);
    EXPECT_EQ(count.GetUInteger(), 4000000000u);
    EXPECT_EQ(real.GetDouble(), 0.5);
    EXPECT_EQ(text.GetString(), "a\"b");
    EXPECT_EQ(WhatOf([&] { (void)nothing.GetString(); }), "Bad cast.");
    EXPECT_EQ(WhatOf([&] { (void)negative.GetUInteger(); }), "Bad cast.");
}

TEST(ScriptObject, KeepsItsFunctionsByNameInOrderAndCallsThem) {
    DG::JSObject object("bridge");
    object.AddItem(PK::NewRef<DG::JSFunction>("second", [](DG::JSRef arg) { return arg; }));
    object.AddItem(PK::NewRef<DG::JSFunction>("first", nullptr));
    object.AddItem("value", DG::JSRef(new DG::JSValue(true)));
    std::vector<std::string> names;
    for (const auto& [name, item] : object.GetItemTable()) names.push_back(name.ToCStr());
    EXPECT_EQ(names, (std::vector<std::string>{"second", "first", "value"}));

    auto echo = object.GetItemTable().Get("second").As<DG::JSFunction>();
    auto array = PK::NewRef<DG::JSArray>();
    array->AddItem(DG::JSRef(new DG::JSValue("x")));
    array->AddItem(nullptr);
    EXPECT_TRUE(echo->Call(array) == array);
    EXPECT_EQ(array->GetItemArray().GetSize(), 2u);
    EXPECT_TRUE(object.GetItemTable().Get("first").As<DG::JSFunction>()->Call(array) == nullptr);
}
