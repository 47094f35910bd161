#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "IO/Location.hpp"
#include "PK/DebugOutput.hpp"
#include "PK/Pref.hpp"
#include "TVSim/Report.hpp"
#include "Util/Log.hpp"
#include "support/TempDir.hpp"

using namespace TessaryConnect;

namespace {

class LoggingTest : public ::testing::Test {
protected:
    void SetUp() override {
        IO::Testing::RedirectSpecialLocation(IO::FileSystem::UserLocalSettings, _dir.Path() / "support");
        PK::DebugOutput::Clear();
        TVSim::Report::Clear();  // a test before this one in the same process may have reported
    }
    void TearDown() override {
        IO::Testing::Reset();
        PKPref::SetFailure(PKPref::Failure::None);
    }

    void SetPref(const char* key, const char* value) {
        PKPref::OpenRootKey(-1)->SetString("OrvoTessaryConnect", key, value);
    }
    std::filesystem::path DefaultLogFile() const {
        return _dir.Path() / "support" / "Pendrake" / "OrvoTessaryConnect.log";
    }
    static std::string ReadFile(const std::filesystem::path& p) {
        spdlog::default_logger()->flush();
        std::ostringstream text;
        text << std::ifstream(p).rdbuf();
        return text.str();
    }

    TestSupport::TempDir _dir;
};

}  // namespace

TEST_F(LoggingTest, DebugOutputAndFileCarryTheirPatternsAndTheTrimmedSource) {
    InitLogger();
    EXPECT_EQ(spdlog::default_logger()->name(), "OrvoTessaryConnect");
    LOG_INFO("hello {}", 42);
    const std::string line = std::to_string(__LINE__ - 1), stamp = R"(^\[\d\d-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\] )";
    const std::string rest =
        R"(\[info\] \[\.\./\.\./tests/foundation/LoggingTest\.cpp:)" + line + R"(\] \(TestBody\) hello 42\n$)";
    ASSERT_EQ(PK::DebugOutput::GetTexts().size(), 1u);
    EXPECT_TRUE(
        std::regex_search(PK::DebugOutput::GetTexts()[0], std::regex(stamp + R"(\[OrvoTessaryConnect\] )" + rest)))
        << PK::DebugOutput::GetTexts()[0];
    EXPECT_TRUE(std::regex_search(ReadFile(DefaultLogFile()), std::regex(stamp + rest))) << ReadFile(DefaultLogFile());
}

// The level applies to the debug output only.
TEST_F(LoggingTest, LevelTextIsExactAndUnknownTextsMeanInfo) {
    const std::pair<const char*, std::string> rows[] = {
        {"trace", "tdiwe"}, {"debug", "diwe"},  {"info", "iwe"},  {"warn", "we"},
        {"error", "e"},     {"warning", "iwe"}, {"TRACE", "iwe"},
    };
    for (const auto& [text, passing] : rows) {
        SetPref("log.level", text);
        InitLogger();
        PK::DebugOutput::Clear();
        for (auto level :
             {spdlog::level::trace, spdlog::level::debug, spdlog::level::info, spdlog::level::warn, spdlog::level::err})
            spdlog::log(level, "{}", spdlog::level::to_string_view(level)[0]);
        std::string passed;
        for (const auto& t : PK::DebugOutput::GetTexts()) passed += t[t.size() - 2];
        EXPECT_EQ(passed, passing) << text;
    }
}

TEST_F(LoggingTest, TheFileGetsEveryLevelAtTheConfiguredPathOrNoneWhenItCannotBeMade) {
    SetPref("log.level", "error");
    InitLogger();
    LOG_TRACE("quiet line");
    EXPECT_TRUE(PK::DebugOutput::GetTexts().empty());
    EXPECT_NE(ReadFile(DefaultLogFile()).find("[trace]"), std::string::npos);

    std::filesystem::remove_all(_dir.Path() / "support");
    // An explicit path is used as is, without the default folder; one that cannot be created is skipped silently.
    SetPref("log.path", (_dir.Path() / "custom.log").c_str());
    InitLogger();
    LOG_INFO("to the custom file");
    EXPECT_NE(ReadFile(_dir.Path() / "custom.log").find("to the custom file"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(_dir.Path() / "support" / "Pendrake"));
    std::ofstream(_dir.Path() / "blocker") << "a file, so no folder can be made under it";
    SetPref("log.path", (_dir.Path() / "blocker" / "a.log").c_str());
    InitLogger();
    EXPECT_EQ(spdlog::default_logger()->sinks().size(), 1u);
    EXPECT_TRUE(TVSim::Report::GetLines().empty());
}

TEST_F(LoggingTest, AFailingPreferencesStoreIsReportedAndKeepsTheLoggerInPlace) {
    const auto before = spdlog::default_logger();
    PKPref::SetFailure(PKPref::Failure::Throw);
    InitLogger();
    EXPECT_EQ(spdlog::default_logger(), before);
    ASSERT_EQ(TVSim::Report::GetLines().size(), 1u);
    EXPECT_EQ(TVSim::Report::GetLines()[0].text, PK::UniString("OrvoTessaryConnect: Couldn't init logger."));
    EXPECT_FALSE(TVSim::Report::GetLines()[0].withDialog);
    EXPECT_FALSE(std::filesystem::exists(DefaultLogFile()));
}
