#pragma once
// What the palette's list panels (virtual types, unassociated elements,
// issues) have in common: a tab page built from its dialog on a roll panel,
// a list of one tab field as item 1, the counts of the host selection with
// their labels, the manager observed from construction to destruction, and
// the manager's selected connection followed from the panel's opening on.
//
// A panel derives from it, binds its own items and says what its rows are
// for a connection (RebuildRows). Following is the same for all: a change to
// another connection detaches from the old one, attaches to the new one and
// rebuilds the rows, and the roll panel is enabled exactly while there is a
// connection. Opening lets go of the connection first, so a panel opened
// again always takes the selected connection up anew.
#include <memory>

#include "DG/Items.hpp"
#include "DG/Panel.hpp"
#include "Model/ConnectionWithSpecificationObserver.hpp"
#include "Model/ManagerObserver.hpp"

namespace UD {
class IRollPanel;
}

namespace TessaryConnect::Model {
class Manager;
}

namespace TessaryConnect::UI {

class ListTabPage : public DG::TabPage,
                    public Model::ManagerObserver,
                    public Model::ConnectionWithSpecificationObserver,
                    public DG::PanelObserver,
                    public DG::CompoundItemObserver,
                    public DG::ButtonItemObserver,
                    public DG::ListBoxObserver {
public:
    ~ListTabPage() override;

    void PanelOpened(const DG::PanelOpenEvent& ev) override;
    // The list grows with the panel and the selection counts move down with its bottom; then the panel's own items.
    void PanelResized(const DG::PanelResizeEvent& ev) override;
    void ListBoxSelectionChanged(const DG::ListBoxSelectionEvent& ev) override;
    void ManagerEvent_SelectionChanged(const Model::SelectionCache& selection) override;
    void ManagerEvent_SelectedConnectionChanged(const ConnectionPtr& connection) override;

protected:
    // The page of dialog resId as page 1 of the roll panel's tab control; the
    // selection counts are the items after their labels, the first label
    // being item firstCountItem. The roll panel stays disabled until a
    // connection is followed.
    ListTabPage(UD::IRollPanel* rollPanel, const std::shared_ptr<Model::Manager>& manager, short resId,
                short firstCountItem);

    // The rows for the connection; none for null.
    virtual void RebuildRows(const ConnectionPtr& connection) = 0;
    // The panel's own items follow a change of its size (never by 0 and 0).
    virtual void MoveItems(short dx, short dy) = 0;
    // The user chose another row of the list, or none.
    virtual void ChosenRowChanged() = 0;
    // After the counts of a new host selection were shown.
    virtual void HostSelectionChanged() {}

    // Tab field 1 spans the list's width.
    void SpanTabField();

    UD::IRollPanel* _rollPanel;
    DG::SingleSelListBox _list;
    DG::LeftText _selectedLabel;
    DG::LeftText _selectedCount;
    DG::LeftText _editableLabel;
    DG::LeftText _editableCount;
    std::shared_ptr<Model::Manager> _manager;
    // The connection being followed; null when none.
    ConnectionPtr _observedConnection;

private:
    void Follow(const ConnectionPtr& connection);
};

}  // namespace TessaryConnect::UI
