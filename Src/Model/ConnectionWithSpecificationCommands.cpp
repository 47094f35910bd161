// The connection's commands (but Cmd_Disconnect, which stands with the
// failure funnel they run their work through) and the upkeep of its issue list.
#include <fmt/format.h>

#include <algorithm>
#include <exception>
#include <limits>
#include <utility>
#include <vector>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Errors.hpp"
#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"
#include "Model/Issue/ElementsAssociation.hpp"
#include "Model/TessaryPtr.hpp"
#include "Tessary/Api/Tessary.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Api/ProcessWindow.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::Model {

bool ConnectionWithSpecification::CallCmd(const PK::UniString& name, const std::function<void()>& body) {
    bool succeeded = false;
    TV().CallCommand(name, Api::Torvel::Command([&] { succeeded = HandleExceptions(body); }));
    return succeeded;
}

// ---- issues ----

void ConnectionWithSpecification::RemoveIssue(const Issue::Base& issue) {
    for (const std::shared_ptr<Issue::Base>& held : _issueCollection->Get()) {
        if (held.get() != &issue) continue;
        RemoveIssue(std::shared_ptr<Issue::Base>(held));  // a copy: the entry goes away meanwhile
        return;
    }
}

void ConnectionWithSpecification::RefreshIssues() {
    RefreshIfStoredChanged();
    if (_markedAsDeleted || !_issueCollection->RefreshAndRemoveIrrelevantElems({})) return;
    Store();
    Notify(&ConnectionWithSpecificationObserver::ConnEvent_IssueListChanged);
}

// ---- commands ----

bool ConnectionWithSpecification::HasTitleChanged(const PK::UniString& specificationTitle,
                                                  const PK::UniString& projectTitle) const {
    return specificationTitle != _tessarySpecificationTitle || projectTitle != _tessaryProjectTitle;
}

bool ConnectionWithSpecification::Cmd_UpdateTitleIfChanged(const PK::UniString& newSpecificationTitle,
                                                           const PK::UniString& newProjectTitle) {
    RefreshIfStoredChanged();
    if (_markedAsDeleted || !HasTitleChanged(newSpecificationTitle, newProjectTitle)) return false;
    // Named while the connection still holds the old titles.
    const PK::UniString name =
        ResolveVariables(TV().GetResource(Util::Resource::Of(Util::Resource::UndoName::UpdateTitles)), {}, {});
    CallUndoableCmd(name, [&] {
        try {
            _classificationSystem.Check();
            _propertyGroup.UpdateTitle(newSpecificationTitle, newProjectTitle);
            _tessarySpecificationTitle = newSpecificationTitle;
            _tessaryProjectTitle = newProjectTitle;
            _issueCollection->RemoveTs(_issueCollection->GetIssuesByType<Issue::CoudntUpdateProjectOrSpecTitle>());
            Store();
        } catch (const Api::ErrorPropertyManagerNoAccessRight& e) {
            LOG_INFO(
                "{}: Couldn't apply project({}) or specification({}) name change on property group. No worries, we "
                "can try it later.",
                e, newProjectTitle, newSpecificationTitle);
            AddIssue(std::make_shared<Issue::CoudntUpdateProjectOrSpecTitle>(newSpecificationTitle, newProjectTitle));
        }
    });
    Notify(&ConnectionWithSpecificationObserver::ConnEvent_TitleChanged);
    return true;
}

