#include <gtest/gtest.h>

#include <stdexcept>

#include "PK/Runnable.hpp"
#include "Util/Json.hpp"
#include "Util/Log.hpp"
#include "Util/RunnableLambda.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;

TEST(RunnableLambda, FailuresOfTheCallableAreLoggedAndSwallowed) {
    TestSupport::LogCapture log;
    int ran = 0;
    PK::MessageLoopExecutor executor;
    executor.Execute(std::make_shared<RunnableLambda>([&] { ++ran; }));
    executor.Execute(std::make_shared<RunnableLambda>([] { throw std::runtime_error("boom"); }));
    executor.Execute(std::make_shared<RunnableLambda>([] { throw 5; }));
    executor.Execute(std::make_shared<RunnableLambda>(std::function<void()>{}));
    EXPECT_EQ(ran, 0);  // nothing runs before the main loop does
    EXPECT_NO_THROW(EXPECT_EQ(PK::MainMessageLoop::RunPending(), 4u));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(log.Messages(),
              (std::vector<std::string>{"exception: boom", "unknown exception!", "exception: bad_function_call"}));
    for (const auto& record : log.Records()) EXPECT_EQ(record.level, spdlog::level::critical);
}

// A page or a stored text nested deeper than any stack holds: the reader keeps
// its nesting on the heap, so the worst is a parse error, never a crash.
TEST(JsonHooks, DeeplyNestedTextIsReadWithoutRecursion) {
    constexpr std::size_t depth = 1'000'000;
    const std::string open(depth, '[');
    EXPECT_THROW(rapidjson::Document().Parse(open.c_str()), Json::ParseException);
    rapidjson::Document nested;
    nested.Parse((open + std::string(depth, ']')).c_str());
    EXPECT_TRUE(nested.IsArray() && nested.Size() == 1u);
}
