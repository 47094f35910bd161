#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "TVSim/Resources.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"
#include "support/TempDir.hpp"

using namespace TessaryConnect;
using namespace TessaryConnect::Model;
using TestSupport::Clause;

namespace {

const Api::Properties noCode = [] {
    Api::Properties clause = Clause("c", "");
    clause.Delete(Api::Properties::Name::Code);
    return clause;
}();

PK::UniString IssueText(const ConnectionWithSpecification& connection, int item) {
    PK::UniString text;
    EXPECT_TRUE(RSGetIndString(&text, Issue::issueTextsResID, item, TVAPI_GetOwnResModule())) << item;
    return connection.ResolveVariables(text, {}, {});
}

}  // namespace

TEST(IssueKinds, ANewerIssueDropsTheOlderOneOnlyWhenItSaysTheSame) {
    using Title = Issue::CoudntUpdateProjectOrSpecTitle;
    using Item = Issue::MissingClassificationItem;
    using Unknown = Issue::UnknownError;
    struct Row {
        const char* what;
        std::shared_ptr<Issue::Base> newer, older;
        Issue::Outcome expected;
        bool assertionLogged = false;
    };
    const std::vector<Row> rows = {
        {"title supersedes any older title",
         std::make_shared<Title>("S2", "P2"),
         std::make_shared<Title>("S1", "P1"),
         {true, false}},
        {"title leaves other kinds", std::make_shared<Title>("S2", "P2"), std::make_shared<Unknown>(), {}},
        {"title drops an empty older title",
         std::make_shared<Title>("S2", "P2"),
         std::make_shared<Title>("", ""),
         {true, false},
         true},
        {"same clause code",
         std::make_shared<Item>(Clause("c", "B10")),
         std::make_shared<Item>(Clause("c", "B10", "Old")),
         {true, false}},
        {"other clause code",
         std::make_shared<Item>(Clause("c", "B10")),
         std::make_shared<Item>(Clause("c", "B11")),
         {}},
        {"newer without a code", std::make_shared<Item>(noCode), std::make_shared<Item>(Clause("c", "B10")), {}},
        {"older without a code", std::make_shared<Item>(Clause("c", "B10")), std::make_shared<Item>(noCode), {}},
        {"neither has a code", std::make_shared<Item>(noCode), std::make_shared<Item>(noCode), {}},
        {"missing item leaves unknown", std::make_shared<Item>(Clause("c", "B10")), std::make_shared<Unknown>(), {}},
        {"same hint", std::make_shared<Unknown>("disk"), std::make_shared<Unknown>("disk"), {true, false}},
        {"two empty hints", std::make_shared<Unknown>(), std::make_shared<Unknown>(), {true, false}},
        {"other hint", std::make_shared<Unknown>("disk"), std::make_shared<Unknown>("net"), {}},
        {"unknown leaves missing item", std::make_shared<Unknown>(), std::make_shared<Item>(Clause("c", "B10")), {}},
        {"unknown keeps an empty older issue", std::make_shared<Unknown>(), std::make_shared<Title>("", ""), {}, true},
        {"nothing older", std::make_shared<Unknown>(), nullptr, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TestSupport::LogCapture log;
        EXPECT_EQ(row.newer->MergeFrom(row.older), row.expected);
        EXPECT_EQ(log.Has(spdlog::level::err, "failed assertion: !older->IsEmpty()"), row.assertionLogged);
        // A code that is not there never counts as a match, and never as a fault of the data.
        EXPECT_FALSE(log.Has(spdlog::level::err, "failed assertion: this->ContainsKey(Name::Code)"));
    }
}

TEST(IssueKinds, ATitleIssueIsEmptyWithoutTitlesAndACopyEmptiedElsewhereEmptiesIt) {
    Issue::CoudntUpdateProjectOrSpecTitle none("", "");
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_TRUE(none.IsFixable());
    Issue::CoudntUpdateProjectOrSpecTitle onlyProject("", "Project B");
    EXPECT_FALSE(onlyProject.IsEmpty());

    EXPECT_FALSE(onlyProject.MergeCopy(*std::unique_ptr<Issue::Base>(onlyProject.Clone())));
    EXPECT_FALSE(onlyProject.IsEmpty());
    Issue::CoudntUpdateProjectOrSpecTitle emptied = none;  // stands for the other side's copy after its fix
    EXPECT_TRUE(onlyProject.MergeCopy(emptied));
    EXPECT_TRUE(onlyProject.IsEmpty());
}

TEST(IssueKinds, TextsComeFromTheIssueListWithEveryPlaceholderFilled) {
    TestSupport::Project p;
    const TestSupport::ConnectionPtr connection = p.Read();  // its specification is "Spec One"
    const std::string title =
        Issue::CoudntUpdateProjectOrSpecTitle("Spec B", "Project B").GetString(*connection).ToCStr();
    EXPECT_NE(title.find("\"Spec B\""), std::string::npos) << title;
    EXPECT_NE(title.find("\"Project B\""), std::string::npos) << title;
    EXPECT_NE(title.find("Spec One"), std::string::npos) << title;
    EXPECT_EQ(title.find('{'), std::string::npos) << title;

    const std::string item =
        Issue::MissingClassificationItem(Clause("c", "B10", "Walls")).GetString(*connection).ToCStr();
    EXPECT_NE(item.find("B10 Walls"), std::string::npos) << item;
    EXPECT_EQ(item.find('{'), std::string::npos) << item;

    PK::UniString withoutHint = IssueText(*connection, 23);
    ASSERT_EQ(withoutHint.ReplaceAll("{Hint}", ""), 1u);
    EXPECT_EQ(Issue::UnknownError().GetString(*connection), withoutHint);
    EXPECT_TRUE(Issue::UnknownError("disk full").GetString(*connection).Contains("disk full"));

    // Without its text an issue shows nothing, not even its hint.
    TestSupport::TempDir elsewhere;
    TVSim::Resources::SetFolder(elsewhere.Path());
    TestSupport::LogCapture log;
    EXPECT_EQ(Issue::UnknownError("disk full").GetString(*connection), "");
    EXPECT_TRUE(log.Has(spdlog::level::critical, "Missing resource string. resID(32524), index(23)"));
}

// Stored or page values that hold the next key's placeholder twice would
// double the text once per key; filled in one pass, each goes in once.
TEST(IssueKinds, AClauseWhoseValuesHoldEachOthersPlaceholdersGivesABoundedText) {
    Api::Properties clause;
    clause.Add(Api::Properties::Name::Code, "{K1}{K1}");
    for (int k = 1; k <= 20; ++k) clause.Add(fmt::format("K{}", k), fmt::format("{{K{0}}}{{K{0}}}", k + 1));
    TestSupport::Project p;
    const PK::UniString text = Issue::MissingClassificationItem(clause).GetString(*p.Read());
    EXPECT_LE(text.GetLength(), 1u << 16);
    EXPECT_TRUE(text.BeginsWith("Clause {K1}{K1}{ :OrvoTessaryTitle} has "));
}
