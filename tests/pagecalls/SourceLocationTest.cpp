// Every line that one page call writes carries the source location of the
// page function that answered it, so that a log shows whose call it was.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "PageUnderTest.hpp"
#include "support/LogCapture.hpp"

namespace {

TEST(PageCallLog, EveryLineOfACallCarriesThePageFunctionsOwnSourceLocation) {
    const std::string calls = "Tessary/Implementation/PageCalls.cpp";
    const std::string browser = "Tessary/Implementation/TessaryBrowser.cpp";
    const struct {
        std::string script;
        std::string file;
        std::string function;
        std::size_t lines;
    } cases[] = {
        {"o.selectInstancesOfType(5)", calls, "SelectInstancesOfType", 2},
        {"o.getAllTypesInDocument(['doc', '[1]'])", calls, "GetAllTypesInDocument", 3},
        {R"(o.updateProperties(['doc', '', '{"c": {"n": 1}, "d": 2}']))", calls, "UpdateProperties", 4},
        {"o.specOpened(['p', 's', 'P', 'S', 'extra'])", calls, "SpecOpened", 3},
        {"o.specAssociationRequested([])", calls, "SpecAssociationRequested", 2},
        {"o.removeSpecAssociationRequested(['p', 1, 'd'])", calls, "RemoveSpecAssociationRequested", 2},
        {R"(o.associationRequested(['t', 's', 'c', '{"n": 1}']))", calls, "AssociationRequested", 3},
        {"o.removeAssociationRequested(['t', 's', 'c', '[]'])", calls, "RemoveAssociationRequested", 2},
        {"o.tvt_onlineStateChanged(5)", browser, "tvt_onlineStateChanged", 2},
        {"o.getAllState('unexpected')", browser, "getAllState", 3},
    };
    for (const auto& c : cases) {
        PageCallsTest::PageUnderTest page;
        page.callbacks->afterCall = [] { throw std::runtime_error("model fault"); };
        TestSupport::LogCapture log;
        page.Call("var o = orvoTessaryIntegrator; " + c.script);
        ASSERT_EQ(log.Records().size(), c.lines) << c.script;
        for (const TestSupport::LogRecord& record : log.Records()) {
            EXPECT_EQ(record.file, c.file) << c.script << ": " << record.message;
            EXPECT_EQ(record.function, c.function) << c.script << ": " << record.message;
            EXPECT_EQ(record.line, log.Records()[0].line) << c.script << ": " << record.message;
        }
    }
}

}  // namespace
