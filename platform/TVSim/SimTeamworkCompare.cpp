#include "TVSim/SimTeamworkCompare.hpp"

#include <memory>

namespace TVSim::Detail {

namespace {

bool Same(const API_Variant& a, const API_Variant& b) {
    return a.type == b.type && a.intValue == b.intValue && a.doubleValue == b.doubleValue &&
           a.boolValue == b.boolValue && a.uniStringValue == b.uniStringValue && a.guidValue == b.guidValue;
}

bool Same(const API_SingleEnumerationVariant& a, const API_SingleEnumerationVariant& b) {
    return Same(a.keyVariant, b.keyVariant) && Same(a.displayVariant, b.displayVariant);
}

template <typename T>
bool SameArray(const PK::Array<T>& a, const PK::Array<T>& b) {
    if (a.GetSize() != b.GetSize()) return false;
    for (PK::USize i = 0; i < a.GetSize(); ++i)
        if (!Same(a[i], b[i])) return false;
    return true;
}

bool Same(const API_PropertyValue& a, const API_PropertyValue& b) {
    return a.variantStatus == b.variantStatus && Same(a.singleVariant.variant, b.singleVariant.variant) &&
           SameArray(a.listVariant.variants, b.listVariant.variants) &&
           Same(a.singleEnumVariant, b.singleEnumVariant) &&
           SameArray(a.multipleEnumVariant.variants, b.multipleEnumVariant.variants);
}

// Copies of an element share the values neither changed.
bool Same(const std::shared_ptr<const API_PropertyValue>& a, const std::shared_ptr<const API_PropertyValue>& b) {
    return a == b || (a != nullptr && b != nullptr && Same(*a, *b));
}

bool Same(const API_Guid& a, const API_Guid& b) { return a == b; }

// Same keys with the same values, whatever the order.
template <typename Key, typename Value>
bool SameTable(const PK::HashTable<Key, Value>& a, const PK::HashTable<Key, Value>& b) {
    if (a.GetSize() != b.GetSize()) return false;
    for (const auto& [key, value] : a) {
        const Value* other = b.GetPtr(key);
        if (other == nullptr || !Same(value, *other)) return false;
    }
    return true;
}

bool Same(const API_Elem_Head& a, const API_Elem_Head& b) {
    return a.typeID == b.typeID && a.variationID == b.variationID && a.guid == b.guid && a.modiStamp == b.modiStamp &&
           a.floorInd == b.floorInd && a.layer == b.layer && a.lockId == b.lockId && a.groupGuid == b.groupGuid &&
           a.hotlinkGuid == b.hotlinkGuid;
}

}  // namespace

bool Same(const ModulData& a, const ModulData& b) {
    return a.dataVersion == b.dataVersion && a.platformSign == b.platformSign && a.bytes == b.bytes;
}

bool Same(const AddOnObject& a, const AddOnObject& b) {
    return a.guid == b.guid && a.name == b.name && a.content == b.content;
}

bool Same(const ClassificationSystem& a, const ClassificationSystem& b) {
    const API_ClassificationSystem& x = a.system;
    const API_ClassificationSystem& y = b.system;
    return x.guid == y.guid && x.name == y.name && x.description == y.description && x.source == y.source &&
           x.editionVersion == y.editionVersion && x.editionDate.year == y.editionDate.year &&
           x.editionDate.month == y.editionDate.month && x.editionDate.day == y.editionDate.day &&
           a.rootItems == b.rootItems;
}

bool Same(const ClassificationItem& a, const ClassificationItem& b) {
    return a.item.guid == b.item.guid && a.item.id == b.item.id && a.item.name == b.item.name &&
           a.item.description == b.item.description && a.system == b.system && a.parent == b.parent &&
           a.children == b.children;
}

bool Same(const PropertyGroup& a, const PropertyGroup& b) {
    return a.group.guid == b.group.guid && a.group.groupType == b.group.groupType && a.group.name == b.group.name &&
           a.definitions == b.definitions;
}

bool Same(const PropertyDefinition& a, const PropertyDefinition& b) {
    const API_PropertyDefinition& x = a.definition;
    const API_PropertyDefinition& y = b.definition;
    return x.guid == y.guid && x.groupGuid == y.groupGuid && x.name == y.name && x.description == y.description &&
           x.definitionType == y.definitionType && x.collectionType == y.collectionType && x.valueType == y.valueType &&
           x.measureType == y.measureType && Same(x.defaultValue.basicValue, y.defaultValue.basicValue) &&
           x.defaultValue.propertyExpressions == y.defaultValue.propertyExpressions &&
           x.defaultValue.hasExpression == y.defaultValue.hasExpression && a.availability == b.availability &&
           SameArray(x.possibleEnumValues, y.possibleEnumValues) && x.canValueBeEditable == y.canValueBeEditable;
}

bool Same(const Element& a, const Element& b) {
    return Same(a.head, b.head) && a.sectionParent == b.sectionParent && a.owner == b.owner &&
           a.classifiable == b.classifiable && a.in3D == b.in3D && a.visibleByPhase == b.visibleByPhase &&
           a.inStructureView == b.inStructureView && a.hierarchicalKind == b.hierarchicalKind &&
           SameTable(a.classification, b.classification) && SameTable(a.values, b.values);
}

}  // namespace TVSim::Detail
