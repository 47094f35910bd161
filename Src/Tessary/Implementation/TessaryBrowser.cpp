#include "Tessary/Implementation/TessaryBrowser.hpp"

#include <algorithm>
#include <utility>

#include "DG/JSArray.hpp"
#include "DG/JSFunction.hpp"
#include "DG/JSObject.hpp"
#include "DG/JSValue.hpp"
#include "PK/Pref.hpp"
#include "Tessary/Api/TessaryCallbackApi.hpp"
#include "Tessary/Implementation/ConnectionStateScript.hpp"
#include "Tessary/Implementation/PageCallFrame.hpp"
#include "Tessary/Implementation/PageCalls.hpp"
#include "Tessary/Implementation/StringParam.hpp"
#include "Tessary/Implementation/UrlLoaderHtml.hpp"
#include "Util/JsonWriter.hpp"
#include "Util/AddonRuntimeError.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

// Runs the composed page call; the log line carries the calling operation's name.
#define TC_RUN_PAGE_CALL(expr)                 \
    do {                                       \
        LOG_DEBUG("ExecuteJS: {}", expr);      \
        TC_ASSERT(err, this->ExecuteJS(expr)); \
    } while (false)

namespace TessaryConnect::Implementation {

namespace {

constexpr const char* kPreferenceGroup = "OrvoTessaryConnect";
constexpr const char* kDefaultServiceUrl = "https://app.orvotessary.com/";
constexpr const char* kInfoPageUrl = "https://www.pendrake.com/support/manuals/";

PK::UniString ReadPreference(const char* key, const char* defaultValue) {
    const auto root = PKPref::OpenRootKey(0);
    PK::UniString value;
    if (root == nullptr || root->GetString(kPreferenceGroup, key, &value, defaultValue, 0) != PK::NoError)
        return defaultValue;
    return value;
}

// The control calls its event handlers from the host's main loop; nothing may escape into it.
template <typename Handler>
void CatchAll(const Handler& handler) {
    try {
        handler();
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
}

PK::UniString CallExpression(const char* function) {
    return PK::UniString("window.orvoTessaryState && window.orvoTessaryState.") + function + "(";
}

PK::UniString ListParam(const PK::Array<PK::UniString>& items) {
    if (items.IsEmpty()) return "null";
    PK::UniString list("[");
    for (PK::USize i = 0; i < items.GetSize(); ++i) {
        if (i > 0) list += u',';
        list += StringParam(items[i]);
    }
    list += u']';
    return list;
}

}  // namespace

TessaryBrowser::TessaryBrowser(const DG::Panel& panel, short item) : Api::Tessary(), DG::Browser(panel, item) {
    _homeUrl = ReadPreference("tessary.url", kDefaultServiceUrl);
    LOG_INFO("tessary.url: {}", _homeUrl);
    _currentUrl = _homeUrl;
    _lastTessaryUrl = _homeUrl;
    _userName = ReadPreference("tessary.username", "");
    _password = ReadPreference("tessary.password", "");

    onURLChange += [this](const DG::BrowserURLChangeArg& arg) { CatchAll([&] { OnUrlChanged(arg.url); }); };
    onLoadingStateChange += [this](const DG::BrowserLoadingStateChangeArg& arg) {
        CatchAll([&] { OnLoadingStateChanged(arg.isLoading); });
    };
    LoadURL(_homeUrl);
}

TessaryBrowser::~TessaryBrowser() { LOG_TRACE("~TessaryBrowser"); }

void TessaryBrowser::Init() {
    if (_initialized) return;
    InitCallbacks();
    _initialized = true;
}

// ---- navigation ----

void TessaryBrowser::OnUrlChanged(const PK::UniString& url) {
    LOG_TRACE("TessaryBrowser.urlChanged to {}", url);
    _currentUrl = url;
    if (url.Contains(EngineErrorPageUrl)) {
        GotoHomeAfterFailedLoad();
        return;
    }
    // A web page was reached, so the service is worth trying at once again.
    if (url.BeginsWith("https://") || url.BeginsWith("http://")) _failedLoads = 0;
}

void TessaryBrowser::OnLoadingStateChanged(bool isLoading) {
    if (isLoading) return;
    const PK::UniString script(ConnectionStateScript);
    TC_ASSERT(err, this->ExecuteJS(script));
    Test_QuickLogin();
}

void TessaryBrowser::GotoHome() {
    LOG_TRACE("TessaryBrowser::GotoHome");
    LoadHTML(GetUrlLoaderHtml(_homeUrl));
}

// The error page means the service could not be reached. Online, the loader
// would forward at once and fail again at once, over and over; it waits
// instead, longer after each failure. Going online, the Home button and
// Reload still forward at once (GotoHome).
void TessaryBrowser::GotoHomeAfterFailedLoad() {
    LOG_TRACE("TessaryBrowser::GotoHome");
    const std::uint32_t doublings = std::min<std::uint32_t>(_failedLoads, 16);
    const std::uint32_t delay = std::min<std::uint64_t>(std::uint64_t{FirstRetryDelay} << doublings, LongestRetryDelay);
    ++_failedLoads;
    LOG_DEBUG("the service could not be reached; the loader tries again in {} ms", delay);
    LoadHTML(GetUrlLoaderHtml(_homeUrl, delay));
}

void TessaryBrowser::GotoLastTessaryUrl() { LoadHTML(GetUrlLoaderHtml(_lastTessaryUrl)); }

void TessaryBrowser::ReloadAndClearCache() {
    LOG_TRACE("TessaryBrowser::ReloadAndClearCache");
    DeleteCookies(_homeUrl, "");
    ReloadIgnoreCache();
}

void TessaryBrowser::GotoInfoPage() {
    LOG_TRACE("TessaryBrowser::GotoInfoPage");
    LoadHTML(GetUrlLoaderHtml(kInfoPageUrl));
}

// Composed anew for each run from this control's own values, each written as
// a full script literal: a quote or backslash in a password must neither
// break the script nor run as part of it.
void TessaryBrowser::Test_QuickLogin() {
    if (_userName.IsEmpty() || _password.IsEmpty()) return;
    LOG_TRACE("QuickLogin");
    const PK::UniString js =
        PK::UniString("if (document.getElementById('loginButton')) {") +
        "document.getElementById('loginButton').click();" +
        "} else if (document.getElementById('Email') && document.getElementById('Password')) {" +
        "document.getElementById('Email').value=" + StringParam(_userName) + ";" +
        "document.getElementById('Password').value=" + StringParam(_password) + ";" +
        "document.getElementsByClassName('submit-button')[0].click();" + "}";
    TC_ASSERT(err, this->ExecuteJS(js));
}

// ---- calls to the page ----

void TessaryBrowser::SetAppState(const Api::AppState& state) {
    const PK::UniString expr = CallExpression("setAppState") + JsonParam(state.ToJSON()) + ")";
    TC_RUN_PAGE_CALL(expr);
}

void TessaryBrowser::SetDocumentState(const Api::DocumentState& state) {
    const PK::UniString expr = CallExpression("setDocumentState") + JsonParam(state.ToJSON()) + ")";
    TC_RUN_PAGE_CALL(expr);
}

void TessaryBrowser::SetSelectionState(const Api::SelectionState& state) {
    const PK::UniString expr = CallExpression("setSelectionState") + JsonParam(state.ToJSON()) + ")";
    TC_RUN_PAGE_CALL(expr);
}

void TessaryBrowser::AssociateSpec(const PK::UniString& specId, const PK::UniString& documentRef,
                                   const PK::UniString& documentName) {
    const PK::UniString expr = CallExpression("associateSpec") + StringParam(specId) + "," +
                               StringParam(documentRef) + "," + StringParam(documentName) + ")";
    TC_RUN_PAGE_CALL(expr);
}

void TessaryBrowser::RemoveSpecAssociation(const PK::UniString& specId, const PK::UniString& documentRef) {
    const PK::UniString expr =
        CallExpression("removeSpecAssociation") + StringParam(specId) + "," + StringParam(documentRef) + ")";
    TC_RUN_PAGE_CALL(expr);
}

void TessaryBrowser::Associate(const Api::AssociableType& type, const PK::UniString& text) {
    const PK::UniString expr =
        CallExpression("associate") + JsonParam(type.ToJSON()) + "," + StringParam(text) + ")";
    TC_RUN_PAGE_CALL(expr);
}

void TessaryBrowser::RemoveAssociation(const PK::UniString& specId, const PK::UniString& clauseId) {
    const PK::UniString expr =
        CallExpression("removeAssociation") + StringParam(specId) + "," + StringParam(clauseId) + ")";
    TC_RUN_PAGE_CALL(expr);
}

void TessaryBrowser::SendAssociationFeedback(bool success, const PK::UniString& text) {
    const PK::UniString expr = CallExpression("sendAssociationFeedback") + (success ? "true" : "false") + "," +
                               StringParam(text) + ")";
    TC_RUN_PAGE_CALL(expr);
}

void TessaryBrowser::RequestClauseData(const PK::UniString& projectId, const PK::UniString& specId,
                                       const PK::Array<PK::UniString>& clauseIds) {
    const PK::UniString expr = CallExpression("requestClauseData") + StringParam(projectId) + "," +
                               StringParam(specId) + "," + ListParam(clauseIds) + ")";
    TC_RUN_PAGE_CALL(expr);
}

// ---- the page-callable object ----

void TessaryBrowser::InitCallbacks() {
    LOG_TRACE("TessaryBrowser::InitCallbacks");
    auto object = PK::NewRef<DG::JSObject>("orvoTessaryIntegrator");
    const auto add = [&object](const char* name, DG::JSFunction::Callable callable) {
        object->AddItem(PK::NewRef<DG::JSFunction>(name, std::move(callable)));
    };
    add("tvt_orvoTessaryIntegrator_objectVerifier",
        [this](DG::JSRef argument) { return tvt_orvoTessaryIntegrator_objectVerifier(argument); });
    add("tvt_onlineStateChanged", [this](DG::JSRef argument) { return tvt_onlineStateChanged(argument); });
    add("getAllState", [this](DG::JSRef argument) { return getAllState(argument); });
    const std::pair<const char*, PageCalls::Function> pageCalls[] = {
        {"selectInstancesOfType", &PageCalls::SelectInstancesOfType},
        {"getAllTypesInDocument", &PageCalls::GetAllTypesInDocument},
        {"updateProperties", &PageCalls::UpdateProperties},
        {"specOpened", &PageCalls::SpecOpened},
        {"specAssociationRequested", &PageCalls::SpecAssociationRequested},
        {"removeSpecAssociationRequested", &PageCalls::RemoveSpecAssociationRequested},
        {"associationRequested", &PageCalls::AssociationRequested},
        {"removeAssociationRequested", &PageCalls::RemoveAssociationRequested},
    };
    Api::Tessary& page = *this;
    for (const auto& [name, function] : pageCalls) {
        const PageCalls::Function call = function;
        add(name, [call, &page](DG::JSRef argument) { return call(page, argument); });
    }

    if (!RegisterAsynchJSObject(object)) {
        LOG_CRITICAL("couldn't init browser's async object");
        TC_THROW_RUNTIME("couldn't init browser's async object");
    }
}

DG::JSRef TessaryBrowser::tvt_orvoTessaryIntegrator_objectVerifier(const DG::JSRef&) {
    LOG_TRACE("TessaryBrowser::tvt_orvoTessaryIntegrator_objectVerifier: verified");
    return PageCallFrame::EmptyValue();
}

DG::JSRef TessaryBrowser::tvt_onlineStateChanged(const DG::JSRef& argument) {
    const PageCallFrame frame("tvt_onlineStateChanged", TC_SOURCE_LOC);
    return frame.Run(argument, [&] {
        const PK::Ref<DG::JSValue> param = argument.As<DG::JSValue>();
        if (param == nullptr || param->GetType() != DG::JSValue::STRING) {
            frame.Log(spdlog::level::err,
                      "failed assertion: param != nullptr && param->GetType() == DG::JSValue::STRING");
            return PageCallFrame::EmptyValue();
        }
        const bool online = param->GetString() == "online";
        if (!online) _lastTessaryUrl = _currentUrl;
        if (const auto callbacks = GetCallbackApi()) callbacks->Handle_tvt_onlineStateChanged(online);
        return PageCallFrame::EmptyValue();
    });
}

DG::JSRef TessaryBrowser::getAllState(const DG::JSRef& argument) {
    const PageCallFrame frame("getAllState", TC_SOURCE_LOC);
    return frame.Run(argument, [&] {
        const DG::JSBase& value = *argument;  // no argument at all throws the null-reference exception
        const auto* asValue = dynamic_cast<const DG::JSValue*>(&value);
        const auto* asArray = dynamic_cast<const DG::JSArray*>(&value);
        if (!((asValue && asValue->GetType() == DG::JSValue::DEFAULT) ||
              (asArray && asArray->GetItemArray().GetSize() == 0)))
            frame.Log(spdlog::level::warn,
                      "failed assertion: (asValue && asValue->GetType() == DG::JSValue::DEFAULT) || (asArray && "
                      "asArray->GetItemArray().GetSize() == 0)");
        const auto callbacks = GetCallbackApi();
        if (!callbacks) return PageCallFrame::EmptyValue();
        const Api::AllState state = callbacks->Handle_getAllState();
        Json::Writer writer;
        writer.StartObject();
        writer.Key("appState");
        writer.RawObject(state.appState.ToJSON());
        writer.Key("documentState");
        writer.RawObject(state.documentState.ToJSON());
        writer.Key("selectionState");
        writer.RawObject(state.selectionState.ToJSON());
        writer.EndObject();
        const PK::UniString text = writer.GetText();
        frame.Log(spdlog::level::trace, "TessaryBrowser::getAllState returns: {}", text);
        return DG::JSRef(new DG::JSValue(text));
    });
}

}  // namespace TessaryConnect::Implementation
