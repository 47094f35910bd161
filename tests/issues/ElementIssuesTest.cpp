#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "IO/MemoryChannel.hpp"
#include "Model/Issue/Collection.hpp"
#include "Model/Issue/ElementsAssociation.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "Model/Issue/UpdateElementsProperties.hpp"
#include "PK/Time.hpp"
#include "TVSim/Resources.hpp"
#include "support/ElementsIssue.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"
#include "support/TempDir.hpp"

using namespace TessaryConnect;
using namespace TessaryConnect::Model;
using Assoc = Issue::ElementsAssociation;
using Update = Issue::UpdateElementsProperties;
using TestSupport::E;

namespace {

using IssuePtr = std::shared_ptr<Issue::Base>;

const Api::WindowId groundFloor(Api::DatabaseId(APIWind_FloorPlanID, 1, PK::Guid()), 0, false);

PK::Array<PK::Guid> Es(std::initializer_list<PK::UInt32> numbers) {
    PK::Array<PK::Guid> guids;
    for (PK::UInt32 n : numbers) guids.Push(E(n));
    return guids;
}

std::shared_ptr<Assoc> AssocIssue(Assoc::Type type, PK::Array<PK::Guid> elements, const PK::UniString& clause = "c") {
    return std::make_shared<Assoc>(type, clause, std::move(elements), groundFloor);
}

std::shared_ptr<Update> UpdateIssue(Update::Type type, PK::Array<PK::Guid> elements) {
    return std::make_shared<Update>(type, "c", std::move(elements), groundFloor);
}

std::string Printed(const Issue::Base& issue) { return fmt::format("{}", issue); }

// The issue-list text of an item with the test clause and view filled in.
std::string ExpectedText(int item, const char* count, const char* view) {
    PK::UniString text;
    EXPECT_TRUE(RSGetIndString(&text, Issue::issueTextsResID, item, TVAPI_GetOwnResModule())) << item;
    text.ReplaceAll("{ElemCount}", count);
    text.ReplaceAll("{ViewName}", view);
    text.ReplaceAll("{OrvoTessaryCode}{ :OrvoTessaryTitle}", "A10 Walls");
    return text.ToCStr();
}

}  // namespace

TEST(ElementIssues, ARunGivesOneIssuePerFailureTypeInTheOrderTheTypesFirstFailed) {
    Issue::ElementsAssociationCollectionBuilder builder("clause-a", groundFloor);
    builder.Add(Assoc::Type::AssocLockedElement, E(1));
    builder.Add(Assoc::Type::AssocNoTeamworkRight, E(2));
    builder.Add(Assoc::Type::AssocLockedElement, E(3));
    builder.Add(Assoc::Type::AssocLockedElement, E(3));  // listed twice, counted twice
    PK::Array<std::shared_ptr<Assoc>> issues = std::move(builder).Release();
    ASSERT_EQ(issues.GetSize(), 2u);
    EXPECT_EQ(issues[0]->GetType(), Assoc::Type::AssocLockedElement);
    EXPECT_EQ(issues[0]->GetErroredElements(), Es({1, 3, 3}));
    EXPECT_EQ(issues[1]->GetType(), Assoc::Type::AssocNoTeamworkRight);
    EXPECT_EQ(issues[1]->GetErroredElements(), Es({2}));
    for (const auto& issue : issues) {
        EXPECT_EQ(issue->GetTargetVirtualType(), "clause-a");
        EXPECT_EQ(issue->GetWindowId().GetDatabaseId().GetTypeID(), APIWind_FloorPlanID);
        EXPECT_TRUE(issue->IsFixable());
    }

    Issue::UpdateElementsPropertiesCollectionBuilder updates("clause-a", groundFloor);
    updates.Add(Update::Type::OnLockedLayer, E(4));
    updates.Add(Update::Type::Unknown, E(5));
    PK::Array<std::shared_ptr<Update>> written = std::move(updates).Release();
    ASSERT_EQ(written.GetSize(), 2u);
    EXPECT_EQ(written[0]->GetType(), Update::Type::OnLockedLayer);
    EXPECT_EQ(written[1]->GetType(), Update::Type::Unknown);
    EXPECT_EQ(Update().GetType(), Update::Type::Unknown);
}

