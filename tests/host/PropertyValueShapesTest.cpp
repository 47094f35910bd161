// The host takes a property value only in the shape its definition's kind
// reads, of the definition's type, with choices among the allowed ones.
#include <gtest/gtest.h>

#include "TVSim/Sim.hpp"

namespace {

API_Variant Text(const char* text) { return {API_PropertyStringValueType, 0, 0.0, false, text, {}}; }
API_SingleEnumerationVariant Choice(const char* key) { return {Text(key), Text(key)}; }

}  // namespace

TEST(PropertyValueShapes, AWriteOfAValueThatDoesNotFitTheDefinitionsKindIsRefused) {
    TVSim::Project& p = TVSim::OpenProject();
    const API_Guid item = p.AddClassificationItem(p.AddClassificationSystem("Clauses"), "A10");
    const API_Guid wall = p.AddElement(API_WallID);
    p.Classify(wall, item);
    API_Property property;
    property.definition =
        p.GetPropertyDefinition(p.AddPropertyDefinition(p.AddPropertyGroup("G"), "P", {item})).definition;
    property.definition.possibleEnumValues = {Choice("k1"), Choice("k2")};
    const API_Variant number{API_PropertyIntegerValueType, 1, 0.0, false, {}, {}};
    using C = API_PropertyCollectionType;
    const struct {
        C kind;
        API_Variant single;
        PK::Array<API_Variant> list;
        API_SingleEnumerationVariant choice;
        PK::Array<API_SingleEnumerationVariant> choices;
        PKErrCode expected;
    } rows[] = {
        {API_PropertySingleCollectionType, Text("x"), {}, {}, {}, NoError},
        {API_PropertySingleCollectionType, number, {}, {}, {}, APIERR_BADVALUE},
        {API_PropertySingleCollectionType, {}, {Text("x")}, {}, {}, APIERR_BADVALUE},
        {API_PropertyListCollectionType, {}, {Text("x"), Text("y")}, {}, {}, NoError},
        {API_PropertyListCollectionType, Text("x"), {}, {}, {}, APIERR_BADVALUE},
        {API_PropertyListCollectionType, {}, {Text("x"), number}, {}, {}, APIERR_BADVALUE},
        {API_PropertySingleChoiceEnumerationCollectionType, {}, {}, Choice("k1"), {}, NoError},
        {API_PropertySingleChoiceEnumerationCollectionType, {}, {}, Choice("zz"), {}, APIERR_BADVALUE},
        {API_PropertySingleChoiceEnumerationCollectionType, Text("k1"), {}, {}, {}, APIERR_BADVALUE},
        {API_PropertyMultipleChoiceEnumerationCollectionType, {}, {}, {}, {Choice("k1"), Choice("k2")}, NoError},
        {API_PropertyMultipleChoiceEnumerationCollectionType,
         {},
         {},
         {},
         {Choice("k1"), Choice("zz")},
         APIERR_BADVALUE},
        {API_PropertyMultipleChoiceEnumerationCollectionType, {}, {}, Choice("k1"), {}, APIERR_BADVALUE},
    };
    for (const auto& row : rows) {
        property.definition.collectionType = row.kind;
        property.definition.guid = {};
        property.definition.guid = p.AddPropertyDefinition(property.definition);
        property.value = {API_VariantStatusNormal, {row.single}, {row.list}, row.choice, {row.choices}};
        TVAPI_CallUndoableCommand("", [&] {
            EXPECT_EQ(TVAPI_Element_SetProperties(wall, {property}), row.expected) << row.kind;
            EXPECT_EQ(TVAPI_ElementList_ModifyPropertyValue(property, {wall}), row.expected) << row.kind;
            return NoError;
        });
    }
}