void ConnectionWithSpecification::Cmd_AssociateElementsToVirtualType(const PK::UniString& tessaryClauseId,
                                                                     const Api::Properties& properties,
                                                                     const PK::Array<PK::Guid>& elements,
                                                                     bool tellPage) {
    HandleExceptions([&] {
        RefreshIfStoredChanged();
        if (_markedAsDeleted) return;
        if (_markedAsDisconnected) {
            LOG_INFO("Assocation was skipped because connection is marked as disconnected: {}", *this);
            return;
        }
        _classificationSystem.Check();
        _propertyGroup.Check();

        // A new virtual type is made here, where a missing item stops
        // everything, but filed inside the step: undoing the association
        // must take the clause out of the record too.
        const std::shared_ptr<VirtualType>* held = _virtualTypes.GetPtr(tessaryClauseId);
        const std::shared_ptr<VirtualType> made =
            held != nullptr ? nullptr : std::make_shared<VirtualType>(*this, tessaryClauseId, properties);
        const std::shared_ptr<VirtualType> virtualType = held != nullptr ? *held : made;

        const PK::UniString name = virtualType->ResolveTessaryProperties(
            TV().GetResource(Util::Resource::Of(Util::Resource::UndoName::Associate)));
        CallUndoableCmd(name, [&] {
            if (made != nullptr) AddVirtualType(made);
            // Told on every request, so the page learns of a virtual type it has not seen.
            const std::shared_ptr<Api::Tessary> page = _tessaryPtr != nullptr ? _tessaryPtr->Lock() : nullptr;
            if (tellPage && page != nullptr) page->Associate(virtualType->GetAsAssociableType(false), tessaryClauseId);

            VirtualType::ElementOperationResult result = virtualType->AssociateElements(properties, elements);
            LOG_DEBUG("Specification({}) - Clause({}): Associate was called: associated elements({}), issues({})",
                      _tessarySpecificationId, virtualType->ClauseId(), fmt::join(result.elements, ", "),
                      result.issues);
            const PK::Array<PK::Guid> associated = std::move(result.elements);
            AddIssues(std::move(result.issues), associated);
            _unassociatedElementsCache.Remove(associated);
        });
    });
}

void ConnectionWithSpecification::Cmd_DisassociateElementsFromVirtualType(const PK::UniString& tessaryClauseId,
                                                                          const PK::Array<PK::Guid>& elements) {
    RefreshIfStoredChanged();
    if (_markedAsDeleted) return;
    const std::shared_ptr<VirtualType>* held = _virtualTypes.GetPtr(tessaryClauseId);
    if (held == nullptr) {
        TC_ASSERT_FAILED(err, "this->_virtualTypes.ContainsKey(tessaryClauseId)");
        return;
    }
    const std::shared_ptr<VirtualType> virtualType = *held;
    const PK::UniString name = virtualType->ResolveTessaryProperties(
        TV().GetResource(Util::Resource::Of(Util::Resource::UndoName::Disassociate)));
    CallUndoableCmd(name, [&] {
        VirtualType::ElementOperationResult result = virtualType->DisassociateElements(elements);
        LOG_DEBUG("Specification({}) - Clause({}): Disasociate was called: disassociated elements({}), issues({})",
                  _tessarySpecificationId, virtualType->ClauseId(), fmt::join(result.elements, ", "), result.issues);
        const PK::Array<PK::Guid> disassociated = std::move(result.elements);
        AddIssues(std::move(result.issues), disassociated);
        _unassociatedElementsCache.Add(disassociated);
    });
}

void ConnectionWithSpecification::Cmd_UpdateVirtualTypeProperties(const PK::UniString& typeId,
                                                                  const Api::Properties& properties, bool force) {
    RefreshIfStoredChanged();
    if (_markedAsDeleted) return;
    const std::shared_ptr<VirtualType>* held = _virtualTypes.GetPtr(typeId);
    if (held == nullptr) {
        TC_ASSERT_FAILED(err, "this->_virtualTypes.ContainsKey(typeId)");
        return;
    }
    const std::shared_ptr<VirtualType> virtualType = *held;
    const bool changed = virtualType->UpdateProperties(properties);
    if (!changed && !force && !virtualType->HasDirtyProperty()) return;
    const PK::UniString name = virtualType->ResolveTessaryProperties(
        TV().GetResource(Util::Resource::Of(Util::Resource::UndoName::UpdateElementProperties)));
    CallUndoableCmd(name, [&] {
        VirtualType::ElementOperationResult result = virtualType->UpdateElementProperties();
        AddIssues(std::move(result.issues), result.elements);
    });
}

