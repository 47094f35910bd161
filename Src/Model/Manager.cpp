#include "Model/Manager.hpp"

#include <ostream>
#include <string>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/ConnectionWithSpecificationFactory.hpp"
#include "Model/ManagerTessaryCallbacks.hpp"
#include "Model/PlanData.hpp"
#include "Model/TessaryPtr.hpp"
#include "Tessary/Api/Tessary.hpp"
#include "Util/AddonRuntimeError.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::Api {

std::ostream& operator<<(std::ostream& os, const PK::HashTable<PK::UniString, Properties>& propertiesByClauseId) {
    os << "{";
    const char* separator = "";
    for (const auto& [clauseId, properties] : propertiesByClauseId) {
        os << separator << clauseId << ": " << properties;
        separator = ", ";
    }
    return os << "}";
}

}  // namespace TessaryConnect::Api

namespace TessaryConnect::Model {

const PK::UniString selectionContainsUnassociatedElements = "1c2615cd-6465-49a1-847b-73eea685c9d3";
const PK::UniString selectionMultipleVirtualTypes = "be039721-3bd8-4508-9fcb-bc4cbbe58256";
const PK::UniString UnassociatedTypeIdPrefix = "API_ElemTypeID-";

namespace {

// A connection as log lines show a shared pointer: "{address: connection}".
std::string PointerText(const Manager::ConnectionPtr& connection) {
    if (connection == nullptr) return "{nullptr}";
    return fmt::format("{{{}: {}}}", static_cast<const void*>(connection.get()), *connection);
}

// Logs each connection a look-up skipped; true when the user is yet to hear of
// one. A record that stays damaged is not news at every look-up.
bool LogLoadErrors(ConnectionWithSpecificationFactory& factory,
                   const PK::Array<ConnectionWithSpecificationFactory::LoadError>& loadErrors) {
    bool news = false;
    for (const auto& error : loadErrors) {
        LOG_ERROR("exception: {}", error.message);
        if (factory.TellOnce(error)) news = true;
    }
    return news;
}

}  // namespace

Manager::Manager(const AddonVersion& version, std::shared_ptr<Api::Torvel> tvApi, std::shared_ptr<Api::Tessary> tessary)
    : _addonVersion(version),
      _tvApi(std::move(tvApi)),
      _tessaryPtr(std::make_shared<Model::TessaryPtr>(tessary)),
      _tessaryCallbacks(std::make_shared<TessaryCallbacks>(*this)),
      _planData(std::make_shared<PlanData>(_tvApi)),
      _connectionFactory(std::make_unique<ConnectionWithSpecificationFactory>(_tvApi, _tessaryPtr, _planData)) {
    LOG_TRACE("Manager::construct");
    try {
        const bool hasPlanData = _planData->LoadIfHas();
        LOG_INFO("Has PlanData: {}", hasPlanData);
        if (!hasPlanData) _planData->GenerateNew();
        _selectionCache.Update(*_tvApi);
    } catch (const Api::Error<APIERR_NOPLAN>&) {
        // no project open yet: the identity comes with the first one
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    // The page reference already reaches a page given here, so re-targeting
    // would find nothing to do; the page still needs the callbacks.
    if (tessary != nullptr) tessary->SetCallbackApi(_tessaryCallbacks);
    if (const Connections connections = GetConnections(); !connections.IsEmpty())
        ResetSelectedConnection(connections[0]);
}

Manager::~Manager() {
    try {
        LOG_TRACE("Manager:destruct");
        ResetTessaryApi(nullptr);
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
}

std::shared_ptr<Api::Tessary> Manager::TessaryPtr() const {
    std::shared_ptr<Api::Tessary> page = _tessaryPtr->Lock();
    if (page == nullptr) TC_THROW_RUNTIME("Manager's Tessary API ptr is null");
    return page;
}

void Manager::ResetTessaryApi(const std::shared_ptr<Api::Tessary>& tessary) {
    LOG_TRACE("Manager:ResetTessaryApi: {}", tessary != nullptr);
    if (_tessaryPtr->Lock() == tessary) return;
    if (tessary != nullptr) tessary->SetCallbackApi(_tessaryCallbacks);
    _tessaryPtr->Reset(tessary);
    if (tessary == nullptr) return;
    // A page that comes back must not show the selection it saw last.
    UpdateSelectionCache();
    tessary->SetSelectionState(GetSelectionState());
}

void Manager::UpdateSelectionCache() {
    if (_selectionCache.Update(*_tvApi)) Notify(&ManagerObserver::ManagerEvent_SelectionChanged, _selectionCache);
}

void Manager::ResetSelectedConnection(ConnectionPtr connection) {
    if (connection == _selectedConnection) return;
    if (_selectedConnection != nullptr) _selectedConnection->Detach(*this);
    _selectedConnection = std::move(connection);
    if (_selectedConnection == nullptr) {
        // The guarded list: a connection that cannot be loaded must not leave the selection half changed.
        if (const Connections connections = GetConnections(); !connections.IsEmpty())
            _selectedConnection = connections[0];
    }

    const std::shared_ptr<Api::Tessary> page = _tessaryPtr->Lock();
    if (_selectedConnection == nullptr) {
        _selectedSpecId.Clear();
        if (page != nullptr) page->SetSelectionState(Api::SelectionState());
        LOG_INFO("ResetSelectedConnection: none");
    } else {
        _selectedConnection->Attach(*this);
        _selectedSpecId = _selectedConnection->TessarySpecificationId();
        if (page != nullptr) page->SetSelectionState(GetSelectionState());
        LOG_INFO("ResetSelectedConnection: {}", *_selectedConnection);
    }
    Notify(&ManagerObserver::ManagerEvent_SelectedConnectionChanged, _selectedConnection);
}

Manager::ConnectionPtr Manager::SelectedConnectionAsStored() {
    if (_selectedConnection == nullptr) return nullptr;
    try {
        _selectedConnection->RefreshIfStoredChanged();
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    if (_selectedConnection->IsDeleted()) {
        Notify(&ManagerObserver::ManagerEvent_ConnectionsChanged);
        ResetSelectedConnection(nullptr);
    }
    return _selectedConnection;
}

void Manager::SelectConnectionById(const PK::UniString& tessarySpecificationId) {
    ResetSelectedConnection(tessarySpecificationId.IsEmpty() ? nullptr : GetConnection(tessarySpecificationId));
}

void Manager::ConnectWithSpecification(const PK::Guid& classificationSystem,
                                       const PK::UniString& tessarySpecificationId,
                                       const PK::UniString& tessarySpecificationTitle,
                                       const PK::UniString& tessaryProjectId,
                                       const PK::UniString& tessaryProjectTitle) {
    // The page knows the project by its id: when another member's id was adopted it must hear it.
    if (!_planData->IsSynced() && _planData->Sync()) UpdateTessaryStates();

    if (const ConnectionPtr existing = GetConnection(tessarySpecificationId)) {
        LOG_INFO(
            "Connection({}) exists for specification but it shouldn't. This could happen if the user disassociate the "
            "project at the tessary side and re-associate",
            PointerText(existing));
        existing->Attach(*this);
        Notify(&ManagerObserver::ManagerEvent_ConnectionLoadedToBeDisconnected, existing);
        existing->Cmd_Disconnect(true);
    }

    ResetSelectedConnection(_connectionFactory->Cmd_Connect(classificationSystem, tessarySpecificationId,
                                                            tessarySpecificationTitle, tessaryProjectId,
                                                            tessaryProjectTitle));
    Notify(&ManagerObserver::ManagerEvent_ConnectionsChanged);
}

void Manager::UpdateTessaryStates() {
    const std::shared_ptr<Api::Tessary> page = _tessaryPtr->Lock();
    if (page == nullptr) return;
    page->SetAppState(GetAppState());
    page->SetDocumentState(GetDocumentState());
    page->SetSelectionState(GetSelectionState());
}

const PK::UniString& Manager::PlanId() const { return _planData->Id(); }

PK::UniString Manager::PlanTitle() const { return _planData->Title(); }

// ---- connection look-ups ----

void Manager::ReportLoadFailure() const {
    TC_LOG_CAUGHT(err);
    Notify(&ManagerObserver::ManagerEvent_ErrorWhileLoadingConnection);
}

Manager::Connections Manager::ListConnections() const {
    try {
        PK::Array<ConnectionWithSpecificationFactory::LoadError> loadErrors;
        Connections connections = _connectionFactory->GetAll(&loadErrors);
        // The readable ones are listed all the same.
        if (LogLoadErrors(*_connectionFactory, loadErrors))
            Notify(&ManagerObserver::ManagerEvent_ErrorWhileLoadingConnection);
        return connections;
    } catch (...) {
        ReportLoadFailure();
    }
    return {};
}

Manager::ConnectionPtr Manager::FindConnection(const PK::UniString& tessarySpecificationId) const {
    try {
        PK::Array<ConnectionWithSpecificationFactory::LoadError> loadErrors;
        ConnectionPtr connection = _connectionFactory->GetById(tessarySpecificationId, &loadErrors);
        if (LogLoadErrors(*_connectionFactory, loadErrors))
            Notify(&ManagerObserver::ManagerEvent_ErrorWhileLoadingConnection);
        return connection;
    } catch (...) {
        ReportLoadFailure();
    }
    return nullptr;
}

Manager::Connections Manager::GetConnections() { return ListConnections(); }

Manager::ConstConnections Manager::GetConnections() const {
    ConstConnections connections;
    for (ConnectionPtr& connection : ListConnections()) connections.Push(std::move(connection));
    return connections;
}

Manager::ConnectionPtr Manager::GetConnection(const PK::UniString& tessarySpecificationId) {
    return FindConnection(tessarySpecificationId);
}

Manager::ConstConnectionPtr Manager::GetConnection(const PK::UniString& tessarySpecificationId) const {
    return FindConnection(tessarySpecificationId);
}

std::ostream& operator<<(std::ostream& os, const Manager& manager) {
    os << "{_planData:" << *manager._planData << ", _selectedSpecId:" << manager._selectedSpecId
       << ", _selectionCache: elem_count: " << manager._selectionCache.GetElements().GetSize() << ", connections: [";
    const char* separator = "";
    for (const Manager::ConstConnectionPtr& connection : manager.GetConnections()) {
        os << separator << *connection;
        separator = ", ";
    }
    return os << "]}";
}

}  // namespace TessaryConnect::Model
