#include "PK/EventSource.hpp"

#include <algorithm>

namespace PK {

EventObserver::~EventObserver() {
    // Whatever the derived class forgot to detach must not be called later.
    for (EventSource* source : std::vector<EventSource*>(_sources)) source->Forget(*this);
}

void EventObserver::SourceDestroyed(EventSource*) {}

EventSource::~EventSource() {
    std::vector<Entry> entries;
    entries.swap(_entries);
    for (const Entry& e : entries) {
        auto& sources = e.observer->_sources;
        sources.erase(std::remove(sources.begin(), sources.end(), this), sources.end());
        e.observer->SourceDestroyed(this);
    }
}

void EventSource::Attach(EventObserver& observer) {
    if (IsAttached(observer)) return;
    // Make room in both lists first, so a failed allocation leaves neither
    // holding a half-made attachment.
    _entries.reserve(_entries.size() + 1);
    observer._sources.reserve(observer._sources.size() + 1);
    _entries.push_back({&observer, _nextStamp++});
    observer._sources.push_back(this);
}

void EventSource::Detach(EventObserver& observer) {
    Forget(observer);
    auto& sources = observer._sources;
    sources.erase(std::remove(sources.begin(), sources.end(), this), sources.end());
}

bool EventSource::IsAttached(const EventObserver& observer) const {
    return std::any_of(_entries.begin(), _entries.end(), [&](const Entry& e) { return e.observer == &observer; });
}

void EventSource::Forget(EventObserver& observer) {
    _entries.erase(std::remove_if(_entries.begin(), _entries.end(),
                                  [&](const Entry& e) { return e.observer == &observer; }),
                   _entries.end());
}

}  // namespace PK
