#include "Model/Issue/ElementsAssociationBase.hpp"

#include <ostream>
#include <vector>

#include "Model/ConnectionWithSpecification.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::Model::Issue {

const PK::ClassInfo ElementsAssociationBase::classInfo("Model::Issue::ElementsAssociationBase",
                                                       PK::Guid("c674f34c-e5de-4c68-ae55-957f2b7cdca1"),
                                                       PK::ClassVersion(1, 0), &Base::classInfo);

ElementsAssociationBase::ElementsAssociationBase() = default;

ElementsAssociationBase::ElementsAssociationBase(Issue::Severity severity, const PK::UniString& targetVirtualType,
                                                 PK::Array<PK::Guid> elements, const Api::WindowId& windowId)
    : Base(severity),
      _targetVirtualType(targetVirtualType),
      _erroredElements(std::move(elements)),
      _windowId(windowId) {}

ElementsAssociationBase::ElementsAssociationBase(const ElementsAssociationBase& other) = default;

ElementsAssociationBase::~ElementsAssociationBase() = default;

Util::Fills ElementsAssociationBase::OwnFills(const ConnectionWithSpecification& connection) const {
    if (!connection.HasVirtualType(_targetVirtualType)) {
        LOG_WARN("VirtualType({}) is missing", _targetVirtualType);
        return {};
    }
    Util::Fills fills = connection.GetVirtualType(_targetVirtualType).Properties().Placeholders();
    fills.emplace_back("{ElemCount}", PK::UniString(std::to_string(_erroredElements.GetSize())));
    PK::UniString viewName = "<Unknown>";
    try {
        viewName = _windowId.GetTitle(connection.TV());
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    fills.emplace_back("{ViewName}", viewName);
    return fills;
}

PK::UniString ElementsAssociationBase::GetTypeText(const ConnectionWithSpecification& connection,
                                                   const FailureType* type, PK::Int32 typeNumber) const {
    const PK::UniString text =
        type != nullptr ? connection.TV().GetResource(Util::Resource::Of(type->textItem)) : "Serious error!";
    if (text.IsEmpty()) {
        LOG_ERROR("Missing resource string: type({})", typeNumber);
        return "Missing resource string.";
    }
    return FillText(connection, text, OwnFills(connection));
}

Outcome ElementsAssociationBase::Refresh(const ConnectionWithSpecification& connection,
                                         const PK::HashSet<PK::Guid>& handledElements) {
    if (_erroredElements.IsEmpty()) return {true, false};
    // Decided from the last to the first, so the trace lines come in that
    // order; the kept ones are then taken over in one go.
    std::vector<bool> dropped(_erroredElements.GetSize(), false);
    bool removed = false;
    for (PK::USize i = _erroredElements.GetSize(); i-- > 0;) {
        const PK::Guid& element = _erroredElements[i];
        if (!handledElements.Contains(element) && connection.TV().Element_Filter(element, APIFilt_None)) continue;
        LOG_TRACE("ElementsAssociationBase: element({}) was removed becaus it is deleted or not relevant", element);
        dropped[i] = true;
        removed = true;
    }
    if (removed) {
        PK::Array<PK::Guid> kept;
        for (PK::USize i = 0; i < _erroredElements.GetSize(); ++i)
            if (!dropped[i]) kept.Push(_erroredElements[i]);
        _erroredElements = std::move(kept);
    }
    return {_erroredElements.IsEmpty(), removed};
}

Outcome ElementsAssociationBase::Absorb(ElementsAssociationBase& older) const {
    PK::HashSet<PK::Guid> mine;
    for (const PK::Guid& element : _erroredElements) mine.Add(element);
    const PK::USize removed =
        older._erroredElements.DeleteIf([&](const PK::Guid& element) { return mine.Contains(element); });
    return {older._erroredElements.IsEmpty(), removed != 0};
}

void ElementsAssociationBase::GetMergeKeys(PK::Array<MergeKey>& keys) const {
    keys.Push(MakeMergeKey(classInfo.GetId(), 0));
}

bool ElementsAssociationBase::MergeCopy(const Base& copy) {
    // Each side may have settled some of the elements since the copies parted:
    // what either no longer lists is settled.
    const auto* other = dynamic_cast<const ElementsAssociationBase*>(&copy);
    if (other == nullptr) return false;
    PK::HashSet<PK::Guid> theirs;
    for (const PK::Guid& element : other->_erroredElements) theirs.Add(element);
    return _erroredElements.DeleteIf([&](const PK::Guid& element) { return !theirs.Contains(element); }) != 0;
}

PKErrCode ElementsAssociationBase::Write(PK::OChannel& oc) const {
    return WriteLevel(
        oc, classInfo, [&] { return Base::Write(oc); }, _targetVirtualType, _erroredElements, _windowId);
}

PKErrCode ElementsAssociationBase::Read(PK::IChannel& ic) {
    return ReadLevel(
        ic, classInfo, [&] { return Base::Read(ic); }, _targetVirtualType, _erroredElements, _windowId);
}

void ElementsAssociationBase::DumpInner(std::ostream& os) const {
    Base::DumpInner(os);
    os << ", \"targetVirtualType\": " << _targetVirtualType << ", \"erroredElements\": [";
    const char* separator = "";
    for (const PK::Guid& element : _erroredElements) {
        os << separator << element;
        separator = ", ";
    }
    os << "], \"windowId\": " << _windowId;
}

}  // namespace TessaryConnect::Model::Issue
