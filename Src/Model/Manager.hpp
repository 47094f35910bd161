#pragma once
// The model's central object; exactly one exists while the add-on runs,
// always owned by a std::shared_ptr. It owns the project's identity, the
// factory of the project's connections, the selection cache, the selected
// connection and the one re-targetable reference to the web page that it
// shares with every connection.
//
// It follows the project through host notifications (new, open, received
// team-work changes, selection), answers the host's module-data merge
// requests, answers the page's calls through its TessaryCallbacks object
// and tells the palette through ManagerObserver events. It brings its own
// state up to date before it tells anybody, so observers may read it back.
//
//   auto manager = std::make_shared<Model::Manager>(version, tvApi, nullptr);
//   manager->ResetTessaryApi(browser);   // the browser panel hands over its page
//   manager->Attach(palette);            // the palette hears the events
#include <exception>
#include <iosfwd>
#include <memory>

#include "Model/AddonVersion.hpp"
#include "Model/ConnectionWithSpecificationObserver.hpp"
#include "Model/ManagerObserver.hpp"
#include "Model/SelectionCache.hpp"
#include "PK/Array.hpp"
#include "PK/EventSource.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"
#include "PK/UniString.hpp"
#include "TVAPI/APIRecords.hpp"
#include "Tessary/Api/AppState.hpp"
#include "Tessary/Api/DocumentState.hpp"
#include "Tessary/Api/Properties.hpp"
#include "Tessary/Api/SelectionState.hpp"
#include "Torvel/Api/TorvelEventSource.hpp"
#include "Util/Formatters.hpp"

namespace TessaryConnect::Api {
class Tessary;
class Torvel;

// A clause-id table of clause properties: {"clause": {...}, ...} in the table's order.
std::ostream& operator<<(std::ostream& os, const PK::HashTable<PK::UniString, Properties>& propertiesByClauseId);
}  // namespace TessaryConnect::Api

