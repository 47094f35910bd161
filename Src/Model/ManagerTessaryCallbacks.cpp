#include "Model/ManagerTessaryCallbacks.hpp"

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/TessaryPtr.hpp"
#include "PK/Convert.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "Tessary/Api/Tessary.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model {

namespace {

// The id the page knows an element type by: "API_ElemTypeID-<type>-<variation>".
PK::UniString ElementTypeId(const Element::Type& type) {
    return UnassociatedTypeIdPrefix + PK::ValueToUniString(static_cast<PK::Int32>(type.typeID)) + "-" +
           PK::ValueToUniString(static_cast<PK::Int32>(type.variationID));
}

// The unassociated elements of the element type the id names; nothing for an id that names none.
PK::Array<PK::Guid> ElementsOfTypeId(const ConnectionWithSpecification& connection, const PK::UniString& typeId) {
    PK::Array<PK::UniString> idArray;
    if (!TC_ASSERT(err, typeId.Split("-", &idArray) == 3)) return {};
    PK::Int32 typeID = 0;
    if (!TC_ASSERT(err, PK::UniStringToValue(idArray[1], typeID))) return {};
    PK::Int32 variantID = 0;
    if (!TC_ASSERT(err, PK::UniStringToValue(idArray[2], variantID))) return {};
    return connection.UnassociatedElementsCache().GetElemsByType(
        Element::Type(static_cast<API_ElemTypeID>(typeID), static_cast<API_ElemVariationID>(variantID)));
}

}  // namespace

Api::AllState Manager::TessaryCallbacks::Handle_getAllState() {
    Api::AllState state;
    state.appState = _manager.GetAppState();
    state.documentState = _manager.GetDocumentState();
    state.selectionState = _manager.GetSelectionState();
    return state;
}

void Manager::TessaryCallbacks::Handle_selectInstancesOfType(const PK::UniString& typeId) {
    const ConnectionPtr connection = _manager.SelectedConnectionAsStored();
    if (connection == nullptr) return;
    if (typeId == selectionContainsUnassociatedElements || typeId == selectionMultipleVirtualTypes) return;
    PK::Array<PK::Guid> elements;
    if (typeId.BeginsWith(UnassociatedTypeIdPrefix))
        elements = ElementsOfTypeId(*connection, typeId);
    else if (connection->HasVirtualType(typeId))
        elements = connection->GetAssociatedElements(typeId);
    if (elements.IsEmpty()) return;
    _manager.TV().Helper_ClearAndSelect(elements);
    _manager.TV().Do_ZoomToSelected();
}

PK::Array<Api::AssociableType> Manager::TessaryCallbacks::Handle_getAllTypesInDocument(
    const PK::UniString& /*documentRef*/, const PK::Array<PK::UniString>& propertyNames) {
    const ConnectionPtr connection = _manager.SelectedConnectionAsStored();
    PK::Array<Api::AssociableType> types;
    if (connection == nullptr) return types;

    connection->EnumerateVirtualTypes([&](const VirtualType& virtualType) {
        Api::AssociableType& type = types.PushNew(virtualType.GetAsAssociableType(true));
        for (const PK::UniString& name : propertyNames)
            if (!type.properties.ContainsKey(name)) type.properties.Add(name, "?");
    });

    Api::Properties unknownValues;
    for (const PK::UniString& name : propertyNames) unknownValues.Put(name, "?");
    for (const auto& [elementType, count] : connection->UnassociatedElementsCache().GetTypes()) {
        const PK::UniString title =
            elementType.GetName(_manager.TV()) + ": " + PK::ValueToUniString(static_cast<PK::Int32>(count));
        types.PushNew(ElementTypeId(elementType), title, PK::UniString(), PK::UniString(), unknownValues, nullptr);
    }
    return types;
}

void Manager::TessaryCallbacks::Handle_updateProperties(
    const PK::UniString& documentRef, const PK::UniString& /*secondText*/,
    const PK::HashTable<PK::UniString, Api::Properties>& propertiesByClauseId) {
    LOG_TRACE("Handle_updateProperties: ({}, {});", documentRef, propertiesByClauseId);
    if (documentRef != _manager.PlanId()) {
        LOG_WARN("assert: planId({}), documentRef({})", _manager.PlanId(), documentRef);
        return;
    }
    PK::HashSet<PK::UniString> notFound;
    for (const auto& [clauseId, properties] : propertiesByClauseId) notFound.Add(clauseId);
    for (const ConnectionPtr& connection : _manager.GetConnections()) {
        for (const auto& [clauseId, properties] : propertiesByClauseId) {
            if (!connection->HasVirtualType(clauseId)) continue;
            connection->Cmd_UpdateVirtualTypeProperties(clauseId, properties, false);
            notFound.Delete(clauseId);
        }
    }
    if (notFound.IsEmpty()) return;
    PK::Array<PK::UniString> missing;
    notFound.Enumerate([&](const PK::UniString& clauseId) { missing.Push(clauseId); });
    LOG_WARN("Not existing types are expected by tessary: {}, {}", fmt::join(missing, ", "), propertiesByClauseId);
}

