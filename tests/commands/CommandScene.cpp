#include "CommandScene.hpp"

#include <fmt/format.h>

#include "Model/Issue/BaseWithText.hpp"
#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/Issue/UnknownError.hpp"

namespace CmdTest {

void TimelineObserver::ConnEvent_IssueWereThrown(const ConnectionPtr&,
                                                 const std::shared_ptr<Model::Issue::Base>& issue) {
    Add(std::string("IssueWereThrown(") + issue->GetClassInfo()->GetName() + ")");
}

Scene::Scene() : connection(Connect()) {
    connection->Attach(observer);
    page->calls.clear();
}

std::string IssueName(const Model::Issue::Base& issue) {
    if (auto* association = dynamic_cast<const Model::Issue::ElementsAssociation*>(&issue))
        return fmt::format("{}[{}]", association->GetType(), association->GetErroredElements().GetSize());
    if (auto* update = dynamic_cast<const Model::Issue::UpdateElementsProperties*>(&issue))
        return fmt::format("{}[{}]", update->GetType(), update->GetErroredElements().GetSize());
    return issue.GetClassInfo()->GetName();
}

std::vector<std::string> Scene::Issues() const {
    std::vector<std::string> issues;
    for (const auto& issue : connection->IssueCollection().Get()) issues.push_back(IssueName(*issue));
    return issues;
}

void Scene::Fix(const std::shared_ptr<Model::Issue::Base>& issue) {
    Model::Issue::BaseWithText(connection, issue).Fix();
}

API_Guid Scene::Definition(const PK::UniString& propertyName) const {
    return connection->PropertyGroup().GetPropertyGuid(propertyName);
}

std::string Scene::ValueOf(const API_Guid& element, const PK::UniString& propertyName) const {
    return sim.GetPropertyText(element, Definition(propertyName)).ToCStr();
}

bool Scene::IsClassifiedWith(const API_Guid& element, const char* item) const {
    return sim.GetItemOf(element, system) == items.at(item);
}

API_Guid Scene::AddAssociated(const PK::UniString& clauseId, const char* item, API_ElemTypeID type,
                              const TVSim::ElementOptions& options) {
    const API_Guid element = sim.AddElement(type, options);
    sim.Classify(element, items.at(item));
    // Written the way an association writes it: available for the item first.
    const API_Guid definition = Definition(Api::Properties::Name::ClauseId);
    PK::Array<API_Guid> availability = sim.GetPropertyDefinition(definition).definition.availability;
    if (!availability.Contains(items.at(item))) availability.Push(items.at(item));
    sim.SetPropertyAvailability(definition, availability);
    sim.SetPropertyText(element, definition, clauseId);
    return element;
}

std::vector<std::string> Scene::UndoableStepsSince(std::size_t count) const {
    std::vector<std::string> names;
    const auto& steps = sim.GetUndoSteps();
    for (std::size_t i = count; i < steps.size(); ++i)
        if (steps[i].undoable) names.push_back(steps[i].name.ToCStr());
    return names;
}

}  // namespace CmdTest
