#include "Model/SelectionCache.hpp"

#include "Model/Element.hpp"
#include "Torvel/Api/RecordPrinters.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::Model {

void SelectionCache::Clear() {
    _elements.Clear();
    _notEditableCount = 0;
    _hotlinkCount = 0;
    _filteredOutCount = 0;
}

bool SelectionCache::Update(Api::Torvel& tv, const std::function<void(const PK::Guid&)>& taken) {
    const bool heldElements = !_elements.IsEmpty();
    Clear();

    const Api::SelectionResult selection = tv.Selection_Get(false, false, API_NoRelativePos);
    if (selection.selectionInfo.typeID != API_SelElems && !heldElements) return false;
    if (selection.neigs.IsEmpty() && !heldElements) return false;

    _elements.Reserve(selection.neigs.GetSize());
    for (const API_Neig& neig : selection.neigs) {
        try {
            const Element element(tv, neig.guid);
            const Element::Usability usability = element.GetUsability(tv);
            if (usability == Element::Usability::NotExists || usability == Element::Usability::NotClassifyableByAddon) {
                ++_filteredOutCount;
                continue;
            }
            // Counted only once the element is in, so the counts never exceed the elements.
            _elements.Push(element.GetTrueGuid());
            if (usability != Element::Usability::Editable) ++_notEditableCount;
            if (usability == Element::Usability::NotClassifyableHotlink) ++_hotlinkCount;
            if (taken) taken(_elements.GetLast());
        } catch (...) {
            TC_LOG_CAUGHT(err, "; neigs[i]: {}", neig);
            ++_filteredOutCount;
        }
    }
    return true;
}

}  // namespace TessaryConnect::Model
