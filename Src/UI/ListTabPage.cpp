#include "UI/ListTabPage.hpp"

#include <string>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Manager.hpp"
#include "Model/SelectionCache.hpp"
#include "TVAPI/Resources.hpp"
#include "UD/RollDownPalette.hpp"
#include "UI/Guarded.hpp"

namespace TessaryConnect::UI {

ListTabPage::ListTabPage(UD::IRollPanel* rollPanel, const std::shared_ptr<Model::Manager>& manager, short resId,
                         short firstCountItem)
    : DG::TabPage(*rollPanel->GetTabControl(), 1, TVAPI_GetOwnResModule(), resId, TVAPI_GetOwnResModule()),
      _rollPanel(rollPanel),
      _list(*this, 1),
      _selectedLabel(*this, firstCountItem),
      _selectedCount(*this, static_cast<short>(firstCountItem + 1)),
      _editableLabel(*this, static_cast<short>(firstCountItem + 2)),
      _editableCount(*this, static_cast<short>(firstCountItem + 3)),
      _manager(manager) {
    _list.SetTabFieldCount(1);
    SpanTabField();
    _rollPanel->Disable();
    _manager->Attach(static_cast<Model::ManagerObserver&>(*this));
    DG::Panel::Attach(static_cast<DG::PanelObserver&>(*this));
    AttachToAllItems(*this);
}

ListTabPage::~ListTabPage() {
    if (_observedConnection != nullptr) _observedConnection->Detach(*this);
    _manager->Detach(static_cast<Model::ManagerObserver&>(*this));
    DetachFromAllItems(*this);
    DG::Panel::Detach(static_cast<DG::PanelObserver&>(*this));
}

// Opened again while it still follows the selected connection, the page would
// see no change of connection and stay empty and disabled: it lets go of the
// connection first, so the selected one is always taken up anew.
void ListTabPage::PanelOpened(const DG::PanelOpenEvent& /*ev*/) {
    TC_GUARDED([&] {
        if (_observedConnection != nullptr) _observedConnection->Detach(*this);
        _observedConnection.reset();
        RebuildRows(nullptr);
        _rollPanel->Disable();
        Follow(_manager->GetSelectedConnection());
    });
}

void ListTabPage::PanelResized(const DG::PanelResizeEvent& ev) {
    TC_GUARDED([&] {
        const short dx = ev.GetHorizontalChange();
        const short dy = ev.GetVerticalChange();
        if (dx == 0 && dy == 0) return;
        _list.Resize(dx, dy);
        for (DG::Item* item : {&_selectedLabel, &_selectedCount, &_editableLabel, &_editableCount}) item->Move(0, dy);
        MoveItems(dx, dy);
    });
}

void ListTabPage::ListBoxSelectionChanged(const DG::ListBoxSelectionEvent& ev) {
    TC_GUARDED([&] {
        if (ev.GetSource() == &_list) ChosenRowChanged();
    });
}

void ListTabPage::ManagerEvent_SelectionChanged(const Model::SelectionCache& selection) {
    TC_GUARDED([&] {
        _selectedCount.SetText(std::to_string(selection.GetSelectedCount()));
        _editableCount.SetText(std::to_string(selection.GetEditableCount()));
        HostSelectionChanged();
    });
}

void ListTabPage::ManagerEvent_SelectedConnectionChanged(const ConnectionPtr& connection) {
    TC_GUARDED([&] { Follow(connection); });
}

void ListTabPage::SpanTabField() {
    _list.SetTabFieldProperties(1, 0, _list.GetItemWidth(), DG::ListBox::DefaultJust, DG::ListBox::NoTruncate);
}

void ListTabPage::Follow(const ConnectionPtr& connection) {
    if (connection == _observedConnection) return;
    if (_observedConnection != nullptr) _observedConnection->Detach(*this);
    _observedConnection = connection;
    if (connection != nullptr) {
        connection->Attach(*this);
        _rollPanel->Enable();
    } else {
        _rollPanel->Disable();
    }
    RebuildRows(connection);
}

}  // namespace TessaryConnect::UI
