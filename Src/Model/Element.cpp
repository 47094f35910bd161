#include "Model/Element.hpp"

#include <initializer_list>
#include <ostream>

#include "Torvel/Api/Error.hpp"
#include "Torvel/Api/RecordPrinters.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model {

namespace {

struct TypeRow {
    API_ElemTypeID typeID;
    API_ElemVariationID variationID;
    PK::Int32 nameIndex;
};

// Element kinds the add-on classifies, in the order they are enumerated. Doors
// and lamps count only in their own variation.
constexpr std::initializer_list<TypeRow> typeRows = {
    {API_WallID, APIVarId_Generic, 1},
    {API_ColumnID, APIVarId_Generic, 2},
    {API_BeamID, APIVarId_Generic, 3},
    {API_WindowID, APIVarId_Generic, 4},
    {API_WindowID, APIVarId_CornerWindow, 4},
    {API_WindowID, APIVarId_WallEnd, 5},
    {API_WindowID, static_cast<API_ElemVariationID>(TVAPI_FourCC("WIND")), 6},
    {API_DoorID, APIVarId_Door, 7},
    {API_LampID, APIVarId_Light, 9},
    {API_SlabID, APIVarId_Generic, 10},
    {API_RoofID, APIVarId_Generic, 11},
    {API_MeshID, APIVarId_Generic, 12},
    {API_ZoneID, APIVarId_Generic, 13},
    {API_CurtainWallID, APIVarId_Generic, 14},
    {API_CurtainWallSegmentID, APIVarId_Generic, 15},
    {API_CurtainWallFrameID, APIVarId_Generic, 16},
    {API_CurtainWallPanelID, APIVarId_Generic, 17},
    {API_CurtainWallJunctionID, APIVarId_Generic, 18},
    {API_CurtainWallAccessoryID, APIVarId_Generic, 19},
    {API_ShellID, APIVarId_Generic, 20},
    {API_SkylightID, APIVarId_Generic, 21},
    {API_MorphID, APIVarId_Generic, 22},
    {API_StairID, APIVarId_Generic, 23},
    {API_RiserID, APIVarId_Generic, 24},
    {API_TreadID, APIVarId_Generic, 25},
    {API_StairStructureID, APIVarId_Generic, 26},
    {API_RailingID, APIVarId_Generic, 27},
    {API_RailingToprailID, APIVarId_Generic, 28},
    {API_RailingHandrailID, APIVarId_Generic, 29},
    {API_RailingRailID, APIVarId_Generic, 30},
    {API_RailingPostID, APIVarId_Generic, 31},
    {API_RailingInnerPostID, APIVarId_Generic, 32},
    {API_RailingBalusterID, APIVarId_Generic, 33},
    {API_RailingPanelID, APIVarId_Generic, 34},
    {API_RailingSegmentID, APIVarId_Generic, 35},
    {API_RailingNodeID, APIVarId_Generic, 36},
    {API_RailingBalusterSetID, APIVarId_Generic, 37},
    {API_RailingPatternID, APIVarId_Generic, 38},
    {API_RailingToprailEndID, APIVarId_Generic, 39},
    {API_RailingHandrailEndID, APIVarId_Generic, 40},
    {API_RailingRailEndID, APIVarId_Generic, 41},
    {API_RailingToprailConnectionID, APIVarId_Generic, 42},
    {API_RailingHandrailConnectionID, APIVarId_Generic, 43},
    {API_RailingRailConnectionID, APIVarId_Generic, 44},
    {API_RailingEndFinishID, APIVarId_Generic, 45},
    {API_BeamSegmentID, APIVarId_Generic, 46},
    {API_ColumnSegmentID, APIVarId_Generic, 47},
    {API_OpeningID, APIVarId_Generic, 48},
};

bool Passes(Api::Torvel& tv, const PK::Guid& element, PK::UInt32 filterBits) {
    return tv.Element_Filter(element, filterBits);
}

}  // namespace

