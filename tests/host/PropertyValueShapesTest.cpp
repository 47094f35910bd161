// The host takes a property value only in the shape its definition's kind
// reads, of the definition's type, with choices among the allowed ones.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TVSim/Sim.hpp"

namespace {

API_Variant Text(const char* text) {
    API_Variant v;
    v.type = API_PropertyStringValueType;
    v.uniStringValue = text;
    return v;
}

API_Variant Number(PK::Int32 number) {
    API_Variant v;
    v.type = API_PropertyIntegerValueType;
    v.intValue = number;
    return v;
}

API_SingleEnumerationVariant Choice(const char* key) { return {Text(key), Text(key)}; }

API_PropertyValue Value(std::function<void(API_PropertyValue&)> fill) {
    API_PropertyValue value;
    value.variantStatus = API_VariantStatusNormal;
    fill(value);
    return value;
}

}  // namespace

TEST(PropertyValueShapes, AWriteOfAValueThatDoesNotFitTheDefinitionsKindIsRefused) {
    TVSim::Project& p = TVSim::OpenProject();
    const API_Guid item = p.AddClassificationItem(p.AddClassificationSystem("Clauses"), "A10");
    const API_Guid wall = p.AddElement(API_WallID);
    p.Classify(wall, item);
    const API_Guid group = p.AddPropertyGroup("Group");
    auto define = [&](const char* name, API_PropertyCollectionType collection) {
        API_PropertyDefinition d;
        d.groupGuid = group;
        d.name = name;
        d.definitionType = API_PropertyCustomDefinitionType;
        d.collectionType = collection;
        d.valueType = API_PropertyStringValueType;
        d.canValueBeEditable = true;
        d.availability = {item};
        d.possibleEnumValues = {Choice("k1"), Choice("k2")};
        return p.GetPropertyDefinition(p.AddPropertyDefinition(d)).definition;
    };
    const API_PropertyDefinition single = define("single", API_PropertySingleCollectionType);
    const API_PropertyDefinition list = define("list", API_PropertyListCollectionType);
    const API_PropertyDefinition one = define("one", API_PropertySingleChoiceEnumerationCollectionType);
    const API_PropertyDefinition many = define("many", API_PropertyMultipleChoiceEnumerationCollectionType);

    const API_PropertyValue text = Value([](auto& v) { v.singleVariant.variant = Text("x"); });
    const API_PropertyValue number = Value([](auto& v) { v.singleVariant.variant = Number(1); });
    const API_PropertyValue texts = Value([](auto& v) { v.listVariant.variants = {Text("x"), Text("y")}; });
    const API_PropertyValue mixed = Value([](auto& v) { v.listVariant.variants = {Text("x"), Number(1)}; });
    const API_PropertyValue k1 = Value([](auto& v) { v.singleEnumVariant = Choice("k1"); });
    const API_PropertyValue unknown = Value([](auto& v) { v.singleEnumVariant = Choice("zz"); });
    const API_PropertyValue k1k2 = Value([](auto& v) {
        v.multipleEnumVariant.variants = {Choice("k1"), Choice("k2")};
    });
    const API_PropertyValue k1zz = Value([](auto& v) {
        v.multipleEnumVariant.variants = {Choice("k1"), Choice("zz")};
    });
    struct Row {
        const char* what;
        const API_PropertyDefinition& definition;
        const API_PropertyValue& value;
        GSErrCode expected;
    };
    const std::vector<Row> rows = {
        {"text as a single text", single, text, NoError},
        {"number as a single text", single, number, APIERR_BADVALUE},
        {"list as a single text", single, texts, APIERR_BADVALUE},
        {"texts as a list of texts", list, texts, NoError},
        {"a single text into a list", list, text, APIERR_BADVALUE},
        {"a number in a list of texts", list, mixed, APIERR_BADVALUE},
        {"an allowed choice", one, k1, NoError},
        {"a key not allowed", one, unknown, APIERR_BADVALUE},
        {"a single text into a choice", one, text, APIERR_BADVALUE},
        {"allowed choices", many, k1k2, NoError},
        {"one choice not allowed", many, k1zz, APIERR_BADVALUE},
        {"one choice as choices", many, k1, APIERR_BADVALUE},
        {"a single text into choices", many, text, APIERR_BADVALUE},
    };
    for (const Row& row : rows) {
        API_Property property;
        property.definition = row.definition;
        property.value = row.value;
        GSErrCode set = APIERR_GENERAL, modified = APIERR_GENERAL;
        TVAPI_CallUndoableCommand("", [&] {
            set = TVAPI_Element_SetProperties(wall, {property});
            modified = TVAPI_ElementList_ModifyPropertyValue(property, {wall});
            return NoError;
        });
        EXPECT_EQ(set, row.expected) << row.what;
        EXPECT_EQ(modified, row.expected) << row.what;
    }
}
