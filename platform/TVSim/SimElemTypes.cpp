#include "TVSim/SimElemTypes.hpp"

#include <array>
#include <cctype>
#include <string>
#include <utility>

namespace TVSim::Detail {

namespace {

// The references that stand for a whole element, first the one a selection gives.
constexpr std::pair<API_NeigID, API_ElemTypeID> kNeigTypes[] = {
    {APINeig_Wall, API_WallID},
    {APINeig_WallOn, API_WallID},
    {APINeig_Colu, API_ColumnID},
    {APINeig_ColuOn, API_ColumnID},
    {APINeig_Beam, API_BeamID},
    {APINeig_BeamOn, API_BeamID},
    {APINeig_Wind, API_WindowID},
    {APINeig_WindOn, API_WindowID},
    {APINeig_Wind3D, API_WindowID},
    {APINeig_Door, API_DoorID},
    {APINeig_DoorOn, API_DoorID},
    {APINeig_Door3D, API_DoorID},
    {APINeig_Symb, API_ObjectID},
    {APINeig_SymbOn, API_ObjectID},
    {APINeig_Symb3D, API_ObjectID},
    {APINeig_Light, API_LampID},
    {APINeig_LightOn, API_LampID},
    {APINeig_Light3D, API_LampID},
    {APINeig_Ceil, API_SlabID},
    {APINeig_CeilOn, API_SlabID},
    {APINeig_Roof, API_RoofID},
    {APINeig_RoofOn, API_RoofID},
    {APINeig_Mesh, API_MeshID},
    {APINeig_MeshOn, API_MeshID},
    {APINeig_Room, API_ZoneID},
    {APINeig_RoomOn, API_ZoneID},
    {APINeig_Word, API_TextID},
    {APINeig_Label, API_LabelID},
    {APINeig_Hatch, API_HatchID},
    {APINeig_Line, API_LineID},
    {APINeig_PolyLine, API_PolyLineID},
    {APINeig_Arc, API_ArcID},
    {APINeig_Circ, API_CircleID},
    {APINeig_Spline, API_SplineID},
    {APINeig_Hot, API_HotspotID},
    {APINeig_CurtainWall, API_CurtainWallID},
    {APINeig_CurtainWallOn, API_CurtainWallID},
    {APINeig_CWSegment, API_CurtainWallSegmentID},
    {APINeig_CWFrame, API_CurtainWallFrameID},
    {APINeig_CWFrame3D, API_CurtainWallFrameID},
    {APINeig_CWPanel, API_CurtainWallPanelID},
    {APINeig_CWPanel3D, API_CurtainWallPanelID},
    {APINeig_CWJunction, API_CurtainWallJunctionID},
    {APINeig_CWAccessory, API_CurtainWallAccessoryID},
    {APINeig_Shell, API_ShellID},
    {APINeig_ShellOn, API_ShellID},
    {APINeig_Skylight, API_SkylightID},
    {APINeig_SkylightOn, API_SkylightID},
    {APINeig_Morph, API_MorphID},
    {APINeig_MorphOn, API_MorphID},
    {APINeig_Stair, API_StairID},
    {APINeig_StairOn, API_StairID},
    {APINeig_Riser, API_RiserID},
    {APINeig_Tread, API_TreadID},
    {APINeig_StairStructure, API_StairStructureID},
    {APINeig_Railing, API_RailingID},
    {APINeig_RailingOn, API_RailingID},
    {APINeig_RailingToprail, API_RailingToprailID},
    {APINeig_RailingHandrail, API_RailingHandrailID},
    {APINeig_RailingRail, API_RailingRailID},
    {APINeig_RailingPost, API_RailingPostID},
    {APINeig_RailingInnerPost, API_RailingInnerPostID},
    {APINeig_RailingBaluster, API_RailingBalusterID},
    {APINeig_RailingPanel, API_RailingPanelID},
    {APINeig_RailingToprailEnd, API_RailingToprailEndID},
    {APINeig_RailingHandrailEnd, API_RailingHandrailEndID},
    {APINeig_RailingRailEnd, API_RailingRailEndID},
    {APINeig_RailingToprailConnection, API_RailingToprailConnectionID},
    {APINeig_RailingHandrailConnection, API_RailingHandrailConnectionID},
    {APINeig_RailingRailConnection, API_RailingRailConnectionID},
    {APINeig_RailingEndFinish, API_RailingEndFinishID},
    {APINeig_Detail, API_DetailID},
    {APINeig_Worksheet, API_WorksheetID},
    {APINeig_Elevation, API_ElevationID},
    {APINeig_InteriorElevation, API_InteriorElevationID},
    {APINeig_ChangeMarker, API_ChangeMarkerID},
    {APINeig_AnalyticalSupport, API_AnalyticalSupportID},
    {APINeig_AnalyticalLink, API_AnalyticalLinkID},
};

#define TVSIM_TYPE_NAME(name) #name,
constexpr const char* kTypeIdentifiers[] = {TVAPI_ELEM_TYPE_IDS(TVSIM_TYPE_NAME)};
#undef TVSIM_TYPE_NAME

}  // namespace

API_NeigID NeigOfType(API_ElemTypeID type) {
    for (const auto& [neig, neigType] : kNeigTypes)
        if (neigType == type) return neig;
    return APINeig_None;
}

std::optional<API_ElemTypeID> TypeOfNeig(API_NeigID neig) {
    for (const auto& [candidate, type] : kNeigTypes)
        if (candidate == neig) return type;
    return std::nullopt;
}

std::optional<PK::UniString> TypeName(API_ElemTypeID type) {
    if (type < API_ZombieElemID || type > API_LastElemTypeID) return std::nullopt;
    // "API_CurtainWallPanelID" reads "Curtain Wall Panel".
    std::string identifier = kTypeIdentifiers[type];
    identifier = identifier.substr(4, identifier.size() - 6);
    std::string name;
    for (char c : identifier) {
        if (std::isupper(static_cast<unsigned char>(c)) && !name.empty()) name += ' ';
        name += c;
    }
    return PK::UniString(name);
}

}  // namespace TVSim::Detail
