#pragma once
// Captures log records in tests. While alive, a capturing logger is the default logger (or, with Mode::AddToDefault, a
// capturing sink is added to the current default logger), so tests assert exact lines and levels.
#include <spdlog/sinks/base_sink.h>
#include <spdlog/spdlog.h>

#include <algorithm>

namespace TestSupport {

struct LogRecord {
    spdlog::level::level_enum level;
    std::string message, file, function;
    int line;
};

class LogCapture {
public:
    enum class Mode { ReplaceDefault, AddToDefault };
    explicit LogCapture(Mode mode = Mode::ReplaceDefault) {
        _sink->set_level(spdlog::level::trace);
        auto logger = spdlog::default_logger();
        if (mode == Mode::ReplaceDefault) {
            _previous = std::exchange(logger, std::make_shared<spdlog::logger>("test-capture"));
            logger->set_level(spdlog::level::trace);
            spdlog::set_default_logger(logger);
        }
        logger->sinks().push_back(_sink);
    }
    ~LogCapture() {
        if (_previous)
            spdlog::set_default_logger(_previous);
        else
            std::erase(spdlog::default_logger()->sinks(), _sink);
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<LogRecord>& Records() const { return _sink->records; }
    std::vector<std::string> Messages() const { return MessagesStartingWith(""); }
    std::size_t Count(spdlog::level::level_enum level, const std::string& message) const {
        return std::count_if(Records().begin(), Records().end(),
                             [&](const LogRecord& r) { return r.level == level && r.message == message; });
    }
    bool Has(spdlog::level::level_enum level, const std::string& message) const { return Count(level, message) > 0; }
    // Messages beginning with prefix, at any level.
    std::vector<std::string> MessagesStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& r : Records())
            if (r.message.rfind(prefix, 0) == 0) out.push_back(r.message);
        return out;
    }
    void Clear() { _sink->records.clear(); }

private:
    struct Sink : spdlog::sinks::base_sink<std::mutex> {
        std::vector<LogRecord> records;
        void sink_it_(const spdlog::details::log_msg& msg) override {
            records.push_back({msg.level, std::string(msg.payload.data(), msg.payload.size()),
                               msg.source.filename ? msg.source.filename : "",
                               msg.source.funcname ? msg.source.funcname : "", msg.source.line});
        }
        void flush_() override {}
    };
    std::shared_ptr<Sink> _sink = std::make_shared<Sink>();
    std::shared_ptr<spdlog::logger> _previous;  // the default logger this one replaced
};

}  // namespace TestSupport
