#include "Model/Issue/Collection.hpp"

#include <algorithm>
#include <ostream>
#include <vector>

#include "IO/MemoryChannel.hpp"
#include "Model/Errors.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "PK/Time.hpp"
#include "Util/AddonRuntimeError.hpp"
#include "Torvel/Api/ModulDataWrapper.hpp"
#include "Torvel/Api/ThrowError.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model::Issue {

namespace {

// What the user and the log are told about an issue record that was skipped.
PK::UniString UnreadableRecordHint(PK::UInt32 index, PK::UInt32 count, const PK::Guid& classId,
                                   const std::string& reason) {
    const PK::ClassInfo* info = PK::classManager.FindClassInfo(classId);
    std::string className = info != nullptr ? info->GetName() : "unknown class";
    return PK::UniString(fmt::format("Issue::Collection read error: issue {} of {} ({} {}): {}", index + 1, count,
                                     className, classId.ToUniString().ToCStr(), reason));
}

// Records are written in this order only. Copied into it unread, the fields of a record kept in the other order
// would read as other values, for every version.
constexpr PK::ByteOrder writtenByteOrder = PK::ByteOrder::LittleEndian;
static_assert(Api::ModulDataWrapper::PlatformSign == IO::PlatformSignLittleEndian);

}  // namespace

const PK::ClassInfo Collection::classInfo("Model::Issue::Collection", PK::Guid("c5de7453-ac8d-421c-b1c3-8694851fd4d8"),
                                          PK::ClassVersion(1, 0));

Collection::Collection(const ConnectionWithSpecification& connection) : _connection(connection) {}

void Collection::Clear() {
    _list.Clear();
    _kept.Clear();
    _laterList.reset();
}

void Collection::Stamp(const PK::Guid& guid) {
    _deleted.Add(guid, TIGetTime());  // an earlier stamp stays
}

void Collection::Drop(std::vector<PK::USize> slots) {
    std::sort(slots.begin(), slots.end());
    for (PK::USize slot : slots) {
        Stamp(_list.At(slot)->Guid());
        _list.Erase(slot);
    }
}

void Collection::AddIssue(std::shared_ptr<Base> issue) {
    Insert(std::move(issue), Arrival::NewFailure);
    CleanupDeleted();
}

void Collection::Insert(std::shared_ptr<Base> issue, Arrival arrival) {
    if (!TC_ASSERT(err, issue != nullptr)) return;

    // The same issue again (another version's copy): one entry is kept.
    if (const PK::USize slot = _list.FindGuid(issue->Guid()); slot != IndexedList::npos) {
        const std::shared_ptr<Base>& held = _list.At(slot);
        if (held != issue && held->MergeCopy(*issue)) _list.Rekey(slot);
        if (held->IsEmpty()) Drop({slot});
        return;
    }

    // The newer issues are asked first, from the last back, whether they
    // cover the new one; then the new one absorbs what it covers of the
    // older ones. Only issues sharing a key can merge; an empty new issue is
    // offered to all, which answer it as their kind does.
    IndexedList::Keys keys = IndexedList::KeysOf(*issue);
    std::vector<PK::USize> candidates;
    if (issue->IsEmpty()) {
        for (PK::USize slot = _list.GetSlotCount(); slot-- > 0;)
            if (_list.At(slot) != nullptr) candidates.push_back(slot);
    } else {
        candidates = _list.SlotsSharing(keys);
    }
    const PK::USize firstCreatedLater = arrival == Arrival::NewFailure ? _list.FirstCreatedLater(*issue) : 0;
    const auto isNewer = [&](PK::USize slot) {
        return arrival == Arrival::NewFailure ? slot >= firstCreatedLater
                                              : IndexedList::IsNewer(*_list.At(slot), *issue);
    };
    for (PK::USize slot : candidates) {
        if (isNewer(slot) && _list.At(slot)->MergeFrom(issue).remove) {
            Stamp(issue->Guid());
            return;
        }
    }
    std::vector<PK::USize> absorbed;
    for (PK::USize slot : candidates) {
        if (isNewer(slot)) continue;
        const Outcome outcome = issue->MergeFrom(_list.At(slot));
        if (outcome.remove)
            absorbed.push_back(slot);
        else if (outcome.changed)
            _list.Rekey(slot);
    }
    Drop(std::move(absorbed));
    _list.Append(std::move(issue), std::move(keys));
    _list.CompactIfSparse();
}

bool Collection::AddIssues(Issues&& issues) {
    Issues taken = std::move(issues);
    for (auto& issue : taken) AddIssue(std::move(issue));
    return !taken.IsEmpty();
}

void Collection::Remove(const std::shared_ptr<Base>& issue) { Remove(Issues{issue}); }