namespace TessaryConnect::Model {

class ConnectionWithSpecification;
class ConnectionWithSpecificationFactory;
struct VirtualTypesOfElements;
class PlanData;
class TessaryPtr;

// Ids of the selection state sent to the page: a selection that holds
// elements without a clause, and one that spans several clauses.
extern const PK::UniString selectionContainsUnassociatedElements;
extern const PK::UniString selectionMultipleVirtualTypes;
// Followed by the type and variation codes, the id of an element type whose
// elements no clause covers yet.
extern const PK::UniString UnassociatedTypeIdPrefix;

class Manager : public std::enable_shared_from_this<Manager>,
                public PK::EventSource,
                public Api::TorvelEventObserver,
                public ConnectionWithSpecificationObserver {
public:
    class TessaryCallbacks;

    using ConnectionPtr = std::shared_ptr<ConnectionWithSpecification>;
    using ConstConnectionPtr = std::shared_ptr<const ConnectionWithSpecification>;
    using Connections = PK::Array<ConnectionPtr>;
    using ConstConnections = PK::Array<ConstConnectionPtr>;

    // Reads the project's identity and selection when a project is open, then
    // selects the project's first connection. Without an open project it is
    // made all the same, with an empty plan id.
    Manager(const AddonVersion& version, std::shared_ptr<Api::Torvel> tvApi, std::shared_ptr<Api::Tessary> tessary);
    Manager(const Manager&) = delete;
    Manager& operator=(const Manager&) = delete;
    ~Manager() override;

    const AddonVersion& GetAddonVersion() const { return _addonVersion; }
    std::shared_ptr<Api::Torvel> TVPtr() const { return _tvApi; }
    Api::Torvel& TV() const { return *_tvApi; }
    // The page the manager reaches now; AddonRuntimeError when there is none.
    std::shared_ptr<Api::Tessary> TessaryPtr() const;
    // Points the model (the manager, the factory and every connection) at a new
    // page, or at none. A new page is registered the page callbacks and sent
    // the current selection.
    void ResetTessaryApi(const std::shared_ptr<Api::Tessary>& tessary);

    // Selects the connection; an empty pointer selects the project's first
    // connection, or none. The page hears the new selection state, the
    // observers ManagerEvent_SelectedConnectionChanged.
    void ResetSelectedConnection(ConnectionPtr connection);
    // An empty id selects the project's first connection, or none.
    void SelectConnectionById(const PK::UniString& tessarySpecificationId);
    const ConnectionPtr& GetSelectedConnection() { return _selectedConnection; }
    ConstConnectionPtr GetSelectedConnection() const { return _selectedConnection; }

    // Connects the specification through the classification system: shares
    // the project's identity first, disconnects a connection the
    // specification still has, then makes and selects the new connection.
    // Every refusal reaches the caller (AnotherUserIsInitingThePlanId,
    // ClassificationSystemAlreadyUsedError, the host's access-right errors...).
    void ConnectWithSpecification(const PK::Guid& classificationSystem, const PK::UniString& tessarySpecificationId,
                                  const PK::UniString& tessarySpecificationTitle, const PK::UniString& tessaryProjectId,
                                  const PK::UniString& tessaryProjectTitle);
    // Sends the page the application, document and selection states; nothing without a page.
    void UpdateTessaryStates();

    const PK::UniString& PlanId() const;
    PK::UniString PlanTitle() const;
    const SelectionCache& GetSelection() const { return _selectionCache; }

    // The project's connections. A connection that cannot be loaded is logged
    // and reported to the observers (ManagerEvent_ErrorWhileLoadingConnection;
    // a record that cannot be read once a session); the others are listed.
    // Never throws.
    Connections GetConnections();
    ConstConnections GetConnections() const;
    // The connection of the specification; null when there is none or it
    // cannot be loaded (reported as above). Never throws.
    ConnectionPtr GetConnection(const PK::UniString& tessarySpecificationId);
    ConstConnectionPtr GetConnection(const PK::UniString& tessarySpecificationId) const;

    Api::AppState GetAppState() const;
    Api::DocumentState GetDocumentState() const;
    Api::SelectionState GetSelectionState();

    // The page opened a specification: selects its connection and takes over
    // changed titles.
    void SelectSpecificationAndUpdateTitle(const PK::UniString& tessarySpecificationId,
                                           const PK::UniString& tessarySpecificationTitle,
                                           const PK::UniString& tessaryProjectId,
                                           const PK::UniString& tessaryProjectTitle);

    // The host's request to merge two versions of a module-data entry in team
    // work. Never throws; APIERR_BADPARS for an entry that is not a
    // connection's and for every failure.
    PKErrCode HandleModulDataMergeRequest(API_MDSetCmd command, const PK::UniString& modulDataName,
                                          const API_ModulData* originalInfo, const API_ModulData* toMergeInfo,
                                          API_ModulData* destInfo);

    void Attach(ManagerObserver& observer) { PK::EventSource::Attach(observer); }
    void Detach(ManagerObserver& observer) { PK::EventSource::Detach(observer); }

    // ---- what the manager follows ----
    void ConnEvent_Disconnected(const ConnectionPtr& connection) override;
    void TVEvent_SelectionChanged(const API_Neig* selElemNeig) override;
    void TVEvent_Project_New() override;
    void TVEvent_Project_NewAndReset() override;
    void TVEvent_Project_Open() override;
    void TVEvent_Project_ReceiveChanges() override;
    void TVEvent_Project_Close() override;

    friend std::ostream& operator<<(std::ostream& os, const Manager& manager);

private:
    friend class TessaryCallbacks;

    // Calls the event on every attached ManagerObserver, the latest attached first.
    template <typename Event, typename... Args>
    void Notify(Event event, const Args&... args) const;
    // The factory's look-ups, each failure logged and told to the observers.
    Connections ListConnections() const;
    ConnectionPtr FindConnection(const PK::UniString& tessarySpecificationId) const;
    // Logs the failure being handled and tells the observers; called only inside a catch block.
    void ReportLoadFailure() const;
    // Re-reads the host selection; tells the observers when it changed.
    void UpdateSelectionCache();
    // The page's selection state for what the selected elements carry.
    Api::SelectionState SelectionStateOf(const VirtualTypesOfElements& found) const;
    // The selected connection as its stored record stands now (an undo tells
    // nobody): re-read when the record changed, and given up for the first
    // connection, or none, when the record is gone. Never throws.
    ConnectionPtr SelectedConnectionAsStored();

    AddonVersion _addonVersion;
    std::shared_ptr<Api::Torvel> _tvApi;
    std::shared_ptr<Model::TessaryPtr> _tessaryPtr;
    std::shared_ptr<TessaryCallbacks> _tessaryCallbacks;
    std::shared_ptr<PlanData> _planData;
    std::unique_ptr<ConnectionWithSpecificationFactory> _connectionFactory;
    ConnectionPtr _selectedConnection;
    PK::UniString _selectedSpecId;
    SelectionCache _selectionCache;
};

template <typename Event, typename... Args>
void Manager::Notify(Event event, const Args&... args) const {
    EnumerateObservers([&](PK::EventObserver& entry) {
        if (auto* observer = dynamic_cast<ManagerObserver*>(&entry)) (observer->*event)(args...);
    });
}

// "{_planData:…, _selectedSpecId:…, _selectionCache: elem_count: N, connections: […]}".
std::ostream& operator<<(std::ostream& os, const Manager& manager);

}  // namespace TessaryConnect::Model

TC_OSTREAM_FORMATTER(TessaryConnect::Model::Manager);
template <>
struct fmt::formatter<PK::HashTable<PK::UniString, TessaryConnect::Api::Properties>> : fmt::ostream_formatter {};
