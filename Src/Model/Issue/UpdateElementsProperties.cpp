#include "Model/Issue/UpdateElementsProperties.hpp"

#include <ostream>

#include "Model/ConnectionWithSpecification.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model::Issue {

namespace {

using Util::Resource::IssueText;

// By type value 1 to 5; a locked element and a locked layer have their texts the other way round.
constexpr ElementsAssociationBase::FailureType typeRows[] = {
    {"Unknown", IssueText::PropertiesUnknown, Severity::Error},
    {"NoTeamworkRight", IssueText::PropertiesNoTeamworkRight, Severity::Warning},
    {"LockedElement", IssueText::PropertiesLockedElement, Severity::Warning},
    {"OnLockedLayer", IssueText::PropertiesOnLockedLayer, Severity::Warning},
    {"OnInvisibleLayer", IssueText::PropertiesOnHiddenLayer, Severity::Warning},
};

}  // namespace

UpdateElementsProperties::UpdateElementsProperties() = default;

UpdateElementsProperties::UpdateElementsProperties(Type type, const PK::UniString& targetVirtualType,
                                                   PK::Array<PK::Guid> elements, const Api::WindowId& windowId)
    : Kind(SeverityOf(FailureTypeOf(typeRows, type)), targetVirtualType, std::move(elements), windowId), _type(type) {}

PK::UniString UpdateElementsProperties::GetString(const ConnectionWithSpecification& connection) const {
    return GetTypeText(connection, FailureTypeOf(typeRows, _type), static_cast<PK::Int32>(_type));
}

void UpdateElementsProperties::Fix(ConnectionWithSpecification& connection) {
    RunFix([&] {
        // A copy: the command refreshes this very issue, which may leave the collection (and end) meanwhile.
        const PK::UniString target = GetTargetVirtualType();
        connection.Cmd_UpdateVirtualTypeProperties(target, Api::Properties(), true);
    });
}

void UpdateElementsProperties::DumpInner(std::ostream& os) const {
    Base::DumpInner(os);
    os << ", type: " << _type;
}

std::ostream& operator<<(std::ostream& os, UpdateElementsProperties::Type type) {
    if (const auto* row = ElementsAssociationBase::FailureTypeOf(typeRows, type)) os << row->name;
    return os;
}

}  // namespace TessaryConnect::Model::Issue
