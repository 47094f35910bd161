#pragma once
// Captures log records in tests. While alive, a capturing logger is the
// default logger (or, with Mode::AddToDefault, a capturing sink is added to
// the current default logger), so tests assert exact lines and levels.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <spdlog/sinks/base_sink.h>
#include <spdlog/spdlog.h>

namespace TestSupport {

struct LogRecord {
    spdlog::level::level_enum level;
    std::string message;
    std::string file;
    int line;
    std::string function;
};

class LogCapture {
public:
    enum class Mode { ReplaceDefault, AddToDefault };
    explicit LogCapture(Mode mode = Mode::ReplaceDefault);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<LogRecord>& Records() const;
    std::vector<std::string> Messages() const;
    std::size_t Count(spdlog::level::level_enum level, const std::string& message) const;
    bool Has(spdlog::level::level_enum level, const std::string& message) const { return Count(level, message) > 0; }
    // Messages beginning with prefix, at any level.
    std::vector<std::string> MessagesStartingWith(const std::string& prefix) const;
    void Clear();

private:
    class Sink;
    std::shared_ptr<Sink> _sink;
    std::shared_ptr<spdlog::logger> _previous;
    Mode _mode;
};

}  // namespace TestSupport
