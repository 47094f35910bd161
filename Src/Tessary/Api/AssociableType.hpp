#pragma once
// One thing the page can associate clauses with: a virtual type of a
// connection, an element type with unassociated elements, or a summary of the
// selection. It may own a named group of further associable types; copies are
// deep, so a copy never shares its group with the source.
#include <memory>

#include "PK/Array.hpp"
#include "PK/UniString.hpp"
#include "Tessary/Api/Properties.hpp"

namespace TessaryConnect::Json {
class Writer;
}

namespace TessaryConnect::Api {

class AssociableTypeGroup;

class AssociableType {
public:
    AssociableType();
    AssociableType(const PK::UniString& id, const PK::UniString& title, const PK::UniString& subtitle,
                   const PK::UniString& category, const Properties& properties,
                   std::unique_ptr<AssociableTypeGroup> subGroup);
    AssociableType(const AssociableType& other);
    AssociableType(AssociableType&& other) noexcept;
    AssociableType& operator=(const AssociableType& other);
    AssociableType& operator=(AssociableType&& other) noexcept;
    ~AssociableType();

    // {"id":…,"title":…,"subtitle":…,"category":…,"properties":{…}|null,"subGroup":{…}|null};
    // never null, even with an empty id.
    PK::UniString ToJSON() const;
    // Writes the same value into a writer that is already under way.
    void Write(Json::Writer& writer) const;
    // [<type>,<type>,…] in array order, each type as its ToJSON object; [] for none.
    static PK::UniString ArrayToJSON(const PK::Array<AssociableType>& types);

    PK::UniString id;
    PK::UniString title;
    PK::UniString subtitle;
    PK::UniString category;
    Properties properties;
    std::unique_ptr<AssociableTypeGroup> subGroup;  // may be null
};

}  // namespace TessaryConnect::Api
