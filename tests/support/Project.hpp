#pragma once
// The tests' standard project: an open simulated project, fresh for each
// test, with the classification systems "Clauses 1" and "Clauses 2" (items
// A10, B20 with B21 below it, and C30 in each), and the pieces the add-on
// makes every connection with: a host interface, the page reference with a
// recording page, and the project's identity. Connections made here go
// through system 1. Beside it, the small helpers every area uses.
//
//   Project p;
//   const ConnectionPtr connection = p.Connect();            // spec-1, "Spec One" in "Project One"
//   connection->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {wall}, false);
//   EXPECT_EQ(p.timeline.back(), "page Associate(clause-a, clause-a)");
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "IO/MemoryChannel.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/PlanData.hpp"
#include "Model/TessaryPtr.hpp"
#include "PK/Runnable.hpp"
#include "TVSim/Sim.hpp"
#include "Tessary/Api/Properties.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "support/RecordingPage.hpp"
#include "support/StoredRecords.hpp"

namespace TestSupport {

using namespace TessaryConnect;
using ConnectionPtr = std::shared_ptr<Model::ConnectionWithSpecification>;

inline std::string Text(const PK::UniString& text) { return text.ToCStr(); }
// A clause's properties as the page sends them.
Api::Properties Clause(const PK::UniString& clauseId, const PK::UniString& code, const PK::UniString& title = "Title",
                       const PK::UniString& prefix = "Pre", const PK::UniString& suffix = "Suf");
// Runs the body as one host command, as the add-on's commands do, and passes
// on what it threw once the command is closed (the host's command wrapper
// would only log it).
inline void InCommand(Api::Torvel& tv, const std::function<void()>& body) {
    tv.Helper_CallCommandAndRethrow(Api::Torvel::CommandKind::Undoable, "Test step", body);
}
// Delivers what the host queued: its notifications and the main loop's tasks.
inline void Deliver() { PK::MainMessageLoop::RunPending(); }
// "spec-<n>", the specification that connects through system n.
inline PK::UniString SpecId(int n) { return ("spec-" + std::to_string(n)).c_str(); }
// Makes the systems "Clauses 1" and "Clauses 2" with their items in the project.
std::vector<API_Guid> AddClauseSystems(TVSim::Project& project);
// The connection's record as it writes it, in that byte order.
std::vector<char> RecordOf(const Model::ConnectionWithSpecification& connection,
                           PK::UInt16 platformSign = IO::PlatformSignLittleEndian);
// The stored bytes of the specification's connection in that project (empty when none).
std::vector<char> StoredIn(const TVSim::Project& project, const PK::UniString& specId);

struct Project {
    Project();
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;

    API_Guid System(int n = 1) const { return systems.at(static_cast<std::size_t>(n - 1)); }
    // The item of the code in system n.
    API_Guid Item(const char* code, int n = 1) const { return sim.FindClassificationItem(System(n), code); }

    // A new connection made inside a host command, as the factory makes it.
    ConnectionPtr Connect(const PK::UniString& specId = "spec-1", const PK::UniString& specTitle = "Spec One",
                          const PK::UniString& projectId = "project-1",
                          const PK::UniString& projectTitle = "Project One");
    // A connection read from the module data of that specification, as the add-on reads it.
    ConnectionPtr Load(const PK::UniString& specId = "spec-1") {
        auto connection = std::make_shared<Model::ConnectionWithSpecification>(tv, tessary, plan);
        return Reload(*connection, specId), connection;
    }
    // Reads the module data of that specification into the connection.
    void Reload(Model::ConnectionWithSpecification& connection, const PK::UniString& specId = "spec-1");
    // A connection read from a stored record: by default one of spec-1 that
    // knows no classification system or property group.
    ConnectionPtr Read(const std::vector<char>& bytes = StoredConnection().Bytes());
    std::vector<char> Stored(const PK::UniString& specId = "spec-1") const { return StoredIn(sim, specId); }
    void Store(const PK::UniString& specId, const std::vector<char>& bytes) { StoreBytes(sim, specId, bytes); }

    // The group a connection created, found by its name in the host, and a clause property's definition in it.
    API_Guid GroupOf(const PK::UniString& groupName) const { return sim.FindPropertyGroup(groupName); }
    API_Guid DefinitionOf(const API_Guid& group, const PK::UniString& propertyName) const {
        return sim.FindPropertyDefinition(group, propertyName);
    }
    // An element classified with the item of the code and carrying the clause
    // id, as an earlier association of the connection left it.
    API_Guid AddAssociated(Model::ConnectionWithSpecification& connection, const PK::UniString& clauseId,
                           const char* code, API_ElemTypeID type = API_WallID,
                           const TVSim::ElementOptions& options = {});

    // What the page was told, and what the observers that write here heard, in order.
    Timeline timeline;
    TVSim::Project& sim;
    std::vector<API_Guid> systems;
    std::shared_ptr<Api::Torvel> tv;
    std::shared_ptr<RecordingPage> page;
    std::shared_ptr<Model::TessaryPtr> tessary;
    std::shared_ptr<Model::PlanData> plan;
};

}  // namespace TestSupport
