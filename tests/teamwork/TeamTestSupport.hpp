#pragma once
// Two team members, each with the add-on running on a machine of its own:
// one shared simulated project with a classification system per
// specification, each member's host interface, project identity and
// connection factory, the host's merge requests and "changes received"
// notifications reaching the member's own factory (as the manager passes
// them on), and what each member sees of its connections.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/ConnectionWithSpecificationFactory.hpp"
#include "Model/PlanData.hpp"
#include "Model/TessaryPtr.hpp"
#include "TVSim/Sim.hpp"
#include "TVSim/SimTeamwork.hpp"

namespace TeamTest {

using namespace TessaryConnect;
using ConnectionPtr = std::shared_ptr<Model::ConnectionWithSpecification>;
using Member = TVSim::Teamwork::Member;

// The add-on on one member's machine.
struct AddOn {
    explicit AddOn(Member member);

    Member member;
    std::shared_ptr<Api::Torvel> tv;
    std::shared_ptr<Model::TessaryPtr> tessary;
    std::shared_ptr<Model::PlanData> plan;
    Model::ConnectionWithSpecificationFactory factory;
    // The connections the member's palette shows (and so keeps alive).
    Model::ConnectionWithSpecificationFactory::Connections shown;
    // What the last listing could not read.
    PK::Array<Model::ConnectionWithSpecificationFactory::LoadError> loadErrors;
    std::vector<std::string> caughtByHost;

    // Lists the connections again, as the palette does after every change.
    void Show();
};

// A connection as a user would compare it: clauses in use and issue texts.
struct ConnectionSummary {
    std::set<std::string> clauses;
    std::set<std::string> issues;  // the hint of each unknown-error issue, the code of each missing-item issue
    bool operator==(const ConnectionSummary&) const = default;
};
using ProjectSummary = std::map<std::string, ConnectionSummary>;  // by specification id

std::string Text(const PK::UniString& text);
// A clause's properties as the page sends them.
Api::Properties Clause(const std::string& clauseId, const std::string& code);
ConnectionSummary Summarize(const Model::ConnectionWithSpecification& connection);
// The clause's virtual type made inside a command; false when that failed.
bool AddClause(Model::ConnectionWithSpecification& connection, const std::string& clauseId, const std::string& code);
void AddIssue(Model::ConnectionWithSpecification& connection, const std::string& hint);
// The module-data name spec-<n>'s connection is stored under.
std::string RecordName(int n);
// The stored bytes of one entry (empty when none).
std::vector<char> StoredIn(const TVSim::Project& project, const std::string& modulDataName);
// Systems "Clauses 1" to "Clauses <count>", each with the items A10, B20 and C30.
std::vector<API_Guid> AddClassificationSystems(TVSim::Project& project, int count);

// A project shared by "Member A" (0) and "Member B" (1), both with the add-on
// running; systems "Clauses 1" to "Clauses <specs>" each have the items A10,
// B20 and C30, and specification "spec-<n>" connects through system n.
class Team {
public:
    explicit Team(int specs = 3);
    ~Team();

    // Delivers what the current member's host queued, then makes m current.
    void As(Member m);
    AddOn& Current();
    AddOn& Of(Member m) { return *_addOns[static_cast<std::size_t>(m)]; }
    TVSim::Project& Project() { return *TVSim::GetProject(); }

    // The current member connects spec-<n> holding the reservation of
    // classifications and properties only for the command, as users do.
    // Null when the reservation or the factory refused.
    ConnectionPtr Connect(int n);
    bool Disconnect(int n);
    ConnectionPtr Get(int n);
    // The current member's send and receive, with its notifications delivered.
    void SendAndReceive();
    void Receive();
    // Both members send and receive until neither has anything left.
    void SyncAll();

    ProjectSummary Summary();
    std::vector<char> StoredBytes(Member m, const std::string& modulDataName) {
        return StoredIn(TVSim::Teamwork::ProjectOf(m), modulDataName);
    }

    API_Guid System(int n) const { return _systems[static_cast<std::size_t>(n - 1)]; }
    static std::string SpecId(int n) { return "spec-" + std::to_string(n); }

private:
    template <typename Action>
    auto Reserved(Action action);

    std::vector<API_Guid> _systems;
    std::vector<std::unique_ptr<AddOn>> _addOns;
};

// A stored connection record whose outer frame a newer version of the
// add-on wrote (version 2.0).
std::vector<char> NewerConnectionRecord();

}  // namespace TeamTest
