#pragma once
// The standard project connected to "spec-1", its connection's events in the timeline.
#include <fmt/format.h>

#include "Model/Issue/BaseWithText.hpp"
#include "Model/Issue/ElementsAssociation.hpp"
#include "Model/Issue/UpdateElementsProperties.hpp"
#include "support/Project.hpp"
#include "support/RecordingObserver.hpp"

namespace CmdTest {

using namespace TestSupport;
using Events = std::vector<std::string>;

// An issue as "<kind or type>[<element count>]", or its class name when it has no elements.
inline std::string IssueName(const Model::Issue::Base& issue) {
    const auto named = [](const auto* e) {
        return fmt::format("{}[{}]", e->GetType(), e->GetErroredElements().GetSize());
    };
    if (auto* association = dynamic_cast<const Model::Issue::ElementsAssociation*>(&issue)) return named(association);
    if (auto* update = dynamic_cast<const Model::Issue::UpdateElementsProperties*>(&issue)) return named(update);
    return issue.GetClassInfo()->GetName();
}
template <typename Issues>
Events IssueNames(const Issues& issues) {
    Events names;
    for (const auto& issue : issues) names.push_back(IssueName(*issue));
    return names;
}

struct Scene : Project {
    Scene() : connection(Connect()) { timeline.clear(); }

    Events Issues() const { return IssueNames(connection->IssueCollection().Get()); }
    // "<what the observers and the page heard> | <the issues>".
    std::string State() const { return fmt::format("{} | {}", fmt::join(timeline, ", "), fmt::join(Issues(), ", ")); }
    template <typename Kind>
    PK::Array<std::shared_ptr<Kind>> IssuesOf() const {
        return connection->IssueCollection().GetIssuesByType<Kind>();
    }
    // Fixes the issue the way the issues panel does.
    void Fix(const std::shared_ptr<Model::Issue::Base>& issue) { Model::Issue::BaseWithText(connection, issue).Fix(); }

    API_Guid Definition(const PK::UniString& propertyName) const {
        return connection->PropertyGroup().GetPropertyGuid(propertyName);
    }
    // What the element shows for the clause property (the definition's default when unwritten).
    std::string ValueOf(const API_Guid& element, const PK::UniString& propertyName) const {
        return Text(sim.GetPropertyText(element, Definition(propertyName)));
    }
    std::string TitleOf(const API_Guid& element) const { return ValueOf(element, Api::Properties::Name::Title); }
    bool IsClassifiedWith(const API_Guid& element, const char* code) const {
        return sim.GetItemOf(element, System()) == Item(code);
    }
    // The names of the undoable steps made since the count was taken.
    Events UndoableStepsSince(std::size_t count) const {
        Events names;
        const auto& steps = sim.GetUndoSteps();
        for (std::size_t i = count; i < steps.size(); ++i)
            if (steps[i].undoable) names.push_back(Text(steps[i].name));
        return names;
    }

    ConnectionPtr connection;
    RecordingObserver observer{*connection, timeline};
};

}  // namespace CmdTest
