// The element operations of a virtual type: associating elements with its
// clause, writing the clause values into its elements, disassociating them.
//
// Every element goes through the same frame. An outer guard covers reading
// the element: an element that cannot be read is logged and skipped. An
// inner guard covers the element's usability and its host calls: the
// operation's usability table decides what an element that is not editable
// becomes (an issue entry, or only a log line), and its host-error table what
// a host refusal becomes; any other failure is an issue of the unknown type.
// Elements are handled one by one with a constant amount of work each.
#include <fmt/format.h>

#include <array>
#include <optional>
#include <span>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Element.hpp"
#include "Model/Issue/ElementsAssociation.hpp"
#include "Model/Issue/UpdateElementsProperties.hpp"
#include "Model/PropertyGroup.hpp"
#include "Model/VirtualType.hpp"
#include "Util/AddonRuntimeError.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Api/RecordComparisons.hpp"
#include "Torvel/Api/RecordPrinters.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::Model {

namespace {

using Usability = Element::Usability;
using AssocType = Issue::ElementsAssociation::Type;
using UpdateType = Issue::UpdateElementsProperties::Type;
using Level = spdlog::level::level_enum;

// What a run does with an element of one usability: its log line ("{}" is
// the element; level off for none) and its issue type (none: skipped).
template <typename IssueType>
struct UsabilityRule {
    Level level;
    const char* line;
    std::optional<IssueType> issue;
};

// What a run does with a host error met while it handles an element: the
// info line ("{}" the error, then the element) and the issue type (none:
// skipped). A code without a rule counts as an unknown failure.
template <typename IssueType>
struct HostErrorRule {
    int code;
    bool colon;  // "{}: {}" rather than "{}, {}"
    std::optional<IssueType> issue;
};

template <typename IssueType>
struct OperationRules {
    std::array<UsabilityRule<IssueType>, 8> usability;  // by usability value
    std::span<const HostErrorRule<IssueType>> hostErrors;
    IssueType unknown;
    bool elementBeforeType;  // the unknown-failure line names the element before the virtual type
};

constexpr HostErrorRule<AssocType> associateErrors[] = {
    {APIERR_BADID, false, std::nullopt},
    {APIERR_LOCKEDLAY, false, AssocType::AssocOnLockedLayer},
    {APIERR_NOTMINE, true, AssocType::AssocNoTeamworkRight},
    {APIERR_NOACCESSRIGHT, false, AssocType::AssocNoTeamworkRight},
    {APIERR_BADCLASSIFICATION, false, AssocType::AssocNotSuitable},
    {APIERR_READONLY, false, AssocType::AssocOnLockedLayer},
};

constexpr OperationRules<AssocType> associateRules{
    {{
        {Level::info, "elem({}):", std::nullopt},
        {Level::info, "elem({}):", AssocType::AssocNoTeamworkRight},
        {Level::info, "elem({}):", AssocType::AssocOnInvisibleLayer},
        {Level::info, "elem({}):", AssocType::AssocOnLockedLayer},
        {Level::info, "elem({}):", AssocType::AssocLockedElement},
        {Level::info, "Hotlink({}) is not assoc", AssocType::AssocIsHotlink},
        {Level::warn, "Should have been filtered: Elem({})", std::nullopt},
        {Level::debug, "Elem({})", std::nullopt},
    }},
    associateErrors,
    AssocType::AssocUnknown,
    false,
};

constexpr HostErrorRule<UpdateType> updateErrors[] = {
    {APIERR_BADID, true, std::nullopt},
    {APIERR_NOTMINE, true, UpdateType::NoTeamworkRight},
    {APIERR_NOACCESSRIGHT, true, UpdateType::NoTeamworkRight},
    {APIERR_READONLY, true, UpdateType::OnLockedLayer},
};

constexpr OperationRules<UpdateType> updateRules{
    {{
        {Level::debug, "Elem({})", std::nullopt},
        {Level::info, "Elem({})", UpdateType::NoTeamworkRight},
        {Level::info, "Elem({})", UpdateType::OnInvisibleLayer},
        {Level::info, "Elem({})", UpdateType::OnLockedLayer},
        {Level::off, "", UpdateType::LockedElement},
        {Level::err, "Elem({})", std::nullopt},
        {Level::err, "Elem({})", std::nullopt},
        {Level::debug, "Elem({})", std::nullopt},
    }},
    updateErrors,
    UpdateType::Unknown,
    true,
};

constexpr HostErrorRule<AssocType> disassociateErrors[] = {
    {APIERR_BADID, true, std::nullopt},
    {APIERR_BADPARS, true, std::nullopt},
    {APIERR_LOCKEDLAY, true, AssocType::DisassocOnLockedLayer},
    {APIERR_NOTMINE, true, AssocType::DisassocNoTeamworkRight},
    {APIERR_NOACCESSRIGHT, true, AssocType::DisassocNoTeamworkRight},
    {APIERR_READONLY, true, AssocType::DisassocOnLockedLayer},
};

constexpr OperationRules<AssocType> disassociateRules{
    {{
        {Level::err, "elem({}):", std::nullopt},
        {Level::info, "elem({}):", AssocType::DisassocNoTeamworkRight},
        {Level::info, "elem({}):", AssocType::DisassocOnInvisibleLayer},
        {Level::info, "elem({}):", AssocType::DisassocOnLockedLayer},
        {Level::info, "elem({}):", AssocType::DisassocLockedElement},
        {Level::err, "elem({}):", std::nullopt},
        {Level::err, "elem({}):", std::nullopt},
        {Level::debug, "elem({}):", std::nullopt},
    }},
    disassociateErrors,
    AssocType::DisassocUnknown,
    false,
};

// One run of an element operation: the frame every element goes through and
// the issues it collects.
template <typename Kind>
class ElementRun {
public:
    using IssueType = typename Kind::Type;

