#pragma once
// Hash table and hash set of the class library. Lookup is by hash; enumeration
// follows insertion order, because lists shown to the user and stored records
// must come out in a stable order. Removal is O(1) amortised: the entry is
// tombstoned and the storage compacted once tombstones outnumber live entries;
// the first live slot is remembered, so taking the first entry again and again
// does not walk the tombstones before it. Clearing frees the index, so a
// table that once held many entries clears as fast as an empty one.
//
// The entries live once, in one insertion-ordered vector. Most tables are
// small (a clause's few properties, an issue's few elements): up to
// linearLimit slots a look-up walks them and no index exists, so such a table
// costs one allocation. Past that, an open-addressing index of slot numbers
// (linear probing, deletion by backward shift) finds the slot; it keeps each
// entry's hash bits, not its key, so growing it hashes nothing again.
#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "PK/Types.hpp"

namespace PK {

namespace Detail {

// Shared machinery of HashTable and HashSet: an insertion-ordered slot vector,
// indexed once it outgrows a linear search.
template <typename Key, typename Slot, typename KeyOf, typename Hash>
class OrderedIndex {
public:
    // Up to this many slots (tombstones included) a look-up walks the slots.
    static constexpr USize linearLimit = 8;

    OrderedIndex() = default;
    OrderedIndex(const OrderedIndex&) = default;
    OrderedIndex& operator=(const OrderedIndex&) = default;
    // What is moved from is left empty, as the containers in it are.
    OrderedIndex(OrderedIndex&& other) noexcept { *this = std::move(other); }
    OrderedIndex& operator=(OrderedIndex&& other) noexcept {
        if (this == &other) return *this;
        _slots = std::move(other._slots);
        _buckets = std::move(other._buckets);
        _shift = std::exchange(other._shift, 64);
        _reserved = std::exchange(other._reserved, 0);
        _live = std::exchange(other._live, 0);
        _head = std::exchange(other._head, 0);
        other._slots.clear();
        other._buckets.clear();
        return *this;
    }

    USize GetSize() const { return _live; }
    bool IsEmpty() const { return _live == 0; }
    void Clear() {
        // The index is freed, not cleared: clearing would wipe every bucket it ever grew to.
        std::vector<Bucket>().swap(_buckets);
        _shift = 64;
        _reserved = 0;
        _slots.clear();
        _live = 0;
        _head = 0;
    }
    // Room for this many entries without moving the slots or growing the index.
    void Reserve(USize count) {
        _slots.reserve(count);
        _reserved = std::max(_reserved, count);
        if (!_buckets.empty() && 4 * count > 3 * _buckets.size()) Rebuild(count);
    }
    bool ContainsKey(const Key& key) const { return Find(key) != npos; }

