#pragma once
// How host records look in log lines. fmt prints these through the stream
// operators below; texts go through the class library's string and GUID
// printers (in double quotes), numbers in decimal, Booleans as 1 or 0.
#include <iosfwd>

#include "TVAPI/APIRecords.hpp"
#include "Util/Formatters.hpp"

// The name of a selection reference, or "?" for a value outside the host's list.
const char* API_NeigID2String(API_NeigID neigID);

std::ostream& operator<<(std::ostream& os, API_ElemTypeID typeID);
std::ostream& operator<<(std::ostream& os, API_ElemVariationID variationID);
std::ostream& operator<<(std::ostream& os, const API_Neig& neig);
std::ostream& operator<<(std::ostream& os, const API_Elem_Head& head);
std::ostream& operator<<(std::ostream& os, const API_PropertyGroup& group);
std::ostream& operator<<(std::ostream& os, const API_PropertyDefinition& definition);
std::ostream& operator<<(std::ostream& os, const API_PropertyDefaultValue& defaultValue);
std::ostream& operator<<(std::ostream& os, const API_PropertyValue& value);
std::ostream& operator<<(std::ostream& os, const API_Property& property);
std::ostream& operator<<(std::ostream& os, const API_ClassificationItem& item);
std::ostream& operator<<(std::ostream& os, const API_ClassificationSystem& system);
std::ostream& operator<<(std::ostream& os, const PKDateRecord& date);

TC_OSTREAM_FORMATTER(API_ElemTypeID);
TC_OSTREAM_FORMATTER(API_ElemVariationID);
TC_OSTREAM_FORMATTER(API_Neig);
TC_OSTREAM_FORMATTER(API_Elem_Head);
TC_OSTREAM_FORMATTER(API_PropertyGroup);
TC_OSTREAM_FORMATTER(API_PropertyDefinition);
TC_OSTREAM_FORMATTER(API_PropertyDefaultValue);
TC_OSTREAM_FORMATTER(API_PropertyValue);
TC_OSTREAM_FORMATTER(API_Property);
TC_OSTREAM_FORMATTER(API_ClassificationItem);
TC_OSTREAM_FORMATTER(API_ClassificationSystem);
TC_OSTREAM_FORMATTER(PKDateRecord);
