#include "Tessary/Implementation/PageCallDispatch.hpp"

#include "DG/JSValue.hpp"
#include "Tessary/Api/Tessary.hpp"
#include "Tessary/Implementation/PageCalls.hpp"
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

DG::JSRef HandlePageCall(PageCall call, Api::Tessary& page, const DG::JSRef& argument) noexcept {
    switch (call) {
        case PageCall::selectInstancesOfType: return PageCalls::SelectInstancesOfType(page, argument);
        case PageCall::getAllTypesInDocument: return PageCalls::GetAllTypesInDocument(page, argument);
        case PageCall::updateProperties: return PageCalls::UpdateProperties(page, argument);
        case PageCall::specOpened: return PageCalls::SpecOpened(page, argument);
        case PageCall::specAssociationRequested: return PageCalls::SpecAssociationRequested(page, argument);
        case PageCall::removeSpecAssociationRequested:
            return PageCalls::RemoveSpecAssociationRequested(page, argument);
        case PageCall::associationRequested: return PageCalls::AssociationRequested(page, argument);
        case PageCall::removeAssociationRequested: return PageCalls::RemoveAssociationRequested(page, argument);
    }
    // Every call of the page has its case; an unknown value answers as a refused call does.
    try {
        LOG_ERROR("unknown page call: {}", static_cast<int>(call));
        return DG::JSRef(new DG::JSValue());
    } catch (...) {
        return DG::JSRef();
    }
}

}  // namespace TessaryConnect::Implementation