TEST(ElementIssues, EachTypeHasItsSeverityAndItsText) {
    using S = Issue::Severity;
    TestSupport::Project p;
    const TestSupport::ConnectionPtr connection = p.Connect();
    connection->Cmd_AssociateElementsToVirtualType("clause-a", TestSupport::Clause("clause-a", "A10", "Walls"), {},
                                                   false);
    ASSERT_TRUE(connection->HasVirtualType("clause-a"));

    struct Row {
        int type;
        S severity;
        int item;
    };
    const std::vector<Row> associationRows = {
        {1, S::Error, 1},    {2, S::Error, 2},     {3, S::Warning, 5},  {4, S::Warning, 6},
        {5, S::Warning, 7},  {6, S::Warning, 8},   {7, S::Warning, 9},  {8, S::Warning, 10},
        {9, S::Warning, 11}, {10, S::Warning, 12}, {11, S::Warning, 4}, {12, S::Warning, 3},
    };
    for (const Row& row : associationRows) {
        SCOPED_TRACE(row.type);
        const auto issue = AssocIssue(static_cast<Assoc::Type>(row.type), Es({1, 2}), "clause-a");
        EXPECT_EQ(issue->Severity(), row.severity);
        EXPECT_EQ(issue->GetString(*connection).ToCStr(), ExpectedText(row.item, "2", "Ground Floor"));
    }
    // Items 15 and 16 the other way round from the types.
    const std::vector<Row> updateRows = {
        {1, S::Error, 13}, {2, S::Warning, 14}, {3, S::Warning, 16}, {4, S::Warning, 15}, {5, S::Warning, 17},
    };
    for (const Row& row : updateRows) {
        SCOPED_TRACE(row.type);
        // A write run names the 3D window.
        const auto issue = std::make_shared<Update>(static_cast<Update::Type>(row.type), "clause-a", Es({1}),
                                                    Api::WindowId(Api::DatabaseId(APIWind_3DModelID, 0, {}), 0, false));
        EXPECT_EQ(issue->Severity(), row.severity);
        EXPECT_EQ(issue->GetString(*connection).ToCStr(), ExpectedText(row.item, "1", "3D View"));
    }

    // Values no version knows: an error, and no text of their own.
    EXPECT_EQ(AssocIssue(static_cast<Assoc::Type>(0), Es({1}))->Severity(), S::Error);
    EXPECT_EQ(UpdateIssue(static_cast<Update::Type>(6), Es({1}))->GetString(*connection), "Serious error!");
}

TEST(ElementIssues, ATextWithoutItsVirtualTypeOrResourceSaysSoInsteadOfFailing) {
    TestSupport::Project p;
    const TestSupport::ConnectionPtr connection = p.Connect();
    {
        TestSupport::LogCapture log;
        const std::string text =
            AssocIssue(Assoc::Type::AssocLockedElement, Es({1}), "gone")->GetString(*connection).ToCStr();
        EXPECT_NE(text.find("{ElemCount}"), std::string::npos) << text;
        EXPECT_NE(text.find("{ViewName}"), std::string::npos) << text;
        EXPECT_TRUE(log.Has(spdlog::level::warn, "VirtualType(\"gone\") is missing"));
    }
    TestSupport::TempDir elsewhere;
    TVSim::Resources::SetFolder(elsewhere.Path());
    TestSupport::LogCapture log;
    EXPECT_EQ(AssocIssue(Assoc::Type::AssocLockedElement, Es({1}))->GetString(*connection), "Missing resource string.");
    EXPECT_EQ(UpdateIssue(Update::Type::LockedElement, Es({1}))->GetString(*connection), "Missing resource string.");
    EXPECT_TRUE(log.Has(spdlog::level::err, "Missing resource string: type(7)"));
    EXPECT_TRUE(log.Has(spdlog::level::err, "Missing resource string: type(3)"));
}

