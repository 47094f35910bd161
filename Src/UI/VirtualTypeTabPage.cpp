#include "UI/VirtualTypeTabPage.hpp"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Element.hpp"
#include "Model/Manager.hpp"
#include "Model/SelectionCache.hpp"
#include "Model/VirtualType.hpp"
#include "TVAPI/Resources.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "UD/RollDownPalette.hpp"
#include "UI/Guarded.hpp"
#include "Util/Resource.hpp"

namespace TessaryConnect::UI {

using PK::USize;
using Util::Resource::Of;
using Util::Resource::PaletteText;

VirtualTypeTabPage::VirtualTypeTabPage(UD::IRollPanel* rollPanel, const std::shared_ptr<Model::Manager>& manager)
    : DG::TabPage(*rollPanel->GetTabControl(), 1, TVAPI_GetOwnResModule(), ResId, TVAPI_GetOwnResModule()),
      _rollPanel(rollPanel),
      _listBox(*this, 1),
      _selectButton(*this, 2),
      _selectAndZoomButton(*this, 3),
      _selectedLabel(*this, 4),
      _selectedCount(*this, 5),
      _editableLabel(*this, 6),
      _editableCount(*this, 7),
      _associateButton(*this, 8),
      _disassociateButton(*this, 9),
      _manager(manager) {
    _rollPanel->SetTitle(_manager->TV().GetResource(Of(PaletteText::VirtualTypePanelTitle)));
    _listBox.SetTabFieldCount(1);
    _listBox.SetTabFieldProperties(1, 0, _listBox.GetItemWidth(), DG::ListBox::DefaultJust, DG::ListBox::NoTruncate);
    _rollPanel->Disable();
    _manager->Attach(static_cast<Model::ManagerObserver&>(*this));
    DG::Panel::Attach(static_cast<DG::PanelObserver&>(*this));
    AttachToAllItems(*this);
}

VirtualTypeTabPage::~VirtualTypeTabPage() {
    DetachFromAllItems(*this);
    DG::Panel::Detach(static_cast<DG::PanelObserver&>(*this));
}

// Opened again while it still observes the selected connection, the page
// would see no change of connection and stay empty and disabled: it lets go
// of the connection first, so the selected one is always taken up anew.
void VirtualTypeTabPage::PanelOpened(const DG::PanelOpenEvent& /*ev*/) {
    TC_GUARDED([&] {
        if (_observedConnection != nullptr) {
            _observedConnection->Detach(*this);
            _observedConnection.reset();
        }
        Rebuild(nullptr);
        _rollPanel->Disable();
        Follow(_manager->GetSelectedConnection());
    });
}

void VirtualTypeTabPage::PanelResized(const DG::PanelResizeEvent& ev) {
    TC_GUARDED([&] {
        const short dx = ev.GetHorizontalChange();
        const short dy = ev.GetVerticalChange();
        if (dx == 0 && dy == 0) return;
        _listBox.Resize(dx, dy);
        for (DG::Item* item : std::initializer_list<DG::Item*>{&_selectButton, &_selectAndZoomButton, &_selectedLabel,
                                                               &_selectedCount, &_editableLabel, &_editableCount})
            item->Move(0, dy);
        _associateButton.Move(0, dy);
        _associateButton.Resize(dx, 0);
        _disassociateButton.Move(dx, dy);
    });
}

void VirtualTypeTabPage::ButtonClicked(const DG::ButtonClickEvent& ev) {
    TC_GUARDED([&] {
        if (ev.GetSource() == &_selectButton) {
            SelectElementsOfSelectedRow();
        } else if (ev.GetSource() == &_selectAndZoomButton) {
            if (SelectElementsOfSelectedRow()) _manager->TV().Do_ZoomToSelected();
        } else if (ev.GetSource() == &_associateButton) {
            AssociateSelection();
        } else if (ev.GetSource() == &_disassociateButton) {
            DisassociateSelection();
        } else {
            LOG_ERROR("unknown button");
        }
    });
}

void VirtualTypeTabPage::ListBoxSelectionChanged(const DG::ListBoxSelectionEvent& ev) {
    TC_GUARDED([&] {
        if (ev.GetSource() == &_listBox) RefreshButtons();
    });
}

void VirtualTypeTabPage::ConnEvent_VirtualTypeListChanged(
    const std::shared_ptr<Model::ConnectionWithSpecification>& conn) {
    TC_GUARDED([&] { Rebuild(conn); });
}

void VirtualTypeTabPage::ManagerEvent_SelectionChanged(const Model::SelectionCache& selection) {
    TC_GUARDED([&] {
        _selectedCount.SetText(std::to_string(selection.GetSelectedCount()));
        _editableCount.SetText(std::to_string(selection.GetEditableCount()));
        RefreshButtons();
    });
}

void VirtualTypeTabPage::ManagerEvent_SelectedConnectionChanged(
    const std::shared_ptr<Model::ConnectionWithSpecification>& conn) {
    TC_GUARDED([&] { Follow(conn); });
}

void VirtualTypeTabPage::SelectVirtualType(const PK::UniString& virtualTypeId) {
    for (USize i = 0; i < _virtualTypeIds.GetSize(); ++i) {
        if (_virtualTypeIds[i] != virtualTypeId) continue;
        if (static_cast<short>(i) >= _listBox.GetItemCount()) return;
        _listBox.SelectItem(static_cast<short>(i + 1));
        RefreshButtons();
        return;
    }
}

void VirtualTypeTabPage::RefreshButtons() {
    _selectButton.Disable();
    _selectAndZoomButton.Disable();
    _associateButton.Disable();
    _disassociateButton.Disable();
    const short sel = _listBox.GetSelectedItem();
    if (sel == 0) return;
    TC_GUARDED([&] {
        if (!TC_ASSERT(err, static_cast<USize>(sel) <= this->_virtualTypeIds.GetSize())) return;
        _selectButton.Enable();
        _selectAndZoomButton.Enable();
        // Elements the user may not edit still count: the commands report them.
        if (!_manager->GetSelection().GetElements().IsEmpty()) {
            _associateButton.Enable();
            _disassociateButton.Enable();
        }
    });
}

void VirtualTypeTabPage::Rebuild(const std::shared_ptr<Model::ConnectionWithSpecification>& conn) {
    const short scroll = _listBox.GetScrollPosition();
    _listBox.DeleteItem(DG::ListBox::AllItems);
    _virtualTypeIds.Clear();
    if (conn == nullptr) return;
    const PK::UniString rowTemplate = _manager->TV().GetResource(Of(PaletteText::VirtualTypeRow));
    conn->EnumerateVirtualTypes([&](const Model::VirtualType& virtualType) {
        _listBox.AppendItem();
        _listBox.SetTabItemText(DG::ListBox::BottomItem, 1, virtualType.ResolveTessaryProperties(rowTemplate));
        _virtualTypeIds.Push(virtualType.Id());
    });
    _listBox.SetScrollPosition(std::min(scroll, _listBox.GetItemCount()));
    RefreshButtons();
}

void VirtualTypeTabPage::Follow(const std::shared_ptr<Model::ConnectionWithSpecification>& conn) {
    if (conn == _observedConnection) return;
    if (_observedConnection != nullptr) _observedConnection->Detach(*this);
    _observedConnection = conn;
    if (conn != nullptr) {
        conn->Attach(*this);
        _rollPanel->Enable();
    } else {
        _rollPanel->Disable();
    }
    ConnEvent_VirtualTypeListChanged(conn);
}

bool VirtualTypeTabPage::SelectElementsOfSelectedRow() {
    const short sel = _listBox.GetSelectedItem();
    if (sel == 0 || static_cast<USize>(sel) > _virtualTypeIds.GetSize()) return false;
    const auto conn = _manager->GetSelectedConnection();
    if (conn == nullptr) return false;
    const PK::UniString& id = _virtualTypeIds[static_cast<USize>(sel - 1)];
    if (!conn->HasVirtualType(id)) return false;
    Model::Element::Select(_manager->TV(), conn->GetVirtualType(id).GetAssociatedElements());
    return true;
}

void VirtualTypeTabPage::AssociateSelection() {
    const short selected = _listBox.GetSelectedItem();
    if (selected == 0) return;
    if (!TC_ASSERT(err, static_cast<USize>(selected) <= _virtualTypeIds.GetSize())) return;
    const auto conn = _manager->GetSelectedConnection();
    if (conn == nullptr) return;
    const PK::UniString id = _virtualTypeIds[static_cast<USize>(selected - 1)];
    if (!conn->HasVirtualType(id)) return;
    const PK::Array<PK::Guid> elements = _manager->GetSelection().GetElements();
    // The virtual type exists, so the model takes no property values from here.
    conn->Cmd_AssociateElementsToVirtualType(id, Api::Properties(), elements, false);
}

void VirtualTypeTabPage::DisassociateSelection() {
    const short selected = _listBox.GetSelectedItem();
    if (selected == 0) return;
    if (!TC_ASSERT(err, static_cast<USize>(selected) <= _virtualTypeIds.GetSize())) return;
    const auto conn = _manager->GetSelectedConnection();
    if (conn == nullptr) return;
    const PK::UniString id = _virtualTypeIds[static_cast<USize>(selected - 1)];
    if (!conn->HasVirtualType(id)) {
        TC_ASSERT_FAILED(err, "conn->HasVirtualType( _virtualTypeIds[selected - 1])");
        return;
    }
    const PK::Array<PK::Guid> elements = _manager->GetSelection().GetElements();
    conn->Cmd_DisassociateElementsFromVirtualType(id, elements);
}

}  // namespace TessaryConnect::UI
