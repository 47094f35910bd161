#pragma once
// The host API's functions: everything an add-on may ask of the host, and the
// callbacks through which the host calls the add-on. Every function answers a
// host error code (NoError on success) unless it says otherwise. Handles and
// heap texts that a function hands out belong to the caller; handles and
// records the caller hands in stay the caller's.
//
// Multiplexed calls take a selector and untyped parameters; the parameters
// each selector expects are listed with its function.
#include <functional>

#include "IO/Location.hpp"
#include "PK/Array.hpp"
#include "PK/HashTable.hpp"
#include "PK/PagedArray.hpp"
#include "TVAPI/APIdefs.hpp"

// ---- the add-on's entry functions ----

// What the host finds in the add-on's bundle. Loading the add-on it calls
// CheckEnvironment (the add-on names and describes itself in envirParams and
// answers APIAddon_Normal to be loaded), then RegisterInterface (menus, the
// module-data handler), then Initialize (handlers and notifications); each
// failure stops the loading. Unloading it, the host calls FreeData, which must
// leave no handler or subscription behind; the host drops the add-on's menus.
using APICheckEnvironmentProc = API_AddonType (*)(API_EnvirParams* envirParams);
using APIRegisterInterfaceProc = PKErrCode (*)();
using APIInitializeProc = PKErrCode (*)();
using APIFreeDataProc = PKErrCode (*)();

// ---- callbacks into the add-on ----

using APIMenuCommandProc = PKErrCode (*)(const API_MenuParams* menuParams);
using APIPaletteControlCallBackProc = PKErrCode (*)(PK::Int32 referenceID, API_PaletteMessageID messageID,
                                                    PK::Int64 param);
using APISelectionChangeHandlerProc = PKErrCode (*)(const API_Neig* selElemNeig);
using APIProjectEventHandlerProc = PKErrCode (*)(API_NotifyEventID notifID, PK::Int32 param);
using APIElementEventHandlerProc = PKErrCode (*)(const API_NotifyElementType* elemType);
using APIModulDataMergeHandlerProc = PKErrCode (*)(API_MDSetCmd mode, const PK::UniString& modulName,
                                                   const API_ModulData* originalInfo, const API_ModulData* toMergeInfo,
                                                   API_ModulData* destInfo);
// The body of a command; the host runs it before the command call returns.
using APICommandProc = std::function<PKErrCode()>;

// ---- registration ----

PKErrCode TVAPI_Register_Menu(PK::Int16 menuStrResID, PK::Int16 promptStrResID, APIMenuCodeID menuPosCode,
                              PK::Int32 menuFlags);
PKErrCode TVAPI_Register_ModulDataHandler();
// The menu must have been registered with TVAPI_Register_Menu.
PKErrCode TVAPI_Install_MenuHandler(PK::Int16 menuStrResID, APIMenuCommandProc handler);
PKErrCode TVAPI_RegisterModelessWindow(PK::Int32 referenceID, APIPaletteControlCallBackProc callBackProc,
                                       PK::UInt32 controlFlags, const API_Guid& paletteGuid);
PKErrCode TVAPI_UnregisterModelessWindow(PK::Int32 referenceID);
// A null handler ends the subscription.
PKErrCode TVAPI_Notify_CatchSelectionChange(APISelectionChangeHandlerProc handler);
// A null handler ends the whole subscription, whatever the mask: a removal
// naming only the document events (0x00000FFF) ends the team-work events too.
PKErrCode TVAPI_Notify_CatchProjectEvent(PK::UInt32 eventTypes, APIProjectEventHandlerProc handler);
PKErrCode TVAPI_Install_ModulDataMergeHandler(APIModulDataMergeHandlerProc handler);
// elemType narrows the notification to one element type (and variation,
// unless generic); null means every type. A null handler ends the subscription.
PKErrCode TVAPI_Notify_CatchNewElement(const API_ToolBoxItem* elemType, APIElementEventHandlerProc handler);
PKErrCode TVAPI_GetOwnLocation(IO::Location* location);

