#include "DG/BrowserBase.hpp"

#include "DG/BrowserState.hpp"

namespace DG {

BrowserBase::BrowserBase() : _state(std::make_shared<Detail::BrowserState>(*this)) { _state->ShowBlankPage(); }

BrowserBase::~BrowserBase() = default;

void BrowserBase::LoadURL(const PK::UniString& url) { _state->Navigate(url, false); }
void BrowserBase::LoadHTML(const PK::UniString& html) { _state->Navigate(html, true); }
bool BrowserBase::ExecuteJS(const PK::UniString& script) { return _state->Execute(script); }
void BrowserBase::DeleteCookies(const PK::UniString& url, const PK::UniString& name) {
    _state->DeleteCookies(url, name);
}
void BrowserBase::ReloadIgnoreCache() { _state->Reload(); }
bool BrowserBase::RegisterAsynchJSObject(const PK::Ref<JSObject>& object) { return _state->Register(object); }

}  // namespace DG
