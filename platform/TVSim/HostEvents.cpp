// What the add-on registers with the host (menus, palettes, notification and
// merge handlers), and the events tests fire through those registrations.
#include <algorithm>

#include "TVSim/SimElemTypes.hpp"
#include "TVSim/SimState.hpp"

using TVSim::Registrations;
using TVSim::Detail::CallBackAddOn;
using TVSim::Detail::Function;
using TVSim::Detail::Host;
using TVSim::Detail::HostCall;
using TVSim::Detail::OpenState;
using TVSim::Detail::ProjectState;

namespace {

Registrations& Registered() { return Host().registrations; }

Registrations::Menu* FindMenu(PK::Int16 menuStrResID) {
    auto& menus = Registered().menus;
    auto it = std::find_if(menus.begin(), menus.end(),
                           [&](const Registrations::Menu& m) { return m.menuStrResID == menuStrResID; });
    return it == menus.end() ? nullptr : &*it;
}

Registrations::Palette* FindPalette(PK::Int32 referenceID) {
    auto& palettes = Registered().palettes;
    auto it = std::find_if(palettes.begin(), palettes.end(),
                           [&](const Registrations::Palette& p) { return p.referenceID == referenceID; });
    return it == palettes.end() ? nullptr : &*it;
}

}  // namespace

PKErrCode TVAPI_Register_Menu(PK::Int16 menuStrResID, PK::Int16 promptStrResID, APIMenuCodeID menuPosCode,
                              PK::Int32 menuFlags) {
    HostCall call(Function<"TVAPI_Register_Menu">());
    call.Args(menuStrResID, promptStrResID, menuPosCode, menuFlags);
    if (call.Refused()) return call.Answer(call.Injected());
    if (FindMenu(menuStrResID) != nullptr) return call.Answer(APIERR_BADPARS);
    Registered().menus.push_back({menuStrResID, promptStrResID, menuPosCode, menuFlags, nullptr, {}});
    return call.Answer(NoError);
}

PKErrCode TVAPI_Register_ModulDataHandler() {
    HostCall call(Function<"TVAPI_Register_ModulDataHandler">());
    if (call.Refused()) return call.Answer(call.Injected());
    Registered().modulDataHandlerRegistered = true;
    return call.Answer(NoError);
}

PKErrCode TVAPI_Install_MenuHandler(PK::Int16 menuStrResID, APIMenuCommandProc handler) {
    HostCall call(Function<"TVAPI_Install_MenuHandler">());
    call.Args(menuStrResID, handler != nullptr);
    if (call.Refused()) return call.Answer(call.Injected());
    Registrations::Menu* menu = FindMenu(menuStrResID);
    if (menu == nullptr) return call.Answer(APIERR_BADID);
    menu->handler = handler;
    return call.Answer(NoError);
}

PKErrCode TVAPI_RegisterModelessWindow(PK::Int32 referenceID, APIPaletteControlCallBackProc callBackProc,
                                       PK::UInt32 controlFlags, const API_Guid& paletteGuid) {
    HostCall call(Function<"TVAPI_RegisterModelessWindow">());
    call.Args(referenceID, controlFlags, paletteGuid);
    if (call.Refused()) return call.Answer(call.Injected());
    if (callBackProc == nullptr) return call.Answer(APIERR_BADPARS);
    if (FindPalette(referenceID) != nullptr) return call.Answer(APIERR_WINDEXIST);
    Registered().palettes.push_back({referenceID, callBackProc, controlFlags, paletteGuid});
    return call.Answer(NoError);
}

PKErrCode TVAPI_UnregisterModelessWindow(PK::Int32 referenceID) {
    HostCall call(Function<"TVAPI_UnregisterModelessWindow">());
    call.Args(referenceID);
    if (call.Refused()) return call.Answer(call.Injected());
    auto& palettes = Registered().palettes;
    const auto removed = std::erase_if(palettes, [&](const auto& p) { return p.referenceID == referenceID; });
    return call.Answer(removed > 0 ? NoError : APIERR_WINDNOTEXIST);
}

PKErrCode TVAPI_Notify_CatchSelectionChange(APISelectionChangeHandlerProc handler) {
    HostCall call(Function<"TVAPI_Notify_CatchSelectionChange">());
    call.Args(handler != nullptr);
    if (call.Refused()) return call.Answer(call.Injected());
    Registered().selectionHandler = handler;
    return call.Answer(NoError);
}

PKErrCode TVAPI_Notify_CatchProjectEvent(PK::UInt32 eventTypes, APIProjectEventHandlerProc handler) {
    HostCall call(Function<"TVAPI_Notify_CatchProjectEvent">());
    call.Args(eventTypes, handler != nullptr);
    if (call.Refused()) return call.Answer(call.Injected());
    // Without a handler the subscription ends altogether: nothing may reach an
    // add-on that has let go of its handler, whatever mask it passed.
    Registered().projectEventHandler = handler;
    Registered().projectEventMask = handler != nullptr ? eventTypes : 0;
    return call.Answer(NoError);
}

PKErrCode TVAPI_Install_ModulDataMergeHandler(APIModulDataMergeHandlerProc handler) {
    HostCall call(Function<"TVAPI_Install_ModulDataMergeHandler">());
    call.Args(handler != nullptr);
    if (call.Refused()) return call.Answer(call.Injected());
    Registered().mergeHandler = handler;
    return call.Answer(NoError);
}

