#include "Model/Issue/ElementsAssociation.hpp"

#include <ostream>

#include "Model/ConnectionWithSpecification.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model::Issue {

namespace {

// By type value 1 to 12.
constexpr ElementsAssociationBase::FailureType typeRows[] = {
    {"AssocUnknown", 1, Severity::Error},
    {"DisassocUnknown", 2, Severity::Error},
    {"AssocNoTeamworkRight", 5, Severity::Warning},
    {"DisassocNoTeamworkRight", 6, Severity::Warning},
    {"AssocOnLockedLayer", 7, Severity::Warning},
    {"DisassocOnLockedLayer", 8, Severity::Warning},
    {"AssocLockedElement", 9, Severity::Warning},
    {"DisassocLockedElement", 10, Severity::Warning},
    {"AssocOnInvisibleLayer", 11, Severity::Warning},
    {"DisassocOnInvisibleLayer", 12, Severity::Warning},
    {"AssocIsHotlink", 4, Severity::Warning},
    {"AssocNotSuitable", 3, Severity::Warning},
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
