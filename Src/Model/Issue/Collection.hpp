#pragma once
// A connection's issues, in the order they were added, with a table of the
// GUIDs of issues that left the list and when (removal stamps).
//
// Adding merges: the newer of two issues absorbs the older one as far as its
// kind allows (Base::MergeFrom), so repeated failures do not pile up. Issues
// are offered to each other only when they share a merge key (Base::
// GetMergeKeys), so adding costs what the issue has in common with the list,
// not the list's length; an issue emptied in place (a fixed title issue) is
// therefore met only by issues of its keys, and the refresh that follows
// every add drops it. The stamps are what a team-work merge (MergeIn) goes
// by: an issue stamped on either side does not come back from the other, and
// the stamps travel with the collection. An issue is stamped whenever it
// leaves the list for good: removed by the user or a fix, absorbed by a newer
// one, or emptied by a refresh. Only Clear leaves no stamps. The table is
// bounded: past 4000 entries it is cut back to the 2000 latest.
//
// Issue records of a later version of the add-on (a kind this version does
// not know, or a newer version of a kind) are kept unread, travel through
// merges and are written back as they came, after the listed issues. A whole
// list of a later version is kept the same way and written back unchanged
// instead of the list: issues this version adds meanwhile are listed, but
// only the later version's list is stored, so another member's issues are
// never lost. A merge takes the other side's later list. Records are written
// little-endian only, so a later record read in the other byte order cannot
// be kept: it is skipped as a damaged record is, and such a list fails the
// read.
#include <iosfwd>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "Model/Issue/Base.hpp"
#include "Model/Issue/IndexedList.hpp"
#include "PK/Array.hpp"
#include "PK/HashTable.hpp"

namespace TessaryConnect::Model::Issue {

class Collection {
public:
    using Issues = PK::Array<std::shared_ptr<Base>>;
    using DeletedTable = PK::HashTable<PK::Guid, PK::Int32>;

    static const PK::ClassInfo classInfo;
    static constexpr PK::USize deletedCutThreshold = 4000;
    static constexpr PK::USize deletedKeptAfterCut = 2000;

    explicit Collection(const ConnectionWithSpecification& connection);
    Collection(const Collection&) = delete;
    Collection& operator=(const Collection&) = delete;

    // Replaces the list and the stamps by the stored ones; a list of a later
    // version is kept unread instead, with no issues and no stamps. A damaged issue
    // record is skipped and logged, and the list gets one UnknownError naming
    // it. Channel errors outside the issue records are returned; an issue
    // record that cannot be taken off the channel throws the typed host error.
    // A read that fails leaves the collection as it was.
    PKErrCode Read(PK::IChannel& ic);
    PKErrCode Write(PK::OChannel& oc) const;

    // Empties the list (kept records and lists of a later version too); the stamps
    // stay, so a later merge still keeps removed issues out.
    void Clear();

    void AddIssue(std::shared_ptr<Base> issue);
    // AddIssue for each in order; true when the array held any issue, however
    // they merged.
    bool AddIssues(Issues&& issues);
    template <typename Kind, typename... Args>
    void Add(Args&&... args) {
        AddIssue(std::make_shared<Kind>(std::forward<Args>(args)...));
    }

    const Issues& Get() const { return _list.View(); }
    const DeletedTable& GetDeleted() const { return _deleted; }
    template <typename Kind>
    PK::Array<std::shared_ptr<Kind>> GetIssuesByType() const;

    // Removes these very objects (not other objects with the same GUID) and
    // stamps them.
    void Remove(const std::shared_ptr<Base>& issue);
    void Remove(const Issues& issues);
    template <typename Kind>
    void RemoveTs(const PK::Array<std::shared_ptr<Kind>>& issues);

    // Refreshes every issue against the elements just handled (and the host's
    // present state) and drops the ones left empty. True when anything changed.
    bool RefreshAndRemoveIrrelevantElems(const PK::Array<PK::Guid>& elements);

    // Takes in another version of this collection (a team member's). Each
    // of their issues meets ours as the newer or the older by creation time,
    // and of two made in the same second the one with the greater GUID counts
    // as the newer, so both members keep the same one. True when this one
    // may have changed.
    bool MergeIn(const Collection& other);

private:
    // An issue record of a later version, as it was stored.
    struct KeptRecord {
        PK::Guid classId;
        PK::ByteOrder byteOrder;
        std::vector<char> frame;  // header and content
        friend bool operator==(const KeptRecord&, const KeptRecord&) = default;
    };

    // Where an issue comes from decides which held issues count as newer: for
    // a new failure, those from the first one created later on (an equal
    // time counts as older); for another member's issue, each by its age.
    enum class Arrival { NewFailure, FromMember };
    // AddIssue without bounding the stamp table.
    void Insert(std::shared_ptr<Base> issue, Arrival arrival);
    void Stamp(const PK::Guid& guid);
    // Stamps and removes the issues in these slots, in list order.
    void Drop(std::vector<PK::USize> slots);
    bool CleanupDeleted();

    const ConnectionWithSpecification& _connection;
    mutable IndexedList _list;
    PK::Array<KeptRecord> _kept;
    std::optional<KeptRecord> _laterList;
    DeletedTable _deleted;
};

std::ostream& operator<<(std::ostream& os, const Collection& collection);

template <typename Kind>
PK::Array<std::shared_ptr<Kind>> Collection::GetIssuesByType() const {
    PK::Array<std::shared_ptr<Kind>> result;
    for (const auto& issue : Get())
        if (auto kind = std::dynamic_pointer_cast<Kind>(issue)) result.Push(std::move(kind));
    return result;
}

template <typename Kind>
void Collection::RemoveTs(const PK::Array<std::shared_ptr<Kind>>& issues) {
    Issues bases;
    bases.Reserve(issues.GetSize());
    for (const auto& issue : issues) bases.Push(issue);
    Remove(bases);
}

}  // namespace TessaryConnect::Model::Issue

TC_OSTREAM_FORMATTER(TessaryConnect::Model::Issue::Collection);
