#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "IO/MemoryChannel.hpp"
#include "Model/Errors.hpp"
#include "Model/Issue/Collection.hpp"
#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "PK/Time.hpp"
#include "TVSim/Sim.hpp"
#include "Torvel/Api/Error.hpp"
#include "support/ElementsIssue.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"

using namespace TessaryConnect;
using namespace TessaryConnect::Model;
using TestSupport::E;
using TestSupport::ElementsIssue;
using Title = Issue::CoudntUpdateProjectOrSpecTitle;
using Unknown = Issue::UnknownError;

namespace {

using IssuePtr = std::shared_ptr<Issue::Base>;
using Bytes = std::vector<char>;

template <typename Kind, typename... Args>
IssuePtr MakeAt(PK::Int32 time, Args&&... args) {
    PK::Clock::Set(time);
    return std::make_shared<Kind>(std::forward<Args>(args)...);
}

IssuePtr ElementsAt(PK::Int32 time, std::initializer_list<PK::UInt32> elements) {
    PK::Array<PK::Guid> guids;
    for (PK::UInt32 e : elements) guids.Push(E(e));
    return MakeAt<ElementsIssue>(time, std::move(guids));
}

std::vector<PK::Guid> Guids(const Issue::Collection& c) {
    std::vector<PK::Guid> out;
    for (const auto& issue : c.Get()) out.push_back(issue->Guid());
    return out;
}

std::vector<PK::Guid> Stamped(const Issue::Collection& c) {
    std::vector<PK::Guid> out;
    for (const auto& [guid, stamp] : c.GetDeleted()) out.push_back(guid);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<PK::Guid> Sorted(std::vector<PK::Guid> guids) {
    std::sort(guids.begin(), guids.end());
    return guids;
}

std::vector<PK::UInt32> ElementsOf(const Issue::Collection& c, const PK::Guid& issue) {
    for (const auto& held : c.Get())
        if (held->Guid() == issue) {
            std::vector<PK::UInt32> out;
            for (const auto& g : dynamic_cast<const ElementsIssue&>(*held).elements) out.push_back(g.time_low);
            return out;
        }
    ADD_FAILURE() << "issue not held";
    return {};
}

Bytes Stored(const Issue::Collection& c) {
    return TestSupport::Written([&](PK::OChannel& oc) { EXPECT_EQ(c.Write(oc), PK::NoError); });
}

PKErrCode ReadInto(Issue::Collection& c, const Bytes& bytes, PK::USize size) {
    IO::MemoryIChannel32 ic(bytes.data(), size);
    return c.Read(ic);
}

PKErrCode ReadInto(Issue::Collection& c, const Bytes& bytes) { return ReadInto(c, bytes, bytes.size()); }

Bytes WithType(const Issue::Base& issue) {
    return TestSupport::Written([&](PK::OChannel& oc) { issue.WriteWithType(oc); });
}

bool Holds(const Bytes& bytes, const Bytes& part) {
    return std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
}

std::string Printed(const Issue::Collection& c) { return fmt::format("{}", c); }

// Collections of a connection read from the standard record.
struct IssueCollection : ::testing::Test {
    TestSupport::Project p;
    const TestSupport::ConnectionPtr connection = p.Read();
};

}  // namespace

TEST_F(IssueCollection, ARepeatedFailureKeepsOnlyTheNewestIssueAndStampsTheOneItReplaced) {
    Issue::Collection issues(*connection);

    const IssuePtr t1 = MakeAt<Title>(100, "S1", "P1");
    issues.AddIssue(t1);
    const IssuePtr disk = MakeAt<Unknown>(200, "disk");
    issues.AddIssue(disk);
    EXPECT_EQ(Guids(issues), (std::vector{t1->Guid(), disk->Guid()}));

    const IssuePtr t2 = MakeAt<Title>(300, "S2", "P2");
    issues.AddIssue(t2);
    EXPECT_EQ(Guids(issues), (std::vector{disk->Guid(), t2->Guid()}));
    // Made in the same second: still the newer one, it replaces its predecessor.
    const IssuePtr t3 = MakeAt<Title>(300, "S3", "P3");
    issues.AddIssue(t3);
    EXPECT_EQ(Guids(issues), (std::vector{disk->Guid(), t3->Guid()}));
    EXPECT_EQ(Stamped(issues), Sorted({t1->Guid(), t2->Guid()}));

    // Element issues share out their elements: the newest holds what failed again.
    const IssuePtr abc = ElementsAt(400, {1, 2, 3});
    issues.AddIssue(abc);
    const IssuePtr b = ElementsAt(500, {2});
    issues.AddIssue(b);
    EXPECT_EQ(ElementsOf(issues, abc->Guid()), (std::vector<PK::UInt32>{1, 3}));

    // An issue made earlier but added later (as from a team member): the newer
    // issues are asked first; one that covers it entirely keeps it out.
    const IssuePtr lateCovered = ElementsAt(450, {2});
    PK::Clock::Set(900);
    issues.AddIssue(lateCovered);
    EXPECT_EQ(Guids(issues), (std::vector{disk->Guid(), t3->Guid(), abc->Guid(), b->Guid()}));

    // One that is not covered takes its elements out of the older issues and goes last.
    const IssuePtr lateA = ElementsAt(450, {1});
    issues.AddIssue(lateA);
    EXPECT_EQ(Guids(issues), (std::vector{disk->Guid(), t3->Guid(), abc->Guid(), b->Guid(), lateA->Guid()}));
    EXPECT_EQ(ElementsOf(issues, abc->Guid()), (std::vector<PK::UInt32>{3}));
    EXPECT_EQ(Stamped(issues), Sorted({t1->Guid(), t2->Guid(), lateCovered->Guid()}));

    // The last element of an issue moving on empties it: it goes, stamped.
    issues.AddIssue(ElementsAt(1000, {3}));
    EXPECT_EQ(Stamped(issues), Sorted({t1->Guid(), t2->Guid(), lateCovered->Guid(), abc->Guid()}));

    Issue::Collection::Issues none;
    EXPECT_FALSE(issues.AddIssues(std::move(none)));
    Issue::Collection::Issues absorbed{MakeAt<Title>(250, "S0", "P0")};  // older than t3
    EXPECT_TRUE(issues.AddIssues(std::move(absorbed)));
    EXPECT_EQ(issues.GetIssuesByType<Title>().GetSize(), 1u);
    EXPECT_EQ(issues.GetIssuesByType<Title>()[0], t3);
}

TEST_F(IssueCollection, RemovingGoesByTheObjectAndStampsItOnce) {
    Issue::Collection issues(*connection);
    const IssuePtr title = MakeAt<Title>(100, "S", "P");
    const IssuePtr disk = MakeAt<Unknown>(100, "disk");
    issues.AddIssue(title);
    issues.AddIssue(disk);

    issues.Remove(IssuePtr(title->Clone()));  // same GUID, another object
    issues.Remove(MakeAt<Unknown>(150, "never added"));
    EXPECT_EQ(issues.Get().GetSize(), 2u);
    EXPECT_TRUE(issues.GetDeleted().IsEmpty());

    PK::Clock::Set(200);
    issues.RemoveTs(issues.GetIssuesByType<Title>());
    PK::Clock::Set(300);
    issues.Remove(title);
    EXPECT_EQ(Guids(issues), (std::vector{disk->Guid()}));
    ASSERT_EQ(issues.GetDeleted().GetSize(), 1u);
    EXPECT_EQ(issues.GetDeleted().Get(title->Guid()), 200);

    // Clear forgets the issues, not the stamps.
    issues.Clear();
    EXPECT_TRUE(issues.Get().IsEmpty());
    EXPECT_EQ(issues.GetDeleted().GetSize(), 1u);
}

TEST_F(IssueCollection, ARefreshDropsHandledElementsAndThoseDeletedInTheProjectAndStampsIssuesItEmpties) {
    Issue::Collection issues(*connection);
    const IssuePtr abd = ElementsAt(100, {1, 2, 4});
    const IssuePtr c = ElementsAt(110, {3});
    const IssuePtr title = MakeAt<Title>(120, "S", "P");
    issues.AddIssue(abd);
    issues.AddIssue(c);
    issues.AddIssue(title);

    EXPECT_FALSE(issues.RefreshAndRemoveIrrelevantElems({E(9)}));
    EXPECT_TRUE(issues.RefreshAndRemoveIrrelevantElems({E(2), E(3)}));
    EXPECT_EQ(Guids(issues), (std::vector{abd->Guid(), title->Guid()}));
    EXPECT_EQ(ElementsOf(issues, abd->Guid()), (std::vector<PK::UInt32>{1, 4}));
    EXPECT_EQ(Stamped(issues), (std::vector{c->Guid()}));

    // Deleted in the project meanwhile: gone from the issue with nothing handled.
    TVSim::GetProject()->DeleteElement(E(4));
    EXPECT_TRUE(issues.RefreshAndRemoveIrrelevantElems({}));
    EXPECT_EQ(ElementsOf(issues, abd->Guid()), (std::vector<PK::UInt32>{1}));
    TVSim::GetProject()->DeleteElement(E(1));
    EXPECT_TRUE(issues.RefreshAndRemoveIrrelevantElems({}));
    EXPECT_EQ(Guids(issues), (std::vector{title->Guid()}));
    EXPECT_EQ(Stamped(issues), Sorted({c->Guid(), abd->Guid()}));
}

TEST_F(IssueCollection, TheStampTableIsCutToTheLatest2000WhenItReaches4000) {
    Issue::Collection issues(*connection);
    std::map<PK::Int32, IssuePtr> removedAt;
    const auto removeUpTo = [&](PK::Int32 from, PK::Int32 to) {
        for (PK::Int32 t = from; t <= to; ++t) {
            const IssuePtr issue = MakeAt<Unknown>(t, "h");
            issues.AddIssue(issue);
            issues.Remove(issue);
            removedAt[t] = issue;
        }
    };
    removeUpTo(1, 3999);
    EXPECT_EQ(issues.GetDeleted().GetSize(), 3999u);

    removeUpTo(4000, 4000);
    ASSERT_EQ(issues.GetDeleted().GetSize(), 2000u);
    PK::Int32 oldest = 4000;
    for (const auto& [guid, stamp] : issues.GetDeleted()) oldest = std::min(oldest, stamp);
    EXPECT_EQ(oldest, 2001);
    EXPECT_TRUE(issues.GetDeleted().ContainsKey(removedAt[4000]->Guid()));
    EXPECT_FALSE(issues.GetDeleted().ContainsKey(removedAt[1]->Guid()));

    // A merge that stamps one more is cut only once all of theirs are in: the
    // oldest stamp still keeps their copy of that issue out.
    removeUpTo(4001, 5999);
    const IssuePtr localTitle = MakeAt<Title>(9000, "S1", "P1");
    issues.AddIssue(localTitle);
    Issue::Collection theirs(*connection);
    const IssuePtr newerTitle = MakeAt<Title>(9001, "S2", "P2");
    theirs.AddIssue(newerTitle);
    theirs.AddIssue(removedAt[2001]);
    EXPECT_TRUE(issues.MergeIn(theirs));
    EXPECT_EQ(Guids(issues), (std::vector{newerTitle->Guid()}));
    EXPECT_EQ(issues.GetDeleted().GetSize(), 2000u);
    EXPECT_TRUE(issues.GetDeleted().ContainsKey(localTitle->Guid()));
}

// Two team members start from one stored collection, each settles part of it,
// and then each takes in the other's version.
TEST_F(IssueCollection, TeamWorkMergeKeepsSettledFailuresSettledOnBothSides) {
    const IssuePtr abc = ElementsAt(100, {1, 2, 3});
    const IssuePtr title = MakeAt<Title>(110, "S", "P");
    const IssuePtr disk = MakeAt<Unknown>(120, "disk");
    const IssuePtr xy = ElementsAt(130, {7, 8});
    Bytes shared;
    {
        Issue::Collection original(*connection);
        for (const auto& issue : {abc, title, disk, xy}) original.AddIssue(issue);
        shared = Stored(original);
    }
    Issue::Collection mine(*connection), theirs(*connection);
    ASSERT_EQ(ReadInto(mine, shared), PK::NoError);
    ASSERT_EQ(ReadInto(theirs, shared), PK::NoError);

    // Mine: the user removes the disk error; element 1 gets associated; x and y as well.
    PK::Clock::Set(200);
    mine.Remove(mine.Get()[2]);
    mine.RefreshAndRemoveIrrelevantElems({E(1), E(7), E(8)});
    // Theirs: element 3 gets associated, a new run fails on 2 and on 4.
    theirs.RefreshAndRemoveIrrelevantElems({E(3)});
    const IssuePtr b = ElementsAt(210, {2});
    const IssuePtr d = ElementsAt(220, {4});
    theirs.AddIssue(b);
    theirs.AddIssue(d);
    const Bytes theirsBefore = Stored(theirs);

    EXPECT_TRUE(mine.MergeIn(theirs));
    // abc: 1 settled here, 3 there, 2 moved into b: nothing left, gone for good.
    // xy: settled here, still listed there: stays settled. The title: one entry.
    EXPECT_EQ(Guids(mine), (std::vector{title->Guid(), b->Guid(), d->Guid()}));
    EXPECT_EQ(Stamped(mine), Sorted({disk->Guid(), xy->Guid(), abc->Guid()}));

    EXPECT_TRUE(theirs.MergeIn(mine));
    EXPECT_EQ(Sorted(Guids(theirs)), Sorted(Guids(mine)));
    EXPECT_EQ(Stamped(theirs), Stamped(mine));

    // An older version of theirs brings nothing settled back, even after Clear.
    Issue::Collection stale(*connection);
    ASSERT_EQ(ReadInto(stale, theirsBefore), PK::NoError);
    mine.MergeIn(stale);
    EXPECT_EQ(Guids(mine), (std::vector{title->Guid(), b->Guid(), d->Guid()}));
    mine.Clear();
    mine.MergeIn(stale);
    EXPECT_EQ(Sorted(Guids(mine)), Sorted({title->Guid(), b->Guid(), d->Guid()}));

    // The merged-in issues are copies: settling one here leaves theirs alone.
    mine.RefreshAndRemoveIrrelevantElems({E(4)});
    EXPECT_EQ(ElementsOf(stale, d->Guid()), (std::vector<PK::UInt32>{4}));
}

// Both members meet the same failures in the same second, and each takes in
// the other's version twice: both keep the same one copy of each, whichever
// GUIDs the copies drew.
TEST_F(IssueCollection, CrossingMergesOfFailuresMadeInTheSameSecondKeepOneCopyOnBothSides) {
    for (PK::UInt64 seed = 1; seed <= 16; ++seed) {
        SCOPED_TRACE(seed);
        PK::Guid::SeedGenerator(seed);
        Issue::Collection mine(*connection), theirs(*connection);
        for (auto* side : {&mine, &theirs}) {
            side->AddIssue(MakeAt<Unknown>(100, "disk"));
            side->AddIssue(MakeAt<Title>(100, "S", "P"));
            side->AddIssue(ElementsAt(100, {1, 2}));
        }
        for (int exchange = 0; exchange < 2; ++exchange) {
            const Bytes mineStored = Stored(mine), theirsStored = Stored(theirs);
            Issue::Collection mineCopy(*connection), theirsCopy(*connection);
            ASSERT_EQ(ReadInto(mineCopy, mineStored), PK::NoError);
            ASSERT_EQ(ReadInto(theirsCopy, theirsStored), PK::NoError);
            mine.MergeIn(theirsCopy);
            theirs.MergeIn(mineCopy);
        }
        EXPECT_EQ(mine.Get().GetSize(), 3u) << Printed(mine);
        EXPECT_EQ(Sorted(Guids(mine)), Sorted(Guids(theirs)));
        EXPECT_EQ(Stamped(mine), Stamped(theirs));
    }
}

TEST_F(IssueCollection, MergingADuplicateOfAStampedIssueRemovesEveryEntryOfIt) {
    const IssuePtr disk = MakeAt<Unknown>(100, "disk");
    // Stored data written before duplicates were kept out: the same issue twice.
    Issue::Collection mine(*connection);
    ASSERT_EQ(ReadInto(mine, TestSupport::IssueListRecord({WithType(*disk), WithType(*disk)})), PK::NoError);
    ASSERT_EQ(mine.Get().GetSize(), 2u);

    Issue::Collection theirs(*connection);
    theirs.AddIssue(disk);
    theirs.Remove(disk);
    EXPECT_TRUE(mine.MergeIn(theirs));
    EXPECT_TRUE(mine.Get().IsEmpty());

    // Nothing to take in: only what the merge's own refresh reports.
    Issue::Collection empty(*connection);
    mine.AddIssue(MakeAt<Title>(100, "S", "P"));
    EXPECT_FALSE(mine.MergeIn(empty));
}

TEST_F(IssueCollection, EveryKindAndTheStampsSurviveStoring) {
    Issue::Collection issues(*connection);
    Api::Properties clause;
    clause.Add(Api::Properties::Name::Code, "B10");
    issues.AddIssue(MakeAt<Title>(100, "S", "P"));
    issues.AddIssue(MakeAt<Issue::MissingClassificationItem>(110, clause));
    issues.AddIssue(MakeAt<Unknown>(120, "disk"));
    issues.AddIssue(ElementsAt(130, {1, 2}));
    const IssuePtr removed = MakeAt<Unknown>(140, "gone");
    issues.AddIssue(removed);
    issues.Remove(removed);

    Issue::Collection back(*connection), emptyBack(*connection);
    back.AddIssue(MakeAt<Unknown>(1, "replaced by the stored list"));
    ASSERT_EQ(ReadInto(back, Stored(issues)), PK::NoError);
    EXPECT_EQ(Printed(back), Printed(issues));
    ASSERT_EQ(ReadInto(emptyBack, Stored(Issue::Collection(*connection))), PK::NoError);
    EXPECT_EQ(Printed(emptyBack), "{issues: [], deleted: []}");
}

// Records of a later version (a kind this version does not know, a newer
// version of a known kind) are kept unread and written back as they came, so
// a member on this version loses nothing of them for the team. A damaged
// record costs that issue only and is reported.
TEST_F(IssueCollection, RecordsOfALaterVersionAreWrittenBackUnchangedAndDamagedOnesAreReported) {
    const IssuePtr title = MakeAt<Title>(100, "S", "P");
    const IssuePtr disk = MakeAt<Unknown>(110, "disk");
    const Bytes foreign =
        TestSupport::IssueRecord(PK::Guid("12345678-9abc-4def-8123-456789abcdef"), {1, 0},
                                 [](PK::OChannel& oc) { oc.Write(PK::UniString("fields of a later kind")); });
    const Bytes newer = TestSupport::IssueRecord(Unknown::classInfo.GetId(), {2, 0}, [&](PK::OChannel& oc) {
        oc.Write(PK::UniString("newer"));
        disk->Base::Write(oc);
    });
    // A known kind whose record ends before its fields do.
    const Bytes cut = TestSupport::IssueRecord(Unknown::classInfo.GetId(), {1, 0}, [](PK::OChannel& oc) {
        oc.Write(PK::UniString("no base record follows"));
    });
    Issue::Collection::DeletedTable deleted;
    deleted.Add(E(99), 130);

    TestSupport::LogCapture log;
    PK::Clock::Set(500);
    Issue::Collection issues(*connection);
    ASSERT_EQ(ReadInto(issues,
                       TestSupport::IssueListRecord({WithType(*title), foreign, newer, cut, WithType(*disk)}, deleted)),
              PK::NoError);
    ASSERT_EQ(Guids(issues).size(), 3u);
    EXPECT_EQ(Guids(issues)[0], title->Guid());
    EXPECT_EQ(Guids(issues)[1], disk->Guid());
    EXPECT_EQ(issues.GetDeleted(), deleted);
    auto* damaged = dynamic_cast<const Unknown*>(issues.Get()[2].get());
    ASSERT_NE(damaged, nullptr);
    EXPECT_EQ(damaged->CreationTime(), 500);
    EXPECT_EQ(
        damaged->GetHint().ToCStr().rfind("Issue::Collection read error: issue 4 of 5 (Model::Issue::UnknownError "
                                          "904AB58B-9244-4C39-B0AB-86BCA079385A): APIERR_",
                                          0),
        0u)
        << damaged->GetHint();
    EXPECT_EQ(log.MessagesStartingWith("Issue record(").size(), 3u);

    // Stored again, and after a merge into a version that lacks them, they are there as they came.
    const Bytes rewritten = Stored(issues);
    Issue::Collection again(*connection), merged(*connection);
    ASSERT_EQ(ReadInto(again, rewritten), PK::NoError);
    EXPECT_EQ(Printed(again), Printed(issues));
    merged.MergeIn(again);
    merged.MergeIn(issues);
    for (const Bytes& bytes : {rewritten, Stored(merged)}) {
        EXPECT_TRUE(Holds(bytes, foreign));
        EXPECT_TRUE(Holds(bytes, newer));
        EXPECT_EQ(bytes.size(), rewritten.size());
    }
}

TEST_F(IssueCollection, AStoredCollectionThatCannotBeReadLeavesTheCollectionAsItWas) {
    Issue::Collection stored(*connection);
    stored.AddIssue(MakeAt<Title>(100, "S", "P"));
    const IssuePtr elements = ElementsAt(110, {1, 2});
    stored.AddIssue(elements);
    const IssuePtr gone = MakeAt<Unknown>(120, "gone");
    stored.AddIssue(gone);
    stored.Remove(gone);
    const Bytes bytes = Stored(stored);
    const auto damaged = [&](PK::USize at, std::initializer_list<char> with) {
        Bytes b = bytes;
        std::copy(with.begin(), with.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    // The stamp table ends the record: its frame (22 bytes), a count of 1, one GUID and stamp.
    const PK::USize table = bytes.size() - 22 - 4 - 20;
    // The second issue's frame: class GUID, two version bytes, then the length.
    const Bytes record = TestSupport::Written([&](PK::OChannel& oc) { elements->Write(oc); });
    const auto frame =
        static_cast<PK::USize>(std::search(bytes.begin(), bytes.end(), record.begin(), record.end()) - bytes.begin());
    ASSERT_LT(frame, bytes.size());
    std::vector<std::pair<std::string, Bytes>> cases = {
        {"issue frame length", damaged(frame + 18, {'\x7f', '\x7f', '\x7f', '\x7f'})},
        {"stamp table of another class", damaged(table, {'\x55'})},
        {"stamp table count past its end", damaged(table + 22, {'\x02'})},
    };
    for (PK::USize size = 0; size < bytes.size(); size += 7)
        cases.emplace_back(fmt::format("cut at {}", size), Bytes(bytes.begin(), bytes.begin() + size));

    Issue::Collection held(*connection);
    held.AddIssue(MakeAt<Unknown>(50, "held"));
    held.Remove(held.Get()[0]);
    held.AddIssue(MakeAt<Unknown>(60, "kept"));
    const std::string before = Printed(held);
    for (const auto& [what, data] : cases) {
        SCOPED_TRACE(what);
        bool failed = true;
        try {
            failed = ReadInto(held, data) != PK::NoError;
        } catch (const Api::GeneralError&) {
        } catch (const Error::VersionIncompatibility&) {
        }
        EXPECT_TRUE(failed);
        EXPECT_EQ(Printed(held), before);
    }
}

TEST_F(IssueCollection, PrintsItsIssuesAndStamps) {
    Issue::Collection issues(*connection);
    const IssuePtr a = MakeAt<Unknown>(100, "a");
    const IssuePtr b = MakeAt<Unknown>(100, "b");
    const IssuePtr c = MakeAt<Unknown>(100, "c");
    for (const auto& issue : {a, b, c}) issues.AddIssue(issue);
    PK::Clock::Set(150);
    issues.Remove(c);
    EXPECT_EQ(Printed(issues), fmt::format("{{issues: [{}, {}], deleted: [({},150)]}}", *a, *b, c->Guid()));
}
