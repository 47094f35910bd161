#pragma once
// The one interface through which the add-on asks anything of the host.
// Each operation wraps one host call, named after the host family and call
// it wraps; host error codes never reach the caller: an operation returns its
// result or throws the typed exception of the code (Torvel/Api/Error.hpp).
// The non-virtual helpers at the end are built only from the operations.
#include <functional>

#include "PK/Array.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"
#include "PK/Memory.hpp"
#include "PK/PagedArray.hpp"
#include "PK/UniString.hpp"
#include "TVAPI/APIdefs.hpp"
#include "Torvel/Api/PKHandleWrapper.hpp"
#include "Torvel/Api/Structs.hpp"
#include "Util/Resource.hpp"

namespace TessaryConnect::Api {

class DatabaseId;

struct SelectionResult {
    PK::Array<API_Neig> neigs;        // one per selected element, in the host's order
    API_SelectionInfo selectionInfo;  // as the host filled it
};

struct HierarchicalOwner {
    API_HierarchicalElemType elemKind = API_SingleElem;
    PK::Guid ownerGuid;
};

struct AddOnObjectContent {
    PK::UniString name;
    PKHandleWrapper content;  // the object's bytes; null when it has none
};

class Torvel {
public:
    // The host's lockable object sets of team work.
    enum class ObjectSet : PK::Int32 { ClassificationsAndProperties = 1 };

    using Command = std::function<void()>;
    // Whether a command is one named step of the undo history or runs outside it.
    enum class CommandKind { Undoable, Plain };

    virtual ~Torvel() = default;

