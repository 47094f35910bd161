#include "Model/ConnectionWithSpecificationFactory.hpp"

#include <new>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Errors.hpp"
#include "Util/AddonRuntimeError.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Api/ModulDataWrapper.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::Model {

namespace {

// The destination takes the source's version, platform and a copy of its bytes.
void CopyRecord(const API_ModulData& source, API_ModulData& destination) {
    destination.dataVersion = source.dataVersion;
    destination.platformSign = source.platformSign;
    destination.dataHdl = nullptr;
    if (source.dataHdl != nullptr && BMHandleToHandle(source.dataHdl, &destination.dataHdl) != PK::NoError)
        throw std::bad_alloc();
}

}  // namespace

ConnectionWithSpecificationFactory::ConnectionWithSpecificationFactory(std::shared_ptr<Api::Torvel> tvApi,
                                                                       std::shared_ptr<TessaryPtr> tessaryPtr,
                                                                       std::shared_ptr<PlanData> planData)
    : _tvApi(std::move(tvApi)), _tessaryPtr(std::move(tessaryPtr)), _planData(std::move(planData)) {}

ConnectionWithSpecificationFactory::~ConnectionWithSpecificationFactory() { _loadedConnections.Clear(); }

std::shared_ptr<ConnectionWithSpecification> ConnectionWithSpecificationFactory::NewEmptyConnection() const {
    return std::make_shared<ConnectionWithSpecification>(_tvApi, _tessaryPtr, _planData);
}

// ---- connecting ----

std::shared_ptr<ConnectionWithSpecification> ConnectionWithSpecificationFactory::Cmd_Connect(
    const PK::Guid& classificationSystem, const PK::UniString& tessarySpecificationId,
    const PK::UniString& tessarySpecificationTitle, const PK::UniString& tessaryProjectId,
    const PK::UniString& tessaryProjectTitle) {
    PK::Array<LoadError> skipped;
    for (const auto& connection : GetAll(&skipped))
        if (connection->ClassificationSystem().Guid() == classificationSystem)
            throw ClassificationSystemAlreadyUsedError(connection);
    // A connection the host would not hand over may use the system. A record
    // that cannot be read stays skipped: it would block connecting for good.
    for (const LoadError& error : skipped)
        if (error.hostCode != PK::NoError) _MapPKErrCodeAndThrow(error.hostCode);
    const PK::UniString modulDataName = ConnectionWithSpecification::GetModulDataNameForSpecId(tessarySpecificationId);
    std::shared_ptr<ConnectionWithSpecification> existing;
    bool unreadable = false;
    try {
        existing = Find(modulDataName, unreadable);
    } catch (const Error::VersionIncompatibility&) {
        // A newer version wrote it for the whole team: never stored over.
        throw;
    } catch (...) {
        if (!unreadable) throw;
        // Connecting the specification again is the user's way out of a damaged record.
        LOG_WARN("Connecting replaces the stored record that cannot be read: {}", modulDataName);
    }
    if (existing != nullptr) throw ConnectionAlreadyExistsForSpecificationInPlanError(existing);
    if (_tvApi->TeamworkControl_HasConnection()) {
        const PK::Guid objectSet =
            _tvApi->TeamworkControl_FindLockableObjectSet(Api::Torvel::ObjectSet::ClassificationsAndProperties);
        if (_tvApi->TeamworkControl_GetLockableStatus(objectSet, nullptr) != APILockableStatus_Editable)
            throw Api::ErrorPropertyManagerNoAccessRight();
    }
    const PK::UniString name = ConnectionWithSpecification::ResolveVariables(
        _tvApi->GetResource(Util::Resource::Of(Util::Resource::UndoName::Connect)), tessarySpecificationId,
        tessarySpecificationTitle, tessaryProjectId, tessaryProjectTitle);

    std::shared_ptr<ConnectionWithSpecification> connection;
    try {
        // A failure, or a command the host did not run, throws: returning
        // nothing would leave the user believing the specification was connected.
        _tvApi->Helper_CallCommandAndRethrow(Api::Torvel::CommandKind::Undoable, name, [&] {
            connection = std::make_shared<ConnectionWithSpecification>(
                _tvApi, _tessaryPtr, _planData, classificationSystem, tessarySpecificationId, tessarySpecificationTitle,
                tessaryProjectId, tessaryProjectTitle);
        });
        Cache(connection->GetModulDataName(), connection);
        _toldUnreadable.Delete(connection->GetModulDataName());
        return connection;
    } catch (const std::exception& e) {
        LOG_ERROR("shouldn't be here: {}", e);
        throw;
    } catch (...) {
        LOG_ERROR("shouldn't be here");
        throw;
    }
}

// ---- look-ups ----

