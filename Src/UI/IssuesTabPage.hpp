#pragma once
// The palette's fourth roll panel: the selected connection's issues, one
// owner-drawn row each (icon by severity, text wrapped to two lines), sorted
// by text; the roll panel's title counts them and its icon shows the worst
// severity. Buttons act on the chosen issue (select its elements, select and
// zoom, remove, fix) or re-check the whole connection; a double click opens
// the view in which the issue arose and selects its elements there.
#include <memory>

#include "DG/Drawing.hpp"
#include "Model/Issue/BaseWithText.hpp"
#include "PK/Array.hpp"
#include "PK/Guid.hpp"
#include "PK/UniString.hpp"
#include "UI/ListTabPage.hpp"

namespace TessaryConnect::UI {

class IssuesTabPage : public ListTabPage {
public:
    static constexpr short ResId = 32601;
    static constexpr short ErrorIconId = 20006;
    static constexpr short WarningIconId = 20007;
    // Asks whether to check the whole connection again; answer 2 does.
    static constexpr short RecheckAlertId = 32564;

    IssuesTabPage(UD::IRollPanel* rollPanel, const std::shared_ptr<Model::Manager>& manager);

    // The title template with "{Count}" replaced by the number of rows.
    PK::UniString GetTitle() const;
    // The chosen row's issue; throws when no row is chosen.
    Model::Issue::BaseWithText GetSelectedIssue() const;
    // Replaces the host selection by the elements that still exist; zooms to
    // them when asked and something was selected.
    static void Select(const std::shared_ptr<Model::Manager>& manager, const PK::Array<PK::Guid>& elements, bool zoom);

    void ButtonClicked(const DG::ButtonClickEvent& ev) override;
    void ListBoxClicked(const DG::ListBoxClickEvent& ev) override;
    void ListBoxDoubleClicked(const DG::ListBoxDoubleClickEvent& ev) override;
    void ListBoxTabFieldUpdate(const DG::ListBoxTabItemUpdateEvent& ev) override;
    // Also the page's own rebuild of the rows; a null connection empties them.
    void ConnEvent_IssueListChanged(const ConnectionPtr& connection) override;

private:
    void RebuildRows(const ConnectionPtr& connection) override;
    void MoveItems(short dx, short dy) override;
    // The buttons for the chosen row; an element issue also chooses its clause in the virtual-type panel.
    void ChosenRowChanged() override;
    // Items 2, 3, 9 and 10 as the entry's issue allows; all disabled without one.
    void ShowButtonsFor(const Model::Issue::BaseWithText* entry);
    void DrawRow(const DG::ListBoxTabItemUpdateEvent& ev) const;
    // The entry of the row, or null for row 0 and (logged) a row past the entries.
    const Model::Issue::BaseWithText* EntryOfRow(short row) const;
    void SelectErroredElements(bool zoom) const;
    void RecheckConnection() const;
    void RemoveSelectedIssue() const;
    void FixSelectedIssue() const;

    // The issue of each row: entry i is row i + 1.
    PK::Array<Model::Issue::BaseWithText> _issueBases;
    DG::IconButton _selectButton;
    DG::IconButton _selectAndZoomButton;
    DG::IconButton _recheckButton;
    DG::IconButton _removeButton;
    DG::IconButton _fixButton;
    PK::UniString _titleTemplate;
};

}  // namespace TessaryConnect::UI