    virtual PK::Guid GenerateGuid() = 0;
    virtual PK::UniString GetResourceString(int resID, int index) = 0;
    virtual API_WindowInfo Database_GetCurrentWindow() = 0;
    virtual API_WindowInfo Database_GetDatabaseInfo(const DatabaseId& databaseId) = 0;
    virtual StoryInfo Environment_GetStorySettings() = 0;
    virtual void Environment_ChangeStorySettings(const API_StoryCmdType& command) = 0;
    virtual API_3DProjectionInfo Environment_Get3DProjectionSets() = 0;
    virtual void Environment_Change3DProjectionSets(const API_3DProjectionInfo& info, bool flag) = 0;
    virtual API_WindowInfo Automate_ChangeWindow(const DatabaseId& databaseId) = 0;
    virtual API_ElemTypeID Goodies_NeigIDToElemTypeID(API_NeigID neigID) = 0;
    virtual PK::UniString Goodies_GetElemTypeNameID(API_ElemTypeID typeID) = 0;
    // Runs the command as one step of the undo history named undoName.
    virtual void CallUndoableCommand(const PK::UniString& undoName, const Command& command) = 0;
    // Runs the command outside the undo history.
    virtual void CallCommand(const PK::UniString& name, const Command& command) = 0;
    virtual API_ServerApplicationInfo GetApplicationInfo() = 0;
    // False when no project is open.
    virtual bool GetProjectInfo(API_ProjectInfo& projectInfo) = 0;
    virtual SelectionResult Selection_Get(bool onlyEditable, bool ofHierarchicalRoots,
                                          API_SelRelativePosID relativePos) = 0;
    virtual void Element_DeselectAll() = 0;
    virtual void Element_Select(const PK::Array<API_Neig>& neigs, bool add) = 0;
    virtual void Interface(API_InterfaceID code, void* par1, void* par2, void* par3, void* par4, void* par5) = 0;
    virtual bool Element_Filter(const PK::Guid& element, PK::UInt32 filterBits) = 0;
    virtual HierarchicalOwner GetHierarchicalElementOwner(const PK::Guid& element,
                                                          API_HierarchicalOwnerType ownerType) = 0;
    virtual void Classification_CreateClassificationSystem(API_ClassificationSystem& system) = 0;
    virtual PK::Array<API_ClassificationSystem> Classification_GetClassificationSystems() = 0;
    virtual API_ClassificationSystem Classification_GetClassificationSystem(const PK::Guid& system) = 0;
    virtual void Classification_ChangeClassificationSystem(const API_ClassificationSystem& system) = 0;
    virtual void Classification_DeleteClassificationSystem(const PK::Guid& system) = 0;
    virtual PK::Array<API_ClassificationItem> Classification_GetClassificationSystemRootItems(
        const PK::Guid& system) = 0;
    virtual void Classification_CreateClassificationItem(API_ClassificationItem& item, const PK::Guid& system,
                                                         const PK::Guid& parentItem, const PK::Guid& nextItem) = 0;
    virtual API_ClassificationSystem Classification_GetClassificationItemSystem(const PK::Guid& item) = 0;
    virtual PK::Array<API_ClassificationItem> Classification_GetClassificationItemChildren(const PK::Guid& item) = 0;
    // The item's guid goes in, the rest is filled.
    virtual void Classification_GetClassificationItem(API_ClassificationItem& item) = 0;
    virtual void Element_GetElemList(PK::Array<PK::Guid>& elements, API_ElemTypeID typeID, PK::UInt32 filterBits,
                                     API_ElemVariationID variationID, const PK::Guid& databaseOrSet) = 0;
    // The header's guid goes in, the rest is filled.
    virtual void Element_GetHeader(API_Elem_Head& header, PK::UInt32 mask) = 0;
    virtual void Element_Get(const PK::Guid& element, API_Element& record, PK::UInt32 mask) = 0;
    virtual void Element_AddClassificationItem(const PK::Guid& element, const PK::Guid& item) = 0;
    virtual void Element_RemoveClassificationItem(const PK::Guid& element, const PK::Guid& item) = 0;
    virtual API_ClassificationItem Element_GetClassificationInSystem(const PK::Guid& element,
                                                                     const PK::Guid& system) = 0;
    virtual PK::Array<PK::Guid> Element_GetElementsWithClassification(const PK::Guid& item) = 0;
    virtual bool Element_IsPropertyDefinitionAvailable(const PK::Guid& element, const PK::Guid& definition) = 0;
    virtual void Element_SetProperties(const PK::Guid& element, const PK::Array<API_Property>& properties) = 0;
    virtual PK::Array<API_Property> Element_GetPropertyValuesByGuid(const PK::Guid& element,
                                                                    const PK::Array<PK::Guid>& definitions) = 0;
    // The same into the caller's array, for callers that read element after element.
    virtual void Element_GetPropertyValuesByGuid(const PK::Guid& element, const PK::Array<PK::Guid>& definitions,
                                                 PK::Array<API_Property>& properties) = 0;
    virtual void ElementList_ModifyPropertyValue(const API_Property& property, const PK::Array<PK::Guid>& elements) = 0;
    virtual void Property_CreatePropertyDefinition(API_PropertyDefinition& definition) = 0;
    virtual void Property_CreatePropertyGroup(API_PropertyGroup& group) = 0;
    virtual void Property_ChangePropertyGroup(const API_PropertyGroup& group) = 0;
    virtual PK::Array<API_PropertyDefinition> Property_GetPropertyDefinitions(const PK::Guid& group) = 0;
    // The definition's guid goes in, the rest is filled.
    virtual void Property_GetPropertyDefinition(API_PropertyDefinition& definition) = 0;
    virtual void Property_ChangePropertyDefinition(const API_PropertyDefinition& definition) = 0;
    virtual API_PropertyGroup Property_GetPropertyGroup(const PK::Guid& group) = 0;
    virtual PK::Array<API_PropertyGroup> Property_GetPropertyGroups() = 0;
    virtual void Property_DeletePropertyGroup(const PK::Guid& group) = 0;
    virtual void ModulData_Store(const PK::UniString& name, const API_ModulData& data) = 0;
    // True when data was found; its handle then belongs to the caller.
    virtual bool ModulData_Get(const PK::UniString& name, API_ModulData& data) = 0;
    virtual void ModulData_Erase(const PK::UniString& name) = 0;
    virtual PK::Array<PK::UniString> ModulData_GetList() = 0;
    virtual void Do_ZoomToSelected() = 0;
    virtual PK::Guid ElementSet_Create(const PK::Array<PK::Guid>& elements, const API_UserData* userData) = 0;
    virtual void ElementSet_Delete(const PK::Guid& set) = 0;
    virtual void ElementSet_GetData(const PK::Guid& set, PK::Array<PK::Guid>& elements, API_UserData* userData) = 0;
    virtual void ElementSet_Identify(const PK::Guid& element, PK::Array<PK::Guid>& sets) = 0;
    virtual bool TeamworkControl_HasConnection() = 0;
    virtual PK::Guid TeamworkControl_FindLockableObjectSet(ObjectSet objectSet) = 0;
    virtual API_LockableStatus TeamworkControl_GetLockableStatus(const PK::Guid& objectSet,
                                                                 PK::PagedArray<PK::UniString, 8u>* conflicts) = 0;
    virtual PK::Guid AddOnObject_CreateUniqueObject(const PK::UniString& name) = 0;
    // The content handle stays the caller's.
    virtual void AddOnObject_ModifyObject(const PK::Guid& object, PKHandle content) = 0;
    virtual void AddOnObject_DeleteObject(const PK::Guid& object) = 0;
    virtual PK::Array<PK::Guid> AddOnObject_GetObjectList() = 0;
    virtual AddOnObjectContent AddOnObject_GetObjectContent(const PK::Guid& object) = 0;
    virtual PK::Guid AddOnObject_GetUniqueObjectGuidFromName(const PK::UniString& name) = 0;
    virtual bool AddOnObject_ExistsObject(const PK::Guid& object) = 0;
    virtual void AddOnObject_ReserveObject(const PK::Guid& object) = 0;
    virtual void AddOnObject_ReleaseObject(const PK::Guid& object) = 0;
    virtual API_NavigatorItem Navigator_GetNavigatorItem(const PK::Guid& item) = 0;

