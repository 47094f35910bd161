#include "DG/ScriptContext.hpp"

#include <duktape.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <type_traits>

#include "DG/JSArray.hpp"
#include "DG/JSFunction.hpp"
#include "DG/JSValue.hpp"
#include "DG/ScriptRuntime.hpp"
#include "DG/ScriptText.hpp"
#include "PK/DebugOutput.hpp"

static_assert(std::is_same_v<duk_ret_t, int>);

namespace DG::Detail {

namespace {

constexpr int MaxValueDepth = 32;

// An engine error outside any protected call: the engine cannot go on.
void OnFatal(void*, const char* message) {
    std::fprintf(stderr, "script engine fatal error: %s\n", message != nullptr ? message : "");
    std::abort();
}

template <typename Body>
duk_ret_t RunBody(duk_context* ctx, void* body) {
    return (*static_cast<Body*>(body))(ctx);
}

struct DukString {
    const char* data;
    std::size_t size;
};
DukString View(const std::string& s) { return {s.data(), s.size()}; }

// Pushes the flat value that starts at items[pos]; only plain locals, as an
// engine error may leave this frame by longjmp.
void PushFlat(duk_context* ctx, const ScriptContext::FlatItem* items, std::size_t count, std::size_t& pos) {
    if (pos >= count) {
        duk_push_undefined(ctx);
        return;
    }
    const ScriptContext::FlatItem& item = items[pos++];
    switch (item.tag) {
        case 'b': duk_push_boolean(ctx, item.number != 0); break;
        case 'n': duk_push_number(ctx, item.number); break;
        case 's': duk_push_lstring(ctx, item.text.data(), item.text.size()); break;
        case 'a': {
            const duk_idx_t array = duk_push_array(ctx);
            const auto n = static_cast<duk_uarridx_t>(item.number);
            for (duk_uarridx_t i = 0; i < n; ++i) {
                PushFlat(ctx, items, count, pos);
                duk_put_prop_index(ctx, array, i);
            }
            break;
        }
        case 'o': {
            const duk_idx_t object = duk_push_object(ctx);
            const auto n = static_cast<std::size_t>(item.number);
            for (std::size_t i = 0; i < n && pos < count; ++i) {
                const ScriptContext::FlatItem& key = items[pos++];
                PushFlat(ctx, items, count, pos);
                duk_put_prop_lstring(ctx, object, key.text.data(), key.text.size());
            }
            break;
        }
        default: duk_push_undefined(ctx); break;
    }
}

}  // namespace

template <typename Body>
bool ScriptContext::Protected(Body& body, PK::UniString* error, std::string* result) {
    const duk_int_t rc = duk_safe_call(_ctx, &RunBody<Body>, &body, 0, 1);
    bool ok = rc == DUK_EXEC_SUCCESS;
    if (ok && result != nullptr) {
        duk_size_t length = 0;
        const char* text = duk_get_lstring(_ctx, -1, &length);
        if (text != nullptr) result->assign(text, length);
    }
    if (!ok && error != nullptr) {
        duk_size_t length = 0;
        const char* text = duk_safe_to_lstring(_ctx, -1, &length);
        *error = ScriptText::FromEngine(std::string_view(text, length));
    }
    duk_pop(_ctx);
    return ok;
}

ScriptContext::ScriptContext(Host& host, const PK::UniString& url, bool online, std::uint64_t now)
    : _host(host), _now(now) {
    _ctx = duk_create_heap(nullptr, nullptr, nullptr, nullptr, &OnFatal);
    if (_ctx == nullptr) throw std::runtime_error("the script engine could not start");

    const std::string engineUrl = ScriptText::ToEngine(url);
    auto body = [this, &engineUrl, online](duk_context* ctx) -> duk_ret_t {
        duk_push_heap_stash(ctx);
        duk_push_pointer(ctx, this);
        duk_put_prop_string(ctx, -2, "self");
        duk_eval_lstring(ctx, ScriptRuntimeSource, sizeof(ScriptRuntimeSource) - 1);
        static const duk_function_list_entry natives[] = {
            {"navigate", &ScriptContext::NativeNavigate, 1}, {"alert", &ScriptContext::NativeAlert, 1},
            {"warn", &ScriptContext::NativeWarn, 1},         {"error", &ScriptContext::NativeError, 1},
            {"timer", &ScriptContext::NativeTimer, 2},       {"cancel", &ScriptContext::NativeCancel, 1},
            {"call", &ScriptContext::NativeCall, 3},         {nullptr, nullptr, 0}};
        duk_push_object(ctx);
        duk_put_function_list(ctx, -1, natives);
        duk_push_lstring(ctx, engineUrl.data(), engineUrl.size());
        duk_push_boolean(ctx, online);
        duk_call(ctx, 3);
        duk_put_prop_string(ctx, -2, "rt");
        return 0;
    };
    PK::UniString error;
    if (!Protected(body, &error)) {
        duk_destroy_heap(_ctx);
        throw std::runtime_error("the page runtime did not start: " + error.ToCStr());
    }
}

ScriptContext::~ScriptContext() { duk_destroy_heap(_ctx); }

ScriptContext* ScriptContext::Self(duk_context* ctx) {
    duk_push_heap_stash(ctx);
    duk_get_prop_string(ctx, -1, "self");
    auto* self = static_cast<ScriptContext*>(duk_get_pointer(ctx, -1));
    duk_pop_2(ctx);
    return self;
}

bool ScriptContext::CallRuntime(const char* method, int argumentCount, void (*push)(duk_context*, void*), void* data,
                                PK::UniString* error) {
    auto body = [method, argumentCount, push, data](duk_context* ctx) -> duk_ret_t {
        duk_push_heap_stash(ctx);
        duk_get_prop_string(ctx, -1, "rt");
        const duk_idx_t rt = duk_get_top_index(ctx);
        duk_push_string(ctx, method);
        push(ctx, data);
        duk_call_prop(ctx, rt, argumentCount);
        return 0;
    };
    return Protected(body, error);
}

void ScriptContext::Load(const HtmlDocument& document) {
    struct Rows {
        std::string title;
        std::vector<std::array<std::string, 5>> rows;
    } data{ScriptText::ToEngine(document.title), {}};
    data.rows.reserve(document.elements.size());
    for (const HtmlElement& e : document.elements)
        data.rows.push_back({ScriptText::ToEngine(e.tag), ScriptText::ToEngine(e.id),
                             ScriptText::ToEngine(e.className), ScriptText::ToEngine(e.value),
                             ScriptText::ToEngine(e.text)});
    PK::UniString error;
    const auto push = [](duk_context* ctx, void* p) {
        const Rows& d = *static_cast<const Rows*>(p);
        duk_push_lstring(ctx, d.title.data(), d.title.size());
        const duk_idx_t rows = duk_push_array(ctx);
        for (std::size_t i = 0; i < d.rows.size(); ++i) {
            const duk_idx_t row = duk_push_array(ctx);
            for (duk_uarridx_t k = 0; k < 5; ++k) {
                const DukString s = View(d.rows[i][k]);
                duk_push_lstring(ctx, s.data, s.size);
                duk_put_prop_index(ctx, row, k);
            }
            duk_put_prop_index(ctx, rows, static_cast<duk_uarridx_t>(i));
        }
    };
    if (!CallRuntime("setDocument", 2, push, &data, &error)) _host.PageError(error);
    for (const PK::UniString& script : document.scripts)
        if (!Execute(script, &error)) _host.PageError(error);
}

bool ScriptContext::Execute(const PK::UniString& source, PK::UniString* error) {
    const std::string code = ScriptText::ToEngine(source);
    auto body = [&code](duk_context* ctx) -> duk_ret_t {
        const DukString s = View(code);
        duk_eval_lstring_noresult(ctx, s.data, s.size);
        return 0;
    };
    return Protected(body, error);
}

std::optional<PK::UniString> ScriptContext::Evaluate(const PK::UniString& source, PK::UniString* error) {
    const std::string code = ScriptText::ToEngine(source);
    auto body = [&code](duk_context* ctx) -> duk_ret_t {
        const DukString s = View(code);
        duk_eval_lstring(ctx, s.data, s.size);
        duk_to_string(ctx, -1);
        return 1;
    };
    std::string result;
    if (!Protected(body, error, &result)) return std::nullopt;
    return ScriptText::FromEngine(result);
}

void ScriptContext::Install(const JSObject& object) {
    struct Names {
        std::string object;
        std::vector<std::string> functions;
    } data{ScriptText::ToEngine(object.GetName()), {}};
    for (const auto& [name, item] : object.GetItemTable())
        if (item.Is<JSFunction>()) data.functions.push_back(ScriptText::ToEngine(name));
    const auto push = [](duk_context* ctx, void* p) {
        const Names& d = *static_cast<const Names*>(p);
        duk_push_lstring(ctx, d.object.data(), d.object.size());
        const duk_idx_t names = duk_push_array(ctx);
        for (std::size_t i = 0; i < d.functions.size(); ++i) {
            const DukString s = View(d.functions[i]);
            duk_push_lstring(ctx, s.data, s.size);
            duk_put_prop_index(ctx, names, static_cast<duk_uarridx_t>(i));
        }
    };
    PK::UniString error;
    if (!CallRuntime("install", 2, push, &data, &error)) _host.PageError(error);
}

void ScriptContext::SetOnline(bool online) {
    const auto push = [](duk_context* ctx, void* p) { duk_push_boolean(ctx, *static_cast<bool*>(p)); };
    PK::UniString error;
    if (!CallRuntime("setOnline", 1, push, &online, &error)) _host.PageError(error);
}

void ScriptContext::AdvanceTo(std::uint64_t time) {
    while (!_timers.empty() && _timers.begin()->first.first <= time) {
        auto first = _timers.begin();
        std::uint32_t id = first->second;
        _now = first->first.first;
        _timerKeys.erase(id);
        _timers.erase(first);
        const auto push = [](duk_context* ctx, void* p) { duk_push_uint(ctx, *static_cast<std::uint32_t*>(p)); };
        PK::UniString error;
        if (!CallRuntime("fire", 1, push, &id, &error)) _host.PageError(error);
    }
    if (time > _now) _now = time;
}

void ScriptContext::Settle(std::uint32_t callId, bool ok, const JSRef& value) {
    _outgoing.clear();
    try {
        FlattenOutgoing(value, 0);
    } catch (const std::exception& e) {
        ok = false;
        _outgoing.clear();
        FlattenOutgoing(JSRef(new JSValue(PK::UniString(e.what()))), 0);
    }
    struct Answer {
        std::uint32_t id;
        bool ok;
        const std::vector<FlatItem>* value;
    } data{callId, ok, &_outgoing};
    const auto push = [](duk_context* ctx, void* p) {
        const Answer& d = *static_cast<const Answer*>(p);
        duk_push_uint(ctx, d.id);
        duk_push_boolean(ctx, d.ok);
        std::size_t pos = 0;
        PushFlat(ctx, d.value->data(), d.value->size(), pos);
    };
    PK::UniString error;
    if (!CallRuntime("settle", 3, push, &data, &error)) _host.PageError(error);
}

void ScriptContext::FlattenOutgoing(const JSRef& value, int depth) {
    if (depth > MaxValueDepth) throw std::runtime_error("the add-on's answer is nested too deeply");
    if (value == nullptr) {
        _outgoing.push_back({'u', 0, {}});
    } else if (const auto* plain = dynamic_cast<const JSValue*>(value.Get())) {
        switch (plain->GetType()) {
            case JSValue::DEFAULT: _outgoing.push_back({'u', 0, {}}); break;
            case JSValue::BOOL: _outgoing.push_back({'b', plain->GetBool() ? 1.0 : 0.0, {}}); break;
            case JSValue::INTEGER: _outgoing.push_back({'n', double(plain->GetInteger()), {}}); break;
            case JSValue::UINTEGER: _outgoing.push_back({'n', double(plain->GetUInteger()), {}}); break;
            case JSValue::DOUBLE: _outgoing.push_back({'n', plain->GetDouble(), {}}); break;
            case JSValue::STRING: _outgoing.push_back({'s', 0, ScriptText::ToEngine(plain->GetString())}); break;
        }
    } else if (const auto* array = dynamic_cast<const JSArray*>(value.Get())) {
        _outgoing.push_back({'a', double(array->GetItemArray().GetSize()), {}});
        for (const JSRef& item : array->GetItemArray()) FlattenOutgoing(item, depth + 1);
    } else if (const auto* object = dynamic_cast<const JSObject*>(value.Get())) {
        _outgoing.push_back({'o', double(object->GetItemTable().GetSize()), {}});
        for (const auto& [name, item] : object->GetItemTable()) {
            _outgoing.push_back({'k', 0, ScriptText::ToEngine(name)});
            FlattenOutgoing(item, depth + 1);
        }
    } else {
        _outgoing.push_back({'u', 0, {}});  // a function does not travel back to the page
    }
}

// ---- native functions: plain locals only, the work in noexcept members ----

void ScriptContext::ReportText(Report kind, const char* text, std::size_t length) noexcept {
    try {
        const PK::UniString value = ScriptText::FromEngine(std::string_view(text, length));
        switch (kind) {
            case Report::Navigate: _host.PageNavigate(value); break;
            case Report::Alert: _host.PageAlert(value); break;
            case Report::Warning: _host.PageWarning(value); break;
            case Report::Error: _host.PageError(value); break;
        }
    } catch (const std::exception& e) {
        DBPrint((std::string("browser substitute: a page report was lost: ") + e.what()).c_str());
    } catch (...) {
        DBPrint("browser substitute: a page report was lost");
    }
}

#define TC_DG_TEXT_NATIVE(Name, Kind)                                  \
    int ScriptContext::Name(duk_context* ctx) {                        \
        ScriptContext* self = Self(ctx);                                \
        duk_size_t length = 0;                                          \
        const char* text = duk_get_lstring(ctx, 0, &length);            \
        if (self == nullptr || text == nullptr) return DUK_RET_TYPE_ERROR; \
        self->ReportText(Report::Kind, text, length);                   \
        return 0;                                                       \
    }
TC_DG_TEXT_NATIVE(NativeNavigate, Navigate)
TC_DG_TEXT_NATIVE(NativeAlert, Alert)
TC_DG_TEXT_NATIVE(NativeWarn, Warning)
TC_DG_TEXT_NATIVE(NativeError, Error)
#undef TC_DG_TEXT_NATIVE

void ScriptContext::AddTimer(std::uint32_t id, double delay) noexcept {
    try {
        // A delay below 1 ms counts as 1 ms, so a page that keeps re-arming a
        // zero timer cannot hold the virtual clock still.
        const std::uint64_t step = std::isfinite(delay) && delay > 1 ? static_cast<std::uint64_t>(delay) : 1;
        const std::pair<std::uint64_t, std::uint64_t> key{_now + step, _nextTimerSequence++};
        _timers.emplace(key, id);
        _timerKeys[id] = key;
    } catch (...) {
        DBPrint("browser substitute: a timer could not be set");
    }
}

void ScriptContext::CancelTimer(std::uint32_t id) noexcept {
    const auto it = _timerKeys.find(id);
    if (it == _timerKeys.end()) return;
    _timers.erase(it->second);
    _timerKeys.erase(it);
}

int ScriptContext::NativeTimer(duk_context* ctx) {
    ScriptContext* self = Self(ctx);
    if (self == nullptr) return DUK_RET_TYPE_ERROR;
    self->AddTimer(duk_get_uint(ctx, 0), duk_get_number(ctx, 1));
    return 0;
}

int ScriptContext::NativeCancel(duk_context* ctx) {
    ScriptContext* self = Self(ctx);
    if (self == nullptr) return DUK_RET_TYPE_ERROR;
    self->CancelTimer(duk_get_uint(ctx, 0));
    return 0;
}

bool ScriptContext::BeginIncoming(std::size_t count) noexcept {
    try {
        _incoming.clear();
        _incoming.reserve(count / 2);
        return true;
    } catch (...) {
        return false;
    }
}

bool ScriptContext::AddIncoming(const char* tag, const char* text, std::size_t length, double number) noexcept {
    try {
        FlatItem item{tag != nullptr && tag[0] != 0 ? tag[0] : '?', number, {}};
        if (text != nullptr) item.text.assign(text, length);
        _incoming.push_back(std::move(item));
        return true;
    } catch (...) {
        return false;
    }
}

int ScriptContext::NativeCall(duk_context* ctx) {
    ScriptContext* self = Self(ctx);
    const char* object = duk_get_string(ctx, 0);
    const char* function = duk_get_string(ctx, 1);
    if (self == nullptr || object == nullptr || function == nullptr || !duk_is_array(ctx, 2))
        return DUK_RET_TYPE_ERROR;
    const duk_size_t count = duk_get_length(ctx, 2);
    if (!self->BeginIncoming(count)) return DUK_RET_ERROR;
    for (duk_uarridx_t i = 0; i + 1 < count; i += 2) {
        duk_get_prop_index(ctx, 2, i);
        const char* tag = duk_get_string(ctx, -1);
        duk_get_prop_index(ctx, 2, i + 1);
        duk_size_t length = 0;
        const char* text = duk_get_lstring(ctx, -1, &length);
        const double number = duk_get_number(ctx, -1);
        const bool added = self->AddIncoming(tag, text, length, number);
        duk_pop_2(ctx);
        if (!added) return DUK_RET_ERROR;
    }
    std::uint32_t callId = 0;
    if (!self->QueueIncomingCall(object, function, &callId))
        return duk_error(ctx, DUK_ERR_TYPE_ERROR, "%s", self->_nativeFailure.c_str());
    duk_push_uint(ctx, callId);
    return 1;
}

bool ScriptContext::QueueIncomingCall(const char* object, const char* function, std::uint32_t* callId) noexcept {
    try {
        std::size_t pos = 0;
        const JSRef argument = BuildIncoming(pos, 0);
        const std::uint32_t id = ++_lastCallId;
        const PK::UniString objectName = ScriptText::FromEngine(object);
        const PK::UniString functionName = ScriptText::FromEngine(function);
        if (!_host.PageCall(shared_from_this(), id, objectName, functionName, argument)) {
            _nativeFailure = objectName.ToCStr() + "." + functionName.ToCStr() + " is not a function of the add-on";
            return false;
        }
        *callId = id;
        return true;
    } catch (const std::exception& e) {
        _nativeFailure.assign(e.what());
    } catch (...) {
        _nativeFailure.assign("the add-on could not take the call");
    }
    return false;
}

JSRef ScriptContext::BuildIncoming(std::size_t& pos, int depth) const {
    if (depth > MaxValueDepth + 1) throw std::runtime_error("value nested too deeply for the add-on");
    if (pos >= _incoming.size()) throw std::runtime_error("malformed value from the page");
    const FlatItem& item = _incoming[pos++];
    switch (item.tag) {
        case 'u': return JSRef(new JSValue());
        case 'h': return JSRef();
        case 'b': return JSRef(new JSValue(item.number != 0));
        case 's': return JSRef(new JSValue(ScriptText::FromEngine(item.text)));
        case 'f': return JSRef(new JSFunction(ScriptText::FromEngine(item.text), nullptr));
        case 'n': {
            const double n = item.number;
            // Whole numbers travel as integers, as a browser's bridge hands them over.
            if (std::trunc(n) == n && n >= -2147483648.0 && n <= 2147483647.0)
                return JSRef(new JSValue(static_cast<PK::Int32>(n)));
            if (std::trunc(n) == n && n > 0 && n <= 4294967295.0)
                return JSRef(new JSValue(static_cast<PK::UInt32>(n)));
            return JSRef(new JSValue(n));
        }
        case 'a': {
            auto array = PK::NewRef<JSArray>();
            for (std::size_t i = 0, n = static_cast<std::size_t>(item.number); i < n; ++i)
                array->AddItem(BuildIncoming(pos, depth + 1));
            return array;
        }
        case 'o': {
            auto object = PK::NewRef<JSObject>();
            for (std::size_t i = 0, n = static_cast<std::size_t>(item.number); i < n; ++i) {
                if (pos >= _incoming.size() || _incoming[pos].tag != 'k')
                    throw std::runtime_error("malformed value from the page");
                const PK::UniString key = ScriptText::FromEngine(_incoming[pos++].text);
                object->AddItem(key, BuildIncoming(pos, depth + 1));
            }
            return object;
        }
        default: throw std::runtime_error("malformed value from the page");
    }
}

}  // namespace DG::Detail
