#pragma once
// The add-on as it runs on one machine, loaded by the simulated host through its entry functions: its manager, with
// a recording palette and page. Page calls and palette events go into one timeline: "page SetSelectionState(null)",
// "SelectedConnectionChanged(spec-1)".
#include <stdexcept>

#include "IO/Location.hpp"
#include "Main.hpp"
#include "Model/Manager.hpp"
#include "TVSim/AddOnLoader.hpp"
#include "UI/PaletteManager.hpp"
#include "support/Project.hpp"
#include "support/TempDir.hpp"

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

// The add-on's entry functions, as the host finds them in its bundle.
inline TVSim::AddOnEntryPoints EntryPoints() { return {&CheckEnvironment, &RegisterInterface, &Initialize, &FreeData}; }

// Where the add-on keeps its preferences (the tracking user id) and its log in tests: a folder of the process's own.
inline void KeepAddOnFilesAside() {
    static const TempDir folder;  // points the preferences store at itself
    IO::Testing::RedirectSpecialLocation(IO::FileSystem::UserLocalSettings, folder.Path() / "local");
}

// The add-on on this machine, loaded by the simulated host through its entry functions as the host loads it: the
// manager is the one Initialize made, and the host's notifications, menu command, palette messages and merge
// requests reach the add-on through what it registered. The recording palette and page stand in for the real
// ones; unloading (FreeData) comes with the end of the object.
//
// The add-on keeps its manager in a process-wide global, and team tests run two members' machines in one process:
// a member that leaves parks its manager (the global goes empty and the manager stops hearing the host) and takes it
// back when it enters again, while the host parks that machine's loaded add-on and registrations (TVSim::Teamwork).
class AddOn {
public:
    // With a host interface of the test's own, the manager Initialize made gives way to one over that interface.
    explicit AddOn(bool withPage = true, std::shared_ptr<Api::Torvel> host = nullptr) {
        KeepAddOnFilesAside();
        if (TessaryConnect::manager != nullptr)
            throw std::logic_error("another add-on on this process holds the manager: Leave it first");
        const TVSim::AddOnLoading loading = TVSim::LoadAddOn(EntryPoints());
        if (!loading.loaded || TessaryConnect::manager == nullptr)
            throw std::runtime_error("the simulated host did not load the add-on");
        if (host != nullptr) {
            Api::TorvelEventSource::GetInstance().Detach(*TessaryConnect::manager);
            TessaryConnect::manager = std::make_shared<Model::Manager>(TessaryConnect::Version, host, nullptr);
            Api::TorvelEventSource::GetInstance().Attach(*TessaryConnect::manager);
        }
        manager = TessaryConnect::manager;
        manager->Attach(palette);
        if (withPage) manager->ResetTessaryApi(page);
    }
    // Unloads the add-on, when this machine is the host's current one.
    ~AddOn() {
        if (_entered && TVSim::IsAddOnLoaded()) TVSim::UnloadAddOn();
        if (_entered && TessaryConnect::manager == manager) TessaryConnect::manager.reset();
    }
    AddOn(const AddOn&) = delete;
    AddOn& operator=(const AddOn&) = delete;

    // This machine's add-on takes its manager back and hears its host again, or parks it and stops hearing.
    void Enter() { TessaryConnect::manager = manager, Hear(true), _entered = true; }
    void Leave() {
        if (UI::PaletteManager::GetInstance().GetPalette() != nullptr)
            throw std::logic_error("the palette is one per process: close it before another machine's add-on enters");
        Hear(false), TessaryConnect::manager.reset(), _entered = false;
    }
    Timeline Take() { return std::exchange(timeline, {}); }

    Timeline timeline;
    std::shared_ptr<RecordingPage> page = std::make_shared<RecordingPage>(timeline);
    RecordingPalette palette{timeline};
    std::shared_ptr<Model::Manager> manager;

private:
    void Hear(bool on) {
        Api::TorvelEventSource& source = Api::TorvelEventSource::GetInstance();
        const auto attach = [&](Api::TorvelEventObserver& o) { on ? source.Attach(o) : source.Detach(o); };
        attach(*manager);
        for (const ConnectionPtr& connection : manager->GetConnections())
            attach(connection->UnassociatedElementsCache());
    }

    bool _entered = true;
};

// The standard project with the add-on started in it.
struct AddOnProject : Project {
    explicit AddOnProject(bool withPage = true, std::shared_ptr<Api::Torvel> host = nullptr)
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
