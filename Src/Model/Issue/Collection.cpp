#include "Model/Issue/Collection.hpp"

#include <algorithm>
#include <ostream>
#include <vector>

#include "IO/MemoryChannel.hpp"
#include "Model/Errors.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "PK/Time.hpp"
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

}  // namespace

const PK::ClassInfo Collection::classInfo("Model::Issue::Collection", PK::Guid("c5de7453-ac8d-421c-b1c3-8694851fd4d8"),
                                          PK::ClassVersion(1, 0));

Collection::Collection(const ConnectionWithSpecification& connection) : _connection(connection) {}

void Collection::Clear() { _container.Clear(); }

void Collection::Stamp(const PK::Guid& guid) {
    _deleted.Add(guid, TIGetTime());  // an earlier stamp stays
}

void Collection::DropMarked(const std::vector<bool>& drop) {
    Issues kept;
    kept.Reserve(_container.GetSize());
    for (PK::USize i = 0; i < _container.GetSize(); ++i) {
        if (!drop[i]) {
            kept.Push(std::move(_container[i]));
        } else if (_container[i] != nullptr) {
            Stamp(_container[i]->Guid());
        }
    }
    _container = std::move(kept);
}

void Collection::AddIssue(std::shared_ptr<Base> issue) {
    Insert(std::move(issue));
    CleanupDeleted();
}

void Collection::Insert(std::shared_ptr<Base> issue) {
    if (!TC_ASSERT(err, issue != nullptr)) return;

    // The same issue again (another version's copy): one entry is kept.
    for (PK::USize i = 0; i < _container.GetSize(); ++i) {
        const std::shared_ptr<Base>& held = _container[i];
        if (held == nullptr || held->Guid() != issue->Guid()) continue;
        if (held != issue) held->MergeCopy(*issue);
        if (held->IsEmpty()) {
            Stamp(held->Guid());
            _container.Delete(i);
        }
        return;
    }

    // Issues created after the new one are asked first whether they cover it;
    // an equal creation time counts as older.
    const PK::USize size = _container.GetSize();
    PK::USize firstNewer = size;
    for (PK::USize i = 0; i < size; ++i) {
        if (_container[i] != nullptr && _container[i]->CreationTime() > issue->CreationTime()) {
            firstNewer = i;
            break;
        }
    }
    for (PK::USize j = size; j-- > firstNewer;) {
        if (_container[j] == nullptr) continue;
        if (_container[j]->MergeFrom(issue).remove) {
            Stamp(issue->Guid());
            return;
        }
    }

    std::vector<bool> drop(size, false);
    for (PK::USize j = firstNewer; j-- > 0;) {
        if (_container[j] == nullptr) continue;
        drop[j] = issue->MergeFrom(_container[j]).remove;
    }
    DropMarked(drop);
    _container.Push(std::move(issue));
}

bool Collection::AddIssues(Issues&& issues) {
    Issues taken = std::move(issues);
    for (auto& issue : taken) AddIssue(std::move(issue));
    return !taken.IsEmpty();
}

void Collection::Remove(const std::shared_ptr<Base>& issue) { Remove(Issues{issue}); }

void Collection::Remove(const Issues& issues) {
    PK::HashSet<const Base*> wanted;
    for (const auto& issue : issues)
        if (issue != nullptr) wanted.Add(issue.get());

    std::vector<bool> drop(_container.GetSize(), false);
    bool removedAny = false;
    for (PK::USize i = 0; i < _container.GetSize(); ++i) {
        // Only the first entry holding an object goes, as if each were removed in turn.
        if (_container[i] != nullptr && wanted.Delete(_container[i].get())) {
            drop[i] = true;
            removedAny = true;
        }
    }
    if (!removedAny) return;
    DropMarked(drop);
    CleanupDeleted();
}

