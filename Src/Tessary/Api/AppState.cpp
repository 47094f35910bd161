#include "Tessary/Api/AppState.hpp"

#include "Util/JsonWriter.hpp"

namespace TessaryConnect::Api {

PK::UniString AppState::ToJSON() const { return Json::ToText(*this); }

void AppState::Write(Json::Writer& writer) const {
    writer.StartObject();
    writer.Key("app");
    writer.String(app);
    writer.Key("appVersion");
    writer.String(appVersion);
    writer.Key("pluginVersion");
    writer.String(pluginVersion);
    writer.Key("supportedFeatures");
    writer.StartArray();
    for (const PK::UniString& feature : supportedFeatures) writer.String(feature);
    writer.EndArray();
    writer.EndObject();
}

}  // namespace TessaryConnect::Api
