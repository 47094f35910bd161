#include "Tessary/Implementation/PageCallDispatch.hpp"

#include "Tessary/Api/Tessary.hpp"
#include "Tessary/Implementation/PageCallFrame.hpp"
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
    try {
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
        LOG_ERROR("failed assertion: known page call, call({})", static_cast<int>(call));
        return PageCallFrame::EmptyValue();
    } catch (const std::exception& e) {  // the page calls catch their own; this only guards the boundary
        LOG_ERROR("exception: {}", e);
    } catch (...) {
        LOG_ERROR("unknown exception!");
    }
    return DG::JSRef();
}

}  // namespace TessaryConnect::Implementation