const Element::TypeContainer& Element::_GetTypeContainer() {
    static const TypeContainer types = [] {
        TypeContainer table;
        for (const TypeRow& row : typeRows)
            table[row.typeID].Add(row.variationID,
                                  Util::Resource::String{Util::Resource::elementTypeNamesResID, row.nameIndex});
        return table;
    }();
    return types;
}

Element::Element(Api::Torvel& tv, const PK::Guid& guid) : _guid(guid) {
    _head.guid = guid;
    tv.Element_GetHeader(_head, 0);
    if (_head.typeID != API_SectElemID) return;

    // A section element stands for a model element: answer for that one.
    API_Element element;
    tv.Element_Get(_guid, element, 0);
    const API_Elem_Head& head = _head;
    TC_ASSERT(err, head.typeID == element.header.typeID);
    if (element.sectElem.parentGuid != PK::NULLGuid) {
        _head.guid = element.sectElem.parentGuid;
        tv.Element_GetHeader(_head, 0);
    }
}

Element::EditableStatus Element::GetEditStatus(Api::Torvel& tv) const {
    const PK::Guid& guid = GetTrueGuid();
    if (Passes(tv, guid, APIFilt_IsEditable)) return EditableStatus::Editable;
    if (!Passes(tv, guid, APIFilt_None)) return EditableStatus::NotExists;
    return Passes(tv, guid, APIFilt_InMyWorkspace) ? EditableStatus::LockedOrOnLockedLayer
                                                   : EditableStatus::NotInMyWorkspace;
}

Element::Usability Element::GetUsability(Api::Torvel& tv) const {
    // The header alone decides these, without asking the host.
    if (!_head.hotlinkGuid.IsNull()) return Usability::NotClassifyableHotlink;
    if (IsTypeFilteredOut()) return Usability::NotClassifyableByAddon;

    const PK::Guid& guid = GetTrueGuid();
    // Asked before anything else of the host: an element deleted meanwhile
    // fails the layer tests as well and would pass for one on a hidden layer.
    if (!Passes(tv, guid, APIFilt_None)) return Usability::NotExists;

    if (_head.typeID == API_ObjectID) {
        const API_HierarchicalElemType kind = tv.GetHierarchicalElementOwner(guid, API_RootHierarchicalOwner).elemKind;
        if (kind == API_MainElem) return Usability::NotClassifyableByAddon;
        if (kind == API_UnknownElemType) {
            LOG_ERROR("API_UnknownElemType :{}", *this);
            return Usability::NotClassifyableByAddon;
        }
    }

    if (!Passes(tv, guid, APIFilt_OnVisLayer)) return Usability::OnInvisibleLayer;
    if (Passes(tv, guid, APIFilt_IsEditable)) return Usability::Editable;
    if (!Passes(tv, guid, APIFilt_InMyWorkspace)) return Usability::NotInMyWorkspace;
    return _head.lockId != 0 ? Usability::ElementLocked : Usability::OnLockedLayer;
}

bool Element::IsUsableForAssociation(Api::Torvel& tv) const {
    // One bit per usability: NotInMyWorkspace, OnInvisibleLayer, OnLockedLayer, ElementLocked, Editable.
    constexpr PK::UInt32 usable = 0x9E;
    return (usable >> static_cast<PK::UInt32>(GetUsability(tv))) & 1u;
}

bool Element::IsUsableForAssociationAndVisible(Api::Torvel& tv, API_WindowTypeID windowType) const {
    return Passes(tv, GetTrueGuid(), GetVisibilityFilter(windowType)) && IsUsableForAssociation(tv);
}

bool Element::IsTypeFilteredOut() const {
    if (_head.typeID == API_ObjectID) return false;
    const Variations* variations = _GetTypeContainer().GetPtr(_head.typeID);
    return variations == nullptr || !variations->ContainsKey(_head.variationID);
}

PK::UInt32 Element::GetVisibilityFilter(API_WindowTypeID windowType) {
    PK::UInt32 filter = APIFilt_OnVisLayer | APIFilt_VisibleByPhase | APIFilt_InStructureView;
    if (windowType == APIWind_FloorPlanID) filter |= APIFilt_OnActFloor;
    if (windowType == APIWind_3DModelID) filter |= APIFilt_In3D;
    return filter;
}

