// The team-work server of the simulated host and its members' machines.
//
// The server keeps one version of every shared entry. Each member keeps, next
// to its own copy of the project, the version of each entry it last took from
// the server or gave to it (its base): an entry differing between base and
// server is incoming, one differing between base and the member's copy is
// outgoing. Reservations live on the server too, by holder name; a member's
// copy shows them relative to its user, as the host does, and they are
// gathered from it whenever the server needs them (switching away, sending,
// receiving) and spread to it when it becomes current. Elements, by far the
// most entries, are never compared whole: a copy marks the elements it
// changes and the server logs the elements and element holders that change,
// so an exchange costs what changed since the last one.
#include "TVSim/SimTeamwork.hpp"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "TVSim/SimTeamworkCompare.hpp"
#include "TVSim/SimTeamworkHooks.hpp"

namespace TVSim::Detail {

namespace {

using Teamwork::Member;

struct Machine {
    PK::UniString name;
    std::unique_ptr<Project> parked;  // the member's project while another member is current
    Registrations registrations;      // what its add-on registered, parked with it
    AddOnImage addOn;                 // its add-on as its host loaded it, parked with it
    ProjectState base;                // only the shared tables are used
    // How far it has taken in the server's element and element holder logs.
    std::size_t elementsSeen = 0;
    std::size_t holdersSeen = 0;
};

struct Server {
    ProjectState data;  // only the shared tables are used
    PK::HashTable<API_Guid, PK::UniString> elementHolders;
    PK::HashTable<API_Guid, PK::UniString> objectHolders;
    PK::UniString setHolder;
    // Every element change, and every change of an element's holder, in the
    // order they reached the server: a member takes in the part after what
    // it has seen, so an exchange costs what changed since.
    std::vector<API_Guid> elementLog;
    std::vector<API_Guid> holderLog;
    std::vector<Machine> members;
    Member current = 0;
};

std::unique_ptr<Server>& TheServer() {
    static std::unique_ptr<Server> server;
    return server;
}

Server& Active() {
    if (!TheServer()) throw std::logic_error("TVSim: team work is not running (Teamwork::Share)");
    return *TheServer();
}

Machine& CurrentMachine(Server& server) { return server.members[static_cast<std::size_t>(server.current)]; }

ProjectState& CurrentState() {
    ProjectState* state = OpenState();
    if (state == nullptr) throw std::logic_error("TVSim: team work without an open project");
    return *state;
}

// A member acts only on its own machine, which is the host while it is current.
void RequireCurrent(const ProjectState& state) {
    if (OpenState() != &state)
        throw std::logic_error("TVSim: only the current member's project takes part in team work (Teamwork::SwitchTo)");
}

void RequireOutsideCommand() {
    if (Host().commandDepth > 0) throw std::logic_error("TVSim: team work inside a host command");
}

// The tables that the ClassificationsAndProperties set guards.
template <typename F>
void ForEachGuardedTable(F&& f) {
    f(&ProjectState::systems);
    f(&ProjectState::items);
    f(&ProjectState::groups);
    f(&ProjectState::definitions);
}

// The shared tables small enough to compare whole at every exchange, module
// data last; elements go by what changed (ExchangedElements).
template <typename F>
void ForEachComparedTable(F&& f) {
    ForEachGuardedTable(f);
    f(&ProjectState::addOnObjects);
    f(&ProjectState::modulData);
}

template <typename F>
void ForEachTable(F&& f) {
    ForEachComparedTable(f);
    f(&ProjectState::elements);
}

template <typename Table>
using KeyOf = std::decay_t<decltype(std::declval<const Table&>().begin()->first)>;

// The keys whose entry differs between the two versions of a table, present or not.
template <typename Table>
std::vector<KeyOf<Table>> ChangedKeys(const Table& from, const Table& to) {
    std::vector<KeyOf<Table>> keys;
    for (const auto& [key, value] : to) {
        const auto* old = from.GetPtr(key);
        if (old == nullptr || !Same(*old, value)) keys.push_back(key);
    }
    for (const auto& entry : from)
        if (!to.ContainsKey(entry.first)) keys.push_back(entry.first);
    return keys;
}

template <typename Table, typename Key>
void Take(const Table& source, Table& target, const Key& key) {
    if (const auto* value = source.GetPtr(key))
        target.Put(key, *value);
    else
        target.Delete(key);
}

void CopyShared(const ProjectState& from, ProjectState& to) {
    ForEachTable([&](auto table) { to.*table = from.*table; });
}

// An element arrived or went with a receive: the host forgets what pointed at a gone one.
void ElementTaken(ProjectState& state, const API_Guid& guid, bool had) {
    const bool has = state.elements.ContainsKey(guid);
    if (has) {
        state.deletedElements.Delete(guid);
    } else if (had) {
        state.deletedElements.Add(guid);
        if (state.selection.erase(guid) > 0) QueueSelectionChanged();
        for (auto& [setGuid, set] : state.elementSets) set.elements.DeleteAll(guid);
    }
}

// Takes the entries of one table that changed between from and to (server or
// member copy) from the source into the target and into the member's base;
// true when there were any.
template <typename Table>
bool TakeChanges(const Table& from, const Table& source, Table& target, Table& base) {
    const auto keys = ChangedKeys(from, source);
    for (const auto& key : keys) {
        Take(source, target, key);
        Take(source, base, key);
    }
    return !keys.empty();
}

template <typename Table>
std::vector<KeyOf<Table>> Keys(const Table& table) {
    std::vector<KeyOf<Table>> keys;
    for (const auto& entry : table) keys.push_back(entry.first);
    return keys;
}

// Of the candidates, the elements whose version differs between the two copies.
template <typename Candidates>
std::vector<API_Guid> ExchangedElements(const ProjectState& from, const ProjectState& to,
                                        const Candidates& candidates) {
    PK::HashSet<API_Guid> looked;
    std::vector<API_Guid> keys;
    for (const API_Guid& guid : candidates) {
        if (!looked.Add(guid)) continue;
        const Element* a = from.FindElement(guid);
        const Element* b = to.FindElement(guid);
        if ((a == nullptr) != (b == nullptr) || (a != nullptr && !Same(*a, *b))) keys.push_back(guid);
    }
    return keys;
}

std::vector<API_Guid> IncomingElements(const Server& server, const Machine& member) {
    const auto from = server.elementLog.begin() + static_cast<std::ptrdiff_t>(member.elementsSeen);
    return ExchangedElements(member.base, server.data, std::vector<API_Guid>(from, server.elementLog.end()));
}

std::vector<API_Guid> OutgoingElements(const Machine& member, const ProjectState& local) {
    return ExchangedElements(member.base, local, local.unsentElements);
}

// A value of a definition that is gone does not travel.
void DropValuesOfGoneDefinitions(ProjectState& s) {
    for (auto& [guid, element] : s.elements)
        for (const API_Guid& definition : Keys(element.values))
            if (!s.definitions.ContainsKey(definition)) {
                element.values.Delete(definition);
                s.Mark(guid);
            }
}

// What a whole copy works out for itself.
void Rebuild(ProjectState& s) {
    s.Reindex();
    DropValuesOfGoneDefinitions(s);
}

// Takes the server's changes of classifications and properties into the
// member's copy; true when there were any.
bool TakeGuarded(const Server& server, Machine& member, ProjectState& local) {
    const auto itemKeys = ChangedKeys(member.base.items, server.data.items);
    PK::HashTable<API_Guid, ClassificationItem> changedItems;
    for (const API_Guid& guid : itemKeys)
        if (const ClassificationItem* item = local.items.GetPtr(guid)) changedItems.Put(guid, *item);
    const auto definitions = Keys(local.definitions);
    bool taken = false;
    ForEachGuardedTable([&](auto table) {
        taken |= TakeChanges(member.base.*table, server.data.*table, local.*table, member.base.*table);
    });
    if (!taken) return false;
    // Items new to this copy arrive with the elements the sender classified with them.
    for (const API_Guid& guid : itemKeys)
        if (!changedItems.ContainsKey(guid) && local.items.ContainsKey(guid)) local.items.Get(guid).elements.clear();
    local.Settle(changedItems);
    // A definition gone is the rare change that may touch every element. The
    // values go from the member's base as well: their going is no change of
    // the member's, and must not send other members' elements back as it saw them.
    if (std::any_of(definitions.begin(), definitions.end(),
                    [&](const API_Guid& guid) { return !local.definitions.ContainsKey(guid); })) {
        DropValuesOfGoneDefinitions(local);
        DropValuesOfGoneDefinitions(member.base);
    }
    return true;
}

void TakeElements(const Server& server, Machine& member, ProjectState& local, const std::vector<API_Guid>& keys) {
    for (const API_Guid& guid : keys) local.Unlink(guid);
    for (const API_Guid& guid : keys) {
        const Element* mine = local.FindElement(guid);
        const bool had = mine != nullptr;
        const PK::USize owned = had ? mine->ownedCount : 0;
        Take(server.data.elements, local.elements, guid);
        Take(server.data.elements, member.base.elements, guid);
        if (Element* taken = local.FindElement(guid)) taken->ownedCount = owned;
        ElementTaken(local, guid, had);
    }
    for (const API_Guid& guid : keys) local.Link(guid);
    member.elementsSeen = server.elementLog.size();
}

// The member's reservations, as its copy shows them, become the server's:
// of elements, those it changed since (every one when it first shares).
void Collect(Server& server, const Machine& member, ProjectState& s, bool everyElement = false) {
    switch (s.lockableStatus) {
        case APILockableStatus_Editable:
            server.setHolder = member.name;
            break;
        case APILockableStatus_Free:
            server.setHolder.Clear();
            break;
        case APILockableStatus_Locked:
            server.setHolder = s.lockableHolders.IsEmpty() ? PK::UniString("Other Member") : s.lockableHolders[0];
            break;
        default:
            break;
    }
    for (const auto& [guid, object] : s.addOnObjects) {
        if (object.reservedByMe)
            server.objectHolders.Put(guid, member.name);
        else if (!object.reservedBy.IsEmpty())
            server.objectHolders.Put(guid, object.reservedBy);
        else
            server.objectHolders.Delete(guid);
    }
    auto collect = [&](const API_Guid& guid, const Element& element) {
        std::optional<PK::UniString> holder;
        if (element.reservation == Reservation::Mine)
            holder = member.name;
        else if (element.reservation == Reservation::OtherMember)
            holder = element.reservedBy.IsEmpty() ? PK::UniString("Other Member") : element.reservedBy;
        const PK::UniString* known = server.elementHolders.GetPtr(guid);
        if (holder ? known != nullptr && *known == *holder : known == nullptr) return;
        if (holder)
            server.elementHolders.Put(guid, *holder);
        else
            server.elementHolders.Delete(guid);
        server.holderLog.push_back(guid);
    };
    if (everyElement) {
        for (const auto& [guid, element] : s.elements) collect(guid, element);
    } else {
        for (const API_Guid& guid : s.uncollectedElements)
            if (const Element* element = s.FindElement(guid)) collect(guid, *element);
    }
    s.uncollectedElements.Clear();
}

// The server's reservations, as the member's copy shows them: of elements,
// those whose holder changed since the member last looked, and those it has
// just received (every one when it joins).
void Spread(const Server& server, Machine& member, ProjectState& s, const std::vector<API_Guid>& received = {},
            bool everyElement = false) {
    const bool settled = s.lockableStatus == APILockableStatus_Editable || s.lockableStatus == APILockableStatus_Free ||
                         s.lockableStatus == APILockableStatus_Locked;
    if (settled) {
        s.lockableHolders.Clear();
        if (server.setHolder.IsEmpty()) {
            s.lockableStatus = APILockableStatus_Free;
        } else if (server.setHolder == member.name) {
            s.lockableStatus = APILockableStatus_Editable;
        } else {
            s.lockableStatus = APILockableStatus_Locked;
            s.lockableHolders.Push(server.setHolder);
        }
    }
    for (auto& [guid, object] : s.addOnObjects) {
        const PK::UniString* holder = server.objectHolders.GetPtr(guid);
        object.reservedByMe = holder != nullptr && *holder == member.name;
        object.reservedBy = holder != nullptr && *holder != member.name ? *holder : PK::UniString();
    }
    auto spread = [&](const API_Guid& guid, Element& element) {
        const PK::UniString* holder = server.elementHolders.GetPtr(guid);
        element.reservation = holder == nullptr        ? Reservation::Free
                              : *holder == member.name ? Reservation::Mine
                                                       : Reservation::OtherMember;
        element.reservedBy = element.reservation == Reservation::OtherMember ? *holder : PK::UniString();
    };
    auto spreadTo = [&](const API_Guid& guid) {
        if (Element* element = s.FindElement(guid)) spread(guid, *element);
    };
    if (everyElement) {
        for (auto& [guid, element] : s.elements) spread(guid, element);
    } else {
        for (std::size_t i = member.holdersSeen; i < server.holderLog.size(); ++i) spreadTo(server.holderLog[i]);
        for (const API_Guid& guid : received) spreadTo(guid);
    }
    member.holdersSeen = server.holderLog.size();
}

// The object of that name the server holds, or nullptr.
const AddOnObject* ServerObjectNamed(const Server& server, const PK::UniString& name) {
    for (const auto& [guid, object] : server.data.addOnObjects)
        if (object.name == name) return &object;
    return nullptr;
}

// A unique add-on object exists once in the team: a member's object that the
// server never had gives way to the server's object of the same name, which
// reached the server first.
void DropShadowedObjects(const Server& server, ProjectState& s) {
    for (const API_Guid& guid : Keys(s.addOnObjects)) {
        if (server.data.addOnObjects.ContainsKey(guid)) continue;
        if (ServerObjectNamed(server, s.addOnObjects.Get(guid).name) != nullptr) s.addOnObjects.Delete(guid);
    }
    s.addOnObjectsByName.Clear();
    for (const auto& [guid, object] : s.addOnObjects) s.addOnObjectsByName.Put(object.name, guid);
}

void ReceiveModulData(Server& server, Machine& member, ProjectState& local) {
    for (const PK::UniString& name : ChangedKeys(member.base.modulData, server.data.modulData)) {
        const ModulData* incoming = server.data.modulData.GetPtr(name);
        const ModulData* mine = local.modulData.GetPtr(name);
        const ModulData* base = member.base.modulData.GetPtr(name);
        const bool bothChanged = incoming != nullptr && mine != nullptr && (base == nullptr || !Same(*base, *mine));
        std::optional<PKErrCode> merged;
        if (bothChanged) merged = Events::MergeModulData(name, *incoming, APIMDSetMerge_TW);
        if (!merged) Take(server.data.modulData, local.modulData, name);
        Take(server.data.modulData, member.base.modulData, name);
    }
}

void ReceiveInto(Server& server, Machine& member, ProjectState& local) {
    Collect(server, member, local);
    TakeGuarded(server, member, local);
    const std::vector<API_Guid> elements = IncomingElements(server, member);
    TakeElements(server, member, local, elements);
    TakeChanges(member.base.addOnObjects, server.data.addOnObjects, local.addOnObjects, member.base.addOnObjects);
    DropShadowedObjects(server, local);
    Spread(server, member, local, elements);
    ReceiveModulData(server, member, local);
    // The steps before hold entries as they were before what just came in:
    // taking one back would take the other member's change back with it.
    local.undoable.clear();
    local.redoable.clear();
    QueueProjectEvent(APINotify_ReceiveChanges);
}

}  // namespace

void EndTeamwork() { TheServer().reset(); }

bool TeamworkReserveSet(ProjectState& state, bool reserve) {
    if (!TheServer()) return false;
    Server& server = *TheServer();
    RequireCurrent(state);
    Machine& member = CurrentMachine(server);
    const bool mine = server.setHolder == member.name;
    if (reserve && !mine && !server.setHolder.IsEmpty()) {
        state.lockableStatus = APILockableStatus_Locked;
        state.lockableHolders = {server.setHolder};
        return true;
    }
    if (reserve) {
        // A reservation brings the latest version of what it reserves.
        TakeGuarded(server, member, state);
        server.setHolder = member.name;
        state.lockableStatus = APILockableStatus_Editable;
        state.lockableHolders.Clear();
    } else if (mine) {
        // Letting go sends what was changed under the reservation.
        ForEachGuardedTable(
            [&](auto table) { TakeChanges(member.base.*table, state.*table, server.data.*table, member.base.*table); });
        server.setHolder.Clear();
        state.lockableStatus = APILockableStatus_Free;
        state.lockableHolders.Clear();
    }
    return true;
}

void TeamworkObjectsReserved(ProjectState& state, const PK::Array<API_Guid>& objects) {
    if (!TheServer()) return;
    Server& server = *TheServer();
    RequireCurrent(state);
    Machine& member = CurrentMachine(server);
    for (const API_Guid& guid : objects) {
        server.objectHolders.Put(guid, member.name);
        const AddOnObject* latest = server.data.addOnObjects.GetPtr(guid);
        const AddOnObject* base = member.base.addOnObjects.GetPtr(guid);
        if (latest != nullptr && (base == nullptr || !Same(*base, *latest))) {
            Take(server.data.addOnObjects, state.addOnObjects, guid);
            Take(server.data.addOnObjects, member.base.addOnObjects, guid);
        }
        if (AddOnObject* object = state.addOnObjects.GetPtr(guid)) {
            object->reservedByMe = true;
            object->reservedBy.Clear();
        }
    }
    state.addOnObjectsByName.Clear();
    for (const auto& [guid, object] : state.addOnObjects) state.addOnObjectsByName.Put(object.name, guid);
}

void TeamworkObjectsReleased(ProjectState& state, const PK::Array<API_Guid>& objects) {
    if (!TheServer()) return;
    Server& server = *TheServer();
    RequireCurrent(state);
    Machine& member = CurrentMachine(server);
    for (const API_Guid& guid : objects) {
        const PK::UniString* holder = server.objectHolders.GetPtr(guid);
        if (holder == nullptr || *holder != member.name) continue;
        const AddOnObject* mine = state.addOnObjects.GetPtr(guid);
        const AddOnObject* base = member.base.addOnObjects.GetPtr(guid);
        const AddOnObject* named = mine != nullptr ? ServerObjectNamed(server, mine->name) : nullptr;
        // An object of a name the server holds already stays behind, to give way at the next receive.
        const bool shadowed = named != nullptr && named->guid != guid;
        if (mine != nullptr && !shadowed && (base == nullptr || !Same(*base, *mine))) {
            Take(state.addOnObjects, server.data.addOnObjects, guid);
            Take(state.addOnObjects, member.base.addOnObjects, guid);
        }
        server.objectHolders.Delete(guid);
    }
}

}  // namespace TVSim::Detail

