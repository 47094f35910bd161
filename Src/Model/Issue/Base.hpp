#pragma once
// The base of every issue: a lasting record of something the add-on failed to
// do to the project on behalf of a connection. An issue has an identity (kept
// by copies and clones; the key of merging and of removal stamps), a creation
// time and a severity, and every kind answers its text, whether and how it can
// be fixed, whether it has become empty, and how it absorbs an older issue.
//
// Persistence: a kind writes its own class frame holding its fields and then
// its parent's record nested inside, down to Base (WriteLevel, ReadLevel).
// Inside a collection an issue is preceded by its class GUID (WriteWithType),
// so CreateAndRead can make the right kind through the class manager.
//
// A concrete kind derives from Issue::Kind (Model/Issue/Kind.hpp), which
// registers it and gives it Clone, its record and the common part of
// MergeFrom; the kind adds GetString, IsFixable, IsEmpty and DumpInner
// (parent's dump first), and Fix, Refresh, MergeCopy and GetMergeKeys where it
// has something to do there.
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <memory>

#include "PK/Array.hpp"
#include "PK/Channel.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"
#include "PK/Object.hpp"
#include "PK/UniString.hpp"
#include "Util/Formatters.hpp"
#include "Util/Placeholders.hpp"
#include "Util/Resource.hpp"

namespace TessaryConnect::Model {
class ConnectionWithSpecification;
}

namespace TessaryConnect::Model::Issue {

enum class Severity : PK::Int32 { Warning = 2, Error = 3 };

std::ostream& operator<<(std::ostream& os, Severity severity);

// What Refresh or MergeFrom did to the issue concerned (for Refresh the issue
// itself, for MergeFrom the older one).
struct Outcome {
    bool remove = false;   // it is empty or superseded: drop it
    bool changed = false;  // something in it changed

    friend bool operator==(const Outcome&, const Outcome&) = default;
};

class Base : public PK::Object {
public:
    static const PK::ClassInfo classInfo;

    // What two issues must share for one to absorb the other. A collection
    // offers a new issue only to the issues it holds that share a key with it,
    // not to every issue, so: MergeFrom between two issues without a common
    // key answers nothing in either direction, and an issue's keys may lose
    // members while it is held but never gain any. Equal keys of unrelated
    // values (a hash collision) cost a needless MergeFrom, nothing more.
    using MergeKey = std::size_t;
    static MergeKey MakeMergeKey(const PK::Guid& family, std::size_t valueHash);

    // Null GUID, creation time 0, severity Error: an object to be read.
    Base();
    // A new issue: a fresh GUID and the current time.
    explicit Base(Issue::Severity severity);
    // A copy is the same issue: same GUID, time and severity.
    Base(const Base& other) = default;
    Base& operator=(const Base&) = delete;
    ~Base() override;

    const PK::Guid& Guid() const { return _guid; }
    PK::Int32 CreationTime() const { return _creationTime; }
    Issue::Severity Severity() const { return _severity; }

    // A new heap copy of the same kind and identity; the caller owns it.
    Base* Clone() const override = 0;
    // The same, shared: the copy and its count in one allocation.
    virtual std::shared_ptr<Base> CloneShared() const = 0;
    const PK::ClassInfo* GetClassInfo() const override;
    // The base record; each kind reads and writes its own frame around it.
    PKErrCode Read(PK::IChannel& ic) override = 0;
    PKErrCode Write(PK::OChannel& oc) const override = 0;

    // The text shown to the user for this issue in that connection.
    virtual PK::UniString GetString(const ConnectionWithSpecification& connection) const = 0;
    virtual bool IsFixable() const = 0;
    virtual void Fix(ConnectionWithSpecification& connection);
    // True when the issue no longer says anything and is to be dropped.
    virtual bool IsEmpty() const = 0;
    // Forgets what the handled elements, or the host's present state, settled.
    // The elements come as a set: every element issue looks each of its
    // elements up in it.
    virtual Outcome Refresh(const ConnectionWithSpecification& connection,
                            const PK::HashSet<PK::Guid>& handledElements);
    // Called on the newer of two issues with the older one: takes over what
    // the older one says, may reduce it, and answers whether to drop it.
    virtual Outcome MergeFrom(const std::shared_ptr<Base>& older) = 0;
    virtual void DumpInner(std::ostream& os) const = 0;
    // Another version's copy of this same issue (same GUID) meets this one in
    // a team-work merge: keep only what both copies still say, since each side
    // may have settled part of it. Answers whether this issue changed.
    virtual bool MergeCopy(const Base& copy);
    // Appends the issue's merge keys. The base gives one key for the kind, so
    // an issue meets every issue of its own kind.
    virtual void GetMergeKeys(PK::Array<MergeKey>& keys) const;

