#include "Model/UnassociatedElementsCache.hpp"

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/PropertyGroup.hpp"
#include "Torvel/Api/ProcessWindow.hpp"
#include "Torvel/Api/RecordPrinters.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::Model {

namespace {

// New elements of these kinds come with parts of other kinds (a curtain
// wall with its panels, a railing with its posts...), which the host does
// not announce one by one.
PK::Array<API_ElemTypeID> RelatedTypes(API_ElemTypeID typeID) {
    switch (typeID) {
        case API_ColumnID:
            return {API_ColumnSegmentID};
        case API_BeamID:
            return {API_BeamSegmentID};
        case API_CurtainWallID:
            return {API_CurtainWallSegmentID, API_CurtainWallFrameID, API_CurtainWallPanelID, API_CurtainWallJunctionID,
                    API_CurtainWallAccessoryID};
        case API_StairID:
            return {API_StairStructureID, API_RiserID, API_TreadID};
        case API_RailingID: {
            PK::Array<API_ElemTypeID> parts;
            for (int type = API_RailingToprailID; type <= API_RailingEndFinishID; ++type)
                parts.Push(static_cast<API_ElemTypeID>(type));
            return parts;
        }
        default:
            return {};
    }
}

}  // namespace

UnassociatedElementsCache::UnassociatedElementsCache(ConnectionWithSpecification& connection) : _conn(connection) {}

UnassociatedElementsCache::~UnassociatedElementsCache() = default;

bool UnassociatedElementsCache::IsUnassociated(const Element& element, PropertyGroup::ClauseIdReader& clauseIds) const {
    if (!element.IsUsableForAssociation(_conn.TV())) return false;
    const PK::UniString& clauseId = clauseIds.Read(element.GetTrueGuid());
    // An empty clause id names no virtual type.
    return !_conn.HasVirtualType(_conn.GetVirtualTypeIdForClauseId(clauseId));
}