void ConnectionWithSpecification::Cmd_CheckAndUpdateAllAssociatedElementProperties() {
    RefreshIfStoredChanged();
    if (_markedAsDeleted) return;
    const PK::UniString name = ResolveVariables(
        TV().GetResource(Util::Resource::Of(Util::Resource::UndoName::UpdateElementProperties)), {}, {});
    CallUndoableCmd(name, [&] {
        const auto phases =
            static_cast<PK::Int16>(std::min<PK::USize>(_virtualTypes.GetSize(), std::numeric_limits<PK::Int16>::max()));
        Api::ProcessWindow progress(TVPtr(), "Orvo Tessary: Updating element properties", phases);

        // One clause that fails must not cost the others their writes nor
        // the issues gathered so far: each failure is kept and reported
        // after the issues, through the funnel like any command's.
        Issue::Collection::Issues issues;
        PK::Array<PK::Guid> written;
        std::vector<std::exception_ptr> failures;
        const VirtualTypes virtualTypes = _virtualTypes;
        for (const auto& [clauseId, virtualType] : virtualTypes) {
            try {
                progress.NextPhase(virtualType->Properties().Title(), 1);
                VirtualType::ElementOperationResult result = virtualType->UpdateElementProperties();
                issues.Append(std::move(result.issues));
                written.Append(std::move(result.elements));
            } catch (...) {
                failures.push_back(std::current_exception());
            }
        }
        AddIssues(std::move(issues), written);

        // A missing right stops every clause alike: one report of it is enough.
        bool propertyRightReported = false;
        bool classificationRightReported = false;
        for (const std::exception_ptr& failure : failures) {
            try {
                std::rethrow_exception(failure);
            } catch (const Api::ErrorPropertyManagerNoAccessRight&) {
                if (std::exchange(propertyRightReported, true)) continue;
            } catch (const Api::ErrorClassificationManagerNoAccessRight&) {
                if (std::exchange(classificationRightReported, true)) continue;
            } catch (...) {
            }
            HandleExceptions([&] { std::rethrow_exception(failure); });
        }
    });
}

void ConnectionWithSpecification::Cmd_UpdateElementsToReceivedValues() {
    if (_clausesWithReceivedValues.IsEmpty()) return;
    const PK::HashTable<PK::UniString, PK::Array<PK::UniString>> clauses = std::move(_clausesWithReceivedValues);
    _clausesWithReceivedValues.Clear();
    RefreshIfStoredChanged();
    if (_markedAsDeleted) return;

    // Looked at outside any command: a receive after which this member has
    // nothing to write must leave no empty step in the user's undo history.
    PK::Array<std::pair<std::shared_ptr<VirtualType>, VirtualType::ElementsBehind>> work;
    for (const auto& [clauseId, names] : clauses) {
        const std::shared_ptr<VirtualType>* virtualType = _virtualTypes.GetPtr(clauseId);
        if (virtualType == nullptr) continue;
        try {
            VirtualType::ElementsBehind behind = (*virtualType)->FindElementsBehind();
            if (!behind.IsEmpty()) work.Push({*virtualType, std::move(behind)});
        } catch (const Error::MissingClassificationItem& e) {
            LOG_INFO("{}: clause({})", e, clauseId);
        } catch (...) {
            TC_LOG_CAUGHT(err, "; clause: {}", clauseId);
        }
    }
    if (work.IsEmpty()) return;

    // The received values are pending until the step has written them; stored
    // before the step, so that undoing it brings the elements' old values
    // back together with the mark that they lag.
    bool marked = false;
    for (const auto& [virtualType, behind] : work)
        marked |= virtualType->MarkDirty(clauses.Get(virtualType->ClauseId()));
    if (marked) Store();

    const PK::UniString name = ResolveVariables(
        TV().GetResource(Util::Resource::Of(Util::Resource::UndoName::UpdateElementProperties)), {}, {});
    CallUndoableCmd(name, [&] {
        Issue::Collection::Issues issues;
        PK::Array<PK::Guid> written;
        for (const auto& [virtualType, behind] : work) {
            VirtualType::ElementOperationResult result = virtualType->UpdateElementsBehind(behind);
            issues.Append(std::move(result.issues));
            written.Append(std::move(result.elements));
        }
        AddIssues(std::move(issues), written);
    });
}

struct ConnectionWithSpecification::ReplacedGroupWork {
    PK::Guid group;
    bool gone = false;                                    // the host has it no more: only to be forgotten
    bool blocked = false;                                 // an element that cannot take its values yet keeps the group
    PK::Array<std::pair<PK::UniString, PK::Guid>> carry;  // clause id, element
    PK::Array<std::pair<PK::UniString, PK::Guid>> differing;  // the clause the element loses, element
};

struct ConnectionWithSpecification::ReplacedGroupsWork {
    std::vector<ReplacedGroupWork> groups;
    bool mayDelete = false;
    bool anything = false;  // a command would change something
};

bool ConnectionWithSpecification::MayChangePropertyGroups() const {
    if (!TV().TeamworkControl_HasConnection()) return true;
    const PK::Guid objectSet =
        TV().TeamworkControl_FindLockableObjectSet(Api::Torvel::ObjectSet::ClassificationsAndProperties);
    return TV().TeamworkControl_GetLockableStatus(objectSet, nullptr) == APILockableStatus_Editable;
}

