#include "HostQuestions.hpp"

#include "Model/Element.hpp"
#include "PK/HashTable.hpp"
#include "TVAPI/APIFunctions.hpp"

namespace Bench {

PK::USize HostRebuildAnswers(PK::UInt32 filter, const API_Guid& clauseIdDefinition, const PK::UniString& clauseId) {
    PK::HashTable<API_ElemTypeID, PK::HashSet<PK::Guid>> table;
    const PK::Array<API_Guid> definition{clauseIdDefinition};
    TessaryConnect::Model::Element::EnumerateIncludedMainTypes([&](API_ElemTypeID type) {
        PK::Array<API_Guid> listed;
        if (TVAPI_Element_GetElemList(type, &listed, filter) != NoError) return;
        for (const API_Guid& guid : listed) {
            API_Elem_Head head;
            head.guid = guid;
            if (TVAPI_Element_GetHeader(&head) != NoError) continue;
            if (!TVAPI_Element_Filter(guid, APIFilt_None) || !TVAPI_Element_Filter(guid, APIFilt_OnVisLayer)) continue;
            if (!TVAPI_Element_Filter(guid, APIFilt_IsEditable)) TVAPI_Element_Filter(guid, APIFilt_InMyWorkspace);
            if (TVAPI_Element_IsPropertyDefinitionAvailable(guid, clauseIdDefinition)) {
                PK::Array<API_Property> values;
                TVAPI_Element_GetPropertyValuesByGuid(guid, definition, values);
                if (!values[0].isDefault && values[0].value.singleVariant.variant.uniStringValue == clauseId) continue;
            }
            table[head.typeID].Add(guid);
        }
    });
    PK::USize count = 0;
    for (const auto& [type, elements] : table) count += elements.GetSize();
    return count;
}

}  // namespace Bench