void UnassociatedElementsCache::Reset(bool notify) {
    Api::Torvel& tv = _conn.TV();
    PK::HashTable<PK::Guid, Element::Type> typeOf;
    Counts counts;
    Api::ProcessWindow progress(_conn.TVPtr(), "Enumerating elements",
                                static_cast<PK::Int16>(Element::IncludedMainTypeCount()));

    API_WindowTypeID windowType = APIWind_3DModelID;
    try {
        windowType = tv.Database_GetCurrentWindow().typeID;
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    const PK::UInt32 filter = Element::GetVisibilityFilter(windowType);
    PropertyGroup::ClauseIdReader clauseIds(_conn.PropertyGroup());

    Element::EnumerateIncludedMainTypes([&](API_ElemTypeID mainType) {
        const int mainTypeCode = static_cast<int>(mainType);
        try {
            PK::Array<PK::Guid> listed;
            tv.Element_GetElemList(listed, mainType, filter, APIVarId_Generic, PK::NULLGuid);
            progress.NextPhase("", static_cast<PK::Int32>(listed.GetSize()));
            for (const PK::Guid& guid : listed) {
                // One element that cannot be read (deleted meanwhile, say) must not hide the rest of its type.
                try {
                    const Element element(tv, guid);
                    if (IsUnassociated(element, clauseIds) && typeOf.Add(element.GetTrueGuid(), element.GetType()))
                        ++counts[element.GetType()];
                } catch (...) {
                    TC_LOG_CAUGHT(err, "; mainType: {}; element: {}", mainTypeCode, guid);
                }
            }
        } catch (...) {
            TC_LOG_CAUGHT(err, "; mainType: {}", mainTypeCode);
        }
    });

    std::swap(_typeOf, typeOf);
    std::swap(_counts, counts);
    if (!notify) return;
    PK::HashSet<Element::Type> types;
    for (const auto& [type, count] : _counts) types.Add(type);
    for (const auto& [type, count] : counts) types.Add(type);
    _conn._OnlyForUC_UnassociatedElementTypeChanged(types);
}

bool UnassociatedElementsCache::File(const Element::Type& type, const PK::Guid& element) {
    if (!_typeOf.Add(element, type)) return false;
    ++_counts[type];
    return true;
}

bool UnassociatedElementsCache::Add(const PK::Guid& element) { return Add(PK::Array<PK::Guid>{element}); }

bool UnassociatedElementsCache::Add(const PK::Array<PK::Guid>& elements) {
    PK::HashSet<Element::Type> affected;
    for (const PK::Guid& guid : elements) {
        const Element::Type type = Element(_conn.TV(), guid).GetType();
        if (File(type, guid)) affected.Add(type);
    }
    if (affected.IsEmpty()) return false;
    _conn._OnlyForUC_UnassociatedElementTypeChanged(affected);
    return true;
}

bool UnassociatedElementsCache::Remove(const PK::Guid& element) { return Remove(PK::Array<PK::Guid>{element}); }

bool UnassociatedElementsCache::Remove(const PK::Array<PK::Guid>& elements) {
    PK::HashSet<Element::Type> affected;
    for (const PK::Guid& guid : elements) {
        const Element::Type* filed = _typeOf.GetPtr(guid);
        if (filed == nullptr) continue;  // not held: nothing to take out
        const Element::Type type = *filed;
        _typeOf.Delete(guid);
        --_counts.Get(type);
        affected.Add(type);
    }
    if (affected.IsEmpty()) return false;
    _conn._OnlyForUC_UnassociatedElementTypeChanged(affected);
    return true;
}

PK::Array<PK::Guid> UnassociatedElementsCache::GetElemsByType(const Element::Type& type) const {
    PK::Array<PK::Guid> elements;
    const PK::UInt32 count = GetElemCountByType(type);
    if (count == 0) return elements;
    elements.Reserve(count);
    for (const auto& [guid, filed] : _typeOf)
        if (filed == type) elements.Push(guid);
    return elements;
}

PK::UInt32 UnassociatedElementsCache::GetElemCountByType(const Element::Type& type) const {
    const PK::UInt32* count = _counts.GetPtr(type);
    return count == nullptr ? 0 : *count;
}

void UnassociatedElementsCache::TVEvent_Element_Created(const API_NotifyElementType& elemType) {
    const API_ElemTypeID typeID = elemType.elemHead.typeID;
    if (typeID == API_ZombieElemID) return;
    const Element element(_conn.TV(), elemType.elemHead.guid);
    if (!element.IsUsableForAssociation(_conn.TV())) return;

    const PK::UniString clauseId = _conn.PropertyGroup().GetClauseIdOfElem(element.GetTrueGuid());
    if (!clauseId.IsEmpty()) {
        // A copy of an associated element carries its clause; one of a clause this connection lacks is a puzzle.
        if (!_conn.HasVirtualType(_conn.GetVirtualTypeIdForClauseId(clauseId)))
            TC_ASSERT_FAILED(err,
                             "this->_conn.HasVirtualType( this->_conn.GetVirtualTypeIdForClauseId( clauseId)), "
                             "this->_conn({}), elem.GetTrueGuid()({}), typeID({})",
                             _conn, element.GetTrueGuid(), element.GetType().typeID);
        return;
    }

    File(element.GetType(), element.GetTrueGuid());
    PK::HashSet<Element::Type> affected{element.GetType()};
    const PK::Array<API_ElemTypeID> related = RelatedTypes(element.GetType().typeID);
    if (!related.IsEmpty()) {
        Reset(false);
        for (API_ElemTypeID type : related) affected.Add(Element::Type(type, APIVarId_Generic));
    }
    _conn._OnlyForUC_UnassociatedElementTypeChanged(affected);
}

void UnassociatedElementsCache::TVEvent_Project_ReceiveChanges() {
    LOG_INFO("UnassociatedElementsCache::TVEvent_Project_ReceiveChanges: refresh");
    Reset(true);
}

void UnassociatedElementsCache::TVEvent_Project_ChangeWindow() {
    LOG_INFO("UnassociatedElementsCache::TVEvent_Project_ChangeWindow: refresh");
    Reset(true);
}

void UnassociatedElementsCache::TVEvent_Project_ChangeFloor() {
    LOG_INFO("UnassociatedElementsCache::TVEvent_Project_ChangeFloor: refresh");
    Reset(true);
}

void UnassociatedElementsCache::TVEvent_Project_ShowIn3DChanged() {
    LOG_INFO("UnassociatedElementsCache::TVEvent_Project_ShowIn3DChanged: refresh");
    Reset(true);
}

}  // namespace TessaryConnect::Model
