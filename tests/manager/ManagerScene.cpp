#include "ManagerScene.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

#include "IO/MemoryChannel.hpp"
#include "Model/AddonVersion.hpp"
#include "Model/PlanData.hpp"
#include "Model/SelectionCache.hpp"
#include "PK/Runnable.hpp"
#include "Torvel/Api/TorvelEventSource.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/StoredConnection.hpp"

namespace MgrTest {

namespace {

AddOn* current = nullptr;

// What the add-on's merge entry point does: the manager answers.
GSErrCode OnMerge(API_MDSetCmd command, const PK::UniString& name, const API_ModulData* stored,
                  const API_ModulData* incoming, API_ModulData* destination) {
    if (current == nullptr) return APIERR_BADPARS;
    return current->manager->HandleModulDataMergeRequest(command, name, stored, incoming, destination);
}

// As the add-on subscribes at start-up.
void Subscribe() {
    TVAPI_Notify_CatchSelectionChange(&Api::TorvelEventSource::Send_SelectionChanged);
    TVAPI_Notify_CatchProjectEvent(0x00000FFF | APINotify_ReceiveChanges | APINotify_SendChanges,
                                   &Api::TorvelEventSource::Send_ProjectEvent);
    TVAPI_Install_ModulDataMergeHandler(&OnMerge);
    TVAPI_Notify_CatchNewElement(nullptr, &Api::TorvelEventSource::Element_NewElementEvent);
}

std::string SpecOf(const ConnectionPtr& connection) {
    return connection == nullptr ? "none" : Text(connection->TessarySpecificationId());
}

}  // namespace

std::string Text(const PK::UniString& text) { return text.ToCStr(); }

void RecordingPage::SetAppState(const Api::AppState& state) {
    app = state;
    _timeline.push_back("page SetAppState");
}

void RecordingPage::SetDocumentState(const Api::DocumentState& state) {
    document = state;
    _timeline.push_back("page SetDocumentState(" + (state.documentRef.IsEmpty() ? "null" : Text(state.documentRef)) +
                        ")");
}

void RecordingPage::SetSelectionState(const Api::SelectionState& state) {
    selection = state;
    _timeline.push_back("page SetSelectionState(" + (state.type.id.IsEmpty() ? "null" : Text(state.type.id)) + ")");
}

void RecordingPage::AssociateSpec(const PK::UniString& specId, const PK::UniString&, const PK::UniString&) {
    _timeline.push_back("page AssociateSpec(" + Text(specId) + ")");
}

void RecordingPage::RemoveSpecAssociation(const PK::UniString& specId, const PK::UniString& documentRef) {
    _timeline.push_back("page RemoveSpecAssociation(" + Text(specId) + ", " + Text(documentRef) + ")");
}

void RecordingPage::Associate(const Api::AssociableType& type, const PK::UniString& text) {
    _timeline.push_back("page Associate(" + Text(type.id) + ", " + Text(text) + ")");
}

void RecordingPage::RemoveAssociation(const PK::UniString& specId, const PK::UniString& clauseId) {
    _timeline.push_back("page RemoveAssociation(" + Text(specId) + ", " + Text(clauseId) + ")");
}

void RecordingPage::SendAssociationFeedback(bool success, const PK::UniString& text) {
    _timeline.push_back("page SendAssociationFeedback(" + std::to_string(success) + ", " + Text(text) + ")");
}

void RecordingPage::RequestClauseData(const PK::UniString&, const PK::UniString& specId,
                                      const PK::Array<PK::UniString>&) {
    _timeline.push_back("page RequestClauseData(" + Text(specId) + ")");
}

Api::TessaryCallbackApi& RecordingPage::Model() {
    const std::shared_ptr<Api::TessaryCallbackApi> callbacks = GetCallbackApi();
    if (callbacks == nullptr) throw std::logic_error("the model registered no callbacks with the page");
    return *callbacks;
}

void RecordingPalette::ManagerEvent_AssociationWithSpecificationRequested(
    const std::shared_ptr<Model::Manager>&, const PK::UniString& projectId, const PK::UniString& projectTitle,
    const PK::UniString& specId, const PK::UniString& specTitle, const PK::UniString& specType) {
    _timeline.push_back("AssociationWithSpecificationRequested(" + Text(projectId) + ", " + Text(projectTitle) + ", " +
                        Text(specId) + ", " + Text(specTitle) + ", " + Text(specType) + ")");
}

void RecordingPalette::ManagerEvent_ConnectionLoadedToBeDisconnected(const ConnectionPtr& connection) {
    _timeline.push_back("ConnectionLoadedToBeDisconnected(" + SpecOf(connection) + ")");
}

void RecordingPalette::ManagerEvent_SelectionChanged(const Model::SelectionCache& selection) {
    _timeline.push_back("SelectionChanged(" + std::to_string(selection.GetSelectedCount()) + ")");
}

void RecordingPalette::ManagerEvent_SelectedConnectionChanged(const ConnectionPtr& connection) {
    _timeline.push_back("SelectedConnectionChanged(" + SpecOf(connection) + ")");
}

void RecordingPalette::ManagerEvent_OnlineStateChanged(bool online) {
    _timeline.push_back(std::string("OnlineStateChanged(") + (online ? "online" : "offline") + ")");
}

AddOn::AddOn(bool withPage)
    : tv(std::make_shared<Implementation::Torvel>()),
      page(std::make_shared<RecordingPage>(timeline)),
      manager(std::make_shared<Model::Manager>(Model::AddonVersion::FromString("1.3.1.0"), tv, nullptr)),
      palette(timeline) {
    Subscribe();
    current = this;
    manager->Attach(palette);
    if (withPage) manager->ResetTessaryApi(page);
}

AddOn::~AddOn() {
    if (current == this) current = nullptr;
}

void AddOn::Enter() {
    Api::TorvelEventSource& source = Api::TorvelEventSource::GetInstance();
    source.Attach(*manager);
    for (const ConnectionPtr& connection : manager->GetConnections())
        source.Attach(connection->UnassociatedElementsCache());
    current = this;
}

void AddOn::Leave() {
    Api::TorvelEventSource& source = Api::TorvelEventSource::GetInstance();
    source.Detach(*manager);
    for (const ConnectionPtr& connection : manager->GetConnections())
        source.Detach(connection->UnassociatedElementsCache());
    if (current == this) current = nullptr;
}

Timeline AddOn::Take() {
    Timeline taken;
    taken.swap(timeline);
    return taken;
}

std::vector<API_Guid> AddClauseSystems(TVSim::Project& project) {
    std::vector<API_Guid> systems;
    for (int n = 1; n <= 2; ++n) {
        const API_Guid system = project.AddClassificationSystem(("Clauses " + std::to_string(n)).c_str());
        for (const char* code : {"A10", "B20", "C30"}) project.AddClassificationItem(system, code);
        systems.push_back(system);
    }
    return systems;
}

Api::Properties Clause(const std::string& clauseId, const std::string& code) {
    Api::Properties properties;
    properties.Add(Api::Properties::Name::ClauseId, clauseId.c_str());
    properties.Add(Api::Properties::Name::Code, code.c_str());
    properties.Add(Api::Properties::Name::Title, ("Title of " + clauseId).c_str());
    properties.Add(Api::Properties::Name::Prefix, "Pre");
    properties.Add(Api::Properties::Name::Suffix, "Suf");
    return properties;
}

std::vector<char> PlanRecord(const PK::UniString& id, PK::ClassVersion version) {
    IO::MemoryOChannel32 oc;
    {
        PK::OutputFrame frame(oc, Model::PlanData::classInfo.GetId(), version);
        oc.Write(id);
    }
    return std::vector<char>(oc.GetDestination(), oc.GetDestination() + oc.GetDataSize());
}

void StoreConnectionRecord(TVSim::Project& project, int n, const API_Guid& system) {
    TestSupport::StoredConnection record;
    record.system = system;
    record.specId = Scene::SpecId(n);
    record.specTitle = ("Spec " + std::to_string(n)).c_str();
    record.StoreInto(project);
}

Scene::Scene(bool withPage) : sim((TVSim::Reset(), TVSim::OpenProject())), systems(AddClauseSystems(sim)) {
    Deliver();
    addOn = std::make_unique<AddOn>(withPage);
}

ConnectionPtr Scene::Connect(int n) {
    addOn->manager->ConnectWithSpecification(System(n), SpecId(n), ("Spec " + std::to_string(n)).c_str(), "project-1",
                                             "Project One");
    return addOn->manager->GetConnection(SpecId(n));
}

void Scene::Deliver() { PK::MainMessageLoop::RunPending(); }

API_Guid Scene::Item(int n, const char* code) const {
    return TVSim::GetProject()->FindClassificationItem(System(n), code);
}

API_Guid Scene::Associated(const ConnectionPtr& connection, int n, const char* code, API_ElemTypeID type) {
    const API_Guid element = TVSim::GetProject()->AddElement(type);
    const std::string clauseId = std::string("clause-") + code;
    connection->Cmd_AssociateElementsToVirtualType(clauseId.c_str(), Clause(clauseId, code), {element}, false);
    EXPECT_EQ(TVSim::GetProject()->GetItemOf(element, System(n)), Item(n, code)) << "the association failed";
    return element;
}

}  // namespace MgrTest
