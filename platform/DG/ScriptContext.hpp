#pragma once
// One page's script engine in the substitute browser control: a fresh
// Duktape heap per loaded page, with the page runtime (window, navigator,
// document, location, timers on a virtual clock, alert, console.warn, the
// add-on's registered objects) evaluated first.
//
// The engine reports errors by longjmp and the add-on by C++ exceptions;
// neither may unwind through the other's frames. So every entry into the
// engine is a protected call whose body holds no C++ object with a
// destructor, every native function reads its arguments with non-throwing
// getters and hands them to noexcept members, and values cross as flat lists
// kept in members rather than in frames a longjmp could skip.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "DG/HtmlDocument.hpp"
#include "DG/JSBase.hpp"
#include "DG/JSObject.hpp"
#include "PK/UniString.hpp"

struct duk_hthread;

namespace DG::Detail {

class ScriptContext : public std::enable_shared_from_this<ScriptContext> {
public:
    // What the page asks of its browser control. Called from inside page
    // scripts: implementations record or queue, they never run the add-on.
    class Host {
    public:
        virtual void PageNavigate(const PK::UniString& url) = 0;
        virtual void PageAlert(const PK::UniString& text) = 0;
        virtual void PageWarning(const PK::UniString& text) = 0;
        // An error the page's script did not catch.
        virtual void PageError(const PK::UniString& text) = 0;
        // Queues a call of a registered function; false when there is none of that name.
        virtual bool PageCall(const std::shared_ptr<ScriptContext>& page, std::uint32_t callId,
                              const PK::UniString& object, const PK::UniString& function, const JSRef& argument) = 0;

    protected:
        ~Host() = default;
    };

    ScriptContext(Host& host, const PK::UniString& url, bool online, std::uint64_t now);
    ~ScriptContext();
    ScriptContext(const ScriptContext&) = delete;
    ScriptContext& operator=(const ScriptContext&) = delete;

    // Fills the document and runs the page's inline scripts in order; a
    // failing script is reported as a page error and the next one still runs.
    void Load(const HtmlDocument& document);
    // Runs a script as global code; false with the error's text on a syntax
    // error or an uncaught exception.
    bool Execute(const PK::UniString& source, PK::UniString* error);
    // The script's completion value as String() gives it, or nullopt with the error.
    std::optional<PK::UniString> Evaluate(const PK::UniString& source, PK::UniString* error);
    // window.<name> with one function per item; a call queues through the host.
    void Install(const JSObject& object);
    void SetOnline(bool online);
    // Fires, in order of due time, every timer due up to time.
    void AdvanceTo(std::uint64_t time);
    // Answers a pending call: its then() callbacks get the value (ok) or the failure text.
    void Settle(std::uint32_t callId, bool ok, const JSRef& value);

    // Flat form of a value, as the runtime writes it (see its flatten()).
    struct FlatItem {
        char tag = 'u';
        double number = 0;
        std::string text;
    };

private:
    using Context = duk_hthread;

    static int NativeNavigate(Context* ctx);
    static int NativeAlert(Context* ctx);
    static int NativeWarn(Context* ctx);
    static int NativeError(Context* ctx);
    static int NativeTimer(Context* ctx);
    static int NativeCancel(Context* ctx);
    static int NativeCall(Context* ctx);
    static ScriptContext* Self(Context* ctx);

    enum class Report { Navigate, Alert, Warning, Error };
    void ReportText(Report kind, const char* text, std::size_t length) noexcept;
    void AddTimer(std::uint32_t id, double delay) noexcept;
    void CancelTimer(std::uint32_t id) noexcept;
    bool BeginIncoming(std::size_t count) noexcept;
    bool AddIncoming(const char* tag, const char* text, std::size_t length, double number) noexcept;
    // Builds the argument from the incoming list and queues the call; false
    // with _nativeFailure set when it cannot.
    bool QueueIncomingCall(const char* object, const char* function, std::uint32_t* callId) noexcept;
    JSRef BuildIncoming(std::size_t& pos, int depth) const;
    void FlattenOutgoing(const JSRef& value, int depth);

    // Runs body(ctx) as a protected call; on an engine error stores its text,
    // on success the string the body returned (when result is given).
    template <typename Body>
    bool Protected(Body& body, PK::UniString* error, std::string* result = nullptr);
    bool CallRuntime(const char* method, int argumentCount, void (*push)(Context*, void*), void* data,
                     PK::UniString* error);

    Host& _host;
    Context* _ctx = nullptr;
    std::uint64_t _now;
    std::uint64_t _nextTimerSequence = 0;
    std::uint32_t _lastCallId = 0;
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::uint32_t> _timers;  // (due, sequence) -> id
    std::unordered_map<std::uint32_t, std::pair<std::uint64_t, std::uint64_t>> _timerKeys;
    std::vector<FlatItem> _incoming;
    std::vector<FlatItem> _outgoing;
    std::string _nativeFailure;
};

}  // namespace DG::Detail