void Manager::TessaryCallbacks::Handle_specOpened(const PK::UniString& projectId, const PK::UniString& specId,
                                                  const PK::UniString& projectTitle, const PK::UniString& specTitle) {
    _manager.SelectSpecificationAndUpdateTitle(specId, specTitle, projectId, projectTitle);
}

void Manager::TessaryCallbacks::Handle_specAssociationRequested(
    const PK::UniString& projectId, const PK::UniString& specId, const PK::UniString& projectTitle,
    const PK::UniString& specTitle, const PK::UniString& /*fifthText*/, const PK::UniString& specType) {
    if (const ConnectionPtr connection = _manager.GetConnection(specId)) connection->MarkAsDisconnected();
    const std::shared_ptr<Manager> self = _manager.shared_from_this();
    _manager.Notify(&ManagerObserver::ManagerEvent_AssociationWithSpecificationRequested, self, projectId, projectTitle,
                    specId, specTitle, specType);
}

void Manager::TessaryCallbacks::Handle_removeSpecAssociationRequested(const PK::UniString& projectId,
                                                                      const PK::UniString& specId,
                                                                      const PK::UniString& documentRef) {
    const std::shared_ptr<Api::Tessary> page = _manager._tessaryPtr->Lock();
    if (documentRef != _manager.PlanId()) {
        LOG_TRACE("we still got events from tessary about other documents({}). we can ignore it safely", documentRef);
        if (page != nullptr) page->RemoveSpecAssociation(specId, documentRef);
        return;
    }
    const ConnectionPtr conn = _manager.GetConnection(specId);
    if (conn == nullptr) {
        LOG_WARN("Tessary thinks the plan is connected to this specification but we dont have Connection. {}, {}",
                 specId, projectId);
        if (page != nullptr) page->RemoveSpecAssociation(specId, documentRef);
        return;
    }
    TC_ASSERT_MSG(err, projectId == conn->TessaryProjectId(), "projectId({}), *conn({})", projectId, *conn);
    conn->Attach(_manager);
    _manager.Notify(&ManagerObserver::ManagerEvent_ConnectionLoadedToBeDisconnected, conn);
    conn->Cmd_Disconnect(true);
}

void Manager::TessaryCallbacks::Handle_associationRequested(const PK::UniString& /*typeId*/,
                                                            const PK::UniString& specId, const PK::UniString& clauseId,
                                                            const Api::Properties& properties) {
    if (const ConnectionPtr connection = _manager.GetConnection(specId)) {
        connection->Cmd_AssociateElementsToVirtualType(clauseId, properties, _manager._selectionCache.GetElements(),
                                                       true);
        return;
    }
    LOG_INFO("Tessary Association Requested But Connection Does Not Exist");
    _manager.Notify(&ManagerObserver::ManagerEvent_ErrorTessaryAssociationRequestedButConnectionDoesNotExist);
}

void Manager::TessaryCallbacks::Handle_removeAssociationRequested(const PK::UniString& typeId,
                                                                  const PK::UniString& specId,
                                                                  const PK::UniString& clauseId,
                                                                  const Api::Properties& properties) {
    const ConnectionPtr conn = _manager.GetConnection(specId);
    if (conn == nullptr) {
        LOG_ERROR("why are we heretypeId({}), specId({}), clauseId({}), properties({})", typeId, specId, clauseId,
                  properties);
        return;
    }
    TC_ASSERT_MSG(err, typeId == clauseId, "*conn({}), typeId({}), properties({})", *conn, typeId, properties);
    conn->Cmd_DisassociateElementsFromVirtualType(clauseId, _manager._selectionCache.GetElements());
}

void Manager::TessaryCallbacks::Handle_tvt_onlineStateChanged(bool online) {
    LOG_INFO("Tessary online state changed: {}", online);
    _manager.Notify(&ManagerObserver::ManagerEvent_OnlineStateChanged, online);
}

}  // namespace TessaryConnect::Model