// ---- multiplexed calls ----

// GSTO par1 API_StoryInfo* (its data handle is the caller's) | CSTO par1 API_StoryCmdType*
// GP3D par1 API_3DProjectionInfo* | CP3D par1 API_3DProjectionInfo*, par2 bool*
// APPL par1 API_ServerApplicationInfo* | PROJ par1 API_ProjectInfo* (its texts are the caller's)
PKErrCode TVAPI_Environment(API_EnvironmentID code, void* par1 = nullptr, void* par2 = nullptr, void* par3 = nullptr);
// GWIN par1 API_WindowInfo* out | GDBI par1 API_WindowInfo* in (database guid, or type and index) and out
PKErrCode TVAPI_Database(API_DatabaseID code, void* par1 = nullptr, void* par2 = nullptr, void* par3 = nullptr);
// CHWD par1 API_WindowInfo* in (as GDBI) and out | DOOM no parameters
PKErrCode TVAPI_Automate(API_AutomateID code, void* par1 = nullptr, void* par2 = nullptr, void* par3 = nullptr);
// NTOE par1 API_NeigID*, par2 API_ElemTypeID* out | GETN par1 API_ElemTypeID*, par2 PK::UniString* out
// GHEO par1 API_Guid* element, par2 API_HierarchicalOwnerType*, par3 API_HierarchicalElemType* out,
//      par4 API_Guid* owner out
PKErrCode TVAPI_Goodies(API_GoodiesID code, void* par1 = nullptr, void* par2 = nullptr, void* par3 = nullptr,
                        void* par4 = nullptr);
// GNIT par1 API_Guid*, par2 API_NavigatorItem* out
PKErrCode TVAPI_Navigator(API_NavigatorID code, void* par1 = nullptr, void* par2 = nullptr, void* par3 = nullptr,
                          void* par4 = nullptr);
// The progress window. IPWD par1 PK::UniString* title, par2 PK::Int16* phase count | SPRP par1 PK::UniString*
// phase name, par2 PK::Int32* maximum | IPRV par1 PK::Int32* increment | SPRV par1 PK::Int32* value |
// CANC answers APIERR_CANCEL when the user asked to stop | CPWD closes it
// Menu items of a registered menu: GMIF par1 API_MenuItemRef*, par2 PK::Int32* flags out |
// SMIF par1 API_MenuItemRef*, par2 PK::Int32* flags (API_MenuItemFlags)
PKErrCode TVAPI_Interface(API_InterfaceID code, void* par1 = nullptr, void* par2 = nullptr, void* par3 = nullptr,
                          void* par4 = nullptr, void* par5 = nullptr);

// ---- commands ----

// Runs the command as one step of the undo history shown under undoString.
PKErrCode TVAPI_CallUndoableCommand(const PK::UniString& undoString, const APICommandProc& command);
// Runs the command outside the undo history.
PKErrCode TVAPI_CallCommand(const PK::UniString& commandName, const APICommandProc& command);

// ---- selection ----

// APIERR_NOSEL when nothing is selected. The marquee's coordinate handle in
// selectionInfo belongs to the caller.
PKErrCode TVAPI_Selection_Get(API_SelectionInfo* selectionInfo, PK::Array<API_Neig>* selNeigs, bool onlyEditable,
                              bool ignorePartialSelection, API_SelRelativePosID relativePosToMarquee);
PKErrCode TVAPI_Element_DeselectAll();
// add false removes the given elements from the selection.
PKErrCode TVAPI_Element_Select(const PK::Array<API_Neig>& selNeigs, bool add);

// ---- elements ----

// Whether the element exists and passes every filter bit asked for; a
// non-generic variation must match as well. No error is reported.
bool TVAPI_Element_Filter(const API_Guid& guid, PK::UInt32 filterBits,
                          API_ElemVariationID variationID = APIVarId_Generic,
                          const API_Guid& viewFilterGuid = APINULLGuid);
