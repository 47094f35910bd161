#include "Util/Log.hpp"

#include <cstring>
#include <spdlog/sinks/rotating_file_sink.h>

#include "IO/Location.hpp"
#include "PK/Pref.hpp"
#include "TVAPI/Report.hpp"
#include "Util/LogCaught.hpp"
#include "Util/PKReporterSink.hpp"

const char* _trim_file_macro(const char* path) {
    if (path == nullptr) return path;
    const char* hit = std::strstr(path, "/Src/");
    return hit ? hit + 5 : path;
}

namespace TessaryConnect {

namespace {

constexpr const char* kLoggerName = "OrvoTessaryConnect";
constexpr const char* kPrefGroup = "OrvoTessaryConnect";
constexpr const char* kDebugPattern = "[%C-%m-%d %H:%M:%S.%e] [%n] [%l] [%@] (%!) %v";
constexpr const char* kFilePattern = "[%C-%m-%d %H:%M:%S.%e] [%l] [%@] (%!) %v";
constexpr std::size_t kMaxFileSize = 0x500000;
constexpr std::size_t kMaxFiles = 5;

// Exact, case-sensitive; anything unknown (also "warning") means info.
spdlog::level::level_enum LevelFromText(const PK::UniString& text) {
    if (text == "trace") return spdlog::level::trace;
    if (text == "debug") return spdlog::level::debug;
    if (text == "info") return spdlog::level::info;
    if (text == "warn") return spdlog::level::warn;
    if (text == "error") return spdlog::level::err;
    return spdlog::level::info;
}

PK::UniString ReadPref(const PKPref::RootKey& key, const char* name, const char* defaultValue) {
    PK::UniString value;
    if (key.GetString(kPrefGroup, name, &value, defaultValue, 0) != PK::NoError) return defaultValue;
    return value;
}

PK::UniString DefaultLogPath() {
    PK::UniString path;
    try {
        IO::Location location;
        if (IO::fileSystem.GetSpecialLocation(IO::FileSystem::UserLocalSettings, &location) != PK::NoError)
            return path;
        if (location.AppendToLocal("Pendrake") != PK::NoError) return path;
        if (IO::fileSystem.CreateFolderTree(location) != PK::NoError) return path;
        if (location.AppendToLocal("OrvoTessaryConnect.log") != PK::NoError) return path;
        if (location.ToPath(&path) != PK::NoError) path.Clear();
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return path;
}

}  // namespace

void InitLogger() {
    try {
        auto prefs = PKPref::OpenRootKey(-1);
        PK::UniString levelText = prefs ? ReadPref(*prefs, "log.level", "trace") : PK::UniString("trace");
        PK::UniString logPath = prefs ? ReadPref(*prefs, "log.path", "") : PK::UniString();

        auto debugSink = std::make_shared<Util::Log::PKReporterSink<spdlog::details::null_mutex>>();
        debugSink->set_level(LevelFromText(levelText));
        debugSink->set_pattern(kDebugPattern);
        std::vector<spdlog::sink_ptr> sinks{debugSink};

        if (logPath.IsEmpty()) logPath = DefaultLogPath();
        if (!logPath.IsEmpty()) {
            try {
                auto fileSink = std::make_shared<spdlog::sinks::rotating_file_sink_st>(logPath.ToCStr(), kMaxFileSize,
                                                                                       kMaxFiles);
                fileSink->set_level(spdlog::level::trace);
                fileSink->set_pattern(kFilePattern);
                sinks.push_back(fileSink);
            } catch (...) {
                // No log file then; the debug output still gets every line.
            }
        }

        auto logger = std::make_shared<spdlog::logger>(kLoggerName, sinks.begin(), sinks.end());
        logger->set_level(spdlog::level::trace);
        spdlog::set_default_logger(logger);
    } catch (...) {
        TVAPI_WriteReport("OrvoTessaryConnect: Couldn't init logger.", false);
    }
}

std::string FormatRuntimeError(const char* file, int line, std::string_view text) {
    return fmt::format("{}:{}: error: {}", file, line, text);
}

}  // namespace TessaryConnect
