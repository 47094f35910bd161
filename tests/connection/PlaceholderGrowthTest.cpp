#include <gtest/gtest.h>

#include <string>

#include "Model/Issue/BaseWithText.hpp"
#include "Model/Issue/ElementsAssociation.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "support/AddOn.hpp"
#include "support/ElementsIssue.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"

using namespace TessaryConnect;
using namespace TestSupport;

namespace {

std::string Repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

const std::string boundWarning = "ConnectionWithSpecification::ResolveVariables: filling \"";

}  // namespace

// Titles and hints hold each other's placeholders: each value goes in as it
// is, once, so the texts grow by the values' lengths, never by their product.
TEST(PlaceholderGrowth, TheIssueTextsOfAStoredRecordFillEachValueOnceAndStayBounded) {
    Project p;
    StoredConnection record;
    record.system = p.System();
    record.virtualTypes.push_back({"A10",
                                   p.Item("A10"),
                                   "clause-a",
                                   Clause("clause-a", "A10", "{OrvoTessarySpecificationTitle}{ElemCount}"),
                                   {}});
    const std::string specTitle = Repeated("{OrvoTessaryProjectTitle}{Hint}{OrvoTessaryCode}", 100);
    record.specTitle = specTitle.c_str();
    record.projectTitle = Repeated("P", 1000).c_str();
    const std::string hint = Repeated("{OrvoTessarySpecificationTitle}", 30);
    record.issues.Push(std::make_shared<Model::Issue::UnknownError>(hint.c_str()));
    record.issues.Push(std::make_shared<Model::Issue::ElementsAssociation>(
        Model::Issue::ElementsAssociation::Type::AssocUnknown, "clause-a", PK::Array<PK::Guid>{E(1)},
        Api::WindowId(Api::DatabaseId(APIWind_3DModelID, 0, {}), 0, false)));
    record.StoreInto(p.sim);

    const ConnectionPtr connection = p.Load();
    const auto issues = connection->GetIssuesWithText();
    ASSERT_EQ(issues.GetSize(), 2u);
    EXPECT_EQ(Text(issues[0].GetText()), "An unexpected error occurred in " + specTitle + ". " + hint);
    EXPECT_EQ(Text(issues[1].GetText()),
              "1 element(s) in 3D View could not be associated with clause A10 "
              "{OrvoTessarySpecificationTitle}{ElemCount} for an unexpected reason.");

    // A value that would take the text past the bound stays out, with a warning.
    record.issues.Clear();
    record.issues.Push(std::make_shared<Model::Issue::UnknownError>(Repeated("H", 70000).c_str()));
    record.StoreInto(p.sim);
    LogCapture log;
    const PK::UniString bounded = p.Load()->GetIssuesWithText()[0].GetText();
    EXPECT_EQ(Text(bounded), "An unexpected error occurred in " + specTitle + ". {Hint}");
    EXPECT_EQ(log.MessagesStartingWith("Issue::Base::GetString: filling \"{Hint}\" would make the text ").size(), 1u);
}

// The page names the property group after its titles, which may be long and
// hold placeholders themselves.
TEST(PlaceholderGrowth, APageTitleMadeOfPlaceholdersNamesTheGroupWithTheTitleAsItIs) {
    AddOnProject p;
    ASSERT_NE(p.ConnectSpec(1), nullptr);
    ASSERT_EQ(p.sim.GetPropertyGroups().GetSize(), 1u);
    const API_Guid group = p.sim.GetPropertyGroups()[0];
    const std::string specTitle = Repeated("{OrvoTessaryProjectTitle}", 1600);  // 40,000 characters
    const std::string projectTitle = Repeated("P", 10000);

    p.addOn->page->Model().Handle_specOpened("project-1", "spec-1", projectTitle.c_str(), specTitle.c_str());
    Deliver();
    EXPECT_EQ(Text(p.sim.GetPropertyGroup(group).group.name), "Orvo Tessary: " + projectTitle + " / " + specTitle);

    // Titles longer together than the bound: the one that would pass it stays out.
    LogCapture log;
    const std::string longTitle = Repeated("S", 40000);
    p.addOn->page->Model().Handle_specOpened("project-1", "spec-1", longTitle.c_str(), longTitle.c_str());
    Deliver();
    EXPECT_EQ(Text(p.sim.GetPropertyGroup(group).group.name),
              "Orvo Tessary: " + longTitle + " / {OrvoTessarySpecificationTitle}");
    EXPECT_EQ(log.MessagesStartingWith(boundWarning + "{OrvoTessarySpecificationTitle}\" would make the text ").size(),
              1u);
}

// The bound is on growth: a text past it is still filled where that does not lengthen it.
TEST(PlaceholderGrowth, TheBoundStopsOnlyAFillThatWouldTakeTheTextPastIt) {
    const std::string id = "{OrvoTessarySpecificationId}";
    const std::string pastTheBound = Repeated("x", Util::maxFilledLength + 10) + id;
    const std::string shortOf100 = id + Repeated("x", Util::maxFilledLength - 100);
    const std::vector<std::tuple<std::string, std::string, bool>> rows = {
        {pastTheBound, "spec-1", true},
        {pastTheBound, Repeated("i", static_cast<int>(id.size())), true},
        {pastTheBound, Repeated("i", static_cast<int>(id.size()) + 1), false},
        {shortOf100, Repeated("i", 100), true},
        {shortOf100, Repeated("i", 101), false},
    };
    for (const auto& [text, value, filled] : rows) {
        SCOPED_TRACE(fmt::format("{} characters, a value of {}", text.size(), value.size()));
        LogCapture log;
        const std::string result = Text(Model::ConnectionWithSpecification::ResolveVariables(
            text.c_str(), value.c_str(), "Spec One", "project-1", "Project One"));
        std::string expected = text;
        if (filled) expected.replace(expected.find(id), id.size(), value);
        EXPECT_TRUE(result == expected) << "the placeholder was " << (filled ? "not " : "") << "filled";
        EXPECT_EQ(log.MessagesStartingWith(boundWarning).size(), filled ? 0u : 1u);
    }
}
