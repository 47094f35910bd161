// The simulated host's process-wide state: the open project, the journal of
// host calls, the faults and hooks tests set up, and Reset.
#include "TVSim/SimState.hpp"

#include <algorithm>
#include <cstring>

#include "PK/DebugOutput.hpp"
#include "PK/Guid.hpp"
#include "TVAPI/Resources.hpp"
#include "TVSim/Alerts.hpp"
#include "TVSim/Report.hpp"
#include "TVSim/SimTeamworkHooks.hpp"

namespace TVSim::Detail {

HostState::HostState() {
    application.serverApplication = 1;
    application.mainVersion = 27;
    application.releaseVersion = 0;
    application.buildNum = 3001;
    application.language = "INT";
}

HostState& Host() {
    static HostState state;
    return state;
}

ProjectState* OpenState() { return Host().project ? &StateOf(*Host().project) : nullptr; }

std::string ToText(const API_Guid& guid) { return guid.ToUniString().ToCStr(); }
std::string ToText(const PK::UniString& text) {
    // Appended rather than "\"" + std::string, which GCC 12 at -O3 falsely flags with -Wrestrict.
    std::string quoted = "\"";
    quoted += text.ToCStr();
    quoted += '"';
    return quoted;
}

std::string FourCCText(PK::Int32 code) {
    std::string text(4, ' ');
    auto u = static_cast<PK::UInt32>(code);
    for (int i = 0; i < 4; ++i) text[static_cast<std::size_t>(i)] = static_cast<char>((u >> (24 - 8 * i)) & 0xFF);
    return text;
}

namespace {

// Every counter made so far; counters live as long as the process.
std::vector<FunctionCounter*>& Counters() {
    static std::vector<FunctionCounter*> counters;
    return counters;
}

}  // namespace

FunctionCounter::FunctionCounter(const char* name) : _name(name) { Counters().push_back(this); }

void FunctionCounter::Count(PK::Int32 selector) {
    ++_calls;
    for (auto& [known, calls] : _bySelector)
        if (known == selector) {
            ++calls;
            return;
        }
    _bySelector.emplace_back(selector, 1);
}

PK::USize FunctionCounter::Calls(PK::Int32 selector) const {
    for (const auto& [known, calls] : _bySelector)
        if (known == selector) return calls;
    return 0;
}

void FunctionCounter::Clear() {
    _calls = 0;
    _bySelector.clear();
}

FunctionCounter* FunctionCounter::Find(std::string_view name) {
    for (FunctionCounter* counter : Counters())
        if (name == counter->_name) return counter;
    return nullptr;
}

void FunctionCounter::ClearAll() {
    for (FunctionCounter* counter : Counters()) counter->Clear();
}

HostCall::HostCall(FunctionCounter& function, const API_Guid* element) : _function(function) {
    function.Count();
    Offer(element);
}

HostCall::HostCall(FunctionCounter& family, PK::Int32 selector, const API_Guid* element)
    : _function(family), _selector(selector) {
    family.Count(selector);
    Offer(element);
}

void HostCall::Offer(const API_Guid* element) {
    HostState& host = Host();
    // Hooks run first, so a change "made by someone else at this moment" is
    // what the call then sees.
    if (!host.hooks.empty()) {
        std::vector<std::function<void()>> due;
        for (auto it = host.hooks.begin(); it != host.hooks.end();) {
            if (Matches(it->function) && --it->remaining == 0) {
                due.push_back(std::move(it->action));
                it = host.hooks.erase(it);
            } else {
                ++it;
            }
        }
        for (auto& action : due) action();
    }

    for (auto it = host.callFaults.begin(); it != host.callFaults.end();) {
        if (!Matches(it->function)) {
            ++it;
            continue;
        }
        if (it->remaining == 0) {
            if (_injected == NoError) _injected = it->code;
            ++it;
        } else if (--it->remaining == 0) {
            if (_injected == NoError) _injected = it->code;
            it = host.callFaults.erase(it);
        } else {
            ++it;
        }
    }
    if (_injected == NoError && element != nullptr) _injected = ElementFault(*element);
}

bool HostCall::Matches(const std::string& pattern) const {
    const std::string_view name = _function.Name();
    if (pattern == name) return true;
    if (_selector == noSelector) return false;
    return pattern.size() == name.size() + 5 && pattern.compare(0, name.size(), name) == 0 &&
           pattern[name.size()] == ':' && pattern.compare(name.size() + 1, 4, FourCCText(_selector)) == 0;
}

std::string HostCall::FullName() const {
    std::string name = _function.Name();
    if (_selector != noSelector) {
        name += ':';
        name += FourCCText(_selector);
    }
    return name;
}

PKErrCode HostCall::ElementFault(const API_Guid& element) const {
    for (const auto& fault : Host().elementFaults)
        if (fault.element == element && (fault.function.empty() || Matches(fault.function))) return fault.code;
    return NoError;
}

PKErrCode HostCall::Answer(PKErrCode code) {
    if (Host().journalEnabled) Host().calls.push_back({FullName(), std::move(_args), code});
    return code;
}

PKErrCode HostCall::AnswerChange(PKErrCode code) {
    if (code == NoError && Host().commandDepth > 0) {
        if (ProjectState* state = OpenState(); state != nullptr && !state->undoSteps.empty())
            state->undoSteps.back().changes.push_back(_function.Name());
    }
    return Answer(code);
}

PKErrCode HostCall::ScopeRefusal() {
    return Host().undoScopeRequired && Host().commandDepth == 0 ? APIERR_NEEDSUNDOSCOPE : NoError;
}

PKHandle ToHandle(const Bytes& bytes) {
    if (!bytes) return nullptr;
    PKHandle handle = nullptr;
    BMPtrToHandle(bytes->data(), &handle, static_cast<PK::Int32>(bytes->size()));
    return handle;
}

Bytes FromHandle(PKHandle handle) {
    if (handle == nullptr) return std::nullopt;
    const PK::Int32 size = BMGetHandleSize(handle);
    std::vector<char> bytes(static_cast<std::size_t>(size));
    if (size > 0) std::memcpy(bytes.data(), *handle, bytes.size());
    return bytes;
}

}  // namespace TVSim::Detail

