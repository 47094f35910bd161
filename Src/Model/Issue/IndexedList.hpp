#pragma once
// The issue list behind Collection: the issues in the order they were added,
// with the look-ups the collection makes instead of walking the list (an
// issue by GUID or by object, the issues that share a merge key with another,
// the first issue newer than another).
//
// Removing an issue leaves a hole in its slot, so taking issues out one after
// another copies nothing; slot numbers stay valid until Compact or View closes
// the holes. The look-ups are built on first use, so a list that is only read
// and written back never pays for them.
#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

#include "Model/Issue/Base.hpp"
#include "PK/Array.hpp"
#include "PK/Guid.hpp"

namespace TessaryConnect::Model::Issue {

class IndexedList {
public:
    using Issues = PK::Array<std::shared_ptr<Base>>;
    static constexpr PK::USize npos = PK::MaxUSize;

    IndexedList();
    ~IndexedList();
    IndexedList(const IndexedList&) = delete;
    IndexedList& operator=(const IndexedList&) = delete;

    void Assign(Issues issues);
    void Clear();

    PK::USize GetSize() const { return _live; }
    // Slots, holes included: the bound of slot numbers.
    PK::USize GetSlotCount() const { return _slots.GetSize(); }
    // The issue in a slot; null for a hole.
    const std::shared_ptr<Base>& At(PK::USize slot) const { return _slots[slot]; }
    // The issues in order, without holes.
    const Issues& View();

    void Append(std::shared_ptr<Base> issue);
    void Erase(PK::USize slot);
    // The issue in the slot changed (it lost elements): its keys follow.
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
    // Whether a was created later than b; of two made in the same second,
    // the one with the greater GUID, so that every member decides alike.
    static bool IsNewer(const Base& a, const Base& b) { return AgeOf(a) > AgeOf(b); }
    // The slots of the issues sharing a merge key with this one, last first.
    std::vector<PK::USize> SlotsSharingKeys(const Base& issue);

private:
    // Creation time, then the GUID's canonical bytes.
    struct Age {
        PK::Int32 time;
        PK::UInt64 high, low;
        friend auto operator<=>(const Age&, const Age&) = default;
    };
    struct Entry {
        PK::USize slot;
        PK::Array<Base::MergeKey> keys;  // sorted, without repeats
    };
    struct GuidEntry {
        PK::USize first;  // the first slot with the GUID
        PK::USize count;
    };

    static Age AgeOf(const Base& issue);
    static PK::Array<Base::MergeKey> KeysOf(const Base& issue);

    void EnsureIndexed();
    void Index(PK::USize slot);
    void Unindex(PK::USize slot);
    void AddKeys(const Base* issue, const PK::Array<Base::MergeKey>& keys);
    void RemoveKeys(const Base* issue, const PK::Array<Base::MergeKey>& keys);
    void Compact();

    // A tree of maxima over the slots' ages, so that the first slot holding
    // an issue created later than a given time is found in logarithmic time.
    void RebuildAges();
    void SetAge(PK::USize slot, const Age& age);

    Issues _slots;
    PK::USize _live = 0;
    bool _indexed = false;
    std::unordered_map<const Base*, Entry> _entries;
    std::unordered_map<PK::Guid, GuidEntry> _byGuid;
    std::unordered_map<Base::MergeKey, std::vector<const Base*>> _byKey;
    std::vector<Age> _ages;  // leaves from _leaves on; node i holds the max of 2i and 2i+1
    PK::USize _leaves = 0;
};

}  // namespace TessaryConnect::Model::Issue
