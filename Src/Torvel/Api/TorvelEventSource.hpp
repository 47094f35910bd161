#pragma once
// Host notifications enter the add-on here. The host calls the three static
// entry points of TorvelEventSource (subscribed at start-up); each turns its
// notification into one TVEvent_ call on every attached TorvelEventObserver,
// the most recently attached first. An object that wants notifications
// derives from TorvelEventObserver, overrides what it cares about, and is
// attached for exactly as long as it lives. An observer that throws is
// logged and the others are still told; the host always hears NoError and
// never an exception.
#include "PK/EventSource.hpp"
#include "TVAPI/APIdefs.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::Api {

class TorvelEventObserver : public PK::EventObserver {
public:
    TorvelEventObserver();
    ~TorvelEventObserver() override;

    virtual void TVEvent_SelectionChanged(const API_Neig* /*selElemNeig*/) {}
    virtual void TVEvent_Element_Created(const API_NotifyElementType& /*elemType*/) {}
    virtual void TVEvent_Project_New() {}
    virtual void TVEvent_Project_NewAndReset() {}
    virtual void TVEvent_Project_Open() {}
    virtual void TVEvent_Project_PreSave() {}
    virtual void TVEvent_Project_Save() {}
    virtual void TVEvent_Project_Close() {}
    virtual void TVEvent_Project_Quit() {}
    virtual void TVEvent_Project_TempSave() {}
    virtual void TVEvent_Project_SendChanges() {}
    virtual void TVEvent_Project_ReceiveChanges() {}
    virtual void TVEvent_Project_PropertyDefinitionChanged() {}
    virtual void TVEvent_Project_ClassificationItemChanged() {}
    virtual void TVEvent_Project_PropertyVisibilityChanged() {}
    virtual void TVEvent_Project_ClassificationVisibilityChanged() {}
    virtual void TVEvent_Project_ChangeWindow() {}
    virtual void TVEvent_Project_ChangeFloor() {}
    virtual void TVEvent_Project_ShowIn3DChanged() {}
};

class TorvelEventSource : private PK::EventSource {
public:
    static TorvelEventSource& GetInstance();

    void Attach(TorvelEventObserver& observer) { PK::EventSource::Attach(observer); }
    void Detach(TorvelEventObserver& observer) { PK::EventSource::Detach(observer); }

    // Calls operation with args on every attached observer, newest first;
    // funcName names the operation in the log line of an observer that throws.
    template <typename... Params, typename... Args>
    void NotifyObservers(const char* funcName, void (TorvelEventObserver::*operation)(Params...),
                         Args&&... args) const {
        // The walk runs in a lambda; the log lines still name this function.
        const spdlog::source_loc here{_trim_file_macro(__FILE__), __LINE__, static_cast<const char*>(__FUNCTION__)};
        EnumerateObservers([&](PK::EventObserver& entry) {
            auto* observer = dynamic_cast<TorvelEventObserver*>(&entry);
            if (observer == nullptr) return;
            try {
                (observer->*operation)(args...);
            } catch (...) {
                Util::LogCaught(here, spdlog::level::err, "; funcName: {}", funcName);
            }
        });
    }

    // The host's callbacks; each answers NoError whatever the observers do,
    // and nothing thrown on the way leaves them: what the per-observer
    // handling does not catch is logged ("exception: {}" or "unknown
    // exception!", error level). A new-element notification without its
    // record reaches nobody.
    static PKErrCode Send_SelectionChanged(const API_Neig* selElemNeig) noexcept;
    static PKErrCode Send_ProjectEvent(API_NotifyEventID notifID, int param) noexcept;
    static PKErrCode Element_NewElementEvent(const API_NotifyElementType* elemType) noexcept;

private:
    TorvelEventSource() = default;
    ~TorvelEventSource() override = default;
};

}  // namespace TessaryConnect::Api
