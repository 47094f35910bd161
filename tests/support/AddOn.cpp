#include "support/AddOn.hpp"

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

}  // namespace

AddOn::AddOn(bool withPage)
    : tv(std::make_shared<Implementation::Torvel>()),
      page(std::make_shared<RecordingPage>(timeline)),
      manager(std::make_shared<Model::Manager>(Model::AddonVersion::FromString("1.3.1.0"), tv, nullptr)),
      palette(timeline) {
    // As the add-on subscribes at start-up.
    TVAPI_Notify_CatchSelectionChange(&Api::TorvelEventSource::Send_SelectionChanged);
    TVAPI_Notify_CatchProjectEvent(0x00000FFF | APINotify_ReceiveChanges | APINotify_SendChanges,
                                   &Api::TorvelEventSource::Send_ProjectEvent);
    TVAPI_Install_ModulDataMergeHandler(&OnMerge);
    TVAPI_Notify_CatchNewElement(nullptr, &Api::TorvelEventSource::Element_NewElementEvent);
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

ConnectionPtr AddOnProject::ConnectSpec(int n) {
    addOn->manager->ConnectWithSpecification(System(n), SpecId(n), ("Spec " + std::to_string(n)).c_str(), "project-1",
                                             "Project One");
    return addOn->manager->GetConnection(SpecId(n));
}

}  // namespace TestSupport
