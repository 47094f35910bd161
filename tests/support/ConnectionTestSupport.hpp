#pragma once
// Scenario support for the connection tests: a simulated project with a
// classification system of clauses, connections made and loaded the way the
// add-on makes them, a page and a connection observer that record what they
// are told; stored records come from TestSupport::StoredConnection.
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/PlanData.hpp"
#include "Model/TessaryPtr.hpp"
#include "TVSim/Sim.hpp"
#include "Tessary/Api/Tessary.hpp"
#include "support/StoredConnection.hpp"

namespace ConnTest {

using namespace TessaryConnect;
using ConnectionPtr = std::shared_ptr<Model::ConnectionWithSpecification>;

// Runs the body as one host command, as the add-on's commands do, and passes
// on what it throws (the host's command wrapper would only log it).
void InCommand(Api::Torvel& tv, const std::function<void()>& body);

// Records every page call as one line, such as "AssociateSpec(spec-1, <plan id>, Untitled)".
class RecordingPage : public Api::Tessary {
public:
    void Init() override {}
    void SetAppState(const Api::AppState&) override { calls.push_back("SetAppState"); }
    void SetDocumentState(const Api::DocumentState&) override { calls.push_back("SetDocumentState"); }
    void SetSelectionState(const Api::SelectionState&) override { calls.push_back("SetSelectionState"); }
    void AssociateSpec(const PK::UniString& specId, const PK::UniString& documentRef,
                       const PK::UniString& documentName) override {
        Note("AssociateSpec", {specId, documentRef, documentName});
    }
    void RemoveSpecAssociation(const PK::UniString& specId, const PK::UniString& documentRef) override {
        Note("RemoveSpecAssociation", {specId, documentRef});
    }
    void Associate(const Api::AssociableType& type, const PK::UniString& text) override {
        Note("Associate", {type.id, text});
    }
    void RemoveAssociation(const PK::UniString& specId, const PK::UniString& clauseId) override {
        Note("RemoveAssociation", {specId, clauseId});
    }
    void SendAssociationFeedback(bool success, const PK::UniString& text) override {
        Note("SendAssociationFeedback", {success ? "1" : "0", text});
    }
    void RequestClauseData(const PK::UniString&, const PK::UniString&, const PK::Array<PK::UniString>&) override {
        calls.push_back("RequestClauseData");
    }

    std::vector<std::string> calls;

private:
    void Note(const char* call, std::initializer_list<PK::UniString> texts) {
        std::string line = std::string(call) + "(";
        for (const PK::UniString& text : texts) line += (line.back() == '(' ? "" : ", ") + text.ToCStr();
        calls.push_back(line + ")");
    }
};

// Records the connection's events by name, e.g. "IssueListChanged".
class RecordingObserver : public Model::ConnectionWithSpecificationObserver {
public:
    void ConnEvent_Disconnected(const ConnectionPtr&) override { events.push_back("Disconnected"); }
    void ConnEvent_VirtualTypeListChanged(const ConnectionPtr&) override { events.push_back("VirtualTypeListChanged"); }
    void ConnEvent_IssueListChanged(const ConnectionPtr&) override { events.push_back("IssueListChanged"); }
    void ConnEvent_UnassociatedElementTypeChanged(const ConnectionPtr&,
                                                  const PK::HashSet<Model::Element::Type>& types) override {
        events.push_back("UnassociatedElementTypeChanged");
        reports.push_back(types);
    }
    void ConnEvent_TitleChanged(const ConnectionPtr&) override { events.push_back("TitleChanged"); }

    std::vector<std::string> events;
    // The types of each unassociated-elements report, in order.
    std::vector<PK::HashSet<Model::Element::Type>> reports;
};

// A clause's properties as the page sends them.
Api::Properties Clause(const PK::UniString& clauseId, const PK::UniString& code, const PK::UniString& title = "Title",
                       const PK::UniString& prefix = "Pre", const PK::UniString& suffix = "Suf");

// An open simulated project with the classification system "Clauses" (items
// A10, B20 and, under B20, B21) and the shared pointers a connection is made with.
struct Project {
    Project();

    // A new connection made inside a host command, as the factory makes it.
    ConnectionPtr Connect(const PK::UniString& specId = "spec-1", const PK::UniString& specTitle = "Spec One",
                          const PK::UniString& projectId = "project-1",
                          const PK::UniString& projectTitle = "Project One");
    // A connection read from the module data of that specification.
    ConnectionPtr Load(const PK::UniString& specId = "spec-1");
    // Reads the module data of that specification into the connection.
    void Reload(Model::ConnectionWithSpecification& connection, const PK::UniString& specId = "spec-1");
    // The stored bytes of that specification's connection.
    std::vector<char> StoredBytes(const PK::UniString& specId = "spec-1") const;

    // The group a connection created, found by its name in the host, and a clause property's definition in it.
    API_Guid GroupOf(const PK::UniString& groupName) const { return sim.FindPropertyGroup(groupName); }
    API_Guid DefinitionOf(const API_Guid& group, const PK::UniString& propertyName) const {
        return sim.FindPropertyDefinition(group, propertyName);
    }

    TVSim::Project& sim;
    API_Guid system;
    std::map<std::string, API_Guid> items;
    std::shared_ptr<Api::Torvel> tv;
    std::shared_ptr<RecordingPage> page;
    std::shared_ptr<Model::TessaryPtr> tessary;
    std::shared_ptr<Model::PlanData> plan;
};

using TestSupport::StoredConnection;

}  // namespace ConnTest
