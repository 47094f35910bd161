#pragma once
// The add-on as it runs on one machine: the host interface, the manager
// (made as the entry functions make it, without a page), the palette
// attached and the browser's page handed over, subscribed to the simulated
// host's notifications and merge requests. The page's calls and the
// palette's events go into one timeline in the order they happened:
// "page SetSelectionState(null)", "SelectedConnectionChanged(spec-1)".
#include <memory>

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
                                                            const PK::UniString& projectId,
                                                            const PK::UniString& projectTitle,
                                                            const PK::UniString& specId, const PK::UniString& specTitle,
                                                            const PK::UniString& specType) override;
    void ManagerEvent_ConnectionLoadedToBeDisconnected(const ConnectionPtr& connection) override;
    void ManagerEvent_SelectionChanged(const Model::SelectionCache& selection) override;
    void ManagerEvent_SelectedConnectionChanged(const ConnectionPtr& connection) override;
    void ManagerEvent_ConnectionsChanged() override { _timeline.push_back("ConnectionsChanged"); }
    void ManagerEvent_ErrorWhileLoadingConnection() override { _timeline.push_back("ErrorWhileLoadingConnection"); }
    void ManagerEvent_OnlineStateChanged(bool online) override;
    void ManagerEvent_ErrorTessaryAssociationRequestedButConnectionDoesNotExist() override {
        _timeline.push_back("ErrorTessaryAssociationRequestedButConnectionDoesNotExist");
    }

private:
    Timeline& _timeline;
};

// The host's notifications and merge requests reach the add-on while it is
// the current one: the last made, or the last that entered.
class AddOn {
public:
    explicit AddOn(bool withPage = true);
    ~AddOn();
    AddOn(const AddOn&) = delete;
    AddOn& operator=(const AddOn&) = delete;

    // The host's notifications and merge requests go to this add-on (and
    // its connections' caches) from now on, or no longer.
    void Enter();
    void Leave();
    // Takes the timeline written so far, leaving it empty.
    Timeline Take();

    Timeline timeline;
    std::shared_ptr<Api::Torvel> tv;
    std::shared_ptr<RecordingPage> page;
    std::shared_ptr<Model::Manager> manager;
    RecordingPalette palette;
};

// The standard project with the add-on started in it.
struct AddOnProject : Project {
    explicit AddOnProject(bool withPage = true);

    // Connects spec-<n> through system n, as the palette does for the page's request.
    ConnectionPtr ConnectSpec(int n);

    std::unique_ptr<AddOn> addOn;
};

}  // namespace TestSupport
