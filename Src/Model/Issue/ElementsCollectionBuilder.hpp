#pragma once
// Collects the elements that failed during one run of an element operation
// into one issue per failure type, in the order in which each type first
// failed. Every issue it makes names the run's clause and view.
//
//   ElementsAssociationCollectionBuilder builder(clauseId, windowId);
//   builder.Add(ElementsAssociation::Type::AssocLockedElement, element);
//   auto issues = std::move(builder).Release();
#include <memory>

#include "Model/Issue/Base.hpp"
#include "PK/Array.hpp"
#include "Torvel/Api/WindowId.hpp"

namespace TessaryConnect::Model::Issue {

template <typename Kind>
class ElementsCollectionBuilder {
public:
    ElementsCollectionBuilder(const PK::UniString& target, const Api::WindowId& windowId)
        : _target(target), _windowId(windowId) {}

    // A GUID listed already under the type is listed again.
    void Add(typename Kind::Type type, const PK::Guid& element) {
        for (const std::shared_ptr<Kind>& issue : _issues) {
            if (issue->GetType() != type) continue;
            issue->AddElement(element);
            return;
        }
        _issues.Push(std::make_shared<Kind>(type, _target, PK::Array<PK::Guid>{element}, _windowId));
    }

    PK::Array<std::shared_ptr<Kind>>&& Release() && { return std::move(_issues); }

private:
    PK::UniString _target;
    Api::WindowId _windowId;
    PK::Array<std::shared_ptr<Kind>> _issues;
};

// The issues of a kind as issues of any kind, in the same order.
template <typename Kind>
PK::Array<std::shared_ptr<Base>> AsBaseIssues(PK::Array<std::shared_ptr<Kind>>&& issues) {
    PK::Array<std::shared_ptr<Base>> result;
    result.Reserve(issues.GetSize());
    for (std::shared_ptr<Kind>& issue : issues) result.Push(std::move(issue));
    return result;
}

}  // namespace TessaryConnect::Model::Issue
