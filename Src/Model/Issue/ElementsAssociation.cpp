#include "Model/Issue/ElementsAssociation.hpp"

#include <ostream>

#include "Model/ConnectionWithSpecification.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model::Issue {

namespace {

using Util::Resource::IssueText;

// By type value 1 to 12.
constexpr ElementsAssociationBase::FailureType typeRows[] = {
    {"AssocUnknown", IssueText::AssociationUnknown, Severity::Error},
    {"DisassocUnknown", IssueText::DisassociationUnknown, Severity::Error},
    {"AssocNoTeamworkRight", IssueText::AssociationNoTeamworkRight, Severity::Warning},
    {"DisassocNoTeamworkRight", IssueText::DisassociationNoTeamworkRight, Severity::Warning},
    {"AssocOnLockedLayer", IssueText::AssociationOnLockedLayer, Severity::Warning},
    {"DisassocOnLockedLayer", IssueText::DisassociationOnLockedLayer, Severity::Warning},
    {"AssocLockedElement", IssueText::AssociationLockedElement, Severity::Warning},
    {"DisassocLockedElement", IssueText::DisassociationLockedElement, Severity::Warning},
    {"AssocOnInvisibleLayer", IssueText::AssociationOnHiddenLayer, Severity::Warning},
    {"DisassocOnInvisibleLayer", IssueText::DisassociationOnHiddenLayer, Severity::Warning},
    {"AssocIsHotlink", IssueText::AssociationIsHotlink, Severity::Warning},
    {"AssocNotSuitable", IssueText::AssociationNotSuitable, Severity::Warning},
};

}  // namespace

ElementsAssociation::ElementsAssociation() = default;

ElementsAssociation::ElementsAssociation(Type type, const PK::UniString& targetVirtualType,
                                         PK::Array<PK::Guid> elements, const Api::WindowId& windowId)
    : Kind(SeverityOf(FailureTypeOf(typeRows, type)), targetVirtualType, std::move(elements), windowId), _type(type) {}

bool ElementsAssociation::IsDisassociation(Type type) {
    switch (type) {
        case Type::DisassocUnknown:
        case Type::DisassocNoTeamworkRight:
        case Type::DisassocOnLockedLayer:
        case Type::DisassocLockedElement:
        case Type::DisassocOnInvisibleLayer:
            return true;
        default:
            return false;
    }
}

PK::UniString ElementsAssociation::GetString(const ConnectionWithSpecification& connection) const {
    return GetTypeText(connection, FailureTypeOf(typeRows, _type), static_cast<PK::Int32>(_type));
}

void ElementsAssociation::Fix(ConnectionWithSpecification& connection) {
    RunFix([&] {
        // Copies: the command refreshes this very issue, which may leave the collection (and end) meanwhile.
        const PK::UniString target = GetTargetVirtualType();
        const PK::Array<PK::Guid> elements = GetErroredElements();
        if (IsDisassociation(_type))
            connection.Cmd_DisassociateElementsFromVirtualType(target, elements);
        else
            connection.Cmd_AssociateElementsToVirtualType(target, Api::Properties(), elements, false);
    });
}

void ElementsAssociation::DumpInner(std::ostream& os) const {
    ElementsAssociationBase::DumpInner(os);
    os << ", type: " << _type;
}

std::ostream& operator<<(std::ostream& os, ElementsAssociation::Type type) {
    if (const auto* row = ElementsAssociationBase::FailureTypeOf(typeRows, type)) os << row->name;
    return os;
}

}  // namespace TessaryConnect::Model::Issue
