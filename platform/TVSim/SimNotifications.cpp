// Notifications that follow the project's state. A change made by the add-on
// through the host API, or by a test through TVSim, queues the notification
// its subscriber asked for; the host delivers it once control is back in its
// main loop (PK::MainMessageLoop::RunPending), never in the middle of a call.
#include <algorithm>
#include <utility>

#include "PK/Runnable.hpp"
#include "TVSim/SimState.hpp"

namespace TVSim::Detail {

namespace {

using Kind = PendingNotification::Kind;

bool Subscribed(const PendingNotification& notification) {
    const Registrations& registered = Host().registrations;
    switch (notification.kind) {
        case Kind::Selection:
            return registered.selectionHandler != nullptr;
        case Kind::Project:
            return registered.projectEventHandler != nullptr &&
                   (registered.projectEventMask & notification.eventId) != 0;
        case Kind::NewElement:
            return NewElementSubscribed(notification.element);
    }
    return false;
}

void Deliver(const PendingNotification& notification) {
    if (!Subscribed(notification)) return;
    switch (notification.kind) {
        case Kind::Selection:
            Events::SelectionChanged();
            break;
        case Kind::Project:
            Events::ProjectEvent(notification.eventId);
            break;
        case Kind::NewElement: {
            API_NotifyElementType record;
            record.notifID = APINotifyElement_New;
            record.elemHead = notification.element;
            Events::NewElement(&record);
            break;
        }
    }
}

bool PendingFor(const Project* project) {
    for (const PendingNotification& notification : Host().notifications)
        if (notification.project == project) return true;
    return false;
}

// Delivers a notification queued for a project that has closed meanwhile
// with that project open again for the moment, so the add-on reads the
// project the notification is about; the project goes with the last of them.
void DeliverForClosed(const PendingNotification& notification) {
    auto& closing = Host().closing;
    auto it = std::find_if(closing.begin(), closing.end(),
                           [&](const std::unique_ptr<Project>& p) { return p.get() == notification.project; });
    if (it == closing.end()) return;  // nothing left of that project to tell about
    std::unique_ptr<Project> closed = std::move(*it);
    closing.erase(it);
    std::unique_ptr<Project> next = std::exchange(Host().project, std::move(closed));
    Deliver(notification);
    closed = std::exchange(Host().project, std::move(next));
    if (PendingFor(closed.get())) Host().closing.push_back(std::move(closed));
}

// Delivers the oldest pending notification, if its subscription still stands.
class Delivery : public PK::Runnable {
public:
    void Run() override {
        auto& pending = Host().notifications;
        if (pending.empty()) return;  // dropped by Reset or delivered meanwhile
        const PendingNotification notification = pending.front();
        pending.pop_front();
        if (notification.project != Host().project.get()) {
            DeliverForClosed(notification);
            return;
        }
        if (notification.kind == Kind::Selection) Host().selectionPending = false;
        Deliver(notification);
    }
};

void Queue(PendingNotification notification) {
    HostState& host = Host();
    if (!host.autoDelivery || !Subscribed(notification)) return;
    if (notification.kind == Kind::Selection) {
        if (host.selectionPending) return;
        host.selectionPending = true;
    }
    notification.project = host.project.get();
    host.notifications.push_back(notification);
    PK::MessageLoopExecutor().Execute(std::make_shared<Delivery>());
}

}  // namespace

void QueueSelectionChanged() { Queue({Kind::Selection, 0, {}}); }

void QueueProjectEvent(PK::UInt32 eventId) { Queue({Kind::Project, eventId, {}}); }

void QueueNewElement(const API_Elem_Head& element) { Queue({Kind::NewElement, 0, element}); }

void CloseOpenProject() {
    HostState& host = Host();
    QueueProjectEvent(APINotify_Close);
    host.selectionPending = false;  // the next project's selection changes are its own
    std::unique_ptr<Project> closed = std::move(host.project);
    if (PendingFor(closed.get())) host.closing.push_back(std::move(closed));
}

}  // namespace TVSim::Detail

namespace TVSim::Events {

void SetAutoDelivery(bool on) { Detail::Host().autoDelivery = on; }

PK::USize GetPendingCount() { return Detail::Host().notifications.size(); }

}  // namespace TVSim::Events
