// The assertion macros: what a failed one logs, at which level and from which function, and what each yields.
#include <gtest/gtest.h>

#include "Util/Log.hpp"
#include "support/LogCapture.hpp"

namespace {

TEST(Assertions, LogTheirExpressionOrTheGivenTextOnlyWhenTheyFailAndYieldTheCondition) {
    TestSupport::LogCapture log;
    int evaluated = 0;
    const auto holds = [&](bool value) { return ++evaluated, value; };
    const int res = 7;

    EXPECT_TRUE(TC_ASSERT(err, holds(true)));
    EXPECT_TRUE(TC_ASSERT_AS(err, holds(true), "never logged"));
    EXPECT_TRUE(log.Records().empty());

    EXPECT_FALSE(TC_ASSERT(critical, holds(false)));
    EXPECT_FALSE(TC_ASSERT_MSG(err, holds(false) && res == 0, "res({})", res));
    EXPECT_FALSE(TC_ASSERT_AS(warn, holds(false), "conn->IsDisconnected()"));
    EXPECT_EQ(evaluated, 5) << "each condition once";

    std::vector<std::string> lines;
    for (const TestSupport::LogRecord& r : log.Records())
        lines.push_back(fmt::format("{} {}: {}", spdlog::level::to_string_view(r.level), r.function, r.message));
    EXPECT_EQ(lines, (std::vector<std::string>{"critical operator(): failed assertion: holds(false)",
                                               "error operator(): failed assertion: holds(false) && res == 0, res(7)",
                                               "warning operator(): failed assertion: conn->IsDisconnected()"}));
}

}  // namespace
