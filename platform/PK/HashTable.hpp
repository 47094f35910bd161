#pragma once
// Hash table and hash set of the class library. Lookup is by hash; enumeration
// follows insertion order, because lists shown to the user and stored records
// must come out in a stable order. Removal is O(1) amortised: the entry is
// tombstoned and the storage compacted once tombstones outnumber live entries;
// the first live slot is remembered, so taking the first entry again and again
// does not walk the tombstones before it. Clearing frees the index, so a
// table that once held many entries clears as fast as an empty one.
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <unordered_map>
#include <utility>
#include <vector>

#include "PK/Types.hpp"

namespace PK {

namespace Detail {

// Shared machinery of HashTable and HashSet: an insertion-ordered slot vector
// with an index from key to slot.
template <typename Key, typename Slot, typename KeyOf, typename Hash>
class OrderedIndex {
public:
    USize GetSize() const { return _index.size(); }
    bool IsEmpty() const { return _index.empty(); }
    void Clear() {
        // clear() would wipe every bucket the index ever grew to.
        std::unordered_map<Key, USize, Hash>().swap(_index);
        _slots.clear();
        _head = 0;
    }
    bool ContainsKey(const Key& key) const { return _index.find(key) != _index.end(); }

    Slot* FindSlot(const Key& key) {
        auto it = _index.find(key);
        return it == _index.end() ? nullptr : &*_slots[it->second];
    }
    const Slot* FindSlot(const Key& key) const {
        auto it = _index.find(key);
        return it == _index.end() ? nullptr : &*_slots[it->second];
    }
    // Returns false (and leaves the table) when the key is present.
    bool AddSlot(Slot slot) {
        const Key& key = KeyOf{}(slot);
        if (_index.find(key) != _index.end()) return false;
        _index.emplace(key, _slots.size());
        _slots.emplace_back(std::move(slot));
        return true;
    }
    bool DeleteKey(const Key& key) {
        auto it = _index.find(key);
        if (it == _index.end()) return false;
        _slots[it->second].reset();
        _index.erase(it);
        while (_head < _slots.size() && !_slots[_head]) ++_head;
        if (_slots.size() > 16 && _slots.size() > 2 * _index.size()) Compact();
        return true;
    }

    template <typename F>
    void ForEach(F&& f) const {
        for (USize i = _head; i < _slots.size(); ++i)
            if (_slots[i]) f(*_slots[i]);
    }
    template <typename F>
    void ForEach(F&& f) {
        for (USize i = _head; i < _slots.size(); ++i)
            if (_slots[i]) f(*_slots[i]);
    }

    template <typename SlotRef, typename VecIt>
    class Iterator {
    public:
        Iterator(VecIt it, VecIt end) : _it(it), _end(end) { Skip(); }
        SlotRef operator*() const { return **_it; }
        auto operator->() const { return &**_it; }
        Iterator& operator++() {
            ++_it;
            Skip();
            return *this;
        }
        bool operator==(const Iterator& o) const { return _it == o._it; }

    private:
        void Skip() {
            while (_it != _end && !*_it) ++_it;
        }
        VecIt _it, _end;
    };
    using iterator = Iterator<Slot&, typename std::vector<std::optional<Slot>>::iterator>;
    using const_iterator = Iterator<const Slot&, typename std::vector<std::optional<Slot>>::const_iterator>;
    iterator begin() { return {_slots.begin() + static_cast<std::ptrdiff_t>(_head), _slots.end()}; }
    iterator end() { return {_slots.end(), _slots.end()}; }
    const_iterator begin() const { return {_slots.begin() + static_cast<std::ptrdiff_t>(_head), _slots.end()}; }
    const_iterator end() const { return {_slots.end(), _slots.end()}; }

private:
    void Compact() {
        std::vector<std::optional<Slot>> live;
        live.reserve(_index.size());
        for (auto& s : _slots)
            if (s) {
                _index[KeyOf{}(*s)] = live.size();
                live.emplace_back(std::move(s));
            }
        _slots = std::move(live);
        _head = 0;
    }

