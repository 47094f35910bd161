// How the manager follows the project: its selection, a new or opened
// project, team-work changes received, the disconnection of a connection,
// and the host's module-data merge requests.
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/ConnectionWithSpecificationFactory.hpp"
#include "Model/Manager.hpp"
#include "Model/PlanData.hpp"
#include "Model/TessaryPtr.hpp"
#include "Tessary/Api/Tessary.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::Model {

void Manager::TVEvent_SelectionChanged(const API_Neig* /*selElemNeig*/) {
    // Kept up to date with or without a page: the palette associates from it too.
    const std::shared_ptr<Api::Tessary> page = _tessaryPtr->Lock();
    if (page == nullptr || _selectedConnection == nullptr) {
        if (!_selectionCache.Update(*_tvApi)) return;
        if (page != nullptr) page->SetSelectionState(GetSelectionState());
    } else {
        // What the page is told of each element is asked in the same pass over the selection.
        const ConnectionPtr connection = _selectedConnection;
        ConnectionWithSpecification::ClauseTally tally(*connection);
        if (!_selectionCache.Update(*_tvApi, [&](const PK::Guid& element) { tally.Add(element); })) return;
        const PK::Array<PK::Guid>& elements = _selectionCache.GetElements();
        page->SetSelectionState(elements.IsEmpty() ? Api::SelectionState() : SelectionStateOf(tally.Result(elements)));
    }
    Notify(&ManagerObserver::ManagerEvent_SelectionChanged, _selectionCache);
}

void Manager::TVEvent_Project_New() {
    LOG_TRACE("TVEvent_Project_New");
    _connectionFactory->Reset();
    _planData->GenerateNew();
    // Before any state goes out: the page must not see the previous project's selection.
    UpdateSelectionCache();
    Notify(&ManagerObserver::ManagerEvent_ConnectionsChanged);
    ResetSelectedConnection(nullptr);
    UpdateTessaryStates();
}

void Manager::TVEvent_Project_NewAndReset() {
    LOG_TRACE("TVEvent_Project_NewAndReset");
    TVEvent_Project_New();
}

void Manager::TVEvent_Project_Open() {
    LOG_TRACE("TVEvent_Project_Open");
    _connectionFactory->Reset();
    if (!_planData->LoadIfHas()) _planData->GenerateNew();
    UpdateSelectionCache();
    Notify(&ManagerObserver::ManagerEvent_ConnectionsChanged);
    const Connections connections = GetConnections();
    ResetSelectedConnection(connections.IsEmpty() ? nullptr : connections[0]);
    UpdateTessaryStates();
}

void Manager::TVEvent_Project_ReceiveChanges() {
    LOG_TRACE("TVEvent_Project_ReceiveChanges");
    const PK::UniString previousPlanId = _planData->Id();
    // A local id that nobody stored yet stays: connections and the page already know it.
    if (!_planData->LoadIfHas() && _planData->Id().IsEmpty()) _planData->GenerateNew();
    _connectionFactory->RefreshLoadedFromStored();
    // The first step after the receive: elements associated through a property
    // group that the merge replaced must not stay without their clause.
    for (const ConnectionPtr& connection : _connectionFactory->TakeConnectionsWithReplacedGroups()) {
        try {
            connection->Cmd_TakeOverReplacedPropertyGroups();
        } catch (...) {
            TC_LOG_CAUGHT(err, "; connection: {}", connection->GetModulDataName());
        }
    }
    // Then this member's elements take the clause values the receive changed:
    // nobody else writes them.
    for (const ConnectionPtr& connection : _connectionFactory->TakeConnectionsWithReceivedValues()) {
        try {
            connection->Cmd_UpdateElementsToReceivedValues();
        } catch (...) {
            TC_LOG_CAUGHT(err, "; connection: {}", connection->GetModulDataName());
        }
    }
    if (_selectedConnection != nullptr && _selectedConnection->IsDeleted()) ResetSelectedConnection(nullptr);
    Notify(&ManagerObserver::ManagerEvent_ConnectionsChanged);
    if (_selectedConnection == nullptr) {
        if (const Connections connections = GetConnections(); !connections.IsEmpty())
            ResetSelectedConnection(connections[0]);
    }
    // Another member's id was adopted: the page's document reference must follow.
    if (_planData->Id() != previousPlanId) UpdateTessaryStates();
}

void Manager::TVEvent_Project_Close() {}

void Manager::ConnEvent_Disconnected(const ConnectionPtr& connection) {
    Notify(&ManagerObserver::ManagerEvent_ConnectionsChanged);
    if (connection == _selectedConnection) ResetSelectedConnection(nullptr);
}

PKErrCode Manager::HandleModulDataMergeRequest(API_MDSetCmd command, const PK::UniString& modulDataName,
                                               const API_ModulData* originalInfo, const API_ModulData* toMergeInfo,
                                               API_ModulData* destInfo) {
    LOG_TRACE("Manager::ModulDataMergeRequested: mode({}), modulName({})", static_cast<PK::Int32>(command),
              modulDataName);
    try {
        if (ConnectionWithSpecificationFactory::IsModulDataOfThisType(modulDataName))
            return _connectionFactory->ModulDataMerge(command, modulDataName, originalInfo, toMergeInfo, destInfo);
        LOG_CRITICAL("Modul data merge handler is missing: {}", modulDataName);
    } catch (...) {
        TC_LOG_CAUGHT(critical, "; mode: {}; modulName: {}", static_cast<PK::Int32>(command), modulDataName);
    }
    return APIERR_BADPARS;
}

}  // namespace TessaryConnect::Model
