#pragma once
// The one place that makes, finds, loads and merges the project's
// connections. Each connection is stored as one module-data entry
// ("ConnectionWithSpecification:" and the specification id); the factory
// hands out at most one live object per entry, so every part of the add-on
// that asks for a connection gets the same object, while it holds only weak
// references itself: a connection lives as long as somebody uses it.
//
// The manager owns the one factory and forwards to it: connecting, look-ups,
// listing, the host's module-data merge requests in team work, a reset when a
// project is made or opened, and a refresh when team-work changes arrive.
//
// Stored data is never destroyed here. An entry that cannot be read (damaged,
// or written by a newer version of the add-on) is logged with its bytes and
// reported to the caller; a listing skips it and lists the others, and its
// bytes stay as they are, for every member, through loads and merges. Only
// the user's connecting its specification again replaces a damaged one.
#include <memory>
#include <string>

#include "PK/Array.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"
#include "PK/UniString.hpp"
#include "TVAPI/APIRecords.hpp"
#include "Tessary/Api/Properties.hpp"

namespace TessaryConnect::Api {
class Torvel;
}

namespace TessaryConnect::Model {

class ConnectionWithSpecification;
class PlanData;
class TessaryPtr;

class ConnectionWithSpecificationFactory {
public:
    // A stored connection that a listing had to skip: its record cannot be
    // read, or the host refused to hand it over (hostCode is then its code,
    // and only then: bytes that cannot be decoded fail with a code too).
    struct LoadError {
        PK::UniString modulDataName;
        std::string message;
        PKErrCode hostCode = PK::NoError;
    };
    using Connections = PK::Array<std::shared_ptr<ConnectionWithSpecification>>;
    using ConstConnections = PK::Array<std::shared_ptr<const ConnectionWithSpecification>>;

    ConnectionWithSpecificationFactory(std::shared_ptr<Api::Torvel> tvApi, std::shared_ptr<TessaryPtr> tessaryPtr,
                                       std::shared_ptr<PlanData> planData);
    ConnectionWithSpecificationFactory(const ConnectionWithSpecificationFactory&) = delete;
    ConnectionWithSpecificationFactory& operator=(const ConnectionWithSpecificationFactory&) = delete;
    ~ConnectionWithSpecificationFactory();

    // Connects the project with the specification through the classification
    // system, as one undo step. Refuses, before changing anything, with
    // ClassificationSystemAlreadyUsedError or
    // ConnectionAlreadyExistsForSpecificationInPlanError (carrying the
    // connection in the way) and, in team work without the reservation of
    // classifications and properties, Api::ErrorPropertyManagerNoAccessRight.
    // A connection the host would not hand over may use the system too: its
    // error is thrown, as the check cannot be made. Another connection whose
    // record cannot be read does not stop it; the specification's own damaged
    // record is replaced, while one a newer version wrote refuses with its
    // read error.
    // An error inside the command reaches the caller with its own type after
    // the command has undone nothing but the connection's own property group;
    // a command the host does not run at all throws AddonRuntimeError.
    std::shared_ptr<ConnectionWithSpecification> Cmd_Connect(const PK::Guid& classificationSystem,
                                                             const PK::UniString& tessarySpecificationId,
                                                             const PK::UniString& tessarySpecificationTitle,
                                                             const PK::UniString& tessaryProjectId,
                                                             const PK::UniString& tessaryProjectTitle);

    // Every stored connection of the project that can be read, in the host's
    // order of the entries; with loadErrors, the ones that cannot be read are
    // added there. Without an open project, what was found so far.
    Connections GetAll(PK::Array<LoadError>* loadErrors = nullptr);
    ConstConnections GetAllConst(PK::Array<LoadError>* loadErrors = nullptr);
    // The live connection, loaded as needed, or re-read when its stored bytes
    // changed under it (RefreshIfStoredChanged); null when there is none (or
    // it is marked deleted and nothing is stored for it). Read errors are
    // thrown; with loadErrors, one that cannot be loaded is null and added
    // there as GetAll adds it.
    std::shared_ptr<ConnectionWithSpecification> GetById(const PK::UniString& specId,
                                                         PK::Array<LoadError>* loadErrors = nullptr);
    std::shared_ptr<ConnectionWithSpecification> GetByModulDataName(const PK::UniString& modulDataName);
    // A connection newly read from its entry; null when there is no entry.
    // Read errors are logged with the stored bytes and thrown.
    std::shared_ptr<ConnectionWithSpecification> Load(const PK::UniString& modulDataName);
    Connections GetAllLoaded() const;

