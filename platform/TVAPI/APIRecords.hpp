#pragma once
// Records and enumerations of the host API, with the fields add-ons read and
// write. Records are plain values; a default-constructed record is all zero
// (null GUIDs, empty texts and arrays, null handles). Where a record carries
// a memory handle or a heap pointer filled by the host, the caller that
// received it owns it (see the comment at each such field).
#include "IO/Location.hpp"
#include "PK/Array.hpp"
#include "PK/Guid.hpp"
#include "PK/Memory.hpp"
#include "PK/Types.hpp"
#include "PK/UniString.hpp"
#include "TVAPI/APIElemTypes.hpp"

// ---- identities ----

// The host's GUID record. It has the class library's 16-byte layout, so it is
// the same type: arrays of GUIDs pass between add-on and host unconverted.
using API_Guid = PK::Guid;
inline constexpr API_Guid APINULLGuid{};
inline API_Guid PKGuid2APIGuid(const PK::Guid& guid) { return guid; }
inline PK::Guid APIGuid2PKGuid(const API_Guid& guid) { return guid; }

struct PKDateRecord {
    PK::UInt16 year = 0;
    PK::UInt16 month = 0;
    PK::UInt16 day = 0;
};

// ---- add-on registration ----

enum API_AddonType : PK::Int32 {
    APIAddon_DontRegister = 0,
    APIAddon_Normal = 1,
    APIAddon_Preload = 2,
};

struct API_AddOnInfo {
    PK::UniString name;
    PK::UniString description;
};

struct API_ServerApplicationInfo {
    PK::Int32 serverApplication = 1;  // 1: the host application itself
    PK::UInt16 mainVersion = 0;
    PK::Int16 releaseVersion = 0;
    bool runningInBackground = false;
    PK::Int32 buildNum = 0;
    PK::UniString language;
    bool ssaEnabled = false;
    PK::UniString partnerID;
};

struct API_EnvirParams {
    API_AddOnInfo addOnInfo;
    API_ServerApplicationInfo serverInfo;
};

enum APIMenuCodeID : PK::Int32 {
    MenuCode_UserDef = 0,
    MenuCode_Palettes = 12,
};
constexpr PK::Int32 MenuFlag_Default = 0;

struct API_MenuItemRef {
    PK::Int16 menuResID = 0;
    PK::Int32 itemIndex = 0;  // counted from 1
};

// Flags of a menu item (TVAPI_Interface GMIF and SMIF).
enum API_MenuItemFlags : PK::Int32 {
    API_MenuItemDisabled = 0x00000001,
    API_MenuItemChecked = 0x00000002,
};

struct API_MenuParams {
    API_MenuItemRef menuItemRef;
};

// Window kinds in which a modeless palette stays enabled.
enum API_PaletteEnabledFlags : PK::UInt32 {
    API_PalEnabled_FloorPlan = 0x001,
    API_PalEnabled_Section = 0x002,
    API_PalEnabled_3D = 0x004,
    API_PalEnabled_Detail = 0x008,
    API_PalEnabled_Layout = 0x010,
    API_PalEnabled_Worksheet = 0x020,
    API_PalEnabled_Drawing = 0x040,
    API_PalEnabled_Elevation = 0x080,
    API_PalEnabled_InteriorElevation = 0x100,
    API_PalEnabled_DocumentFrom3D = 0x200,
};

enum API_PaletteMessageID : PK::Int32 {
    APIPalMsg_ClosePalette = 1,
    APIPalMsg_HidePalette_Begin = 2,
    APIPalMsg_HidePalette_End = 3,
    APIPalMsg_DisableItems_Begin = 4,
    APIPalMsg_DisableItems_End = 5,
    APIPalMsg_OpenPalette = 6,
    APIPalMsg_IsPaletteVisible = 7,
};

// ---- notifications ----

enum API_NotifyEventID : PK::Int32 {
    APINotify_New = 0x00000001,
    APINotify_NewAndReset = 0x00000002,
    APINotify_Open = 0x00000004,
    APINotify_PreSave = 0x00000008,
    APINotify_Save = 0x00000010,
    APINotify_Close = 0x00000020,
    APINotify_Quit = 0x00000040,
    APINotify_TempSave = 0x00000080,
    APINotify_SendChanges = 0x00008000,
    APINotify_ReceiveChanges = 0x00010000,
    APINotify_ChangeWindow = 0x00080000,
    APINotify_ChangeFloor = 0x00100000,
    APINotify_PropertyDefinitionChanged = 0x04000000,
    APINotify_ClassificationItemChanged = 0x08000000,
    APINotify_PropertyVisibilityChanged = 0x10000000,
    APINotify_ClassificationVisibilityChanged = 0x20000000,
    APINotify_ShowIn3DChanged = 0x40000000,
};
constexpr PK::UInt32 API_AllNotificationMask = 0xFFFFFFFFu;

