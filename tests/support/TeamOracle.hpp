#pragma once
// The model that the seeded team-work interleavings hold two members' add-ons
// to (tests/teamwork/TeamInterleavingsTest.cpp): what the users did, told in
// their terms, and the rules by which the team-work server exchanges a
// connection's record and the add-on merges two versions of it. It knows
// nothing of the add-on's objects: a connection is the clauses with their
// titles and the issues it lists, an element the item and values it carries,
// an issue the step that opened it.
//
// The world is small and fixed: each member holds three walls of its own
// (members 0 and 1: elements 0-2 and 3-5), two more (6 and 7) are free, which
// neither member may change.
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TVSim/SimTeamwork.hpp"

namespace TestSupport::TeamOracle {

using Member = TVSim::Teamwork::Member;

constexpr int elementsPerMember = 3;
constexpr int freeElements = 2;
constexpr int elementCount = 2 * elementsPerMember + freeElements;

// The member who may change the element; -1 for a free one.
Member OwnerOf(int element);
// A clause id is "s<spec>-<code>".
std::string CodeOf(const std::string& clauseId);

enum class IssueKind { Hint, Associate, Disassociate, Update };
// "unknown error", "association refused", "disassociation refused", "values refused".
const char* KindName(IssueKind kind);

// An open issue as the panel tells it: its kind, the clause (or the hint of an
// unknown error) and the elements it lists.
struct IssueView {
    IssueKind kind;
    std::string subject;
    std::set<int> elements;
    auto operator<=>(const IssueView&) const = default;
};

struct Issue {
    IssueView view;
    int created;  // the step, which is also the second the clock shows
    bool operator==(const Issue&) const = default;
};

// A newer element issue takes over the elements it lists from older ones: a
// refused association or disassociation from any element issue, refused
// values only from refused values.
bool Absorbs(IssueKind newer, IssueKind older);

// A connection's stored record. An issue is known by the step that opened it;
// one that left the list for good stays resolved, with the step it first left.
// Times are steps: the add-on's clock moves one second a step.
struct Record {
    int group = 0;                               // which property group the connection made
    std::map<std::string, std::string> clauses;  // clause id -> its title
    std::map<std::string, int> retitled;         // clause id -> when its values last changed
    std::map<std::string, Issue> issues;
    std::map<std::string, int> resolved;
    bool operator==(const Record&) const = default;

    void Resolve(const std::string& id, int now);
    // The clause takes the values a page sent: a new clause, or new values, are stamped now.
    void Take(const std::string& clause, const std::string& title, int now);
    // Takes the elements out of the element issues of the kinds asked for; an emptied issue is resolved.
    void TakeOut(const std::set<int>& elements, const std::function<bool(IssueKind)>& ofKind, int now);
    // One run over elements: the refused ones become a new issue, which takes
    // them over from older ones; the handled ones leave every element issue.
    void Run(const std::string& id, IssueKind kind, const std::string& clause, const std::set<int>& refused,
             const std::set<int>& handled, int now);
};

// Another member's version meets this one: their group wins, unless it was
// deleted and this member's was not (a member reconnected while the other
// still worked through the old record): the live group stays. Clauses form a
// union (a clause both have keeps the title changed last, this member's on a
// tie), an issue either side
// resolved stays resolved, a copy of an issue both hold keeps only the
// elements both still list, and an issue new to this side meets the others
// by age as a new failure does.
Record Merge(Record mine, const Record& theirs, const std::set<int>& deletedGroups, int now);

// What an element carries: the item of each specification's system and, in
// each property group that was written, the clause id and title.
struct ElementState {
    std::map<int, std::string> item;                            // spec -> code
    std::map<int, std::pair<std::string, std::string>> values;  // group -> clause id, title
    std::map<int, int> written;  // group -> when the clause got the values written (Record::retitled)
    bool operator==(const ElementState&) const = default;
};

// One machine's copy of the project, or the server's.
struct Copy {
    std::map<int, Record> records;  // by spec
    std::vector<ElementState> elements = std::vector<ElementState>(elementCount);

    // The elements carrying the clause's item and, in the connection's group, its id.
    std::set<int> Associated(int spec, const std::string& clause) const;
};

// The specifications, clauses with their elements and titles, and open issues one member sees.
struct View {
    std::map<int, std::map<std::string, std::set<int>>> clauses;
    std::map<int, std::map<std::string, std::string>> titles;
    std::map<int, std::multiset<IssueView>> issues;
    bool operator==(const View&) const = default;
};

std::string Print(const std::set<int>& elements);
// One line a specification with its clauses, one an issue below it.
std::string Print(const View& view);

// Both members' copies, the server's, and what each member last exchanged.
struct Oracle {
    Copy local[2];
    Copy server;
    std::map<int, Record> base[2];  // each member's records as last exchanged with the server
    // The steps each member can still undo: its copy before each, and the specification it changed.
    std::vector<std::pair<Copy, int>> undo[2];
    // Specifications disconnected and not yet gone from every copy.
    std::set<int> disconnecting;
    // Property groups deleted: on the server with the release of the reservation, in another member's copy at
    // its next receive or reservation (deletedIn), and with each the values the elements carried in it. An
    // element associated through one has lost its clause.
    std::set<int> deletedGroups;
    std::set<int> deletedIn[2];
    // Specifications whose record the member's add-on may have stored since its last send: the member took a
    // step on it, or the step after a receive brought elements up to date. A step may change nothing the
    // model holds of the record (values the record held as pending found written, or written at last), yet
    // the host sends the change all the same.
    std::set<int> mayHaveStored[2];
    // Walls their owners locked. A lock is no step of the host's undo history, so it stays out of the copies.
    std::set<int> locked;
    // Each clause's title as the web application holds it now, for every member's page alike.
    std::map<std::string, std::string> web;
    int nextGroup = 1;
    int now = 0;

    // A clause nobody retitled has its first title.
    std::string TitleOnWeb(const std::string& clause) const;
    static const Record* Find(const std::map<int, Record>& records, int spec);
    static bool Same(const Record* a, const Record* b);

    // The member's record names a property group its copy no longer has: another member reconnected or
    // disconnected the specification, and that record has yet to reach this member.
    bool Broken(Member m, int spec) const;
    // The member deletes a property group in its copy and, releasing the reservation, on the server.
    void DeleteGroup(Member m, int group);
    // The member's copy takes in the groups deleted on the server, as a receive or a reservation does.
    void TakeInDeletions(Member m);

    // What the member sees; a connection that is being disconnected or is broken is left out.
    View ViewOf(Member m) const;
    // A record the server changed since the member's last exchange replaces the
    // member's, or is merged into it when the member changed it too (an erased
    // one goes the server's way); the other members' elements come as the
    // server has them. A receive ends the undo history, as the host's does.
    // Then, of each clause whose values the receive changed in the member's
    // copy, the member's own associated elements take the values where they
    // differ, in one step after the receive (BringUpToDate); a locked one
    // refuses them as it refuses the member's own change of the values.
    void Receive(Member m);
    // Receives, then hands the member's changed records and its own elements to the server; the elements
    // brought up to date after the receive go with the next send.
    void Send(Member m);
    // Receive without the step after it, answering the clauses (spec, clause id) whose values it changed;
    // and that step alone.
    std::set<std::pair<int, std::string>> TakeIn(Member m);
    void BringUpToDate(Member m, const std::set<std::pair<int, std::string>>& clauses);
    // Forgets the disconnects that every copy has taken in.
    void Settle();
    // Nothing left to send or to receive for either member.
    bool Quiet() const;
};

}  // namespace TestSupport::TeamOracle
