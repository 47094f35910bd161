#include "CommandScene.hpp"

#include <fmt/format.h>

#include "Model/Issue/BaseWithText.hpp"

namespace CmdTest {

Scene::Scene() : connection(Connect()) { timeline.clear(); }

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

std::vector<std::string> Scene::UndoableStepsSince(std::size_t count) const {
    std::vector<std::string> names;
    const auto& steps = sim.GetUndoSteps();
    for (std::size_t i = count; i < steps.size(); ++i)
        if (steps[i].undoable) names.push_back(Text(steps[i].name));
    return names;
}

}  // namespace CmdTest