    std::unordered_map<Key, USize, Hash> _index;
    std::vector<std::optional<Slot>> _slots;
    USize _head = 0;  // no live slot before it
};

template <typename Key, typename Value>
struct PairKey {
    const Key& operator()(const std::pair<Key, Value>& p) const { return p.first; }
};
template <typename Key>
struct SelfKey {
    const Key& operator()(const Key& k) const { return k; }
};

}  // namespace Detail

template <typename Key, typename Value, typename Hash = std::hash<Key>>
class HashTable {
    using Index = Detail::OrderedIndex<Key, std::pair<Key, Value>, Detail::PairKey<Key, Value>, Hash>;

public:
    using iterator = typename Index::iterator;
    using const_iterator = typename Index::const_iterator;

    USize GetSize() const { return _index.GetSize(); }
    bool IsEmpty() const { return _index.IsEmpty(); }
    void Clear() { _index.Clear(); }
    bool ContainsKey(const Key& key) const { return _index.ContainsKey(key); }

    // Adds a new entry; returns false and changes nothing when the key exists.
    bool Add(const Key& key, Value value) { return _index.AddSlot({key, std::move(value)}); }
    // Adds or overwrites, keeping the original position of an existing key.
    void Put(const Key& key, Value value) {
        if (auto* slot = _index.FindSlot(key))
            slot->second = std::move(value);
        else
            _index.AddSlot({key, std::move(value)});
    }
    bool Delete(const Key& key) { return _index.DeleteKey(key); }

    Value* GetPtr(const Key& key) {
        auto* slot = _index.FindSlot(key);
        return slot ? &slot->second : nullptr;
    }
    const Value* GetPtr(const Key& key) const {
        auto* slot = _index.FindSlot(key);
        return slot ? &slot->second : nullptr;
    }
    bool Get(const Key& key, Value* value) const {
        const Value* v = GetPtr(key);
        if (v == nullptr) return false;
        if (value != nullptr) *value = *v;
        return true;
    }
    Value& Get(const Key& key) {
        Value* v = GetPtr(key);
        if (v == nullptr) throw std::out_of_range("PK::HashTable key not found");
        return *v;
    }
    const Value& Get(const Key& key) const {
        const Value* v = GetPtr(key);
        if (v == nullptr) throw std::out_of_range("PK::HashTable key not found");
        return *v;
    }
    Value& operator[](const Key& key) {
        if (Value* v = GetPtr(key)) return *v;
        _index.AddSlot({key, Value{}});
        return *GetPtr(key);
    }

    template <typename F>
    void EnumerateKeys(F&& f) const {
        _index.ForEach([&](const auto& p) { f(p.first); });
    }
    template <typename F>
    void EnumerateValues(F&& f) const {
        _index.ForEach([&](const auto& p) { f(p.second); });
    }
    template <typename F>
    void EnumerateValues(F&& f) {
        _index.ForEach([&](auto& p) { f(p.second); });
    }

    iterator begin() { return _index.begin(); }
    iterator end() { return _index.end(); }
    const_iterator begin() const { return _index.begin(); }
    const_iterator end() const { return _index.end(); }

    // Same entries in the same order.
    friend bool operator==(const HashTable& a, const HashTable& b) {
        if (a.GetSize() != b.GetSize()) return false;
        auto ib = b.begin();
        for (const auto& p : a) {
            if (!(p == *ib)) return false;
            ++ib;
        }
        return true;
    }

private:
    Index _index;
};

template <typename Key, typename Hash = std::hash<Key>>
class HashSet {
    using Index = Detail::OrderedIndex<Key, Key, Detail::SelfKey<Key>, Hash>;

public:
    using iterator = typename Index::const_iterator;
    using const_iterator = typename Index::const_iterator;

    HashSet() = default;
    HashSet(std::initializer_list<Key> keys) {
        for (const auto& k : keys) Add(k);
    }

    USize GetSize() const { return _index.GetSize(); }
    bool IsEmpty() const { return _index.IsEmpty(); }
    void Clear() { _index.Clear(); }
    bool Contains(const Key& key) const { return _index.ContainsKey(key); }
    bool Add(const Key& key) { return _index.AddSlot(key); }
    bool Delete(const Key& key) { return _index.DeleteKey(key); }

    template <typename F>
    void Enumerate(F&& f) const {
        _index.ForEach(f);
    }

    const_iterator begin() const { return _index.begin(); }
    const_iterator end() const { return _index.end(); }

    friend bool operator==(const HashSet& a, const HashSet& b) {
        if (a.GetSize() != b.GetSize()) return false;
        for (const auto& k : a)
            if (!b.Contains(k)) return false;
        return true;
    }

private:
    Index _index;
};

}  // namespace PK
