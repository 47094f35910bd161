#include "support/FakeTorvel.hpp"

namespace TestSupport {

using namespace TessaryConnect::Api;

PK::Guid FakeTorvel::GenerateGuid() { throw UnexpectedCall("GenerateGuid"); }
PK::UniString FakeTorvel::GetResourceString(int, int) { throw UnexpectedCall("GetResourceString"); }
API_WindowInfo FakeTorvel::Database_GetCurrentWindow() { throw UnexpectedCall("Database_GetCurrentWindow"); }
API_WindowInfo FakeTorvel::Database_GetDatabaseInfo(const TessaryConnect::Api::DatabaseId&) {
    throw UnexpectedCall("Database_GetDatabaseInfo");
}
StoryInfo FakeTorvel::Environment_GetStorySettings() { throw UnexpectedCall("Environment_GetStorySettings"); }
void FakeTorvel::Environment_ChangeStorySettings(const API_StoryCmdType&) {
    throw UnexpectedCall("Environment_ChangeStorySettings");
}
API_3DProjectionInfo FakeTorvel::Environment_Get3DProjectionSets() {
    throw UnexpectedCall("Environment_Get3DProjectionSets");
}
void FakeTorvel::Environment_Change3DProjectionSets(const API_3DProjectionInfo&, bool) {
    throw UnexpectedCall("Environment_Change3DProjectionSets");
}
API_WindowInfo FakeTorvel::Automate_ChangeWindow(const TessaryConnect::Api::DatabaseId&) {
    throw UnexpectedCall("Automate_ChangeWindow");
}
API_ElemTypeID FakeTorvel::Goodies_NeigIDToElemTypeID(API_NeigID) {
    throw UnexpectedCall("Goodies_NeigIDToElemTypeID");
}
PK::UniString FakeTorvel::Goodies_GetElemTypeNameID(API_ElemTypeID) {
    throw UnexpectedCall("Goodies_GetElemTypeNameID");
}
void FakeTorvel::CallUndoableCommand(const PK::UniString&, const Command&) {
    throw UnexpectedCall("CallUndoableCommand");
}
void FakeTorvel::CallCommand(const PK::UniString&, const Command&) { throw UnexpectedCall("CallCommand"); }
API_ServerApplicationInfo FakeTorvel::GetApplicationInfo() { throw UnexpectedCall("GetApplicationInfo"); }
bool FakeTorvel::GetProjectInfo(API_ProjectInfo&) { throw UnexpectedCall("GetProjectInfo"); }
SelectionResult FakeTorvel::Selection_Get(bool, bool, API_SelRelativePosID) { throw UnexpectedCall("Selection_Get"); }
void FakeTorvel::Element_DeselectAll() { throw UnexpectedCall("Element_DeselectAll"); }
void FakeTorvel::Element_Select(const PK::Array<API_Neig>&, bool) { throw UnexpectedCall("Element_Select"); }
void FakeTorvel::Interface(API_InterfaceID, void*, void*, void*, void*, void*) { throw UnexpectedCall("Interface"); }
bool FakeTorvel::Element_Filter(const PK::Guid&, PK::UInt32) { throw UnexpectedCall("Element_Filter"); }
HierarchicalOwner FakeTorvel::GetHierarchicalElementOwner(const PK::Guid&, API_HierarchicalOwnerType) {
    throw UnexpectedCall("GetHierarchicalElementOwner");
}
void FakeTorvel::Classification_CreateClassificationSystem(API_ClassificationSystem&) {
    throw UnexpectedCall("Classification_CreateClassificationSystem");
}
PK::Array<API_ClassificationSystem> FakeTorvel::Classification_GetClassificationSystems() {
    throw UnexpectedCall("Classification_GetClassificationSystems");
}
API_ClassificationSystem FakeTorvel::Classification_GetClassificationSystem(const PK::Guid&) {
    throw UnexpectedCall("Classification_GetClassificationSystem");
}
void FakeTorvel::Classification_ChangeClassificationSystem(const API_ClassificationSystem&) {
    throw UnexpectedCall("Classification_ChangeClassificationSystem");
}
void FakeTorvel::Classification_DeleteClassificationSystem(const PK::Guid&) {
    throw UnexpectedCall("Classification_DeleteClassificationSystem");
}
PK::Array<API_ClassificationItem> FakeTorvel::Classification_GetClassificationSystemRootItems(const PK::Guid&) {
    throw UnexpectedCall("Classification_GetClassificationSystemRootItems");
}
void FakeTorvel::Classification_CreateClassificationItem(API_ClassificationItem&, const PK::Guid&, const PK::Guid&,
                                                         const PK::Guid&) {
    throw UnexpectedCall("Classification_CreateClassificationItem");
}
API_ClassificationSystem FakeTorvel::Classification_GetClassificationItemSystem(const PK::Guid&) {
    throw UnexpectedCall("Classification_GetClassificationItemSystem");
}
PK::Array<API_ClassificationItem> FakeTorvel::Classification_GetClassificationItemChildren(const PK::Guid&) {
    throw UnexpectedCall("Classification_GetClassificationItemChildren");
}
void FakeTorvel::Classification_GetClassificationItem(API_ClassificationItem&) {
    throw UnexpectedCall("Classification_GetClassificationItem");
}
void FakeTorvel::Element_GetElemList(PK::Array<PK::Guid>&, API_ElemTypeID, PK::UInt32, API_ElemVariationID,
                                     const PK::Guid&) {
    throw UnexpectedCall("Element_GetElemList");
}
void FakeTorvel::Element_GetHeader(API_Elem_Head&, PK::UInt32) { throw UnexpectedCall("Element_GetHeader"); }
void FakeTorvel::Element_Get(const PK::Guid&, API_Element&, PK::UInt32) { throw UnexpectedCall("Element_Get"); }
void FakeTorvel::Element_AddClassificationItem(const PK::Guid&, const PK::Guid&) {
    throw UnexpectedCall("Element_AddClassificationItem");
}
void FakeTorvel::Element_RemoveClassificationItem(const PK::Guid&, const PK::Guid&) {
    throw UnexpectedCall("Element_RemoveClassificationItem");
}
API_ClassificationItem FakeTorvel::Element_GetClassificationInSystem(const PK::Guid&, const PK::Guid&) {
    throw UnexpectedCall("Element_GetClassificationInSystem");
}
PK::Array<PK::Guid> FakeTorvel::Element_GetElementsWithClassification(const PK::Guid&) {
    throw UnexpectedCall("Element_GetElementsWithClassification");
}
bool FakeTorvel::Element_IsPropertyDefinitionAvailable(const PK::Guid&, const PK::Guid&) {
    throw UnexpectedCall("Element_IsPropertyDefinitionAvailable");
}
void FakeTorvel::Element_SetProperties(const PK::Guid&, const PK::Array<API_Property>&) {
    throw UnexpectedCall("Element_SetProperties");
}
PK::Array<API_Property> FakeTorvel::Element_GetPropertyValuesByGuid(const PK::Guid&, const PK::Array<PK::Guid>&) {
    throw UnexpectedCall("Element_GetPropertyValuesByGuid");
}
void FakeTorvel::ElementList_ModifyPropertyValue(const API_Property&, const PK::Array<PK::Guid>&) {
    throw UnexpectedCall("ElementList_ModifyPropertyValue");
}
void FakeTorvel::Property_CreatePropertyDefinition(API_PropertyDefinition&) {
    throw UnexpectedCall("Property_CreatePropertyDefinition");
}
void FakeTorvel::Property_CreatePropertyGroup(API_PropertyGroup&) {
    throw UnexpectedCall("Property_CreatePropertyGroup");
}
void FakeTorvel::Property_ChangePropertyGroup(const API_PropertyGroup&) {
    throw UnexpectedCall("Property_ChangePropertyGroup");
}
PK::Array<API_PropertyDefinition> FakeTorvel::Property_GetPropertyDefinitions(const PK::Guid&) {
    throw UnexpectedCall("Property_GetPropertyDefinitions");
}
void FakeTorvel::Property_GetPropertyDefinition(API_PropertyDefinition&) {
    throw UnexpectedCall("Property_GetPropertyDefinition");
}
void FakeTorvel::Property_ChangePropertyDefinition(const API_PropertyDefinition&) {
    throw UnexpectedCall("Property_ChangePropertyDefinition");
}
API_PropertyGroup FakeTorvel::Property_GetPropertyGroup(const PK::Guid&) {
    throw UnexpectedCall("Property_GetPropertyGroup");
}
PK::Array<API_PropertyGroup> FakeTorvel::Property_GetPropertyGroups() {
    throw UnexpectedCall("Property_GetPropertyGroups");
}
void FakeTorvel::Property_DeletePropertyGroup(const PK::Guid&) { throw UnexpectedCall("Property_DeletePropertyGroup"); }
void FakeTorvel::ModulData_Store(const PK::UniString&, const API_ModulData&) {
    throw UnexpectedCall("ModulData_Store");
}
bool FakeTorvel::ModulData_Get(const PK::UniString&, API_ModulData&) { throw UnexpectedCall("ModulData_Get"); }
void FakeTorvel::ModulData_Erase(const PK::UniString&) { throw UnexpectedCall("ModulData_Erase"); }
PK::Array<PK::UniString> FakeTorvel::ModulData_GetList() { throw UnexpectedCall("ModulData_GetList"); }
void FakeTorvel::Do_ZoomToSelected() { throw UnexpectedCall("Do_ZoomToSelected"); }
PK::Guid FakeTorvel::ElementSet_Create(const PK::Array<PK::Guid>&, const API_UserData*) {
    throw UnexpectedCall("ElementSet_Create");
}
void FakeTorvel::ElementSet_Delete(const PK::Guid&) { throw UnexpectedCall("ElementSet_Delete"); }
void FakeTorvel::ElementSet_GetData(const PK::Guid&, PK::Array<PK::Guid>&, API_UserData*) {
    throw UnexpectedCall("ElementSet_GetData");
}
void FakeTorvel::ElementSet_Identify(const PK::Guid&, PK::Array<PK::Guid>&) {
    throw UnexpectedCall("ElementSet_Identify");
}
bool FakeTorvel::TeamworkControl_HasConnection() { throw UnexpectedCall("TeamworkControl_HasConnection"); }
PK::Guid FakeTorvel::TeamworkControl_FindLockableObjectSet(ObjectSet) {
    throw UnexpectedCall("TeamworkControl_FindLockableObjectSet");
}
API_LockableStatus FakeTorvel::TeamworkControl_GetLockableStatus(const PK::Guid&, PK::PagedArray<PK::UniString, 8u>*) {
    throw UnexpectedCall("TeamworkControl_GetLockableStatus");
}
PK::Guid FakeTorvel::AddOnObject_CreateUniqueObject(const PK::UniString&) {
    throw UnexpectedCall("AddOnObject_CreateUniqueObject");
}
void FakeTorvel::AddOnObject_ModifyObject(const PK::Guid&, PKHandle) {
    throw UnexpectedCall("AddOnObject_ModifyObject");
}
void FakeTorvel::AddOnObject_DeleteObject(const PK::Guid&) { throw UnexpectedCall("AddOnObject_DeleteObject"); }
PK::Array<PK::Guid> FakeTorvel::AddOnObject_GetObjectList() { throw UnexpectedCall("AddOnObject_GetObjectList"); }
AddOnObjectContent FakeTorvel::AddOnObject_GetObjectContent(const PK::Guid&) {
    throw UnexpectedCall("AddOnObject_GetObjectContent");
}
PK::Guid FakeTorvel::AddOnObject_GetUniqueObjectGuidFromName(const PK::UniString&) {
    throw UnexpectedCall("AddOnObject_GetUniqueObjectGuidFromName");
}
bool FakeTorvel::AddOnObject_ExistsObject(const PK::Guid&) { throw UnexpectedCall("AddOnObject_ExistsObject"); }
void FakeTorvel::AddOnObject_ReserveObject(const PK::Guid&) { throw UnexpectedCall("AddOnObject_ReserveObject"); }
void FakeTorvel::AddOnObject_ReleaseObject(const PK::Guid&) { throw UnexpectedCall("AddOnObject_ReleaseObject"); }
API_NavigatorItem FakeTorvel::Navigator_GetNavigatorItem(const PK::Guid&) {
    throw UnexpectedCall("Navigator_GetNavigatorItem");
}

}  // namespace TestSupport
