#pragma once
// Scenario support for the command tests: a connected specification over the
// simulated host (classification system "Clauses" with A10, B20, B21), one
// timeline of what the page and the connection's observers are told, and
// short ways to read back what the project holds.
#include <string>
#include <vector>

#include "Model/Issue/ElementsAssociation.hpp"
#include "Model/Issue/UpdateElementsProperties.hpp"
#include "support/ConnectionTestSupport.hpp"

namespace CmdTest {

using namespace TessaryConnect;
using ConnTest::ConnectionPtr;

// Writes every connection event into a timeline as "event:<name>".
class TimelineObserver : public Model::ConnectionWithSpecificationObserver {
public:
    explicit TimelineObserver(std::vector<std::string>& timeline) : _timeline(timeline) {}

    void ConnEvent_Disconnected(const ConnectionPtr&) override { Add("Disconnected"); }
    void ConnEvent_VirtualTypeListChanged(const ConnectionPtr&) override { Add("VirtualTypeListChanged"); }
    void ConnEvent_IssueListChanged(const ConnectionPtr&) override { Add("IssueListChanged"); }
    void ConnEvent_UnassociatedElementTypeChanged(const ConnectionPtr&,
                                                  const PK::HashSet<Model::Element::Type>&) override {
        Add("UnassociatedElementTypeChanged");
    }
    void ConnEvent_ErrorPropertyManagerNoAccessRight(const ConnectionPtr&) override {
        Add("ErrorPropertyManagerNoAccessRight");
    }
    void ConnEvent_ErrorClassificationManagerNoAccessRight(const ConnectionPtr&) override {
        Add("ErrorClassificationManagerNoAccessRight");
    }
    void ConnEvent_IssueWereThrown(const ConnectionPtr&, const std::shared_ptr<Model::Issue::Base>& issue) override;
    void ConnEvent_TitleChanged(const ConnectionPtr&) override { Add("TitleChanged"); }

private:
    void Add(const std::string& name) { _timeline.push_back("event:" + name); }
    std::vector<std::string>& _timeline;
};

// An issue as "<kind or type>[<element count>]", or its class name when it has no elements.
std::string IssueName(const Model::Issue::Base& issue);

struct Scene : ConnTest::Project {
    // Connected to "spec-1", with the timeline watching the connection from then on.
    Scene();

    // What the page was told and what the observers heard, in order.
    std::vector<std::string>& Timeline() { return page->calls; }
    // The issues by IssueName, in collection order.
    std::vector<std::string> Issues() const;
    template <typename Kind>
    PK::Array<std::shared_ptr<Kind>> IssuesOf() const {
        return connection->IssueCollection().GetIssuesByType<Kind>();
    }
    // Fixes the issue the way the issues panel does.
    void Fix(const std::shared_ptr<Model::Issue::Base>& issue);

    // The definition the connection made for a clause property.
    API_Guid Definition(const PK::UniString& propertyName) const;
    // What the element shows for the clause property (the definition's default when unwritten).
    std::string ValueOf(const API_Guid& element, const PK::UniString& propertyName) const;
    bool IsClassifiedWith(const API_Guid& element, const char* item) const;
    // An element classified with the item and carrying the clause id, as an earlier association left it.
    API_Guid AddAssociated(const PK::UniString& clauseId, const char* item, API_ElemTypeID type = API_WallID,
                           const TVSim::ElementOptions& options = {});
    // The names of the undoable steps made since the count was taken.
    std::vector<std::string> UndoableStepsSince(std::size_t count) const;

    ConnectionPtr connection;
    TimelineObserver observer{page->calls};
};

}  // namespace CmdTest
