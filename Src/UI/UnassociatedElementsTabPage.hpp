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

#include "Model/Element.hpp"
#include "PK/Array.hpp"
#include "PK/UniString.hpp"
#include "UI/ListTabPage.hpp"

namespace TessaryConnect::UI {

class UnassociatedElementsTabPage : public ListTabPage {
public:
    static constexpr short ResId = 32603;

    UnassociatedElementsTabPage(UD::IRollPanel* rollPanel, const std::shared_ptr<Model::Manager>& manager);

    void ButtonClicked(const DG::ButtonClickEvent& ev) override;
    void ConnEvent_UnassociatedElementTypeChanged(const std::shared_ptr<Model::ConnectionWithSpecification>& conn,
                                                  const PK::HashSet<Model::Element::Type>& types) override;

    PK::UniString ResolveItemTemplate(Model::Element::Type type, PK::UInt32 count) const;
    // Empties the list and has the connection's cache rebuild it (nothing more without one).
    void RefreshUnassociatedElements(const std::shared_ptr<Model::ConnectionWithSpecification>& conn);

private:
    void RebuildRows(const ConnectionPtr& conn) override { RefreshUnassociatedElements(conn); }
    void MoveItems(short dx, short dy) override;
    void ChosenRowChanged() override;
    void UpdateRows(const Model::ConnectionWithSpecification& conn, const PK::HashSet<Model::Element::Type>& types);
    // The rows anew from what the cache holds, without asking the host.
    void RebuildRowsFromCache(const Model::ConnectionWithSpecification& conn);
    bool SelectElementsOfChosenType();

    // The element type of each row: entry i is row i + 1.
    PK::Array<Model::Element::Type> _unassociatedTypes;
    DG::IconButton _selectButton;
    DG::IconButton _selectAndZoomButton;
    DG::IconButton _refreshButton;
    PK::UniString _rowTemplate;
};

}  // namespace TessaryConnect::UI
