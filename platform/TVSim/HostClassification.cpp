// Host calls about classification systems and their item trees.
#include "PK/Guid.hpp"
#include "TVSim/SimState.hpp"

using TVSim::ClassificationItem;
using TVSim::ClassificationSystem;
using TVSim::Detail::Function;
using TVSim::Detail::HostCall;
using TVSim::Detail::OpenState;
using TVSim::Detail::ProjectState;

namespace {

// What every classification change checks first.
PKErrCode ChangeRefusal(const ProjectState& state) {
    if (state.ClassificationAccessDenied()) return APIERR_NOACCESSRIGHT;
    return HostCall::ScopeRefusal();
}

bool SystemNameTaken(const ProjectState& state, const API_ClassificationSystem& system) {
    for (const auto& [guid, other] : state.systems)
        if (guid != system.guid && other.system.name == system.name &&
            other.system.editionVersion == system.editionVersion)
            return true;
    return false;
}

PK::Array<API_ClassificationItem> ItemRecords(const ProjectState& state, const PK::Array<API_Guid>& guids) {
    PK::Array<API_ClassificationItem> records;
    records.Reserve(guids.GetSize());
    for (const API_Guid& guid : guids) records.Push(state.items.Get(guid).item);
    return records;
}

}  // namespace

PKErrCode TVAPI_Classification_CreateClassificationSystem(API_ClassificationSystem& system) {
    HostCall call(Function<"TVAPI_Classification_CreateClassificationSystem">());
    call.Args(system.name, system.editionVersion);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode refusal = ChangeRefusal(*state); refusal != NoError) return call.Answer(refusal);
    if (system.name.IsEmpty()) return call.Answer(APIERR_BADNAME);
    if (!system.guid.IsNull() && state->systems.ContainsKey(system.guid)) return call.Answer(APIERR_BADPARS);
    if (SystemNameTaken(*state, system)) return call.Answer(APIERR_NAMEALREADYUSED);
    if (system.guid.IsNull()) system.guid = PK::Guid::Generate();
    state->Keep(state->systems, system.guid);
    state->systems.Add(system.guid, ClassificationSystem{system, {}});
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_Classification_GetClassificationSystems(PK::Array<API_ClassificationSystem>& systems) {
    HostCall call(Function<"TVAPI_Classification_GetClassificationSystems">());
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    systems.Clear();
    for (const API_Guid& guid : TVSim::Detail::KeysInHostOrder(state->systems))
        systems.Push(state->systems.Get(guid).system);
    return call.Answer(NoError);
}

