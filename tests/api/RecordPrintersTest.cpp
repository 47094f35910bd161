#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "Torvel/Api/RecordComparisons.hpp"
#include "Torvel/Api/RecordPrinters.hpp"
#include "Torvel/Api/WindowId.hpp"

namespace {

using TessaryConnect::Api::DatabaseId;
using TessaryConnect::Api::WindowId;

const PK::Guid G1("E20E9A78-B868-4030-A4CA-73AF7A3BA727");
const PK::Guid G2("4C28CBFD-B871-4507-B0B9-C70630D7B8B0");
const std::string Q1 = "\"E20E9A78-B868-4030-A4CA-73AF7A3BA727\"";
const std::string Q2 = "\"4C28CBFD-B871-4507-B0B9-C70630D7B8B0\"";

API_PropertyValue StringValue(const char* text) {
    API_PropertyValue value;
    value.variantStatus = API_VariantStatusNormal;
    value.singleVariant.variant.type = API_PropertyStringValueType;
    value.singleVariant.variant.uniStringValue = text;
    return value;
}

API_PropertyDefinition Definition() {
    API_PropertyDefinition d;
    d.name = "Code";
    d.description = "say \"hi\"";
    d.definitionType = API_PropertyCustomDefinitionType;
    d.guid = G1;
    d.groupGuid = G2;
    d.collectionType = API_PropertySingleCollectionType;
    d.valueType = API_PropertyStringValueType;
    d.measureType = API_PropertyDefaultMeasureType;
    d.defaultValue.basicValue = StringValue("-");
    d.defaultValue.propertyExpressions = {"x", "y"};
    d.defaultValue.hasExpression = true;
    d.availability = {G1, G2};
    d.canValueBeEditable = true;
    return d;
}

TEST(RecordPrinters, EachRecordHasItsLogForm) {
    const std::string value =
        R"({ "variantStatus": 2,"singleVariant.variant.uniStringValue": "-", TODO: other values })";
    const std::string defaultValue =
        R"({"basicValue": )" + value + R"(,"propertyExpressions": ["x", "y"],"hasExpression": 1})";
    const std::string definition =
        R"({ "name": "Code","description": "say \"hi\"","definitionType": 2,"guid": )" + Q1 + R"(,"groupGuid": )" + Q2 +
        R"(,"collectionType": 1,"valueType": 3,"measureType": 1,"defaultValue": )" + defaultValue +
        R"(,"availability": [)" + Q1 + ", " + Q2 + R"(],"canValueBeEditable": 1 })";
    const API_Property property{
        .definition = Definition(), .value = StringValue("A10"), .status = API_Property_HasValue};
    const API_ClassificationSystem system{.guid = G2,
                                          .name = "Spec",
                                          .description = "d",
                                          .source = "s",
                                          .editionVersion = "1.0",
                                          .editionDate = {2023, 4, 5}};
    API_Elem_Head head;
    head.guid = G1;
    head.typeID = API_WallID;
    head.variationID = APIVarId_Door;
    head.floorInd = -1;
    const std::pair<std::string, std::string> cases[] = {
        {fmt::format("{}", API_Neig{.neigID = APINeig_Wall, .guid = G1}), "{ neigID: APINeig_Wall, guid:" + Q1 + " }"},
        {fmt::format("{}", head), "{ guid:" + Q1 + ", typeID: API_WallID, variationID: APIVarId_Door, floorInd:-1 }"},
        {fmt::format("{}", API_OpeningID), "API_OpeningID"},
        {fmt::format("{}", static_cast<API_ElemTypeID>(75)), "Unknown:75"},
        {fmt::format("{}", static_cast<API_ElemTypeID>(-1)), "Unknown:-1"},
        {fmt::format("{}", static_cast<API_ElemVariationID>(-2)), "Unknown:-2"},
        {API_NeigID2String(static_cast<API_NeigID>(173)), "APINeig_AnalyticalLinkOn"},
        {API_NeigID2String(static_cast<API_NeigID>(174)), "?"},
        {API_NeigID2String(static_cast<API_NeigID>(-1)), "?"},
        {fmt::format("{}", API_PropertyGroup{.guid = G2, .groupType = API_PropertyCustomGroupType, .name = "Tessary"}),
         "{ name: \"Tessary\", guid: " + Q2 + ", groupType: 2 }"},
        {fmt::format("{}", Definition().defaultValue), defaultValue},
        {fmt::format("{}", property),
         "{definition: " + definition + ", isDefault: 0, status: 2, value: " +
             R"({ "variantStatus": 2,"singleVariant.variant.uniStringValue": "A10", TODO: other values }})"},
        {fmt::format("{}", API_ClassificationItem{.guid = G1, .id = "A10", .name = "Walls", .description = ""}),
         "{ id: \"A10\", name: \"Walls\", guid: " + Q1 + ", description: \"\" }"},
        {fmt::format("{}", system), "{ guid: " + Q2 +
                                        ", name: \"Spec\", description: \"d\", source: \"s\", editionVersion: "
                                        "\"1.0\", editionDate: { year: 2023, month: 4, day: 5 } }"},
        {fmt::format("{}", DatabaseId(APIWind_FloorPlanID, 3, G1)), "{typeID: 1, index: 3, elemSetId: " + Q1 + "}"},
        {fmt::format("{}", WindowId(DatabaseId(APIWind_3DModelID, 0, G2), -2, true)),
         "{\"_databaseId\": {typeID: 4, index: 0, elemSetId: " + Q2 + "}, \"_storyNumber\": -2}"},
    };
    for (const auto& [printed, expected] : cases) EXPECT_EQ(printed, expected);
}