void Collection::Remove(const Issues& issues) {
    bool removedAny = false;
    for (const auto& issue : issues) {
        const PK::USize slot = issue != nullptr ? _list.FindObject(issue.get()) : IndexedList::npos;
        if (slot == IndexedList::npos) continue;
        Stamp(issue->Guid());
        _list.Erase(slot);
        removedAny = true;
    }
    if (!removedAny) return;
    _list.CompactIfSparse();
    CleanupDeleted();
}

bool Collection::RefreshAndRemoveIrrelevantElems(const PK::Array<PK::Guid>& elements) {
    PK::HashSet<PK::Guid> handled;
    for (const PK::Guid& element : elements) handled.Add(element);
    bool changed = false;
    std::vector<PK::USize> emptied;
    for (PK::USize slot = _list.GetSlotCount(); slot-- > 0;) {
        const std::shared_ptr<Base>& issue = _list.At(slot);
        if (issue == nullptr) continue;
        const Outcome outcome = issue->Refresh(_connection, handled);
        changed = changed || outcome.remove || outcome.changed;
        // An issue that no longer says anything goes, whatever its kind's refresh said.
        if (outcome.remove || issue->IsEmpty()) {
            emptied.push_back(slot);
            changed = true;
        } else if (outcome.changed) {
            _list.Rekey(slot);
        }
    }
    if (changed) {
        Drop(std::move(emptied));
        _list.CompactIfSparse();
        CleanupDeleted();
    }
    return changed;
}

bool Collection::MergeIn(const Collection& other) {
    bool changed = false;

    for (const auto& [guid, stamp] : other._deleted) {
        _deleted.Add(guid, stamp);  // a stamp held here already stays
        changed = true;
    }
    if (!other._deleted.IsEmpty()) {
        // Every entry of a stamped issue goes, not only the first.
        for (PK::USize slot = 0; slot < _list.GetSlotCount(); ++slot)
            if (_list.At(slot) != nullptr && _deleted.ContainsKey(_list.At(slot)->Guid())) _list.Erase(slot);
    }

    _list.Reserve(_list.GetSlotCount() + other._list.GetSize());
    for (const auto& theirs : other._list.View()) {
        if (_deleted.ContainsKey(theirs->Guid())) continue;
        // A copy: the other collection's issues must not change along with ours.
        // No cut of the stamps before all of theirs are in: a cut here could
        // drop the stamp that keeps one of their later issues out.
        Insert(theirs->CloneShared(), Arrival::FromMember);
        changed = true;
    }
    for (const KeptRecord& record : other._kept) {
        if (_kept.Contains(record)) continue;
        _kept.Push(record);
        changed = true;
    }
    if (other._laterList.has_value() && _laterList != other._laterList) {
        _laterList = other._laterList;
        changed = true;
    }

    const bool refreshed = RefreshAndRemoveIrrelevantElems({});
    const bool cut = CleanupDeleted();
    return changed || refreshed || cut;
}

bool Collection::CleanupDeleted() {
    if (_deleted.GetSize() < deletedCutThreshold) return false;
    std::vector<std::pair<PK::Guid, PK::Int32>> entries;
    entries.reserve(_deleted.GetSize());
    for (const auto& entry : _deleted) entries.push_back(entry);
    std::partial_sort(entries.begin(), entries.begin() + deletedKeptAfterCut, entries.end(),
                      [](const auto& a, const auto& b) { return a.second > b.second; });
    entries.resize(deletedKeptAfterCut);
    _deleted.Clear();
    // Room up to the next cut, so that neither these nor the stamps after them make the table grow again.
    _deleted.Reserve(deletedCutThreshold);
    for (const auto& [guid, stamp] : entries) _deleted.Add(guid, stamp);
    return true;
}

