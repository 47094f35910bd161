#pragma once
// A named list of associable types, owned by the associable type it hangs from.
#include "PK/Array.hpp"
#include "PK/UniString.hpp"
#include "Tessary/Api/AssociableType.hpp"

namespace TessaryConnect::Json {
class Writer;
}

namespace TessaryConnect::Api {

class AssociableTypeGroup {
public:
    // {"name":…,"items":["<item JSON as a string>",…]}: each item is a JSON
    // string holding the item's JSON text, not a nested object.
    PK::UniString ToJSON() const;
    // Writes the same value into a writer that is already under way.
    void Write(Json::Writer& writer) const;

    PK::UniString name;
    PK::Array<AssociableType> items;
};

}  // namespace TessaryConnect::Api
