#pragma once
// The browser control on the palette's browser panel. It shows the Orvo
// Tessary web application and is the add-on's one page interface
// (Api::Tessary): the model's calls become scripts run in the page, and the
// page's calls reach the model through the script object
// "orvoTessaryIntegrator" that Init registers.
//
// Every navigation of the add-on's own (home, info page) goes through the
// offline loader page, which forwards when the computer is online. After
// every finished load the control injects a script that reports the page's
// connection state and checks that the script object is reachable. With
// tessary.username and tessary.password set, it fills and sends the
// service's login form.
#include <cstdint>

#include "DG/Browser.hpp"
#include "DG/JSBase.hpp"
#include "DG/Panel.hpp"
#include "PK/UniString.hpp"
#include "Tessary/Api/Tessary.hpp"

namespace TessaryConnect::Implementation {

class TessaryBrowser : public Api::Tessary, public DG::Browser {
public:
    // The address of the engine's own page for a load that failed.
    static constexpr const char* EngineErrorPageUrl = "engine-error://errorpage/";
    // The first wait after a failed load of the service, doubled after each
    // further failure up to the longest.
    static constexpr std::uint32_t FirstRetryDelay = 5000;
    static constexpr std::uint32_t LongestRetryDelay = 300000;

    TessaryBrowser(const DG::Panel& panel, short item);
    ~TessaryBrowser() override;

    void Init() override;
    void SetAppState(const Api::AppState& state) override;
    void SetDocumentState(const Api::DocumentState& state) override;
    void SetSelectionState(const Api::SelectionState& state) override;
    void AssociateSpec(const PK::UniString& specId, const PK::UniString& documentRef,
                       const PK::UniString& documentName) override;
    void RemoveSpecAssociation(const PK::UniString& specId, const PK::UniString& documentRef) override;
    void Associate(const Api::AssociableType& type, const PK::UniString& text) override;
    void RemoveAssociation(const PK::UniString& specId, const PK::UniString& clauseId) override;
    void SendAssociationFeedback(bool success, const PK::UniString& text) override;
    void RequestClauseData(const PK::UniString& projectId, const PK::UniString& specId,
                           const PK::Array<PK::UniString>& clauseIds) override;

    void GotoHome();
    void GotoLastTessaryUrl();
    void ReloadAndClearCache();
    void GotoInfoPage();
    void Test_QuickLogin();

    const PK::UniString& GetHomeUrl() const { return _homeUrl; }
    const PK::UniString& GetCurrentUrl() const { return _currentUrl; }
    const PK::UniString& GetLastTessaryUrl() const { return _lastTessaryUrl; }
    bool IsInitialized() const { return _initialized; }

private:
    void InitCallbacks();
    void OnUrlChanged(const PK::UniString& url);
    void OnLoadingStateChanged(bool isLoading);
    void GotoHomeAfterFailedLoad();

    DG::JSRef tvt_orvoTessaryIntegrator_objectVerifier(const DG::JSRef& argument);
    DG::JSRef tvt_onlineStateChanged(const DG::JSRef& argument);
    DG::JSRef getAllState(const DG::JSRef& argument);

    PK::UniString _homeUrl;
    PK::UniString _currentUrl;
    PK::UniString _lastTessaryUrl;
    bool _initialized = false;
    PK::UniString _userName;
    PK::UniString _password;
    // Failed loads of the service since it was last reached; sets how long
    // the loader waits before it tries again.
    std::uint32_t _failedLoads = 0;
};

}  // namespace TessaryConnect::Implementation
