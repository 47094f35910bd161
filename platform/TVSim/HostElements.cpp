// Host calls about elements: reading, filtering and listing them, the
// selection, element sets, and changing their classification and property
// values.
#include <algorithm>
#include <memory>

#include "PK/Guid.hpp"
#include "TVSim/SimElemTypes.hpp"
#include "TVSim/SimState.hpp"

using TVSim::Element;
using TVSim::PropertyDefinition;
using TVSim::Detail::Function;
using TVSim::Detail::HostCall;
using TVSim::Detail::OpenState;
using TVSim::Detail::ProjectState;

namespace {

// The checks every element change shares, in the order a host makes them.
PKErrCode ElementChangeRefusal(const ProjectState& state, const API_Guid& guid, const Element* element) {
    if (PKErrCode scope = HostCall::ScopeRefusal(); scope != NoError) return scope;
    if (element == nullptr) return state.MissingElement(guid);
    return state.ChangeRefusal(*element);
}

bool SameKey(const API_Variant& a, const API_Variant& b) {
    if (a.type != b.type) return false;
    switch (a.type) {
        case API_PropertyIntegerValueType:
            return a.intValue == b.intValue;
        case API_PropertyRealValueType:
            return a.doubleValue == b.doubleValue;
        case API_PropertyStringValueType:
            return a.uniStringValue == b.uniStringValue;
        case API_PropertyBooleanValueType:
            return a.boolValue == b.boolValue;
        case API_PropertyGuidValueType:
            return a.guidValue == b.guidValue;
        default:
            return true;
    }
}

bool AllowedChoice(const API_SingleEnumerationVariant& choice, const API_PropertyDefinition& d) {
    for (const API_SingleEnumerationVariant& allowed : d.possibleEnumValues)
        if (SameKey(choice.keyVariant, allowed.keyVariant)) return true;
    return false;
}

// Whether a value has the shape the definition's collection reads, and
// nothing in the parts it does not: a single value of the definition's type,
// a list of such values, or keys among the allowed choices.
bool FitsDefinition(const API_PropertyValue& value, const API_PropertyDefinition& d) {
    const bool single = value.singleVariant.variant.type != API_PropertyUndefinedValueType;
    const bool list = !value.listVariant.variants.IsEmpty();
    const bool choice = value.singleEnumVariant.keyVariant.type != API_PropertyUndefinedValueType;
    const bool choices = !value.multipleEnumVariant.variants.IsEmpty();
    switch (d.collectionType) {
        case API_PropertySingleCollectionType:
            return !list && !choice && !choices && value.singleVariant.variant.type == d.valueType;
        case API_PropertyListCollectionType:
            return !single && !choice && !choices &&
                   std::all_of(value.listVariant.variants.begin(), value.listVariant.variants.end(),
                               [&](const API_Variant& v) { return v.type == d.valueType; });
        case API_PropertySingleChoiceEnumerationCollectionType:
            return !single && !list && !choices && AllowedChoice(value.singleEnumVariant, d);
        case API_PropertyMultipleChoiceEnumerationCollectionType:
            return !single && !list && !choice &&
                   std::all_of(value.multipleEnumVariant.variants.begin(), value.multipleEnumVariant.variants.end(),
                               [&](const API_SingleEnumerationVariant& c) { return AllowedChoice(c, d); });
        default:
            return true;  // a kind the host does not know: nothing to hold the value to
    }
}

// Why the property cannot be written into the element, or NoError. The
// definition as the project holds it decides, not the copy the caller sent:
// a value that cannot be edited, or one the host computes itself, is read-only.
PKErrCode PropertyRefusal(const ProjectState& state, const Element& element, const API_Property& property) {
    const PropertyDefinition* definition = state.definitions.GetPtr(property.definition.guid);
    if (definition == nullptr || !state.IsAvailable(element, *definition)) return APIERR_BADPROPERTY;
    const API_PropertyDefinition& d = definition->definition;
    if (!d.canValueBeEditable || d.definitionType == API_PropertyDynamicBuiltInDefinitionType ||
        d.defaultValue.hasExpression)
        return APIERR_READONLY;
    if (!property.isDefault && property.value.variantStatus == API_VariantStatusNormal &&
        !FitsDefinition(property.value, d))
        return APIERR_BADVALUE;
    return NoError;
}

void WriteProperty(ProjectState& state, Element& element, const API_Property& property) {
    state.Keep(state.elements, element.head.guid);
    if (property.isDefault)
        element.values.Delete(property.definition.guid);
    else
        element.values.Put(property.definition.guid, std::make_shared<const API_PropertyValue>(property.value));
    state.Touch(element);
}

}  // namespace

