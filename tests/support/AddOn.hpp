#pragma once
// The add-on as it runs on one machine: host interface, manager (made as the entry functions make it), palette and
// page, subscribed to the simulated host's notifications and merge requests. Page calls and palette events go into one
// timeline: "page SetSelectionState(null)", "SelectedConnectionChanged(spec-1)".
#include "Model/Manager.hpp"
#include "support/Project.hpp"

namespace TestSupport {

// The palette: writes each manager event into the timeline; a requested
// association tells when the specification's connection is marked
// disconnected already.
class RecordingPalette : public Model::ManagerObserver {
public:
    explicit RecordingPalette(Timeline& timeline) : _timeline(timeline) {}

    void ManagerEvent_AssociationWithSpecificationRequested(const std::shared_ptr<Model::Manager>& manager,
                                                            TextArg projectId, TextArg projectTitle, TextArg specId,
                                                            TextArg specTitle, TextArg specType) override {
        // The palette connects afresh: the specification's connection must be marked disconnected by now.
        const ConnectionPtr existing = manager->GetConnection(specId);
        Note("AssociationWithSpecificationRequested(" + Text(projectId) + ", " + Text(projectTitle) + ", " +
             Text(specId) + ", " + Text(specTitle) + ", " + Text(specType) + ")" +
             (existing != nullptr && existing->IsDisconnected() ? " of a disconnected connection" : ""));
    }
    void ManagerEvent_ConnectionLoadedToBeDisconnected(const ConnectionPtr& connection) override {
        Note("ConnectionLoadedToBeDisconnected(" + SpecOf(connection) + ")");
    }
    void ManagerEvent_SelectionChanged(const Model::SelectionCache& selection) override {
        Note("SelectionChanged(" + std::to_string(selection.GetSelectedCount()) + ")");
    }
    void ManagerEvent_SelectedConnectionChanged(const ConnectionPtr& connection) override {
        Note("SelectedConnectionChanged(" + SpecOf(connection) + ")");
    }
    void ManagerEvent_ConnectionsChanged() override { Note("ConnectionsChanged"); }
    void ManagerEvent_ErrorWhileLoadingConnection() override { Note("ErrorWhileLoadingConnection"); }
    void ManagerEvent_OnlineStateChanged(bool online) override {
        Note(std::string("OnlineStateChanged(") + (online ? "online" : "offline") + ")");
    }
    void ManagerEvent_ErrorTessaryAssociationRequestedButConnectionDoesNotExist() override {
        Note("ErrorTessaryAssociationRequestedButConnectionDoesNotExist");
    }

private:
    static std::string SpecOf(const ConnectionPtr& c) { return c ? Text(c->TessarySpecificationId()) : "none"; }
    void Note(std::string line) { _timeline.push_back(std::move(line)); }

    Timeline& _timeline;
};

// The host's notifications and merge requests reach the current add-on: the last made, or the last that entered.
class AddOn {
public:
    // The host interface is the real one unless a test wraps it.
    explicit AddOn(bool withPage = true, std::shared_ptr<Api::Torvel> host = std::make_shared<Implementation::Torvel>())
        : tv(std::move(host)) {
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
    ~AddOn() { Leaving(); }
    AddOn(const AddOn&) = delete;
    AddOn& operator=(const AddOn&) = delete;

    // From now on the host's notifications and merges reach this add-on and its connections' caches, or no longer.
    void Enter() { Hear(true), current = this; }
    void Leave() { Hear(false), Leaving(); }
    Timeline Take() { return std::exchange(timeline, {}); }

    Timeline timeline;
    std::shared_ptr<Api::Torvel> tv;
    std::shared_ptr<RecordingPage> page = std::make_shared<RecordingPage>(timeline);
    std::shared_ptr<Model::Manager> manager =
        std::make_shared<Model::Manager>(Model::AddonVersion::FromString("1.3.1.0"), tv, nullptr);
    RecordingPalette palette{timeline};

private:
    // What the add-on's merge entry point does: the manager answers.
    static PKErrCode OnMerge(API_MDSetCmd command, const PK::UniString& name, const API_ModulData* stored,
                             const API_ModulData* incoming, API_ModulData* destination) {
        return current ? current->manager->HandleModulDataMergeRequest(command, name, stored, incoming, destination)
                       : APIERR_BADPARS;
    }
    void Hear(bool on) {
        Api::TorvelEventSource& source = Api::TorvelEventSource::GetInstance();
        const auto attach = [&](Api::TorvelEventObserver& o) { on ? source.Attach(o) : source.Detach(o); };
        attach(*manager);
        for (const ConnectionPtr& connection : manager->GetConnections())
            attach(connection->UnassociatedElementsCache());
    }
    void Leaving() { current = current == this ? nullptr : current; }

    static inline AddOn* current = nullptr;
};

// The standard project with the add-on started in it.
struct AddOnProject : Project {
    explicit AddOnProject(bool withPage = true,
                          std::shared_ptr<Api::Torvel> host = std::make_shared<Implementation::Torvel>())
        : addOn((Deliver(), std::make_unique<AddOn>(withPage, std::move(host)))) {}

    // Connects spec-<n> through system n, as the palette does for the page's request.
    ConnectionPtr ConnectSpec(int n) {
        addOn->manager->ConnectWithSpecification(System(n), SpecId(n), ("Spec " + std::to_string(n)).c_str(),
                                                 "project-1", "Project One");
        return addOn->manager->GetConnection(SpecId(n));
    }

    std::unique_ptr<AddOn> addOn;
};

}  // namespace TestSupport
