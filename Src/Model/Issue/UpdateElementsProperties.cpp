#include "Model/Issue/UpdateElementsProperties.hpp"

#include <ostream>

#include "Model/ConnectionWithSpecification.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model::Issue {

namespace {

PK::Object* ContructNew() { return new UpdateElementsProperties(); }

using Util::Resource::IssueText;

// By type value 1 to 5; a locked element and a locked layer have their texts the other way round.
constexpr ElementsAssociationBase::FailureType typeRows[] = {
    {"Unknown", IssueText::PropertiesUnknown, Severity::Error},
    {"NoTeamworkRight", IssueText::PropertiesNoTeamworkRight, Severity::Warning},
    {"LockedElement", IssueText::PropertiesLockedElement, Severity::Warning},
    {"OnLockedLayer", IssueText::PropertiesOnLockedLayer, Severity::Warning},
    {"OnInvisibleLayer", IssueText::PropertiesOnHiddenLayer, Severity::Warning},
};

const ElementsAssociationBase::FailureType* RowOf(UpdateElementsProperties::Type type) {
    return ElementsAssociationBase::FailureTypeOf(typeRows, static_cast<PK::Int32>(type));
}

}  // namespace

const PK::ClassInfo UpdateElementsProperties::classInfo("Model::Issue::UpdateElementsProperties",
                                                        PK::Guid("18296703-6cb3-4a83-90c9-d3c8be12d1f8"),
                                                        PK::ClassVersion(1, 0), &ElementsAssociationBase::classInfo,
                                                        &ContructNew);

UpdateElementsProperties::UpdateElementsProperties() = default;

UpdateElementsProperties::UpdateElementsProperties(Type type, const PK::UniString& targetVirtualType,
                                                   PK::Array<PK::Guid> elements, const Api::WindowId& windowId)
    : ElementsAssociationBase(SeverityOf(RowOf(type)), targetVirtualType, std::move(elements), windowId), _type(type) {}

UpdateElementsProperties::UpdateElementsProperties(const UpdateElementsProperties& other) = default;

UpdateElementsProperties::~UpdateElementsProperties() = default;

UpdateElementsProperties* UpdateElementsProperties::Clone() const { return new UpdateElementsProperties(*this); }

PKErrCode UpdateElementsProperties::Write(PK::OChannel& oc) const {
    return WriteKind(oc, classInfo, static_cast<PK::Int32>(_type));
}

PKErrCode UpdateElementsProperties::Read(PK::IChannel& ic) {
    PK::Int32 type = static_cast<PK::Int32>(_type);
    const PKErrCode err = ReadKind(ic, classInfo, type);
    _type = static_cast<Type>(type);
    return err;
}

PK::UniString UpdateElementsProperties::GetString(const ConnectionWithSpecification& connection) const {
    return GetTypeText(connection, RowOf(_type), static_cast<PK::Int32>(_type));
}

void UpdateElementsProperties::Fix(ConnectionWithSpecification& connection) {
    RunFix([&] {
        LOG_INFO("{}", static_cast<const Base&>(*this));
        // A copy: the command refreshes this very issue, which may leave the collection (and end) meanwhile.
        const PK::UniString target = GetTargetVirtualType();
        connection.Cmd_UpdateVirtualTypeProperties(target, Api::Properties(), true);
    });
}

Outcome UpdateElementsProperties::MergeFrom(const std::shared_ptr<Base>& older) {
    if (older == nullptr) return {};
    if (older->IsEmpty()) {
        TC_ASSERT_FAILED(err, "!older->IsEmpty()");
        return {};
    }
    auto* olderUpdate = dynamic_cast<UpdateElementsProperties*>(older.get());
    if (olderUpdate == nullptr) return {};
    return TakeElementsOutOf(*olderUpdate);
}

void UpdateElementsProperties::DumpInner(std::ostream& os) const {
    Base::DumpInner(os);
    os << ", type: " << _type;
}

std::ostream& operator<<(std::ostream& os, UpdateElementsProperties::Type type) {
    if (const ElementsAssociationBase::FailureType* row = RowOf(type)) os << row->name;
    return os;
}

}  // namespace TessaryConnect::Model::Issue
