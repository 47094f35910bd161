#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "IO/MemoryChannel.hpp"
#include "Model/Issue/Collection.hpp"
#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "PK/Time.hpp"
#include "TVSim/Sim.hpp"
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
    return MakeAt<ElementsIssue>(time, TestSupport::Es(elements));
}

const PK::Array<PK::Guid>& ElementsOf(const IssuePtr& issue) {
    return dynamic_cast<const ElementsIssue&>(*issue).elements;
}

std::vector<PK::Guid> Sorted(std::vector<PK::Guid> guids) {
    std::sort(guids.begin(), guids.end());
    return guids;
}

std::vector<PK::Guid> Guids(const Issue::Collection& c) {
    std::vector<PK::Guid> out;
    for (const auto& issue : c.Get()) out.push_back(issue->Guid());
    return out;
}

std::vector<PK::Guid> Stamped(const Issue::Collection& c) {
    std::vector<PK::Guid> out;
    for (const auto& [guid, stamp] : c.GetDeleted()) out.push_back(guid);
    return Sorted(out);
}

Bytes Stored(const Issue::Collection& c) {
    return TestSupport::Written([&](PK::OChannel& oc) { EXPECT_EQ(c.Write(oc), PK::NoError); });
}

PKErrCode ReadInto(Issue::Collection& c, const Bytes& bytes) {
    IO::MemoryIChannel32 ic(bytes.data(), bytes.size());
    return c.Read(ic);
}

Bytes WithType(const Issue::Base& issue) {
    return TestSupport::Written([&](PK::OChannel& oc) { issue.WriteWithType(oc); });
}

std::string Printed(const Issue::Collection& c) { return fmt::format("{}", c); }

// Collections of a connection read from the standard record.
struct IssueCollection : ::testing::Test {
    TestSupport::Project p;
    const TestSupport::ConnectionPtr connection = p.Read();
};

}  // namespace

TEST_F(IssueCollection, ARepeatedFailureKeepsOnlyTheNewestIssueAndStampsEveryIssueThatGoes) {
    Issue::Collection issues(*connection);
    const IssuePtr t1 = MakeAt<Title>(100, "S1", "P1");
    issues.AddIssue(t1);
    const IssuePtr disk = MakeAt<Unknown>(200, "disk");
    issues.AddIssue(disk);
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
    EXPECT_EQ(ElementsOf(abc), TestSupport::Es({1, 3}));
    // An issue made earlier but added later (as from a team member): the newer
    // issues are asked first; one that covers it entirely keeps it out.
    const IssuePtr lateCovered = ElementsAt(450, {2});
    PK::Clock::Set(900);
    issues.AddIssue(lateCovered);
    // One that is not covered takes its elements out of the older issues and goes last.
    const IssuePtr lateA = ElementsAt(450, {1});
    issues.AddIssue(lateA);
    EXPECT_EQ(Guids(issues), (std::vector{disk->Guid(), t3->Guid(), abc->Guid(), b->Guid(), lateA->Guid()}));
    EXPECT_EQ(ElementsOf(abc), TestSupport::Es({3}));
    EXPECT_EQ(Stamped(issues), Sorted({t1->Guid(), t2->Guid(), lateCovered->Guid()}));
    // The last element of an issue moving on empties it: it goes, stamped.
    const IssuePtr c = ElementsAt(1000, {3, 4});
    issues.AddIssue(c);
    EXPECT_EQ(Stamped(issues), Sorted({t1->Guid(), t2->Guid(), lateCovered->Guid(), abc->Guid()}));

    Issue::Collection::Issues none, absorbed{MakeAt<Title>(250, "S0", "P0")};  // older than t3
    EXPECT_FALSE(issues.AddIssues(std::move(none)));
    EXPECT_TRUE(issues.AddIssues(std::move(absorbed)));

    // A refresh drops the elements handled and those deleted in the project meanwhile.
    EXPECT_FALSE(issues.RefreshAndRemoveIrrelevantElems({E(9)}));
    EXPECT_TRUE(issues.RefreshAndRemoveIrrelevantElems({E(2), E(3)}));
    TVSim::GetProject()->DeleteElement(E(1));
    EXPECT_TRUE(issues.RefreshAndRemoveIrrelevantElems({}));
    EXPECT_EQ(Guids(issues), (std::vector{disk->Guid(), t3->Guid(), c->Guid()}));
    EXPECT_EQ(ElementsOf(c), TestSupport::Es({4}));
    EXPECT_EQ(Stamped(issues).size(), 7u);  // the older title, b and lateA as well
}

TEST_F(IssueCollection, RemovingGoesByTheObjectAndStampsItOnce) {
    Issue::Collection issues(*connection);
    const IssuePtr title = MakeAt<Title>(100, "S", "P");
    const IssuePtr disk = MakeAt<Unknown>(100, "disk");
    issues.AddIssue(title);
    issues.AddIssue(disk);
    issues.Remove(IssuePtr(title->Clone()));  // same GUID, another object
    issues.Remove(MakeAt<Unknown>(150, "never added"));
    PK::Clock::Set(200);
    issues.RemoveTs(issues.GetIssuesByType<Title>());
    PK::Clock::Set(300);
    issues.AddIssue(title);
    issues.Remove(title);
    EXPECT_EQ(Printed(issues), fmt::format("{{issues: [{}], deleted: [({},200)]}}", *disk, title->Guid()));
    // Clear forgets the issues, not the stamps.
    issues.Clear();
    EXPECT_EQ(Printed(issues), fmt::format("{{issues: [], deleted: [({},200)]}}", title->Guid()));
}