PKErrCode TVAPI_Classification_GetClassificationSystem(API_ClassificationSystem& system) {
    HostCall call(Function<"TVAPI_Classification_GetClassificationSystem">());
    call.Args(system.guid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    const ClassificationSystem* found = state->systems.GetPtr(system.guid);
    if (found == nullptr) return call.Answer(APIERR_BADID);
    system = found->system;
    return call.Answer(NoError);
}

PKErrCode TVAPI_Classification_ChangeClassificationSystem(const API_ClassificationSystem& system) {
    HostCall call(Function<"TVAPI_Classification_ChangeClassificationSystem">());
    call.Args(system.guid, system.name);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode refusal = ChangeRefusal(*state); refusal != NoError) return call.Answer(refusal);
    ClassificationSystem* found = state->systems.GetPtr(system.guid);
    if (found == nullptr) return call.Answer(APIERR_BADID);
    if (system.name.IsEmpty()) return call.Answer(APIERR_BADNAME);
    if (SystemNameTaken(*state, system)) return call.Answer(APIERR_NAMEALREADYUSED);
    state->Keep(state->systems, system.guid);
    found->system = system;
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_Classification_DeleteClassificationSystem(const API_Guid& systemGuid) {
    HostCall call(Function<"TVAPI_Classification_DeleteClassificationSystem">());
    call.Args(systemGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode refusal = ChangeRefusal(*state); refusal != NoError) return call.Answer(refusal);
    const ClassificationSystem* found = state->systems.GetPtr(systemGuid);
    if (found == nullptr) return call.Answer(APIERR_BADID);
    const PK::Array<API_Guid> roots = found->rootItems;
    state->Keep(state->systems, systemGuid);
    for (const API_Guid& item : roots) state->RemoveItemTree(item);
    state->systems.Delete(systemGuid);
    state->itemIds.Delete(systemGuid);
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_Classification_GetClassificationSystemRootItems(const API_Guid& systemGuid,
                                                                PK::Array<API_ClassificationItem>& items) {
    HostCall call(Function<"TVAPI_Classification_GetClassificationSystemRootItems">());
    call.Args(systemGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    const ClassificationSystem* found = state->systems.GetPtr(systemGuid);
    if (found == nullptr) return call.Answer(APIERR_BADID);
    items = ItemRecords(*state, found->rootItems);
    return call.Answer(NoError);
}

PKErrCode TVAPI_Classification_CreateClassificationItem(API_ClassificationItem& item, const API_Guid& systemGuid,
                                                        const API_Guid& parentItemGuid, const API_Guid& nextItemGuid) {
    HostCall call(Function<"TVAPI_Classification_CreateClassificationItem">());
    call.Args(item.id, systemGuid, parentItemGuid, nextItemGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode refusal = ChangeRefusal(*state); refusal != NoError) return call.Answer(refusal);
    if (!state->systems.ContainsKey(systemGuid)) return call.Answer(APIERR_BADID);
    if (!parentItemGuid.IsNull()) {
        const ClassificationItem* parent = state->items.GetPtr(parentItemGuid);
        if (parent == nullptr) return call.Answer(APIERR_BADID);
        if (parent->system != systemGuid) return call.Answer(APIERR_BADPARS);
    }
    if (!nextItemGuid.IsNull()) {
        // The next item must be a sibling: under the same parent, or a root item for a root item.
        const ClassificationItem* next = state->items.GetPtr(nextItemGuid);
        if (next == nullptr || next->system != systemGuid || next->parent != parentItemGuid)
            return call.Answer(APIERR_BADPARS);
    }
    if (item.id.IsEmpty()) return call.Answer(APIERR_BADNAME);
    if (!item.guid.IsNull() && state->items.ContainsKey(item.guid)) return call.Answer(APIERR_BADPARS);
    if (state->ItemIdTaken(systemGuid, item.id)) return call.Answer(APIERR_NAMEALREADYUSED);
    if (item.guid.IsNull()) item.guid = PK::Guid::Generate();
    state->AddItem(ClassificationItem{item, systemGuid, parentItemGuid, {}, {}}, nextItemGuid);
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_Classification_GetClassificationItemSystem(const API_Guid& itemGuid, API_ClassificationSystem& system) {
    HostCall call(Function<"TVAPI_Classification_GetClassificationItemSystem">());
    call.Args(itemGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    const ClassificationItem* item = state->items.GetPtr(itemGuid);
    if (item == nullptr) return call.Answer(APIERR_BADID);
    system = state->systems.Get(item->system).system;
    return call.Answer(NoError);
}

PKErrCode TVAPI_Classification_GetClassificationItemChildren(const API_Guid& itemGuid,
                                                             PK::Array<API_ClassificationItem>& children) {
    HostCall call(Function<"TVAPI_Classification_GetClassificationItemChildren">());
    call.Args(itemGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    const ClassificationItem* item = state->items.GetPtr(itemGuid);
    if (item == nullptr) return call.Answer(APIERR_BADID);
    children = ItemRecords(*state, item->children);
    return call.Answer(NoError);
}

PKErrCode TVAPI_Classification_GetClassificationItem(API_ClassificationItem& item) {
    HostCall call(Function<"TVAPI_Classification_GetClassificationItem">());
    call.Args(item.guid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    const ClassificationItem* found = state->items.GetPtr(item.guid);
    if (found == nullptr) return call.Answer(APIERR_BADID);
    item = found->item;
    return call.Answer(NoError);
}
