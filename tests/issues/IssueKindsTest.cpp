#include <gtest/gtest.h>

#include "IO/MemoryChannel.hpp"
#include "Model/Errors.hpp"
#include "Model/Issue/BaseWithText.hpp"
#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"
#include "Model/Issue/ElementsAssociation.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "Model/Issue/UpdateElementsProperties.hpp"
#include "PK/Time.hpp"
#include "TVSim/Resources.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "support/ElementsIssue.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"

using namespace TessaryConnect;
using namespace TessaryConnect::Model;
using Title = Issue::CoudntUpdateProjectOrSpecTitle;
using Item = Issue::MissingClassificationItem;
using Unknown = Issue::UnknownError;
using Assoc = Issue::ElementsAssociation;
using Update = Issue::UpdateElementsProperties;
using TestSupport::Clause;
using TestSupport::E;
using TestSupport::Es;
using TestSupport::groundFloor;

namespace {

using IssuePtr = std::shared_ptr<Issue::Base>;
using Bytes = std::vector<char>;
using S = Issue::Severity;

std::shared_ptr<Assoc> AssocOf(Assoc::Type type, PK::Array<PK::Guid> elements, const PK::UniString& clause = "c") {
    return std::make_shared<Assoc>(type, clause, std::move(elements), groundFloor);
}

std::shared_ptr<Update> UpdateOf(Update::Type type, PK::Array<PK::Guid> elements) {
    return std::make_shared<Update>(type, "c", std::move(elements), groundFloor);
}

IssuePtr ItemOf(const PK::UniString& code, const PK::UniString& title = "Title") {
    Api::Properties clause = Clause("c", code, title);
    if (code.IsEmpty()) clause.Delete(Api::Properties::Name::Code);
    return std::make_shared<Item>(clause);
}

Bytes Stored(const Issue::Base& issue) {
    return TestSupport::Written([&](PK::OChannel& oc) { EXPECT_EQ(issue.WriteWithType(oc), PK::NoError); });
}

std::unique_ptr<Issue::Base> ReadBack(const Bytes& bytes) {
    IO::MemoryIChannel32 ic(bytes.data(), bytes.size());
    return Issue::Base::CreateAndRead(ic);
}

std::string Printed(const Issue::Base& issue) { return fmt::format("{}", issue); }

}  // namespace