    // The class GUID, then the record.
    PKErrCode WriteWithType(PK::OChannel& oc) const;
    // Reads a class GUID, makes an issue of that class and reads it; throws on
    // every failure (typed host error for a channel code, AddonRuntimeError
    // for a class that is unknown or no issue, VersionIncompatibility).
    static std::unique_ptr<Base> CreateAndRead(PK::IChannel& ic);
    // The same for a class GUID already taken off the channel.
    static std::unique_ptr<Base> CreateAndRead(const PK::Guid& classId, PK::IChannel& ic);
    // The same for a class registration already looked up.
    static std::unique_ptr<Base> CreateAndRead(const PK::ClassInfo& classInfo, PK::IChannel& ic);

protected:
    // Item of the issue texts with the connection's placeholders and the
    // kind's own filled in one pass; a missing text gives the empty string.
    static PK::UniString GetTextTemplate(const ConnectionWithSpecification& connection, Util::Resource::IssueText item,
                                         const Util::Fills& ownFills = {});
    // The text with the connection's placeholders and then the kind's filled
    // in one pass: no value is filled again.
    static PK::UniString FillText(const ConnectionWithSpecification& connection, const PK::UniString& text,
                                  const Util::Fills& ownFills);
    // Refuses a record written by a newer version of the class.
    static void ThrowIfNewer(const PK::InputFrame& frame, const PK::ClassInfo& info);
    // One class level of a record: the class's frame holding the fields in
    // order and then, still inside it, what writeParent writes (the parent
    // level's record). The first failing write ends it and is returned.
    template <typename WriteParent, typename... Fields>
    static PKErrCode WriteLevel(PK::OChannel& oc, const PK::ClassInfo& info, WriteParent writeParent,
                                const Fields&... fields);
    // The same level read back; a frame of a newer main version throws.
    template <typename ReadParent, typename... Fields>
    static PKErrCode ReadLevel(PK::IChannel& ic, const PK::ClassInfo& info, ReadParent readParent, Fields&... fields);
    // Runs a fix's work after logging the issue: what it throws is logged,
    // never passed on.
    void RunFix(const std::function<void()>& work) const;

private:
    PK::Guid _guid;
    PK::Int32 _creationTime = 0;
    Issue::Severity _severity = Issue::Severity::Error;
};

template <typename WriteParent, typename... Fields>
PKErrCode Base::WriteLevel(PK::OChannel& oc, const PK::ClassInfo& info, WriteParent writeParent,
                           const Fields&... fields) {
    PK::OutputFrame frame(oc, info);
    PKErrCode err = PK::NoError;
    [[maybe_unused]] const auto put = [&](const auto& field) { return (err = oc.Write(field)) == PK::NoError; };
    if ((put(fields) && ...)) err = writeParent();
    if (err != PK::NoError) return err;
    frame.Close();
    return oc.GetOutputStatus();
}

template <typename ReadParent, typename... Fields>
PKErrCode Base::ReadLevel(PK::IChannel& ic, const PK::ClassInfo& info, ReadParent readParent, Fields&... fields) {
    PK::InputFrame frame(ic, info);
    ThrowIfNewer(frame, info);
    PKErrCode err = frame.GetStatus();
    [[maybe_unused]] const auto get = [&](auto& field) { return (err = ic.Read(field)) == PK::NoError; };
    if (err == PK::NoError && (get(fields) && ...)) err = readParent();
    if (err != PK::NoError) return err;
    frame.Close();
    return ic.GetInputStatus();
}

// Class name, "{", the dump, "}".
std::ostream& operator<<(std::ostream& os, const Base& issue);
// Each issue's printed form, one after the other.
std::ostream& operator<<(std::ostream& os, const PK::Array<std::shared_ptr<Base>>& issues);

}  // namespace TessaryConnect::Model::Issue

TC_OSTREAM_FORMATTER(TessaryConnect::Model::Issue::Severity);
TC_OSTREAM_FORMATTER(TessaryConnect::Model::Issue::Base);
TC_OSTREAM_FORMATTER(PK::Array<std::shared_ptr<TessaryConnect::Model::Issue::Base>>);
