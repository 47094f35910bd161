#pragma once
// Scenario support for the manager: the add-on as it runs on one member's
// machine (host interface, manager, the browser's page and the palette)
// subscribed to the simulated host's notifications and merge requests, and a
// timeline in which the page's calls and the palette's events appear in the
// order they happened.
#include <memory>
#include <string>
#include <vector>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Manager.hpp"
#include "TVSim/Sim.hpp"
#include "Tessary/Api/Tessary.hpp"
#include "Tessary/Api/TessaryCallbackApi.hpp"

namespace MgrTest {

using namespace TessaryConnect;
using ConnectionPtr = std::shared_ptr<Model::ConnectionWithSpecification>;
// Lines such as "page SetSelectionState(null)" and "SelectedConnectionChanged(spec-1)".
using Timeline = std::vector<std::string>;

std::string Text(const PK::UniString& text);

// The page in the browser: writes each call into the timeline and keeps the
// last state of each kind. Its calls into the model go through the
// callbacks the manager registered with it, as the browser's calls do.
class RecordingPage : public Api::Tessary {
public:
    explicit RecordingPage(Timeline& timeline) : _timeline(timeline) {}

    void Init() override {}
    void SetAppState(const Api::AppState& state) override;
    void SetDocumentState(const Api::DocumentState& state) override;
    void SetSelectionState(const Api::SelectionState& state) override;
    void AssociateSpec(const PK::UniString& specId, const PK::UniString& documentRef,
                       const PK::UniString& documentName) override;
    void RemoveSpecAssociation(const PK::UniString& specId, const PK::UniString& documentRef) override;
    void Associate(const Api::AssociableType& type, const PK::UniString& text) override;
    void RemoveAssociation(const PK::UniString& specId, const PK::UniString& clauseId) override;
    void SendAssociationFeedback(bool success, const PK::UniString& text) override;
    void RequestClauseData(const PK::UniString& projectId, const PK::UniString& specId,
                           const PK::Array<PK::UniString>& clauseIds) override;

    // The model's callbacks, as the page reaches them; fails the test when none are registered.
    Api::TessaryCallbackApi& Model();

    Api::AppState app;
    Api::DocumentState document;
    Api::SelectionState selection;

private:
    Timeline& _timeline;
};

// The palette: writes each manager event into the timeline.
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

// The add-on on one machine: made as the entry functions make it (a manager
// without page), with the palette attached and the browser's page handed
// over; the host's notifications and merge requests reach it while it is
// the current member's.
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

// An open project with the classification systems "Clauses 1" and "Clauses
// 2" (items A10, B20, C30 each) and the add-on running in it.
struct Scene {
    explicit Scene(bool withPage = true);

    // Connects spec-<n> through system n, as the palette does for the page's request.
    ConnectionPtr Connect(int n);
    // Delivers what the host queued.
    static void Deliver();

    static PK::UniString SpecId(int n) { return ("spec-" + std::to_string(n)).c_str(); }
    API_Guid System(int n) const { return systems[static_cast<std::size_t>(n - 1)]; }
    // The item of the code in system n.
    API_Guid Item(int n, const char* code) const;
    // An element of the type associated with the clause of the code in
    // spec-<n>'s connection, the way an association leaves it.
    API_Guid Associated(const ConnectionPtr& connection, int n, const char* code, API_ElemTypeID type = API_WallID);

    TVSim::Project& sim;
    std::vector<API_Guid> systems;
    std::unique_ptr<AddOn> addOn;
};

// Makes systems "Clauses 1" and "Clauses 2" in the project.
std::vector<API_Guid> AddClauseSystems(TVSim::Project& project);
// A clause's properties as the page sends them.
Api::Properties Clause(const std::string& clauseId, const std::string& code);
// The content of the "PlanData" add-on object as a member with that id (or
// another version of the add-on) leaves it.
std::vector<char> PlanRecord(const PK::UniString& id, PK::ClassVersion version = {1, 0});
// Stores spec-<n>'s connection through system n, as another session left it.
void StoreConnectionRecord(TVSim::Project& project, int n, const API_Guid& system);

}  // namespace MgrTest
