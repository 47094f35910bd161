#pragma once
// Two team members, "Member A" (0) and "Member B" (1), each with the whole
// add-on (the manager with its page and palette) on a machine of its own, on
// one shared project with the standard classification systems;
// specification spec-<n> connects through system n. Each member's host loads
// its own add-on through the entry functions; only the current member's
// add-on holds the add-on's global manager and hears its host (AddOn::Enter
// and Leave).
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "TVSim/SimTeamwork.hpp"
#include "support/AddOn.hpp"

namespace TestSupport {

using Member = TVSim::Teamwork::Member;

// One member's machine.
struct TeamMember {
    // The page, once loaded, asks for the states.
    TeamMember() { addOn->manager->UpdateTessaryStates(); }
    std::unique_ptr<AddOn> addOn = std::make_unique<AddOn>();
};

// A connection as a user would compare it: clauses in use and issue texts.
struct ConnectionSummary {
    std::set<std::string> clauses;
    std::set<std::string> issues;  // the hint of each unknown-error issue, "?" for another kind
    bool operator==(const ConnectionSummary&) const = default;
};
using ProjectSummary = std::map<std::string, ConnectionSummary>;  // by specification id

ConnectionSummary Summarize(const Model::ConnectionWithSpecification& connection);
// The clause's virtual type made inside a command; false when that failed.
bool AddClause(Model::ConnectionWithSpecification& connection, const char* clauseId, const char* code);
void AddIssue(Model::ConnectionWithSpecification& connection, const std::string& hint);

class Team {
public:
    Team();
    Team(const Team&) = delete;
    Team& operator=(const Team&) = delete;

    // Delivers what the current member's host queued, then makes m current.
    void As(Member m);
    TeamMember& Current() { return Of(TVSim::Teamwork::Current()); }
    TeamMember& Of(Member m) { return *_members.at(static_cast<std::size_t>(m)); }
    // The current member's copy of the project.
    TVSim::Project& Sim() { return *TVSim::GetProject(); }
    API_Guid System(int n) const { return _systems.at(static_cast<std::size_t>(n - 1)); }

    // The current member connects spec-<n> holding the reservation of
    // classifications and properties only for the command, as users do.
    // Null when the reservation or the add-on refused.
    ConnectionPtr Connect(int n);
    // The current member disconnects spec-<n>, holding the reservation as Connect does, or finds its connection.
    bool Disconnect(int n);
    ConnectionPtr Get(int n) { return Current().addOn->manager->GetConnection(SpecId(n)); }
    // The current member's send and receive, with its notifications delivered.
    void SendAndReceive();
    void Receive();
    // Both members send and receive until neither has anything left.
    void SyncAll();

    // What the current member sees of every connection.
    ProjectSummary Summary();
    std::vector<char> Stored(Member m, int n) { return StoredIn(TVSim::Teamwork::ProjectOf(m), SpecId(n)); }

private:
    template <typename Action>
    auto Reserved(Action action);

    std::vector<API_Guid> _systems;
    std::vector<std::unique_ptr<TeamMember>> _members;
};

}  // namespace TestSupport
