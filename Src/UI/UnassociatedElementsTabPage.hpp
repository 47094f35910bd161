#pragma once
// The palette's third roll panel: for the selected connection, the element
// types that still have usable elements without a clause of it, one row per
// type with its count, sorted by type name; select (and zoom to) the elements
// of the chosen type, rebuild the list; the host selection's counts.
//
// The page mirrors the connection's unassociated-elements cache: the cache
// reports the types it changed and the page rewrites, inserts or deletes those
// rows only, so the host's elements are read again only when the whole list is
// rebuilt (on opening, on a change of connection and on the rebuild button).
#include <memory>

#include "DG/Items.hpp"
#include "DG/Panel.hpp"
#include "Model/ConnectionWithSpecificationObserver.hpp"
#include "Model/Element.hpp"
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

class UnassociatedElementsTabPage : public DG::TabPage,
                                    public Model::ManagerObserver,
                                    public Model::ConnectionWithSpecificationObserver,
                                    public DG::PanelObserver,
                                    public DG::CompoundItemObserver,
                                    public DG::ButtonItemObserver,
                                    public DG::ListBoxObserver {
public:
    static constexpr short ResId = 32603;

    UnassociatedElementsTabPage(UD::IRollPanel* rollPanel, const std::shared_ptr<Model::Manager>& manager);
    ~UnassociatedElementsTabPage() override;

    void PanelOpened(const DG::PanelOpenEvent& ev) override;
    void PanelResized(const DG::PanelResizeEvent& ev) override;
    void ButtonClicked(const DG::ButtonClickEvent& ev) override;
    void ListBoxSelectionChanged(const DG::ListBoxSelectionEvent& ev) override;
    void ConnEvent_UnassociatedElementTypeChanged(const std::shared_ptr<Model::ConnectionWithSpecification>& conn,
                                                  const PK::HashSet<Model::Element::Type>& types) override;
    void ManagerEvent_SelectionChanged(const Model::SelectionCache& selection) override;
    void ManagerEvent_SelectedConnectionChanged(
        const std::shared_ptr<Model::ConnectionWithSpecification>& conn) override;

    PK::UniString ResolveItemTemplate(Model::Element::Type type, PK::UInt32 count) const;
    // Empties the list and has the connection's cache rebuild it (nothing more without one).
    void RefreshUnassociatedElements(const std::shared_ptr<Model::ConnectionWithSpecification>& conn);

private:
    void SelectedConnectionChanged(const std::shared_ptr<Model::ConnectionWithSpecification>& conn);
    void UpdateRows(const Model::ConnectionWithSpecification& conn, const PK::HashSet<Model::Element::Type>& types);
    // The rows anew from what the cache holds, without asking the host.
    void RebuildRowsFromCache(const Model::ConnectionWithSpecification& conn);
    bool SelectElementsOfChosenType();

    UD::IRollPanel* _rollPanel;
    DG::SingleSelListBox _typeList;
    // The element type of each row: entry i is row i + 1.
    PK::Array<Model::Element::Type> _unassociatedTypes;
    DG::IconButton _selectButton;
    DG::IconButton _selectAndZoomButton;
    DG::IconButton _refreshButton;
    DG::LeftText _selectedLabel;
    DG::LeftText _selectedCount;
    DG::LeftText _editableLabel;
    DG::LeftText _editableCount;
    std::shared_ptr<Model::Manager> _manager;
    PK::UniString _rowTemplate;
    std::shared_ptr<Model::ConnectionWithSpecification> _observedConnection;
};

}  // namespace TessaryConnect::UI
