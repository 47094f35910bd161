#include "Tessary/Api/SelectionState.hpp"

#include "Util/JsonWriter.hpp"

namespace TessaryConnect::Api {

PK::UniString SelectionState::ToJSON() const { return Json::ToText(*this); }

void SelectionState::Write(Json::Writer& writer) const {
    writer.StartObject();
    writer.Key("type");
    if (type.id.IsEmpty())
        writer.Null();
    else
        type.Write(writer);
    writer.EndObject();
}

}  // namespace TessaryConnect::Api
