#include "Torvel/Api/RecordPrinters.hpp"

#include <array>
#include <ostream>

namespace {

constexpr std::array kNeigNames{
#define TC_NAME(name) #name,
    TVAPI_NEIG_IDS(TC_NAME)
#undef TC_NAME
};

constexpr std::array kElemTypeNames{
#define TC_NAME(name) #name,
    TVAPI_ELEM_TYPE_IDS(TC_NAME)
#undef TC_NAME
};

const char* VariationName(API_ElemVariationID variationID) {
    switch (variationID) {
#define TC_NAME(name, value) \
    case name:               \
        return #name;
        TVAPI_ELEM_VARIATION_IDS(TC_NAME)
#undef TC_NAME
    }
    return nullptr;
}

// "name": value, the form of a member of the record printers.
struct Member {
    const char* name;
};
std::ostream& operator<<(std::ostream& os, Member member) { return os << '"' << member.name << "\": "; }

template <typename T>
void PrintList(std::ostream& os, const PK::Array<T>& items) {
    os << "[";
    const char* separator = "";
    for (const T& item : items) {
        os << separator << item;
        separator = ", ";
    }
    os << "]";
}

}  // namespace

static_assert(kNeigNames.size() == 174 && kElemTypeNames.size() == 75);

const char* API_NeigID2String(API_NeigID neigID) {
    const auto index = static_cast<PK::Int32>(neigID);
    if (index < 0 || static_cast<std::size_t>(index) >= kNeigNames.size()) return "?";
    return kNeigNames[static_cast<std::size_t>(index)];
}

std::ostream& operator<<(std::ostream& os, API_ElemTypeID typeID) {
    const auto index = static_cast<PK::Int32>(typeID);
    if (index < 0 || static_cast<std::size_t>(index) >= kElemTypeNames.size()) return os << "Unknown:" << index;
    return os << kElemTypeNames[static_cast<std::size_t>(index)];
}

std::ostream& operator<<(std::ostream& os, API_ElemVariationID variationID) {
    if (const char* name = VariationName(variationID)) return os << name;
    return os << "Unknown:" << static_cast<PK::Int32>(variationID);
}

std::ostream& operator<<(std::ostream& os, const API_Neig& neig) {
    return os << "{ neigID: " << API_NeigID2String(neig.neigID) << ", guid:" << neig.guid << " }";
}

std::ostream& operator<<(std::ostream& os, const API_Elem_Head& head) {
    return os << "{ guid:" << head.guid << ", typeID: " << head.typeID << ", variationID: " << head.variationID
              << ", floorInd:" << head.floorInd << " }";
}

std::ostream& operator<<(std::ostream& os, const API_PropertyGroup& group) {
    return os << "{ name: " << group.name << ", guid: " << group.guid
              << ", groupType: " << static_cast<PK::Int32>(group.groupType) << " }";
}

std::ostream& operator<<(std::ostream& os, const API_PropertyDefinition& d) {
    os << "{ " << Member{"name"} << d.name << "," << Member{"description"} << d.description << ","
       << Member{"definitionType"} << static_cast<PK::Int32>(d.definitionType) << "," << Member{"guid"} << d.guid << ","
       << Member{"groupGuid"} << d.groupGuid << "," << Member{"collectionType"}
       << static_cast<PK::Int32>(d.collectionType) << "," << Member{"valueType"} << static_cast<PK::Int32>(d.valueType)
       << "," << Member{"measureType"} << static_cast<PK::Int32>(d.measureType) << "," << Member{"defaultValue"}
       << d.defaultValue << "," << Member{"availability"};
    PrintList(os, d.availability);
    return os << "," << Member{"canValueBeEditable"} << static_cast<int>(d.canValueBeEditable) << " }";
}

std::ostream& operator<<(std::ostream& os, const API_PropertyDefaultValue& v) {
    os << "{" << Member{"basicValue"} << v.basicValue << "," << Member{"propertyExpressions"};
    PrintList(os, v.propertyExpressions);
    return os << "," << Member{"hasExpression"} << static_cast<int>(v.hasExpression) << "}";
}

std::ostream& operator<<(std::ostream& os, const API_PropertyValue& v) {
    return os << "{ " << Member{"variantStatus"} << static_cast<PK::Int32>(v.variantStatus) << ","
              << Member{"singleVariant.variant.uniStringValue"} << v.singleVariant.variant.uniStringValue
              << ", TODO: other values }";
}

std::ostream& operator<<(std::ostream& os, const API_Property& p) {
    return os << "{definition: " << p.definition << ", isDefault: " << static_cast<int>(p.isDefault)
              << ", status: " << static_cast<PK::Int32>(p.status) << ", value: " << p.value << "}";
}

std::ostream& operator<<(std::ostream& os, const API_ClassificationItem& item) {
    return os << "{ id: " << item.id << ", name: " << item.name << ", guid: " << item.guid
              << ", description: " << item.description << " }";
}

std::ostream& operator<<(std::ostream& os, const API_ClassificationSystem& s) {
    return os << "{ guid: " << s.guid << ", name: " << s.name << ", description: " << s.description
              << ", source: " << s.source << ", editionVersion: " << s.editionVersion
              << ", editionDate: " << s.editionDate << " }";
}

std::ostream& operator<<(std::ostream& os, const PKDateRecord& date) {
    return os << "{ year: " << date.year << ", month: " << date.month << ", day: " << date.day << " }";
}
