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

#include "DG/Items.hpp"
#include "DG/Panel.hpp"
#include "Model/ConnectionWithSpecificationObserver.hpp"
#include "Model/ManagerObserver.hpp"
#include "PK/Array.hpp"
#include "PK/UniString.hpp"

namespace UD {
class IRollPanel;
}

namespace TessaryConnect::Model {
class Manager;
}

namespace TessaryConnect::UI {

class VirtualTypeTabPage : public DG::TabPage,
                           public Model::ManagerObserver,
                           public Model::ConnectionWithSpecificationObserver,
                           public DG::PanelObserver,
                           public DG::CompoundItemObserver,
                           public DG::ButtonItemObserver,
                           public DG::ListBoxObserver {
public:
    static constexpr short ResId = 32602;

    VirtualTypeTabPage(UD::IRollPanel* rollPanel, const std::shared_ptr<Model::Manager>& manager);
    ~VirtualTypeTabPage() override;

    void PanelOpened(const DG::PanelOpenEvent& ev) override;
    void PanelResized(const DG::PanelResizeEvent& ev) override;
    void ButtonClicked(const DG::ButtonClickEvent& ev) override;
    void ListBoxSelectionChanged(const DG::ListBoxSelectionEvent& ev) override;
    // Also the page's own rebuild of the rows; a null connection empties them.
    void ConnEvent_VirtualTypeListChanged(const std::shared_ptr<Model::ConnectionWithSpecification>& conn) override;
    void ManagerEvent_SelectionChanged(const Model::SelectionCache& selection) override;
    void ManagerEvent_SelectedConnectionChanged(
        const std::shared_ptr<Model::ConnectionWithSpecification>& conn) override;

    void SelectVirtualType(const PK::UniString& virtualTypeId);
    void RefreshButtons();

private:
    void Rebuild(const std::shared_ptr<Model::ConnectionWithSpecification>& conn);
    void Follow(const std::shared_ptr<Model::ConnectionWithSpecification>& conn);
    // Replaces the host selection by the chosen row's elements; false when
    // there is no row, no connection or no such virtual type.
    bool SelectElementsOfSelectedRow();
    void AssociateSelection();
    void DisassociateSelection();

    UD::IRollPanel* _rollPanel;
    DG::SingleSelListBox _listBox;
    // The virtual-type id of each row: entry i is row i + 1.
    PK::Array<PK::UniString> _virtualTypeIds;
    DG::IconButton _selectButton;
    DG::IconButton _selectAndZoomButton;
    DG::LeftText _selectedLabel;
    DG::LeftText _selectedCount;
    DG::LeftText _editableLabel;
    DG::LeftText _editableCount;
    DG::Button _associateButton;
    DG::Button _disassociateButton;
    std::shared_ptr<Model::Manager> _manager;
    std::shared_ptr<Model::ConnectionWithSpecification> _observedConnection;
};

}  // namespace TessaryConnect::UI
