#include "Tessary/Api/DocumentState.hpp"

#include "Util/JsonWriter.hpp"

namespace TessaryConnect::Api {

PK::UniString DocumentState::ToJSON() const { return Json::ToText(*this); }

void DocumentState::Write(Json::Writer& writer) const {
    if (documentRef.IsEmpty()) {
        writer.Null();
        return;
    }
    writer.StartObject();
    writer.Key("documentRef");
    writer.String(documentRef);
    writer.Key("documentName");
    writer.String(documentName);
    writer.EndObject();
}

}  // namespace TessaryConnect::Api
