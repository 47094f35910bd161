#pragma once
// A clause's property values keyed by property name, as the page sends them.
// The model writes them into element properties, fills text templates with
// them (ResolveVariables) and sends them back to the page as JSON.
#include <iosfwd>

#include "PK/Array.hpp"
#include "PK/HashTable.hpp"
#include "PK/UniString.hpp"
#include "Util/Formatters.hpp"
#include "Util/Placeholders.hpp"

namespace TessaryConnect::Json {
class Writer;
}

namespace TessaryConnect::Api {

class Properties : public PK::HashTable<PK::UniString, PK::UniString> {
public:
    // The fixed keys.
    struct Name {
        static const PK::UniString ProjectId;
        static const PK::UniString SpecificationId;
        static const PK::UniString ClauseId;
        static const PK::UniString Code;
        static const PK::UniString Title;
        static const PK::UniString Prefix;
        static const PK::UniString Suffix;
        // The keys written into element properties, in this order.
        static const PK::Array<PK::UniString> AllVisible;
    };

    // Each getter logs a failed assertion and answers the empty text when its key is missing.
    const PK::UniString& ProjectId() const;
    const PK::UniString& SpecificationId() const;
    const PK::UniString& ClauseId() const;
    const PK::UniString& Code() const;
    const PK::UniString& Title() const;
    const PK::UniString& Prefix() const;
    const PK::UniString& Suffix() const;

    // Fills every placeholder of every entry: {K} by the value, { :K} by a
    // blank and the value, {K: } by the value and a blank, { :K: } by the
    // value between blanks; the blanks only when the value is not empty.
    // Entries are filled one after the other, so a value holding a later
    // key's placeholder is filled too; a fill that would take the text past
    // 65536 characters is logged and ends the filling there.
    PK::UniString ResolveVariables(PK::UniString text) const;
    // The same placeholders with their values, entry by entry, for a text
    // filled in one pass together with other placeholders.
    Util::Fills Placeholders() const;

    // {"key":"value",...} in storage order.
    PK::UniString ToJSON() const;
    // Writes the same value into a writer that is already under way.
    void Write(Json::Writer& writer) const;

    // Same JSON text: same entries in the same order.
    friend bool operator==(const Properties& a, const Properties& b) { return a.ToJSON() == b.ToJSON(); }
};

std::ostream& operator<<(std::ostream& os, const Properties& properties);

}  // namespace TessaryConnect::Api

TC_OSTREAM_FORMATTER(TessaryConnect::Api::Properties);