namespace TVSim {

using Detail::Host;

Project& OpenProject() {
    CloseProject();
    Host().project = std::make_unique<Project>();
    Detail::QueueProjectEvent(APINotify_New);
    return *Host().project;
}

Project& OpenSavedProject(const PK::UniString& name, const PK::UniString& path) {
    CloseProject();
    Host().project = std::make_unique<Project>();
    Host().project->SetSaved(name, path);
    Detail::QueueProjectEvent(APINotify_Open);
    return *Host().project;
}

void CloseProject() {
    if (!Host().project) return;
    Detail::EndTeamwork();
    Detail::CloseOpenProject();
}

Project* GetProject() { return Host().project.get(); }

void Reset() {
    Detail::EndTeamwork();
    Host() = Detail::HostState();
    Detail::FunctionCounter::ClearAll();
    Report::Clear();
    Alerts::Clear();
    PK::DebugOutput::Clear();
}

API_ServerApplicationInfo& Application() { return Host().application; }

void SetOwnLocation(const IO::Location& location) { Host().ownLocation = location; }

void SeedGuids(PK::UInt64 seed) { PK::Guid::SeedGenerator(seed); }

const Registrations& GetRegistrations() { return Host().registrations; }

namespace Commands {
void SetUndoScopeRequired(bool required) { Host().undoScopeRequired = required; }
bool IsRunning() { return Host().commandDepth > 0; }
}  // namespace Commands

namespace Journal {
const std::vector<Call>& GetCalls() { return Host().calls; }
PK::USize Count(std::string_view function) {
    const std::size_t colon = function.find(':');
    const Detail::FunctionCounter* counter = Detail::FunctionCounter::Find(function.substr(0, colon));
    if (counter == nullptr) return 0;
    if (colon == std::string_view::npos) return counter->Calls();
    const std::string_view code = function.substr(colon + 1);
    if (code.size() != 4) return 0;
    PK::UInt32 selector = 0;
    for (char c : code) selector = (selector << 8) | static_cast<unsigned char>(c);
    return counter->Calls(static_cast<PK::Int32>(selector));
}
void Clear() {
    Host().calls.clear();
    Detail::FunctionCounter::ClearAll();
}
void SetEnabled(bool enabled) { Host().journalEnabled = enabled; }
}  // namespace Journal

namespace Faults {
void FailCall(std::string_view function, PKErrCode code, PK::USize nth) {
    Host().callFaults.push_back({std::string(function), code, std::max<PK::USize>(nth, 1)});
}
void FailAlways(std::string_view function, PKErrCode code) {
    Host().callFaults.push_back({std::string(function), code, 0});
}
void FailForElement(const API_Guid& element, PKErrCode code, std::string_view function) {
    Host().elementFaults.push_back({element, code, std::string(function)});
}
void BeforeCall(std::string_view function, std::function<void()> action, PK::USize nth) {
    Host().hooks.push_back({std::string(function), std::move(action), std::max<PK::USize>(nth, 1)});
}
void Clear() {
    Host().callFaults.clear();
    Host().elementFaults.clear();
    Host().hooks.clear();
}
}  // namespace Faults

}  // namespace TVSim
