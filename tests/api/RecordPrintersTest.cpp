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
    d.canValueBeEditable = true;
    return d;
}

const std::string kValueText =
    "{ \"variantStatus\": 2,\"singleVariant.variant.uniStringValue\": \"-\", TODO: other values }";
const std::string kDefaultText =
    "{\"basicValue\": " + kValueText + ",\"propertyExpressions\": [],\"hasExpression\": 0}";
const std::string kDefinitionText =
    "{ \"name\": \"Code\",\"description\": \"say \\\"hi\\\"\",\"definitionType\": 2,"
    "\"guid\": " +
    Q1 + ",\"groupGuid\": " + Q2 +
    ",\"collectionType\": 1,"
    "\"valueType\": 3,\"measureType\": 1,\"defaultValue\": " +
    kDefaultText + ",\"availability\": [],\"canValueBeEditable\": 1 }";

TEST(RecordPrinters, EachRecordHasItsLogForm) {
    API_Neig neig;
    neig.neigID = APINeig_Wall;
    neig.guid = G1;

    API_Elem_Head head;
    head.guid = G1;
    head.typeID = API_WallID;
    head.variationID = APIVarId_Door;
    head.floorInd = -1;

    API_PropertyGroup group;
    group.name = "Tessary";
    group.guid = G2;
    group.groupType = API_PropertyCustomGroupType;

    API_PropertyDefinition available = Definition();
    available.availability = {G1, G2};
    available.defaultValue.propertyExpressions = {"x", "y"};
    available.defaultValue.hasExpression = true;

    API_Property property;
    property.definition = Definition();
    property.value = StringValue("A10");
    property.status = API_Property_HasValue;

    API_ClassificationItem item;
    item.guid = G1;
    item.id = "A10";
    item.name = "Walls";
    item.description = "";

    API_ClassificationSystem system;
    system.guid = G2;
    system.name = "Spec";
    system.description = "d";
    system.source = "s";
    system.editionVersion = "1.0";
    system.editionDate = {2023, 4, 5};

    struct Case {
        std::string printed;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {fmt::format("{}", G1), Q1},
        {fmt::format("{}", neig), "{ neigID: APINeig_Wall, guid:" + Q1 + " }"},
        {fmt::format("{}", head), "{ guid:" + Q1 + ", typeID: API_WallID, variationID: APIVarId_Door, floorInd:-1 }"},
        {fmt::format("{}", API_WallID), "API_WallID"},
        {fmt::format("{}", API_ZombieElemID), "API_ZombieElemID"},
        {fmt::format("{}", API_OpeningID), "API_OpeningID"},
        {fmt::format("{}", static_cast<API_ElemTypeID>(75)), "Unknown:75"},
        {fmt::format("{}", static_cast<API_ElemTypeID>(-1)), "Unknown:-1"},
        {fmt::format("{}", static_cast<API_ElemVariationID>(TVAPI_FourCC("LBCA"))), "APIVarId_LabelCWAccessory"},
        {fmt::format("{}", static_cast<API_ElemVariationID>(0)), "APIVarId_Generic"},
        {fmt::format("{}", APIVarId_WallEnd), "APIVarId_WallEnd"},
        {fmt::format("{}", static_cast<API_ElemVariationID>(TVAPI_FourCC("ABCD"))), "Unknown:1094861636"},
        {fmt::format("{}", static_cast<API_ElemVariationID>(-2)), "Unknown:-2"},
        {API_NeigID2String(APINeig_None), "APINeig_None"},
        {API_NeigID2String(static_cast<API_NeigID>(173)), "APINeig_AnalyticalLinkOn"},
        {API_NeigID2String(static_cast<API_NeigID>(174)), "?"},
        {API_NeigID2String(static_cast<API_NeigID>(-1)), "?"},
        {fmt::format("{}", group), "{ name: \"Tessary\", guid: " + Q2 + ", groupType: 2 }"},
        {fmt::format("{}", StringValue("-")), kValueText},
        {fmt::format("{}", Definition().defaultValue), kDefaultText},
        {fmt::format("{}", Definition()), kDefinitionText},
        {fmt::format("{}", available).substr(kDefinitionText.find("\"defaultValue\"")),
         "\"defaultValue\": {\"basicValue\": " + kValueText +
             ",\"propertyExpressions\": [\"x\", \"y\"],\"hasExpression\": 1},\"availability\": [" + Q1 + ", " + Q2 +
             "],\"canValueBeEditable\": 1 }"},
        {fmt::format("{}", property),
         "{definition: " + kDefinitionText +
             ", isDefault: 0, status: 2, value: { \"variantStatus\": 2,\"singleVariant.variant.uniStringValue\": "
             "\"A10\", TODO: other values }}"},
        {fmt::format("{}", item), "{ id: \"A10\", name: \"Walls\", guid: " + Q1 + ", description: \"\" }"},
        {fmt::format("{}", system), "{ guid: " + Q2 +
                                        ", name: \"Spec\", description: \"d\", source: \"s\", editionVersion: "
                                        "\"1.0\", editionDate: { year: 2023, month: 4, day: 5 } }"},
        {fmt::format("{}", DatabaseId(APIWind_FloorPlanID, 3, G1)), "{typeID: 1, index: 3, elemSetId: " + Q1 + "}"},
        {fmt::format("{}", WindowId(DatabaseId(APIWind_3DModelID, 0, G2), -2, true)),
         "{\"_databaseId\": {typeID: 4, index: 0, elemSetId: " + Q2 + "}, \"_storyNumber\": -2}"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.printed, c.expected);
}

TEST(RecordComparisons, ValuesPropertiesGroupsAndItemsCompareEveryMember) {
    const API_PropertyValue base = StringValue("A10");
    EXPECT_TRUE(base == StringValue("A10"));
    EXPECT_FALSE(base != StringValue("A10"));
    auto changed = [&](auto change) {
        API_PropertyValue other = base;
        change(other);
        return other;
    };
    const std::vector<API_PropertyValue> different = {
        StringValue("A11"),
        changed([](API_PropertyValue& v) { v.variantStatus = API_VariantStatusUserUndefined; }),
        changed([](API_PropertyValue& v) { v.singleVariant.variant.intValue = 1; }),
        changed([](API_PropertyValue& v) { v.singleVariant.variant.boolValue = true; }),
        changed([](API_PropertyValue& v) { v.singleVariant.variant.guidValue = G1; }),
        changed([](API_PropertyValue& v) { v.listVariant.variants.PushNew(); }),
        changed([](API_PropertyValue& v) { v.singleEnumVariant.displayVariant.uniStringValue = "x"; }),
        changed([](API_PropertyValue& v) { v.multipleEnumVariant.variants.PushNew(); }),
        changed([](API_PropertyValue& v) {
            v.listVariant.variants = {API_Variant{}, API_Variant{}};
        }),
    };
    for (std::size_t i = 0; i < different.size(); ++i) EXPECT_TRUE(base != different[i]) << "case " << i;
    EXPECT_TRUE(different[5] != different.back()) << "lists of different lengths";
    const API_PropertyValue nan = changed(
        [](API_PropertyValue& v) { v.singleVariant.variant.doubleValue = std::numeric_limits<double>::quiet_NaN(); });
    EXPECT_FALSE(nan == nan) << "a NaN equals nothing, itself included";

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
