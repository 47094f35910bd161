#pragma once
// An event of a dialog item that handlers can be added to (+=, or Add with a
// key to Remove later). Notify calls them in the order they were added and
// walks a snapshot: a handler added during a notification waits for the next
// one, and one removed meanwhile is not called any more.
#include <functional>
#include <memory>
#include <vector>

namespace DG {

template <typename Arg>
class EventNotifier {
public:
    using Handler = std::function<void(const Arg&)>;
    using Key = unsigned;

    EventNotifier() = default;
    EventNotifier(const EventNotifier&) = delete;
    EventNotifier& operator=(const EventNotifier&) = delete;

    Key Add(Handler handler) {
        _entries.push_back(std::make_shared<Entry>(Entry{std::move(handler), ++_lastKey, false}));
        return _lastKey;
    }
    EventNotifier& operator+=(Handler handler) {
        Add(std::move(handler));
        return *this;
    }
    void Remove(Key key) {
        for (auto it = _entries.begin(); it != _entries.end(); ++it)
            if ((*it)->key == key) {
                (*it)->removed = true;
                _entries.erase(it);
                return;
            }
    }
    std::size_t GetHandlerCount() const { return _entries.size(); }

    void Notify(const Arg& arg) const {
        const auto snapshot = _entries;
        for (const auto& entry : snapshot)
            if (!entry->removed && entry->handler) entry->handler(arg);
    }

private:
    struct Entry {
        Handler handler;
        Key key;
        bool removed;
    };
    std::vector<std::shared_ptr<Entry>> _entries;
    Key _lastKey = 0;
};

}  // namespace DG
