#include "Torvel/Api/RecordComparisons.hpp"

bool operator==(const API_Variant& a, const API_Variant& b) {
    return a.type == b.type && a.intValue == b.intValue && a.doubleValue == b.doubleValue &&
           a.boolValue == b.boolValue && a.uniStringValue == b.uniStringValue && a.guidValue == b.guidValue;
}

bool operator==(const API_SingleEnumerationVariant& a, const API_SingleEnumerationVariant& b) {
    return a.keyVariant == b.keyVariant && a.displayVariant == b.displayVariant;
}

bool operator==(const API_PropertyValue& a, const API_PropertyValue& b) {
    return a.variantStatus == b.variantStatus && a.singleVariant.variant == b.singleVariant.variant &&
           a.listVariant.variants == b.listVariant.variants && a.singleEnumVariant == b.singleEnumVariant &&
           a.multipleEnumVariant.variants == b.multipleEnumVariant.variants;
}

bool operator==(const API_PropertyDefaultValue& a, const API_PropertyDefaultValue& b) {
    return a.basicValue == b.basicValue && a.propertyExpressions == b.propertyExpressions &&
           a.hasExpression == b.hasExpression;
}

bool operator==(const API_PropertyDefinition& a, const API_PropertyDefinition& b) {
    return a.guid == b.guid && a.groupGuid == b.groupGuid && a.name == b.name && a.description == b.description &&
           a.definitionType == b.definitionType && a.collectionType == b.collectionType && a.valueType == b.valueType &&
           a.measureType == b.measureType && a.defaultValue == b.defaultValue && a.availability == b.availability &&
           a.possibleEnumValues == b.possibleEnumValues && a.canValueBeEditable == b.canValueBeEditable;
}

bool operator==(const API_PropertyGroup& a, const API_PropertyGroup& b) {
    return a.name == b.name && a.groupType == b.groupType && a.guid == b.guid;
}

bool operator==(const API_Property& a, const API_Property& b) {
    return a.definition == b.definition && a.value == b.value && a.isDefault == b.isDefault && a.status == b.status;
}

bool operator==(const API_ClassificationItem& a, const API_ClassificationItem& b) {
    return a.id == b.id && a.name == b.name && a.guid == b.guid && a.description == b.description;
}
