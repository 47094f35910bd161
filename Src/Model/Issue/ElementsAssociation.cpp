#include "Model/Issue/ElementsAssociation.hpp"

#include <ostream>

#include "Model/ConnectionWithSpecification.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model::Issue {

namespace {

PK::Object* ContructNew() { return new ElementsAssociation(); }

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

const ElementsAssociationBase::FailureType* RowOf(ElementsAssociation::Type type) {
    return ElementsAssociationBase::FailureTypeOf(typeRows, static_cast<PK::Int32>(type));
}

}  // namespace

const PK::ClassInfo ElementsAssociation::classInfo("Model::Issue::ElementsAssociation",
                                                   PK::Guid("d4dcecc7-090e-4d0d-9001-efa021fcc599"),
                                                   PK::ClassVersion(1, 0), &ElementsAssociationBase::classInfo,
                                                   &ContructNew);

ElementsAssociation::ElementsAssociation() = default;

ElementsAssociation::ElementsAssociation(Type type, const PK::UniString& targetVirtualType,
                                         PK::Array<PK::Guid> elements, const Api::WindowId& windowId)
    : ElementsAssociationBase(SeverityOf(RowOf(type)), targetVirtualType, std::move(elements), windowId), _type(type) {}

ElementsAssociation::ElementsAssociation(const ElementsAssociation& other) = default;

ElementsAssociation::~ElementsAssociation() = default;

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

ElementsAssociation* ElementsAssociation::Clone() const { return new ElementsAssociation(*this); }

PKErrCode ElementsAssociation::Write(PK::OChannel& oc) const {
    return WriteKind(oc, classInfo, static_cast<PK::Int32>(_type));
}

PKErrCode ElementsAssociation::Read(PK::IChannel& ic) {
    PK::Int32 type = static_cast<PK::Int32>(_type);
    const PKErrCode err = ReadKind(ic, classInfo, type);
    _type = static_cast<Type>(type);
    return err;
}

PK::UniString ElementsAssociation::GetString(const ConnectionWithSpecification& connection) const {
    return GetTypeText(connection, RowOf(_type), static_cast<PK::Int32>(_type));
}

void ElementsAssociation::Fix(ConnectionWithSpecification& connection) {
    RunFix([&] {
        LOG_INFO("{}", static_cast<const Base&>(*this));
        // Copies: the command refreshes this very issue, which may leave the collection (and end) meanwhile.
        const PK::UniString target = GetTargetVirtualType();
        const PK::Array<PK::Guid> elements = GetErroredElements();
        if (IsDisassociation(_type))
            connection.Cmd_DisassociateElementsFromVirtualType(target, elements);
        else
            connection.Cmd_AssociateElementsToVirtualType(target, Api::Properties(), elements, false);
    });
}

Outcome ElementsAssociation::MergeFrom(const std::shared_ptr<Base>& older) {
    if (older == nullptr) return {};
    if (older->IsEmpty()) {
        TC_ASSERT_FAILED(err, "!older->IsEmpty()");
        return {true, false};
    }
    auto* olderElements = dynamic_cast<ElementsAssociationBase*>(older.get());
    if (olderElements == nullptr) return {};
    return TakeElementsOutOf(*olderElements);
}

void ElementsAssociation::DumpInner(std::ostream& os) const {
    ElementsAssociationBase::DumpInner(os);
    os << ", type: " << _type;
}

std::ostream& operator<<(std::ostream& os, ElementsAssociation::Type type) {
    if (const ElementsAssociationBase::FailureType* row = RowOf(type)) os << row->name;
    return os;
}

}  // namespace TessaryConnect::Model::Issue