void ConnectionWithSpecification::Cmd_TakeOverReplacedPropertyGroups() {
    if (_propertyGroup.GetReplacedGroups().IsEmpty()) return;
    RefreshIfStoredChanged();
    if (_markedAsDeleted || _propertyGroup.GetReplacedGroups().IsEmpty()) return;

    // Looked at outside any command: a receive after which nothing can be
    // done yet (the elements are another member's, the properties not
    // reserved) must leave no empty step in the user's undo history.
    ReplacedGroupsWork work = PlanTakeOver();
    if (!work.anything) {
        LOG_INFO("Replaced property groups stay for now: {}", _propertyGroup);
        return;
    }
    const PK::UniString name =
        ResolveVariables(TV().GetResource(Util::Resource::Of(Util::Resource::UndoName::MergePropertyGroups)), {}, {});
    // Not through CallUndoableCmd, which would look for the same work again after it.
    TV().CallUndoableCommand(
        name, Api::Torvel::Command([&] { HandleExceptions([&] { TakeOverReplacedPropertyGroups(work); }); }));
}

void ConnectionWithSpecification::TakeOverReplacedPropertyGroupsWhileReserved() {
    if (_markedAsDeleted || _propertyGroup.GetReplacedGroups().IsEmpty() || !MayChangePropertyGroups()) return;
    ReplacedGroupsWork work = PlanTakeOver();
    if (work.anything) TakeOverReplacedPropertyGroups(work);
}

ConnectionWithSpecification::ReplacedGroupsWork ConnectionWithSpecification::PlanTakeOver() {
    ReplacedGroupsWork work;
    work.mayDelete = MayChangePropertyGroups();
    // Stored bytes are input: a list naming a group that another connection
    // keeps would have every element of that specification lose its clause.
    if (const auto keptElsewhere = GroupsOfOtherConnections(); !keptElsewhere) {
        LOG_WARN("Replaced property groups are not deleted while a connection's group cannot be told: {}",
                 GetModulDataName());
        work.mayDelete = false;
    } else if (_propertyGroup.ForgetReplacedKeptElsewhere(&*keptElsewhere)) {
        Store();
    }
    // An element associated through a replaced group is classified with its
    // clause's item: the elements of the clauses' items are all there is to look at.
    PK::Array<PK::Guid> elements;
    {
        PK::HashSet<PK::Guid> items;
        PK::HashSet<PK::Guid> seen;
        for (const auto& [clauseId, virtualType] : _virtualTypes) {
            PK::Guid item;
            try {
                item = virtualType->GetClassificationItemGuid();
            } catch (const Error::MissingClassificationItem& e) {
                LOG_INFO("{}: clause({})", e, clauseId);
                continue;
            }
            if (!items.Add(item)) continue;
            for (const PK::Guid& element : TV().Element_GetElementsWithClassification(item))
                if (seen.Add(element)) elements.Push(element);
        }
    }
    Model::PropertyGroup::ClauseIdReader kept(_propertyGroup);
    for (const Model::PropertyGroup::Replaced& replaced : _propertyGroup.GetReplacedGroups()) {
        ReplacedGroupWork& group = work.groups.emplace_back();
        group.group = replaced.guid;
        try {
            TV().Property_GetPropertyGroup(replaced.guid);
        } catch (const Api::Error<APIERR_BADID>&) {
            // Forgotten with work done anyway: whoever deleted it forgets it in the record, which may not have
            // arrived yet, and a step for it alone would be empty to the user.
            LOG_INFO("Replaced property group({}) is gone already", replaced.guid);
            group.gone = true;
            continue;
        }
        Model::PropertyGroup::ClauseIdReader before(TV(), replaced.definitions);
        for (const PK::Guid& element : elements) {
            try {
                const PK::UniString clauseId = before.Read(element);
                if (clauseId.IsEmpty()) continue;
                const PK::UniString& keptClauseId = kept.Read(element);
                if (keptClauseId == clauseId) continue;
                if (!keptClauseId.IsEmpty()) {
                    LOG_WARN("Elem({}) keeps clause({}) rather than clause({}) of replaced property group({})", element,
                             keptClauseId, clauseId, replaced.guid);
                    group.differing.Push({clauseId, element});
                } else if (!HasVirtualType(clauseId)) {
                    LOG_INFO("Elem({}) carries clause({}) that the connection lacks: not carried over", element,
                             clauseId);
                } else if (!TV().Element_Filter(element, APIFilt_IsEditable)) {
                    LOG_INFO("Elem({}) cannot take its values yet: replaced property group({}) stays", element,
                             replaced.guid);
                    group.blocked = true;
                } else {
                    group.carry.Push({clauseId, element});
                }
            } catch (const Api::Error<APIERR_BADID>&) {
                LOG_INFO("Element({}) propably deleted meanwhile", element);
            } catch (const Api::GeneralError& e) {
                LOG_INFO("{}: elem({}) keeps its values in replaced property group({}) for now", e, element,
                         replaced.guid);
                group.blocked = true;
            }
        }
        work.anything |= !group.carry.IsEmpty() || (work.mayDelete && !group.blocked);
    }
    return work;
}

