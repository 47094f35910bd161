#include "Model/Issue/UpdateElementsProperties.hpp"

#include <ostream>

#include "Model/ConnectionWithSpecification.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model::Issue {

namespace {

PK::Object* ContructNew() { return new UpdateElementsProperties(); }

struct TypeRow {
    const char* name;
    PK::Int32 textItem;
    Issue::Severity severity;
};

// By type value 1 to 5; a locked element and a locked layer have their texts the other way round.
constexpr TypeRow typeRows[] = {
    {"Unknown", 13, Severity::Error},        {"NoTeamworkRight", 14, Severity::Warning},
    {"LockedElement", 16, Severity::Warning}, {"OnLockedLayer", 15, Severity::Warning},
    {"OnInvisibleLayer", 17, Severity::Warning},
};

const TypeRow* RowOf(UpdateElementsProperties::Type type) {
    const auto value = static_cast<PK::Int32>(type);
    return value >= 1 && value <= static_cast<PK::Int32>(std::size(typeRows)) ? &typeRows[value - 1] : nullptr;
}

}  // namespace

const PK::ClassInfo UpdateElementsProperties::classInfo("Model::Issue::UpdateElementsProperties",
                                                        PK::Guid("18296703-6cb3-4a83-90c9-d3c8be12d1f8"),
                                                        PK::ClassVersion(1, 0), &ElementsAssociationBase::classInfo,
                                                        &ContructNew);

UpdateElementsProperties::UpdateElementsProperties() = default;

UpdateElementsProperties::UpdateElementsProperties(Type type, const PK::UniString& targetVirtualType,
                                                   PK::Array<PK::Guid> elements, const Api::WindowId& windowId)
    : ElementsAssociationBase(RowOf(type) != nullptr ? RowOf(type)->severity : Severity::Error, targetVirtualType,
                              std::move(elements), windowId),
      _type(type) {}

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
    const TypeRow* row = RowOf(_type);
    return GetTypeText(connection, row != nullptr ? row->textItem : 0, static_cast<PK::Int32>(_type));
}

void UpdateElementsProperties::Fix(ConnectionWithSpecification& connection) {
    try {
        LOG_INFO("{}", static_cast<const Base&>(*this));
        // A copy: the command refreshes this very issue, which may leave the collection (and end) meanwhile.
        const PK::UniString target = GetTargetVirtualType();
        connection.Cmd_UpdateVirtualTypeProperties(target, Api::Properties(), true);
    } catch (const std::exception& e) {
        LOG_ERROR("exception: {}", e);
    } catch (...) {
        LOG_ERROR("unknown exception!");
    }
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
    if (const TypeRow* row = RowOf(type)) os << row->name;
    return os;
}

}  // namespace TessaryConnect::Model::Issue
