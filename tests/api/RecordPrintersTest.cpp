#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "Torvel/Api/RecordComparisons.hpp"
#include "Torvel/Api/RecordPrinters.hpp"

namespace {

const PK::Guid G1("E20E9A78-B868-4030-A4CA-73AF7A3BA727");

API_PropertyValue StringValue(const char* text) {
    API_PropertyValue value;
    value.variantStatus = API_VariantStatusNormal;
    value.singleVariant.variant.type = API_PropertyStringValueType;
    value.singleVariant.variant.uniStringValue = text;
    return value;
}

TEST(RecordPrinters, ANeighbourTypeOutOfRangeIsNamedAsUnknownAndNothingIsReadPastTheNames) {
    EXPECT_STREQ(API_NeigID2String(static_cast<API_NeigID>(173)), "APINeig_AnalyticalLinkOn");
    EXPECT_STREQ(API_NeigID2String(static_cast<API_NeigID>(174)), "?");
    EXPECT_STREQ(API_NeigID2String(static_cast<API_NeigID>(-1)), "?");
    EXPECT_EQ(fmt::format("{} {}", static_cast<API_ElemTypeID>(75), static_cast<API_ElemTypeID>(-1)),
              "Unknown:75 Unknown:-1");
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
    for (const auto& change : valueChanges) {
        API_PropertyValue other = base;
        change(other);
        // Each change differs, and a NaN equals nothing, itself included.
        EXPECT_EQ((std::pair{base != other, other == other}),
                  (std::pair{true, !std::isnan(other.singleVariant.variant.doubleValue)}));
    }
    API_Property a;
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
    API_ClassificationItem i1, i2;
    EXPECT_TRUE(i1 == i2);
    i2.description = "d";
    EXPECT_EQ((std::pair{g1 == g2, i1 == i2}), (std::pair{false, false}));
}

}  // namespace