TEST(ElementIssues, ANewerIssueTakesTheElementsItListsOutOfAnOlderOne) {
    struct Row {
        const char* what;
        IssuePtr newer;
        IssuePtr older;
        Issue::Outcome outcome;
        std::vector<PK::UInt32> olderLeft;
        bool assertion = false;
    };
    const auto lockedB = [] { return AssocIssue(Assoc::Type::AssocLockedElement, Es({2})); };
    const auto updateA = [] { return UpdateIssue(Update::Type::Unknown, Es({1})); };
    const std::vector<Row> rows = {
        {"association from association, part",
         lockedB(),
         AssocIssue(Assoc::Type::AssocUnknown, Es({1, 2})),
         {false, true},
         {1}},
        {"association from association, all",
         lockedB(),
         AssocIssue(Assoc::Type::DisassocUnknown, Es({2, 2})),
         {true, true},
         {}},
        {"association from property update",
         lockedB(),
         UpdateIssue(Update::Type::LockedElement, Es({2, 3})),
         {false, true},
         {3}},
        {"association leaves other kinds", lockedB(), std::make_shared<Issue::UnknownError>(), {}, {}},
        {"association drops an empty older one",
         lockedB(),
         AssocIssue(Assoc::Type::AssocUnknown, {}),
         {true, false},
         {},
         true},
        {"update from update", updateA(), UpdateIssue(Update::Type::OnLockedLayer, Es({1, 2})), {false, true}, {2}},
        {"update leaves association", updateA(), AssocIssue(Assoc::Type::AssocUnknown, Es({1})), {}, {1}},
        {"update keeps an empty older one", updateA(), UpdateIssue(Update::Type::Unknown, {}), {}, {}, true},
        {"nothing older", updateA(), nullptr, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TestSupport::LogCapture log;
        EXPECT_EQ(row.newer->MergeFrom(row.older), row.outcome);
        EXPECT_EQ(log.Has(spdlog::level::err, "failed assertion: !older->IsEmpty()"), row.assertion);
        if (auto* older = dynamic_cast<Issue::ElementsAssociationBase*>(row.older.get())) {
            PK::Array<PK::Guid> left;
            for (PK::UInt32 n : row.olderLeft) left.Push(E(n));
            EXPECT_EQ(older->GetErroredElements(), left);
        }
    }
}

TEST(ElementIssues, ARefreshForgetsHandledElementsAndThoseTheHostNoLongerHas) {
    TestSupport::Project p;
    const TestSupport::ConnectionPtr connection = p.Connect();
    const API_Guid a = p.sim.AddElement(API_WallID), b = p.sim.AddElement(API_WallID), c = p.sim.AddElement(API_WallID);
    const auto issue = AssocIssue(Assoc::Type::AssocLockedElement, {a, b, c});

    EXPECT_EQ(issue->Refresh(*connection, {}), (Issue::Outcome{false, false}));
    p.sim.DeleteElement(c);
    EXPECT_EQ(issue->Refresh(*connection, PK::HashSet<PK::Guid>{a}), (Issue::Outcome{false, true}));
    EXPECT_EQ(issue->GetErroredElements(), (PK::Array<PK::Guid>{b}));
    EXPECT_EQ(issue->Refresh(*connection, PK::HashSet<PK::Guid>{b}), (Issue::Outcome{true, true}));
    EXPECT_TRUE(issue->IsEmpty());
    EXPECT_EQ(issue->Refresh(*connection, {}), (Issue::Outcome{true, false}));
}

// Each member may have settled some elements of the same issue since their
// versions parted; the merged issue keeps only what both still list.
TEST(ElementIssues, ATeamWorkMergeOfOneIssueKeepsOnlyTheElementsBothCopiesStillList) {
    TestSupport::Project p;
    const TestSupport::ConnectionPtr connection = p.Connect();
    PK::Array<PK::Guid> walls;
    for (int i = 0; i < 4; ++i) walls.Push(p.sim.AddElement(API_WallID));
    const auto original = AssocIssue(Assoc::Type::AssocLockedElement, walls);
    const auto settled = UpdateIssue(Update::Type::LockedElement, {walls[0]});

    Issue::Collection mine(*connection), theirs(*connection);
    mine.AddIssue(IssuePtr(original->Clone()));
    theirs.AddIssue(IssuePtr(original->Clone()));
    theirs.AddIssue(IssuePtr(settled->Clone()));  // stands apart: a newer update issue takes nothing from it
    auto* myCopy = dynamic_cast<Assoc*>(mine.Get()[0].get());
    auto* theirCopy = dynamic_cast<Assoc*>(theirs.Get()[0].get());
    ASSERT_TRUE(myCopy && theirCopy);
    EXPECT_EQ(myCopy->Refresh(*connection, PK::HashSet<PK::Guid>{walls[1]}).changed, true);
    EXPECT_EQ(theirCopy->Refresh(*connection, PK::HashSet<PK::Guid>{walls[2]}).changed, true);

    EXPECT_TRUE(mine.MergeIn(theirs));
    const auto merged = mine.GetIssuesByType<Assoc>();
    ASSERT_EQ(merged.GetSize(), 1u);
    EXPECT_EQ(merged[0]->GetErroredElements(), (PK::Array<PK::Guid>{walls[0], walls[3]}));

    // Nothing that both still list: the issue goes, stamped, and a later copy does not bring it back.
    Issue::Collection other(*connection);
    const IssuePtr elsewhere(original->Clone());
    elsewhere->Refresh(*connection, PK::HashSet<PK::Guid>{walls[0], walls[3]});
    other.AddIssue(elsewhere);
    mine.MergeIn(other);
    EXPECT_TRUE(mine.GetIssuesByType<Assoc>().IsEmpty());
    EXPECT_TRUE(mine.GetDeleted().ContainsKey(original->Guid()));
    Issue::Collection again(*connection);
    again.AddIssue(IssuePtr(original->Clone()));
    mine.MergeIn(again);
    EXPECT_TRUE(mine.GetIssuesByType<Assoc>().IsEmpty());
}

TEST(ElementIssues, ReadBackWithEveryFieldInOrderAndPrintedWithWhatEachKindShows) {
    PK::Guid::SeedGenerator(3);
    PK::Clock::Set(77);
    const auto association = AssocIssue(Assoc::Type::DisassocOnLockedLayer, Es({3, 1, 3}), "clause-a");
    const auto update = UpdateIssue(Update::Type::NoTeamworkRight, Es({2}));
    for (const IssuePtr& issue : std::vector<IssuePtr>{association, update}) {
        SCOPED_TRACE(Printed(*issue));
        IO::MemoryOChannel32 oc;
        ASSERT_EQ(issue->WriteWithType(oc), PK::NoError);
        IO::MemoryIChannel32 ic(oc.GetDestination(), oc.GetDataSize());
        const std::unique_ptr<Issue::Base> back = Issue::Base::CreateAndRead(ic);
        EXPECT_EQ(back->GetClassInfo(), issue->GetClassInfo());
        EXPECT_EQ(back->Guid(), issue->Guid());
        EXPECT_EQ(back->CreationTime(), 77);
        EXPECT_EQ(back->Severity(), issue->Severity());
        const auto& elements = dynamic_cast<const Issue::ElementsAssociationBase&>(*back);
        const auto& original = dynamic_cast<const Issue::ElementsAssociationBase&>(*issue);
        EXPECT_EQ(elements.GetErroredElements(), original.GetErroredElements());
        EXPECT_EQ(elements.GetTargetVirtualType(), original.GetTargetVirtualType());
        EXPECT_EQ(elements.GetWindowId().GetDatabaseId().GetIndex(), 1);
        EXPECT_EQ(Printed(*back), Printed(*issue));
    }
    const std::string guid = association->Guid().ToUniString().ToCStr();
    EXPECT_EQ(Printed(*association),
              "Model::Issue::ElementsAssociation{guid: \"" + guid +
                  "\", severity: Warning, creationTime: 77, \"targetVirtualType\": \"clause-a\", \"erroredElements\": "
                  "[" +
                  fmt::format("{}, {}, {}", E(3), E(1), E(3)) + "], \"windowId\": " + fmt::format("{}", groundFloor) +
                  ", type: DisassocOnLockedLayer}");
    EXPECT_EQ(Printed(*update), "Model::Issue::UpdateElementsProperties{guid: \"" +
                                    std::string(update->Guid().ToUniString().ToCStr()) +
                                    "\", severity: Warning, creationTime: 77, type: NoTeamworkRight}");
    EXPECT_TRUE(Printed(*AssocIssue(static_cast<Assoc::Type>(13), Es({1}))).ends_with(", type: }"));
}
