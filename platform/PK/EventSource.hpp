#pragma once
// Observer pattern of the class library.
//
// An EventSource keeps its observers in attach order. EnumerateObservers walks
// them newest first and survives what the observers do meanwhile: every entry
// carries an attach stamp, and after each call the walk resumes below the
// position of the observer just called with the first entry whose stamp is
// lower. So an observer that detaches itself or others (or is destroyed) during
// the walk makes nobody skipped or called twice, and observers attached during
// the walk wait for the next one.
#include <cstdint>
#include <vector>

namespace PK {

class EventSource;

class EventObserver {
public:
    EventObserver() = default;
    EventObserver(const EventObserver&) = delete;
    EventObserver& operator=(const EventObserver&) = delete;
    virtual ~EventObserver();

    // Called when a source this observer is still attached to goes away.
    virtual void SourceDestroyed(EventSource* source);

private:
    friend class EventSource;
    std::vector<EventSource*> _sources;
};

class EventSource {
public:
    EventSource() = default;
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;
    virtual ~EventSource();

    // Attaching an observer twice keeps the first attachment.
    void Attach(EventObserver& observer);
    void Detach(EventObserver& observer);
    bool IsAttached(const EventObserver& observer) const;
    std::size_t GetObserverCount() const { return _entries.size(); }

    // Calls f(EventObserver&) for each observer, newest first (see above).
    template <typename F>
    void EnumerateObservers(F&& f) const {
        if (_entries.empty()) return;
        std::uint64_t limit = _nextStamp;
        std::size_t pos = _entries.size();
        for (;;) {
            if (pos > _entries.size()) pos = _entries.size();
            std::size_t i = pos;
            while (i > 0 && _entries[i - 1].stamp >= limit) --i;
            if (i == 0) return;
            const Entry entry = _entries[i - 1];
            pos = i - 1;
            limit = entry.stamp;
            f(*entry.observer);
        }
    }

private:
    friend class EventObserver;
    struct Entry {
        EventObserver* observer;
        std::uint64_t stamp;
    };
    void Forget(EventObserver& observer);

    std::vector<Entry> _entries;
    std::uint64_t _nextStamp = 1;
};

}  // namespace PK
