#include "UI/UnassociatedElementsTabPage.hpp"

#include <algorithm>
#include <string>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Manager.hpp"
#include "Model/SelectionCache.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "UD/RollDownPalette.hpp"
#include "UI/Guarded.hpp"
#include "Util/Resource.hpp"

namespace TessaryConnect::UI {

using Util::Resource::Of;
using Util::Resource::PaletteText;

UnassociatedElementsTabPage::UnassociatedElementsTabPage(UD::IRollPanel* rollPanel,
                                                         const std::shared_ptr<Model::Manager>& manager)
    : ListTabPage(rollPanel, manager, ResId, 5),
      _selectButton(*this, 2),
      _selectAndZoomButton(*this, 3),
      _refreshButton(*this, 4),
      _rowTemplate(_manager->TV().GetResource(Of(PaletteText::UnassociatedRow))) {
    _rollPanel->SetTitle(_manager->TV().GetResource(Of(PaletteText::UnassociatedPanelTitle)));
}

void UnassociatedElementsTabPage::MoveItems(short /*dx*/, short dy) {
    for (DG::IconButton* button : {&_selectButton, &_selectAndZoomButton, &_refreshButton}) button->Move(0, dy);
}

void UnassociatedElementsTabPage::ButtonClicked(const DG::ButtonClickEvent& ev) {
    TC_GUARDED([&] {
        if (ev.GetSource() == &_selectButton) {
            SelectElementsOfChosenType();
        } else if (ev.GetSource() == &_selectAndZoomButton) {
            if (SelectElementsOfChosenType()) _manager->TV().Do_ZoomToSelected();
        } else if (ev.GetSource() == &_refreshButton) {
            RefreshUnassociatedElements(_observedConnection);
        }
    });
}

void UnassociatedElementsTabPage::ChosenRowChanged() {
    _selectButton.Disable();
    _selectAndZoomButton.Disable();
    const short sel = _list.GetSelectedItem();
    if (sel <= 0) return;
    using PK::USize;
    if (!TC_ASSERT(err, static_cast<USize>(sel) <= this->_unassociatedTypes.GetSize())) return;
    _selectButton.Enable();
    _selectAndZoomButton.Enable();
}

// A failure in the middle of a report leaves some rows changed and the rest
// stale; the rows are then made anew from the cache so that they match it.
void UnassociatedElementsTabPage::ConnEvent_UnassociatedElementTypeChanged(
    const std::shared_ptr<Model::ConnectionWithSpecification>& conn, const PK::HashSet<Model::Element::Type>& types) {
    bool failed = true;
    TC_GUARDED([&] {
        UpdateRows(*conn, types);
        failed = false;
    });
    if (failed) TC_GUARDED([&] { RebuildRowsFromCache(*conn); });
}

PK::UniString UnassociatedElementsTabPage::ResolveItemTemplate(Model::Element::Type type, PK::UInt32 count) const {
    PK::UniString text = _rowTemplate;
    text.ReplaceAll("{TypeName}", type.GetName(_manager->TV()));
    text.ReplaceAll("{ElemCount}", PK::UniString(std::to_string(count)));
    return text;
}

void UnassociatedElementsTabPage::RefreshUnassociatedElements(
    const std::shared_ptr<Model::ConnectionWithSpecification>& conn) {
    _selectButton.Disable();
    _selectAndZoomButton.Disable();
    const short scroll = _list.GetScrollPosition();
    _list.DeleteItem(DG::ListBox::AllItems);
    _unassociatedTypes.Clear();
    if (conn == nullptr) return;
    TC_GUARDED([&] {
        conn->UnassociatedElementsCache().Reset(true);
        _list.SetScrollPosition(std::min(scroll, _list.GetItemCount()));
    });
}

void UnassociatedElementsTabPage::UpdateRows(const Model::ConnectionWithSpecification& conn,
                                             const PK::HashSet<Model::Element::Type>& types) {
    auto& tv = _manager->TV();
    const auto& cache = conn.UnassociatedElementsCache();
    for (const Model::Element::Type& type : types) {
        const PK::USize idx = _unassociatedTypes.FindFirst(type);
        const PK::UInt32 count = cache.GetElemCountByType(type);
        if (idx != PK::Array<Model::Element::Type>::MaxIndex) {
            const auto row = static_cast<short>(idx + 1);
            if (count > 0) {
                _list.SetTabItemText(row, 1, ResolveItemTemplate(type, count));
            } else {
                _unassociatedTypes.Delete(idx);
                _list.DeleteItem(row);
            }
            continue;
        }
        if (count == 0) continue;
        const PK::UniString name = type.GetName(tv);
        PK::USize pos = 0;
        while (pos < _unassociatedTypes.GetSize() && !(name < _unassociatedTypes[pos].GetName(tv))) ++pos;
        short row = DG::ListBox::BottomItem;
        if (pos == _unassociatedTypes.GetSize()) {
            _unassociatedTypes.Push(type);
            _list.AppendItem();
        } else {
            _unassociatedTypes.Insert(pos, type);
            row = static_cast<short>(pos + 1);
            _list.InsertItem(row);
        }
        _list.SetTabItemText(row, 1, ResolveItemTemplate(type, count));
    }
}

void UnassociatedElementsTabPage::RebuildRowsFromCache(const Model::ConnectionWithSpecification& conn) {
    _selectButton.Disable();
    _selectAndZoomButton.Disable();
    _list.DeleteItem(DG::ListBox::AllItems);
    _unassociatedTypes.Clear();
    PK::HashSet<Model::Element::Type> held;
    conn.UnassociatedElementsCache().GetTypes().EnumerateKeys([&](const Model::Element::Type& type) { held.Add(type); });
    UpdateRows(conn, held);
}

bool UnassociatedElementsTabPage::SelectElementsOfChosenType() {
    const short sel = _list.GetSelectedItem();
    if (sel <= 0 || static_cast<PK::USize>(sel) > _unassociatedTypes.GetSize()) return false;
    if (_observedConnection == nullptr) return false;
    const auto elements = _observedConnection->UnassociatedElementsCache().GetElemsByType(
        _unassociatedTypes[static_cast<PK::USize>(sel - 1)]);
    Model::Element::Select(_manager->TV(), elements);
    return true;
}

}  // namespace TessaryConnect::UI
