#include "Torvel/Implementation/Torvel.hpp"

#include <algorithm>

#include "TVAPI/APIFunctions.hpp"
#include "TVAPI/Resources.hpp"
#include "Torvel/Api/DatabaseId.hpp"
#include "Torvel/Api/ThrowError.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

// The error rule: a non-zero host code is traced and thrown as its typed
// error. Macros, so that the trace line names the operation.
#define TC_HOST_CHECK(call)                                              \
    do {                                                                 \
        const PKErrCode tcHostRes_ = (call);                             \
        if (tcHostRes_ != NoError) TC_LOG_AND_THROW_ERRCODE(tcHostRes_); \
    } while (false)

// As TC_HOST_CHECK, except that a refused access right becomes the given
// access-right error, without a trace line.
#define TC_HOST_CHECK_ACCESS(call, AccessRightError)                           \
    do {                                                                       \
        const PKErrCode tcHostRes_ = (call);                                   \
        if (tcHostRes_ == APIERR_NOACCESSRIGHT) throw Api::AccessRightError(); \
        if (tcHostRes_ != NoError) TC_LOG_AND_THROW_ERRCODE(tcHostRes_);       \
    } while (false)

#define TC_HOST_CHECK_CLASSIFICATION(call) TC_HOST_CHECK_ACCESS(call, ErrorClassificationManagerNoAccessRight)
#define TC_HOST_CHECK_PROPERTY(call) TC_HOST_CHECK_ACCESS(call, ErrorPropertyManagerNoAccessRight)

