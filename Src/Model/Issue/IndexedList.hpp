#pragma once
// The issue list behind Collection: the issues in the order they were added,
// with the look-ups the collection makes instead of walking the list (an
// issue by GUID or by object, the issues that share a merge key with another,
// the first issue created later than another).
//
// Removing an issue leaves a hole in its slot, so taking issues out one after
// another copies nothing; slot numbers stay valid until CompactIfSparse or
// View closes the holes. The look-ups are built on first use, so a list that
// is only read and written back never pays for them.
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "Model/Issue/Base.hpp"
#include "PK/Array.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"

namespace TessaryConnect::Model::Issue {

class IndexedList {
public:
    using Issues = PK::Array<std::shared_ptr<Base>>;
    using Keys = PK::Array<Base::MergeKey>;
    static constexpr PK::USize npos = PK::MaxUSize;

    IndexedList();
    ~IndexedList();
    IndexedList(const IndexedList&) = delete;
    IndexedList& operator=(const IndexedList&) = delete;

    // The issue's merge keys, sorted, each once.
    static Keys KeysOf(const Base& issue);
    // Whether a was created later than b; of two made in the same second,
    // the one with the greater GUID, so that every member decides alike.
    static bool IsNewer(const Base& a, const Base& b);

    void Assign(Issues issues);
    void Clear();
    // Room for this many slots, and their look-ups, before a run of appends.
    void Reserve(PK::USize slots);

    PK::USize GetSize() const { return _live; }
    // Slots, holes included: the bound of slot numbers.
    PK::USize GetSlotCount() const { return _slots.GetSize(); }
    // The issue in a slot; null for a hole.
    const std::shared_ptr<Base>& At(PK::USize slot) const { return _slots[slot]; }
    // The issues in order, without holes.
    const Issues& View();

    // Keys are the issue's KeysOf, or taken before it lost members.
    void Append(std::shared_ptr<Base> issue, const Keys& keys);
    void Erase(PK::USize slot);
    // The issue in the slot lost members: its keys follow.
    void Rekey(PK::USize slot);
    // Closes the holes once they outnumber the issues.
    void CompactIfSparse();

    // The first slot holding an issue with this GUID, or npos.
    PK::USize FindGuid(const PK::Guid& guid);
    // The slot holding this very object, or npos.
    PK::USize FindObject(const Base* issue);
    // The first slot whose issue was created later than this one, or
    // GetSlotCount().
    PK::USize FirstCreatedLater(const Base& issue);
    // The slots of the issues holding any of these keys, last first.
    std::vector<PK::USize> SlotsSharing(const Keys& keys);

private:
    // The look-ups are kept small: they are what a large list's work misses the processor's caches on.
    struct GuidEntry {
        PK::UInt32 first = 0;  // the first slot with the GUID
        PK::UInt32 count = 0;
    };
    // The slots holding one key: nearly always a single one.
    struct Holders {
        PK::USize first = npos;
        std::unique_ptr<std::vector<PK::USize>> more;  // made for a second holder
    };

    // A slot's merge keys: a run of the key pool.
    struct KeyRun {
        PK::UInt32 offset = 0;
        PK::UInt32 count = 0;
    };
    std::span<const Base::MergeKey> KeysAt(PK::USize slot) const {
        return {_keyPool.data() + _keys[slot].offset, _keys[slot].count};
    }
    // In place where the run has room (keys only ever lose members), else at the pool's end.
    void SetKeys(PK::USize slot, const Keys& keys);

    void EnsureIndexed();
    void Index(PK::USize slot);
    void Unindex(PK::USize slot);
    void AddKeys(PK::USize slot);
    void RemoveKeys(PK::USize slot);
    void Compact();

    // A tree of maxima over the slots' creation times, so that the first
    // slot created later than a given time is found in logarithmic time.
    // Built only when an issue older than the newest held one arrives.
    void BuildTimes();
    void SetTime(PK::USize slot, PK::Int32 time);

    Issues _slots;
    PK::USize _live = 0;
    bool _indexed = false;
    // The keys of every slot in one array, so that an issue's keys cost no allocation of their own.
    std::vector<KeyRun> _keys;  // by slot
    std::vector<Base::MergeKey> _keyPool;
    PK::HashTable<PK::Guid, GuidEntry> _byGuid;
    PK::HashTable<Base::MergeKey, Holders> _byKey;
    PK::Int32 _latestTime;          // no held issue was created later
    std::vector<PK::Int32> _times;  // leaves from _leaves on; node i holds the max of 2i and 2i+1
    PK::USize _leaves = 0;          // 0: no tree
};

}  // namespace TessaryConnect::Model::Issue