PKErrCode TVAPI_Notify_CatchNewElement(const API_ToolBoxItem* elemType, APIElementEventHandlerProc handler) {
    HostCall call(Function<"TVAPI_Notify_CatchNewElement">());
    call.Args(elemType != nullptr, handler != nullptr);
    if (call.Refused()) return call.Answer(call.Injected());
    Registered().newElementHandler = handler;
    Registered().newElementFilter =
        handler != nullptr && elemType != nullptr ? std::optional<API_ToolBoxItem>(*elemType) : std::nullopt;
    return call.Answer(NoError);
}

namespace TVSim::Events {

std::optional<PKErrCode> SelectionChanged() {
    API_Neig neig;
    if (ProjectState* state = OpenState(); state != nullptr && !state->selection.empty()) {
        neig.guid = *state->selection.begin();
        neig.neigID = Detail::NeigOfType(state->elements.Get(neig.guid).head.typeID);
    }
    return SelectionChanged(&neig);
}

std::optional<PKErrCode> SelectionChanged(const API_Neig* neig) {
    APISelectionChangeHandlerProc handler = Registered().selectionHandler;
    if (handler == nullptr) return std::nullopt;
    return CallBackAddOn("selection change", [&] { return handler(neig); });
}

std::optional<PKErrCode> ProjectEvent(PK::UInt32 eventId, PK::Int32 param) {
    APIProjectEventHandlerProc handler = Registered().projectEventHandler;
    if (handler == nullptr || (Registered().projectEventMask & eventId) == 0) return std::nullopt;
    return CallBackAddOn("project event", [&] { return handler(static_cast<API_NotifyEventID>(eventId), param); });
}

std::optional<PKErrCode> NewElement(const API_Guid& element, API_ElementDBEventID event) {
    ProjectState* state = OpenState();
    if (state == nullptr) return std::nullopt;
    API_NotifyElementType record;
    record.notifID = event;
    record.elemHead = state->elements.Get(element).head;
    if (!Detail::NewElementSubscribed(record.elemHead)) return std::nullopt;
    return NewElement(&record);
}

std::optional<PKErrCode> NewElement(const API_NotifyElementType* record) {
    APIElementEventHandlerProc handler = Registered().newElementHandler;
    if (handler == nullptr) return std::nullopt;
    return CallBackAddOn("new element", [&] { return handler(record); });
}

std::optional<PKErrCode> ChooseMenuItem(PK::Int16 menuStrResID, PK::Int32 itemIndex) {
    Registrations::Menu* menu = FindMenu(menuStrResID);
    if (menu == nullptr || menu->handler == nullptr) return std::nullopt;
    API_MenuParams params;
    params.menuItemRef.menuResID = menuStrResID;
    params.menuItemRef.itemIndex = itemIndex;
    APIMenuCommandProc handler = menu->handler;
    return CallBackAddOn("menu command", [&] { return handler(&params); });
}

std::optional<PKErrCode> PaletteMessage(PK::Int32 referenceID, API_PaletteMessageID message, PK::Int64 param) {
    Registrations::Palette* palette = FindPalette(referenceID);
    if (palette == nullptr) return std::nullopt;
    APIPaletteControlCallBackProc callBack = palette->callBack;
    return CallBackAddOn("palette message", [&] { return callBack(referenceID, message, param); });
}

std::optional<PKErrCode> MergeModulData(const PK::UniString& name, const ModulData& incoming, API_MDSetCmd command) {
    APIModulDataMergeHandlerProc handler = Registered().mergeHandler;
    ProjectState* state = OpenState();
    if (handler == nullptr || state == nullptr) return std::nullopt;
    // The host hands out copies and takes back what the handler leaves in the destination.
    const ModulData* storedEntry = state->modulData.GetPtr(name);
    API_ModulData stored;
    if (storedEntry != nullptr)
        stored = {storedEntry->dataVersion, storedEntry->platformSign, Detail::ToHandle(storedEntry->bytes)};
    API_ModulData toMerge{incoming.dataVersion, incoming.platformSign, Detail::ToHandle(incoming.bytes)};
    API_ModulData destination;
    const std::optional<PKErrCode> result = CallBackAddOn("module data merge", [&] {
        return handler(command, name, storedEntry != nullptr ? &stored : nullptr, &toMerge, &destination);
    });
    if (result == NoError && (state = OpenState()) != nullptr)
        state->modulData.Put(name, ModulData{destination.dataVersion, destination.platformSign,
                                             Detail::FromHandle(destination.dataHdl)});
    // A handler may pass an input handle on as the destination; each block goes once.
    std::vector<PKHandle> owned;
    for (PKHandle handle : {stored.dataHdl, toMerge.dataHdl, destination.dataHdl})
        if (handle != nullptr && std::find(owned.begin(), owned.end(), handle) == owned.end()) owned.push_back(handle);
    for (PKHandle handle : owned) BMKillHandle(&handle);
    return result;
}

const std::vector<std::string>& GetEscapedExceptions() { return Host().escapedExceptions; }

}  // namespace TVSim::Events

namespace TVSim::Detail {

bool NewElementSubscribed(const API_Elem_Head& element) {
    if (Registered().newElementHandler == nullptr) return false;
    const auto& filter = Registered().newElementFilter;
    return !filter || (filter->typeID == element.typeID &&
                       (filter->variationID == APIVarId_Generic || filter->variationID == element.variationID));
}

}  // namespace TVSim::Detail
