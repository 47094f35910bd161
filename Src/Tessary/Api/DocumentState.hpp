#pragma once
// Which host document is open, as the page knows it. An empty documentRef
// means no document.
#include "PK/UniString.hpp"

namespace TessaryConnect::Api {

struct DocumentState {
    PK::UniString documentRef;
    PK::UniString documentName;

    // null when documentRef is empty, else {"documentRef":…,"documentName":…}.
    PK::UniString ToJSON() const;
};

}  // namespace TessaryConnect::Api
