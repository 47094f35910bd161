// Host calls about property groups and property definitions.
#include "PK/Guid.hpp"
#include "TVSim/SimState.hpp"

using TVSim::PropertyDefinition;
using TVSim::PropertyGroup;
using TVSim::Detail::Function;
using TVSim::Detail::HostCall;
using TVSim::Detail::OpenState;
using TVSim::Detail::ProjectState;

namespace {

PKErrCode ChangeRefusal(const ProjectState& state) {
    if (state.PropertyAccessDenied()) return APIERR_NOACCESSRIGHT;
    return HostCall::ScopeRefusal();
}

bool GroupNameTaken(const ProjectState& state, const API_PropertyGroup& group) {
    for (const auto& [guid, other] : state.groups)
        if (guid != group.guid && other.group.name == group.name) return true;
    return false;
}

bool DefinitionNameTaken(const ProjectState& state, const API_PropertyDefinition& definition) {
    for (const API_Guid& guid : state.groups.Get(definition.groupGuid).definitions)
        if (guid != definition.guid && state.definitions.Get(guid).definition.name == definition.name) return true;
    return false;
}

bool AllItemsExist(const ProjectState& state, const PK::Array<API_Guid>& items) {
    for (const API_Guid& item : items)
        if (!state.items.ContainsKey(item)) return false;
    return true;
}

// The record as the host keeps it: availability without repeats, mirrored in the set.
PropertyDefinition Kept(const API_PropertyDefinition& record) {
    PropertyDefinition kept{record, {}};
    kept.definition.availability.Clear();
    for (const API_Guid& item : record.availability)
        if (kept.availability.Add(item)) kept.definition.availability.Push(item);
    return kept;
}

}  // namespace

