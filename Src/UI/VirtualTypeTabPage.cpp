#include "UI/VirtualTypeTabPage.hpp"

#include <algorithm>
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
    : ListTabPage(rollPanel, manager, ResId, 4),
      _selectButton(*this, 2),
      _selectAndZoomButton(*this, 3),
      _associateButton(*this, 8),
      _disassociateButton(*this, 9) {
    _rollPanel->SetTitle(_manager->TV().GetResource(Of(PaletteText::VirtualTypePanelTitle)));
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

void VirtualTypeTabPage::ConnEvent_VirtualTypeListChanged(
    const std::shared_ptr<Model::ConnectionWithSpecification>& conn) {
    TC_GUARDED([&] { RebuildRows(conn); });
}

void VirtualTypeTabPage::MoveItems(short dx, short dy) {
    _selectButton.Move(0, dy);
    _selectAndZoomButton.Move(0, dy);
    _associateButton.Move(0, dy);
    _associateButton.Resize(dx, 0);
    _disassociateButton.Move(dx, dy);
}

void VirtualTypeTabPage::SelectVirtualType(const PK::UniString& virtualTypeId) {
    for (USize i = 0; i < _virtualTypeIds.GetSize(); ++i) {
        if (_virtualTypeIds[i] != virtualTypeId) continue;
        if (static_cast<short>(i) >= _list.GetItemCount()) return;
        _list.SelectItem(static_cast<short>(i + 1));
        RefreshButtons();
        return;
    }
}

void VirtualTypeTabPage::RefreshButtons() {
    _selectButton.Disable();
    _selectAndZoomButton.Disable();
    _associateButton.Disable();
    _disassociateButton.Disable();
    const short sel = _list.GetSelectedItem();
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

void VirtualTypeTabPage::RebuildRows(const ConnectionPtr& conn) {
    const short scroll = _list.GetScrollPosition();
    _list.DeleteItem(DG::ListBox::AllItems);
    _virtualTypeIds.Clear();
    if (conn == nullptr) return;
    const PK::UniString rowTemplate = _manager->TV().GetResource(Of(PaletteText::VirtualTypeRow));
    conn->EnumerateVirtualTypes([&](const Model::VirtualType& virtualType) {
        _list.AppendItem();
        _list.SetTabItemText(DG::ListBox::BottomItem, 1, virtualType.ResolveTessaryProperties(rowTemplate));
        _virtualTypeIds.Push(virtualType.Id());
    });
    _list.SetScrollPosition(std::min(scroll, _list.GetItemCount()));
    RefreshButtons();
}

bool VirtualTypeTabPage::SelectElementsOfSelectedRow() {
    const short sel = _list.GetSelectedItem();
    if (sel == 0 || static_cast<USize>(sel) > _virtualTypeIds.GetSize()) return false;
    const auto conn = _manager->GetSelectedConnection();
    if (conn == nullptr) return false;
    const PK::UniString& id = _virtualTypeIds[static_cast<USize>(sel - 1)];
    if (!conn->HasVirtualType(id)) return false;
    Model::Element::Select(_manager->TV(), conn->GetVirtualType(id).GetAssociatedElements());
    return true;
}

void VirtualTypeTabPage::AssociateSelection() {
    const short selected = _list.GetSelectedItem();
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
    const short selected = _list.GetSelectedItem();
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