ConnectionWithSpecificationFactory::Connections ConnectionWithSpecificationFactory::GetAll(
    PK::Array<LoadError>* loadErrors) {
    Connections connections;
    PK::Array<LoadError> unreported;
    try {
        for (const PK::UniString& name : _tvApi->ModulData_GetList()) {
            if (!ConnectionWithSpecification::IsModulDataNameOfThisType(name)) continue;
            // One entry that cannot be read must not hide the others.
            if (auto connection = FindOrSkip(name, loadErrors != nullptr ? *loadErrors : unreported))
                connections.Push(std::move(connection));
        }
    } catch (const Api::Error<APIERR_NOPLAN>&) {
        // no project: what was found so far
    }
    return connections;
}

std::shared_ptr<ConnectionWithSpecification> ConnectionWithSpecificationFactory::FindOrSkip(
    const PK::UniString& modulDataName, PK::Array<LoadError>& loadErrors) {
    bool unreadable = false;
    try {
        return Find(modulDataName, unreadable);
    } catch (const Api::Error<APIERR_NOPLAN>&) {
        throw;
    } catch (const Api::GeneralError& e) {
        // Bytes that cannot be decoded fail with a code as well, which is not the host's refusal.
        loadErrors.Push({modulDataName, e.what(), unreadable ? PK::NoError : e.GetCode()});
    } catch (const std::exception& e) {
        loadErrors.Push({modulDataName, e.what()});
    } catch (...) {
        loadErrors.Push({modulDataName, "unknown exception"});
    }
    return nullptr;
}

ConnectionWithSpecificationFactory::ConstConnections ConnectionWithSpecificationFactory::GetAllConst(
    PK::Array<LoadError>* loadErrors) {
    ConstConnections connections;
    for (auto& connection : GetAll(loadErrors)) connections.Push(std::move(connection));
    return connections;
}

// The parameter's name is part of the assertion's log line.
std::shared_ptr<ConnectionWithSpecification> ConnectionWithSpecificationFactory::GetById(
    const PK::UniString& specId, PK::Array<LoadError>* loadErrors) {
    // clang-format off
    if (!TC_ASSERT(err, !specId.IsEmpty())) return nullptr;
    // clang-format on
    const PK::UniString modulDataName = ConnectionWithSpecification::GetModulDataNameForSpecId(specId);
    return loadErrors != nullptr ? FindOrSkip(modulDataName, *loadErrors) : GetByModulDataName(modulDataName);
}

std::shared_ptr<ConnectionWithSpecification> ConnectionWithSpecificationFactory::GetByModulDataName(
    const PK::UniString& modulDataName) {
    bool unreadable = false;
    return Find(modulDataName, unreadable);
}

std::shared_ptr<ConnectionWithSpecification> ConnectionWithSpecificationFactory::Find(
    const PK::UniString& modulDataName, bool& unreadable) {
    // clang-format off
    if (!TC_ASSERT(err, !modulDataName.IsEmpty())) return nullptr;
    // clang-format on
    std::weak_ptr<ConnectionWithSpecification>* cached = _loadedConnections.GetPtr(modulDataName);
    if (cached == nullptr) {
        auto connection = Load(modulDataName, unreadable);
        if (connection != nullptr) Cache(modulDataName, connection);
        return connection;
    }
    // Connections hold their own shared pointers to the host, the page and
    // the project identity, so a cached one needs no check of those links.
    if (auto live = cached->lock()) {
        // An undone step may have restored its record, or taken it away.
        live->RefreshIfStoredChanged();
        if (!live->IsDeleted()) return live;
        // Its entry may be back: a team member connected the specification again.
        auto reloaded = Load(modulDataName, unreadable);
        if (reloaded != nullptr) Cache(modulDataName, reloaded);
        return reloaded;
    }
    auto reloaded = Load(modulDataName, unreadable);
    if (reloaded != nullptr) {
        Cache(modulDataName, reloaded);
    } else {
        _loadedConnections.Delete(modulDataName);
        _clauseValuesSeen.Delete(modulDataName);
    }
    return reloaded;
}

void ConnectionWithSpecificationFactory::Cache(const PK::UniString& modulDataName,
                                               const std::shared_ptr<ConnectionWithSpecification>& connection) {
    _loadedConnections.Put(modulDataName, connection);
    if (!connection->PropertyGroup().GetReplacedGroups().IsEmpty()) _withReplacedGroups.Add(modulDataName);
    std::shared_ptr<ConnectionWithSpecification::ClauseValues>* seen = _clauseValuesSeen.GetPtr(modulDataName);
    if (seen == nullptr) {
        _clauseValuesSeen.Add(modulDataName, std::make_shared<ConnectionWithSpecification::ClauseValues>());
        seen = _clauseValuesSeen.GetPtr(modulDataName);
    }
    connection->KeepClauseValuesIn(*seen);
}