    // An element in reported fails without an entry: an issue of the same step names it already.
    ElementRun(const VirtualType& virtualType, Api::Torvel& tv, const OperationRules<IssueType>& rules,
               const Api::WindowId& windowId, const PK::HashSet<PK::Guid>* reported = nullptr)
        : _virtualType(virtualType),
          _tv(tv),
          _rules(rules),
          _builder(virtualType.ClauseId(), windowId),
          _reported(reported) {}

    // Work runs for each element inside both guards.
    template <typename Work>
    void ForEach(const PK::Array<PK::Guid>& elements, Work&& work) {
        for (const PK::Guid& guid : elements) {
            try {
                const Element element(_tv, guid);
                Guarded(element, work);
            } catch (...) {
                TC_LOG_CAUGHT(err, "; elemGuid: {}", guid);
            }
        }
    }

    // The usability gate: true for an editable element, which the operation
    // then changes; any other is logged and, where the table says so, recorded.
    bool IsEditable(const Element& element) {
        const Usability usability = element.GetUsability(_tv);
        const UsabilityRule<IssueType>& rule = _rules.usability.at(static_cast<std::size_t>(usability));
        if (rule.level != Level::off) TC_LOG(rule.level, fmt::runtime(rule.line), element);
        if (usability == Usability::Editable) return true;
        if (rule.issue) Record(*rule.issue, element);
        return false;
    }

    // The elements the run recorded in its issues, and how many failed that another issue names.
    const PK::HashSet<PK::Guid>& Recorded() const { return _recorded; }
    PK::USize ReportedElsewhere() const { return _reportedElsewhere; }

    PK::Array<std::shared_ptr<Issue::Base>> ReleaseIssues() {
        return Issue::AsBaseIssues(std::move(_builder).Release());
    }

private:
    void Record(IssueType type, const Element& element) {
        const PK::Guid guid = element.GetTrueGuid();
        if (_reported != nullptr && _reported->Contains(guid)) {
            ++_reportedElsewhere;
            return;
        }
        _builder.Add(type, guid);
        _recorded.Add(guid);
    }

    template <typename Work>
    void Guarded(const Element& element, Work& work) {
        try {
            work(element);
        } catch (const Api::GeneralError& e) {
            // A deleted element is an unknown one to every rule, as its error type says.
            const int code = e.GetCode() == APIERR_DELETED ? APIERR_BADID : e.GetCode();
            for (const HostErrorRule<IssueType>& rule : _rules.hostErrors) {
                if (rule.code != code) continue;
                if (rule.colon)
                    LOG_INFO("{}: {}", e, element);
                else
                    LOG_INFO("{}, {}", e, element);
                if (rule.issue) Record(*rule.issue, element);
                return;
            }
            Unknown(element);
        } catch (...) {
            Unknown(element);
        }
    }

    // Called only inside a catch block: logs the failure being handled.
    void Unknown(const Element& element) {
        if (_rules.elementBeforeType)
            TC_LOG_CAUGHT(err, "; elem: {}; *this: {}", element, _virtualType);
        else
            TC_LOG_CAUGHT(err, "; *this: {}; elem: {}", _virtualType, element);
        Record(_rules.unknown, element);
    }

