#include "support/AddOn.hpp"

#include "Model/AddonVersion.hpp"
#include "Model/SelectionCache.hpp"
#include "Torvel/Api/TorvelEventSource.hpp"
#include "Torvel/Implementation/Torvel.hpp"

namespace TestSupport {

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

void RecordingPalette::ManagerEvent_AssociationWithSpecificationRequested(
    const std::shared_ptr<Model::Manager>& manager, const PK::UniString& projectId, const PK::UniString& projectTitle,
    const PK::UniString& specId, const PK::UniString& specTitle, const PK::UniString& specType) {
    // The palette connects afresh: the specification's connection must be marked disconnected by now.
    const ConnectionPtr existing = manager->GetConnection(specId);
    _timeline.push_back("AssociationWithSpecificationRequested(" + Text(projectId) + ", " + Text(projectTitle) + ", " +
                        Text(specId) + ", " + Text(specTitle) + ", " + Text(specType) + ")" +
                        (existing != nullptr && existing->IsDisconnected() ? " of a disconnected connection" : ""));
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

AddOnProject::AddOnProject(bool withPage) {
    Deliver();
    addOn = std::make_unique<AddOn>(withPage);
}

ConnectionPtr AddOnProject::ConnectSpec(int n) {
    addOn->manager->ConnectWithSpecification(System(n), SpecId(n), ("Spec " + std::to_string(n)).c_str(), "project-1",
                                             "Project One");
    return addOn->manager->GetConnection(SpecId(n));
}

}  // namespace TestSupport
