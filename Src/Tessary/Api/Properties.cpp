#include "Tessary/Api/Properties.hpp"

#include <ostream>

#include "Util/JsonWriter.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Api {

const PK::UniString Properties::Name::ProjectId("OrvoTessaryProjectId");
const PK::UniString Properties::Name::SpecificationId("OrvoTessarySpecificationId");
const PK::UniString Properties::Name::ClauseId("OrvoTessaryClauseId");
const PK::UniString Properties::Name::Code("OrvoTessaryCode");
const PK::UniString Properties::Name::Title("OrvoTessaryTitle");
const PK::UniString Properties::Name::Prefix("OrvoTessaryPrefix");
const PK::UniString Properties::Name::Suffix("OrvoTessarySuffix");
// Defined after the keys in this file, so they exist when it is built.
const PK::Array<PK::UniString> Properties::Name::AllVisible{Name::ClauseId, Name::Code, Name::Title, Name::Prefix,
                                                            Name::Suffix};

namespace {
const PK::UniString& EmptyText() {
    static const PK::UniString empty;
    return empty;
}
}  // namespace

#define TC_PROPERTY_GETTER(Key)                                                \
    const PK::UniString& Properties::Key() const {                             \
        if (!TC_ASSERT(err, this->ContainsKey(Name::Key))) return EmptyText(); \
        return Get(Name::Key);                                                 \
    }

TC_PROPERTY_GETTER(ProjectId)
TC_PROPERTY_GETTER(SpecificationId)
TC_PROPERTY_GETTER(ClauseId)
TC_PROPERTY_GETTER(Code)
TC_PROPERTY_GETTER(Title)
TC_PROPERTY_GETTER(Prefix)
TC_PROPERTY_GETTER(Suffix)

#undef TC_PROPERTY_GETTER

PK::UniString Properties::ResolveVariables(PK::UniString text) const {
    const PK::UniString blank(" ");
    for (const auto& [key, value] : *this) {
        const bool empty = value.IsEmpty();
        text.ReplaceAll("{" + key + "}", value);
        text.ReplaceAll("{ :" + key + "}", empty ? PK::UniString() : blank + value);
        text.ReplaceAll("{" + key + ": }", empty ? PK::UniString() : value + blank);
        text.ReplaceAll("{ :" + key + ": }", empty ? PK::UniString() : blank + value + blank);
    }
    return text;
}

PK::UniString Properties::ToJSON() const { return Json::ToText(*this); }

void Properties::Write(Json::Writer& writer) const {
    writer.StartObject();
    for (const auto& [key, value] : *this) {
        writer.Key(key);
        writer.String(value);
    }
    writer.EndObject();
}

std::ostream& operator<<(std::ostream& os, const Properties& properties) { return os << properties.ToJSON().ToCStr(); }

}  // namespace TessaryConnect::Api