bool TVAPI_Element_Filter(const API_Guid& guid, PK::UInt32 filterBits, API_ElemVariationID variationID,
                          const API_Guid& viewFilterGuid) {
    HostCall call(Function<"TVAPI_Element_Filter">(), &guid);
    call.Args(guid, filterBits, variationID, viewFilterGuid);
    ProjectState* state = OpenState();
    const Element* element = state != nullptr ? state->FindElement(guid) : nullptr;
    const bool passes = !call.Refused() && element != nullptr && state->PassesFilter(*element, filterBits) &&
                        (variationID == APIVarId_Generic || element->head.variationID == variationID);
    call.Answer(call.Injected());
    return passes;
}

PKErrCode TVAPI_Element_GetElemList(API_ElemTypeID typeID, PK::Array<API_Guid>* elemList, PK::UInt32 filterBits,
                                    API_ElemVariationID variationID, const API_Guid& viewFilterGuid) {
    HostCall call(Function<"TVAPI_Element_GetElemList">());
    call.Args(typeID, filterBits, variationID, viewFilterGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (elemList == nullptr || typeID < API_ZombieElemID || typeID > API_LastElemTypeID)
        return call.Answer(APIERR_BADPARS);
    elemList->Clear();
    auto take = [&](const API_Guid& guid) {
        const Element& element = state->elements.Get(guid);
        if ((variationID == APIVarId_Generic || element.head.variationID == variationID) &&
            state->PassesFilter(element, filterBits))
            elemList->Push(guid);
    };
    if (typeID == API_ZombieElemID) {
        for (const API_Guid& guid : TVSim::Detail::KeysInHostOrder(state->elements)) take(guid);
    } else if (const auto* ofType = state->elementsByType.GetPtr(typeID)) {
        elemList->Reserve(ofType->size());
        for (const API_Guid& guid : *ofType) take(guid);
    }
    return call.Answer(NoError);
}

PKErrCode TVAPI_Element_GetHeader(API_Elem_Head* elementHead, PK::UInt32 mask) {
    HostCall call(Function<"TVAPI_Element_GetHeader">(), elementHead != nullptr ? &elementHead->guid : nullptr);
    if (elementHead != nullptr) call.Args(elementHead->guid, mask);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (elementHead == nullptr) return call.Answer(APIERR_BADPARS);
    const Element* element = state->FindElement(elementHead->guid);
    if (element == nullptr) return call.Answer(state->MissingElement(elementHead->guid));
    *elementHead = element->head;
    return call.Answer(NoError);
}

PKErrCode TVAPI_Element_Get(API_Element* element, PK::UInt32 mask) {
    HostCall call(Function<"TVAPI_Element_Get">(), element != nullptr ? &element->header.guid : nullptr);
    if (element != nullptr) call.Args(element->header.guid, mask);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (element == nullptr) return call.Answer(APIERR_BADPARS);
    const Element* found = state->FindElement(element->header.guid);
    if (found == nullptr) return call.Answer(state->MissingElement(element->header.guid));
    *element = API_Element();
    element->header = found->head;
    if (found->head.typeID == API_SectElemID) {
        element->sectElem.parentGuid = found->sectionParent;
        if (const Element* parent = state->FindElement(found->sectionParent))
            element->sectElem.parentID = parent->head.typeID;
    }
    return call.Answer(NoError);
}

PKErrCode TVAPI_Element_AddClassificationItem(const API_Guid& elemGuid, const API_Guid& itemGuid) {
    HostCall call(Function<"TVAPI_Element_AddClassificationItem">(), &elemGuid);
    call.Args(elemGuid, itemGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    Element* element = state->FindElement(elemGuid);
    if (PKErrCode refusal = ElementChangeRefusal(*state, elemGuid, element); refusal != NoError)
        return call.Answer(refusal);
    if (!state->items.ContainsKey(itemGuid)) return call.Answer(APIERR_BADID);
    if (!element->classifiable) return call.Answer(APIERR_BADCLASSIFICATION);
    state->Classify(*element, itemGuid);
    state->Touch(*element);
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_Element_RemoveClassificationItem(const API_Guid& elemGuid, const API_Guid& itemGuid) {
    HostCall call(Function<"TVAPI_Element_RemoveClassificationItem">(), &elemGuid);
    call.Args(elemGuid, itemGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    Element* element = state->FindElement(elemGuid);
    if (PKErrCode refusal = ElementChangeRefusal(*state, elemGuid, element); refusal != NoError)
        return call.Answer(refusal);
    const TVSim::ClassificationItem* item = state->items.GetPtr(itemGuid);
    if (item == nullptr) return call.Answer(APIERR_BADID);
    const API_Guid* held = element->classification.GetPtr(item->system);
    if (held == nullptr || *held != itemGuid) return call.Answer(APIERR_BADPARS);
    state->Unclassify(*element, item->system);
    state->Touch(*element);
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_Element_GetClassificationInSystem(const API_Guid& elemGuid, const API_Guid& systemGuid,
                                                  API_ClassificationItem& item) {
    HostCall call(Function<"TVAPI_Element_GetClassificationInSystem">(), &elemGuid);
    call.Args(elemGuid, systemGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    const Element* element = state->FindElement(elemGuid);
    if (element == nullptr) return call.Answer(state->MissingElement(elemGuid));
    if (!state->systems.ContainsKey(systemGuid)) return call.Answer(APIERR_BADID);
    const API_Guid* held = element->classification.GetPtr(systemGuid);
    item = held != nullptr ? state->items.Get(*held).item : API_ClassificationItem();
    return call.Answer(NoError);
}

PKErrCode TVAPI_Element_GetElementsWithClassification(const API_Guid& itemGuid, PK::Array<API_Guid>& elemGuids) {
    HostCall call(Function<"TVAPI_Element_GetElementsWithClassification">());
    call.Args(itemGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    const TVSim::ClassificationItem* item = state->items.GetPtr(itemGuid);
    if (item == nullptr) return call.Answer(APIERR_BADID);
    elemGuids = PK::Array<API_Guid>(item->elements.begin(), item->elements.end());
    return call.Answer(NoError);
}

bool TVAPI_Element_IsPropertyDefinitionAvailable(const API_Guid& elemGuid, const API_Guid& propertyDefGuid) {
    HostCall call(Function<"TVAPI_Element_IsPropertyDefinitionAvailable">(), &elemGuid);
    call.Args(elemGuid, propertyDefGuid);
    ProjectState* state = OpenState();
    const Element* element = state != nullptr ? state->FindElement(elemGuid) : nullptr;
    const PropertyDefinition* definition = state != nullptr ? state->definitions.GetPtr(propertyDefGuid) : nullptr;
    const bool available =
        !call.Refused() && element != nullptr && definition != nullptr && state->IsAvailable(*element, *definition);
    call.Answer(call.Injected());
    return available;
}

PKErrCode TVAPI_Element_SetProperties(const API_Guid& elemGuid, const PK::Array<API_Property>& properties) {
    HostCall call(Function<"TVAPI_Element_SetProperties">(), &elemGuid);
    call.Args(elemGuid, properties.GetSize());
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    Element* element = state->FindElement(elemGuid);
    if (PKErrCode refusal = ElementChangeRefusal(*state, elemGuid, element); refusal != NoError)
        return call.Answer(refusal);
    // All or nothing, like the host.
    for (const API_Property& property : properties)
        if (PKErrCode refusal = PropertyRefusal(*state, *element, property); refusal != NoError)
            return call.Answer(refusal);
    for (const API_Property& property : properties) WriteProperty(*state, *element, property);
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_Element_GetPropertyValuesByGuid(const API_Guid& elemGuid,
                                                const PK::Array<API_Guid>& propertyDefinitions,
                                                PK::Array<API_Property>& properties) {
    HostCall call(Function<"TVAPI_Element_GetPropertyValuesByGuid">(), &elemGuid);
    call.Args(elemGuid, propertyDefinitions.GetSize());
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    const Element* element = state->FindElement(elemGuid);
    if (element == nullptr) return call.Answer(state->MissingElement(elemGuid));
    properties.Clear();
    properties.Reserve(propertyDefinitions.GetSize());
    // A definition the project no longer has gets no entry, so the answer
    // can be shorter than the question.
    for (const API_Guid& guid : propertyDefinitions) {
        const PropertyDefinition* definition = state->definitions.GetPtr(guid);
        if (definition == nullptr) continue;
        API_Property& property = properties.PushNew();
        property.definition = definition->definition;
        const auto* kept = element->values.GetPtr(guid);
        const API_PropertyValue* written = kept != nullptr ? kept->get() : nullptr;
        const bool available = state->IsAvailable(*element, *definition);
        property.isDefault = !available || written == nullptr;
        property.value = property.isDefault ? definition->definition.defaultValue.basicValue : *written;
        property.status = available ? API_Property_HasValue : API_Property_NotAvailable;
    }
    return call.Answer(NoError);
}

PKErrCode TVAPI_ElementList_ModifyPropertyValue(const API_Property& property, const PK::Array<API_Guid>& elemGuids) {
    HostCall call(Function<"TVAPI_ElementList_ModifyPropertyValue">());
    call.Args(property.definition.guid, elemGuids.GetSize());
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    for (const API_Guid& guid : elemGuids) {
        if (PKErrCode fault = call.ElementFault(guid); fault != NoError) return call.Answer(fault);
        const Element* element = state->FindElement(guid);
        if (PKErrCode refusal = ElementChangeRefusal(*state, guid, element); refusal != NoError)
            return call.Answer(refusal);
        if (PKErrCode refusal = PropertyRefusal(*state, *element, property); refusal != NoError)
            return call.Answer(refusal);
    }
    for (const API_Guid& guid : elemGuids) WriteProperty(*state, *state->FindElement(guid), property);
    return call.AnswerChange(NoError);
}

// ---- selection ----

PKErrCode TVAPI_Selection_Get(API_SelectionInfo* selectionInfo, PK::Array<API_Neig>* selNeigs, bool onlyEditable,
                              bool ignorePartialSelection, API_SelRelativePosID relativePosToMarquee) {
    HostCall call(Function<"TVAPI_Selection_Get">());
    call.Args(onlyEditable, ignorePartialSelection, relativePosToMarquee);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (selectionInfo == nullptr || selNeigs == nullptr) return call.Answer(APIERR_BADPARS);
    *selectionInfo = API_SelectionInfo();
    selNeigs->Clear();
    for (const API_Guid& guid : state->selection) {
        const Element& element = state->elements.Get(guid);
        const bool editable = state->ChangeRefusal(element) == NoError;
        if (onlyEditable && !editable) continue;
        API_Neig& neig = selNeigs->PushNew();
        neig.neigID = TVSim::Detail::NeigOfType(element.head.typeID);
        neig.guid = guid;
        ++selectionInfo->sel_nElem;
        if (editable) ++selectionInfo->sel_nElemEdit;
    }
    if (selNeigs->IsEmpty()) return call.Answer(APIERR_NOSEL);
    selectionInfo->typeID = state->marqueeType != API_SelEmpty ? state->marqueeType : API_SelElems;
    if (state->marqueeType != API_SelEmpty && state->marqueeCoords > 0) {
        selectionInfo->marquee.nCoords = state->marqueeCoords;
        selectionInfo->marquee.coords =
            BMAllocateHandle(state->marqueeCoords * static_cast<PK::Int32>(2 * sizeof(double)), ALLOCATE_CLEAR, 0);
    }
    return call.Answer(NoError);
}

PKErrCode TVAPI_Element_DeselectAll() {
    HostCall call(Function<"TVAPI_Element_DeselectAll">());
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (!state->selection.empty()) {
        state->selection.clear();
        TVSim::Detail::QueueSelectionChanged();
    }
    return call.Answer(NoError);
}

PKErrCode TVAPI_Element_Select(const PK::Array<API_Neig>& selNeigs, bool add) {
    HostCall call(Function<"TVAPI_Element_Select">());
    call.Args(selNeigs.GetSize(), add);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    for (const API_Neig& neig : selNeigs) {
        if (PKErrCode fault = call.ElementFault(neig.guid); fault != NoError) return call.Answer(fault);
        if (state->FindElement(neig.guid) == nullptr) return call.Answer(state->MissingElement(neig.guid));
    }
    for (const API_Neig& neig : selNeigs) state->Select(neig.guid, add);
    return call.Answer(NoError);
}

// ---- element sets ----

PKErrCode TVAPI_ElementSet_Create(const PK::Array<API_Guid>* elemGuids, const API_UserData* data, API_Guid* setGuid) {
    HostCall call(Function<"TVAPI_ElementSet_Create">());
    if (elemGuids != nullptr) call.Args(elemGuids->GetSize());
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode scope = HostCall::ScopeRefusal(); scope != NoError) return call.Answer(scope);
    if (elemGuids == nullptr || setGuid == nullptr) return call.Answer(APIERR_BADPARS);
    for (const API_Guid& guid : *elemGuids)
        if (state->FindElement(guid) == nullptr) return call.Answer(state->MissingElement(guid));
    TVSim::ElementSet set;
    set.elements = *elemGuids;
    if (data != nullptr) {
        set.dataVersion = data->dataVersion;
        set.platformSign = data->platformSign;
        set.flags = data->flags;
        set.data = TVSim::Detail::FromHandle(data->dataHdl);
    }
    *setGuid = PK::Guid::Generate();
    state->Keep(state->elementSets, *setGuid);
    state->elementSets.Add(*setGuid, std::move(set));
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_ElementSet_Delete(const API_Guid& setGuid) {
    HostCall call(Function<"TVAPI_ElementSet_Delete">());
    call.Args(setGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode scope = HostCall::ScopeRefusal(); scope != NoError) return call.Answer(scope);
    if (!state->elementSets.ContainsKey(setGuid)) return call.Answer(APIERR_BADID);
    state->Keep(state->elementSets, setGuid);
    state->elementSets.Delete(setGuid);
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_ElementSet_GetData(const API_Guid& setGuid, PK::Array<API_Guid>* elemGuids, API_UserData* data) {
    HostCall call(Function<"TVAPI_ElementSet_GetData">());
    call.Args(setGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    const TVSim::ElementSet* set = state->elementSets.GetPtr(setGuid);
    if (set == nullptr) return call.Answer(APIERR_BADID);
    if (elemGuids != nullptr) *elemGuids = set->elements;
    if (data != nullptr) {
        data->dataVersion = set->dataVersion;
        data->platformSign = set->platformSign;
        data->flags = set->flags;
        data->dataHdl = TVSim::Detail::ToHandle(set->data);
    }
    return call.Answer(NoError);
}

PKErrCode TVAPI_ElementSet_Identify(const API_Guid& elemGuid, PK::Array<API_Guid>* setGuids) {
    HostCall call(Function<"TVAPI_ElementSet_Identify">(), &elemGuid);
    call.Args(elemGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (setGuids == nullptr) return call.Answer(APIERR_BADPARS);
    if (state->FindElement(elemGuid) == nullptr) return call.Answer(state->MissingElement(elemGuid));
    setGuids->Clear();
    for (const API_Guid& guid : TVSim::Detail::KeysInHostOrder(state->elementSets))
        if (state->elementSets.Get(guid).elements.Contains(elemGuid)) setGuids->Push(guid);
    return call.Answer(NoError);
}