namespace TessaryConnect::Implementation {

namespace {

// The body the host runs for a command. Nothing may cross into the host, and
// the host must keep what the command changed before it failed, so every
// failure is logged here and the host always hears success.
APICommandProc HostCommand(const Api::Torvel::Command& command) {
    return [&command]() -> PKErrCode {
        try {
            command();
        } catch (...) {
            TC_LOG_CAUGHT(err);
        }
        return NoError;
    };
}

// Frees a host memory block on every way out of the scope.
class OwnedHandle {
public:
    explicit OwnedHandle(PKHandle& handle) : _handle(handle) {}
    ~OwnedHandle() { BMKillHandle(&_handle); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

private:
    PKHandle& _handle;
};

// The story names, read no further than the block the host gave reaches:
// the story range alone does not prove that the block holds that many.
PK::Array<PK::UniString> StoryNames(const API_StoryInfo& info) {
    PK::Array<PK::UniString> names;
    if (info.data == nullptr || info.lastStory < info.firstStory) return names;
    const auto wanted = static_cast<PK::USize>(info.lastStory - info.firstStory + 1);
    const auto held = static_cast<PK::USize>(BMGetHandleSize(info.data)) / sizeof(API_StoryType);
    if (held < wanted) LOG_ERROR("story records: {} held for {} stories", held, wanted);
    const auto* records = reinterpret_cast<const API_StoryType*>(*info.data);
    names.Reserve(std::min(held, wanted));
    for (PK::USize i = 0; i < std::min(held, wanted); ++i) {
        const char16_t* name = records[i].uName;
        names.Push(PK::UniString(std::u16string(name, std::find(name, name + std::size(records[i].uName), u'\0'))));
    }
    return names;
}

}  // namespace

PK::Guid Torvel::GenerateGuid() {
    PK::Guid guid;
    guid = PK::Guid::Generate();
    return guid;
}

PK::UniString Torvel::GetResourceString(int resID, int index) {
    PK::UniString string;
    if (!RSGetIndString(&string, resID, index, TVAPI_GetOwnResModule())) {
        LOG_CRITICAL("Missing resource string. resID({}), index({})", resID, index);
        return PK::UniString();
    }
    return string;
}

API_WindowInfo Torvel::Database_GetCurrentWindow() {
    API_WindowInfo info;
    TC_HOST_CHECK(TVAPI_Database(APIDb_GetCurrentWindowID, &info));
    return info;
}

API_WindowInfo Torvel::Database_GetDatabaseInfo(const Api::DatabaseId& databaseId) {
    API_WindowInfo info = databaseId.GetWindowInfo();
    TC_HOST_CHECK(TVAPI_Database(APIDb_GetDatabaseInfoID, &info));
    return info;
}

Api::StoryInfo Torvel::Environment_GetStorySettings() {
    API_StoryInfo info;
    const PKErrCode res = TVAPI_Environment(APIEnv_GetStorySettingsID, &info);
    OwnedHandle records(info.data);
    TC_HOST_CHECK(res);
    Api::StoryInfo stories;
    stories.currentStory = info.actStory;
    stories.firstStory = info.firstStory;
    stories.lastStory = info.lastStory;
    stories.names = StoryNames(info);
    return stories;
}

void Torvel::Environment_ChangeStorySettings(const API_StoryCmdType& command) {
    API_StoryCmdType record = command;
    TC_HOST_CHECK(TVAPI_Environment(APIEnv_ChangeStorySettingsID, &record));
}

API_3DProjectionInfo Torvel::Environment_Get3DProjectionSets() {
    API_3DProjectionInfo info;
    TC_HOST_CHECK(TVAPI_Environment(APIEnv_Get3DProjectionSetsID, &info));
    return info;
}

void Torvel::Environment_Change3DProjectionSets(const API_3DProjectionInfo& info, bool flag) {
    API_3DProjectionInfo record = info;
    TC_HOST_CHECK(TVAPI_Environment(APIEnv_Change3DProjectionSetsID, &record, &flag));
}

API_WindowInfo Torvel::Automate_ChangeWindow(const Api::DatabaseId& databaseId) {
    API_WindowInfo info = databaseId.GetWindowInfo();
    TC_HOST_CHECK(TVAPI_Automate(APIDo_ChangeWindowID, &info));
    return info;
}

API_ElemTypeID Torvel::Goodies_NeigIDToElemTypeID(API_NeigID neigID) {
    API_ElemTypeID typeID = API_ZombieElemID;
    TC_HOST_CHECK(TVAPI_Goodies(APIAny_NeigIDToElemTypeID, &neigID, &typeID));
    return typeID;
}

PK::UniString Torvel::Goodies_GetElemTypeNameID(API_ElemTypeID typeID) {
    PK::UniString name;
    TC_HOST_CHECK(TVAPI_Goodies(APIAny_GetElemTypeNameID, &typeID, &name));
    return name;
}

void Torvel::CallUndoableCommand(const PK::UniString& undoName, const Command& command) {
    const PKErrCode res = TVAPI_CallUndoableCommand(undoName, HostCommand(command));
    TC_ASSERT_MSG(critical, res == NoError, "res({})", res);
}

void Torvel::CallCommand(const PK::UniString& name, const Command& command) {
    const PKErrCode res = TVAPI_CallCommand(name, HostCommand(command));
    TC_ASSERT_MSG(critical, res == NoError, "res({})", res);
}

API_ServerApplicationInfo Torvel::GetApplicationInfo() {
    API_ServerApplicationInfo info;
    TC_HOST_CHECK(TVAPI_Environment(APIEnv_ApplicationID, &info));
    return info;
}

bool Torvel::GetProjectInfo(API_ProjectInfo& projectInfo) {
    const PKErrCode res = TVAPI_Environment(APIEnv_ProjectID, &projectInfo);
    if (res == APIERR_NOPLAN) return false;
    TC_HOST_CHECK(res);
    return true;
}

Api::SelectionResult Torvel::Selection_Get(bool onlyEditable, bool ofHierarchicalRoots,
                                           API_SelRelativePosID relativePos) {
    Api::SelectionResult result;
    const PKErrCode res =
        TVAPI_Selection_Get(&result.selectionInfo, &result.neigs, onlyEditable, ofHierarchicalRoots, relativePos);
    // Nobody reads the marquee's coordinates; they must not outlive the call.
    BMKillHandle(&result.selectionInfo.marquee.coords);
    if (res == APIERR_NOPLAN || res == APIERR_NOSEL) return result;
    TC_HOST_CHECK(res);
    return result;
}

void Torvel::Element_DeselectAll() { TC_HOST_CHECK(TVAPI_Element_DeselectAll()); }

void Torvel::Element_Select(const PK::Array<API_Neig>& neigs, bool add) {
    TC_HOST_CHECK(TVAPI_Element_Select(neigs, add));
}

void Torvel::Interface(API_InterfaceID code, void* par1, void* par2, void* par3, void* par4, void* par5) {
    TC_HOST_CHECK(TVAPI_Interface(code, par1, par2, par3, par4, par5));
}

bool Torvel::Element_Filter(const PK::Guid& element, PK::UInt32 filterBits) {
    return TVAPI_Element_Filter(element, filterBits, APIVarId_Generic, APINULLGuid);
}

Api::HierarchicalOwner Torvel::GetHierarchicalElementOwner(const PK::Guid& element,
                                                           API_HierarchicalOwnerType ownerType) {
    API_Guid elementGuid = element;
    API_HierarchicalElemType elemKind = API_SingleElem;
    API_Guid ownerGuid;
    TC_HOST_CHECK(TVAPI_Goodies(APIAny_GetHierarchicalElementOwnerID, &elementGuid, &ownerType, &elemKind, &ownerGuid));
    return Api::HierarchicalOwner{elemKind, ownerGuid};
}

// ---- classification: a refused access right is the classification manager's ----

void Torvel::Classification_CreateClassificationSystem(API_ClassificationSystem& system) {
    TC_HOST_CHECK_CLASSIFICATION(TVAPI_Classification_CreateClassificationSystem(system));
}

PK::Array<API_ClassificationSystem> Torvel::Classification_GetClassificationSystems() {
    PK::Array<API_ClassificationSystem> systems;
    TC_HOST_CHECK_CLASSIFICATION(TVAPI_Classification_GetClassificationSystems(systems));
    return systems;
}

API_ClassificationSystem Torvel::Classification_GetClassificationSystem(const PK::Guid& system) {
    API_ClassificationSystem record;
    record.guid = system;
    TC_HOST_CHECK_CLASSIFICATION(TVAPI_Classification_GetClassificationSystem(record));
    return record;
}

void Torvel::Classification_ChangeClassificationSystem(const API_ClassificationSystem& system) {
    TC_HOST_CHECK_CLASSIFICATION(TVAPI_Classification_ChangeClassificationSystem(system));
}

void Torvel::Classification_DeleteClassificationSystem(const PK::Guid& system) {
    TC_HOST_CHECK_CLASSIFICATION(TVAPI_Classification_DeleteClassificationSystem(system));
}

PK::Array<API_ClassificationItem> Torvel::Classification_GetClassificationSystemRootItems(const PK::Guid& system) {
    PK::Array<API_ClassificationItem> items;
    TC_HOST_CHECK_CLASSIFICATION(TVAPI_Classification_GetClassificationSystemRootItems(system, items));
    return items;
}

void Torvel::Classification_CreateClassificationItem(API_ClassificationItem& item, const PK::Guid& system,
                                                     const PK::Guid& parentItem, const PK::Guid& nextItem) {
    TC_HOST_CHECK_CLASSIFICATION(TVAPI_Classification_CreateClassificationItem(item, system, parentItem, nextItem));
}

API_ClassificationSystem Torvel::Classification_GetClassificationItemSystem(const PK::Guid& item) {
    API_ClassificationSystem system;
    TC_HOST_CHECK_CLASSIFICATION(TVAPI_Classification_GetClassificationItemSystem(item, system));
    return system;
}

PK::Array<API_ClassificationItem> Torvel::Classification_GetClassificationItemChildren(const PK::Guid& item) {
    PK::Array<API_ClassificationItem> children;
    TC_HOST_CHECK_CLASSIFICATION(TVAPI_Classification_GetClassificationItemChildren(item, children));
    return children;
}

void Torvel::Classification_GetClassificationItem(API_ClassificationItem& item) {
    TC_HOST_CHECK_CLASSIFICATION(TVAPI_Classification_GetClassificationItem(item));
}

// ---- elements ----

void Torvel::Element_GetElemList(PK::Array<PK::Guid>& elements, API_ElemTypeID typeID, PK::UInt32 filterBits,
                                 API_ElemVariationID variationID, const PK::Guid& databaseOrSet) {
    TC_HOST_CHECK(TVAPI_Element_GetElemList(typeID, &elements, filterBits, variationID, databaseOrSet));
}

void Torvel::Element_GetHeader(API_Elem_Head& header, PK::UInt32 mask) {
    TC_HOST_CHECK(TVAPI_Element_GetHeader(&header, mask));
}

void Torvel::Element_Get(const PK::Guid& element, API_Element& record, PK::UInt32 mask) {
    record.header.guid = element;
    TC_HOST_CHECK(TVAPI_Element_Get(&record, mask));
}

void Torvel::Element_AddClassificationItem(const PK::Guid& element, const PK::Guid& item) {
    TC_HOST_CHECK(TVAPI_Element_AddClassificationItem(element, item));
}

void Torvel::Element_RemoveClassificationItem(const PK::Guid& element, const PK::Guid& item) {
    TC_HOST_CHECK(TVAPI_Element_RemoveClassificationItem(element, item));
}

API_ClassificationItem Torvel::Element_GetClassificationInSystem(const PK::Guid& element, const PK::Guid& system) {
    API_ClassificationItem item;
    TC_HOST_CHECK(TVAPI_Element_GetClassificationInSystem(element, system, item));
    return item;
}

PK::Array<PK::Guid> Torvel::Element_GetElementsWithClassification(const PK::Guid& item) {
    PK::Array<PK::Guid> elements;
    TC_HOST_CHECK(TVAPI_Element_GetElementsWithClassification(item, elements));
    return elements;
}

bool Torvel::Element_IsPropertyDefinitionAvailable(const PK::Guid& element, const PK::Guid& definition) {
    return TVAPI_Element_IsPropertyDefinitionAvailable(element, definition);
}

void Torvel::Element_SetProperties(const PK::Guid& element, const PK::Array<API_Property>& properties) {
    TC_HOST_CHECK(TVAPI_Element_SetProperties(element, properties));
}

PK::Array<API_Property> Torvel::Element_GetPropertyValuesByGuid(const PK::Guid& element,
                                                                const PK::Array<PK::Guid>& definitions) {
    PK::Array<API_Property> properties;
    Element_GetPropertyValuesByGuid(element, definitions, properties);
    return properties;
}

void Torvel::Element_GetPropertyValuesByGuid(const PK::Guid& element, const PK::Array<PK::Guid>& definitions,
                                             PK::Array<API_Property>& properties) {
    TC_HOST_CHECK(TVAPI_Element_GetPropertyValuesByGuid(element, definitions, properties));
}

void Torvel::ElementList_ModifyPropertyValue(const API_Property& property, const PK::Array<PK::Guid>& elements) {
    TC_HOST_CHECK(TVAPI_ElementList_ModifyPropertyValue(property, elements));
}

// ---- properties: only creating, changing and deleting is the property manager's ----

void Torvel::Property_CreatePropertyDefinition(API_PropertyDefinition& definition) {
    TC_HOST_CHECK_PROPERTY(TVAPI_Property_CreatePropertyDefinition(definition));
}

void Torvel::Property_CreatePropertyGroup(API_PropertyGroup& group) {
    TC_HOST_CHECK_PROPERTY(TVAPI_Property_CreatePropertyGroup(group));
}

void Torvel::Property_ChangePropertyGroup(const API_PropertyGroup& group) {
    TC_HOST_CHECK_PROPERTY(TVAPI_Property_ChangePropertyGroup(group));
}

PK::Array<API_PropertyDefinition> Torvel::Property_GetPropertyDefinitions(const PK::Guid& group) {
    PK::Array<API_PropertyDefinition> definitions;
    TC_HOST_CHECK(TVAPI_Property_GetPropertyDefinitions(group, definitions));
    return definitions;
}

void Torvel::Property_GetPropertyDefinition(API_PropertyDefinition& definition) {
    TC_HOST_CHECK(TVAPI_Property_GetPropertyDefinition(definition));
}

void Torvel::Property_ChangePropertyDefinition(const API_PropertyDefinition& definition) {
    TC_HOST_CHECK_PROPERTY(TVAPI_Property_ChangePropertyDefinition(definition));
}

API_PropertyGroup Torvel::Property_GetPropertyGroup(const PK::Guid& group) {
    API_PropertyGroup record;
    record.guid = group;
    TC_HOST_CHECK(TVAPI_Property_GetPropertyGroup(record));
    return record;
}

PK::Array<API_PropertyGroup> Torvel::Property_GetPropertyGroups() {
    PK::Array<API_PropertyGroup> groups;
    TC_HOST_CHECK(TVAPI_Property_GetPropertyGroups(groups));
    return groups;
}

void Torvel::Property_DeletePropertyGroup(const PK::Guid& group) {
    TC_HOST_CHECK_PROPERTY(TVAPI_Property_DeletePropertyGroup(group));
}

// ---- module data ----

void Torvel::ModulData_Store(const PK::UniString& name, const API_ModulData& data) {
    TC_HOST_CHECK(TVAPI_ModulData_Store(&data, name));
}

bool Torvel::ModulData_Get(const PK::UniString& name, API_ModulData& data) {
    // The record is the caller's, and so is a block it still holds: free it
    // rather than lose it when the record is cleared for the host.
    BMKillHandle(&data.dataHdl);
    data = API_ModulData();
    const PKErrCode res = TVAPI_ModulData_Get(&data, name);
    if (res == APIERR_NOMODULEDATA) return false;
    TC_HOST_CHECK(res);
    if (data.dataHdl == nullptr) {
        LOG_ERROR("Torvel::ModulData_Get: has modul data but it is null");
        return false;
    }
    return true;
}

void Torvel::ModulData_Erase(const PK::UniString& name) { TC_HOST_CHECK(TVAPI_ModulData_Store(nullptr, name)); }

PK::Array<PK::UniString> Torvel::ModulData_GetList() {
    PK::Array<PK::UniString> names;
    TC_HOST_CHECK(TVAPI_ModulData_GetList(&names));
    return names;
}

void Torvel::Do_ZoomToSelected() { TC_HOST_CHECK(TVAPI_Automate(APIDo_ZoomToSelectedID)); }

// ---- element sets ----

PK::Guid Torvel::ElementSet_Create(const PK::Array<PK::Guid>& elements, const API_UserData* userData) {
    API_Guid set;
    TC_HOST_CHECK(TVAPI_ElementSet_Create(&elements, userData, &set));
    return set;
}

void Torvel::ElementSet_Delete(const PK::Guid& set) { TC_HOST_CHECK(TVAPI_ElementSet_Delete(set)); }

void Torvel::ElementSet_GetData(const PK::Guid& set, PK::Array<PK::Guid>& elements, API_UserData* userData) {
    TC_HOST_CHECK(TVAPI_ElementSet_GetData(set, &elements, userData));
}

void Torvel::ElementSet_Identify(const PK::Guid& element, PK::Array<PK::Guid>& sets) {
    TC_HOST_CHECK(TVAPI_ElementSet_Identify(element, &sets));
}

// ---- team work ----

bool Torvel::TeamworkControl_HasConnection() { return TVAPI_TeamworkControl_HasConnection(); }

PK::Guid Torvel::TeamworkControl_FindLockableObjectSet(ObjectSet objectSet) {
    return TVAPI_TeamworkControl_FindLockableObjectSet(
        objectSet == ObjectSet::ClassificationsAndProperties ? "ClassificationsAndProperties" : "");
}

API_LockableStatus Torvel::TeamworkControl_GetLockableStatus(const PK::Guid& objectSet,
                                                             PK::PagedArray<PK::UniString, 8u>* conflicts) {
    return TVAPI_TeamworkControl_GetLockableStatus(objectSet, conflicts);
}

// ---- add-on objects ----

PK::Guid Torvel::AddOnObject_CreateUniqueObject(const PK::UniString& name) {
    API_Guid object;
    TC_HOST_CHECK(TVAPI_AddOnObject_CreateUniqueObject(name, &object));
    return object;
}

void Torvel::AddOnObject_ModifyObject(const PK::Guid& object, PKHandle content) {
    TC_HOST_CHECK(TVAPI_AddOnObject_ModifyObject(object, nullptr, &content));
}

void Torvel::AddOnObject_DeleteObject(const PK::Guid& object) { TC_HOST_CHECK(TVAPI_AddOnObject_DeleteObject(object)); }

PK::Array<PK::Guid> Torvel::AddOnObject_GetObjectList() {
    PK::Array<PK::Guid> objects;
    TC_HOST_CHECK(TVAPI_AddOnObject_GetObjectList(&objects));
    return objects;
}

Api::AddOnObjectContent Torvel::AddOnObject_GetObjectContent(const PK::Guid& object) {
    PK::UniString name;
    PKHandle handle = nullptr;
    const PKErrCode res = TVAPI_AddOnObject_GetObjectContent(object, &name, &handle);
    Api::PKHandleWrapper content(std::move(handle));  // owns the block from here, also when the call failed
    TC_HOST_CHECK(res);
    return Api::AddOnObjectContent{std::move(name), std::move(content)};
}

PK::Guid Torvel::AddOnObject_GetUniqueObjectGuidFromName(const PK::UniString& name) {
    API_Guid object;
    TC_HOST_CHECK(TVAPI_AddOnObject_GetUniqueObjectGuidFromName(name, &object));
    return object;
}

bool Torvel::AddOnObject_ExistsObject(const PK::Guid& object) {
    bool exists = false;
    TC_HOST_CHECK(TVAPI_AddOnObject_ExistsObject(object, &exists));
    return exists;
}

void Torvel::AddOnObject_ReserveObject(const PK::Guid& object) {
    PKErrCode res = NoError;
    {
        const PK::Array<API_Guid> objects{object};
        res = TVAPI_AddOnObject_ReserveObjects(objects, nullptr);
    }
    TC_HOST_CHECK(res);
}

void Torvel::AddOnObject_ReleaseObject(const PK::Guid& object) {
    PKErrCode res = NoError;
    {
        const PK::Array<API_Guid> objects{object};
        res = TVAPI_AddOnObject_ReleaseObjects(objects);
    }
    TC_HOST_CHECK(res);
}

API_NavigatorItem Torvel::Navigator_GetNavigatorItem(const PK::Guid& item) {
    API_Guid guid = item;
    API_NavigatorItem record;
    TC_HOST_CHECK(TVAPI_Navigator(APINavigator_GetNavigatorItemID, &guid, &record));
    return record;
}

}  // namespace TessaryConnect::Implementation
