#pragma once
// The host API's element kinds, variations and selection references. Each list
// is an X-macro so that the enumerations and their printed names come from
// one place and cannot drift apart.
#include "PK/Types.hpp"

// A four-character code: the first character in the most significant byte.
constexpr PK::Int32 TVAPI_FourCC(const char (&code)[5]) {
    return static_cast<PK::Int32>((static_cast<PK::UInt32>(static_cast<unsigned char>(code[0])) << 24) |
                                  (static_cast<PK::UInt32>(static_cast<unsigned char>(code[1])) << 16) |
                                  (static_cast<PK::UInt32>(static_cast<unsigned char>(code[2])) << 8) |
                                  static_cast<PK::UInt32>(static_cast<unsigned char>(code[3])));
}

// Element types, values 0 to 74 in this order.
#define TVAPI_ELEM_TYPE_IDS(X) \
    X(API_ZombieElemID) \
    X(API_WallID) \
    X(API_ColumnID) \
    X(API_BeamID) \
    X(API_WindowID) \
    X(API_DoorID) \
    X(API_ObjectID) \
    X(API_LampID) \
    X(API_SlabID) \
    X(API_RoofID) \
    X(API_MeshID) \
    X(API_DimensionID) \
    X(API_RadialDimensionID) \
    X(API_LevelDimensionID) \
    X(API_AngleDimensionID) \
    X(API_TextID) \
    X(API_LabelID) \
    X(API_ZoneID) \
    X(API_HatchID) \
    X(API_LineID) \
    X(API_PolyLineID) \
    X(API_ArcID) \
    X(API_CircleID) \
    X(API_SplineID) \
    X(API_HotspotID) \
    X(API_CutPlaneID) \
    X(API_CameraID) \
    X(API_CamSetID) \
    X(API_GroupID) \
    X(API_SectElemID) \
    X(API_DrawingID) \
    X(API_PictureID) \
    X(API_DetailID) \
    X(API_ElevationID) \
    X(API_InteriorElevationID) \
    X(API_WorksheetID) \
    X(API_HotlinkID) \
    X(API_CurtainWallID) \
    X(API_CurtainWallSegmentID) \
    X(API_CurtainWallFrameID) \
    X(API_CurtainWallPanelID) \
    X(API_CurtainWallJunctionID) \
    X(API_CurtainWallAccessoryID) \
    X(API_ShellID) \
    X(API_SkylightID) \
    X(API_MorphID) \
    X(API_ChangeMarkerID) \
    X(API_StairID) \
    X(API_RiserID) \
    X(API_TreadID) \
    X(API_StairStructureID) \
    X(API_RailingID) \
    X(API_RailingToprailID) \
    X(API_RailingHandrailID) \
    X(API_RailingRailID) \
    X(API_RailingPostID) \
    X(API_RailingInnerPostID) \
    X(API_RailingBalusterID) \
    X(API_RailingPanelID) \
    X(API_RailingSegmentID) \
    X(API_RailingNodeID) \
    X(API_RailingBalusterSetID) \
    X(API_RailingPatternID) \
    X(API_RailingToprailEndID) \
    X(API_RailingHandrailEndID) \
    X(API_RailingRailEndID) \
    X(API_RailingToprailConnectionID) \
    X(API_RailingHandrailConnectionID) \
    X(API_RailingRailConnectionID) \
    X(API_RailingEndFinishID) \
    X(API_AnalyticalSupportID) \
    X(API_AnalyticalLinkID) \
    X(API_BeamSegmentID) \
    X(API_ColumnSegmentID) \
    X(API_OpeningID)

enum API_ElemTypeID : PK::Int32 {
#define TVAPI_ENUMERATOR(name) name,
    TVAPI_ELEM_TYPE_IDS(TVAPI_ENUMERATOR)
#undef TVAPI_ENUMERATOR
    API_LastElemTypeID = API_OpeningID
};

