// The host's multiplexed calls: environment (stories, 3D projection,
// application and project information), databases and windows, automation,
// utilities, the navigator, and the progress window.
#include <algorithm>

#include "TVSim/Resources.hpp"
#include "TVSim/SimElemTypes.hpp"
#include "TVSim/SimState.hpp"

using TVSim::Element;
using TVSim::Detail::Function;
using TVSim::Detail::Host;
using TVSim::Detail::HostCall;
using TVSim::Detail::OpenState;
using TVSim::Detail::ProjectState;

namespace {

void ShowProgress(const TVSim::Progress::Window& window) {
    if (Host().progressObserver) Host().progressObserver(window);
}

// Items exist where the menu's string list has a string: the host builds the menu from it.
PKErrCode MenuItemFlags(API_InterfaceID code, const API_MenuItemRef* ref, PK::Int32* flags) {
    if (ref == nullptr || flags == nullptr) return APIERR_BADPARS;
    auto& menus = Host().registrations.menus;
    const auto menu = std::find_if(menus.begin(), menus.end(), [&](const TVSim::Registrations::Menu& m) {
        return m.menuStrResID == ref->menuResID;
    });
    if (menu == menus.end()) return APIERR_BADID;
    PK::UniString text;
    if (ref->itemIndex < 1 || !RSGetIndString(&text, ref->menuResID, ref->itemIndex, TVAPI_GetOwnResModule()))
        return APIERR_BADINDEX;
    if (code == APIIo_GetMenuItemFlagsID) {
        const auto it = menu->itemFlags.find(ref->itemIndex);
        *flags = it == menu->itemFlags.end() ? 0 : it->second;
    } else {
        menu->itemFlags[ref->itemIndex] = *flags;
    }
    return NoError;
}

PKErrCode GetStorySettings(const ProjectState& state, API_StoryInfo& info) {
    info = API_StoryInfo();
    info.firstStory = state.stories.front().index;
    info.lastStory = state.stories.back().index;
    info.actStory = state.currentStory;
    if (state.storyDefect == TVSim::StoryHandleDefect::NullHandle) return NoError;
    std::size_t count = state.stories.size();
    if (state.storyDefect == TVSim::StoryHandleDefect::ShortHandle) --count;
    info.data = BMAllocateHandle(static_cast<PK::Int32>(count * sizeof(API_StoryType)), ALLOCATE_CLEAR, 0);
    auto* records = reinterpret_cast<API_StoryType*>(*info.data);
    for (std::size_t i = 0; i < count; ++i) {
        records[i].index = state.stories[i].index;
        records[i].level = state.stories[i].level;
        const std::u16string& name = state.stories[i].name.ToUStr();
        std::copy_n(name.begin(), std::min<std::size_t>(name.size(), std::size(records[i].uName) - 1),
                    records[i].uName);
    }
    return NoError;
}

PKErrCode ChangeStorySettings(ProjectState& state, const API_StoryCmdType& command) {
    auto story = std::find_if(state.stories.begin(), state.stories.end(),
                              [&](const TVSim::Story& s) { return s.index == command.index; });
    if (story == state.stories.end()) return APIERR_BADINDEX;
    switch (command.action) {
        case APIStory_GoTo:
            state.ChangeCurrentStory(command.index);
            return NoError;
        case APIStory_Rename:
            story->name = command.name;
            return NoError;
        default:
            return APIERR_NOTSUPPORTED;
    }
}

PKErrCode GetProjectInfo(const ProjectState& state, API_ProjectInfo& info) {
    info = API_ProjectInfo();
    info.isUntitled = state.info.untitled;
    info.teamwork = state.shared;
    info.userId = state.userId;
    if (state.info.name) info.projectName = new PK::UniString(*state.info.name);
    if (state.info.path) {
        info.projectPath = new PK::UniString(*state.info.path);
        info.location = new IO::Location(*state.info.path);
    }
    return NoError;
}

// The database a window record names: by its guid, whose database must then be
// of the type and index the record says as well, or else by type and index.
const API_WindowInfo* FindDatabase(const ProjectState& state, const API_WindowInfo& wanted) {
    if (!wanted.databaseUnId.IsNull()) {
        const API_WindowInfo* found = state.windows.GetPtr(wanted.databaseUnId);
        return found != nullptr && found->typeID == wanted.typeID && found->index == wanted.index ? found : nullptr;
    }
    for (const auto& [guid, info] : state.windows)
        if (info.typeID == wanted.typeID && info.index == wanted.index) return &info;
    return nullptr;
}

API_HierarchicalElemType KindOf(const ProjectState& state, const Element& element) {
    if (element.hierarchicalKind) return *element.hierarchicalKind;
    if (state.FindElement(element.owner) != nullptr) return API_SubElem;
    return element.ownedCount > 0 ? API_MainElem : API_SingleElem;
}

API_Guid OwnerOf(const ProjectState& state, const Element& element, API_HierarchicalOwnerType ownerType) {
    const Element* current = &element;
    // Bounded, so that a test that makes an element own itself gets an answer.
    for (PK::USize steps = 0; steps < state.elements.GetSize(); ++steps) {
        const Element* owner = state.FindElement(current->owner);
        if (owner == nullptr) break;
        current = owner;
        if (ownerType == API_ParentHierarchicalOwner) break;
    }
    return current->head.guid;
}

template <typename T>
T* As(void* par) {
    return static_cast<T*>(par);
}

}  // namespace