// The elements of the type passing the filter bits, API_ZombieElemID for every
// type; the generic variation lists every variation.
PKErrCode TVAPI_Element_GetElemList(API_ElemTypeID typeID, PK::Array<API_Guid>* elemList, PK::UInt32 filterBits,
                                    API_ElemVariationID variationID = APIVarId_Generic,
                                    const API_Guid& viewFilterGuid = APINULLGuid);
// The header's guid goes in.
PKErrCode TVAPI_Element_GetHeader(API_Elem_Head* elementHead, PK::UInt32 mask = 0);
// The header's guid goes in.
PKErrCode TVAPI_Element_Get(API_Element* element, PK::UInt32 mask = 0);
PKErrCode TVAPI_Element_AddClassificationItem(const API_Guid& elemGuid, const API_Guid& itemGuid);
PKErrCode TVAPI_Element_RemoveClassificationItem(const API_Guid& elemGuid, const API_Guid& itemGuid);
// An element not classified in the system gets the item with the null guid.
PKErrCode TVAPI_Element_GetClassificationInSystem(const API_Guid& elemGuid, const API_Guid& systemGuid,
                                                  API_ClassificationItem& item);
PKErrCode TVAPI_Element_GetElementsWithClassification(const API_Guid& itemGuid, PK::Array<API_Guid>& elemGuids);
bool TVAPI_Element_IsPropertyDefinitionAvailable(const API_Guid& elemGuid, const API_Guid& propertyDefGuid);
PKErrCode TVAPI_Element_SetProperties(const API_Guid& elemGuid, const PK::Array<API_Property>& properties);
// One property per definition asked, in order, with isDefault set where the
// element holds no value (or the definition is not available for it); a
// definition the project does not have gets no entry.
PKErrCode TVAPI_Element_GetPropertyValuesByGuid(const API_Guid& elemGuid,
                                                const PK::Array<API_Guid>& propertyDefinitions,
                                                PK::Array<API_Property>& properties);
PKErrCode TVAPI_ElementList_ModifyPropertyValue(const API_Property& property, const PK::Array<API_Guid>& elemGuids);

// ---- classification ----

PKErrCode TVAPI_Classification_CreateClassificationSystem(API_ClassificationSystem& system);
PKErrCode TVAPI_Classification_GetClassificationSystems(PK::Array<API_ClassificationSystem>& systems);
// The system's guid goes in.
PKErrCode TVAPI_Classification_GetClassificationSystem(API_ClassificationSystem& system);
PKErrCode TVAPI_Classification_ChangeClassificationSystem(const API_ClassificationSystem& system);
PKErrCode TVAPI_Classification_DeleteClassificationSystem(const API_Guid& systemGuid);
PKErrCode TVAPI_Classification_GetClassificationSystemRootItems(const API_Guid& systemGuid,
                                                                PK::Array<API_ClassificationItem>& items);
// A null parent makes a root item; a null next item appends.
PKErrCode TVAPI_Classification_CreateClassificationItem(API_ClassificationItem& item, const API_Guid& systemGuid,
                                                        const API_Guid& parentItemGuid, const API_Guid& nextItemGuid);
PKErrCode TVAPI_Classification_GetClassificationItemSystem(const API_Guid& itemGuid, API_ClassificationSystem& system);
PKErrCode TVAPI_Classification_GetClassificationItemChildren(const API_Guid& itemGuid,
                                                             PK::Array<API_ClassificationItem>& children);
// The item's guid goes in.
PKErrCode TVAPI_Classification_GetClassificationItem(API_ClassificationItem& item);

// ---- properties ----

PKErrCode TVAPI_Property_CreatePropertyDefinition(API_PropertyDefinition& definition);
PKErrCode TVAPI_Property_CreatePropertyGroup(API_PropertyGroup& group);
PKErrCode TVAPI_Property_ChangePropertyGroup(const API_PropertyGroup& group);
PKErrCode TVAPI_Property_GetPropertyDefinitions(const API_Guid& groupGuid,
                                                PK::Array<API_PropertyDefinition>& definitions);
