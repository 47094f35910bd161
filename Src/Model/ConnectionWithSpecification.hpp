#pragma once
// One connection of the Torvel project with one Orvo Tessary specification:
// the classification system whose items stand for the clauses, the property
// group whose definitions carry the clause values on elements, one virtual
// type per clause in use, the issues met while changing the project, and the
// elements no clause covers yet. A connection lives in the project as a
// module-data entry of its own, named after its specification id.
//
// A connection is always owned by a std::shared_ptr (its observers receive
// it with every event) and is never copied: its parts keep a reference to it.
// It holds its own shared pointers to the host interface, the page reference
// and the project identity, so it stays usable for as long as anybody holds
// it (a posted alert, an issue row, an exception carrying it).
//
// Reading a stored record is all or nothing: a record that cannot be read
// (truncated, damaged, written by a newer version) leaves the connection as
// it was, so nothing half-read can be stored back. Only the issues are read
// more forgivingly: an issue list that cannot be read becomes one issue
// naming the problem.
//
// The stored record also changes under the connection's feet when the user
// undoes one of its steps (the host restores the record as it was before the
// step and tells nobody). The connection remembers the bytes it last wrote or
// read; before it acts it compares them with the stored ones and, where they
// differ, re-reads the record (RefreshIfStoredChanged), so that it never
// writes an undone state back over the restored one.
//
// In team work the stored record changes under the connection's feet: after
// a receive it re-reads itself (RefreshFromStored), and when two members
// changed it the host has the factory merge the two versions (MergeIn): the
// incoming version's names, ids, group and marks win (but a group the
// project no longer has never wins over one it has), virtual types form a
// union (a clause both hold keeps the values changed last), issues merge by
// the collection's own rules. A group of this version's that the incoming
// one replaces stays listed in the record until a step after a receive, or
// a command run while holding the reservation of properties, has carried its
// elements' clause values over and deleted it
// (Cmd_TakeOverReplacedPropertyGroups). A record that a newer
// version of the add-on wrote is never written over: a connection that finds
// its record turned into one stops being usable (it counts as deleted).
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <vector>

#include "Model/ClassificationSystem.hpp"
#include "Model/ConnectionWithSpecificationObserver.hpp"
#include "Model/Element.hpp"
#include "Model/Issue/Collection.hpp"
#include "Model/PropertyGroup.hpp"
#include "Model/UnassociatedElementsCache.hpp"
#include "Model/VirtualType.hpp"
#include "PK/Channel.hpp"
#include "PK/EventSource.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"
#include "PK/UniString.hpp"
#include "TVAPI/APIRecords.hpp"
#include "Util/Formatters.hpp"
#include "Util/Placeholders.hpp"

namespace TessaryConnect::Api {
class ModulDataWrapper;
class Torvel;
}  // namespace TessaryConnect::Api

