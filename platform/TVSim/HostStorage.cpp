// Host calls about what add-ons keep in the project (module data and unique
// add-on objects) and about team work.
#include "PK/Guid.hpp"
#include "TVSim/SimState.hpp"
#include "TVSim/SimTeamworkHooks.hpp"

using TVSim::AddOnObject;
using TVSim::Detail::FromHandle;
using TVSim::Detail::Function;
using TVSim::Detail::HostCall;
using TVSim::Detail::OpenState;
using TVSim::Detail::ProjectState;
using TVSim::Detail::ToHandle;

namespace {

const PK::UniString kLockableSetName = "ClassificationsAndProperties";

// In team work an object changes only under this user's reservation.
PKErrCode ObjectChangeRefusal(const ProjectState& state, const AddOnObject& object) {
    return state.shared && !object.reservedByMe ? APIERR_NOTMINE : NoError;
}

}  // namespace

// ---- module data ----

PKErrCode TVAPI_ModulData_Store(const API_ModulData* info, const PK::UniString& modulName) {
    HostCall call(Function<"TVAPI_ModulData_Store">());
    call.Args(modulName, info != nullptr);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode scope = HostCall::ScopeRefusal(); scope != NoError) return call.Answer(scope);
    if (modulName.IsEmpty()) return call.Answer(APIERR_BADNAME);
    if (info == nullptr && !state->modulData.ContainsKey(modulName)) return call.Answer(APIERR_NOMODULEDATA);
    state->Keep(state->modulData, modulName);
    if (info == nullptr) {
        state->modulData.Delete(modulName);
        return call.AnswerChange(NoError);
    }
    state->modulData.Put(modulName, TVSim::ModulData{info->dataVersion, info->platformSign, FromHandle(info->dataHdl)});
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_ModulData_Get(API_ModulData* info, const PK::UniString& modulName) {
    HostCall call(Function<"TVAPI_ModulData_Get">());
    call.Args(modulName);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (info == nullptr) return call.Answer(APIERR_BADPARS);
    const TVSim::ModulData* stored = state->modulData.GetPtr(modulName);
    if (stored == nullptr) return call.Answer(APIERR_NOMODULEDATA);
    info->dataVersion = stored->dataVersion;
    info->platformSign = stored->platformSign;
    info->dataHdl = ToHandle(stored->bytes);
    return call.Answer(NoError);
}

PKErrCode TVAPI_ModulData_GetList(PK::Array<PK::UniString>* modulNameList) {
    HostCall call(Function<"TVAPI_ModulData_GetList">());
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (modulNameList == nullptr) return call.Answer(APIERR_BADPARS);
    *modulNameList = TVSim::Detail::KeysInHostOrder(state->modulData);
    return call.Answer(NoError);
}

// ---- add-on objects ----

