#pragma once
// What is selected in the host, as one associable type. An empty type id
// means that nothing associable is selected.
#include "Tessary/Api/AssociableType.hpp"

namespace TessaryConnect::Json {
class Writer;
}

namespace TessaryConnect::Api {

class SelectionState {
public:
    SelectionState() = default;
    SelectionState(const SelectionState& other) = default;
    SelectionState(SelectionState&& other) noexcept = default;
    explicit SelectionState(AssociableType&& type) : type(std::move(type)) {}
    SelectionState& operator=(const SelectionState& other) = default;
    SelectionState& operator=(SelectionState&& other) noexcept = default;

    // {"type":{…}|null}: null when the type's id is empty.
    PK::UniString ToJSON() const;
    // Writes the same value into a writer that is already under way.
    void Write(Json::Writer& writer) const;

    AssociableType type;
};

}  // namespace TessaryConnect::Api