PKErrCode TVAPI_Environment(API_EnvironmentID code, void* par1, void* par2, void* /*par3*/) {
    HostCall call(Function<"TVAPI_Environment">(), code);
    if (call.Refused()) return call.Answer(call.Injected());
    if (code == APIEnv_ApplicationID) {
        if (par1 == nullptr) return call.Answer(APIERR_BADPARS);
        *As<API_ServerApplicationInfo>(par1) = Host().application;
        return call.Answer(NoError);
    }
    ProjectState* state = OpenState();
    if (state == nullptr) return call.Answer(APIERR_NOPLAN);
    if (par1 == nullptr) return call.Answer(APIERR_BADPARS);
    switch (code) {
        case APIEnv_GetStorySettingsID:
            return call.Answer(GetStorySettings(*state, *As<API_StoryInfo>(par1)));
        case APIEnv_ChangeStorySettingsID:
            call.Args(As<API_StoryCmdType>(par1)->action, As<API_StoryCmdType>(par1)->index);
            return call.Answer(ChangeStorySettings(*state, *As<API_StoryCmdType>(par1)));
        case APIEnv_Get3DProjectionSetsID:
            *As<API_3DProjectionInfo>(par1) = state->projection;
            return call.Answer(NoError);
        case APIEnv_Change3DProjectionSetsID:
            state->projection = *As<API_3DProjectionInfo>(par1);
            if (par2 != nullptr) call.Args(*As<bool>(par2));
            return call.Answer(NoError);
        case APIEnv_ProjectID:
            return call.Answer(GetProjectInfo(*state, *As<API_ProjectInfo>(par1)));
        default:
            return call.Answer(APIERR_BADPARS);
    }
}

PKErrCode TVAPI_Database(API_DatabaseID code, void* par1, void* /*par2*/, void* /*par3*/) {
    HostCall call(Function<"TVAPI_Database">(), code);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (par1 == nullptr) return call.Answer(APIERR_BADPARS);
    auto& info = *As<API_WindowInfo>(par1);
    switch (code) {
        case APIDb_GetCurrentWindowID:
            info = state->windows.Get(state->currentWindow);
            return call.Answer(NoError);
        case APIDb_GetDatabaseInfoID: {
            call.Args(info.typeID, info.index, info.databaseUnId);
            const API_WindowInfo* found = FindDatabase(*state, info);
            if (found == nullptr) return call.Answer(APIERR_BADDATABASE);
            info = *found;
            return call.Answer(NoError);
        }
        default:
            return call.Answer(APIERR_BADPARS);
    }
}

PKErrCode TVAPI_Automate(API_AutomateID code, void* par1, void* /*par2*/, void* /*par3*/) {
    HostCall call(Function<"TVAPI_Automate">(), code);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    switch (code) {
        case APIDo_ChangeWindowID: {
            if (par1 == nullptr) return call.Answer(APIERR_BADPARS);
            auto& info = *As<API_WindowInfo>(par1);
            call.Args(info.typeID, info.index, info.databaseUnId);
            const API_WindowInfo* found = FindDatabase(*state, info);
            if (found == nullptr) return call.Answer(APIERR_BADDATABASE);
            info = *found;
            state->ChangeCurrentWindow(found->databaseUnId);
            return call.Answer(NoError);
        }
        case APIDo_ZoomToSelectedID: {
            state->zooms.emplace_back(state->selection.begin(), state->selection.end());
            return call.Answer(NoError);
        }
        default:
            return call.Answer(APIERR_BADPARS);
    }
}

PKErrCode TVAPI_Goodies(API_GoodiesID code, void* par1, void* par2, void* par3, void* par4) {
    const API_Guid* element = code == APIAny_GetHierarchicalElementOwnerID ? As<API_Guid>(par1) : nullptr;
    HostCall call(Function<"TVAPI_Goodies">(), code, element);
    if (call.Refused()) return call.Answer(call.Injected());
    if (par1 == nullptr || par2 == nullptr) return call.Answer(APIERR_BADPARS);
    switch (code) {
        case APIAny_NeigIDToElemTypeID: {
            call.Args(*As<API_NeigID>(par1));
            auto type = TVSim::Detail::TypeOfNeig(*As<API_NeigID>(par1));
            if (!type) return call.Answer(APIERR_BADPARS);
            *As<API_ElemTypeID>(par2) = *type;
            return call.Answer(NoError);
        }
        case APIAny_GetElemTypeNameID: {
            call.Args(*As<API_ElemTypeID>(par1));
            auto name = TVSim::Detail::TypeName(*As<API_ElemTypeID>(par1));
            if (!name) return call.Answer(APIERR_BADPARS);
            *As<PK::UniString>(par2) = *name;
            return call.Answer(NoError);
        }
        case APIAny_GetHierarchicalElementOwnerID: {
            call.Args(*element, *As<API_HierarchicalOwnerType>(par2));
            ProjectState* state = OpenState();
            if (state == nullptr) return call.Answer(APIERR_NOPLAN);
            if (par3 == nullptr || par4 == nullptr) return call.Answer(APIERR_BADPARS);
            const Element* found = state->FindElement(*element);
            if (found == nullptr) return call.Answer(state->MissingElement(*element));
            *As<API_HierarchicalElemType>(par3) = KindOf(*state, *found);
            *As<API_Guid>(par4) = OwnerOf(*state, *found, *As<API_HierarchicalOwnerType>(par2));
            return call.Answer(NoError);
        }
        default:
            return call.Answer(APIERR_BADPARS);
    }
}