std::shared_ptr<ConnectionWithSpecification> ConnectionWithSpecificationFactory::Load(
    const PK::UniString& modulDataName) {
    bool unreadable = false;
    return Load(modulDataName, unreadable);
}

std::shared_ptr<ConnectionWithSpecification> ConnectionWithSpecificationFactory::Load(
    const PK::UniString& modulDataName, bool& unreadable) {
    if (!ConnectionWithSpecification::IsModulDataNameOfThisType(modulDataName)) {
        TC_ASSERT_FAILED(err, "ConnectionWithSpecification:: IsModulDataNameOfThisType(modulDataName)");
        TC_THROW_RUNTIME("assert");
    }
    Api::ModulDataWrapper data;
    try {
        if (!_tvApi->ModulData_Get(modulDataName, *data.GetPtr())) {
            LOG_INFO("No modul data for: {}", modulDataName);
            return nullptr;
        }
    } catch (const Api::Error<APIERR_NOMODULEDATA>& e) {
        LOG_INFO("No modul data for: {}, {}", modulDataName, e);
        return nullptr;
    }
    auto connection = NewEmptyConnection();
    // The stored bytes stay as they are when they cannot be read: a newer
    // version of the add-on may have written them, for every team member.
    try {
        if (!connection->ReadStored(data)) {
            LOG_INFO("No modul data for: {}", modulDataName);
            return nullptr;
        }
    } catch (const std::exception& e) {
        unreadable = true;
        LOG_DEBUG("modulDataName: {}, data: {}", modulDataName, data.ToHexEncodedString());
        LOG_ERROR("ConnectionWithSpecification read error: {}", e);
        throw;
    } catch (...) {
        unreadable = true;
        LOG_DEBUG("type: name: {}, data: {}", modulDataName, data.ToHexEncodedString());
        LOG_ERROR("ConnectionWithSpecification read error: unknown exception ");
        throw;
    }
    _toldUnreadable.Delete(modulDataName);
    LOG_INFO("Loaded: {}: {}", modulDataName, *connection);
    return connection;
}

ConnectionWithSpecificationFactory::Connections ConnectionWithSpecificationFactory::GetAllLoaded() const {
    Connections connections;
    for (const auto& [name, cached] : _loadedConnections)
        if (auto connection = cached.lock()) connections.Push(std::move(connection));
    return connections;
}

bool ConnectionWithSpecificationFactory::IsModulDataOfThisType(const PK::UniString& modulDataName) {
    return ConnectionWithSpecification::IsModulDataNameOfThisType(modulDataName);
}

// ---- team work ----

void ConnectionWithSpecificationFactory::RefreshLoadedFromStored() {
    // Every live connection is refreshed even when one fails: a stale one
    // would store its old state over what was just received.
    std::exception_ptr firstFailure;
    for (const auto& connection : GetAllLoaded()) {
        try {
            connection->RefreshFromStored();
        } catch (...) {
            if (!firstFailure) firstFailure = std::current_exception();
        }
    }
    // A connection nobody holds is read again only when this member has seen
    // it: its clauses' values as last seen tell whether the receive changed
    // them, and then it is kept until its elements follow.
    PK::Array<std::pair<PK::UniString, std::shared_ptr<ConnectionWithSpecification::ClauseValues>>> unheld;
    for (const auto& [name, seen] : _clauseValuesSeen) {
        const std::weak_ptr<ConnectionWithSpecification>* cached = _loadedConnections.GetPtr(name);
        if (cached == nullptr || cached->expired()) unheld.Push({name, seen});
    }
    for (const auto& [name, seen] : unheld) {
        const ConnectionWithSpecification::ClauseValues before = *seen;
        try {
            std::shared_ptr<ConnectionWithSpecification> connection = GetByModulDataName(name);
            if (connection == nullptr) continue;
            connection->NoteReceivedValues(before);
            if (connection->HasReceivedValues()) _withReceivedValues.Push(std::move(connection));
        } catch (...) {
            // Told once: the next receive does not try it again.
            _clauseValuesSeen.Delete(name);
            TC_LOG_CAUGHT(err, "; modulDataName: {}", name);
        }
    }
    if (firstFailure) std::rethrow_exception(firstFailure);
}

ConnectionWithSpecificationFactory::Connections
ConnectionWithSpecificationFactory::TakeConnectionsWithReceivedValues() {
    Connections result;
    for (std::shared_ptr<ConnectionWithSpecification>& connection : GetAllLoaded())
        if (connection->HasReceivedValues()) result.Push(std::move(connection));
    _withReceivedValues.Clear();
    return result;
}

bool ConnectionWithSpecificationFactory::TellOnce(const LoadError& error) {
    return error.hostCode != PK::NoError || _toldUnreadable.Add(error.modulDataName);
}