// ---- elements ----

struct API_Elem_Head {
    API_ElemTypeID typeID = API_ZombieElemID;
    API_ElemVariationID variationID = APIVarId_Generic;
    API_Guid guid;
    PK::UInt64 modiStamp = 0;
    PK::Int16 floorInd = 0;    // story index
    PK::Int32 layer = 0;       // layer index
    PK::Int16 lockId = 0;      // non-zero: the element itself is locked
    API_Guid groupGuid;
    API_Guid hotlinkGuid;      // null unless the element comes from a hotlinked module
};

// Part of an element shown in a section: it stands for a model element.
struct API_SectElemType {
    API_Guid parentGuid;
    API_ElemTypeID parentID = API_ZombieElemID;
};

// The full element record, as far as add-ons use it.
struct API_Element {
    API_Elem_Head header;
    API_SectElemType sectElem;  // meaningful when header.typeID is API_SectElemID
};

enum API_ElementDBEventID : PK::Int32 {
    APINotifyElement_New = 1,
    APINotifyElement_Copy = 2,
    APINotifyElement_Change = 3,
    APINotifyElement_Delete = 4,
};

struct API_NotifyElementType {
    API_ElementDBEventID notifID = APINotifyElement_New;
    API_Elem_Head elemHead;
};

// An element type, with a variation or the generic one for all variations.
struct API_ToolBoxItem {
    API_ElemTypeID typeID = API_ZombieElemID;
    API_ElemVariationID variationID = APIVarId_Generic;
};

// Host element-filter bits.
enum API_ElemFilterFlags : PK::UInt32 {
    APIFilt_None = 0x0000,
    APIFilt_IsEditable = 0x0001,
    APIFilt_OnVisLayer = 0x0002,
    APIFilt_OnActFloor = 0x0004,
    APIFilt_In3D = 0x0008,
    APIFilt_InMyWorkspace = 0x0010,
    APIFilt_VisibleByPhase = 0x0400,
    APIFilt_InStructureView = 0x1000,
};

enum API_HierarchicalOwnerType : PK::Int32 {
    API_ParentHierarchicalOwner = 0,
    API_RootHierarchicalOwner = 1,
};

enum API_HierarchicalElemType : PK::Int32 {
    API_SingleElem = 0,
    API_MainElem = 1,
    API_SubElem = 2,
    API_UnknownElemType = 3,
};

// ---- selection ----

struct API_Neig {
    API_NeigID neigID = APINeig_None;
    API_Guid guid;
    PK::UInt32 flags = 0;
    PK::Int32 inIndex = 0;
    PK::Int32 elemPartType = 0;
    PK::Int32 elemPartIndex = 0;
};

enum API_SelTypeID : PK::Int32 {
    API_SelEmpty = 0,
    API_SelElems = 1,
    API_MarqueePoly = 2,
    API_MarqueeHorBox = 3,
    API_MarqueeRotBox = 4,
};

enum API_SelRelativePosID : PK::Int32 {
    API_NoRelativePos = 0,
    API_InsidePartially = 1,
    API_InsideEntirely = 2,
    API_OutsidePartially = 3,
    API_OutsideEntirely = 4,
};

struct API_MarqueeInfo {
    PK::Int32 nCoords = 0;
    PKHandle coords = nullptr;  // nCoords pairs of doubles; the receiver frees it
};

struct API_SelectionInfo {
    API_SelTypeID typeID = API_SelEmpty;
    PK::Int32 sel_nElem = 0;
    PK::Int32 sel_nElemEdit = 0;
    API_MarqueeInfo marquee;
};

// ---- windows, stories, 3D ----

enum API_WindowTypeID : PK::Int32 {
    APIWind_None = 0,
    APIWind_FloorPlanID = 1,
    APIWind_SectionID = 2,
    APIWind_DetailID = 3,
    APIWind_3DModelID = 4,
    APIWind_LayoutID = 5,
    APIWind_DrawingID = 6,
    APIWind_ElevationID = 7,
    APIWind_InteriorElevationID = 8,
    APIWind_WorksheetID = 9,
    APIWind_DocumentFrom3DID = 10,
};

struct API_WindowInfo {
    API_WindowTypeID typeID = APIWind_None;
    PK::Int32 index = 0;
    API_Guid databaseUnId;
    PK::UniString title;
};

// One story of the project.
struct API_StoryType {
    PK::Int16 index = 0;
    double level = 0.0;
    char16_t uName[128] = {};  // zero-terminated
};

// Filled by the host; data holds (lastStory - firstStory + 1) API_StoryType
// records and belongs to the receiver, who frees it with BMKillHandle.
struct API_StoryInfo {
    PK::Int16 firstStory = 0;
    PK::Int16 lastStory = 0;
    PK::Int16 actStory = 0;
    PKHandle data = nullptr;
};

