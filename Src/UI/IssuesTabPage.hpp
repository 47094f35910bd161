#pragma once
// The palette's fourth roll panel: the selected connection's issues, one
// owner-drawn row each (icon by severity, text wrapped to two lines), sorted
// by text; the roll panel's title counts them and its icon shows the worst
// severity. Buttons act on the chosen issue (select its elements, select and
// zoom, remove, fix) or re-check the whole connection; a double click opens
// the view in which the issue arose and selects its elements there.
#include <memory>

#include "DG/Drawing.hpp"
#include "DG/Items.hpp"
#include "DG/Panel.hpp"
#include "Model/ConnectionWithSpecificationObserver.hpp"
#include "Model/Issue/BaseWithText.hpp"
#include "Model/ManagerObserver.hpp"
#include "PK/Array.hpp"
#include "PK/Guid.hpp"
#include "PK/UniString.hpp"

namespace UD {
class IRollPanel;
}

namespace TessaryConnect::Model {
class Manager;
}

namespace TessaryConnect::UI {

class IssuesTabPage : public DG::TabPage,
                      public Model::ManagerObserver,
                      public Model::ConnectionWithSpecificationObserver,
                      public DG::PanelObserver,
                      public DG::CompoundItemObserver,
                      public DG::ButtonItemObserver,
                      public DG::ListBoxObserver {
public:
    static constexpr short ResId = 32601;
    static constexpr short ErrorIconId = 20006;
    static constexpr short WarningIconId = 20007;

    IssuesTabPage(UD::IRollPanel* rollPanel, const std::shared_ptr<Model::Manager>& manager);
    ~IssuesTabPage() override;

    // The title template with "{Count}" replaced by the number of rows.
    PK::UniString GetTitle() const;
    // The chosen row's issue; throws when no row is chosen.
    Model::Issue::BaseWithText GetSelectedIssue() const;
    // Replaces the host selection by the elements that still exist; zooms to
    // them when asked and something was selected.
    static void Select(const std::shared_ptr<Model::Manager>& manager, const PK::Array<PK::Guid>& elements, bool zoom);

    void PanelOpened(const DG::PanelOpenEvent& ev) override;
    void PanelResized(const DG::PanelResizeEvent& ev) override;
    void ButtonClicked(const DG::ButtonClickEvent& ev) override;
    void ListBoxSelectionChanged(const DG::ListBoxSelectionEvent& ev) override;
    void ListBoxClicked(const DG::ListBoxClickEvent& ev) override;
    void ListBoxDoubleClicked(const DG::ListBoxDoubleClickEvent& ev) override;
    void ListBoxTabFieldUpdate(const DG::ListBoxTabItemUpdateEvent& ev) override;
    // Also the page's own rebuild of the rows; a null connection empties them.
    void ConnEvent_IssueListChanged(const ConnectionPtr& connection) override;
    void ManagerEvent_SelectionChanged(const Model::SelectionCache& selection) override;
    void ManagerEvent_SelectedConnectionChanged(const ConnectionPtr& connection) override;
};

}  // namespace TessaryConnect::UI
