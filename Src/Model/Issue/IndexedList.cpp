#include "Model/Issue/IndexedList.hpp"

#include <algorithm>
#include <functional>
#include <limits>

namespace TessaryConnect::Model::Issue {

namespace {

// What a hole (or a slot past the end) weighs in the tree: never later than anything.
constexpr PK::Int32 holeTime = std::numeric_limits<PK::Int32>::min();

}  // namespace

IndexedList::IndexedList() : _latestTime(holeTime) {}
IndexedList::~IndexedList() = default;

IndexedList::Keys IndexedList::KeysOf(const Base& issue) {
    Keys keys;
    issue.GetMergeKeys(keys);
    std::sort(keys.begin(), keys.end());
    keys.SetSize(static_cast<PK::USize>(std::unique(keys.begin(), keys.end()) - keys.begin()));
    return keys;
}

bool IndexedList::IsNewer(const Base& a, const Base& b) {
    if (a.CreationTime() != b.CreationTime()) return a.CreationTime() > b.CreationTime();
    return a.Guid() > b.Guid();
}

void IndexedList::Assign(Issues issues) {
    Clear();
    _slots = std::move(issues);
    _slots.DeleteIf([](const std::shared_ptr<Base>& issue) { return issue == nullptr; });
    _live = _slots.GetSize();
}

void IndexedList::Clear() {
    _slots.Clear();
    _live = 0;
    _indexed = false;
    _keys.clear();
    _keyPool.clear();
    _byGuid.Clear();
    _byKey.Clear();
    _latestTime = holeTime;
    _times.clear();
    _leaves = 0;
}

void IndexedList::Reserve(PK::USize slots) {
    _slots.Reserve(slots);
    _keys.reserve(slots);
    _keyPool.reserve(slots);
    _byGuid.Reserve(slots);
    _byKey.Reserve(slots);
}

const IndexedList::Issues& IndexedList::View() {
    if (_live != _slots.GetSize()) Compact();
    return _slots;
}

void IndexedList::Append(std::shared_ptr<Base> issue, const Keys& keys) {
    EnsureIndexed();
    const PK::Int32 time = issue->CreationTime();
    _slots.Push(std::move(issue));
    _keys.emplace_back();
    ++_live;
    const PK::USize slot = _slots.GetSize() - 1;
    SetKeys(slot, keys);
    Index(slot);
    _latestTime = std::max(_latestTime, time);
    if (_leaves == 0) return;
    if (slot < _leaves)
        SetTime(slot, time);
    else
        BuildTimes();
}

void IndexedList::Erase(PK::USize slot) {
    if (_slots[slot] == nullptr) return;
    if (_indexed) {
        Unindex(slot);
        _keys[slot].count = 0;
        if (_leaves != 0) SetTime(slot, holeTime);
    }
    _slots[slot].reset();
    --_live;
}

void IndexedList::Rekey(PK::USize slot) {
    if (!_indexed) return;
    RemoveKeys(slot);
    SetKeys(slot, KeysOf(*_slots[slot]));
    AddKeys(slot);
}

void IndexedList::SetKeys(PK::USize slot, const Keys& keys) {
    KeyRun& run = _keys[slot];
    if (keys.GetSize() > run.count) run.offset = static_cast<PK::UInt32>(_keyPool.size());
    run.count = static_cast<PK::UInt32>(keys.GetSize());
    if (run.offset == _keyPool.size())
        _keyPool.insert(_keyPool.end(), keys.begin(), keys.end());
    else
        std::copy(keys.begin(), keys.end(), _keyPool.begin() + static_cast<std::ptrdiff_t>(run.offset));
}

void IndexedList::CompactIfSparse() {
    const PK::USize holes = _slots.GetSize() - _live;
    if (holes > 16 && holes > _live) Compact();
}

PK::USize IndexedList::FindGuid(const PK::Guid& guid) {
    EnsureIndexed();
    const GuidEntry* entry = _byGuid.GetPtr(guid);
    return entry == nullptr ? npos : entry->first;
}

PK::USize IndexedList::FindObject(const Base* issue) {
    EnsureIndexed();
    const GuidEntry* entry = _byGuid.GetPtr(issue->Guid());
    if (entry == nullptr) return npos;
    PK::USize seen = 0;
    for (PK::USize slot = entry->first; seen < entry->count; ++slot) {
        if (_slots[slot] == nullptr || _slots[slot]->Guid() != issue->Guid()) continue;
        if (_slots[slot].get() == issue) return slot;
        ++seen;
    }
    return npos;
}

PK::USize IndexedList::FirstCreatedLater(const Base& issue) {
    EnsureIndexed();
    const PK::Int32 time = issue.CreationTime();
    if (time >= _latestTime) return _slots.GetSize();  // a new failure: nearly always
    if (_leaves == 0) BuildTimes();
    if (_times[1] <= time) return _slots.GetSize();
    PK::USize node = 1;
    while (node < _leaves) node = _times[2 * node] > time ? 2 * node : 2 * node + 1;
    return node - _leaves;
}

std::vector<PK::USize> IndexedList::SlotsSharing(const Keys& keys) {
    EnsureIndexed();
    std::vector<PK::USize> slots;
    for (Base::MergeKey key : keys) {
        const Holders* holders = _byKey.GetPtr(key);
        if (holders == nullptr) continue;
        slots.push_back(holders->first);
        if (holders->more) slots.insert(slots.end(), holders->more->begin(), holders->more->end());
    }
    std::sort(slots.begin(), slots.end(), std::greater<>());
    slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
    return slots;
}

void IndexedList::EnsureIndexed() {
    if (_indexed) return;
    _indexed = true;
    _keys.assign(_slots.GetSize(), {});
    _keyPool.clear();
    // Room for an issue's key or two each, so that indexing a large list grows no table step by step.
    _keyPool.reserve(_slots.GetSize());
    _byGuid.Reserve(_slots.GetSize());
    _byKey.Reserve(_slots.GetSize());
    for (PK::USize slot = 0; slot < _slots.GetSize(); ++slot) {
        if (_slots[slot] == nullptr) continue;
        SetKeys(slot, KeysOf(*_slots[slot]));
        Index(slot);
        _latestTime = std::max(_latestTime, _slots[slot]->CreationTime());
    }
}

void IndexedList::Index(PK::USize slot) {
    AddKeys(slot);
    GuidEntry& entry = _byGuid[_slots[slot]->Guid()];
    if (entry.count++ == 0) entry.first = static_cast<PK::UInt32>(slot);
}

void IndexedList::Unindex(PK::USize slot) {
    RemoveKeys(slot);
    const PK::Guid& guid = _slots[slot]->Guid();
    GuidEntry& entry = _byGuid.Get(guid);
    if (--entry.count == 0) {
        _byGuid.Delete(guid);
    } else if (entry.first == slot) {
        // Only stored data from before duplicates were kept out repeats a GUID.
        PK::USize next = slot + 1;
        while (_slots[next] == nullptr || _slots[next]->Guid() != guid) ++next;
        entry.first = static_cast<PK::UInt32>(next);
    }
}

void IndexedList::AddKeys(PK::USize slot) {
    for (Base::MergeKey key : KeysAt(slot)) {
        Holders& holders = _byKey[key];
        if (holders.first == npos) {
            holders.first = slot;
            continue;
        }
        if (!holders.more) holders.more = std::make_unique<std::vector<PK::USize>>();
        holders.more->push_back(slot);
    }
}

void IndexedList::RemoveKeys(PK::USize slot) {
    for (Base::MergeKey key : KeysAt(slot)) {
        Holders& holders = _byKey.Get(key);
        if (holders.first != slot) {
            *std::find(holders.more->begin(), holders.more->end(), slot) = holders.more->back();
            holders.more->pop_back();
        } else if (!holders.more || holders.more->empty()) {
            _byKey.Delete(key);
        } else {
            holders.first = holders.more->back();
            holders.more->pop_back();
        }
    }
}

void IndexedList::Compact() {
    std::vector<PK::USize> renumbered(_slots.GetSize(), npos);
    std::vector<Base::MergeKey> pool;
    if (_indexed) pool.reserve(_keyPool.size());
    PK::USize next = 0;
    for (PK::USize slot = 0; slot < _slots.GetSize(); ++slot) {
        if (_slots[slot] == nullptr) continue;
        renumbered[slot] = next;
        if (next != slot) _slots[next] = std::move(_slots[slot]);
        if (_indexed) {
            const std::span<const Base::MergeKey> keys = KeysAt(slot);
            _keys[next] = {static_cast<PK::UInt32>(pool.size()), static_cast<PK::UInt32>(keys.size())};
            pool.insert(pool.end(), keys.begin(), keys.end());
        }
        ++next;
    }
    _slots.SetSize(next);
    _leaves = 0;
    if (!_indexed) return;
    _keys.resize(next);
    _keyPool = std::move(pool);
    for (auto& [guid, entry] : _byGuid) entry.first = static_cast<PK::UInt32>(renumbered[entry.first]);
    for (auto& [key, holders] : _byKey) {
        holders.first = renumbered[holders.first];
        if (holders.more)
            for (PK::USize& slot : *holders.more) slot = renumbered[slot];
    }
}

void IndexedList::BuildTimes() {
    _leaves = 1;
    while (_leaves < _slots.GetSize() * 2) _leaves *= 2;
    _times.assign(2 * _leaves, holeTime);
    for (PK::USize slot = 0; slot < _slots.GetSize(); ++slot)
        if (_slots[slot] != nullptr) _times[_leaves + slot] = _slots[slot]->CreationTime();
    for (PK::USize node = _leaves - 1; node > 0; --node)
        _times[node] = std::max(_times[2 * node], _times[2 * node + 1]);
}

void IndexedList::SetTime(PK::USize slot, PK::Int32 time) {
    PK::USize node = _leaves + slot;
    _times[node] = time;
    for (node /= 2; node > 0; node /= 2) _times[node] = std::max(_times[2 * node], _times[2 * node + 1]);
}

}  // namespace TessaryConnect::Model::Issue
