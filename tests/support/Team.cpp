#include "support/Team.hpp"

#include <stdexcept>

#include "Model/Errors.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "Torvel/Api/Error.hpp"

namespace TestSupport {

namespace TW = TVSim::Teamwork;

ConnectionSummary Summarize(const Model::ConnectionWithSpecification& connection) {
    ConnectionSummary summary;
    connection.EnumerateVirtualTypes(
        [&](const Model::VirtualType& virtualType) { summary.clauses.insert(Text(virtualType.ClauseId())); });
    for (const auto& issue : connection.IssueCollection().Get()) {
        auto* unknown = dynamic_cast<const Model::Issue::UnknownError*>(issue.get());
        summary.issues.insert(unknown != nullptr ? Text(unknown->GetHint()) : "?");
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

Team::Team() {
    TVSim::Reset();
    _systems = AddClauseSystems(TVSim::OpenProject());
    Deliver();
    TW::Share("Member A");
    TW::Join("Member B");
    _members.push_back(std::make_unique<TeamMember>());
    _members[0]->addOn->Leave();
    TW::SwitchTo(1);
    _members.push_back(std::make_unique<TeamMember>());
    As(0);
}

void Team::As(Member m) {
    Deliver();
    Current().addOn->Leave();
    TW::SwitchTo(m);
    Current().addOn->Enter();
}

template <typename Action>
auto Team::Reserved(Action action) {
    // A member who holds the reservation already keeps it; one who takes it for the command lets it go after.
    const bool held =
        TVAPI_TeamworkControl_GetLockableStatus(Sim().GetLockableSetGuid(), nullptr) == APILockableStatus_Editable;
    if (!held) Sim().ReserveClassificationsAndProperties();
    const auto result = action();
    if (!held) Sim().ReleaseClassificationsAndProperties();
    return result;
}

ConnectionPtr Team::Connect(int n) {
    return Reserved([&]() -> ConnectionPtr {
        try {
            Model::Manager& manager = *Current().addOn->manager;
            manager.ConnectWithSpecification(System(n), SpecId(n), ("Spec " + std::to_string(n)).c_str(), "project-1",
                                             "Project One");
            return manager.GetConnection(SpecId(n));
        } catch (const Model::ClassificationSystemAlreadyUsedError&) {
        } catch (const Model::AnotherUserIsInitingThePlanId&) {
        } catch (const Api::ErrorPropertyManagerNoAccessRight&) {
        }
        return nullptr;
    });
}

bool Team::Disconnect(int n) {
    ConnectionPtr connection = Get(n);
    return connection != nullptr && Reserved([&] { return connection->Cmd_Disconnect(true); });
}

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
    for (const auto& connection : Current().addOn->manager->GetConnections())
        summary[Text(connection->TessarySpecificationId())] = Summarize(*connection);
    return summary;
}

}  // namespace TestSupport
