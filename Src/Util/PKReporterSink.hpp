#pragma once
// spdlog sink that hands every formatted line to the host's debug output.
#include <spdlog/details/null_mutex.h>
#include <spdlog/sinks/base_sink.h>

#include "PK/DebugOutput.hpp"

namespace TessaryConnect::Util::Log {

template <typename Mutex>
class PKReporterSink : public spdlog::sinks::base_sink<Mutex> {
protected:
    void sink_it_(const spdlog::details::log_msg& msg) override {
        spdlog::memory_buf_t formatted;
        this->formatter_->format(msg, formatted);
        DBPrint(std::string(formatted.data(), formatted.size()).c_str());
    }
    void flush_() override {}
};

}  // namespace TessaryConnect::Util::Log