// Element variations: four-character codes (0 for the generic variation).
#define TVAPI_ELEM_VARIATION_IDS(X) \
    X(APIVarId_Generic, 0) \
    X(APIVarId_CornerWindow, TVAPI_FourCC("CRWD")) \
    X(APIVarId_Door, TVAPI_FourCC("DOOR")) \
    X(APIVarId_GridElement, TVAPI_FourCC("GREL")) \
    X(APIVarId_LabelBeam, TVAPI_FourCC("LBBE")) \
    X(APIVarId_LabelCWAccessory, TVAPI_FourCC("LBCA")) \
    X(APIVarId_LabelCeil, TVAPI_FourCC("LBCE")) \
    X(APIVarId_LabelCWFrame, TVAPI_FourCC("LBCF")) \
    X(APIVarId_LabelCWJunction, TVAPI_FourCC("LBCJ")) \
    X(APIVarId_LabelColumn, TVAPI_FourCC("LBCO")) \
    X(APIVarId_LabelCWPanel, TVAPI_FourCC("LBCP")) \
    X(APIVarId_LabelCurtainWall, TVAPI_FourCC("LBCW")) \
    X(APIVarId_LabelDoor, TVAPI_FourCC("LBDO")) \
    X(APIVarId_LabelMorph, TVAPI_FourCC("LBFS")) \
    X(APIVarId_LabelHatch, TVAPI_FourCC("LBHA")) \
    X(APIVarId_LabelLight, TVAPI_FourCC("LBLI")) \
    X(APIVarId_LabelMesh, TVAPI_FourCC("LBME")) \
    X(APIVarId_LabelRoof, TVAPI_FourCC("LBRO")) \
    X(APIVarId_LabelShell, TVAPI_FourCC("LBSH")) \
    X(APIVarId_LabelSkylight, TVAPI_FourCC("LBSK")) \
    X(APIVarId_LabelSymb, TVAPI_FourCC("LBSY")) \
    X(APIVarId_LabelVirtSy, TVAPI_FourCC("LBVS")) \
    X(APIVarId_LabelWall2, TVAPI_FourCC("LBW2")) \
    X(APIVarId_LabelWind, TVAPI_FourCC("LBWI")) \
    X(APIVarId_Light, TVAPI_FourCC("LIGH")) \
    X(APIVarId_Skylight, TVAPI_FourCC("SKYL")) \
    X(APIVarId_Object, TVAPI_FourCC("SYMB")) \
    X(APIVarId_SymbStair, TVAPI_FourCC("SYST")) \
    X(APIVarId_WallEnd, TVAPI_FourCC("WAEN"))

enum API_ElemVariationID : PK::Int32 {
#define TVAPI_ENUMERATOR(name, value) name = value,
    TVAPI_ELEM_VARIATION_IDS(TVAPI_ENUMERATOR)
#undef TVAPI_ENUMERATOR
};

