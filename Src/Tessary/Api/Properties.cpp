#include "Tessary/Api/Properties.hpp"

#include <array>
#include <ostream>
#include <utility>

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

namespace {

// A value may hold the placeholder of a later entry, which the sequential fill
// then fills in turn: a few crafted values would double the text entry after
// entry. Honest texts stay far below the bound.
constexpr PK::USize maxResolvedLength = Util::maxFilledLength;

// The text's length after ReplaceAll(what, with).
PK::USize LengthAfterReplacing(const PK::UniString& text, const PK::UniString& what, const PK::UniString& with) {
    PK::USize count = 0;
    for (PK::USize at = text.FindFirst(what); at != PK::UniString::MaxIndex;
         at = text.FindFirst(what, at + what.GetLength()))
        ++count;
    return text.GetLength() - count * what.GetLength() + count * with.GetLength();
}

// {K} by the value, { :K} by a blank and the value, {K: } by the value and a
// blank, { :K: } by the value between blanks; the blanks only with a value.
std::array<Util::Fill, 4> FillsOf(const PK::UniString& key, const PK::UniString& value) {
    const PK::UniString blank(" ");
    const bool empty = value.IsEmpty();
    return {{
        {"{" + key + "}", value},
        {"{ :" + key + "}", empty ? PK::UniString() : blank + value},
        {"{" + key + ": }", empty ? PK::UniString() : value + blank},
        {"{ :" + key + ": }", empty ? PK::UniString() : blank + value + blank},
    }};
}

}  // namespace

Util::Fills Properties::Placeholders() const {
    Util::Fills fills;
    for (const auto& [key, value] : *this)
        for (Util::Fill& fill : FillsOf(key, value)) fills.push_back(std::move(fill));
    return fills;
}

PK::UniString Properties::ResolveVariables(PK::UniString text) const {
    for (const auto& [key, value] : *this) {
        for (const auto& [placeholder, with] : FillsOf(key, value)) {
            const PK::USize after = LengthAfterReplacing(text, placeholder, with);
            if (after > maxResolvedLength && after > text.GetLength()) {
                LOG_WARN("Properties::ResolveVariables: filling key({}) would make the text {} characters long; "
                         "the placeholders left stay unfilled",
                         key, after);
                return text;
            }
            text.ReplaceAll(placeholder, with);
        }
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
