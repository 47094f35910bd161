#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "Util/LogCaught.hpp"
#include "support/LogCapture.hpp"

using TestSupport::LogCapture;

namespace {

struct NotStandard {};

enum class SinkFault { None, Standard, Other };

// A sink that fails as a full disk or a broken formatter would.
class FailingSink : public spdlog::sinks::base_sink<std::mutex> {
public:
    explicit FailingSink(SinkFault fault) : _fault(fault) {}

protected:
    void sink_it_(const spdlog::details::log_msg&) override {
        if (_fault == SinkFault::Standard) throw std::runtime_error("disk full");
        throw NotStandard{};
    }
    void flush_() override {}

private:
    SinkFault _fault;
};

struct Row {
    const char* what;
    std::function<void()> raise;
    std::function<void()> logCaught;  // the catch block's call, written on the line given with it
    int line;
    SinkFault sinkFault;
    std::string expected;  // "<level> <message>", empty when the line is lost
};

// A caller as the add-on writes them: its catch block logs, then answers its fallback.
std::string Attempt(const Row& row) {
    try {
        row.raise();
        return "went through";
    } catch (...) {
        row.logCaught();
        return "fallback";
    }
}

}  // namespace

TEST(LogCaught, LogsTheCaughtExceptionAtTheCallersLevelAndLocationAndNeverThrows) {
    const auto standard = [] { throw std::runtime_error("boom"); };
    const auto other = [] { throw NotStandard{}; };
    const auto number = [] { throw 42; };
    // clang-format off
    const Row rows[] = {
        {"standard", standard, [] { TC_LOG_CAUGHT(err); }, __LINE__, SinkFault::None, "error exception: boom"},
        {"other", other, [] { TC_LOG_CAUGHT(err); }, __LINE__, SinkFault::None, "error unknown exception!"},
        {"critical", number, [] { TC_LOG_CAUGHT(critical); }, __LINE__, SinkFault::None, "critical unknown exception!"},
        {"debug", standard, [] { TC_LOG_CAUGHT(debug); }, __LINE__, SinkFault::None, "debug exception: boom"},
        {"standard with context", standard, [] { TC_LOG_CAUGHT(err, "; mode: {}; modulName: {}", 3, "x"); }, __LINE__,
         SinkFault::None, "error exception: boom; mode: 3; modulName: x"},
        {"other with context", number, [] { TC_LOG_CAUGHT(critical, "; elemGuid: {}", 7); }, __LINE__,
         SinkFault::None, "critical unknown exception; elemGuid: 7"},
        // spdlog reports a sink's standard exception and goes on to the next sink, but passes any other on.
        {"failing sink", standard, [] { TC_LOG_CAUGHT(err); }, __LINE__, SinkFault::Standard, "error exception: boom"},
        {"sink throwing a non-standard exception", other, [] { TC_LOG_CAUGHT(err); }, __LINE__, SinkFault::Other, ""},
        {"... with context", other, [] { TC_LOG_CAUGHT(err, "; x: {}", 1); }, __LINE__, SinkFault::Other, ""},
    };
    // clang-format on
    for (const Row& row : rows) {
        LogCapture log;
        if (row.sinkFault != SinkFault::None) {
            auto& sinks = spdlog::default_logger()->sinks();
            sinks.insert(sinks.begin(), std::make_shared<FailingSink>(row.sinkFault));
            spdlog::default_logger()->set_error_handler([](const std::string&) {});
        }
        EXPECT_EQ(Attempt(row), "fallback") << row.what;
        std::vector<std::string> lines;
        for (const auto& r : log.Records())
            lines.push_back(fmt::format("{} {} @{}:{}:{}", spdlog::level::to_string_view(r.level), r.message,
                                        r.file.substr(r.file.rfind('/') + 1), r.line, r.function));
        std::vector<std::string> expected;
        if (!row.expected.empty())
            expected.push_back(fmt::format("{} @LogCaughtTest.cpp:{}:operator()", row.expected, row.line));
        EXPECT_EQ(lines, expected) << row.what;
    }

    // Called where nothing is being handled, it still writes its line.
    LogCapture log;
    TC_LOG_CAUGHT(err, "; x: {}", 1);
    EXPECT_TRUE(log.Has(spdlog::level::err, "unknown exception; x: 1"));
}
