#pragma once
// The command tests' scene: the standard project connected to "spec-1",
// whose connection's events go into the project's timeline after the page's
// calls, and short ways to read back what the project holds.
#include <string>
#include <vector>

#include "Model/Issue/ElementsAssociation.hpp"
#include "Model/Issue/UpdateElementsProperties.hpp"
#include "support/Project.hpp"
#include "support/RecordingObserver.hpp"

namespace CmdTest {

using namespace TestSupport;

// An issue as "<kind or type>[<element count>]", or its class name when it has no elements.
std::string IssueName(const Model::Issue::Base& issue);

struct Scene : Project {
    // Connected to "spec-1", with the timeline watching the connection from then on.
    Scene();

    // The issues by IssueName, in collection order.
    std::vector<std::string> Issues() const;
    template <typename Kind>
    PK::Array<std::shared_ptr<Kind>> IssuesOf() const {
        return connection->IssueCollection().GetIssuesByType<Kind>();
    }
    // Fixes the issue the way the issues panel does.
    void Fix(const std::shared_ptr<Model::Issue::Base>& issue);

    // The definition the connection made for a clause property.
    API_Guid Definition(const PK::UniString& propertyName) const {
        return connection->PropertyGroup().GetPropertyGuid(propertyName);
    }
    // What the element shows for the clause property (the definition's default when unwritten).
    std::string ValueOf(const API_Guid& element, const PK::UniString& propertyName) const {
        return Text(sim.GetPropertyText(element, Definition(propertyName)));
    }
    bool IsClassifiedWith(const API_Guid& element, const char* code) const {
        return sim.GetItemOf(element, System()) == Item(code);
    }
    // The names of the undoable steps made since the count was taken.
    std::vector<std::string> UndoableStepsSince(std::size_t count) const;

    ConnectionPtr connection;
    RecordingObserver observer{*connection, timeline};
};

}  // namespace CmdTest
