#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "IO/MemoryChannel.hpp"
#include "Model/Issue/Collection.hpp"
#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"
#include "Model/Issue/ElementsAssociation.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "Model/Issue/UpdateElementsProperties.hpp"
#include "PK/Time.hpp"
#include "TVSim/Sim.hpp"
#include "support/ElementsIssue.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"

using namespace TessaryConnect;
using namespace TessaryConnect::Model;
using TestSupport::E;
using TestSupport::ElementsIssue;
using TestSupport::Es;
using TestSupport::groundFloor;
using Title = Issue::CoudntUpdateProjectOrSpecTitle;
using Unknown = Issue::UnknownError;
using Assoc = Issue::ElementsAssociation;
using Update = Issue::UpdateElementsProperties;

namespace {

using IssuePtr = std::shared_ptr<Issue::Base>;
using Bytes = std::vector<char>;

std::map<PK::Guid, std::string> labels;  // of the issues made here, for State()

// An issue made at that time, known to State() by its label.
template <typename Kind, typename... Args>
IssuePtr Make(const char* label, PK::Int32 time, Args&&... args) {
    PK::Clock::Set(time);
    IssuePtr issue = std::make_shared<Kind>(std::forward<Args>(args)...);
    labels[issue->Guid()] = label;
    return issue;
}
IssuePtr Elements(const char* label, PK::Int32 time, std::initializer_list<PK::UInt32> elements) {
    return Make<ElementsIssue>(label, time, TestSupport::Es(elements));
}

// "<the issues in order (or sorted), an element issue with its element numbers> | <the stamped ones by label>".
std::string State(const Issue::Collection& c, bool sorted = false) {
    const auto label = [](const PK::Guid& guid) { return labels.contains(guid) ? labels.at(guid) : "?"; };
    std::vector<std::string> listed;
    for (const auto& issue : c.Get()) {
        listed.push_back(label(issue->Guid()));
        std::vector<PK::UInt32> numbers;
        if (auto* e = dynamic_cast<const ElementsIssue*>(issue.get()))
            for (const PK::Guid& element : e->elements) numbers.push_back(element.time_low);
        if (auto* e = dynamic_cast<const Issue::ElementsAssociationBase*>(issue.get()))
            for (const PK::Guid& element : e->GetErroredElements()) numbers.push_back(element.time_low);
        if (!numbers.empty()) listed.back() += fmt::format("[{}]", fmt::join(numbers, " "));
    }
    if (sorted) std::sort(listed.begin(), listed.end());
    std::vector<std::string> stamped;
    for (const auto& [guid, stamp] : c.GetDeleted()) stamped.push_back(label(guid));
    std::sort(stamped.begin(), stamped.end());
    return fmt::format("{}{}| {}", fmt::join(listed, " "), listed.empty() ? "" : " ", fmt::join(stamped, " "));
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

struct IssueCollection : ::testing::Test {
    TestSupport::Project p;
    const TestSupport::ConnectionPtr connection = p.Read();
};

}  // namespace

TEST_F(IssueCollection, ARepeatedFailureKeepsOnlyTheNewestIssueAndStampsEveryIssueThatGoes) {
    Issue::Collection issues(*connection);
    for (const IssuePtr& issue : {Make<Title>("t1", 100, "S1", "P1"), Make<Unknown>("disk", 200, "disk"),
                                  Make<Title>("t2", 300, "S2", "P2"), Make<Title>("t3", 300, "S3", "P3")})
        issues.AddIssue(issue);
    EXPECT_EQ(State(issues), "disk t3 | t1 t2") << "made in the same second, still the newer one";
    // Element issues share out their elements: the newest holds what failed again.
    issues.AddIssue(Elements("abc", 400, {1, 2, 3}));
    issues.AddIssue(Elements("b", 500, {2}));
    EXPECT_EQ(State(issues), "disk t3 abc[1 3] b[2] | t1 t2");
    // Made earlier but added later (as from a team member): a newer issue that covers it keeps it out.
    const IssuePtr lateCovered = Elements("lateCovered", 450, {2});
    PK::Clock::Set(900);
    issues.AddIssue(lateCovered);
    // One that is not covered takes its elements out of the older issues and goes last.
    issues.AddIssue(Elements("lateA", 450, {1}));
    EXPECT_EQ(State(issues), "disk t3 abc[3] b[2] lateA[1] | lateCovered t1 t2");
    // The last element of an issue moving on empties it: it goes, stamped.
    issues.AddIssue(Elements("c", 1000, {3, 4}));
    EXPECT_EQ(State(issues), "disk t3 b[2] lateA[1] c[3 4] | abc lateCovered t1 t2");

    Issue::Collection::Issues none, absorbed{Make<Title>("t0", 250, "S0", "P0")};  // older than t3
    EXPECT_FALSE(issues.AddIssues(std::move(none)));
    EXPECT_TRUE(issues.AddIssues(std::move(absorbed)));
    // A refresh drops the elements handled and those deleted in the project meanwhile.
    EXPECT_FALSE(issues.RefreshAndRemoveIrrelevantElems({E(9)}));
    EXPECT_TRUE(issues.RefreshAndRemoveIrrelevantElems({E(2), E(3)}));
    TVSim::GetProject()->DeleteElement(E(1));
    EXPECT_TRUE(issues.RefreshAndRemoveIrrelevantElems({}));
    EXPECT_EQ(State(issues), "disk t3 c[4] | abc b lateA lateCovered t0 t1 t2");
}

TEST_F(IssueCollection, RemovingGoesByTheObjectAndStampsItOnce) {
    Issue::Collection issues(*connection);
    const IssuePtr title = Make<Title>("title", 100, "S", "P");
    issues.AddIssue(title);
    issues.AddIssue(Make<Unknown>("disk", 100, "disk"));
    issues.Remove(IssuePtr(title->Clone()));  // same GUID, another object
    PK::Clock::Set(200);
    issues.RemoveTs(issues.GetIssuesByType<Title>());
    PK::Clock::Set(300);
    issues.AddIssue(title);
    issues.Remove(title);
    ASSERT_EQ(State(issues), "disk | title");
    EXPECT_EQ(*issues.GetDeleted().GetPtr(title->Guid()), 200);
    issues.Clear();
    EXPECT_EQ(State(issues), "| title") << "Clear forgets the issues, not the stamps";
}

TEST_F(IssueCollection, ANewerAssociationIssueTakesItsElementsOutOfAnOlderPropertyUpdateIssue) {
    Issue::Collection issues(*connection);
    issues.AddIssue(Make<Update>("update", 100, Update::Type::LockedElement, "c", Es({1, 2}), groundFloor));
    issues.AddIssue(Make<Assoc>("assoc", 100, Assoc::Type::AssocLockedElement, "c", Es({1, 3}), groundFloor));
    issues.AddIssue(Make<Update>("update2", 100, Update::Type::Unknown, "c", Es({3}), groundFloor));
    EXPECT_EQ(State(issues), "update[2] assoc[1 3] update2[3] | ");
    // Its last element reported again by association: the update issue goes, stamped.
    issues.AddIssue(Make<Assoc>("assoc2", 100, Assoc::Type::AssocUnknown, "c", Es({2}), groundFloor));
    EXPECT_EQ(State(issues), "assoc[1 3] update2[3] assoc2[2] | update");
}

// An association that failed on an element and a later property write that failed on it are two things to settle:
// a member's merge keeps both, whichever side holds which. Once each side has settled part of the property update
// issue, nothing of it is left: it goes for good, and a version that still lists it does not bring it back.
TEST_F(IssueCollection, AMergeKeepsAnOlderAssociationIssueBesideANewerPropertyUpdateIssueOfTheSameElement) {
    Issue::Collection mine(*connection), theirs(*connection), stale(*connection), older(*connection);
    mine.AddIssue(Make<Update>("update", 200, Update::Type::NoTeamworkRight, "c", Es({1, 2}), groundFloor));
    ASSERT_EQ(ReadInto(theirs, Stored(mine)), PK::NoError);
    ASSERT_EQ(ReadInto(stale, Stored(mine)), PK::NoError);
    older.AddIssue(Make<Assoc>("assoc", 100, Assoc::Type::AssocNoTeamworkRight, "c", Es({1}), groundFloor));

    EXPECT_TRUE(mine.MergeIn(older));
    EXPECT_EQ(State(mine), "update[1 2] assoc[1] | ");
    EXPECT_TRUE(older.MergeIn(stale));
    EXPECT_EQ(State(older), "assoc[1] update[1 2] | ");

    // Element 2 gets its values here, element 1 there.
    mine.RefreshAndRemoveIrrelevantElems({E(2)});
    theirs.RefreshAndRemoveIrrelevantElems({E(1)});
    ASSERT_EQ(State(theirs), "update[2] | ");
    EXPECT_TRUE(mine.MergeIn(theirs));
    EXPECT_EQ(State(mine), "assoc[1] | update");
    mine.MergeIn(stale);
    EXPECT_EQ(State(mine), "assoc[1] | update");
}

TEST_F(IssueCollection, ARefreshDropsElementsFromTheLastToTheFirstWithOneTraceLineEach) {
    Update issue(Update::Type::Unknown, "c", Es({1, 2, 3, 4}), groundFloor);
    p.sim.DeleteElement(E(4));
    TestSupport::LogCapture log;
    EXPECT_EQ(issue.Refresh(*connection, PK::HashSet<PK::Guid>{E(1), E(3)}), (Issue::Outcome{false, true}));
    EXPECT_EQ(issue.GetErroredElements(), Es({2}));
    std::vector<std::string> expected;
    for (PK::UInt32 n : {4, 3, 1})
        expected.push_back(
            fmt::format("ElementsAssociationBase: element({}) was removed becaus it is deleted or not relevant", E(n)));
    EXPECT_EQ(log.MessagesStartingWith("ElementsAssociationBase:"), expected);
}

TEST_F(IssueCollection, TeamWorkMergeKeepsSettledFailuresSettledOnBothSides) {
    Issue::Collection original(*connection), mine(*connection), theirs(*connection), stale(*connection);
    for (const IssuePtr& issue : {Elements("abc", 100, {1, 2, 3}), Make<Title>("title", 110, "S", "P"),
                                  Make<Unknown>("disk", 120, "disk"), Elements("xy", 130, {7, 8})})
        original.AddIssue(issue);
    ASSERT_EQ(ReadInto(mine, Stored(original)), PK::NoError);
    ASSERT_EQ(ReadInto(theirs, Stored(original)), PK::NoError);

    // Mine: the user removes the disk error; element 1 gets associated; x and y as well.
    PK::Clock::Set(200);
    mine.Remove(mine.Get()[2]);
    mine.RefreshAndRemoveIrrelevantElems({E(1), E(7), E(8)});
    // Theirs: element 3 gets associated, a new run fails on 2 and on 4.
    theirs.RefreshAndRemoveIrrelevantElems({E(3)});
    theirs.AddIssue(Elements("b", 210, {2}));
    theirs.AddIssue(Elements("d", 220, {4}));
    ASSERT_EQ(ReadInto(stale, Stored(theirs)), PK::NoError);

    // abc: 1 settled here, 3 there, 2 moved into b: gone for good; xy: settled here, stays settled.
    EXPECT_TRUE(mine.MergeIn(theirs));
    EXPECT_EQ(State(mine), "title b[2] d[4] | abc disk xy");
    EXPECT_TRUE(theirs.MergeIn(mine));
    EXPECT_EQ(State(theirs, true), State(mine, true));

    // An older version of theirs brings nothing settled back, even after Clear.
    mine.MergeIn(stale);
    EXPECT_EQ(State(mine), "title b[2] d[4] | abc disk xy");
    mine.Clear();
    mine.MergeIn(stale);
    EXPECT_EQ(State(mine, true), State(theirs, true));

    // The merged-in issues are copies: settling one here leaves theirs alone.
    const std::string staleBefore = State(stale);
    mine.RefreshAndRemoveIrrelevantElems({E(4)});
    EXPECT_EQ(State(stale), staleBefore);
}

// Whichever GUIDs the copies drew.
TEST_F(IssueCollection, CrossingMergesOfFailuresMadeInTheSameSecondKeepOneCopyOnBothSides) {
    for (PK::UInt64 seed = 1; seed <= 16; ++seed) {
        SCOPED_TRACE(seed);
        PK::Guid::SeedGenerator(seed);
        Issue::Collection mine(*connection), theirs(*connection);
        for (auto* side : {&mine, &theirs})
            for (const IssuePtr& issue : {Make<Unknown>(side == &mine ? "disk" : "disk'", 100, "disk"),
                                          Make<Title>(side == &mine ? "title" : "title'", 100, "S", "P"),
                                          Elements(side == &mine ? "ab" : "ab'", 100, {1, 2})})
                side->AddIssue(issue);
        for (int exchange = 0; exchange < 2; ++exchange) {
            Issue::Collection mineCopy(*connection), theirsCopy(*connection);
            ASSERT_EQ(ReadInto(mineCopy, Stored(mine)), PK::NoError);
            ASSERT_EQ(ReadInto(theirsCopy, Stored(theirs)), PK::NoError);
            mine.MergeIn(theirsCopy);
            theirs.MergeIn(mineCopy);
        }
        EXPECT_EQ(mine.Get().GetSize(), 3u) << State(mine);
        EXPECT_EQ(State(mine, true), State(theirs, true));
    }
}

// A member on this version loses nothing of a later one's records for the team.
TEST_F(IssueCollection, RecordsOfALaterVersionAreWrittenBackUnchangedAndDamagedOnesAreReported) {
    const IssuePtr title = Make<Title>("title", 100, "S", "P");
    const IssuePtr elements = Elements("elements", 110, {1, 2});
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
    issues.AddIssue(Make<Unknown>("replaced", 1, "replaced by the stored list"));
    PK::Clock::Set(500);
    ASSERT_EQ(ReadInto(issues, TestSupport::IssueListRecord(
                                   {WithType(*title), foreign, newer, cut, WithType(*elements)}, deleted)),
              PK::NoError);
    ASSERT_EQ(State(issues), "title elements[1 2] ? | ?") << "the damaged record became an issue of its own";
    EXPECT_EQ(issues.GetDeleted(), deleted);
    const auto& damaged = dynamic_cast<const Unknown&>(*issues.Get()[2]);
    EXPECT_EQ(damaged.CreationTime(), 500);
    EXPECT_TRUE(
        damaged.GetHint().BeginsWith("Issue::Collection read error: issue 4 of 5 (Model::Issue::UnknownError "
                                     "904AB58B-9244-4C39-B0AB-86BCA079385A): APIERR_"))
        << damaged.GetHint();
    EXPECT_EQ(log.MessagesStartingWith("Issue record(").size(), 3u);

    // Stored again, and after a merge into a version that lacks them, they are there as they came.
    const Bytes rewritten = Stored(issues);
    Issue::Collection again(*connection), merged(*connection);
    ASSERT_EQ(ReadInto(again, rewritten), PK::NoError);
    EXPECT_EQ(fmt::format("{}", again), fmt::format("{}", issues));
    merged.MergeIn(again);
    merged.MergeIn(issues);
    for (const Bytes& bytes : {rewritten, Stored(merged)})
        for (const Bytes& kept : {foreign, newer})
            EXPECT_TRUE(bytes.size() == rewritten.size() &&
                        std::search(bytes.begin(), bytes.end(), kept.begin(), kept.end()) != bytes.end());

    // Damaged or cut copies of that list fail to read and leave the collection as it was. The first issue's
    // frame length follows the list's frame (22 bytes), count, class GUID, frame GUID and version.
    std::vector<std::pair<std::string, Bytes>> cases = {{"issue frame length", rewritten}};
    std::fill_n(cases[0].second.begin() + 22 + 4 + 16 + 18, 4, '\x7f');
    for (PK::USize size = 0; size < rewritten.size(); size += 7)
        cases.emplace_back(fmt::format("cut at {}", size), Bytes(rewritten.begin(), rewritten.begin() + size));
    Issue::Collection held(*connection);
    held.AddIssue(Make<Unknown>("held", 60, "held"));
    for (const auto& [what, data] : cases) {
        SCOPED_TRACE(what);
        bool failed = true;
        try {
            failed = ReadInto(held, data) != PK::NoError;
        } catch (const std::exception&) {
        }
        EXPECT_TRUE(failed);
        EXPECT_EQ(State(held), "held | ");
    }
}

// A team member who has not seen a recent removal yet still holds the issue: only its stamp keeps it out.
TEST_F(IssueCollection, CuttingTheStampsKeepsTheLatestSoARecentRemovalStaysRemovedInAMerge) {
    Issue::Collection::DeletedTable old;
    for (PK::Int32 stamp = 1; stamp < static_cast<PK::Int32>(Issue::Collection::deletedCutThreshold); ++stamp) {
        PK::Guid removed;
        removed.time_low = static_cast<PK::UInt32>(stamp) + 0x10000;
        old.Add(removed, stamp);
    }
    const IssuePtr recent = Make<Unknown>("recent", 100, "recent");
    const Bytes stored = TestSupport::IssueListRecord({WithType(*recent)}, old);
    Issue::Collection mine(*connection), theirs(*connection);
    ASSERT_EQ(ReadInto(mine, stored), PK::NoError);
    ASSERT_EQ(ReadInto(theirs, stored), PK::NoError);

    PK::Clock::Set(5000);
    mine.Remove(mine.Get()[0]);
    ASSERT_EQ(mine.GetDeleted().GetSize(), Issue::Collection::deletedKeptAfterCut);
    PK::Int32 oldestKept = 5000;
    for (const auto& [guid, stamp] : mine.GetDeleted()) oldestKept = std::min(oldestKept, stamp);
    EXPECT_EQ(oldestKept, 2001);
    mine.MergeIn(theirs);
    EXPECT_TRUE(mine.Get().IsEmpty()) << State(mine);
}
