#pragma once
// Member-wise equality of host records, arrays element by element. Floating
// values compare by value, so a NaN equals nothing, itself included. The
// virtual types use the property comparisons to find the values they must
// write again.
#include "TVAPI/APIRecords.hpp"

bool operator==(const API_Variant& a, const API_Variant& b);
bool operator==(const API_SingleEnumerationVariant& a, const API_SingleEnumerationVariant& b);
bool operator==(const API_PropertyValue& a, const API_PropertyValue& b);
bool operator==(const API_PropertyDefaultValue& a, const API_PropertyDefaultValue& b);
bool operator==(const API_PropertyDefinition& a, const API_PropertyDefinition& b);
bool operator==(const API_PropertyGroup& a, const API_PropertyGroup& b);
bool operator==(const API_Property& a, const API_Property& b);
bool operator==(const API_ClassificationItem& a, const API_ClassificationItem& b);