PKErrCode Collection::Read(PK::IChannel& ic) {
    if (PKErrCode err = ic.GetInputStatus(); err != PK::NoError) return err;
    // The list is taken off the channel whole first, so that one of a later
    // version can be kept as it came.
    PK::FrameBytes list;
    if (PKErrCode err = PK::TakeFrame(ic, list); err != PK::NoError) return err;
    IO::MemoryIChannel32 in(list.GetData(), list.GetSize());
    in.SetByteOrder(list.GetByteOrder());
    PK::InputFrame frame(in, classInfo);
    if (frame.GetMainVersion() > classInfo.GetVersion().GetMainVersion()) {
        if (list.GetByteOrder() != writtenByteOrder)
            TC_THROW_RUNTIME("an issue list of a later version in another byte order cannot be kept");
        LOG_WARN("Issue::Collection of a later version({}) kept unread", frame.GetVersion());
        const char* bytes = static_cast<const char*>(list.GetData());
        _list.Clear();
        _kept.Clear();
        _deleted.Clear();
        _laterList =
            KeptRecord{classInfo.GetId(), list.GetByteOrder(), std::vector<char>(bytes, bytes + list.GetSize())};
        return PK::NoError;
    }
    if (PKErrCode err = frame.GetStatus(); err != PK::NoError) return err;

    PK::UInt32 count = 0;
    if (PKErrCode err = in.Read(count); err != PK::NoError) return err;

    // Each record is read on a channel of its own: since frames carry their
    // length, a record this version cannot read costs that one issue, not
    // the list and stamps. A record whose frame cannot be taken off the
    // channel leaves no way to the records after it: that throws, as an
    // unreadable issue does, so the connection keeps the rest of its data and
    // reports the lost issues.
    Issues issues;
    PK::Array<KeptRecord> kept;
    PK::Array<PK::UniString> skipped;
    for (PK::UInt32 i = 0; i < count; ++i) {
        PK::Guid classId;
        if (PKErrCode err = in.Read(classId); err != PK::NoError) TC_LOG_AND_THROW_ERRCODE(err);
        PK::FrameBytes stored;
        if (PKErrCode err = PK::TakeFrame(in, stored); err != PK::NoError) TC_LOG_AND_THROW_ERRCODE(err);
        const auto keep = [&] {
            if (stored.GetByteOrder() != writtenByteOrder) {
                LOG_ERROR("Issue record({} of {}) of a later version in another byte order skipped, classId({})", i + 1,
                          count, classId);
                skipped.Push(UnreadableRecordHint(i, count, classId, "a later version's, in another byte order"));
                return;
            }
            LOG_WARN("Issue record({} of {}) of a later version kept unread, classId({})", i + 1, count, classId);
            const char* bytes = static_cast<const char*>(stored.GetData());
            kept.Push({classId, stored.GetByteOrder(), std::vector<char>(bytes, bytes + stored.GetSize())});
        };
        const PK::ClassInfo* info = PK::classManager.FindClassInfo(classId);
        if (info == nullptr) {
            keep();
            continue;
        }
        IO::MemoryIChannel32 record(stored.GetData(), stored.GetSize());
        record.SetByteOrder(stored.GetByteOrder());
        try {
            issues.Push(std::shared_ptr<Base>(Base::CreateAndRead(*info, record)));
        } catch (const Error::VersionIncompatibility&) {
            keep();
        } catch (const std::exception& e) {
            LOG_ERROR("Issue record({} of {}) skipped, classId({}): {}", i + 1, count, classId, e);
            skipped.Push(UnreadableRecordHint(i, count, classId, e.what()));
        } catch (...) {
            LOG_ERROR("Issue record({} of {}) skipped, classId({}): unknown exception", i + 1, count, classId);
            skipped.Push(UnreadableRecordHint(i, count, classId, "unknown"));
        }
    }

    DeletedTable deleted;
    if (PKErrCode err = in.Read(deleted); err != PK::NoError) return err;
    frame.Close();
    if (PKErrCode err = in.GetInputStatus(); err != PK::NoError) return err;

    _list.Assign(std::move(issues));
    _kept = std::move(kept);
    _laterList.reset();
    _deleted = std::move(deleted);
    for (const auto& hint : skipped) Add<UnknownError>(hint);
    return PK::NoError;
}

PKErrCode Collection::Write(PK::OChannel& oc) const {
    if (_laterList.has_value()) {
        IO::MemoryIChannel32 stored(_laterList->frame.data(), _laterList->frame.size());
        stored.SetByteOrder(_laterList->byteOrder);
        if (PKErrCode err = PK::CopyFrame(stored, oc); err != PK::NoError) return err;
        return oc.GetOutputStatus();
    }
    PK::OutputFrame frame(oc, classInfo);
    const Issues& issues = Get();
    const auto count = static_cast<PK::UInt32>(issues.GetSize() + _kept.GetSize());
    if (PKErrCode err = oc.Write(count); err != PK::NoError) return err;
    for (const auto& issue : issues)
        if (PKErrCode err = issue->WriteWithType(oc); err != PK::NoError) return err;
    for (const KeptRecord& record : _kept) {
        if (PKErrCode err = oc.Write(record.classId); err != PK::NoError) return err;
        IO::MemoryIChannel32 stored(record.frame.data(), record.frame.size());
        stored.SetByteOrder(record.byteOrder);
        if (PKErrCode err = PK::CopyFrame(stored, oc); err != PK::NoError) return err;
    }
    if (PKErrCode err = oc.Write(_deleted); err != PK::NoError) return err;
    frame.Close();
    return oc.GetOutputStatus();
}

std::ostream& operator<<(std::ostream& os, const Collection& collection) {
    os << "{issues: [";
    const char* separator = "";
    for (const auto& issue : collection.Get()) {
        os << separator << *issue;
        separator = ", ";
    }
    os << "], deleted: [";
    separator = "";
    for (const auto& [guid, stamp] : collection.GetDeleted()) {
        os << separator << "(" << guid << "," << stamp << ")";
        separator = ", ";
    }
    return os << "]}";
}

}  // namespace TessaryConnect::Model::Issue
