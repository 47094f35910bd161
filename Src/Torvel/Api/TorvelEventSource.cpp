#include "Torvel/Api/TorvelEventSource.hpp"

namespace TessaryConnect::Api {

namespace {

using ProjectOperation = void (TorvelEventObserver::*)();

struct ProjectEventRow {
    API_NotifyEventID id;
    ProjectOperation operation;
    const char* funcName;
};

// Project events are matched one value at a time, never as bit sets.
constexpr ProjectEventRow kProjectEvents[] = {
    {APINotify_New, &TorvelEventObserver::TVEvent_Project_New, "&TorvelEventObserver::TVEvent_Project_New"},
    {APINotify_NewAndReset, &TorvelEventObserver::TVEvent_Project_NewAndReset,
     "&TorvelEventObserver:: TVEvent_Project_NewAndReset"},
    {APINotify_Open, &TorvelEventObserver::TVEvent_Project_Open, "&TorvelEventObserver::TVEvent_Project_Open"},
    {APINotify_PreSave, &TorvelEventObserver::TVEvent_Project_PreSave,
     "&TorvelEventObserver:: TVEvent_Project_PreSave"},
    {APINotify_Save, &TorvelEventObserver::TVEvent_Project_Save, "&TorvelEventObserver::TVEvent_Project_Save"},
    {APINotify_Close, &TorvelEventObserver::TVEvent_Project_Close, "&TorvelEventObserver:: TVEvent_Project_Close"},
    {APINotify_Quit, &TorvelEventObserver::TVEvent_Project_Quit, "&TorvelEventObserver::TVEvent_Project_Quit"},
    {APINotify_TempSave, &TorvelEventObserver::TVEvent_Project_TempSave,
     "&TorvelEventObserver:: TVEvent_Project_TempSave"},
    {APINotify_SendChanges, &TorvelEventObserver::TVEvent_Project_SendChanges,
     "&TorvelEventObserver:: TVEvent_Project_SendChanges"},
    {APINotify_ReceiveChanges, &TorvelEventObserver::TVEvent_Project_ReceiveChanges,
     "&TorvelEventObserver:: TVEvent_Project_ReceiveChanges"},
    {APINotify_PropertyDefinitionChanged, &TorvelEventObserver::TVEvent_Project_PropertyDefinitionChanged,
     "&TorvelEventObserver:: TVEvent_Project_PropertyDefinitionChanged"},
    {APINotify_ClassificationItemChanged, &TorvelEventObserver::TVEvent_Project_ClassificationItemChanged,
     "&TorvelEventObserver:: TVEvent_Project_ClassificationItemChanged"},
    {APINotify_PropertyVisibilityChanged, &TorvelEventObserver::TVEvent_Project_PropertyVisibilityChanged,
     "&TorvelEventObserver:: TVEvent_Project_PropertyVisibilityChanged"},
    {APINotify_ClassificationVisibilityChanged, &TorvelEventObserver::TVEvent_Project_ClassificationVisibilityChanged,
     "&TorvelEventObserver:: TVEvent_Project_ClassificationVisibilityChanged"},
    {APINotify_ChangeWindow, &TorvelEventObserver::TVEvent_Project_ChangeWindow,
     "&TorvelEventObserver:: TVEvent_Project_ChangeWindow"},
    {APINotify_ChangeFloor, &TorvelEventObserver::TVEvent_Project_ChangeFloor,
     "&TorvelEventObserver:: TVEvent_Project_ChangeFloor"},
    {APINotify_ShowIn3DChanged, &TorvelEventObserver::TVEvent_Project_ShowIn3DChanged,
     "&TorvelEventObserver:: TVEvent_Project_ShowIn3DChanged"},
};

}  // namespace

TorvelEventObserver::TorvelEventObserver() { TorvelEventSource::GetInstance().Attach(*this); }

TorvelEventObserver::~TorvelEventObserver() { TorvelEventSource::GetInstance().Detach(*this); }

TorvelEventSource& TorvelEventSource::GetInstance() {
    static TorvelEventSource instance;
    return instance;
}

// ---- the host's callbacks: whatever the walk lets through stops here ----

PKErrCode TorvelEventSource::Send_SelectionChanged(const API_Neig* selElemNeig) noexcept {
    try {
        GetInstance().NotifyObservers("&TorvelEventObserver::TVEvent_SelectionChanged",
                                      &TorvelEventObserver::TVEvent_SelectionChanged, selElemNeig);
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return NoError;
}

PKErrCode TorvelEventSource::Send_ProjectEvent(API_NotifyEventID notifID, int /*param*/) noexcept {
    try {
        TorvelEventSource& source = GetInstance();
        for (const ProjectEventRow& row : kProjectEvents) {
            if (row.id == notifID) {
                source.NotifyObservers(row.funcName, row.operation);
                break;
            }
        }
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return NoError;
}

PKErrCode TorvelEventSource::Element_NewElementEvent(const API_NotifyElementType* elemType) noexcept {
    try {
        // The host has no business sending no record; there is nothing to tell about then.
        if (elemType == nullptr) {
            LOG_WARN("Element_NewElementEvent without an element record: ignored");
            return NoError;
        }
        GetInstance().NotifyObservers("&TorvelEventObserver::TVEvent_Element_Created",
                                      &TorvelEventObserver::TVEvent_Element_Created, *elemType);
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return NoError;
}

}  // namespace TessaryConnect::Api
