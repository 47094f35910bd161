#pragma once
// The host selection as the model uses it: the selected elements that can
// take part in an association (as the elements they stand for), with counts
// of those the user cannot change now, of hotlinked ones, and of selected
// items left out (gone, or of a kind the add-on does not classify). The
// manager updates it on every selection change; the page's selection state,
// the association requests and the palette read it.
#include <cstdint>
#include <functional>

#include "PK/Array.hpp"
#include "PK/Guid.hpp"

namespace TessaryConnect::Api {
class Torvel;
}

namespace TessaryConnect::Model {

class SelectionCache {
public:
    SelectionCache() = default;

    void Clear();
    // Re-reads the host selection. True when the cache held elements before,
    // or when elements are selected now; a selection that is not of elements
    // (a marquee) is read only to empty a cache that held elements. A failed
    // selection query is thrown, with the cache already emptied. Each element
    // taken in is handed to taken as it is read (which must not throw), so
    // that a caller who asks the host more of each does so in the same pass.
    bool Update(Api::Torvel& tv, const std::function<void(const PK::Guid&)>& taken = nullptr);

    // In the host's selection order.
    const PK::Array<PK::Guid>& GetElements() const { return _elements; }
    std::uint64_t GetNotEditableCount() const { return _notEditableCount; }
    std::uint64_t GetHotlinkCount() const { return _hotlinkCount; }
    std::uint64_t GetFilteredOutCount() const { return _filteredOutCount; }
    std::uint64_t GetSelectedCount() const { return _elements.GetSize() + _filteredOutCount; }
    std::uint64_t GetEditableCount() const { return _elements.GetSize() - _notEditableCount; }

private:
    PK::Array<PK::Guid> _elements;
    std::uint64_t _notEditableCount = 0;
    std::uint64_t _hotlinkCount = 0;
    std::uint64_t _filteredOutCount = 0;
};

}  // namespace TessaryConnect::Model