enum API_StoryCmdID : PK::Int32 {
    APIStory_GoTo = 0,
    APIStory_Create = 1,
    APIStory_Delete = 2,
    APIStory_SetHeight = 3,
    APIStory_Rename = 4,
};

struct API_StoryCmdType {
    API_StoryCmdID action = APIStory_GoTo;
    PK::Int16 index = 0;
    bool withRebuild = false;
    double height = 0.0;
    PK::UniString name;
};

struct API_3DProjectionInfo {
    bool isPersp = false;
    double viewConeAngle = 0.0;
    double azimuth = 0.0;
    double cameraX = 0.0;
    double cameraY = 0.0;
    double cameraZ = 0.0;
    double targetX = 0.0;
    double targetY = 0.0;
    double targetZ = 0.0;
};

// ---- project ----

// The texts and the location are allocated by the host with new (null when
// it has none); the receiver deletes them.
struct API_ProjectInfo {
    bool isUntitled = false;
    bool teamwork = false;
    PK::Int32 userId = 0;
    PK::UniString* projectName = nullptr;
    PK::UniString* projectPath = nullptr;
    IO::Location* location = nullptr;
};

// ---- module data, user data ----

struct API_ModulData {
    PK::Int32 dataVersion = 0;
    PK::UInt16 platformSign = 0;
    PKHandle dataHdl = nullptr;
};

enum API_MDSetCmd : PK::Int32 {
    APIMDSetMerge_TW = 11,
    APIMDSetMerge_Hotlink = 2,
};

struct API_UserData {
    PK::Int32 dataVersion = 0;
    PK::UInt16 platformSign = 0;
    PK::UInt32 flags = 0;
    PKHandle dataHdl = nullptr;
};

// ---- classification ----

struct API_ClassificationSystem {
    API_Guid guid;
    PK::UniString name;
    PK::UniString description;
    PK::UniString source;
    PK::UniString editionVersion;
    PKDateRecord editionDate;
};

struct API_ClassificationItem {
    API_Guid guid;
    PK::UniString id;
    PK::UniString name;
    PK::UniString description;
};

// ---- properties ----

enum API_PropertyGroupType : PK::Int32 {
    API_PropertyStaticBuiltInGroupType = 0,
    API_PropertyDynamicBuiltInGroupType = 1,
    API_PropertyCustomGroupType = 2,
};

enum API_PropertyDefinitionType : PK::Int32 {
    API_PropertyStaticBuiltInDefinitionType = 0,
    API_PropertyDynamicBuiltInDefinitionType = 1,
    API_PropertyCustomDefinitionType = 2,
};

enum API_PropertyCollectionType : PK::Int32 {
    API_PropertyUndefinedCollectionType = 0,
    API_PropertySingleCollectionType = 1,
    API_PropertyListCollectionType = 2,
    API_PropertySingleChoiceEnumerationCollectionType = 3,
    API_PropertyMultipleChoiceEnumerationCollectionType = 4,
};

enum API_VariantType : PK::Int32 {
    API_PropertyUndefinedValueType = 0,
    API_PropertyIntegerValueType = 1,
    API_PropertyRealValueType = 2,
    API_PropertyStringValueType = 3,
    API_PropertyBooleanValueType = 4,
    API_PropertyGuidValueType = 5,
};

enum API_PropertyMeasureType : PK::Int32 {
    API_PropertyUndefinedMeasureType = 0,
    API_PropertyDefaultMeasureType = 1,
    API_PropertyLengthMeasureType = 2,
    API_PropertyAreaMeasureType = 3,
    API_PropertyVolumeMeasureType = 4,
    API_PropertyAngleMeasureType = 5,
};

enum API_VariantStatus : PK::Int32 {
    API_VariantStatusNull = 0,
    API_VariantStatusUserUndefined = 1,
    API_VariantStatusNormal = 2,
};

enum API_PropertyValueStatus : PK::Int32 {
    API_Property_NotAvailable = 0,
    API_Property_NotEvaluated = 1,
    API_Property_HasValue = 2,
};

struct API_PropertyGroup {
    API_Guid guid;
    API_PropertyGroupType groupType = API_PropertyStaticBuiltInGroupType;
    PK::UniString name;
};

struct API_Variant {
    API_VariantType type = API_PropertyUndefinedValueType;
    PK::Int32 intValue = 0;
    double doubleValue = 0.0;
    bool boolValue = false;
    PK::UniString uniStringValue;
    API_Guid guidValue;
};

struct API_SingleVariant {
    API_Variant variant;
};

struct API_ListVariant {
    PK::Array<API_Variant> variants;
};

struct API_SingleEnumerationVariant {
    API_Variant keyVariant;
    API_Variant displayVariant;
};

struct API_MultipleEnumerationVariant {
    PK::Array<API_SingleEnumerationVariant> variants;
};

