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
    _byGuid.clear();
    _byKey.clear();
    _latestTime = holeTime;
    _times.clear();
    _leaves = 0;
}

const IndexedList::Issues& IndexedList::View() {
    if (_live != _slots.GetSize()) Compact();
    return _slots;
}

void IndexedList::Append(std::shared_ptr<Base> issue, Keys keys) {
    EnsureIndexed();
    const PK::Int32 time = issue->CreationTime();
    _slots.Push(std::move(issue));
    _keys.push_back(std::move(keys));
    ++_live;
    const PK::USize slot = _slots.GetSize() - 1;
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
        _keys[slot].Clear();
        if (_leaves != 0) SetTime(slot, holeTime);
    }
    _slots[slot].reset();
    --_live;
}

void IndexedList::Rekey(PK::USize slot) {
    if (!_indexed) return;
    RemoveKeys(slot);
    _keys[slot] = KeysOf(*_slots[slot]);
    AddKeys(slot);
}

void IndexedList::CompactIfSparse() {
    const PK::USize holes = _slots.GetSize() - _live;
    if (holes > 16 && holes > _live) Compact();
}

PK::USize IndexedList::FindGuid(const PK::Guid& guid) {
    EnsureIndexed();
    auto it = _byGuid.find(guid);
    return it == _byGuid.end() ? npos : it->second.first;
}

PK::USize IndexedList::FindObject(const Base* issue) {
    EnsureIndexed();
    auto it = _byGuid.find(issue->Guid());
    if (it == _byGuid.end()) return npos;
    PK::USize seen = 0;
    for (PK::USize slot = it->second.first; seen < it->second.count; ++slot) {
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
        auto it = _byKey.find(key);
        if (it == _byKey.end()) continue;
        slots.push_back(it->second.first);
        slots.insert(slots.end(), it->second.more.begin(), it->second.more.end());
    }
    std::sort(slots.begin(), slots.end(), std::greater<>());
    slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
    return slots;
}

void IndexedList::EnsureIndexed() {
    if (_indexed) return;
    _indexed = true;
    _keys.assign(_slots.GetSize(), {});
    _byGuid.reserve(_slots.GetSize());
    for (PK::USize slot = 0; slot < _slots.GetSize(); ++slot) {
        if (_slots[slot] == nullptr) continue;
        _keys[slot] = KeysOf(*_slots[slot]);
        Index(slot);
        _latestTime = std::max(_latestTime, _slots[slot]->CreationTime());
    }
}

void IndexedList::Index(PK::USize slot) {
    AddKeys(slot);
    auto [it, added] = _byGuid.try_emplace(_slots[slot]->Guid(), GuidEntry{slot, 1});
    if (!added) ++it->second.count;
}

void IndexedList::Unindex(PK::USize slot) {
    RemoveKeys(slot);
    const PK::Guid& guid = _slots[slot]->Guid();
    auto entry = _byGuid.find(guid);
    if (--entry->second.count == 0) {
        _byGuid.erase(entry);
    } else if (entry->second.first == slot) {
        // Only stored data from before duplicates were kept out repeats a GUID.
        PK::USize next = slot + 1;
        while (_slots[next] == nullptr || _slots[next]->Guid() != guid) ++next;
        entry->second.first = next;
    }
}

void IndexedList::AddKeys(PK::USize slot) {
    for (Base::MergeKey key : _keys[slot]) {
        Holders& holders = _byKey[key];
        if (holders.first == npos)
            holders.first = slot;
        else
            holders.more.push_back(slot);
    }
}

void IndexedList::RemoveKeys(PK::USize slot) {
    for (Base::MergeKey key : _keys[slot]) {
        auto it = _byKey.find(key);
        Holders& holders = it->second;
        if (holders.first != slot) {
            *std::find(holders.more.begin(), holders.more.end(), slot) = holders.more.back();
            holders.more.pop_back();
        } else if (holders.more.empty()) {
            _byKey.erase(it);
        } else {
            holders.first = holders.more.back();
            holders.more.pop_back();
        }
    }
}

void IndexedList::Compact() {
    std::vector<PK::USize> renumbered(_slots.GetSize(), npos);
    PK::USize next = 0;
    for (PK::USize slot = 0; slot < _slots.GetSize(); ++slot) {
        if (_slots[slot] == nullptr) continue;
        renumbered[slot] = next;
        if (next != slot) {
            _slots[next] = std::move(_slots[slot]);
            if (_indexed) _keys[next] = std::move(_keys[slot]);
        }
        ++next;
    }
    _slots.SetSize(next);
    _leaves = 0;
    if (!_indexed) return;
    _keys.resize(next);
    for (auto& [guid, entry] : _byGuid) entry.first = renumbered[entry.first];
    for (auto& [key, holders] : _byKey) {
        holders.first = renumbered[holders.first];
        for (PK::USize& slot : holders.more) slot = renumbered[slot];
    }
}

void IndexedList::BuildTimes() {
    _leaves = 1;
    while (_leaves < _slots.GetSize() * 2) _leaves *= 2;
    _times.assign(2 * _leaves, holeTime);
    for (PK::USize slot = 0; slot < _slots.GetSize(); ++slot)
        if (_slots[slot] != nullptr) _times[_leaves + slot] = _slots[slot]->CreationTime();
    for (PK::USize node = _leaves - 1; node > 0; --node) _times[node] = std::max(_times[2 * node], _times[2 * node + 1]);
}

void IndexedList::SetTime(PK::USize slot, PK::Int32 time) {
    PK::USize node = _leaves + slot;
    _times[node] = time;
    for (node /= 2; node > 0; node /= 2) _times[node] = std::max(_times[2 * node], _times[2 * node + 1]);
}

}  // namespace TessaryConnect::Model::Issue
