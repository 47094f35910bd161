#include "support/ConnectionTestSupport.hpp"

#include <exception>
#include <stdexcept>

#include "IO/MemoryChannel.hpp"
#include "Torvel/Api/ModulDataWrapper.hpp"
#include "Torvel/Implementation/Torvel.hpp"

namespace ConnTest {

namespace {

std::string Text(const PK::UniString& text) { return text.ToCStr(); }

}  // namespace

void InCommand(Api::Torvel& tv, const std::function<void()>& body) {
    std::exception_ptr failure;
    tv.CallUndoableCommand("Test step", Api::Torvel::Command([&] {
                               try {
                                   body();
                               } catch (...) {
                                   failure = std::current_exception();
                               }
                           }));
    if (failure) std::rethrow_exception(failure);
}

void RecordingPage::AssociateSpec(const PK::UniString& specId, const PK::UniString& documentRef,
                                  const PK::UniString& documentName) {
    calls.push_back("AssociateSpec(" + Text(specId) + ", " + Text(documentRef) + ", " + Text(documentName) + ")");
}

void RecordingPage::RemoveSpecAssociation(const PK::UniString& specId, const PK::UniString& documentRef) {
    calls.push_back("RemoveSpecAssociation(" + Text(specId) + ", " + Text(documentRef) + ")");
}

void RecordingPage::Associate(const Api::AssociableType& type, const PK::UniString& text) {
    calls.push_back("Associate(" + Text(type.id) + ", " + Text(text) + ")");
}

void RecordingPage::RemoveAssociation(const PK::UniString& specId, const PK::UniString& clauseId) {
    calls.push_back("RemoveAssociation(" + Text(specId) + ", " + Text(clauseId) + ")");
}

void RecordingPage::SendAssociationFeedback(bool success, const PK::UniString& text) {
    calls.push_back("SendAssociationFeedback(" + std::to_string(success) + ", " + Text(text) + ")");
}

void RecordingPage::RequestClauseData(const PK::UniString&, const PK::UniString&, const PK::Array<PK::UniString>&) {
    calls.push_back("RequestClauseData");
}

void RecordingObserver::ConnEvent_UnassociatedElementTypeChanged(const ConnectionPtr&,
                                                                 const PK::HashSet<Model::Element::Type>& types) {
    events.push_back("UnassociatedElementTypeChanged");
    reports.push_back(types);
}

Api::Properties Clause(const PK::UniString& clauseId, const PK::UniString& code, const PK::UniString& title,
                       const PK::UniString& prefix, const PK::UniString& suffix) {
    Api::Properties properties;
    properties.Add(Api::Properties::Name::ClauseId, clauseId);
    properties.Add(Api::Properties::Name::Code, code);
    properties.Add(Api::Properties::Name::Title, title);
    properties.Add(Api::Properties::Name::Prefix, prefix);
    properties.Add(Api::Properties::Name::Suffix, suffix);
    return properties;
}

namespace {
// Tests of one binary may share a process: each project starts from a clean host.
TVSim::Project& FreshProject() {
    TVSim::Reset();
    return TVSim::OpenProject();
}
}  // namespace

Project::Project()
    : sim(FreshProject()),
      system(sim.AddClassificationSystem("Clauses")),
      tv(std::make_shared<Implementation::Torvel>()),
      page(std::make_shared<RecordingPage>()),
      tessary(std::make_shared<Model::TessaryPtr>(page)),
      plan(std::make_shared<Model::PlanData>(tv)) {
    items["A10"] = sim.AddClassificationItem(system, "A10", APINULLGuid, "Walls");
    items["B20"] = sim.AddClassificationItem(system, "B20", APINULLGuid, "Floors");
    items["B21"] = sim.AddClassificationItem(system, "B21", items["B20"], "Screeds");
    plan->GenerateNew();
}

ConnectionPtr Project::Connect(const PK::UniString& specId, const PK::UniString& specTitle,
                               const PK::UniString& projectId, const PK::UniString& projectTitle) {
    ConnectionPtr connection;
    InCommand(*tv, [&] {
        connection = std::make_shared<Model::ConnectionWithSpecification>(tv, tessary, plan, system, specId, specTitle,
                                                                          projectId, projectTitle);
    });
    return connection;
}

ConnectionPtr Project::Load(const PK::UniString& specId) {
    auto connection = std::make_shared<Model::ConnectionWithSpecification>(tv, tessary, plan);
    Reload(*connection, specId);
    return connection;
}

void Project::Reload(Model::ConnectionWithSpecification& connection, const PK::UniString& specId) {
    Api::ModulDataWrapper data;
    if (!tv->ModulData_Get(Model::ConnectionWithSpecification::GetModulDataNameForSpecId(specId), *data.GetPtr()))
        throw std::runtime_error("no module data for " + Text(specId));
    data.FillObject(connection);
}

std::vector<char> Project::StoredBytes(const PK::UniString& specId) const {
    const TVSim::ModulData* data =
        sim.GetModulData(Model::ConnectionWithSpecification::GetModulDataNameForSpecId(specId));
    if (data == nullptr || !data->bytes) return {};
    return *data->bytes;
}

API_Guid Project::GroupOf(const PK::UniString& groupName) const { return sim.FindPropertyGroup(groupName); }

API_Guid Project::DefinitionOf(const API_Guid& group, const PK::UniString& propertyName) const {
    return sim.FindPropertyDefinition(group, propertyName);
}

void Project::WriteClauseId(const API_Guid& element, const API_Guid& definition, const PK::UniString& clauseId) {
    sim.SetPropertyText(element, definition, clauseId);
}

}  // namespace ConnTest
