#include "support/Team.hpp"

#include <exception>
#include <stdexcept>

#include "Model/Errors.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Implementation/Torvel.hpp"

namespace TestSupport {

namespace TW = TVSim::Teamwork;

namespace {

Team* active = nullptr;

TeamMember& CurrentMember() {
    if (active == nullptr) throw std::logic_error("no team");
    return active->Current();
}

// What the add-on's entry points do with the host's merge requests: the
// connection records go to the member's factory.
GSErrCode OnMerge(API_MDSetCmd command, const PK::UniString& name, const API_ModulData* stored,
                  const API_ModulData* incoming, API_ModulData* destination) {
    if (!Model::ConnectionWithSpecificationFactory::IsModulDataOfThisType(name)) return APIERR_BADPARS;
    return CurrentMember().factory->ModulDataMerge(command, name, stored, incoming, destination);
}

// Received changes: the loaded connections re-read themselves and the palette lists them again.
GSErrCode OnProjectEvent(API_NotifyEventID id, PK::Int32) {
    if (id != APINotify_ReceiveChanges) return NoError;
    TeamMember& member = CurrentMember();
    try {
        member.factory->RefreshLoadedFromStored();
        member.Show();
    } catch (const std::exception& e) {
        member.caughtByHost.push_back(e.what());
    }
    return NoError;
}

}  // namespace

TeamMember::TeamMember(bool whole) {
    if (whole) {
        addOn = std::make_unique<AddOn>();
        // The page, once loaded, asks for the states.
        addOn->manager->UpdateTessaryStates();
        return;
    }
    tv = std::make_shared<Implementation::Torvel>();
    tessary = std::make_shared<Model::TessaryPtr>();
    plan = std::make_shared<Model::PlanData>(tv);
    factory = std::make_unique<Model::ConnectionWithSpecificationFactory>(tv, tessary, plan);
    plan->GenerateNew();
    TVAPI_Install_ModulDataMergeHandler(OnMerge);
    TVAPI_Notify_CatchProjectEvent(APINotify_ReceiveChanges, OnProjectEvent);
}

void TeamMember::Show() {
    loadErrors.Clear();
    shown = factory->GetAll(&loadErrors);
}

ConnectionSummary Summarize(const Model::ConnectionWithSpecification& connection) {
    ConnectionSummary summary;
    connection.EnumerateVirtualTypes(
        [&](const Model::VirtualType& virtualType) { summary.clauses.insert(Text(virtualType.ClauseId())); });
    for (const auto& issue : connection.IssueCollection().Get()) {
        if (auto* unknown = dynamic_cast<const Model::Issue::UnknownError*>(issue.get()))
            summary.issues.insert(Text(unknown->GetHint()));
        else if (auto* missing = dynamic_cast<const Model::Issue::MissingClassificationItem*>(issue.get()))
            summary.issues.insert("missing " +
                                  Text(missing->GetTessaryClauseProperties().Get(Api::Properties::Name::Code)));
        else
            summary.issues.insert("?");
    }
    return summary;
}

bool AddClause(Model::ConnectionWithSpecification& connection, const char* clauseId, const char* code) {
    return connection.CallUndoableCmd("Add a clause",
                                      [&] { connection.GetOrCreateVirtualType(clauseId, Clause(clauseId, code)); });
}

void AddIssue(Model::ConnectionWithSpecification& connection, const std::string& hint) {
    connection.CallUndoableCmd("Add an issue", [&] {
        connection.AddIssue(std::make_shared<Model::Issue::UnknownError>(PK::UniString(hint.c_str())));
    });
}

ConnectionPtr ConnectSpec(Model::ConnectionWithSpecificationFactory& factory, const API_Guid& system, int n) {
    return factory.Cmd_Connect(system, SpecId(n), ("Spec " + std::to_string(n)).c_str(), "project-1", "Project One");
}

Team::Team(Level level) : _level(level) {
    TVSim::Reset();
    _systems = AddClauseSystems(TVSim::OpenProject());
    Deliver();
    active = this;
    TW::Share("Member A");
    TW::Join("Member B");
    _members.push_back(std::make_unique<TeamMember>(level == Level::Manager));
    if (level == Level::Manager) _members[0]->addOn->Leave();
    TW::SwitchTo(1);
    _members.push_back(std::make_unique<TeamMember>(level == Level::Manager));
    As(0);
}

Team::~Team() {
    _members.clear();
    active = nullptr;
}

void Team::As(Member m) {
    Deliver();
    if (_level == Level::Manager) Current().addOn->Leave();
    TW::SwitchTo(m);
    if (_level == Level::Manager) Current().addOn->Enter();
}

TeamMember& Team::Current() { return Of(TW::Current()); }

template <typename Action>
auto Team::Reserved(Action action) {
    // A member who holds the reservation already keeps it; one who takes it for the command lets it go after.
    const bool held =
        TVAPI_TeamworkControl_GetLockableStatus(Sim().GetLockableSetGuid(), nullptr) == APILockableStatus_Editable;
    if (!held) Sim().ReserveClassificationsAndProperties();
    const auto result = action();
    if (!held) Sim().ReleaseClassificationsAndProperties();
    if (_level == Level::Factory) Current().Show();
    return result;
}

ConnectionPtr Team::Connect(int n) {
    return Reserved([&]() -> ConnectionPtr {
        try {
            if (_level == Level::Factory) return ConnectSpec(*Current().factory, System(n), n);
            Model::Manager& manager = *Current().addOn->manager;
            manager.ConnectWithSpecification(System(n), SpecId(n), ("Spec " + std::to_string(n)).c_str(), "project-1",
                                             "Project One");
            return manager.GetConnection(SpecId(n));
        } catch (const Model::ClassificationSystemAlreadyUsedError&) {
        } catch (const Model::ConnectionAlreadyExistsForSpecificationInPlanError&) {
        } catch (const Api::ErrorPropertyManagerNoAccessRight&) {
        }
        return nullptr;
    });
}

bool Team::Disconnect(int n) {
    ConnectionPtr connection = Get(n);
    return connection != nullptr && Reserved([&] { return connection->Cmd_Disconnect(true); });
}

ConnectionPtr Team::Get(int n) { return Current().factory->GetById(SpecId(n)); }

void Team::SendAndReceive() {
    TW::SendAndReceive();
    Deliver();
}

void Team::Receive() {
    TW::Receive();
    Deliver();
}

void Team::SyncAll() {
    for (int round = 0; round < 4; ++round) {
        As(0);
        SendAndReceive();
        As(1);
        SendAndReceive();
        As(0);
        Receive();
        if (TW::OutgoingCount() == 0 && TW::IncomingCount() == 0) {
            As(1);
            if (TW::OutgoingCount() == 0 && TW::IncomingCount() == 0) return;
        }
    }
    throw std::runtime_error("the members do not settle");
}

ProjectSummary Team::Summary() {
    ProjectSummary summary;
    for (const auto& connection : Current().factory->GetAll())
        summary[Text(connection->TessarySpecificationId())] = Summarize(*connection);
    return summary;
}

}  // namespace TestSupport