    static bool IsModulDataOfThisType(const PK::UniString& modulDataName);

    // Every live connection re-reads its stored data (after a team-work receive).
    // A connection that this member had loaded and nobody holds now is loaded
    // again when the receive changed its clauses' values, and kept until
    // TakeConnectionsWithReceivedValues.
    void RefreshLoadedFromStored();
    // The live connections with clauses whose values a receive changed
    // (ConnectionWithSpecification::HasReceivedValues); lets go of those kept for it.
    Connections TakeConnectionsWithReceivedValues();
    // Whether the user is yet to hear of the failure, and from now on has:
    // a record that cannot be read is news once a session (until Reset, or
    // until it is read or replaced), the host's refusal every time.
    bool TellOnce(const LoadError& error);

    // Forgets every connection (a project was made or opened).
    void Reset();

    // The host's merge request for one connection's entry: the stored and
    // the incoming version become one in the destination. Never throws;
    // APIERR_BADPARS for a missing record, NoError otherwise.
    PKErrCode ModulDataMerge(API_MDSetCmd command, const PK::UniString& modulDataName,
                             const API_ModulData* originalInfo, const API_ModulData* toMergeInfo,
                             API_ModulData* destInfo);

    // The connections whose records list property groups a merge replaced:
    // the live ones, and those that a merge or a load left so while nobody
    // holds them now. Read errors are logged and the entry skipped.
    Connections TakeConnectionsWithReplacedGroups();

private:
    std::shared_ptr<ConnectionWithSpecification> NewEmptyConnection() const;
    // GetByModulDataName and Load; a failure thrown with unreadable set is
    // the record's own (the host handed its bytes over), otherwise the host's.
    std::shared_ptr<ConnectionWithSpecification> Find(const PK::UniString& modulDataName, bool& unreadable);
    std::shared_ptr<ConnectionWithSpecification> Load(const PK::UniString& modulDataName, bool& unreadable);
    // Holds the connection as the live one of the entry, with its clauses' values kept for the entry.
    void Cache(const PK::UniString& modulDataName, const std::shared_ptr<ConnectionWithSpecification>& connection);
    // Find, with a failure added to loadErrors rather than thrown (but for a project that is gone).
    std::shared_ptr<ConnectionWithSpecification> FindOrSkip(const PK::UniString& modulDataName,
                                                            PK::Array<LoadError>& loadErrors);

    std::shared_ptr<Api::Torvel> _tvApi;
    std::shared_ptr<TessaryPtr> _tessaryPtr;
    std::shared_ptr<PlanData> _planData;
    PK::HashTable<PK::UniString, std::weak_ptr<ConnectionWithSpecification>> _loadedConnections;
    // The entries that cannot be read whose failure the user has heard of.
    PK::HashSet<PK::UniString> _toldUnreadable;
    // Module-data names whose records a merge or a load found listing replaced property groups, since
    // TakeConnectionsWithReplacedGroups: a connection nobody holds is not passed over at the next receive.
    PK::HashSet<PK::UniString> _withReplacedGroups;
    // By entry, the clauses' values as its connection last wrote or read them; kept after the connection is gone.
    PK::HashTable<PK::UniString, std::shared_ptr<PK::HashTable<PK::UniString, Api::Properties>>> _clauseValuesSeen;
    // Connections nobody held whose clauses' values a receive changed, until TakeConnectionsWithReceivedValues.
    Connections _withReceivedValues;
};

}  // namespace TessaryConnect::Model
