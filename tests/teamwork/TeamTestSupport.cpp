#include "TeamTestSupport.hpp"

#include <exception>
#include <stdexcept>

#include "Model/Errors.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "PK/Runnable.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/StoredConnection.hpp"

namespace TeamTest {

namespace TW = TVSim::Teamwork;

namespace {

Team* active = nullptr;

AddOn& CurrentAddOn() {
    if (active == nullptr) throw std::logic_error("no team");
    return active->Current();
}

// What the add-on's entry points do with the host's merge requests: the
// connection records go to the member's factory.
GSErrCode OnMerge(API_MDSetCmd command, const PK::UniString& name, const API_ModulData* stored,
                  const API_ModulData* incoming, API_ModulData* destination) {
    if (!Model::ConnectionWithSpecificationFactory::IsModulDataOfThisType(name)) return APIERR_BADPARS;
    return CurrentAddOn().factory.ModulDataMerge(command, name, stored, incoming, destination);
}

// Received changes: the loaded connections re-read themselves and the palette lists them again.
GSErrCode OnProjectEvent(API_NotifyEventID id, PK::Int32) {
    if (id != APINotify_ReceiveChanges) return NoError;
    AddOn& addOn = CurrentAddOn();
    try {
        addOn.factory.RefreshLoadedFromStored();
        addOn.Show();
    } catch (const std::exception& e) {
        addOn.caughtByHost.push_back(e.what());
    }
    return NoError;
}

void RegisterAddOn() {
    TVAPI_Install_ModulDataMergeHandler(OnMerge);
    TVAPI_Notify_CatchProjectEvent(APINotify_ReceiveChanges, OnProjectEvent);
}

}  // namespace

AddOn::AddOn(Member member)
    : member(member),
      tv(std::make_shared<Implementation::Torvel>()),
      tessary(std::make_shared<Model::TessaryPtr>()),
      plan(std::make_shared<Model::PlanData>(tv)),
      factory(tv, tessary, plan) {
    plan->GenerateNew();
}

void AddOn::Show() {
    loadErrors.Clear();
    shown = factory.GetAll(&loadErrors);
}

std::string Text(const PK::UniString& text) { return text.ToCStr(); }

Api::Properties Clause(const std::string& clauseId, const std::string& code) {
    Api::Properties properties;
    properties.Add(Api::Properties::Name::ClauseId, PK::UniString(clauseId.c_str()));
    properties.Add(Api::Properties::Name::Code, PK::UniString(code.c_str()));
    properties.Add(Api::Properties::Name::Title, PK::UniString(("Title of " + clauseId).c_str()));
    properties.Add(Api::Properties::Name::Prefix, "Pre");
    properties.Add(Api::Properties::Name::Suffix, "Suf");
    return properties;
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

bool AddClause(Model::ConnectionWithSpecification& connection, const std::string& clauseId, const std::string& code) {
    return connection.CallUndoableCmd("Add a clause", [&] {
        connection.GetOrCreateVirtualType(PK::UniString(clauseId.c_str()), Clause(clauseId, code));
    });
}

void AddIssue(Model::ConnectionWithSpecification& connection, const std::string& hint) {
    connection.CallUndoableCmd("Add an issue", [&] {
        connection.AddIssue(std::make_shared<Model::Issue::UnknownError>(PK::UniString(hint.c_str())));
    });
}

std::string RecordName(int n) { return "ConnectionWithSpecification:spec-" + std::to_string(n); }

std::vector<char> StoredIn(const TVSim::Project& project, const std::string& modulDataName) {
    const TVSim::ModulData* data = project.GetModulData(PK::UniString(modulDataName.c_str()));
    return data != nullptr && data->bytes ? *data->bytes : std::vector<char>();
}

std::vector<API_Guid> AddClassificationSystems(TVSim::Project& project, int count) {
    std::vector<API_Guid> systems;
    for (int n = 1; n <= count; ++n) {
        systems.push_back(project.AddClassificationSystem(PK::UniString(("Clauses " + std::to_string(n)).c_str())));
        for (const char* id : {"A10", "B20", "C30"}) project.AddClassificationItem(systems.back(), id);
    }
    return systems;
}

Team::Team(int specs) {
    TVSim::Reset();
    _systems = AddClassificationSystems(TVSim::OpenProject(), specs);
    active = this;
    TW::Share("Member A");
    TW::Join("Member B");
    _addOns.push_back(std::make_unique<AddOn>(0));
    RegisterAddOn();
    TW::SwitchTo(1);
    _addOns.push_back(std::make_unique<AddOn>(1));
    RegisterAddOn();
    TW::SwitchTo(0);
}

Team::~Team() {
    _addOns.clear();
    active = nullptr;
}

void Team::As(Member m) {
    PK::MainMessageLoop::RunPending();
    TW::SwitchTo(m);
}

AddOn& Team::Current() { return Of(TW::Current()); }

template <typename Action>
auto Team::Reserved(Action action) {
    // A member who holds the reservation already keeps it; one who takes it for the command lets it go after.
    const bool held =
        TVAPI_TeamworkControl_GetLockableStatus(Project().GetLockableSetGuid(), nullptr) == APILockableStatus_Editable;
    if (!held) Project().ReserveClassificationsAndProperties();
    const auto result = action();
    if (!held) Project().ReleaseClassificationsAndProperties();
    Current().Show();
    return result;
}

ConnectionPtr Team::Connect(int n) {
    return Reserved([&]() -> ConnectionPtr {
        try {
            return Current().factory.Cmd_Connect(System(n), PK::UniString(SpecId(n).c_str()),
                                                 PK::UniString(("Spec " + std::to_string(n)).c_str()), "project-1",
                                                 "Project One");
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

ConnectionPtr Team::Get(int n) { return Current().factory.GetById(PK::UniString(SpecId(n).c_str())); }

void Team::SendAndReceive() {
    TW::SendAndReceive();
    PK::MainMessageLoop::RunPending();
}

void Team::Receive() {
    TW::Receive();
    PK::MainMessageLoop::RunPending();
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
    for (const auto& connection : Current().factory.GetAll())
        summary[Text(connection->TessarySpecificationId())] = Summarize(*connection);
    return summary;
}

std::vector<char> NewerConnectionRecord() {
    TestSupport::StoredConnection record;
    record.version = PK::ClassVersion(2, 0);
    return record.Bytes();
}

}  // namespace TeamTest
