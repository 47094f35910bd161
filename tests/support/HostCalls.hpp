#pragma once
// Helpers for tests that speak to the simulated host directly.

#include "TVAPI/APIFunctions.hpp"

namespace TestSupport {

// Runs the body as one undoable host command and answers what the body answered.
inline PKErrCode InHostCommand(const std::function<PKErrCode()>& body) {
    PKErrCode result = NoError;
    TVAPI_CallUndoableCommand("test step", [&] { return (result = body(), NoError); });
    return result;
}

// A property record that writes the text as the definition's value.
inline API_Property TextProperty(const API_Guid& definition, const PK::UniString& text) {
    API_Property property;
    property.definition.guid = definition;
    property.value.variantStatus = API_VariantStatusNormal;
    property.value.singleVariant.variant.type = API_PropertyStringValueType;
    property.value.singleVariant.variant.uniStringValue = text;
    return property;
}

// The same, as a value the element has of its own, with the whole definition the host keeps.
inline API_Property TextProperty(const API_PropertyDefinition& definition, const PK::UniString& text) {
    API_Property property = TextProperty(definition.guid, text);
    property.definition = definition;
    property.isDefault = false;
    property.status = API_Property_HasValue;
    return property;
}

}  // namespace TestSupport
