#include "Model/Issue/IndexedList.hpp"

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>

namespace TessaryConnect::Model::Issue {

namespace {

// What a hole (or a slot past the end) weighs in the tree: never newer than anything.
constexpr PK::Int32 holeTime = std::numeric_limits<PK::Int32>::min();

}  // namespace

IndexedList::IndexedList() = default;
IndexedList::~IndexedList() = default;

IndexedList::Age IndexedList::AgeOf(const Base& issue) {
    const auto bytes = issue.Guid().ToBytes();
    PK::UInt64 high = 0, low = 0;
    for (int i = 0; i < 8; ++i) {
        high = high << 8 | bytes[i];
        low = low << 8 | bytes[8 + i];
    }
    return {issue.CreationTime(), high, low};
}

PK::Array<Base::MergeKey> IndexedList::KeysOf(const Base& issue) {
    PK::Array<Base::MergeKey> keys;
    issue.GetMergeKeys(keys);
    std::sort(keys.begin(), keys.end());
    keys.DeleteIf([previous = std::optional<Base::MergeKey>()](Base::MergeKey key) mutable {
        const bool repeated = previous == key;
        previous = key;
        return repeated;
    });
    return keys;
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
    _entries.clear();
    _byGuid.clear();
    _byKey.clear();
    _ages.clear();
    _leaves = 0;
}

const IndexedList::Issues& IndexedList::View() {
    if (_live != _slots.GetSize()) Compact();
    return _slots;
}

void IndexedList::Append(std::shared_ptr<Base> issue) {
    EnsureIndexed();
    _slots.Push(std::move(issue));
    ++_live;
    if (_slots.GetSize() > _leaves) RebuildAges();
    Index(_slots.GetSize() - 1);
}

void IndexedList::Erase(PK::USize slot) {
    if (_slots[slot] == nullptr) return;
    if (_indexed) Unindex(slot);
    _slots[slot].reset();
    --_live;
}

void IndexedList::Rekey(PK::USize slot) {
    if (!_indexed) return;
    const Base* issue = _slots[slot].get();
    Entry& entry = _entries.at(issue);
    PK::Array<Base::MergeKey> keys = KeysOf(*issue);
    RemoveKeys(issue, entry.keys);
    AddKeys(issue, keys);
    entry.keys = std::move(keys);
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
    auto it = _entries.find(issue);
    return it == _entries.end() ? npos : it->second.slot;
}

PK::USize IndexedList::FirstCreatedLater(const Base& issue) {
    EnsureIndexed();
    const Age bound{issue.CreationTime(), std::numeric_limits<PK::UInt64>::max(), std::numeric_limits<PK::UInt64>::max()};
    if (_leaves == 0 || !(_ages[1] > bound)) return _slots.GetSize();
    PK::USize node = 1;
    while (node < _leaves) node = _ages[2 * node] > bound ? 2 * node : 2 * node + 1;
    return node - _leaves;
}

std::vector<PK::USize> IndexedList::SlotsSharingKeys(const Base& issue) {
    EnsureIndexed();
    std::vector<PK::USize> slots;
    for (Base::MergeKey key : KeysOf(issue)) {
        auto it = _byKey.find(key);
        if (it == _byKey.end()) continue;
        for (const Base* held : it->second) slots.push_back(_entries.at(held).slot);
    }
    std::sort(slots.begin(), slots.end(), std::greater<>());
    slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
    return slots;
}

void IndexedList::EnsureIndexed() {
    if (_indexed) return;
    _indexed = true;
    RebuildAges();
    for (PK::USize slot = 0; slot < _slots.GetSize(); ++slot)
        if (_slots[slot] != nullptr) Index(slot);
}

void IndexedList::Index(PK::USize slot) {
    const Base* issue = _slots[slot].get();
    PK::Array<Base::MergeKey> keys = KeysOf(*issue);
    AddKeys(issue, keys);
    _entries.emplace(issue, Entry{slot, std::move(keys)});
    auto [it, added] = _byGuid.try_emplace(issue->Guid(), GuidEntry{slot, 1});
    if (!added) ++it->second.count;
    SetAge(slot, AgeOf(*issue));
}

void IndexedList::Unindex(PK::USize slot) {
    const Base* issue = _slots[slot].get();
    auto entry = _entries.find(issue);
    RemoveKeys(issue, entry->second.keys);
    _entries.erase(entry);
    auto guid = _byGuid.find(issue->Guid());
    if (--guid->second.count == 0) {
        _byGuid.erase(guid);
    } else if (guid->second.first == slot) {
        // Only stored data from before duplicates were kept out repeats a GUID.
        PK::USize next = slot + 1;
        while (_slots[next] == nullptr || _slots[next]->Guid() != issue->Guid()) ++next;
        guid->second.first = next;
    }
    SetAge(slot, {holeTime, 0, 0});
}

void IndexedList::AddKeys(const Base* issue, const PK::Array<Base::MergeKey>& keys) {
    for (Base::MergeKey key : keys) _byKey[key].push_back(issue);
}

void IndexedList::RemoveKeys(const Base* issue, const PK::Array<Base::MergeKey>& keys) {
    for (Base::MergeKey key : keys) {
        auto it = _byKey.find(key);
        std::vector<const Base*>& holders = it->second;
        *std::find(holders.begin(), holders.end(), issue) = holders.back();
        holders.pop_back();
        if (holders.empty()) _byKey.erase(it);
    }
}

void IndexedList::Compact() {
    Issues dense;
    dense.Reserve(_live);
    for (auto& issue : _slots)
        if (issue != nullptr) dense.Push(std::move(issue));
    _slots = std::move(dense);
    if (!_indexed) return;
    _byGuid.clear();
    for (PK::USize slot = 0; slot < _slots.GetSize(); ++slot) {
        const Base* issue = _slots[slot].get();
        _entries.at(issue).slot = slot;
        auto [it, added] = _byGuid.try_emplace(issue->Guid(), GuidEntry{slot, 1});
        if (!added) ++it->second.count;
    }
    RebuildAges();
}

void IndexedList::RebuildAges() {
    _leaves = 1;
    while (_leaves < _slots.GetSize() * 2) _leaves *= 2;
    _ages.assign(2 * _leaves, Age{holeTime, 0, 0});
    for (PK::USize slot = 0; slot < _slots.GetSize(); ++slot)
        if (_slots[slot] != nullptr) _ages[_leaves + slot] = AgeOf(*_slots[slot]);
    for (PK::USize node = _leaves - 1; node > 0; --node) _ages[node] = std::max(_ages[2 * node], _ages[2 * node + 1]);
}

void IndexedList::SetAge(PK::USize slot, const Age& age) {
    PK::USize node = _leaves + slot;
    _ages[node] = age;
    for (node /= 2; node > 0; node /= 2) _ages[node] = std::max(_ages[2 * node], _ages[2 * node + 1]);
}

}  // namespace TessaryConnect::Model::Issue
