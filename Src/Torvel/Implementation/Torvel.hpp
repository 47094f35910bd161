#pragma once
// The host interface over the host API: each operation makes its host call,
// turns the answer into a result or a typed exception, and owns whatever host
// memory crosses over. The only place in the add-on that calls TVAPI_
// functions for the model.
#include "Torvel/Api/Torvel.hpp"

namespace TessaryConnect::Implementation {

class Torvel : public Api::Torvel {
public:
    // The convenience form that hands this interface to the command.
    using Api::Torvel::CallUndoableCommand;

    PK::Guid GenerateGuid() override;
    PK::UniString GetResourceString(int resID, int index) override;
    API_WindowInfo Database_GetCurrentWindow() override;
    API_WindowInfo Database_GetDatabaseInfo(const Api::DatabaseId& databaseId) override;
    Api::StoryInfo Environment_GetStorySettings() override;
    void Environment_ChangeStorySettings(const API_StoryCmdType& command) override;
    API_3DProjectionInfo Environment_Get3DProjectionSets() override;
    void Environment_Change3DProjectionSets(const API_3DProjectionInfo& info, bool flag) override;
    API_WindowInfo Automate_ChangeWindow(const Api::DatabaseId& databaseId) override;
    API_ElemTypeID Goodies_NeigIDToElemTypeID(API_NeigID neigID) override;
    PK::UniString Goodies_GetElemTypeNameID(API_ElemTypeID typeID) override;
    void CallUndoableCommand(const PK::UniString& undoName, const Command& command) override;
    void CallCommand(const PK::UniString& name, const Command& command) override;
    API_ServerApplicationInfo GetApplicationInfo() override;
    bool GetProjectInfo(API_ProjectInfo& projectInfo) override;
    Api::SelectionResult Selection_Get(bool onlyEditable, bool ofHierarchicalRoots,
                                       API_SelRelativePosID relativePos) override;
    void Element_DeselectAll() override;
    void Element_Select(const PK::Array<API_Neig>& neigs, bool add) override;
    void Interface(API_InterfaceID code, void* par1, void* par2, void* par3, void* par4, void* par5) override;
    bool Element_Filter(const PK::Guid& element, PK::UInt32 filterBits) override;
    Api::HierarchicalOwner GetHierarchicalElementOwner(const PK::Guid& element,
                                                       API_HierarchicalOwnerType ownerType) override;
    void Classification_CreateClassificationSystem(API_ClassificationSystem& system) override;
    PK::Array<API_ClassificationSystem> Classification_GetClassificationSystems() override;
    API_ClassificationSystem Classification_GetClassificationSystem(const PK::Guid& system) override;
    void Classification_ChangeClassificationSystem(const API_ClassificationSystem& system) override;
    void Classification_DeleteClassificationSystem(const PK::Guid& system) override;
    PK::Array<API_ClassificationItem> Classification_GetClassificationSystemRootItems(const PK::Guid& system) override;
    void Classification_CreateClassificationItem(API_ClassificationItem& item, const PK::Guid& system,
                                                 const PK::Guid& parentItem, const PK::Guid& nextItem) override;
    API_ClassificationSystem Classification_GetClassificationItemSystem(const PK::Guid& item) override;
    PK::Array<API_ClassificationItem> Classification_GetClassificationItemChildren(const PK::Guid& item) override;
    void Classification_GetClassificationItem(API_ClassificationItem& item) override;
    void Element_GetElemList(PK::Array<PK::Guid>& elements, API_ElemTypeID typeID, PK::UInt32 filterBits,
                             API_ElemVariationID variationID, const PK::Guid& databaseOrSet) override;
    void Element_GetHeader(API_Elem_Head& header, PK::UInt32 mask) override;
    void Element_Get(const PK::Guid& element, API_Element& record, PK::UInt32 mask) override;
    void Element_AddClassificationItem(const PK::Guid& element, const PK::Guid& item) override;
    void Element_RemoveClassificationItem(const PK::Guid& element, const PK::Guid& item) override;
    API_ClassificationItem Element_GetClassificationInSystem(const PK::Guid& element, const PK::Guid& system) override;
    PK::Array<PK::Guid> Element_GetElementsWithClassification(const PK::Guid& item) override;
    bool Element_IsPropertyDefinitionAvailable(const PK::Guid& element, const PK::Guid& definition) override;
    void Element_SetProperties(const PK::Guid& element, const PK::Array<API_Property>& properties) override;
    PK::Array<API_Property> Element_GetPropertyValuesByGuid(const PK::Guid& element,
                                                            const PK::Array<PK::Guid>& definitions) override;
    void Element_GetPropertyValuesByGuid(const PK::Guid& element, const PK::Array<PK::Guid>& definitions,
                                         PK::Array<API_Property>& properties) override;
    void ElementList_ModifyPropertyValue(const API_Property& property, const PK::Array<PK::Guid>& elements) override;
    void Property_CreatePropertyDefinition(API_PropertyDefinition& definition) override;
    void Property_CreatePropertyGroup(API_PropertyGroup& group) override;
    void Property_ChangePropertyGroup(const API_PropertyGroup& group) override;
    PK::Array<API_PropertyDefinition> Property_GetPropertyDefinitions(const PK::Guid& group) override;
    void Property_GetPropertyDefinition(API_PropertyDefinition& definition) override;
    void Property_ChangePropertyDefinition(const API_PropertyDefinition& definition) override;
    API_PropertyGroup Property_GetPropertyGroup(const PK::Guid& group) override;
    PK::Array<API_PropertyGroup> Property_GetPropertyGroups() override;
    void Property_DeletePropertyGroup(const PK::Guid& group) override;
    void ModulData_Store(const PK::UniString& name, const API_ModulData& data) override;
    bool ModulData_Get(const PK::UniString& name, API_ModulData& data) override;
    void ModulData_Erase(const PK::UniString& name) override;
    PK::Array<PK::UniString> ModulData_GetList() override;
    void Do_ZoomToSelected() override;
    PK::Guid ElementSet_Create(const PK::Array<PK::Guid>& elements, const API_UserData* userData) override;
    void ElementSet_Delete(const PK::Guid& set) override;
    void ElementSet_GetData(const PK::Guid& set, PK::Array<PK::Guid>& elements, API_UserData* userData) override;
    void ElementSet_Identify(const PK::Guid& element, PK::Array<PK::Guid>& sets) override;
    bool TeamworkControl_HasConnection() override;
    PK::Guid TeamworkControl_FindLockableObjectSet(ObjectSet objectSet) override;
    API_LockableStatus TeamworkControl_GetLockableStatus(const PK::Guid& objectSet,
                                                         PK::PagedArray<PK::UniString, 8u>* conflicts) override;
    PK::Guid AddOnObject_CreateUniqueObject(const PK::UniString& name) override;
    void AddOnObject_ModifyObject(const PK::Guid& object, PKHandle content) override;
    void AddOnObject_DeleteObject(const PK::Guid& object) override;
    PK::Array<PK::Guid> AddOnObject_GetObjectList() override;
    Api::AddOnObjectContent AddOnObject_GetObjectContent(const PK::Guid& object) override;
    PK::Guid AddOnObject_GetUniqueObjectGuidFromName(const PK::UniString& name) override;
    bool AddOnObject_ExistsObject(const PK::Guid& object) override;
    void AddOnObject_ReserveObject(const PK::Guid& object) override;
    void AddOnObject_ReleaseObject(const PK::Guid& object) override;
    API_NavigatorItem Navigator_GetNavigatorItem(const PK::Guid& item) override;
};

}  // namespace TessaryConnect::Implementation