TEST(RecordComparisons, ValuesPropertiesGroupsAndItemsCompareEveryMember) {
    const API_PropertyValue base = StringValue("A10");
    EXPECT_TRUE(base == StringValue("A10"));
    const std::function<void(API_PropertyValue&)> valueChanges[] = {
        [](API_PropertyValue& v) { v.singleVariant.variant.uniStringValue = "A11"; },
        [](API_PropertyValue& v) { v.variantStatus = API_VariantStatusUserUndefined; },
        [](API_PropertyValue& v) { v.singleVariant.variant.intValue = 1; },
        [](API_PropertyValue& v) { v.singleVariant.variant.boolValue = true; },
        [](API_PropertyValue& v) { v.singleVariant.variant.guidValue = G1; },
        [](API_PropertyValue& v) { v.singleVariant.variant.doubleValue = std::numeric_limits<double>::quiet_NaN(); },
        [](API_PropertyValue& v) { v.listVariant.variants.PushNew(); },
        [](API_PropertyValue& v) { v.singleEnumVariant.displayVariant.uniStringValue = "x"; },
        [](API_PropertyValue& v) { v.multipleEnumVariant.variants.PushNew(); },
    };
    for (std::size_t i = 0; i < std::size(valueChanges); ++i) {
        API_PropertyValue other = base;
        valueChanges[i](other);
        EXPECT_TRUE(base != other) << "change " << i;
        // A NaN equals nothing, itself included.
        EXPECT_EQ(other == other, !std::isnan(other.singleVariant.variant.doubleValue)) << "change " << i;
    }

    API_Property a;
    a.definition = Definition();
    a.value = base;
    for (const auto& change : std::vector<std::function<void(API_Property&)>>{
             [](API_Property& p) { p.isDefault = true; }, [](API_Property& p) { p.definition.availability.Push(G1); },
             [](API_Property& p) { p.status = API_Property_HasValue; }}) {
        API_Property b = a;
        EXPECT_TRUE(a == b);
        change(b);
        EXPECT_FALSE(a == b);
    }
    API_PropertyGroup g1, g2;
    g2.groupType = API_PropertyCustomGroupType;
    EXPECT_FALSE(g1 == g2);
    API_ClassificationItem i1, i2;
    EXPECT_TRUE(i1 == i2);
    i2.description = "d";
    EXPECT_FALSE(i1 == i2);
}

}  // namespace