void ConnectionWithSpecificationFactory::Reset() {
    _loadedConnections.Clear();
    _clauseValuesSeen.Clear();
    _withReceivedValues.Clear();
    _toldUnreadable.Clear();
}

PKErrCode ConnectionWithSpecificationFactory::ModulDataMerge(API_MDSetCmd command, const PK::UniString& modulDataName,
                                                             const API_ModulData* originalInfo,
                                                             const API_ModulData* toMergeInfo,
                                                             API_ModulData* destInfo) {
    LOG_TRACE("ModulDataMerge: {}", modulDataName);
    if (originalInfo == nullptr || toMergeInfo == nullptr || destInfo == nullptr) {
        TC_ASSERT_FAILED(err,
                         "originalInfo != nullptr && toMergeInfo != nullptr && destInfo != nullptr, originalInfo != "
                         "nullptr({}), toMergeInfo != nullptr({}), modulDataName({})",
                         originalInfo != nullptr ? 1 : 0, toMergeInfo != nullptr ? 1 : 0, modulDataName);
        return APIERR_BADPARS;
    }
    try {
        if (command != APIMDSetMerge_TW) {
            CopyRecord(*originalInfo, *destInfo);
            return NoError;
        }
        if (originalInfo->dataHdl == nullptr) {
            TC_ASSERT_FAILED(err, "originalInfo->dataHdl != nullptr, modulDataName({})", modulDataName);
            CopyRecord(*toMergeInfo, *destInfo);
            return NoError;
        }
        if (toMergeInfo->dataHdl == nullptr) {
            TC_ASSERT_FAILED(err, "toMergeInfo->dataHdl != nullptr, modulDataName({})", modulDataName);
            CopyRecord(*originalInfo, *destInfo);
            return NoError;
        }
    } catch (const std::exception& e) {
        LOG_ERROR("exception: {}", e);
        return APIERR_MEMFULL;
    }

    try {
        std::shared_ptr<ConnectionWithSpecification> target;
        if (const auto* cached = _loadedConnections.GetPtr(modulDataName)) target = cached->lock();
        // A connection marked deleted speaks no longer for the entry, nor does
        // one whose record an undone step restored meanwhile (the host tells
        // nobody of an undo): what is stored does.
        if (target != nullptr && (target->IsDeleted() || !target->IsAsStored(*originalInfo))) target.reset();
        LOG_INFO("MergeIn: {}, has loaded: {}", modulDataName, target != nullptr ? 1 : 0);
        // Read through the records, which know the byte order of the member that wrote them.
        const Api::ModulDataWrapper stored(*originalInfo);
        const Api::ModulDataWrapper incoming(*toMergeInfo);
        if (target == nullptr) {
            target = NewEmptyConnection();
            if (!stored.FillObject(*target)) {
                CopyRecord(*toMergeInfo, *destInfo);
                return NoError;
            }
        }
        auto toMerge = NewEmptyConnection();
        try {
            if (!incoming.FillObject(*toMerge)) {
                CopyRecord(*originalInfo, *destInfo);
                return NoError;
            }
        } catch (const Error::VersionIncompatibility& e) {
            // A newer version of the add-on wrote it, which this one cannot
            // merge: kept whole rather than lost.
            LOG_ERROR("exception: {}", e);
            CopyRecord(*toMergeInfo, *destInfo);
            return NoError;
        }
        target->MergeIn(*toMerge);
        if (!target->PropertyGroup().GetReplacedGroups().IsEmpty()) _withReplacedGroups.Add(modulDataName);
        Api::ModulDataWrapper::CreateForObject(*target).Release(*destInfo);
        return NoError;
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    try {
        CopyRecord(*originalInfo, *destInfo);
    } catch (const std::exception& e) {
        LOG_ERROR("exception: {}", e);
        return APIERR_MEMFULL;
    }
    return NoError;
}

ConnectionWithSpecificationFactory::Connections
ConnectionWithSpecificationFactory::TakeConnectionsWithReplacedGroups() {
    PK::HashSet<PK::UniString> names = std::move(_withReplacedGroups);
    _withReplacedGroups.Clear();
    for (const auto& [name, weak] : _loadedConnections) {
        const std::shared_ptr<ConnectionWithSpecification> connection = weak.lock();
        if (connection != nullptr && !connection->PropertyGroup().GetReplacedGroups().IsEmpty()) names.Add(name);
    }
    Connections result;
    for (const PK::UniString& name : names) {
        try {
            std::shared_ptr<ConnectionWithSpecification> connection = GetByModulDataName(name);
            if (connection != nullptr && !connection->PropertyGroup().GetReplacedGroups().IsEmpty())
                result.Push(std::move(connection));
        } catch (...) {
            TC_LOG_CAUGHT(err, "; modulDataName: {}", name);
        }
    }
    return result;
}

}  // namespace TessaryConnect::Model