namespace TVSim::Teamwork {

using Detail::Active;
using Detail::CurrentMachine;
using Detail::CurrentState;
using Detail::Host;
using Detail::Machine;
using Detail::ProjectState;
using Detail::Server;
using Detail::StateOf;
using Detail::TheServer;

namespace {

Machine& MemberMachine(Server& server, Member member) {
    if (member < 0 || static_cast<std::size_t>(member) >= server.members.size())
        throw std::logic_error("TVSim: no such team member");
    return server.members[static_cast<std::size_t>(member)];
}

}  // namespace

Member Share(const PK::UniString& memberName) {
    if (TheServer()) throw std::logic_error("TVSim: the project is shared already");
    ProjectState& state = CurrentState();
    GetProject()->SetShared(true);
    auto server = std::make_unique<Server>();
    Detail::CopyShared(state, server->data);
    Machine member;
    member.name = memberName;
    Detail::CopyShared(state, member.base);
    server->members.push_back(std::move(member));
    Detail::Collect(*server, server->members[0], state, true);
    Detail::Spread(*server, server->members[0], state, {}, true);
    TheServer() = std::move(server);
    return 0;
}

Member Join(const PK::UniString& memberName) {
    Server& server = Active();
    for (const Machine& member : server.members)
        if (member.name == memberName) throw std::logic_error("TVSim: a team member of that name has joined already");
    ProjectState& current = CurrentState();
    Detail::Collect(server, CurrentMachine(server), current);

    Machine member;
    member.name = memberName;
    member.parked = std::make_unique<Project>();
    ProjectState& copy = StateOf(*member.parked);
    // The project's own settings come along; what is the user's own starts empty.
    copy = current;
    copy.selection.clear();
    copy.marqueeType = API_SelEmpty;
    copy.marqueeCoords = 0;
    copy.zooms.clear();
    copy.undoSteps.clear();
    copy.undoable.clear();
    copy.redoable.clear();
    copy.unsentElements.Clear();
    copy.uncollectedElements.Clear();
    copy.deletedElements.Clear();
    copy.userId = static_cast<PK::Int32>(server.members.size()) + 1;
    Detail::CopyShared(server.data, copy);
    Detail::Rebuild(copy);
    Detail::CopyShared(server.data, member.base);
    member.elementsSeen = server.elementLog.size();
    Detail::Spread(server, member, copy, {}, true);
    server.members.push_back(std::move(member));
    return static_cast<Member>(server.members.size()) - 1;
}

void SwitchTo(Member member) {
    Server& server = Active();
    Machine& next = MemberMachine(server, member);
    if (member == server.current) return;
    Detail::RequireOutsideCommand();
    if (!Host().notifications.empty())
        throw std::logic_error(
            "TVSim: the current member has notifications to deliver (PK::MainMessageLoop::RunPending)");
    Machine& previous = CurrentMachine(server);
    Detail::Collect(server, previous, CurrentState());
    previous.parked = std::move(Host().project);
    previous.registrations = std::move(Host().registrations);
    previous.addOn = std::exchange(Host().addOn, next.addOn);
    Host().project = std::move(next.parked);
    Host().registrations = std::move(next.registrations);
    Host().selectionPending = false;
    server.current = member;
    Detail::Spread(server, next, CurrentState());
}

Member Current() { return Active().current; }

bool IsActive() { return TheServer() != nullptr; }

PK::USize MemberCount() { return Active().members.size(); }

const PK::UniString& NameOf(Member member) { return MemberMachine(Active(), member).name; }

Project& ProjectOf(Member member) {
    Server& server = Active();
    Machine& machine = MemberMachine(server, member);
    return member == server.current ? *GetProject() : *machine.parked;
}

void Receive() {
    Server& server = Active();
    Detail::RequireOutsideCommand();
    Detail::ReceiveInto(server, CurrentMachine(server), CurrentState());
}

void SendAndReceive() {
    Server& server = Active();
    Detail::RequireOutsideCommand();
    Machine& member = CurrentMachine(server);
    ProjectState& local = CurrentState();
    Detail::ReceiveInto(server, member, local);
    Detail::Collect(server, member, local);
    Detail::ForEachComparedTable([&](auto table) {
        Detail::TakeChanges(member.base.*table, local.*table, server.data.*table, member.base.*table);
    });
    for (const API_Guid& guid : Detail::OutgoingElements(member, local)) {
        Detail::Take(local.elements, server.data.elements, guid);
        Detail::Take(local.elements, member.base.elements, guid);
        server.elementLog.push_back(guid);
    }
    local.unsentElements.Clear();
    member.elementsSeen = server.elementLog.size();  // its own changes it has already
    Detail::QueueProjectEvent(APINotify_SendChanges);
}

PK::USize IncomingCount() {
    Server& server = Active();
    const Machine& member = CurrentMachine(server);
    PK::USize count = Detail::IncomingElements(server, member).size();
    Detail::ForEachComparedTable(
        [&](auto table) { count += Detail::ChangedKeys(member.base.*table, server.data.*table).size(); });
    return count;
}

PK::USize OutgoingCount() {
    Server& server = Active();
    const Machine& member = CurrentMachine(server);
    const ProjectState& local = CurrentState();
    PK::USize count = Detail::OutgoingElements(member, local).size();
    Detail::ForEachComparedTable(
        [&](auto table) { count += Detail::ChangedKeys(member.base.*table, local.*table).size(); });
    return count;
}

}  // namespace TVSim::Teamwork
