#include "DG/BrowserState.hpp"

#include <algorithm>
#include <functional>

#include "DG/BrowserBase.hpp"
#include "DG/HtmlDocument.hpp"
#include "DG/JSFunction.hpp"
#include "DG/JSValue.hpp"
#include "DG/WebWorld.hpp"
#include "PK/DebugOutput.hpp"
#include "PK/Runnable.hpp"

namespace DG::Detail {

namespace {

const char* const ErrorPageHtml =
    "<html><head><title>This page isn't available</title></head><body>"
    "<p id=\"message\">The address could not be reached.</p></body></html>";

// Work of the control on the host's main loop. Faults of the substitute
// itself are written to the debug output; the add-on's are recorded where
// they are called.
class Task : public PK::Runnable {
public:
    explicit Task(std::function<void()> work) : _work(std::move(work)) {}
    void Run() override {
        try {
            _work();
        } catch (const std::exception& e) {
            DBPrint((std::string("browser substitute: ") + e.what()).c_str());
        } catch (...) {
            DBPrint("browser substitute: unknown failure");
        }
    }

private:
    std::function<void()> _work;
};

void Post(std::function<void()> work) { PK::MessageLoopExecutor().Execute(std::make_shared<Task>(std::move(work))); }

}  // namespace

WebWorld& World() {
    static WebWorld world;
    return world;
}

BrowserState::BrowserState(BrowserBase& owner) : _owner(owner), _shownUrl(HtmlPageUrl) {
    World().browsers.push_back(this);
}

BrowserState::~BrowserState() {
    auto& browsers = World().browsers;
    browsers.erase(std::remove(browsers.begin(), browsers.end(), this), browsers.end());
}

void BrowserState::ShowBlankPage() { BuildPage({}); }

void BrowserState::Navigate(const PK::UniString& target, bool isHtml) {
    _queued = Navigation{target, isHtml};
    if (_navigationTaskPending) return;  // the queued task takes the latest navigation
    _navigationTaskPending = true;
    std::weak_ptr<BrowserState> weak = shared_from_this();
    Post([weak] {
        if (auto state = weak.lock()) state->RunQueuedNavigation();
    });
}

void BrowserState::Reload() {
    if (_shown) Navigate(_shown->target, _shown->isHtml);
}

void BrowserState::RunQueuedNavigation() {
    _navigationTaskPending = false;
    if (!_queued) return;
    const Navigation navigation = *_queued;
    _queued.reset();
    Show(navigation);
}

void BrowserState::Show(const Navigation& navigation) {
    const auto keepAlive = shared_from_this();
    PK::UniString html;
    PK::UniString url;
    if (navigation.isHtml) {
        url = HtmlPageUrl;
        html = navigation.target;
    } else if (World().online && World().pages.Get(navigation.target, &html)) {
        url = navigation.target;
    } else {
        url = ErrorPageUrl;
        html = ErrorPageHtml;
    }
    _shown = navigation;
    _shownUrl = url;
    _shownHtml = html;
    _record.shownUrls.push_back(url);

    CallIntoAddOn("browser URL change", [&] { _owner.onURLChange.Notify({&_owner, url}); });
    CallIntoAddOn("browser loading state", [&] { _owner.onLoadingStateChange.Notify({&_owner, true}); });
    BuildPage(html);
    CallIntoAddOn("browser loading state", [&] { _owner.onLoadingStateChange.Notify({&_owner, false}); });
}

void BrowserState::BuildPage(const PK::UniString& html) {
    _page.reset();  // the old page's timers and pending calls go with it
    _page = std::make_shared<ScriptContext>(*this, _shownUrl, World().online, World().clock);
    for (const auto& object : _objects) _page->Install(*object);
    _page->Load(HtmlDocument::Parse(html));
}

bool BrowserState::Execute(const PK::UniString& script) {
    _record.executedScripts.push_back(script);
    PK::UniString error;
    if (_page && _page->Execute(script, &error)) return true;
    _record.executeErrors.push_back(_page ? error : PK::UniString("no page"));
    return false;
}

std::optional<PK::UniString> BrowserState::Evaluate(const PK::UniString& script, PK::UniString* error) {
    if (!_page) return std::nullopt;
    return _page->Evaluate(script, error);
}

void BrowserState::DeleteCookies(const PK::UniString& url, const PK::UniString& name) {
    _record.deletedCookies.emplace_back(url, name);
}

bool BrowserState::Register(const PK::Ref<JSObject>& object) {
    if (World().refuseObjects || object == nullptr || object->GetName().IsEmpty()) return false;
    for (const auto& known : _objects)
        if (known->GetName() == object->GetName()) return false;
    _objects.push_back(object);
    if (_page) _page->Install(*object);
    return true;
}

void BrowserState::SetOnline(bool online) {
    if (_page) _page->SetOnline(online);
}

void BrowserState::AdvanceTo(std::uint64_t time) {
    if (_page) _page->AdvanceTo(time);
}

void BrowserState::PageNavigate(const PK::UniString& url) { Navigate(url, false); }
void BrowserState::PageAlert(const PK::UniString& text) { _record.alerts.push_back(text); }
void BrowserState::PageWarning(const PK::UniString& text) { _record.warnings.push_back(text); }
void BrowserState::PageError(const PK::UniString& text) { _record.pageErrors.push_back(text); }

bool BrowserState::PageCall(const std::shared_ptr<ScriptContext>& page, std::uint32_t callId,
                            const PK::UniString& object, const PK::UniString& function, const JSRef& argument) {
    PK::Ref<JSFunction> target;
    for (const auto& known : _objects) {
        if (known->GetName() != object) continue;
        if (const JSRef* item = known->GetItemTable().GetPtr(function); item != nullptr && item->Is<JSFunction>())
            target = item->As<JSFunction>();
    }
    if (target == nullptr) return false;
    std::weak_ptr<BrowserState> weakState = shared_from_this();
    std::weak_ptr<ScriptContext> weakPage = page;
    Post([weakState, weakPage, target, argument, callId] {
        // A control that is gone has nobody left to call.
        const auto state = weakState.lock();
        if (!state) return;
        JSRef result;
        const bool ok = CallIntoAddOn("browser page call", [&] { result = target->Call(argument); });
        if (!ok) result = JSRef(new JSValue("the add-on failed"));
        // The answer reaches the page only if it is still the one shown.
        if (const auto shown = weakPage.lock(); shown && shown == state->_page) shown->Settle(callId, ok, result);
    });
    return true;
}

}  // namespace DG::Detail