struct API_PropertyValue {
    API_VariantStatus variantStatus = API_VariantStatusNull;
    API_SingleVariant singleVariant;
    API_ListVariant listVariant;
    API_SingleEnumerationVariant singleEnumVariant;
    API_MultipleEnumerationVariant multipleEnumVariant;
};

struct API_PropertyDefaultValue {
    API_PropertyValue basicValue;
    PK::Array<PK::UniString> propertyExpressions;
    bool hasExpression = false;
};

struct API_PropertyDefinition {
    API_Guid guid;
    API_Guid groupGuid;
    PK::UniString name;
    PK::UniString description;
    API_PropertyDefinitionType definitionType = API_PropertyStaticBuiltInDefinitionType;
    API_PropertyCollectionType collectionType = API_PropertyUndefinedCollectionType;
    API_VariantType valueType = API_PropertyUndefinedValueType;
    API_PropertyMeasureType measureType = API_PropertyUndefinedMeasureType;
    API_PropertyDefaultValue defaultValue;
    PK::Array<API_Guid> availability;  // classification items the property applies to
    PK::Array<API_SingleEnumerationVariant> possibleEnumValues;
    bool canValueBeEditable = false;
};

struct API_Property {
    API_PropertyDefinition definition;
    API_PropertyValue value;
    bool isDefault = false;
    API_PropertyValueStatus status = API_Property_NotAvailable;
};

// ---- user interface, navigator, team work ----

// Codes of the host's multiplexed user-interface call (four-character codes).
enum API_InterfaceID : PK::Int32 {
    APIIo_OpenProgressWindowID = TVAPI_FourCC("IPWD"),
    APIIo_NextProgressPhaseID = TVAPI_FourCC("SPRP"),
    APIIo_IncProgressValueID = TVAPI_FourCC("IPRV"),
    APIIo_SetProgressValueID = TVAPI_FourCC("SPRV"),
    APIIo_IsProgressCancelledID = TVAPI_FourCC("CANC"),
    APIIo_CloseProgressWindowID = TVAPI_FourCC("CPWD"),
    APIIo_GetMenuItemFlagsID = TVAPI_FourCC("GMIF"),
    APIIo_SetMenuItemFlagsID = TVAPI_FourCC("SMIF"),
};

enum API_NavigatorItemTypeID : PK::Int32 {
    API_UndefinedNavItem = 0,
    API_StoryNavItem = 1,
    API_SectionNavItem = 2,
    API_ElevationNavItem = 3,
    API_InteriorElevationNavItem = 4,
    API_DetailDrawingNavItem = 5,
    API_WorksheetDrawingNavItem = 6,
    API_3DNavItem = 7,
    API_LayoutNavItem = 8,
};

struct API_NavigatorItem {
    API_Guid guid;
    API_NavigatorItemTypeID itemType = API_UndefinedNavItem;
    PK::UniString uName;
    PK::UniString uiId;
    API_WindowInfo db;
};

enum API_LockableStatus : PK::Int32 {
    APILockableStatus_NotExist = 0,
    APILockableStatus_Free = 1,
    APILockableStatus_Editable = 2,
    APILockableStatus_Locked = 3,
    APILockableStatus_NotAvailable = 4,
};

// Environment and automation selectors (four-character codes).
enum API_EnvironmentID : PK::Int32 {
    APIEnv_GetStorySettingsID = TVAPI_FourCC("GSTO"),
    APIEnv_ChangeStorySettingsID = TVAPI_FourCC("CSTO"),
    APIEnv_Get3DProjectionSetsID = TVAPI_FourCC("GP3D"),
    APIEnv_Change3DProjectionSetsID = TVAPI_FourCC("CP3D"),
    APIEnv_ApplicationID = TVAPI_FourCC("APPL"),
    APIEnv_ProjectID = TVAPI_FourCC("PROJ"),
};

enum API_DatabaseID : PK::Int32 {
    APIDb_GetCurrentWindowID = TVAPI_FourCC("GWIN"),
    APIDb_GetDatabaseInfoID = TVAPI_FourCC("GDBI"),
};

enum API_AutomateID : PK::Int32 {
    APIDo_ChangeWindowID = TVAPI_FourCC("CHWD"),
    APIDo_ZoomToSelectedID = TVAPI_FourCC("DOOM"),
};

enum API_GoodiesID : PK::Int32 {
    APIAny_NeigIDToElemTypeID = TVAPI_FourCC("NTOE"),
    APIAny_GetElemTypeNameID = TVAPI_FourCC("GETN"),
    APIAny_GetHierarchicalElementOwnerID = TVAPI_FourCC("GHEO"),
};

enum API_NavigatorID : PK::Int32 {
    APINavigator_GetNavigatorItemID = TVAPI_FourCC("GNIT"),
};
