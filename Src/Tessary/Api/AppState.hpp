#pragma once
// Which host and which add-on the page talks to, and what the add-on can do.
// The model fills it; the page bridge sends its JSON to the page.
#include "PK/Array.hpp"
#include "PK/UniString.hpp"

namespace TessaryConnect::Json {
class Writer;
}

namespace TessaryConnect::Api {

struct AppState {
    PK::UniString app;
    PK::UniString appVersion;
    PK::UniString pluginVersion;
    PK::Array<PK::UniString> supportedFeatures;

    // {"app":…,"appVersion":…,"pluginVersion":…,"supportedFeatures":[…]}; never null.
    PK::UniString ToJSON() const;
    // Writes the same value into a writer that is already under way.
    void Write(Json::Writer& writer) const;
};

}  // namespace TessaryConnect::Api
