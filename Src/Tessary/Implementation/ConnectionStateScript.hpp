#pragma once
// The script the browser runs in every page once it has loaded: it reports
// each later change of the connection state to the add-on and, after two
// seconds, checks that the add-on's script object is reachable (an alert
// once per page if it is not). ECMAScript 5: it runs in any page.
namespace TessaryConnect::Implementation {

inline constexpr char ConnectionStateScript[] = R"JS(
function tvt_reportConnectionState() {
    if (typeof window.orvoTessaryIntegrator === 'object' &&
        typeof window.orvoTessaryIntegrator.tvt_onlineStateChanged === 'function') {
        window.orvoTessaryIntegrator.tvt_onlineStateChanged(window.navigator.onLine ? 'online' : 'offline');
    } else {
        console.warn('TVT: coudnt report change');
    }
}
window.addEventListener('online', tvt_reportConnectionState);
window.addEventListener('offline', tvt_reportConnectionState);
setTimeout(function () {
    if (typeof window.orvoTessaryIntegrator !== 'object') {
        if (typeof window.tvt_orvoTessaryIntegrator_objectVerifier === 'undefined') {
            window.tvt_orvoTessaryIntegrator_objectVerifier = 1;
            alert('Orvo Tessary Connect: Error Code: 1! Please try to refresh this page with the refresh button and report this issue.');
        }
    } else if (window.tvt_orvoTessaryIntegrator_objectVerifier !== 0) {
        window.tvt_orvoTessaryIntegrator_objectVerifier = 0;
        window.orvoTessaryIntegrator.tvt_orvoTessaryIntegrator_objectVerifier();
    }
}, 2000);
)JS";

}  // namespace TessaryConnect::Implementation
