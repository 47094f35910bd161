#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "PK/Runnable.hpp"
#include "UI/MainMessageLoop.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;

TEST(MainMessageLoop, APostedFunctionRunsOnceLaterWithWhatItCapturedAndAFailureStopsNothing) {
    TestSupport::LogCapture log;
    auto connection = std::make_shared<int>(7);
    int seen = 0;
    UI::MainMessageLoop::Execute([] { throw std::runtime_error("boom"); });
    UI::MainMessageLoop::Execute([connection, &seen] { seen += *connection; });
    connection.reset();  // released by its owner before the loop runs
    EXPECT_EQ(seen, 0);

    EXPECT_EQ(PK::MainMessageLoop::RunPending(), 2u);
    EXPECT_EQ(seen, 7);
    EXPECT_TRUE(log.Has(spdlog::level::critical, "exception: boom"));
}
