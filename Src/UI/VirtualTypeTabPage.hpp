#pragma once
// The palette's second roll panel: the virtual types of the manager's
// selected connection, one row each in the connection's order, with buttons
// that select (and zoom to) a row's elements in the host, associate the host
// selection with the row's virtual type or disassociate it, and the counts of
// the host selection.
//
// The page follows the manager's selected connection and rebuilds its rows
// whenever that connection reports a change of its virtual types; it never
// refreshes itself after its own commands.
#include <memory>

#include "PK/Array.hpp"
#include "PK/UniString.hpp"
#include "UI/ListTabPage.hpp"

namespace TessaryConnect::UI {

class VirtualTypeTabPage : public ListTabPage {
public:
    static constexpr short ResId = 32602;

    VirtualTypeTabPage(UD::IRollPanel* rollPanel, const std::shared_ptr<Model::Manager>& manager);

    void ButtonClicked(const DG::ButtonClickEvent& ev) override;
    // Also the page's own rebuild of the rows; a null connection empties them.
    void ConnEvent_VirtualTypeListChanged(const std::shared_ptr<Model::ConnectionWithSpecification>& conn) override;

    void SelectVirtualType(const PK::UniString& virtualTypeId);
    void RefreshButtons();

private:
    void RebuildRows(const ConnectionPtr& conn) override;
    void MoveItems(short dx, short dy) override;
    void ChosenRowChanged() override { RefreshButtons(); }
    void HostSelectionChanged() override { RefreshButtons(); }
    // Replaces the host selection by the chosen row's elements; false when
    // there is no row, no connection or no such virtual type.
    bool SelectElementsOfSelectedRow();
    void AssociateSelection();
    void DisassociateSelection();

    // The virtual-type id of each row: entry i is row i + 1.
    PK::Array<PK::UniString> _virtualTypeIds;
    DG::IconButton _selectButton;
    DG::IconButton _selectAndZoomButton;
    DG::Button _associateButton;
    DG::Button _disassociateButton;
};

}  // namespace TessaryConnect::UI
