#pragma once
// The page calls that lead into the model's page callbacks: functions 4 to 11
// of the page-callable object "orvoTessaryIntegrator". TessaryBrowser
// registers them in this order and hands every call, with the page's
// argument, to HandlePageCall, which passes it to its function in PageCalls.
// HandlePageCall never throws: every failure ends as a log line and the empty
// answer.
#include "DG/JSBase.hpp"

namespace TessaryConnect::Api {
class Tessary;
}

namespace TessaryConnect::Implementation {

enum class PageCall {
    selectInstancesOfType,
    getAllTypesInDocument,
    updateProperties,
    specOpened,
    specAssociationRequested,
    removeSpecAssociationRequested,
    associationRequested,
    removeAssociationRequested,
};

inline constexpr PageCall AllPageCalls[] = {
    PageCall::selectInstancesOfType,     PageCall::getAllTypesInDocument,
    PageCall::updateProperties,          PageCall::specOpened,
    PageCall::specAssociationRequested,  PageCall::removeSpecAssociationRequested,
    PageCall::associationRequested,      PageCall::removeAssociationRequested,
};

// The name under which the page calls it.
const char* PageCallName(PageCall call);

// Answers one call of the page; page is the browser the call came through,
// whose GetCallbackApi leads to the model.
DG::JSRef HandlePageCall(PageCall call, Api::Tessary& page, const DG::JSRef& argument) noexcept;

}  // namespace TessaryConnect::Implementation
