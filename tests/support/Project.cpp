#include "support/Project.hpp"

#include <stdexcept>

#include "Torvel/Api/ModulDataWrapper.hpp"
#include "Torvel/Implementation/Torvel.hpp"

namespace TestSupport {

using Name = Api::Properties::Name;

Api::Properties Clause(const PK::UniString& clauseId, const PK::UniString& code, const PK::UniString& title,
                       const PK::UniString& prefix, const PK::UniString& suffix) {
    Api::Properties properties;
    for (const auto& [name, value] : {std::pair{Name::ClauseId, clauseId},
                                      {Name::Code, code},
                                      {Name::Title, title},
                                      {Name::Prefix, prefix},
                                      {Name::Suffix, suffix}})
        properties.Add(name, value);
    return properties;
}

std::vector<API_Guid> AddClauseSystems(TVSim::Project& project) {
    std::vector<API_Guid> systems;
    for (int n = 1; n <= 2; ++n) {
        const API_Guid system = project.AddClassificationSystem(("Clauses " + std::to_string(n)).c_str());
        project.AddClassificationItem(system, "A10", APINULLGuid, "Walls");
        project.AddClassificationItem(system, "B21",
                                      project.AddClassificationItem(system, "B20", APINULLGuid, "Floors"), "Screeds");
        project.AddClassificationItem(system, "C30", APINULLGuid, "Roofs");
        systems.push_back(system);
    }
    return systems;
}

std::vector<char> RecordOf(const Model::ConnectionWithSpecification& connection, PK::UInt16 platformSign) {
    return Written(
        [&](PK::OChannel& oc) {
            if (connection.Write(oc) != PK::NoError) throw std::runtime_error("connection record not written");
        },
        platformSign);
}

std::vector<char> StoredIn(const TVSim::Project& project, const PK::UniString& specId) {
    const TVSim::ModulData* data = project.GetModulData(ModulDataName(specId));
    return data != nullptr && data->bytes ? *data->bytes : std::vector<char>();
}

// Tests of one binary may share a process: each project starts from a clean host.
Project::Project()
    : sim((TVSim::Reset(), TVSim::OpenProject())),
      systems(AddClauseSystems(sim)),
      tv(std::make_shared<Implementation::Torvel>()),
      page(std::make_shared<RecordingPage>(timeline)),
      tessary(std::make_shared<Model::TessaryPtr>(page)),
      plan(std::make_shared<Model::PlanData>(tv)) {
    plan->GenerateNew();
}

ConnectionPtr Project::Connect(const PK::UniString& specId, const PK::UniString& specTitle,
                               const PK::UniString& projectId, const PK::UniString& projectTitle) {
    ConnectionPtr connection;
    InCommand(*tv, [&] {
        connection = std::make_shared<Model::ConnectionWithSpecification>(tv, tessary, plan, System(), specId,
                                                                          specTitle, projectId, projectTitle);
    });
    return connection;
}

void Project::Reload(Model::ConnectionWithSpecification& connection, const PK::UniString& specId) {
    Api::ModulDataWrapper data;
    if (!tv->ModulData_Get(ModulDataName(specId), *data.GetPtr()))
        throw std::runtime_error("no module data for " + Text(specId));
    data.FillObject(connection);
}

ConnectionPtr Project::Read(const std::vector<char>& bytes) {
    auto connection = std::make_shared<Model::ConnectionWithSpecification>(tv, tessary, plan);
    IO::MemoryIChannel32 channel(bytes.data(), bytes.size());
    if (connection->Read(channel) != PK::NoError) throw std::runtime_error("connection record not read");
    return connection;
}

API_Guid Project::AddAssociated(Model::ConnectionWithSpecification& connection, const PK::UniString& clauseId,
                                const char* code, API_ElemTypeID type, const TVSim::ElementOptions& options) {
    const API_Guid element = sim.AddElement(type, options);
    const API_Guid item = Item(code);
    sim.Classify(element, item);
    // Written the way an association writes it: available for the item first.
    const API_Guid definition = connection.PropertyGroup().GetPropertyGuid(Name::ClauseId);
    PK::Array<API_Guid> availability = sim.GetPropertyDefinition(definition).definition.availability;
    if (!availability.Contains(item)) availability.Push(item);
    sim.SetPropertyAvailability(definition, availability);
    sim.SetPropertyText(element, definition, clauseId);
    return element;
}

}  // namespace TestSupport
