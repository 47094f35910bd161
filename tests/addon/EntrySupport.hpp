#pragma once
// What the tests of the entry functions read: the lines the add-on's logger handed to the host's debug output, the
// host calls of one family from the journal, and the add-on loaded in a fresh standard host.
#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "PK/DebugOutput.hpp"
#include "PK/Runnable.hpp"
#include "TVSim/AddOnLoader.hpp"
#include "TVSim/Sim.hpp"
#include "support/AddOn.hpp"

namespace TestSupport {

// The add-on's log since the host started, one "<level> (<function>) <message>" per line: what reached the debug
// output once Initialize had built the add-on's logger.
inline std::vector<std::string> AddOnLog() {
    static const std::regex line(R"(^\[[^\]]*\] \[OrvoTessaryConnect\] \[(\w+)\] \[[^\]]*\] \((.*?)\) ([\s\S]*)\n$)");
    std::vector<std::string> lines;
    for (const std::string& text : PK::DebugOutput::GetTexts())
        if (std::smatch m; std::regex_match(text, m, line))
            lines.push_back(m[1].str() + " (" + m[2].str() + ") " + m[3].str());
    return lines;
}
inline bool InAddOnLog(const std::string& line) {
    const std::vector<std::string> lines = AddOnLog();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// "<function>(<arguments>) -> <answer>" of every journalled host call whose name is one of these, in order.
inline std::vector<std::string> HostCalls(const std::vector<std::string>& functions) {
    std::vector<std::string> calls;
    for (const TVSim::Journal::Call& call : TVSim::Journal::GetCalls())
        if (std::find(functions.begin(), functions.end(), call.function) != functions.end())
            calls.push_back(call.function + "(" + call.args + ") -> " + std::to_string(call.result));
    return calls;
}

// The calls through which the add-on registers with the host and lets go again.
inline const std::vector<std::string> RegistrationCalls = {
    "TVAPI_Register_Menu",           "TVAPI_Register_ModulDataHandler",   "TVAPI_Install_MenuHandler",
    "TVAPI_RegisterModelessWindow",  "TVAPI_UnregisterModelessWindow",    "TVAPI_Notify_CatchSelectionChange",
    "TVAPI_Notify_CatchProjectEvent", "TVAPI_Install_ModulDataMergeHandler", "TVAPI_Notify_CatchNewElement"};

// A fresh host with an untitled project open, its start-up notifications delivered, the add-on's files aside, and
// the journal of host calls kept.
inline TVSim::Project& FreshHost() {
    KeepAddOnFilesAside();
    TVSim::Reset();
    TVSim::Journal::SetEnabled(true);
    TVSim::Project& project = TVSim::OpenProject();
    PK::MainMessageLoop::RunPending();
    TVSim::Journal::Clear();
    return project;
}

}  // namespace TestSupport
