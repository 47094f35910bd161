#include "support/LogCapture.hpp"

#include <algorithm>

namespace TestSupport {

class LogCapture::Sink : public spdlog::sinks::base_sink<std::mutex> {
public:
    std::vector<LogRecord> records;

protected:
    void sink_it_(const spdlog::details::log_msg& msg) override {
        records.push_back({msg.level, std::string(msg.payload.data(), msg.payload.size()),
                           msg.source.filename ? msg.source.filename : "", msg.source.line,
                           msg.source.funcname ? msg.source.funcname : ""});
    }
    void flush_() override {}
};

LogCapture::LogCapture(Mode mode) : _sink(std::make_shared<Sink>()), _previous(spdlog::default_logger()), _mode(mode) {
    _sink->set_level(spdlog::level::trace);
    if (mode == Mode::ReplaceDefault) {
        auto logger = std::make_shared<spdlog::logger>("test-capture", _sink);
        logger->set_level(spdlog::level::trace);
        spdlog::set_default_logger(logger);
    } else {
        spdlog::default_logger()->sinks().push_back(_sink);
    }
}

LogCapture::~LogCapture() {
    if (_mode == Mode::ReplaceDefault) {
        spdlog::set_default_logger(_previous);
    } else {
        auto& sinks = spdlog::default_logger()->sinks();
        sinks.erase(std::remove(sinks.begin(), sinks.end(), _sink), sinks.end());
    }
}

const std::vector<LogRecord>& LogCapture::Records() const { return _sink->records; }

std::vector<std::string> LogCapture::Messages() const {
    std::vector<std::string> out;
    for (const auto& r : _sink->records) out.push_back(r.message);
    return out;
}

std::size_t LogCapture::Count(spdlog::level::level_enum level, const std::string& message) const {
    return static_cast<std::size_t>(std::count_if(_sink->records.begin(), _sink->records.end(), [&](const LogRecord& r) {
        return r.level == level && r.message == message;
    }));
}

std::vector<std::string> LogCapture::MessagesStartingWith(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& r : _sink->records)
        if (r.message.rfind(prefix, 0) == 0) out.push_back(r.message);
    return out;
}

void LogCapture::Clear() { _sink->records.clear(); }

}  // namespace TestSupport