TEST(IssueKinds, ANewerIssueAbsorbsWhatItRepeatsOfAnOlderOne) {
    const auto title = [] { return std::make_shared<Title>("S2", "P2"); };
    const auto unknown = [](const char* hint) { return std::make_shared<Unknown>(hint); };
    const auto lockedB = [] { return AssocOf(Assoc::Type::AssocLockedElement, Es({2})); };
    const auto updateA = [] { return UpdateOf(Update::Type::Unknown, Es({1})); };
    struct Row {
        const char* what;
        IssuePtr newer, older;
        Issue::Outcome expected;
        PK::Array<PK::Guid> olderLeft = {};
        bool assertionLogged = false;
    };
    const std::vector<Row> rows = {
        {"title supersedes any older title", title(), std::make_shared<Title>("S1", "P1"), {true, false}},
        {"title leaves other kinds", title(), unknown(""), {}},
        {"title drops an empty older title", title(), std::make_shared<Title>("", ""), {true, false}, {}, true},
        {"same clause code", ItemOf("B10"), ItemOf("B10", "Old"), {true, false}},
        {"other clause code", ItemOf("B10"), ItemOf("B11"), {}},
        {"newer without a code", ItemOf(""), ItemOf("B10"), {}},
        {"same hint", unknown("disk"), unknown("disk"), {true, false}},
        {"other hint", unknown("disk"), unknown("net"), {}},
        {"association takes part", lockedB(), AssocOf(Assoc::Type::AssocUnknown, Es({1, 2})), {false, true}, Es({1})},
        {"association takes all", lockedB(), AssocOf(Assoc::Type::DisassocUnknown, Es({2, 2})), {true, true}},
        {"association from update", lockedB(), UpdateOf(Update::Type::LockedElement, Es({2})), {true, true}},
        {"association drops an empty", lockedB(), AssocOf(Assoc::Type::AssocUnknown, {}), {true, false}, {}, true},
        {"update from update", updateA(), UpdateOf(Update::Type::OnLockedLayer, Es({1, 2})), {false, true}, Es({2})},
        {"update leaves association", updateA(), AssocOf(Assoc::Type::AssocUnknown, Es({1})), {}, Es({1})},
        {"nothing older", updateA(), nullptr, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TestSupport::LogCapture log;
        EXPECT_EQ(row.newer->MergeFrom(row.older), row.expected);
        EXPECT_EQ(log.Has(spdlog::level::err, "failed assertion: !older->IsEmpty()"), row.assertionLogged);
        // A code that is not there never counts as a match, and never as a fault of the data.
        EXPECT_FALSE(log.Has(spdlog::level::err, "failed assertion: this->ContainsKey(Name::Code)"));
        if (auto* older = dynamic_cast<Issue::ElementsAssociationBase*>(row.older.get())) {
            EXPECT_EQ(older->GetErroredElements(), row.olderLeft);
        }
    }
}

TEST(IssueKinds, AnIssueKeepsOnlyWhatIsStillUnsettled) {
    Title title("", "Project B");
    EXPECT_FALSE(title.MergeCopy(*std::unique_ptr<Issue::Base>(title.Clone())));
    EXPECT_FALSE(title.IsEmpty());
    EXPECT_TRUE(title.MergeCopy(Title("", "")));  // the other side's copy after its fix
    EXPECT_TRUE(title.IsEmpty());

    // A run lists an element as often as it failed on it.
    Issue::ElementsAssociationCollectionBuilder builder("c", groundFloor);
    for (PK::UInt32 n : {1, 2, 3, 4, 3}) builder.Add(Assoc::Type::AssocLockedElement, E(n));
    const std::shared_ptr<Assoc> mine = std::move(builder).Release()[0];
    EXPECT_EQ(mine->GetErroredElements(), Es({1, 2, 3, 4, 3}));
    EXPECT_TRUE(mine->MergeCopy(*AssocOf(Assoc::Type::AssocLockedElement, Es({5, 4, 1, 3}))));
    EXPECT_FALSE(mine->MergeCopy(*std::unique_ptr<Issue::Base>(mine->Clone())));
    EXPECT_EQ(mine->GetErroredElements(), Es({1, 3, 4, 3}));
}

TEST(IssueKinds, EveryKindShowsItsSeverityAndItsTextWithEveryPlaceholderFilled) {
    TestSupport::Project p;
    const TestSupport::ConnectionPtr connection = p.Connect();  // "Spec One"
    connection->Cmd_AssociateElementsToVirtualType("c", Clause("c", "A10", "Walls"), {}, false);
    struct Row {
        IssuePtr issue;
        S severity;
        int item;
    };
    std::vector<Row> rows = {
        {std::make_shared<Title>("Spec B", "Project B"), S::Warning, 22},
        {ItemOf("A10", "Walls"), S::Error, 18},
        {std::make_shared<Unknown>("disk full"), S::Error, 23},
    };
    const int assocItem[] = {1, 2, 5, 6, 7, 8, 9, 10, 11, 12, 4, 3};
    for (int type = 1; type <= 12; ++type)
        rows.push_back({AssocOf(static_cast<Assoc::Type>(type), Es({1, 2})), type <= 2 ? S::Error : S::Warning,
                        assocItem[type - 1]});
    const int updateItem[] = {13, 14, 16, 15, 17};  // 15 and 16 the other way round from the types
    for (int type = 1; type <= 5; ++type)
        rows.push_back({UpdateOf(static_cast<Update::Type>(type), Es({1, 2})), type == 1 ? S::Error : S::Warning,
                        updateItem[type - 1]});
    const std::pair<const char*, const char*> filled[] = {{"{ElemCount}", "2"},
                                                          {"{ViewName}", "Ground Floor"},
                                                          {"{OrvoTessaryCode}{ :OrvoTessaryTitle}", "A10 Walls"},
                                                          {"{OrvoTessarySpecificationTitleNew}", "Spec B"},
                                                          {"{OrvoTessaryProjectTitleNew}", "Project B"},
                                                          {"{OrvoTessarySpecificationTitle}", "Spec One"},
                                                          {"{Hint}", "disk full"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(Printed(*row.issue));
        EXPECT_EQ(row.issue->Severity(), row.severity);
        PK::UniString expected;
        ASSERT_TRUE(RSGetIndString(&expected, Util::Resource::issueTextsResID, row.item, TVAPI_GetOwnResModule()));
        for (const auto& [placeholder, value] : filled) expected.ReplaceAll(placeholder, value);
        EXPECT_FALSE(expected.Contains("{"));
        EXPECT_EQ(row.issue->GetString(*connection), expected);
    }
    // Values no version knows: an error, and no text of their own.
    EXPECT_EQ(AssocOf(static_cast<Assoc::Type>(0), Es({1}))->Severity(), S::Error);
    EXPECT_EQ(UpdateOf(static_cast<Update::Type>(6), Es({1}))->GetString(*connection), "Serious error!");
    // A clause the connection no longer has leaves its placeholders.
    TestSupport::LogCapture log;
    EXPECT_TRUE(AssocOf(Assoc::Type::AssocUnknown, Es({1}), "gone")->GetString(*connection).Contains("{ElemCount}"));
    EXPECT_TRUE(log.Has(spdlog::level::warn, "VirtualType(\"gone\") is missing"));
}

// Values that hold the next key's placeholder twice would double the text once per key.
TEST(IssueKinds, AClauseWhoseValuesHoldEachOthersPlaceholdersGivesABoundedText) {
    Api::Properties clause;
    clause.Add(Api::Properties::Name::Code, "{K1}{K1}");
    for (int k = 1; k <= 20; ++k) clause.Add(fmt::format("K{}", k), fmt::format("{{K{0}}}{{K{0}}}", k + 1));
    TestSupport::Project p;
    const PK::UniString text = Item(clause).GetString(*p.Read());
    EXPECT_LE(text.GetLength(), 1u << 16);
    EXPECT_TRUE(text.BeginsWith("Clause {K1}{K1}{ :OrvoTessaryTitle} has "));
}

// Each kind's frame holds its fields and then its parent's frame, down to the base.
TEST(IssueKinds, EveryKindWritesItsFramesAndRefusesANewerVersionAtEveryLevel) {
    PK::Clock::Set(100);
    using Level = std::pair<PK::Guid, std::function<void(PK::OChannel&)>>;
    // The record with the frame of level `at` in that version, the others in 1.0.
    const auto record = [](const std::vector<Level>& levels, std::size_t at, PK::ClassVersion version) {
        const auto versionOf = [&](std::size_t i) { return i == at ? version : PK::ClassVersion(1, 0); };
        std::function<void(PK::OChannel&, std::size_t)> from = [&](PK::OChannel& oc, std::size_t i) {
            levels[i].second(oc);
            if (i + 1 == levels.size()) return;
            PK::OutputFrame inner(oc, levels[i + 1].first, versionOf(i + 1));
            from(oc, i + 1);
        };
        return TestSupport::IssueRecord(levels[0].first, versionOf(0), [&](PK::OChannel& oc) { from(oc, 0); });
    };
    const auto own = [](const Issue::Base& issue, auto... fields) {
        return Level{issue.GetClassInfo()->GetId(), [=](PK::OChannel& oc) { (oc.Write(fields), ...); }};
    };
    const auto elements = [](const Issue::ElementsAssociationBase& issue) {
        return Level{Issue::ElementsAssociationBase::classInfo.GetId(), [&issue](PK::OChannel& oc) {
                         oc.Write(issue.GetTargetVirtualType());
                         oc.Write(issue.GetErroredElements());
                         oc.Write(issue.GetWindowId());
                     }};
    };
    const Title title("Spec \"B\"", "");
    const Item item(Clause("clause-1", "B10", "Walls"));
    const Unknown unknown("Issue::Collection read error: unknown");
    const Assoc association(Assoc::Type::DisassocOnLockedLayer, "clause-a", Es({3, 1, 3}), groundFloor);
    const Update update(Update::Type::OnInvisibleLayer, "clause-b", Es({2}), Api::WindowId());
    const PK::HashTable<PK::UniString, PK::UniString> properties = item.GetTessaryClauseProperties();
    std::vector<std::pair<const Issue::Base*, std::vector<Level>>> kinds = {
        {&title, {own(title, PK::UniString("Spec \"B\""), PK::UniString(""))}},
        {&item, {own(item, properties)}},
        {&unknown, {own(unknown, PK::UniString("Issue::Collection read error: unknown"))}},
        {&association, {own(association, PK::Int32(6)), elements(association)}},
        {&update, {own(update, PK::Int32(5)), elements(update)}},
    };
    for (auto& [issue, levels] : kinds) {
        SCOPED_TRACE(Printed(*issue));
        // Captured by a copy of its own: clang before 16 captures no structured binding by name.
        levels.push_back({Issue::Base::classInfo.GetId(), [issue = issue](PK::OChannel& oc) {
                              oc.Write(issue->Guid());
                              oc.Write(issue->CreationTime());
                              oc.Write(static_cast<PK::Int32>(issue->Severity()));
                          }});
        const Bytes current = record(levels, 0, {1, 0});
        EXPECT_EQ(Stored(*issue), current);
        EXPECT_EQ(Stored(*ReadBack(current)), current);  // every field read back
        for (std::size_t at = 0; at < levels.size(); ++at) {
            SCOPED_TRACE(at);
            EXPECT_THROW(ReadBack(record(levels, at, {2, 0})), Error::VersionIncompatibility);
            EXPECT_EQ(Stored(*ReadBack(record(levels, at, {1, 7}))), current);
        }
    }
}