PKErrCode TVAPI_Property_CreatePropertyGroup(API_PropertyGroup& group) {
    HostCall call(Function<"TVAPI_Property_CreatePropertyGroup">());
    call.Args(group.name);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode refusal = ChangeRefusal(*state); refusal != NoError) return call.Answer(refusal);
    if (group.name.IsEmpty()) return call.Answer(APIERR_BADNAME);
    if (!group.guid.IsNull() && state->groups.ContainsKey(group.guid)) return call.Answer(APIERR_BADPARS);
    if (GroupNameTaken(*state, group)) return call.Answer(APIERR_NAMEALREADYUSED);
    if (group.guid.IsNull()) group.guid = PK::Guid::Generate();
    state->Keep(state->groups, group.guid);
    state->groups.Add(group.guid, PropertyGroup{group, {}});
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_Property_ChangePropertyGroup(const API_PropertyGroup& group) {
    HostCall call(Function<"TVAPI_Property_ChangePropertyGroup">());
    call.Args(group.guid, group.name);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode refusal = ChangeRefusal(*state); refusal != NoError) return call.Answer(refusal);
    PropertyGroup* found = state->groups.GetPtr(group.guid);
    if (found == nullptr) return call.Answer(APIERR_BADID);
    if (group.name.IsEmpty()) return call.Answer(APIERR_BADNAME);
    if (GroupNameTaken(*state, group)) return call.Answer(APIERR_NAMEALREADYUSED);
    state->Keep(state->groups, group.guid);
    found->group = group;
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_Property_DeletePropertyGroup(const API_Guid& groupGuid) {
    HostCall call(Function<"TVAPI_Property_DeletePropertyGroup">());
    call.Args(groupGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode refusal = ChangeRefusal(*state); refusal != NoError) return call.Answer(refusal);
    const PropertyGroup* found = state->groups.GetPtr(groupGuid);
    if (found == nullptr) return call.Answer(APIERR_BADID);
    // Values written for the definitions stay in the elements but are never
    // read again: every reader goes through the definition first.
    state->Keep(state->groups, groupGuid);
    for (const API_Guid& definition : found->definitions) {
        state->Keep(state->definitions, definition);
        state->definitions.Delete(definition);
        TVSim::Detail::QueueProjectEvent(APINotify_PropertyDefinitionChanged);
    }
    state->groups.Delete(groupGuid);
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_Property_GetPropertyGroup(API_PropertyGroup& group) {
    HostCall call(Function<"TVAPI_Property_GetPropertyGroup">());
    call.Args(group.guid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    const PropertyGroup* found = state->groups.GetPtr(group.guid);
    if (found == nullptr) return call.Answer(APIERR_BADID);
    group = found->group;
    return call.Answer(NoError);
}

PKErrCode TVAPI_Property_GetPropertyGroups(PK::Array<API_PropertyGroup>& groups) {
    HostCall call(Function<"TVAPI_Property_GetPropertyGroups">());
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    groups.Clear();
    for (const API_Guid& guid : TVSim::Detail::KeysInHostOrder(state->groups))
        groups.Push(state->groups.Get(guid).group);
    return call.Answer(NoError);
}

PKErrCode TVAPI_Property_CreatePropertyDefinition(API_PropertyDefinition& definition) {
    HostCall call(Function<"TVAPI_Property_CreatePropertyDefinition">());
    call.Args(definition.groupGuid, definition.name);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode refusal = ChangeRefusal(*state); refusal != NoError) return call.Answer(refusal);
    if (!state->groups.ContainsKey(definition.groupGuid)) return call.Answer(APIERR_BADID);
    if (definition.name.IsEmpty()) return call.Answer(APIERR_BADNAME);
    if (!definition.guid.IsNull() && state->definitions.ContainsKey(definition.guid))
        return call.Answer(APIERR_BADPARS);
    if (!AllItemsExist(*state, definition.availability)) return call.Answer(APIERR_BADPARS);
    if (DefinitionNameTaken(*state, definition)) return call.Answer(APIERR_NAMEALREADYUSED);
    if (definition.guid.IsNull()) definition.guid = PK::Guid::Generate();
    state->Keep(state->definitions, definition.guid);
    state->Keep(state->groups, definition.groupGuid);
    state->definitions.Add(definition.guid, Kept(definition));
    state->groups.Get(definition.groupGuid).definitions.Push(definition.guid);
    TVSim::Detail::QueueProjectEvent(APINotify_PropertyDefinitionChanged);
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_Property_ChangePropertyDefinition(const API_PropertyDefinition& definition) {
    HostCall call(Function<"TVAPI_Property_ChangePropertyDefinition">());
    call.Args(definition.guid, definition.name);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (PKErrCode refusal = ChangeRefusal(*state); refusal != NoError) return call.Answer(refusal);
    PropertyDefinition* found = state->definitions.GetPtr(definition.guid);
    if (found == nullptr) return call.Answer(APIERR_BADID);
    // A definition does not move between groups.
    if (definition.groupGuid != found->definition.groupGuid) return call.Answer(APIERR_BADPARS);
    if (definition.name.IsEmpty()) return call.Answer(APIERR_BADNAME);
    if (!AllItemsExist(*state, definition.availability)) return call.Answer(APIERR_BADPARS);
    if (DefinitionNameTaken(*state, definition)) return call.Answer(APIERR_NAMEALREADYUSED);
    state->Keep(state->definitions, definition.guid);
    *found = Kept(definition);
    TVSim::Detail::QueueProjectEvent(APINotify_PropertyDefinitionChanged);
    return call.AnswerChange(NoError);
}

PKErrCode TVAPI_Property_GetPropertyDefinitions(const API_Guid& groupGuid,
                                                PK::Array<API_PropertyDefinition>& definitions) {
    HostCall call(Function<"TVAPI_Property_GetPropertyDefinitions">());
    call.Args(groupGuid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    const PropertyGroup* group = state->groups.GetPtr(groupGuid);
    if (group == nullptr) return call.Answer(APIERR_BADID);
    PK::Array<API_Guid> inGroup = group->definitions;
    std::sort(inGroup.begin(), inGroup.end(), TVSim::HostOrder{});
    definitions.Clear();
    for (const API_Guid& guid : inGroup) definitions.Push(state->definitions.Get(guid).definition);
    return call.Answer(NoError);
}

PKErrCode TVAPI_Property_GetPropertyDefinition(API_PropertyDefinition& definition) {
    HostCall call(Function<"TVAPI_Property_GetPropertyDefinition">());
    call.Args(definition.guid);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    const PropertyDefinition* found = state->definitions.GetPtr(definition.guid);
    if (found == nullptr) return call.Answer(APIERR_BADID);
    definition = found->definition;
    return call.Answer(NoError);
}
