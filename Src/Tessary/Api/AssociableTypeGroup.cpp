#include "Tessary/Api/AssociableTypeGroup.hpp"

#include "Util/JsonWriter.hpp"

namespace TessaryConnect::Api {

PK::UniString AssociableTypeGroup::ToJSON() const { return Json::ToText(*this); }

void AssociableTypeGroup::Write(Json::Writer& writer) const {
    writer.StartObject();
    writer.Key("name");
    writer.String(name);
    writer.Key("items");
    writer.StartArray();
    // The page reads each item as a string that holds the item's JSON text.
    Json::Writer itemWriter = writer.NestedWriter();
    for (const AssociableType& item : items) writer.DocumentString(itemWriter, [&] { item.Write(itemWriter); });
    writer.EndArray();
    writer.EndObject();
}

}  // namespace TessaryConnect::Api