    PK::UniString GetResource(const Util::Resource::String& string);
    // Convenience form handing this interface to the command.
    void CallUndoableCommand(const PK::UniString& undoName, const std::function<void(Torvel&)>& command);
    // Runs the body in a host command of the given kind and, once the host has
    // closed the command, throws what the body threw: the command operations
    // only log a failure, while the project keeps what the body changed before
    // it. Throws AddonRuntimeError when the host did not run the command.
    void Helper_CallCommandAndRethrow(CommandKind kind, const PK::UniString& name, const Command& body);
    // Makes exactly the given elements the selection.
    void Helper_ClearAndSelect(const PK::Array<PK::Guid>& elements);
    void Helper_ClearAndSelect(const PK::Array<API_Neig>& neigs);
    // The first item of the system, depth-first in pre-order, whose id is id;
    // a default item (null guid, empty texts) when none has it.
    API_ClassificationItem Helper_Classification_GetClassificationItemByIdInSystem(const PK::UniString& id,
                                                                                   const PK::Guid& system);
    // Every item of the system, depth-first in pre-order.
    PK::Array<API_ClassificationItem> Helper_Classification_GetAllClassificationItemsOfSystem(const PK::Guid& system);
    // Every item of the system by its id, from one walk of the tree: a caller
    // that looks up many ids asks once, since each search by id walks the
    // tree again. Of items sharing an id the first in pre-order is kept, the
    // one the search by id finds.
    PK::HashTable<PK::UniString, API_ClassificationItem> Helper_Classification_GetClassificationItemsByIdInSystem(
        const PK::Guid& system);
};

}  // namespace TessaryConnect::Api