TEST_F(IssueCollection, TheStampTableIsCutToTheLatest2000WhenItReaches4000) {
    Issue::Collection issues(*connection);
    std::map<PK::Int32, IssuePtr> removedAt;
    const auto removeUpTo = [&](PK::Int32 from, PK::Int32 to) {
        for (PK::Int32 t = from; t <= to; ++t) {
            removedAt[t] = MakeAt<Unknown>(t, "h");
            issues.AddIssue(removedAt[t]);
            issues.Remove(removedAt[t]);
        }
    };
    removeUpTo(1, 3999);
    EXPECT_EQ(issues.GetDeleted().GetSize(), 3999u);
    removeUpTo(4000, 4000);
    EXPECT_EQ(issues.GetDeleted().GetSize(), 2000u);
    EXPECT_TRUE(issues.GetDeleted().ContainsKey(removedAt[2001]->Guid()));
    EXPECT_FALSE(issues.GetDeleted().ContainsKey(removedAt[2000]->Guid()));

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
    const std::string staleBefore = Printed(stale);
    mine.RefreshAndRemoveIrrelevantElems({E(4)});
    EXPECT_EQ(Printed(stale), staleBefore);
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

// Records of a later version (a kind this version does not know, a newer
// version of a known kind) are kept unread and written back as they came, so
// a member on this version loses nothing of them for the team. A damaged
// record costs that issue only and is reported; a damaged list is not read at
// all.
TEST_F(IssueCollection, RecordsOfALaterVersionAreWrittenBackUnchangedAndDamagedOnesAreReported) {
    const IssuePtr title = MakeAt<Title>(100, "S", "P");
    const IssuePtr elements = ElementsAt(110, {1, 2});
    const Bytes foreign =
        TestSupport::IssueRecord(PK::Guid("12345678-9abc-4def-8123-456789abcdef"), {1, 0},
                                 [](PK::OChannel& oc) { oc.Write(PK::UniString("fields of a later kind")); });
    const Bytes newer = TestSupport::IssueRecord(Unknown::classInfo.GetId(), {2, 0}, [&](PK::OChannel& oc) {
        oc.Write(PK::UniString("newer"));
        title->Base::Write(oc);
    });
    // A known kind whose record ends before its fields do.
    const Bytes cut = TestSupport::IssueRecord(Unknown::classInfo.GetId(), {1, 0}, [](PK::OChannel& oc) {
        oc.Write(PK::UniString("no base record follows"));
    });
    Issue::Collection::DeletedTable deleted;
    deleted.Add(E(99), 130);

    TestSupport::LogCapture log;
    Issue::Collection issues(*connection);
    issues.AddIssue(MakeAt<Unknown>(1, "replaced by the stored list"));
    PK::Clock::Set(500);
    ASSERT_EQ(ReadInto(issues, TestSupport::IssueListRecord(
                                   {WithType(*title), foreign, newer, cut, WithType(*elements)}, deleted)),
              PK::NoError);
    ASSERT_EQ(Guids(issues).size(), 3u);
    EXPECT_EQ(Guids(issues)[0], title->Guid());
    EXPECT_EQ(Guids(issues)[1], elements->Guid());
    EXPECT_EQ(issues.GetDeleted(), deleted);
    auto* damaged = dynamic_cast<const Unknown*>(issues.Get()[2].get());
    ASSERT_NE(damaged, nullptr);
    EXPECT_EQ(damaged->CreationTime(), 500);
    EXPECT_TRUE(
        damaged->GetHint().BeginsWith("Issue::Collection read error: issue 4 of 5 (Model::Issue::UnknownError "
                                      "904AB58B-9244-4C39-B0AB-86BCA079385A): APIERR_"))
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
        EXPECT_NE(std::search(bytes.begin(), bytes.end(), foreign.begin(), foreign.end()), bytes.end());
        EXPECT_NE(std::search(bytes.begin(), bytes.end(), newer.begin(), newer.end()), bytes.end());
        EXPECT_EQ(bytes.size(), rewritten.size());
    }

    // Damaged or cut copies of that list fail to read and leave the collection as it was.
    const auto damagedAt = [&](PK::USize at, std::initializer_list<char> with) {
        Bytes b = rewritten;
        std::copy(with.begin(), with.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    // The list's frame (22 bytes) and count, the first issue's class GUID, then its frame's GUID, version and length.
    // The stamp table ends the record: its frame, a count of 1, one GUID and a stamp.
    const PK::USize table = rewritten.size() - 22 - 4 - 20;
    std::vector<std::pair<std::string, Bytes>> cases = {
        {"issue frame length", damagedAt(22 + 4 + 16 + 18, {'\x7f', '\x7f', '\x7f', '\x7f'})},
        {"stamp table of another class", damagedAt(table, {'\x55'})},
        {"stamp table count past its end", damagedAt(table + 22, {'\x02'})},
    };
    for (PK::USize size = 0; size < rewritten.size(); size += 7)
        cases.emplace_back(fmt::format("cut at {}", size), Bytes(rewritten.begin(), rewritten.begin() + size));
    Issue::Collection held(*connection);
    held.AddIssue(MakeAt<Unknown>(60, "held"));
    const std::string before = Printed(held);
    for (const auto& [what, data] : cases) {
        SCOPED_TRACE(what);
        bool failed = true;
        try {
            failed = ReadInto(held, data) != PK::NoError;
        } catch (const std::exception&) {
        }
        EXPECT_TRUE(failed);
        EXPECT_EQ(Printed(held), before);
    }
}
