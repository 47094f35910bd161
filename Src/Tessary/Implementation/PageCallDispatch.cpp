#include "Tessary/Implementation/PageCallDispatch.hpp"

#include "DG/JSValue.hpp"
#include "Tessary/Api/Tessary.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Implementation {

const char* PageCallName(PageCall call) {
    switch (call) {
        case PageCall::selectInstancesOfType: return "selectInstancesOfType";
        case PageCall::getAllTypesInDocument: return "getAllTypesInDocument";
        case PageCall::updateProperties: return "updateProperties";
        case PageCall::specOpened: return "specOpened";
        case PageCall::specAssociationRequested: return "specAssociationRequested";
        case PageCall::removeSpecAssociationRequested: return "removeSpecAssociationRequested";
        case PageCall::associationRequested: return "associationRequested";
        case PageCall::removeAssociationRequested: return "removeAssociationRequested";
    }
    return "unknown page call";
}

// Placeholder until the page-call frame answers these calls: the call is
// logged and the page gets the empty answer; the model is not reached.
DG::JSRef HandlePageCall(PageCall call, Api::Tessary& /*page*/, const DG::JSRef& /*argument*/) noexcept {
    try {
        LOG_WARN("TessaryBrowser::{}: not handled yet", PageCallName(call));
        return DG::JSRef(new DG::JSValue());
    } catch (...) {
        return DG::JSRef();
    }
}

}  // namespace TessaryConnect::Implementation