void ConnectionWithSpecification::TakeOverReplacedPropertyGroups(ReplacedGroupsWork& work) {
    const bool mayDelete = work.mayDelete;
    // Each clause's values are worked out once, for all its elements; a clause they cannot be had of holds nullopt.
    PK::HashTable<PK::UniString, std::optional<PK::Array<API_Property>>> valuesOf;
    auto clauseValues = [&](const PK::UniString& clauseId) -> const std::optional<PK::Array<API_Property>>& {
        if (const auto* known = valuesOf.GetPtr(clauseId)) return *known;
        std::optional<PK::Array<API_Property>> values;
        try {
            values = _virtualTypes.Get(clauseId)->GetApiProperties();
        } catch (...) {
            TC_LOG_CAUGHT(err, "; clause: {}", clauseId);
        }
        valuesOf.Put(clauseId, std::move(values));
        return valuesOf.Get(clauseId);
    };

    PK::Array<PK::Guid> carried;
    // Elements whose other clause went with a deleted group, by that clause.
    PK::HashTable<PK::UniString, PK::Array<PK::Guid>> lost;
    PK::Array<PK::Guid> finished;
    for (ReplacedGroupWork& group : work.groups) {
        if (group.gone) {
            finished.Push(group.group);
            continue;
        }
        for (const auto& [clauseId, element] : group.carry) {
            const std::optional<PK::Array<API_Property>>& values = clauseValues(clauseId);
            if (!values) {
                group.blocked = true;
                continue;
            }
            try {
                TV().Element_SetProperties(element, *values);
                carried.Push(element);
            } catch (const Api::Error<APIERR_BADID>&) {
                LOG_INFO("Element({}) propably deleted meanwhile", element);
            } catch (const Api::GeneralError& e) {
                LOG_INFO("{}: elem({}) keeps its values in replaced property group({}) for now", e, element,
                         group.group);
                group.blocked = true;
            }
        }
        if (group.blocked || !mayDelete) {
            LOG_INFO("Replaced property group({}) stays until it can be deleted", group.group);
            continue;
        }
        try {
            TV().Property_DeletePropertyGroup(group.group);
        } catch (const Api::Error<APIERR_BADID>&) {
            LOG_INFO("The user probably already deleted the PropertyGroup({})", group.group);
        } catch (const Api::GeneralError& e) {
            LOG_INFO("{}: replaced property group({}) stays for now", e, group.group);
            continue;
        }
        LOG_INFO("Replaced property group({}) was taken over by ({})", group.group, _propertyGroup);
        finished.Push(group.group);
        // Told only now: until the group is gone its values are not lost, and every try would tell again.
        for (auto& [clauseId, element] : group.differing) {
            if (auto* list = lost.GetPtr(clauseId))
                list->Push(element);
            else
                lost.Add(clauseId, PK::Array<PK::Guid>{element});
        }
    }
    LOG_INFO("Values carried over from replaced property groups: elems({})", fmt::join(carried, ", "));

    for (const PK::Guid& group : finished) _propertyGroup.ForgetReplaced(group);
    if (!finished.IsEmpty()) Store();
    _unassociatedElementsCache.Remove(carried);
    Issue::Collection::Issues issues;
    if (!lost.IsEmpty()) {
        Api::WindowId window;
        try {
            window = Api::WindowId::GetCurrent(TV());
        } catch (...) {
            TC_LOG_CAUGHT(err);
        }
        for (auto& [clauseId, list] : lost)
            issues.Push(std::make_shared<Issue::ElementsAssociation>(Issue::ElementsAssociation::Type::AssocUnknown,
                                                                     clauseId, std::move(list), window));
    }
    AddIssues(std::move(issues), carried);
}

}  // namespace TessaryConnect::Model