PKErrCode TVAPI_AddOnObject_CreateUniqueObject(const PK::UniString& name, API_Guid* objectGuid) {
    HostCall call(Function<"TVAPI_AddOnObject_CreateUniqueObject">());
    call.Args(name);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode scope = HostCall::ScopeRefusal(); scope != NoError) return call.Answer(scope);
    if (objectGuid == nullptr) return call.Answer(APIERR_BADPARS);
    if (name.IsEmpty()) return call.Answer(APIERR_BADNAME);
    if (state->addOnObjectsByName.ContainsKey(name)) return call.Answer(APIERR_NAMEALREADYUSED);
    AddOnObject object;
    object.guid = PK::Guid::Generate();
    object.name = name;
    *objectGuid = object.guid;
    state->Keep(state->addOnObjects, object.guid);
    state->addOnObjectsByName.Add(name, object.guid);
    state->addOnObjects.Add(object.guid, std::move(object));
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_AddOnObject_ModifyObject(const API_Guid& objectGuid, const PK::UniString* newName,
                                         const PKHandle* content) {
    HostCall call(Function<"TVAPI_AddOnObject_ModifyObject">());
    call.Args(objectGuid, newName != nullptr, content != nullptr);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode scope = HostCall::ScopeRefusal(); scope != NoError) return call.Answer(scope);
    AddOnObject* object = state->addOnObjects.GetPtr(objectGuid);
    if (object == nullptr) return call.Answer(APIERR_BADID);
    if (PKErrCode refusal = ObjectChangeRefusal(*state, *object); refusal != NoError) return call.Answer(refusal);
    if (newName != nullptr && *newName != object->name) {
        if (newName->IsEmpty()) return call.Answer(APIERR_BADNAME);
        if (state->addOnObjectsByName.ContainsKey(*newName)) return call.Answer(APIERR_NAMEALREADYUSED);
        state->Keep(state->addOnObjects, objectGuid);
        state->addOnObjectsByName.Delete(object->name);
        state->addOnObjectsByName.Add(*newName, objectGuid);
        object->name = *newName;
    }
    state->Keep(state->addOnObjects, objectGuid);
    if (content != nullptr) object->content = FromHandle(*content);
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_AddOnObject_DeleteObject(const API_Guid& objectGuid) {
    HostCall call(Function<"TVAPI_AddOnObject_DeleteObject">());
    call.Args(objectGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode scope = HostCall::ScopeRefusal(); scope != NoError) return call.Answer(scope);
    const AddOnObject* object = state->addOnObjects.GetPtr(objectGuid);
    if (object == nullptr) return call.Answer(APIERR_BADID);
    if (PKErrCode refusal = ObjectChangeRefusal(*state, *object); refusal != NoError) return call.Answer(refusal);
    state->Keep(state->addOnObjects, objectGuid);
    state->addOnObjectsByName.Delete(object->name);
    state->addOnObjects.Delete(objectGuid);
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_AddOnObject_GetObjectList(PK::Array<API_Guid>* objects) {
    HostCall call(Function<"TVAPI_AddOnObject_GetObjectList">());
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (objects == nullptr) return call.Answer(APIERR_BADPARS);
    *objects = TVSim::Detail::KeysInHostOrder(state->addOnObjects);
    return call.Answer(NoError);
}

PKErrCode TVAPI_AddOnObject_GetObjectContent(const API_Guid& objectGuid, PK::UniString* name, PKHandle* content) {
    HostCall call(Function<"TVAPI_AddOnObject_GetObjectContent">());
    call.Args(objectGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    const AddOnObject* object = state->addOnObjects.GetPtr(objectGuid);
    if (object == nullptr) return call.Answer(APIERR_BADID);
    if (name != nullptr) *name = object->name;
    if (content != nullptr) *content = ToHandle(object->content);
    return call.Answer(NoError);
}

PKErrCode TVAPI_AddOnObject_GetUniqueObjectGuidFromName(const PK::UniString& name, API_Guid* objectGuid) {
    HostCall call(Function<"TVAPI_AddOnObject_GetUniqueObjectGuidFromName">());
    call.Args(name);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (objectGuid == nullptr) return call.Answer(APIERR_BADPARS);
    const API_Guid* found = state->addOnObjectsByName.GetPtr(name);
    *objectGuid = found != nullptr ? *found : APINULLGuid;
    return call.Answer(NoError);
}

PKErrCode TVAPI_AddOnObject_ExistsObject(const API_Guid& objectGuid, bool* exists) {
    HostCall call(Function<"TVAPI_AddOnObject_ExistsObject">());
    call.Args(objectGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (exists == nullptr) return call.Answer(APIERR_BADPARS);
    *exists = state->addOnObjects.ContainsKey(objectGuid);
    return call.Answer(NoError);
}

PKErrCode TVAPI_AddOnObject_ReserveObjects(const PK::Array<API_Guid>& objects,
                                           PK::HashTable<API_Guid, PK::UniString>* conflicts) {
    HostCall call(Function<"TVAPI_AddOnObject_ReserveObjects">());
    call.Args(objects.GetSize());
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (!state->shared) return call.Answer(APIERR_NOTEAMWORKPROJECT);
    PKErrCode result = NoError;
    for (const API_Guid& guid : objects) {
        AddOnObject* object = state->addOnObjects.GetPtr(guid);
        if (object == nullptr) return call.Answer(APIERR_BADID);
        if (!object->reservedBy.IsEmpty()) {
            if (conflicts != nullptr) conflicts->Put(guid, object->reservedBy);
            result = APIERR_NOTMINE;
        }
    }
    if (result != NoError) return call.Answer(result);
    for (const API_Guid& guid : objects) state->addOnObjects.Get(guid).reservedByMe = true;
    TVSim::Detail::TeamworkObjectsReserved(*state, objects);
    return call.Answer(NoError);
}

PKErrCode TVAPI_AddOnObject_ReleaseObjects(const PK::Array<API_Guid>& objects) {
    HostCall call(Function<"TVAPI_AddOnObject_ReleaseObjects">());
    call.Args(objects.GetSize());
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (!state->shared) return call.Answer(APIERR_NOTEAMWORKPROJECT);
    for (const API_Guid& guid : objects)
        if (!state->addOnObjects.ContainsKey(guid)) return call.Answer(APIERR_BADID);
    TVSim::Detail::TeamworkObjectsReleased(*state, objects);
    for (const API_Guid& guid : objects) state->addOnObjects.Get(guid).reservedByMe = false;
    return call.Answer(NoError);
}

// ---- team work ----

bool TVAPI_TeamworkControl_HasConnection() {
    HostCall call(Function<"TVAPI_TeamworkControl_HasConnection">());
    ProjectState* state = OpenState();
    const bool shared = !call.Refused() && state != nullptr && state->shared;
    call.Answer(call.Injected());
    return shared;
}

API_Guid TVAPI_TeamworkControl_FindLockableObjectSet(const PK::UniString& objectSetName) {
    HostCall call(Function<"TVAPI_TeamworkControl_FindLockableObjectSet">());
    call.Args(objectSetName);
    ProjectState* state = OpenState();
    const bool known = !call.Refused() && state != nullptr && objectSetName == kLockableSetName;
    call.Answer(call.Injected());
    return known ? state->lockableSet : APINULLGuid;
}

API_LockableStatus TVAPI_TeamworkControl_GetLockableStatus(const API_Guid& objectSetGuid,
                                                           PK::PagedArray<PK::UniString, 8>* conflicts) {
    HostCall call(Function<"TVAPI_TeamworkControl_GetLockableStatus">());
    call.Args(objectSetGuid, conflicts != nullptr);
    ProjectState* state = OpenState();
    API_LockableStatus status = APILockableStatus_NotExist;
    if (!call.Refused() && state != nullptr && objectSetGuid == state->lockableSet) {
        status = state->shared ? state->lockableStatus : APILockableStatus_NotAvailable;
        if (conflicts != nullptr && status == APILockableStatus_Locked)
            for (const PK::UniString& holder : state->lockableHolders) conflicts->Push(holder);
    }
    call.Answer(call.Injected());
    return status;
}
