#include "Tessary/Api/AssociableType.hpp"

#include <utility>

#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "Util/JsonWriter.hpp"

namespace TessaryConnect::Api {

namespace {
// Groups nest to any depth; each level copies its own items.
std::unique_ptr<AssociableTypeGroup> DeepCopy(const std::unique_ptr<AssociableTypeGroup>& group) {
    if (!group) return nullptr;
    return std::make_unique<AssociableTypeGroup>(*group);
}
}  // namespace

AssociableType::AssociableType() = default;

AssociableType::AssociableType(const PK::UniString& id, const PK::UniString& title, const PK::UniString& subtitle,
                               const PK::UniString& category, const Properties& properties,
                               std::unique_ptr<AssociableTypeGroup> subGroup)
    : id(id),
      title(title),
      subtitle(subtitle),
      category(category),
      properties(properties),
      subGroup(std::move(subGroup)) {}

AssociableType::AssociableType(const AssociableType& other)
    : id(other.id),
      title(other.title),
      subtitle(other.subtitle),
      category(other.category),
      properties(other.properties),
      subGroup(DeepCopy(other.subGroup)) {}

AssociableType::AssociableType(AssociableType&& other) noexcept = default;

AssociableType& AssociableType::operator=(const AssociableType& other) {
    if (this != &other) {
        AssociableType copy(other);
        *this = std::move(copy);
    }
    return *this;
}

AssociableType& AssociableType::operator=(AssociableType&& other) noexcept = default;

AssociableType::~AssociableType() = default;

PK::UniString AssociableType::ToJSON() const { return Json::ToText(*this); }

// The nested documents are written in place: the text is the same as if
// each had been written on its own and copied in.
void AssociableType::Write(Json::Writer& writer) const {
    writer.StartObject();
    writer.Key("id");
    writer.String(id);
    writer.Key("title");
    writer.String(title);
    writer.Key("subtitle");
    writer.String(subtitle);
    writer.Key("category");
    writer.String(category);
    writer.Key("properties");
    if (properties.IsEmpty())
        writer.Null();
    else
        properties.Write(writer);
    writer.Key("subGroup");
    if (subGroup)
        subGroup->Write(writer);
    else
        writer.Null();
    writer.EndObject();
}

PK::UniString AssociableType::ArrayToJSON(const PK::Array<AssociableType>& types) {
    Json::Writer writer;
    writer.StartArray();
    for (const AssociableType& type : types) type.Write(writer);
    writer.EndArray();
    return writer.GetText();
}

}  // namespace TessaryConnect::Api