// The definition's guid goes in.
PKErrCode TVAPI_Property_GetPropertyDefinition(API_PropertyDefinition& definition);
PKErrCode TVAPI_Property_ChangePropertyDefinition(const API_PropertyDefinition& definition);
// The group's guid goes in.
PKErrCode TVAPI_Property_GetPropertyGroup(API_PropertyGroup& group);
PKErrCode TVAPI_Property_GetPropertyGroups(PK::Array<API_PropertyGroup>& groups);
PKErrCode TVAPI_Property_DeletePropertyGroup(const API_Guid& groupGuid);

// ---- module data ----

// A null info erases the entry (APIERR_NOMODULEDATA when there is none). The
// host keeps a copy of the data; the caller's handle stays the caller's.
PKErrCode TVAPI_ModulData_Store(const API_ModulData* info, const PK::UniString& modulName);
// Fills info with a copy; its data handle belongs to the caller.
PKErrCode TVAPI_ModulData_Get(API_ModulData* info, const PK::UniString& modulName);
PKErrCode TVAPI_ModulData_GetList(PK::Array<PK::UniString>* modulNameList);

// ---- element sets ----

PKErrCode TVAPI_ElementSet_Create(const PK::Array<API_Guid>* elemGuids, const API_UserData* data, API_Guid* setGuid);
PKErrCode TVAPI_ElementSet_Delete(const API_Guid& setGuid);
// The user data's handle, when filled, belongs to the caller.
PKErrCode TVAPI_ElementSet_GetData(const API_Guid& setGuid, PK::Array<API_Guid>* elemGuids, API_UserData* data);
PKErrCode TVAPI_ElementSet_Identify(const API_Guid& elemGuid, PK::Array<API_Guid>* setGuids);

// ---- team work ----

bool TVAPI_TeamworkControl_HasConnection();
// The null guid for a name the host does not know.
API_Guid TVAPI_TeamworkControl_FindLockableObjectSet(const PK::UniString& objectSetName);
// conflicts, when given, receives the members who hold the set.
API_LockableStatus TVAPI_TeamworkControl_GetLockableStatus(const API_Guid& objectSetGuid,
                                                           PK::PagedArray<PK::UniString, 8>* conflicts = nullptr);

// ---- add-on objects ----

PKErrCode TVAPI_AddOnObject_CreateUniqueObject(const PK::UniString& name, API_Guid* objectGuid);
// newName may be null (keep the name), content may be null (keep the content).
// In team work the object must be reserved by this user.
PKErrCode TVAPI_AddOnObject_ModifyObject(const API_Guid& objectGuid, const PK::UniString* newName,
                                         const PKHandle* content);
PKErrCode TVAPI_AddOnObject_DeleteObject(const API_Guid& objectGuid);
PKErrCode TVAPI_AddOnObject_GetObjectList(PK::Array<API_Guid>* objects);
// content receives a copy (null when the object has none); it belongs to the caller.
PKErrCode TVAPI_AddOnObject_GetObjectContent(const API_Guid& objectGuid, PK::UniString* name, PKHandle* content);
// The null guid when no object has the name.
PKErrCode TVAPI_AddOnObject_GetUniqueObjectGuidFromName(const PK::UniString& name, API_Guid* objectGuid);
PKErrCode TVAPI_AddOnObject_ExistsObject(const API_Guid& objectGuid, bool* exists);
// Team work only. conflicts, when given, receives each object held by another member with that member's name.
PKErrCode TVAPI_AddOnObject_ReserveObjects(const PK::Array<API_Guid>& objects,
                                           PK::HashTable<API_Guid, PK::UniString>* conflicts);
PKErrCode TVAPI_AddOnObject_ReleaseObjects(const PK::Array<API_Guid>& objects);