    const VirtualType& _virtualType;
    Api::Torvel& _tv;
    const OperationRules<IssueType>& _rules;
    Issue::ElementsCollectionBuilder<Kind> _builder;
    const PK::HashSet<PK::Guid>* _reported;
    PK::HashSet<PK::Guid> _recorded;
    PK::USize _reportedElsewhere = 0;
};

// The view the user works in; an invalid one when the host cannot say.
Api::WindowId CurrentWindow(Api::Torvel& tv) {
    try {
        return Api::WindowId::GetCurrent(tv);
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return {};
}

// Every property write names the 3D window, whatever view is current.
Api::WindowId PropertyWriteWindow() {
    return Api::WindowId(Api::DatabaseId(APIWind_3DModelID, 0, PK::Guid()), 0, false);
}

PK::Array<PK::Guid> DefinitionsOf(const PK::Array<API_Property>& records) {
    PK::Array<PK::Guid> definitions;
    definitions.Reserve(records.GetSize());
    for (const API_Property& record : records) definitions.Push(record.definition.guid);
    return definitions;
}

// Whether the element's values differ from the clause's. An answer that does
// not match the question (another definition at a place, or fewer values
// than asked for) throws: the element is an unknown failure.
bool Differs(const PK::Array<API_Property>& properties, const PK::Array<API_Property>& elemProperties) {
    if (elemProperties.GetSize() < properties.GetSize()) {
        LOG_CRITICAL(
            "failed assertion: elemProperties.GetSize() >= properties.GetSize(), properties({}), "
            "elemProperties({})",
            fmt::join(properties, ", "), fmt::join(elemProperties, ", "));
        TC_THROW_RUNTIME("assert");
    }
    for (PK::USize i = 0; i < properties.GetSize(); ++i) {
        if (properties[i].definition.guid != elemProperties[i].definition.guid) {
            LOG_CRITICAL(
                "failed assertion: properties[i].definition.guid == elemProperties[i] .definition.guid, "
                "properties[i]({}), elemProperties[i]({})",
                properties[i], elemProperties[i]);
            TC_THROW_RUNTIME("assert");
        }
        if (!(properties[i].value == elemProperties[i].value) || properties[i].isDefault != elemProperties[i].isDefault)
            return true;
    }
    return false;
}

}  // namespace

VirtualType::ElementOperationResult VirtualType::AssociateElements(const Api::Properties& properties,
                                                                   const PK::Array<PK::Guid>& elements) {
    const bool changed = UpdateProperties(properties);
    CheckClassificationItem();
    const PK::Guid item = _classificationItemGuid;
    // The same values go into every element of the run.
    const PK::Array<API_Property> records = GetApiProperties();

    ElementRun<Issue::ElementsAssociation> run(*this, TV(), associateRules, CurrentWindow(TV()));
    ElementOperationResult result;
    result.elements.Reserve(elements.GetSize());
    run.ForEach(elements, [&](const Element& element) {
        if (!run.IsEditable(element)) return;
        // Classified, an element whose values are then refused stays so, and counts as failed.
        TV().Element_AddClassificationItem(element.GetTrueGuid(), item);
        LOG_DEBUG("elem({}) was classified({})", element, item);
        TV().Element_SetProperties(element.GetTrueGuid(), records);
        result.elements.Push(element.GetTrueGuid());
        LOG_DEBUG("element({}) properties were set({})", element, fmt::join(records, ", "));
    });
    result.issues = run.ReleaseIssues();

    if (changed) {
        // The elements just associated carry the new values already: only the others are written. One whose
        // association the run refused is named by that issue, whose fix writes the values too: listed twice,
        // which of the two issues of one second is the newer would decide what each member's merge keeps.
        ElementOperationResult rewrite = RewriteElements(run.Recorded());
        result.issues.Append(std::move(rewrite.issues));
    }
    LOG_INFO("associated({}), issues({})", fmt::join(result.elements, ", "), result.issues);
    return result;
}

VirtualType::ElementOperationResult VirtualType::UpdateElementProperties() { return RewriteElements({}); }

VirtualType::ElementOperationResult VirtualType::RewriteElements(const PK::HashSet<PK::Guid>& reported) {
    const PK::Array<PK::Guid> elements = GetAssociatedElements();
    const PK::Array<API_Property> records = GetApiProperties();
    const PK::Array<PK::Guid> definitions = DefinitionsOf(records);

    ElementRun<Issue::UpdateElementsProperties> run(*this, TV(), updateRules, PropertyWriteWindow(), &reported);
    ElementOperationResult result;
    PK::USize differing = 0;
    run.ForEach(elements, [&](const Element& element) {
        const PK::Array<API_Property> current =
            TV().Element_GetPropertyValuesByGuid(element.GetTrueGuid(), definitions);
        if (!Differs(records, current)) return;
        ++differing;
        if (!run.IsEditable(element)) return;
        TV().Element_SetProperties(element.GetTrueGuid(), records);
        result.elements.Push(element.GetTrueGuid());
    });
    result.issues = run.ReleaseIssues();

    if (differing == result.elements.GetSize()) {
        TC_ASSERT(err, result.issues.IsEmpty());
        if (!_dirtyTessaryPropertyNames.IsEmpty()) {
            _dirtyTessaryPropertyNames.Clear();
            // Stored at once: reopened, the project must not show values as pending that its elements hold.
            _connection._OnlyForVT_VirtualTypeChanged();
        }
    } else {
        TC_ASSERT(err, !result.issues.IsEmpty() || run.ReportedElsewhere() > 0);
    }
    return result;
}

VirtualType::ElementsBehind VirtualType::FindElementsBehind() const {
    const PK::Array<PK::Guid> elements = GetAssociatedElements();
    const PK::Array<API_Property> records = ApiProperties(false);
    const PK::Array<PK::Guid> definitions = DefinitionsOf(records);

    ElementsBehind behind;
    for (const PK::Guid& guid : elements) {
        try {
            const Element element(TV(), guid);
            const PK::Array<API_Property> current =
                TV().Element_GetPropertyValuesByGuid(element.GetTrueGuid(), definitions);
            if (!Differs(records, current)) continue;
            switch (element.GetUsability(TV())) {
                case Usability::Editable:
                    behind.editable.Push(element.GetTrueGuid());
                    break;
                case Usability::ElementLocked:
                case Usability::OnLockedLayer:
                    // Only an element in this member's workspace is told locked.
                    behind.ownRefusing.Push(element.GetTrueGuid());
                    break;
                case Usability::OnInvisibleLayer:
                    // A hidden layer is told before whose the element is: layers are each member's own.
                    if (TV().Element_Filter(element.GetTrueGuid(), APIFilt_InMyWorkspace))
                        behind.ownRefusing.Push(element.GetTrueGuid());
                    else
                        ++behind.others;
                    break;
                default:
                    ++behind.others;
            }
        } catch (...) {
            TC_LOG_CAUGHT(info, "; elem: {}; *this: {}", guid, *this);
            ++behind.others;
        }
    }
    return behind;
}

VirtualType::ElementOperationResult VirtualType::UpdateElementsBehind(const ElementsBehind& behind) {
    const PK::Array<API_Property> records = GetApiProperties();
    ElementRun<Issue::UpdateElementsProperties> run(*this, TV(), updateRules, PropertyWriteWindow());
    ElementOperationResult result;
    const auto write = [&](const Element& element) {
        if (!run.IsEditable(element)) return;
        TV().Element_SetProperties(element.GetTrueGuid(), records);
        result.elements.Push(element.GetTrueGuid());
    };
    run.ForEach(behind.editable, write);
    // Tried too: one unlocked meanwhile takes the values, one still locked is told as the member's own update tells.
    run.ForEach(behind.ownRefusing, write);
    result.issues = run.ReleaseIssues();
    if (behind.others == 0 && result.elements.GetSize() == behind.editable.GetSize() + behind.ownRefusing.GetSize() &&
        !_dirtyTessaryPropertyNames.IsEmpty()) {
        _dirtyTessaryPropertyNames.Clear();
        _connection._OnlyForVT_VirtualTypeChanged();
    }
    return result;
}

VirtualType::ElementOperationResult VirtualType::DisassociateElements(const PK::Array<PK::Guid>& elements) {
    CheckClassificationItem();
    const PK::Guid item = _classificationItemGuid;
    const Model::PropertyGroup& group = _connection.PropertyGroup();

    ElementRun<Issue::ElementsAssociation> run(*this, TV(), disassociateRules, CurrentWindow(TV()));
    ElementOperationResult result;
    result.elements.Reserve(elements.GetSize());
    Model::PropertyGroup::ClauseIdReader clauseIds(group);
    run.ForEach(elements, [&](const Element& element) {
        if (!run.IsEditable(element)) return;
        // Clauses with the same code share the item: it stays on the elements of the others.
        const PK::UniString& clauseId = clauseIds.Read(element.GetTrueGuid());
        if (clauseId != _virtualTypeId && _connection.HasVirtualType(clauseId)) {
            LOG_INFO("elem({}) belongs to clause({}), not to ({}): it keeps its classification({})", element, clauseId,
                     _virtualTypeId, item);
            return;
        }
        TV().Element_RemoveClassificationItem(element.GetTrueGuid(), item);
        result.elements.Push(element.GetTrueGuid());
        LOG_DEBUG("element({}) was dissacociated from ({}, {})", element, _virtualTypeId, item);
    });
    result.issues = run.ReleaseIssues();
    return result;
}

}  // namespace TessaryConnect::Model