    Slot* FindSlot(const Key& key) {
        const USize slot = Find(key);
        return slot == npos ? nullptr : &*_slots[slot];
    }
    const Slot* FindSlot(const Key& key) const {
        const USize slot = Find(key);
        return slot == npos ? nullptr : &*_slots[slot];
    }
    // Returns false (and leaves the table) when the key is present.
    bool AddSlot(Slot slot) {
        const Key& key = KeyOf{}(slot);
        if (_buckets.empty()) {
            if (Find(key) != npos) return false;
            _slots.emplace_back(std::move(slot));
            ++_live;
            if (_slots.size() > linearLimit) Rebuild(_slots.size());
            return true;
        }
        const UInt32 hash = HashOf(key);
        USize pos = Home(hash);
        for (; _buckets[pos].slot != 0; pos = Next(pos))
            if (_buckets[pos].hash == hash && KeyOf{}(*_slots[_buckets[pos].slot - 1]) == key) return false;
        _buckets[pos] = {static_cast<UInt32>(_slots.size() + 1), hash};
        _slots.emplace_back(std::move(slot));
        ++_live;
        if (4 * _live > 3 * _buckets.size()) Rebuild(_live);
        return true;
    }
    // The slot of the key, made by make() when there is none: one search either way.
    template <typename Make>
    Slot& FindOrAddSlot(const Key& key, Make&& make) {
        if (_buckets.empty()) {
            if (const USize slot = Find(key); slot != npos) return *_slots[slot];
            AddSlot(make());
            return *_slots.back();
        }
        const UInt32 hash = HashOf(key);
        USize pos = Home(hash);
        for (; _buckets[pos].slot != 0; pos = Next(pos))
            if (_buckets[pos].hash == hash && KeyOf{}(*_slots[_buckets[pos].slot - 1]) == key)
                return *_slots[_buckets[pos].slot - 1];
        _buckets[pos] = {static_cast<UInt32>(_slots.size() + 1), hash};
        _slots.emplace_back(make());
        ++_live;
        if (4 * _live > 3 * _buckets.size()) Rebuild(_live);
        return *_slots.back();
    }
    bool DeleteKey(const Key& key) {
        USize slot = npos;
        if (_buckets.empty()) {
            slot = Find(key);
            if (slot == npos) return false;
        } else {
            const UInt32 hash = HashOf(key);
            USize pos = Home(hash);
            for (;; pos = Next(pos)) {
                if (_buckets[pos].slot == 0) return false;
                if (_buckets[pos].hash == hash && KeyOf{}(*_slots[_buckets[pos].slot - 1]) == key) break;
            }
            slot = _buckets[pos].slot - 1;
            Unlink(pos);
        }
        _slots[slot].reset();
        --_live;
        while (_head < _slots.size() && !_slots[_head]) ++_head;
        if (_slots.size() > 2 * linearLimit && _slots.size() > 2 * _live) Compact();
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
    static constexpr USize npos = MaxUSize;

    // A position of the index: the slot number plus one (0: empty) and the
    // upper half of the entry's spread hash, whose top bits are its home position.
    struct Bucket {
        UInt32 slot = 0;
        UInt32 hash = 0;
    };

    // std::hash gives integers as they are: the product spreads every bit of
    // the hash into the upper half, which alone is kept.
    static UInt32 HashOf(const Key& key) {
        return static_cast<UInt32>((static_cast<UInt64>(Hash{}(key)) * 0x9E3779B97F4A7C15ull) >> 32);
    }
    USize Home(UInt32 hash) const { return static_cast<USize>((static_cast<UInt64>(hash) << 32) >> _shift); }
    USize Next(USize pos) const { return (pos + 1) & (_buckets.size() - 1); }

    USize Find(const Key& key) const {
        if (_buckets.empty()) {
            for (USize i = _head; i < _slots.size(); ++i)
                if (_slots[i] && KeyOf{}(*_slots[i]) == key) return i;
            return npos;
        }
        const UInt32 hash = HashOf(key);
        for (USize pos = Home(hash); _buckets[pos].slot != 0; pos = Next(pos))
            if (_buckets[pos].hash == hash && KeyOf{}(*_slots[_buckets[pos].slot - 1]) == key)
                return _buckets[pos].slot - 1;
        return npos;
    }

    // Empties a position and moves later entries of its run back into the
    // hole, so that every run stays unbroken without tombstones in the index.
    void Unlink(USize hole) {
        for (USize pos = Next(hole); _buckets[pos].slot != 0; pos = Next(pos)) {
            const USize home = Home(_buckets[pos].hash);
            // The entry may move back when its home does not lie in (hole, pos], cyclically.
            const bool stays = hole <= pos ? (hole < home && home <= pos) : (hole < home || home <= pos);
            if (stays) continue;
            _buckets[hole] = _buckets[pos];
            hole = pos;
        }
        _buckets[hole] = Bucket{};
    }

    // A new index for this many entries, or as many as were reserved, at most
    // three quarters full; none while the slots fit a linear search.
    void Rebuild(USize entries) {
        if (_slots.size() <= linearLimit) {
            std::vector<Bucket>().swap(_buckets);
            _shift = 64;
            return;
        }
        entries = std::max(entries, _reserved);
        USize size = 16;
        int bits = 4;
        while (4 * entries > 3 * size) {
            size *= 2;
            ++bits;
        }
        std::vector<Bucket> buckets(size);
        std::swap(_buckets, buckets);
        _shift = 64 - bits;
        if (buckets.empty()) {
            for (USize i = 0; i < _slots.size(); ++i)
                if (_slots[i]) Place({static_cast<UInt32>(i + 1), HashOf(KeyOf{}(*_slots[i]))});
        } else {
            for (const Bucket& bucket : buckets)
                if (bucket.slot != 0) Place(bucket);
        }
    }
    void Place(Bucket bucket) {
        USize pos = Home(bucket.hash);
        while (_buckets[pos].slot != 0) pos = Next(pos);
        _buckets[pos] = bucket;
    }

    void Compact() {
        std::vector<UInt32> renumbered(_slots.size(), 0);
        USize next = 0;
        for (USize i = 0; i < _slots.size(); ++i) {
            if (!_slots[i]) continue;
            renumbered[i] = static_cast<UInt32>(next + 1);
            if (next != i) _slots[next] = std::move(_slots[i]);
            ++next;
        }
        _slots.resize(next);
        _head = 0;
        _reserved = 0;  // a table that shrinks this much has outlived what was reserved
        if (_slots.size() <= linearLimit) {
            Rebuild(0);
            return;
        }
        for (Bucket& bucket : _buckets)
            if (bucket.slot != 0) bucket.slot = renumbered[bucket.slot - 1];
        // A table that was large once does not keep its index's size for ever.
        if (16 * _live < _buckets.size()) Rebuild(_live);
    }

    std::vector<std::optional<Slot>> _slots;
    std::vector<Bucket> _buckets;  // empty, or a power of two in size
    int _shift = 64;               // 64 less the bits of a position
    USize _reserved = 0;           // entries the index is to have room for
    USize _live = 0;
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
    void Reserve(USize count) { _index.Reserve(count); }
    bool ContainsKey(const Key& key) const { return _index.ContainsKey(key); }

    // Adds a new entry; returns false and changes nothing when the key exists.
    bool Add(const Key& key, Value value) { return _index.AddSlot({key, std::move(value)}); }
    bool Add(Key&& key, Value value) { return _index.AddSlot({std::move(key), std::move(value)}); }
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
        return _index.FindOrAddSlot(key, [&] { return std::pair<Key, Value>(key, Value{}); }).second;
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
    void Reserve(USize count) { _index.Reserve(count); }
    bool Contains(const Key& key) const { return _index.ContainsKey(key); }
    bool Add(const Key& key) { return _index.AddSlot(key); }
    bool Add(Key&& key) { return _index.AddSlot(std::move(key)); }
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
