#pragma once
// The tests' standard project, fresh for each test: a simulated project with the systems "Clauses 1" and "Clauses 2"
// (A10, B20 with B21 below it, C30), and what the add-on makes each connection with (host interface, recording page,
// plan identity); connections go through system 1. Beside it, the small helpers every area uses. Project p; p.Connect()
// is spec-1, "Spec One" in "Project One", and p.timeline.back() what the page last heard.
#include "Model/TessaryPtr.hpp"
#include "PK/Runnable.hpp"
#include "Torvel/Api/ModulDataWrapper.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/RecordingPage.hpp"
#include "support/StoredRecords.hpp"

namespace TestSupport {

using namespace TessaryConnect;
using ConnectionPtr = std::shared_ptr<Model::ConnectionWithSpecification>;
using TextArg = const PK::UniString&;

inline std::string Text(TextArg text) { return text.ToCStr(); }
// A clause's properties as the page sends them.
inline Api::Properties Clause(TextArg clauseId, TextArg code, TextArg title = "Title", TextArg prefix = "Pre",
                              TextArg suffix = "Suf") {
    using Name = Api::Properties::Name;
    Api::Properties properties;
    properties.Add(Name::ClauseId, clauseId);
    properties.Add(Name::Code, code);
    properties.Add(Name::Title, title);
    properties.Add(Name::Prefix, prefix);
    properties.Add(Name::Suffix, suffix);
    return properties;
}
// Runs the body as one host command, as the add-on's commands do, and rethrows its failure once the command is closed.
inline void InCommand(Api::Torvel& tv, const std::function<void()>& body) {
    tv.Helper_CallCommandAndRethrow(Api::Torvel::CommandKind::Undoable, "Test step", body);
}
// Delivers what the host queued: its notifications and the main loop's tasks.
inline void Deliver() { PK::MainMessageLoop::RunPending(); }
// "spec-<n>", the specification that connects through system n.
inline PK::UniString SpecId(int n) { return ("spec-" + std::to_string(n)).c_str(); }
// Makes the systems "Clauses 1" and "Clauses 2" with their items.
inline std::vector<API_Guid> AddClauseSystems(TVSim::Project& project) {
    std::vector<API_Guid> systems;
    for (const char* name : {"Clauses 1", "Clauses 2"}) {
        const API_Guid system = systems.emplace_back(project.AddClassificationSystem(name));
        project.AddClassificationItem(system, "A10", APINULLGuid, "Walls");
        project.AddClassificationItem(system, "B21",
                                      project.AddClassificationItem(system, "B20", APINULLGuid, "Floors"), "Screeds");
        project.AddClassificationItem(system, "C30", APINULLGuid, "Roofs");
    }
    return systems;
}
// The connection's record as it writes it, in that byte order.
inline std::vector<char> RecordOf(const Model::ConnectionWithSpecification& connection,
                                  PK::UInt16 platformSign = IO::PlatformSignLittleEndian) {
    return Written(
        [&](PK::OChannel& oc) {
            if (connection.Write(oc) != PK::NoError) throw std::runtime_error("connection record not written");
        },
        platformSign);
}
// The stored bytes of the specification's connection in that project (empty when none).
inline std::vector<char> StoredIn(const TVSim::Project& project, TextArg specId) {
    const TVSim::ModulData* data = project.GetModulData(ModulDataName(specId));
    return data != nullptr && data->bytes ? *data->bytes : std::vector<char>();
}

struct Project {
    Project() { plan->GenerateNew(); }
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;

    API_Guid System(int n = 1) const { return systems.at(static_cast<std::size_t>(n - 1)); }
    API_Guid Item(const char* code, int n = 1) const { return sim.FindClassificationItem(System(n), code); }

    // A new connection made inside a host command, as the factory makes it.
    ConnectionPtr Connect(TextArg specId = "spec-1", TextArg specTitle = "Spec One", TextArg projectId = "project-1",
                          TextArg projectTitle = "Project One") {
        ConnectionPtr connection;
        InCommand(*tv, [&] {
            connection = std::make_shared<Model::ConnectionWithSpecification>(tv, tessary, plan, System(), specId,
                                                                              specTitle, projectId, projectTitle);
        });
        return connection;
    }
    // A connection read from the module data of that specification, as the add-on reads it.
    ConnectionPtr Load(TextArg specId = "spec-1") {
        auto connection = std::make_shared<Model::ConnectionWithSpecification>(tv, tessary, plan);
        return Reload(*connection, specId), connection;
    }
    // Reads the module data of that specification into the connection.
    void Reload(Model::ConnectionWithSpecification& connection, TextArg specId = "spec-1") {
        Api::ModulDataWrapper data;
        if (!tv->ModulData_Get(ModulDataName(specId), *data.GetPtr()))
            throw std::runtime_error("no module data for " + Text(specId));
        data.FillObject(connection);
    }
    // A connection read from a stored record: by default spec-1 without system or property group.
    ConnectionPtr Read(const std::vector<char>& bytes = StoredConnection().Bytes()) {
        auto connection = std::make_shared<Model::ConnectionWithSpecification>(tv, tessary, plan);
        IO::MemoryIChannel32 channel(bytes.data(), bytes.size());
        if (connection->Read(channel) != PK::NoError) throw std::runtime_error("connection record not read");
        return connection;
    }
    std::vector<char> Stored(TextArg specId = "spec-1") const { return StoredIn(sim, specId); }
    void Store(TextArg specId, const std::vector<char>& bytes) { StoreBytes(sim, specId, bytes); }

    // The group a connection created, found by its name in the host, and a clause property's definition in it.
    API_Guid GroupOf(TextArg groupName) const { return sim.FindPropertyGroup(groupName); }
    API_Guid DefinitionOf(const API_Guid& group, TextArg name) const { return sim.FindPropertyDefinition(group, name); }
    // An element classified with the code's item and carrying the clause id, as an association leaves it.
    API_Guid AddAssociated(Model::ConnectionWithSpecification& connection, TextArg clauseId, const char* code,
                           API_ElemTypeID type = API_WallID, const TVSim::ElementOptions& options = {}) {
        const API_Guid element = sim.AddElement(type, options);
        const API_Guid item = Item(code);
        sim.Classify(element, item);
        // Written the way an association writes it: available for the item first.
        const API_Guid definition = connection.PropertyGroup().GetPropertyGuid(Api::Properties::Name::ClauseId);
        PK::Array<API_Guid> availability = sim.GetPropertyDefinition(definition).definition.availability;
        if (!availability.Contains(item)) availability.Push(item);
        sim.SetPropertyAvailability(definition, availability);
        sim.SetPropertyText(element, definition, clauseId);
        return element;
    }

    // What the page was told, and what the observers that write here heard, in order.
    Timeline timeline;
    // Tests of one binary may share a process: each project starts from a clean host.
    TVSim::Project& sim = (TVSim::Reset(), TVSim::OpenProject());
    std::vector<API_Guid> systems = AddClauseSystems(sim);
    std::shared_ptr<Api::Torvel> tv = std::make_shared<Implementation::Torvel>();
    std::shared_ptr<RecordingPage> page = std::make_shared<RecordingPage>(timeline);
    std::shared_ptr<Model::TessaryPtr> tessary = std::make_shared<Model::TessaryPtr>(page);
    std::shared_ptr<Model::PlanData> plan = std::make_shared<Model::PlanData>(tv);
};

}  // namespace TestSupport
