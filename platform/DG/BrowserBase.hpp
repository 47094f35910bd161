#pragma once
// The browser control of the dialog library. Here it is a headless substitute
// on a real script engine (TVSim/Web.hpp is what tests control):
// pages come from a table of address -> HTML, each load runs the page's
// inline scripts in a fresh engine with the little of a browser a page of
// the add-on needs, and calls from a page to a registered script object
// reach the add-on from the host's main loop, never inside the page's script.
//
// Loading is asynchronous as in a real control: LoadURL, LoadHTML and
// ReloadIgnoreCache queue the navigation on the main loop; when it runs, the
// URL-change event fires, then the loading-state event with true, the page is
// built and its scripts run, then the loading-state event with false.
// Before the first load the control shows an empty page.
#include <memory>

#include "DG/BrowserEventArgs.hpp"
#include "DG/EventNotifier.hpp"
#include "DG/JSObject.hpp"
#include "PK/UniString.hpp"

namespace TVSim::Web {
struct Access;
}

namespace DG {

namespace Detail {
class BrowserState;
}

class BrowserBase {
public:
    EventNotifier<BrowserURLChangeArg> onURLChange;
    EventNotifier<BrowserLoadingStateChangeArg> onLoadingStateChange;

    BrowserBase(const BrowserBase&) = delete;
    BrowserBase& operator=(const BrowserBase&) = delete;
    virtual ~BrowserBase();

    void LoadURL(const PK::UniString& url);
    // Shows the HTML text as a page of its own (address "about:blank").
    void LoadHTML(const PK::UniString& html);
    // Runs the script in the page shown now; false on a syntax error or an
    // exception the script does not catch.
    bool ExecuteJS(const PK::UniString& script);
    // An empty name deletes every cookie of the address.
    void DeleteCookies(const PK::UniString& url, const PK::UniString& name);
    void ReloadIgnoreCache();
    // Shows the object to pages as window.<its name>, the current page
    // included, with one function per JSFunction item. False, and nothing
    // registered, for an empty reference, an unnamed object, a name already
    // registered, or when the host refuses script objects.
    bool RegisterAsynchJSObject(const PK::Ref<JSObject>& object);

protected:
    BrowserBase();

private:
    friend struct TVSim::Web::Access;
    std::shared_ptr<Detail::BrowserState> _state;
};

}  // namespace DG
