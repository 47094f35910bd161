#pragma once
// The inside of a substitute browser control (see BrowserBase.hpp): what it
// shows, its page's script engine, its registered script objects, its queued
// navigation and what it recorded for tests.
#include <memory>
#include <optional>
#include <vector>

#include "DG/JSObject.hpp"
#include "DG/ScriptContext.hpp"
#include "DG/WebWorld.hpp"

namespace DG {
class BrowserBase;
}

namespace DG::Detail {

class BrowserState final : public ScriptContext::Host, public std::enable_shared_from_this<BrowserState> {
public:
    explicit BrowserState(BrowserBase& owner);
    ~BrowserState();
    BrowserState(const BrowserState&) = delete;
    BrowserState& operator=(const BrowserState&) = delete;

    // Builds the first, empty page; separate from the constructor because a
    // page needs the state's shared ownership.
    void ShowBlankPage();

    void Navigate(const PK::UniString& target, bool isHtml);
    void Reload();
    bool Execute(const PK::UniString& script);
    void DeleteCookies(const PK::UniString& url, const PK::UniString& name);
    bool Register(const PK::Ref<JSObject>& object);

    void SetOnline(bool online);
    void AdvanceTo(std::uint64_t time);

    const BrowserRecord& GetRecord() const { return _record; }
    const PK::UniString& GetShownUrl() const { return _shownUrl; }
    const PK::UniString& GetShownHtml() const { return _shownHtml; }
    std::optional<PK::UniString> Evaluate(const PK::UniString& script, PK::UniString* error);

    // ScriptContext::Host
    void PageNavigate(const PK::UniString& url) override;
    void PageAlert(const PK::UniString& text) override;
    void PageWarning(const PK::UniString& text) override;
    void PageError(const PK::UniString& text) override;
    bool PageCall(const std::shared_ptr<ScriptContext>& page, std::uint32_t callId, const PK::UniString& object,
                  const PK::UniString& function, const JSRef& argument) override;

private:
    struct Navigation {
        PK::UniString target;
        bool isHtml = false;
    };
    void RunQueuedNavigation();
    void Show(const Navigation& navigation);
    void BuildPage(const PK::UniString& html);

    BrowserBase& _owner;
    std::optional<Navigation> _queued;
    bool _navigationTaskPending = false;
    std::optional<Navigation> _shown;  // what a reload loads again
    PK::UniString _shownUrl;
    PK::UniString _shownHtml;
    std::shared_ptr<ScriptContext> _page;
    std::vector<PK::Ref<JSObject>> _objects;
    BrowserRecord _record;
};

}  // namespace DG::Detail