bool Collection::RefreshAndRemoveIrrelevantElems(const PK::Array<PK::Guid>& elements) {
    PK::HashSet<PK::Guid> handled;
    for (const PK::Guid& element : elements) handled.Add(element);
    bool changed = false;
    std::vector<bool> drop(_container.GetSize(), false);
    for (PK::USize i = _container.GetSize(); i > 0; --i) {
        if (!TC_ASSERT(critical, this->_container[i - 1] != nullptr)) {
            drop[i - 1] = true;
            changed = true;
            continue;
        }
        const Outcome outcome = _container[i - 1]->Refresh(_connection, handled);
        changed = changed || outcome.remove || outcome.changed;
        // An issue that no longer says anything goes, whatever its kind's refresh said.
        if (outcome.remove || _container[i - 1]->IsEmpty()) {
            drop[i - 1] = true;
            changed = true;
        }
    }
    if (changed) {
        DropMarked(drop);
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
        _container.DeleteIf([this](const std::shared_ptr<Base>& issue) {
            return issue != nullptr && _deleted.ContainsKey(issue->Guid());
        });
    }

    for (const auto& theirs : other._container) {
        if (theirs == nullptr || _deleted.ContainsKey(theirs->Guid())) continue;
        // A copy: the other collection's issues must not change along with ours.
        // No cut of the stamps before all of theirs are in: a cut here could
        // drop the stamp that keeps one of their later issues out.
        Insert(std::shared_ptr<Base>(theirs->Clone()));
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
    for (const auto& [guid, stamp] : entries) _deleted.Add(guid, stamp);
    return true;
}

PKErrCode Collection::Read(PK::IChannel& ic) {
    if (PKErrCode err = ic.GetInputStatus(); err != PK::NoError) return err;
    PK::InputFrame frame(ic, classInfo);
    if (frame.GetMainVersion() > classInfo.GetVersion().GetMainVersion()) throw Error::VersionIncompatibility();
    if (PKErrCode err = frame.GetStatus(); err != PK::NoError) return err;

    _container.Clear();
    PK::UInt32 count = 0;
    if (PKErrCode err = ic.Read(count); err != PK::NoError) return err;

    // Each record is read from a copy of its own: since frames carry their
    // length, a record this version cannot read (an unknown kind, a newer
    // version, damaged fields) costs that one issue, not the list and stamps.
    // A record whose frame cannot be taken off the channel leaves no way to
    // the records after it: that throws, as an unreadable issue does, so the
    // connection keeps the rest of its data and reports the lost issues.
    PK::Array<PK::UniString> skipped;
    for (PK::UInt32 i = 0; i < count; ++i) {
        PK::Guid classId;
        if (PKErrCode err = ic.Read(classId); err != PK::NoError) TC_LOG_AND_THROW_ERRCODE(err);
        IO::MemoryOChannel32 copy;
        copy.SetByteOrder(ic.GetByteOrder());
        copy.Write(classId);
        if (PKErrCode err = PK::CopyFrame(ic, copy); err != PK::NoError) TC_LOG_AND_THROW_ERRCODE(err);

        IO::MemoryIChannel32 record(copy.GetDestination(), copy.GetDataSize());
        record.SetByteOrder(ic.GetByteOrder());
        try {
            _container.Push(std::shared_ptr<Base>(Base::CreateAndRead(record)));
        } catch (const std::exception& e) {
            LOG_ERROR("Issue record({} of {}) skipped, classId({}): {}", i + 1, count, classId, e);
            skipped.Push(UnreadableRecordHint(i, count, classId, e.what()));
        } catch (...) {
            LOG_ERROR("Issue record({} of {}) skipped, classId({}): unknown exception", i + 1, count, classId);
            skipped.Push(UnreadableRecordHint(i, count, classId, "unknown"));
        }
    }

    if (PKErrCode err = ic.Read(_deleted); err != PK::NoError) return err;
    frame.Close();
    for (const auto& hint : skipped) Add<UnknownError>(hint);
    return ic.GetInputStatus();
}

PKErrCode Collection::Write(PK::OChannel& oc) const {
    PK::OutputFrame frame(oc, classInfo);
    const auto count = static_cast<PK::UInt32>(
        std::count_if(_container.begin(), _container.end(), [](const auto& issue) { return issue != nullptr; }));
    if (PKErrCode err = oc.Write(count); err != PK::NoError) return err;
    for (const auto& issue : _container) {
        if (issue == nullptr) continue;
        if (PKErrCode err = issue->WriteWithType(oc); err != PK::NoError) return err;
    }
    if (PKErrCode err = oc.Write(_deleted); err != PK::NoError) return err;
    frame.Close();
    return oc.GetOutputStatus();
}

std::ostream& operator<<(std::ostream& os, const Collection& collection) {
    os << "{issues: [";
    const char* separator = "";
    for (const auto& issue : collection.Get()) {
        if (issue == nullptr) continue;
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