// References to a selected element (what part of it was hit), values 0 to 173.
#define TVAPI_NEIG_IDS(X) \
    X(APINeig_None) \
    X(APINeig_Wall) \
    X(APINeig_WallPl) \
    X(APINeig_WallOn) \
    X(APINeig_WallPlOn) \
    X(APINeig_Colu) \
    X(APINeig_Beam) \
    X(APINeig_BeamOn) \
    X(APINeig_BeamHole) \
    X(APINeig_Wind) \
    X(APINeig_WindHole) \
    X(APINeig_Door) \
    X(APINeig_DoorHole) \
    X(APINeig_Symb) \
    X(APINeig_Light) \
    X(APINeig_Ceil) \
    X(APINeig_CeilOn) \
    X(APINeig_Roof) \
    X(APINeig_RoofOn) \
    X(APINeig_RBL) \
    X(APINeig_RBLOn) \
    X(APINeig_Mesh) \
    X(APINeig_MeshOn) \
    X(APINeig_MeshRidge) \
    X(APINeig_MeshRidgeOn) \
    X(APINeig_DimInt) \
    X(APINeig_DimPt) \
    X(APINeig_DimOn) \
    X(APINeig_RadDim) \
    X(APINeig_LevDim) \
    X(APINeig_AngDim) \
    X(APINeig_AngDimOn) \
    X(APINeig_Word) \
    X(APINeig_Label) \
    X(APINeig_Room) \
    X(APINeig_RoomStamp) \
    X(APINeig_RoomOn) \
    X(APINeig_RoomRefPt) \
    X(APINeig_Hatch) \
    X(APINeig_HatchOn) \
    X(APINeig_Line) \
    X(APINeig_LineOn) \
    X(APINeig_PolyLine) \
    X(APINeig_PolyLineOn) \
    X(APINeig_Arc) \
    X(APINeig_ArcOn) \
    X(APINeig_Circ) \
    X(APINeig_CircOn) \
    X(APINeig_Spline) \
    X(APINeig_SplineOn) \
    X(APINeig_Hot) \
    X(APINeig_CutPlane) \
    X(APINeig_CutPlOn) \
    X(APINeig_Camera) \
    X(APINeig_CamSet) \
    X(APINeig_VirtSy) \
    X(APINeig_VirtSyOn) \
    X(APINeig_PictObj) \
    X(APINeig_Detail) \
    X(APINeig_DetailPoly) \
    X(APINeig_DetailPolyOn) \
    X(APINeig_DetailMarker) \
    X(APINeig_Symb3D) \
    X(APINeig_Light3D) \
    X(APINeig_Wind3D) \
    X(APINeig_Door3D) \
    X(APINeig_WindMark) \
    X(APINeig_DoorMark) \
    X(APINeig_CutPlMarker) \
    X(APINeig_WallPlClOff) \
    X(APINeig_WallPlOnClOff) \
    X(APINeig_SymbOn) \
    X(APINeig_WindOn) \
    X(APINeig_DoorOn) \
    X(APINeig_LightOn) \
    X(APINeig_Note) \
    X(APINeig_SplineDir) \
    X(APINeig_DrawingCenter) \
    X(APINeig_DrawingFrame) \
    X(APINeig_DrawingFrameOn) \
    X(APINeig_DrawingIDF) \
    X(APINeig_DrawingIDFOn) \
    X(APINeig_DrawingTitle) \
    X(APINeig_DrawingTitleOn) \
    X(APINeig_Worksheet) \
    X(APINeig_WorksheetPoly) \
    X(APINeig_WorksheetPolyOn) \
    X(APINeig_WorksheetMarker) \
    X(APINeig_Elevation) \
    X(APINeig_ElevationOn) \
    X(APINeig_ElevationMarker) \
    X(APINeig_InteriorElevation) \
    X(APINeig_InteriorElevationOn) \
    X(APINeig_InteriorElevationMarker) \
    X(APINeig_SectionSegment) \
    X(APINeig_SectionSegmentOn) \
    X(APINeig_SectionSegmentMarker) \
    X(APINeig_CurtainWall) \
    X(APINeig_CurtainWallOn) \
    X(APINeig_CurtainWallCut) \
    X(APINeig_CurtainWallCutOn) \
    X(APINeig_CWSegment) \
    X(APINeig_CWSegmentOn) \
    X(APINeig_CWSegmentBaseLine) \
    X(APINeig_CWSegmentBaseLineOn) \
    X(APINeig_CWFrame) \
    X(APINeig_CWFrameOn) \
    X(APINeig_CWFrame3D) \
    X(APINeig_CWPanel) \
    X(APINeig_CWPanel3D) \
    X(APINeig_CWJunction) \
    X(APINeig_CWJunction3D) \
    X(APINeig_CWAccessory) \
    X(APINeig_CWAccessory3D) \
    X(APINeig_Shell) \
    X(APINeig_ShellOn) \
    X(APINeig_Skylight) \
    X(APINeig_SkylightHole) \
    X(APINeig_Skylight3D) \
    X(APINeig_SkylightOn3D) \
    X(APINeig_SkylightOn) \
    X(APINeig_SkylightMark) \
    X(APINeig_Morph) \
    X(APINeig_MorphOn) \
    X(APINeig_ChangeMarker) \
    X(APINeig_ChangeMarkerPoly) \
    X(APINeig_ChangeMarkerPolyOn) \
    X(APINeig_ChangeMarkerMarker) \
    X(APINeig_ColuOn) \
    X(APINeig_WordOn) \
    X(APINeig_CurtainWallBaseLine) \
    X(APINeig_CurtainWallBaseLineOn) \
    X(APINeig_StairOn) \
    X(APINeig_Tread) \
    X(APINeig_TreadOn) \
    X(APINeig_Riser) \
    X(APINeig_RiserOn) \
    X(APINeig_Stair) \
    X(APINeig_StairStructure) \
    X(APINeig_StairStructureOn) \
    X(APINeig_Railing) \
    X(APINeig_RailingOn) \
    X(APINeig_RailingToprail) \
    X(APINeig_RailingToprailOn) \
    X(APINeig_RailingHandrail) \
    X(APINeig_RailingHandrailOn) \
    X(APINeig_RailingRail) \
    X(APINeig_RailingRailOn) \
    X(APINeig_RailingPost) \
    X(APINeig_RailingPostOn) \
    X(APINeig_RailingInnerPost) \
    X(APINeig_RailingInnerPostOn) \
    X(APINeig_RailingBaluster) \
    X(APINeig_RailingBalusterOn) \
    X(APINeig_RailingPanel) \
    X(APINeig_RailingPanelOn) \
    X(APINeig_RailingToprailEnd) \
    X(APINeig_RailingToprailEndOn) \
    X(APINeig_RailingHandrailEnd) \
    X(APINeig_RailingHandrailEndOn) \
    X(APINeig_RailingRailEnd) \
    X(APINeig_RailingRailEndOn) \
    X(APINeig_RailingToprailConnection) \
    X(APINeig_RailingToprailConnectionOn) \
    X(APINeig_RailingHandrailConnection) \
    X(APINeig_RailingHandrailConnectionOn) \
    X(APINeig_RailingRailConnection) \
    X(APINeig_RailingRailConnectionOn) \
    X(APINeig_RailingEndFinish) \
    X(APINeig_RailingEndFinishOn) \
    X(APINeig_AnalyticalSupport) \
    X(APINeig_AnalyticalSupportOn) \
    X(APINeig_AnalyticalLink) \
    X(APINeig_AnalyticalLinkOn)

enum API_NeigID : PK::Int32 {
#define TVAPI_ENUMERATOR(name) name,
    TVAPI_NEIG_IDS(TVAPI_ENUMERATOR)
#undef TVAPI_ENUMERATOR
    API_LastNeigID = APINeig_AnalyticalLinkOn
};