PKErrCode TVAPI_Navigator(API_NavigatorID code, void* par1, void* par2, void* /*par3*/, void* /*par4*/) {
    HostCall call(Function<"TVAPI_Navigator">(), code);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (code != APINavigator_GetNavigatorItemID || par1 == nullptr || par2 == nullptr)
        return call.Answer(APIERR_BADPARS);
    call.Args(*As<API_Guid>(par1));
    const API_NavigatorItem* item = state->navigatorItems.GetPtr(*As<API_Guid>(par1));
    if (item == nullptr) return call.Answer(APIERR_BADID);
    *As<API_NavigatorItem>(par2) = *item;
    return call.Answer(NoError);
}

namespace {

// One step of an open progress window: a new phase, a value, closing.
PKErrCode ProgressStep(TVSim::Progress::Window& window, API_InterfaceID code, void* par1, void* par2) {
    switch (code) {
        case APIIo_NextProgressPhaseID:
            if (par1 == nullptr || par2 == nullptr) return APIERR_BADPARS;
            window.phases.push_back({*As<PK::UniString>(par1), *As<PK::Int32>(par2), 0});
            return NoError;
        case APIIo_IncProgressValueID:
        case APIIo_SetProgressValueID:
            if (par1 == nullptr || window.phases.empty()) return APIERR_BADPARS;
            if (code == APIIo_IncProgressValueID)
                window.phases.back().value += *As<PK::Int32>(par1);
            else
                window.phases.back().value = *As<PK::Int32>(par1);
            return NoError;
        case APIIo_CloseProgressWindowID:
            window.open = false;
            return NoError;
        default:
            return APIERR_BADPARS;
    }
}

}  // namespace

PKErrCode TVAPI_Interface(API_InterfaceID code, void* par1, void* par2, void* /*par3*/, void* /*par4*/,
                          void* /*par5*/) {
    HostCall call(Function<"TVAPI_Interface">(), code);
    if (call.Refused()) return call.Answer(call.Injected());
    if (code == APIIo_GetMenuItemFlagsID || code == APIIo_SetMenuItemFlagsID)
        return call.Answer(MenuItemFlags(code, As<API_MenuItemRef>(par1), As<PK::Int32>(par2)));
    auto& windows = Host().progress;
    const bool open = !windows.empty() && windows.back().open;
    switch (code) {
        case APIIo_OpenProgressWindowID: {
            if (par1 == nullptr || par2 == nullptr) return call.Answer(APIERR_BADPARS);
            if (open) windows.back().open = false;  // one progress window at a time: the new one replaces it
            windows.push_back({*As<PK::UniString>(par1), *As<PK::Int16>(par2), {}, true});
            call.Args(windows.back().title, windows.back().phaseCount);
            ShowProgress(windows.back());
            return call.Answer(NoError);
        }
        case APIIo_IsProgressCancelledID:
            return call.Answer(open && Host().progressCancelled ? APIERR_CANCEL : NoError);
        default:
            break;
    }
    // Every other code works on an open progress window.
    if (!open) return call.Answer(APIERR_BADPARS);
    TVSim::Progress::Window& window = windows.back();
    const PKErrCode result = ProgressStep(window, code, par1, par2);
    if (result == NoError) ShowProgress(window);
    return call.Answer(result);
}


PKErrCode TVAPI_GetOwnLocation(IO::Location* location) {
    HostCall call(Function<"TVAPI_GetOwnLocation">());
    if (call.Refused()) return call.Answer(call.Injected());
    if (location == nullptr) return call.Answer(APIERR_BADPARS);
    // An add-on's resources lie inside its bundle; whoever starts the host may name the bundle itself.
    *location = Host().ownLocation ? *Host().ownLocation : IO::Location(TVSim::Resources::GetFolder().parent_path());
    return call.Answer(NoError);
}

namespace TVSim::Progress {
const std::vector<Window>& GetWindows() { return Host().progress; }
bool IsOpen() { return !Host().progress.empty() && Host().progress.back().open; }
void SetCancelled(bool cancelled) { Host().progressCancelled = cancelled; }
void SetObserver(std::function<void(const Window&)> observer) { Host().progressObserver = std::move(observer); }
}  // namespace TVSim::Progress