namespace TessaryConnect::Model {

class PlanData;
class TessaryPtr;

namespace Issue {
class BaseWithText;
}

// The virtual types a set of elements carries, and the elements that carry none.
struct VirtualTypesOfElements {
    PK::Array<std::shared_ptr<VirtualType>> virtualTypes;  // each at most once
    PK::Array<PK::Guid> unassociatedElements;              // in the order given
};

class ConnectionWithSpecification : public PK::EventSource,
                                    public std::enable_shared_from_this<ConnectionWithSpecification> {
public:
    using VirtualTypes = PK::HashTable<PK::UniString, std::shared_ptr<VirtualType>>;
    // Each clause's values, by clause id.
    using ClauseValues = PK::HashTable<PK::UniString, Api::Properties>;

    static const PK::ClassInfo classInfo;
    // Every connection's module-data name begins with it.
    static const PK::UniString modulDataNamePrefix;

    // An empty connection, to be filled by Read; touches neither host nor page.
    ConnectionWithSpecification(const std::shared_ptr<Api::Torvel>& tvApi,
                                const std::shared_ptr<TessaryPtr>& tessaryPtr,
                                const std::shared_ptr<PlanData>& planData);
    // A new connection: creates its property group with the clause
    // definitions, tells the page and stores itself. Runs inside a host
    // command; host errors and Error::MissingClassificationSystem leave it.
    ConnectionWithSpecification(const std::shared_ptr<Api::Torvel>& tvApi,
                                const std::shared_ptr<TessaryPtr>& tessaryPtr,
                                const std::shared_ptr<PlanData>& planData, const PK::Guid& classificationSystem,
                                const PK::UniString& tessarySpecificationId,
                                const PK::UniString& tessarySpecificationTitle, const PK::UniString& tessaryProjectId,
                                const PK::UniString& tessaryProjectTitle);
    ConnectionWithSpecification(const ConnectionWithSpecification&) = delete;
    ConnectionWithSpecification& operator=(const ConnectionWithSpecification&) = delete;
    ~ConnectionWithSpecification() override;

    Api::Torvel& TV() const { return *_tvApi; }
    std::shared_ptr<Api::Torvel> TVPtr() const { return _tvApi; }
    Model::PropertyGroup& PropertyGroup() { return _propertyGroup; }
    const Model::PropertyGroup& PropertyGroup() const { return _propertyGroup; }
    const Model::ClassificationSystem& ClassificationSystem() const { return _classificationSystem; }
    // Usable through a const connection too: a rebuild changes no stored state.
    Model::UnassociatedElementsCache& UnassociatedElementsCache() const { return _unassociatedElementsCache; }

    const PK::UniString& Id() const { return _tessarySpecificationId; }
    const PK::UniString& TessarySpecificationId() const { return _tessarySpecificationId; }
    const PK::UniString& TessarySpecificationTitle() const { return _tessarySpecificationTitle; }
    const PK::UniString& TessaryProjectId() const { return _tessaryProjectId; }
    const PK::UniString& TessaryProjectTitle() const { return _tessaryProjectTitle; }
    bool IsDisconnected() const { return _markedAsDisconnected; }
    bool IsDeleted() const { return _markedAsDeleted; }
    PK::UniString GetModulDataName() const;

    static bool IsModulDataNameOfThisType(const PK::UniString& name);
    static PK::UniString GetModulDataNameForSpecId(const PK::UniString& tessarySpecificationId);
    // {OrvoTessarySpecificationId}, {OrvoTessarySpecificationTitle},
    // {OrvoTessaryProjectId} and {OrvoTessaryProjectTitle} with these values,
    // filled in one pass (Util::FillPlaceholders): a value holding a
    // placeholder keeps it, and the text stays within the fill bound.
    static Util::Fills PlaceholderFills(const PK::UniString& tessarySpecificationId,
                                        const PK::UniString& tessarySpecificationTitle,
                                        const PK::UniString& tessaryProjectId,
                                        const PK::UniString& tessaryProjectTitle);
    static PK::UniString ResolveVariables(const PK::UniString& text, const PK::UniString& tessarySpecificationId,
                                          const PK::UniString& tessarySpecificationTitle,
                                          const PK::UniString& tessaryProjectId,
                                          const PK::UniString& tessaryProjectTitle);
    // With this connection's values; a non-empty new title stands for the stored one.
    Util::Fills PlaceholderFills(const PK::UniString& newSpecificationTitle,
                                 const PK::UniString& newProjectTitle) const;
    PK::UniString ResolveVariables(const PK::UniString& text, const PK::UniString& newSpecificationTitle,
                                   const PK::UniString& newProjectTitle) const;

    void Attach(ConnectionWithSpecificationObserver& observer) { PK::EventSource::Attach(observer); }
    void Detach(ConnectionWithSpecificationObserver& observer) { PK::EventSource::Detach(observer); }

    // Writes the connection into its module data; refused (and logged) once it is marked deleted.
    void Store() const;
    PKErrCode Write(PK::OChannel& oc) const;
    PKErrCode Read(PK::IChannel& ic);
    // Read from a stored record, whose bytes the connection then holds as
    // the ones it last saw. False for a record without data; read errors are thrown.
    bool ReadStored(const Api::ModulDataWrapper& record);

    // The clauses' values as the connection holds them.
    ClauseValues GetClauseValues() const;
    // From now on, seen holds the clauses' values as the connection last
    // wrote or read its record, also once the connection is gone: the factory
    // compares a receive's record with them for a connection nobody held.
    void KeepClauseValuesIn(std::shared_ptr<ClauseValues> seen);
    // Notes each clause whose values differ from those it had before, for
    // Cmd_UpdateElementsToReceivedValues; a clause it did not have is left out.
    void NoteReceivedValues(const ClauseValues& before);
    // The same for one clause the connection has, with its values before.
    void NoteReceivedValues(const PK::UniString& clauseId, const Api::Properties& before);
    bool HasReceivedValues() const { return !_clausesWithReceivedValues.IsEmpty(); }

    // Re-reads the stored record after a team-work receive, noting the clauses
    // whose values changed (NoteReceivedValues). A record that is
    // gone marks the connection deleted; one that cannot be read is logged
    // and the connection keeps what it had, except that a record of a newer
    // version marks it deleted too, so that nothing is stored over it.
    // Other host errors of the look-up are passed on.
    void RefreshFromStored();
    // The same, but only when the stored bytes differ from those the
    // connection last wrote or read (an undone step restored them, or a
    // receive brought others): a record that is gone marks it deleted. Does
    // nothing for a connection marked deleted, nor for one that has neither
    // written nor read its record. Host errors of the look-up
    // other than a missing entry are passed on. True when it re-read or
    // found the record gone.
    bool RefreshIfStoredChanged();
    // Whether the record holds the bytes this connection last wrote or read;
    // false also for one that has neither written nor read its record.
    bool IsAsStored(const API_ModulData& record) const;
    // Takes in another version of the same connection (another member's).
    // True when the virtual-type list, a clause's values or the issue list
    // changed; a clause whose values changed is noted as by RefreshFromStored.
    bool MergeIn(const ConnectionWithSpecification& toMerge);

    // Which of this connection's virtual types the elements carry, by their
    // clause-id value; elements without one are unassociated. Never throws.
    VirtualTypesOfElements FindVirtualTypeIdsForElements(const PK::Array<PK::Guid>& elements);

    // FindVirtualTypeIdsForElements learnt one element at a time, for a pass
    // over the elements that asks the host other things of each as well (the
    // selection cache's): the clause-id definition is looked up once, before
    // the first element, and nothing is allocated per element. The connection
    // must outlive the tally.
    class ClauseTally {
    public:
        explicit ClauseTally(ConnectionWithSpecification& connection);
        // Looks the clause-id definition up now rather than at the first element.
        void Begin();
        // Never throws.
        void Add(const PK::Guid& element);
        // The virtual types and unassociated elements of the elements added;
        // elements are those elements, for the log.
        VirtualTypesOfElements Result(const PK::Array<PK::Guid>& elements);

    private:
        ConnectionWithSpecification& _connection;
        bool _begun = false;
        bool _stopped = false;          // a failure no element explains ended the tally
        bool _allUnassociated = false;  // the group has no clause-id definition
        PK::Guid _definition;
        std::optional<Model::PropertyGroup::ClauseIdReader> _reader;
        PK::HashSet<PK::UniString> _clauseIds;
        VirtualTypesOfElements _result;
    };
    // The elements associated with the clause; empty when that failed. Never throws.
    PK::Array<PK::Guid> GetAssociatedElements(const PK::UniString& tessaryClauseId);

    // Runs the body; whatever it throws becomes an access-right event, a
    // recorded issue (with ConnEvent_IssueWereThrown for an error carrying
    // one) or an Issue::UnknownError. True when the body returned normally.
    bool HandleExceptions(const std::function<void()>& body);
    // HandleExceptions inside one named undoable host command; false also
    // when the host did not run the command.
    bool CallUndoableCmd(const PK::UniString& name, const std::function<void()>& body);
    // The same outside the undo history.
    bool CallCmd(const PK::UniString& name, const std::function<void()>& body);

    // Removes the property group and the stored record (telling the page when
    // asked), marks the connection deleted and tells the observers, as one
    // undo step. True when the connection is now deleted.
    bool Cmd_Disconnect(bool tellPage);

    // The clause's virtual type; one the connection lacks is made, filed,
    // stored and announced first (the first step of associating elements
    // with a clause). Throws as the virtual type's construction does
    // (Error::MissingClassificationItem for a code no item has).
    VirtualType& GetOrCreateVirtualType(const PK::UniString& tessaryClauseId, const Api::Properties& properties);

    void MarkAsDisconnected();
    // Tells the page this plan is associated with the specification and
    // clears the disconnected mark; without a page nothing happens.
    void ReconnectWithTessarySpecification();

    bool HasVirtualType(const PK::UniString& tessaryClauseId) const {
        return _virtualTypes.ContainsKey(tessaryClauseId);
    }
    // The table's missing-key error for a clause without virtual type: ask HasVirtualType first.
    const VirtualType& GetVirtualType(const PK::UniString& tessaryClauseId) const;
    VirtualType& GetVirtualType(const PK::UniString& tessaryClauseId);
    void EnumerateVirtualTypes(const std::function<void(const VirtualType&)>& function) const;
    // A clause's virtual type is filed under the whole clause id.
    PK::UniString GetVirtualTypeIdForClauseId(const PK::UniString& tessaryClauseId) const { return tessaryClauseId; }

    // ---- commands: each changes the project inside one named host command ----
    // Nothing thrown inside a command's work leaves it: it becomes an
    // access-right event, a recorded issue or both (HandleExceptions).
    // Cmd_Disconnect stands above. Each but Cmd_Disconnect first catches up
    // with a stored record that changed (RefreshIfStoredChanged) and does
    // nothing once that found the record gone; a host error of that look-up
    // reaches the caller, but for Cmd_AssociateElementsToVirtualType.

    // Renames the property group after changed titles and takes them over;
    // refused for want of the property right, the titles tried become an
    // issue to retry. False when neither title changed (nothing is done).
    bool Cmd_UpdateTitleIfChanged(const PK::UniString& newSpecificationTitle, const PK::UniString& newProjectTitle);
    // As one undo step: makes the clause's virtual type when the connection
    // lacks it, tells the page about it when asked, associates the elements
    // and records what they refused; undoing the step takes all of it back.
    // Skipped on a connection marked disconnected.
    void Cmd_AssociateElementsToVirtualType(const PK::UniString& tessaryClauseId, const Api::Properties& properties,
                                            const PK::Array<PK::Guid>& elements, bool tellPage);
    void Cmd_DisassociateElementsFromVirtualType(const PK::UniString& tessaryClauseId,
                                                 const PK::Array<PK::Guid>& elements);
    // Takes the clause values in; when any changed, force is set or a value is
    // still pending, writes them into the clause's elements as one undo step.
    // The values are taken in outside the command: what that throws reaches the caller.
    void Cmd_UpdateVirtualTypeProperties(const PK::UniString& typeId, const Api::Properties& properties, bool force);
    // Brings the elements of every virtual type up to date under a progress window.
    void Cmd_CheckAndUpdateAllAssociatedElementProperties();
    // As one undo step: the clause values that the elements of the clauses
    // carry only in property groups a team-work merge replaced are written
    // into the kept group, and the replaced groups are deleted. An element
    // that carries another clause in the kept group keeps it and becomes an
    // association issue of the clause it carried in the replaced group. A
    // group stays, to be tried again at the next receive or in the next
    // command run while holding the reservation of properties, while an
    // element cannot take its values (another member's, say), the clause's
    // values cannot be had, or the host refuses the deletion (the properties
    // not reserved); nor is one deleted while another connection's group
    // cannot be told. A listed group that another connection keeps as its own
    // is dropped from the list, never deleted. What is to be done is read
    // first: when nothing can be, no command is run at all.
    void Cmd_TakeOverReplacedPropertyGroups();
    // As one undo step: this member's elements of the clauses whose values a
    // receive changed (RefreshFromStored, MergeIn) take the new values; one
    // that cannot now (locked, on a locked or hidden layer) becomes the issue
    // the member's own update of the clause would give. Another member's
    // elements are left to that member, which writes them when it receives
    // the same values: they become no issue here. What is to be written is
    // read first: when nothing is, no command is run at all. When something
    // is, the changed values are first marked pending in the record, outside
    // the undo history, so that undoing the step leaves them pending.
    void Cmd_UpdateElementsToReceivedValues();

    bool HasTitleChanged(const PK::UniString& specificationTitle, const PK::UniString& projectTitle) const;

    // ---- issues ----

    // The issues with this connection, for the issues panel.
    PK::Array<Issue::BaseWithText> GetIssuesWithText();
    const Issue::Collection& IssueCollection() const { return *_issueCollection; }
    // Records the issues (merged with older ones), refreshes the older issues
    // against the elements just handled, stores and tells the observers when
    // anything changed.
    void AddIssues(Issue::Collection::Issues&& issues, const PK::Array<PK::Guid>& handledElements);
    void AddIssue(std::shared_ptr<Issue::Base> issue);
    // Takes the issue out with a removal stamp, stores the connection and tells
    // its observers; after catching up with a changed record, as the commands do.
    void RemoveIssue(const std::shared_ptr<Issue::Base>& issue);
    // The same for the collection's entry that is this very object; nothing when there is none.
    void RemoveIssue(const Issue::Base& issue);
    // Drops from the issues the elements the host no longer has; catches up first, as the commands do.
    void RefreshIssues();

    // A virtual type of this connection changed: store.
    void _OnlyForVT_VirtualTypeChanged() const;
    // The unassociated-elements cache changed for these types: tell the observers.
    void _OnlyForUC_UnassociatedElementTypeChanged(const PK::HashSet<Element::Type>& types);

    friend std::ostream& operator<<(std::ostream& os, const ConnectionWithSpecification& connection);

private:
    // The stored record, or false after marking the connection deleted when there is none.
    bool FetchStored(Api::ModulDataWrapper& record);
    // Re-reads the connection from the record; read errors are logged, not passed on.
    void RefreshFrom(const Api::ModulDataWrapper& record);
    // What one replaced property group still asks for, as read before the command.
    struct ReplacedGroupWork;
    struct ReplacedGroupsWork;
    // What Cmd_TakeOverReplacedPropertyGroups is to do, read without changing
    // anything but a list that names another connection's group (stored).
    ReplacedGroupsWork PlanTakeOver();
    // The body of Cmd_TakeOverReplacedPropertyGroups, with what was read before it.
    void TakeOverReplacedPropertyGroups(ReplacedGroupsWork& work);
    // Inside a command: the same, when this member holds the reservation of
    // classifications and properties and anything is to be done.
    void TakeOverReplacedPropertyGroupsWhileReserved();
    // Whether this member may delete property groups now.
    bool MayChangePropertyGroups() const;
    // The property groups the project's other connections keep as their own;
    // none when a record cannot be read, as its group cannot be told then.
    std::optional<PK::HashSet<PK::Guid>> GroupsOfOtherConnections() const;
    // Files a virtual type made for a clause it lacks, stores and tells the observers.
    VirtualType& AddVirtualType(std::shared_ptr<VirtualType> virtualType);

    // HandleExceptions for the look-ups, which answer outside any command: the
    // issue a failure becomes is kept, but storing it there is refused by the
    // host, and that refusal must not reach the caller either.
    bool HandleLookUpExceptions(const std::function<void()>& body);

    // Calls the event on each attached connection observer, the latest attached first.
    template <typename Event, typename... Args>
    void Notify(Event event, const Args&... args);

    std::shared_ptr<Api::Torvel> _tvApi;
    std::shared_ptr<TessaryPtr> _tessaryPtr;
    std::shared_ptr<PlanData> _planData;
    bool _markedAsDeleted = false;
    mutable PK::Int32 _lastModificationTime = 0;
    // The record's bytes as this connection last wrote or read them.
    mutable std::vector<char> _knownRecord;
    bool _markedAsDisconnected = false;
    Model::ClassificationSystem _classificationSystem;
    Model::PropertyGroup _propertyGroup;
    // Behind a pointer so that a freshly read list can take the old one's place at once.
    std::unique_ptr<Issue::Collection> _issueCollection;
    PK::UniString _tessarySpecificationId;
    PK::UniString _tessarySpecificationTitle;
    PK::UniString _tessaryProjectId;
    PK::UniString _tessaryProjectTitle;
    VirtualTypes _virtualTypes;
    // The clauses whose values a receive changed, with the names that changed, until
    // Cmd_UpdateElementsToReceivedValues takes them.
    PK::HashTable<PK::UniString, PK::Array<PK::UniString>> _clausesWithReceivedValues;
    std::shared_ptr<ClauseValues> _clauseValuesSeen;  // KeepClauseValuesIn; null for none
    mutable Model::UnassociatedElementsCache _unassociatedElementsCache;
};

std::ostream& operator<<(std::ostream& os, const ConnectionWithSpecification& connection);

template <typename Event, typename... Args>
void ConnectionWithSpecification::Notify(Event event, const Args&... args) {
    // Nobody to tell: a connection that no shared pointer owns yet may still be read.
    if (GetObserverCount() == 0) return;
    const std::shared_ptr<ConnectionWithSpecification> self = shared_from_this();
    EnumerateObservers([&](PK::EventObserver& entry) {
        if (auto* observer = dynamic_cast<ConnectionWithSpecificationObserver*>(&entry))
            (observer->*event)(self, args...);
    });
}

}  // namespace TessaryConnect::Model

TC_OSTREAM_FORMATTER(TessaryConnect::Model::ConnectionWithSpecification);