PK::UInt32 Element::IncludedMainTypeCount() {
    static const PK::UInt32 count = [] {
        PK::UInt32 rows = 0;
        for (const auto& [typeID, variations] : _GetTypeContainer())
            rows += static_cast<PK::UInt32>(variations.GetSize());
        return rows + 1;
    }();
    return count;
}

void Element::EnumerateIncludedMainTypes(const std::function<void(API_ElemTypeID)>& function) {
    for (const auto& [typeID, variations] : _GetTypeContainer()) function(typeID);
    function(API_ObjectID);
    function(API_SectElemID);
}

PK::USize Element::Select(Api::Torvel& tv, const PK::Array<PK::Guid>& elements) {
    PK::USize found = 0;
    PK::Array<PK::Guid> selection;
    selection.Reserve(elements.GetSize());
    for (const PK::Guid& guid : elements) {
        Api::HierarchicalOwner owner;
        try {
            owner = tv.GetHierarchicalElementOwner(guid, API_ParentHierarchicalOwner);
        } catch (const Api::Error<APIERR_BADID>& e) {
            LOG_DEBUG("{}: Element was deleted meanwhile: {}", e, guid);
            continue;
        }
        ++found;
        selection.Push(guid);
        switch (owner.elemKind) {
            case API_SingleElem:
            case API_MainElem:
                // A null owner cannot be selected and would fail the whole selection.
                if (!owner.ownerGuid.IsNull()) selection.Push(owner.ownerGuid);
                break;
            case API_UnknownElemType:
                LOG_ERROR("API_UnknownElemType: {}", guid);
                break;
            case API_SubElem:
                break;
        }
    }
    tv.Helper_ClearAndSelect(selection);
    return found;
}

PK::UniString Element::Type::GetName(Api::Torvel& tv) const {
    if (typeID == API_ObjectID) return tv.GetResource(Util::Resource::Of(Util::Resource::ElementTypeName::Object));
    const Variations* variations = nullptr;
    // clang-format off
    if (!TC_ASSERT(err, _GetTypeContainer().Get( this->typeID, &variations))) return "<unknown type>";
    // clang-format on
    Util::Resource::String tup;
    if (!TC_ASSERT(err, variations->Get(this->variationID, &tup))) return "<unknown type>";
    return tv.GetResource(tup);
}

std::ostream& operator<<(std::ostream& os, const Element& element) {
    return os << "{guid:" << element.GetGuid() << ", head: " << element.GetHead() << "}";
}

std::ostream& operator<<(std::ostream& os, const Element::Type& type) {
    return os << "{typeID:" << type.typeID << ", variationID: " << type.variationID << "}";
}

std::ostream& operator<<(std::ostream& os, Element::Usability usability) {
    switch (usability) {
        case Element::Usability::NotExists:
            return os << "NotExists";
        case Element::Usability::NotInMyWorkspace:
            return os << "NotInMyWorkspace";
        case Element::Usability::OnInvisibleLayer:
            return os << "OnInvisibleLayer";
        case Element::Usability::OnLockedLayer:
            return os << "OnLockedLayer";
        case Element::Usability::ElementLocked:
            return os << "ElementLocked";
        case Element::Usability::NotClassifyableHotlink:
            return os << "NotClassifyableHotlink";
        case Element::Usability::NotClassifyableByAddon:
            return os << "NotClassifyableByAddon";
        case Element::Usability::Editable:
            return os << "Editable";
    }
    return os;
}

std::ostream& operator<<(std::ostream& os, Element::EditableStatus status) {
    switch (status) {
        case Element::EditableStatus::NotExists:
            return os << "NotExists";
        case Element::EditableStatus::NotInMyWorkspace:
            return os << "NotInMyWorkspace";
        case Element::EditableStatus::LockedOrOnLockedLayer:
            return os << "LockedOrOnLockedLayer";
        case Element::EditableStatus::Editable:
            return os << "Editable";
    }
    return os;
}

}  // namespace TessaryConnect::Model
