#pragma once
// Which host document is open, as the page knows it. An empty documentRef
// means no document.
#include "PK/UniString.hpp"

namespace TessaryConnect::Json {
class Writer;
}

namespace TessaryConnect::Api {

struct DocumentState {
    PK::UniString documentRef;
    PK::UniString documentName;

    // null when documentRef is empty, else {"documentRef":…,"documentName":…}.
    PK::UniString ToJSON() const;
    // Writes the same value into a writer that is already under way.
    void Write(Json::Writer& writer) const;
};

}  // namespace TessaryConnect::Api
