#include "UI/IssuesTabPage.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "DG/Alerts.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Element.hpp"
#include "Model/Issue/ElementsAssociationBase.hpp"
#include "Model/Manager.hpp"
#include "TVAPI/Resources.hpp"
#include "Util/AddonRuntimeError.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "UD/RollDownPalette.hpp"
#include "UI/Guarded.hpp"
#include "UI/MainMessageLoop.hpp"
#include "UI/PaletteManager.hpp"
#include "Util/Resource.hpp"

namespace TessaryConnect::UI {

using Model::Issue::BaseWithText;
using Model::Issue::ElementsAssociationBase;
using PK::USize;
using Util::Resource::Of;
using Util::Resource::PaletteText;

namespace {

constexpr short RecheckAnswer = 2;

DG::Icon IconOf(Model::Issue::Severity severity) {
    return DG::Icon(TVAPI_GetOwnResModule(), severity == Model::Issue::Severity::Warning ? IssuesTabPage::WarningIconId
                                                                                         : IssuesTabPage::ErrorIconId);
}

// The list draws nothing while its rows are rebuilt, and draws once afterwards, also after a failure.
class SuspendedDrawing {
public:
    explicit SuspendedDrawing(DG::ListBox& list) : _list(list) { _list.DisableDraw(); }
    ~SuspendedDrawing() {
        _list.EnableDraw();
        _list.Redraw();
    }
    SuspendedDrawing(const SuspendedDrawing&) = delete;
    SuspendedDrawing& operator=(const SuspendedDrawing&) = delete;

private:
    DG::ListBox& _list;
};

// A text of three or more lines shortened to two ending in "...": cut 4
// characters before the end of line 2, or nearer the start of line 2 where
// that is still too long for the ellipsis; never into line 1. A width too
// narrow for even line 1 and the ellipsis keeps line 1 alone.
PK::UniString CutToTwoLines(const PK::UniString& text, const DG::TextLayout& layout, const DG::Font& font,
                            double width) {
    const USize lineTwo = layout.GetLineEnd(0);
    const USize lineTwoEnd = layout.GetLineEnd(1);
    for (USize cut = lineTwoEnd >= lineTwo + 4 ? lineTwoEnd - 4 : lineTwo;; --cut) {
        PK::UniString cutText = text.GetSubstring(0, cut) + "...";
        if (DG::TextLayout(cutText, font, width).GetLineCount() <= 2) return cutText;
        if (cut == lineTwo) return text.GetSubstring(0, lineTwo);
    }
}

// Opens the view in which the issue arose, selects and zooms to its elements
// there and rebuilds the unassociated elements, which depend on the view, in
// three steps on the main loop: each step posts the next once its own work
// returned, so a failure (logged by the runner) ends the chain there.
void ShowWhereIssueArose(std::shared_ptr<const ElementsAssociationBase> issue, std::shared_ptr<Model::Manager> manager,
                         Model::ConnectionWithSpecificationObserver::ConnectionPtr connection) {
    MainMessageLoop::Execute([issue, manager, connection] {
        issue->GetWindowId().OpenWindow(manager->TV());
        MainMessageLoop::Execute([issue, manager, connection] {
            IssuesTabPage::Select(manager, issue->GetErroredElements(), true);
            MainMessageLoop::Execute([connection] { connection->UnassociatedElementsCache().Reset(true); });
        });
    });
}

}  // namespace

IssuesTabPage::IssuesTabPage(UD::IRollPanel* rollPanel, const std::shared_ptr<Model::Manager>& manager)
    : ListTabPage(rollPanel, manager, ResId, 5),
      _selectButton(*this, 2),
      _selectAndZoomButton(*this, 3),
      _recheckButton(*this, 4),
      _removeButton(*this, 9),
      _fixButton(*this, 10),
      _titleTemplate(_manager->TV().GetResource(Of(PaletteText::IssuesPanelTitle))) {
    _rollPanel->SetTitle(GetTitle());
    _list.SetTabFieldOwnerDrawFlag(1, true);
}

PK::UniString IssuesTabPage::GetTitle() const {
    PK::UniString title = _titleTemplate;
    title.ReplaceAll("{Count}", std::to_string(_issueBases.GetSize()));
    return title;
}

BaseWithText IssuesTabPage::GetSelectedIssue() const {
    const short selected = _list.GetSelectedItem();
    if (!TC_ASSERT_MSG(err, selected >= 1 && static_cast<USize>(selected) <= _issueBases.GetSize(), "selected({})",
                       selected))
        TC_THROW_RUNTIME("wrong selected index");
    return _issueBases[static_cast<USize>(selected - 1)];
}

void IssuesTabPage::Select(const std::shared_ptr<Model::Manager>& manager, const PK::Array<PK::Guid>& elements,
                           bool zoom) {
    // Zooming to an empty selection would take the view nowhere the user asked for.
    if (Model::Element::Select(manager->TV(), elements) > 0 && zoom) manager->TV().Do_ZoomToSelected();
}

void IssuesTabPage::MoveItems(short dx, short dy) {
    _selectButton.Move(0, dy);
    _selectAndZoomButton.Move(0, dy);
    for (DG::IconButton* button : {&_recheckButton, &_removeButton, &_fixButton}) button->Move(dx, dy);
    SpanTabField();
}

void IssuesTabPage::ButtonClicked(const DG::ButtonClickEvent& ev) {
    TC_GUARDED([&] {
        const DG::Item* source = ev.GetSource();
        if (source == &_selectButton) {
            SelectErroredElements(false);
        } else if (source == &_selectAndZoomButton) {
            SelectErroredElements(true);
        } else if (source == &_recheckButton) {
            RecheckConnection();
        } else if (source == &_removeButton) {
            RemoveSelectedIssue();
        } else if (source == &_fixButton) {
            FixSelectedIssue();
        } else {
            LOG_ERROR("unhandled button");
        }
    });
}

// A click on the chosen row chooses its clause in the virtual-type panel again.
void IssuesTabPage::ListBoxClicked(const DG::ListBoxClickEvent& ev) {
    TC_GUARDED([&] {
        if (ev.GetSource() == &_list) ChosenRowChanged();
    });
}

void IssuesTabPage::ListBoxDoubleClicked(const DG::ListBoxDoubleClickEvent& ev) {
    TC_GUARDED([&] {
        if (!TC_ASSERT_AS(err, this->_observedConnection != nullptr, "this->_selectedConn != nullptr")) return;
        if (ev.GetSource() != &_list) return;
        const BaseWithText* entry = EntryOfRow(ev.GetListItem());
        if (entry == nullptr) return;
        const auto issue = std::dynamic_pointer_cast<const ElementsAssociationBase>(entry->GetIssuePtr());
        if (issue == nullptr) return;
        if (!TC_ASSERT_AS(warn, issue->GetWindowId().IsValid(), "i->GetWindowId().IsValid()")) return;
        ShowWhereIssueArose(issue, _manager, _observedConnection);
    });
}

void IssuesTabPage::ListBoxTabFieldUpdate(const DG::ListBoxTabItemUpdateEvent& ev) {
    TC_GUARDED([&] {
        if (ev.GetSource() == &_list && ev.GetTabFieldIndex() == 1) DrawRow(ev);
    });
}

void IssuesTabPage::ConnEvent_IssueListChanged(const ConnectionPtr& connection) {
    TC_GUARDED([&] { RebuildRows(connection); });
}

// The title counts the rows also when the connection went away and took them.
void IssuesTabPage::RebuildRows(const ConnectionPtr& connection) {
    _rollPanel->SetIcon(DG::Icon());
    ShowButtonsFor(nullptr);
    const short scroll = _list.GetScrollPosition();
    std::shared_ptr<Model::Issue::Base> chosen;
    const short selected = _list.GetSelectedItem();
    if (selected >= 1 && static_cast<USize>(selected) <= _issueBases.GetSize())
        chosen = _issueBases[static_cast<USize>(selected - 1)].GetIssuePtr();
    _list.DeleteItem(DG::ListBox::AllItems);
    _issueBases.Clear();
    _rollPanel->SetTitle(GetTitle());
    if (connection == nullptr) return;

    const SuspendedDrawing suspended(_list);
    // Each text once: an issue's text is filled from resources and the host.
    std::vector<std::pair<PK::UniString, BaseWithText>> rows;
    for (const BaseWithText& issue : connection->GetIssuesWithText()) rows.emplace_back(issue.GetText(), issue);
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Model::Issue::Severity worst = Model::Issue::Severity::Warning;
    for (const auto& [text, issue] : rows) {
        const Model::Issue::Severity severity = issue.GetIssue().Severity();
        _issueBases.Push(issue);
        _list.AppendItem();
        _list.SetTabItemText(DG::ListBox::BottomItem, 1, text);
        _list.SetTabItemIcon(DG::ListBox::BottomItem, 1, IconOf(severity));
        worst = std::max(worst, severity);
    }
    _rollPanel->SetTitle(GetTitle());
    if (!rows.empty()) _rollPanel->SetIcon(IconOf(worst));
    _list.SetScrollPosition(std::min(scroll, _list.GetItemCount()));
    for (USize i = 0; chosen != nullptr && i < _issueBases.GetSize(); ++i) {
        if (_issueBases[i].GetIssuePtr() != chosen) continue;
        _list.SelectItem(static_cast<short>(i + 1));
        ShowButtonsFor(&_issueBases[i]);
        break;
    }
}

void IssuesTabPage::ChosenRowChanged() {
    const BaseWithText* entry = EntryOfRow(_list.GetSelectedItem());
    ShowButtonsFor(entry);
    if (entry == nullptr) return;
    if (const auto* i = dynamic_cast<const ElementsAssociationBase*>(&entry->GetIssue()))
        PaletteManager::GetInstance().SelectVirtualType(i->GetTargetVirtualType());
}

void IssuesTabPage::ShowButtonsFor(const BaseWithText* entry) {
    for (DG::IconButton* button : {&_selectButton, &_selectAndZoomButton, &_removeButton, &_fixButton})
        button->Disable();
    if (entry == nullptr) return;
    const auto* i = dynamic_cast<const ElementsAssociationBase*>(&entry->GetIssue());
    if (i != nullptr && TC_ASSERT_AS(err, !i->GetErroredElements().IsEmpty(), "!i->erroredElements.IsEmpty()")) {
        _selectButton.Enable();
        _selectAndZoomButton.Enable();
    }
    _removeButton.Enable();
    if (entry->IsFixable()) _fixButton.Enable();
}

void IssuesTabPage::DrawRow(const DG::ListBoxTabItemUpdateEvent& ev) const {
    DG::DrawContext& context = ev.GetDrawContext();
    const short row = ev.GetListItem();
    const DG::Icon icon = _list.GetTabItemIcon(row, 1);
    context.DrawIcon(icon, 2, std::max(0.0, (ev.GetHeight() - icon.GetHeight() - 4) / 2));

    DG::Rect rect{icon.GetWidth() + 4, 2, ev.GetWidth(), ev.GetHeight() - 4};
    if (rect.left > rect.right) std::swap(rect.left, rect.right);
    if (rect.top > rect.bottom) std::swap(rect.top, rect.bottom);
    const DG::Font font = DG::GetFont(0, 0);
    PK::UniString text = _list.GetTabItemText(row, 1);
    DG::TextLayout layout(text, font, rect.GetWidth());
    if (layout.GetLineCount() >= 3) {
        text = CutToTwoLines(text, layout, font, rect.GetWidth());
        layout = DG::TextLayout(text, font, rect.GetWidth());
    }
    // One line a quarter of the height down, two from the top; never above the row.
    const auto lines = static_cast<double>(layout.GetLineCount());
    const auto halfHeight = static_cast<double>(static_cast<long>(rect.GetHeight()) / 2);
    const double y = rect.top + std::trunc(halfHeight * (2 - lines) * 0.5);
    context.DrawText(text, font, DG::Color{0, 0, 0, 255}, rect.left, std::max(0.0, y), rect.GetWidth());
}

const BaseWithText* IssuesTabPage::EntryOfRow(short sel) const {
    if (sel == 0) return nullptr;
    if (!TC_ASSERT(err, static_cast<USize>(sel) <= this->_issueBases.GetSize())) return nullptr;
    return &_issueBases[static_cast<USize>(sel - 1)];
}

void IssuesTabPage::SelectErroredElements(bool zoom) const {
    const BaseWithText selIssue = GetSelectedIssue();
    if (const auto* i = dynamic_cast<const ElementsAssociationBase*>(&selIssue.GetIssue()))
        Select(_manager, i->GetErroredElements(), zoom);
}

// The step asks first and runs later: by then the connection may have been
// disconnected, and a deleted connection has nothing left to check.
void IssuesTabPage::RecheckConnection() const {
    const ConnectionPtr connection = _observedConnection;
    if (!TC_ASSERT(err, connection != nullptr)) return;
    MainMessageLoop::Execute([connection] {
        if (!TC_ASSERT(warn, connection != nullptr && !connection->IsDeleted())) return;
        if (DGResAlert(TVAPI_GetOwnResModule(), RecheckAlertId) != RecheckAnswer) return;
        connection->RefreshIssues();
        connection->Cmd_CheckAndUpdateAllAssociatedElementProperties();
    });
}

void IssuesTabPage::RemoveSelectedIssue() const {
    const BaseWithText* entry = EntryOfRow(_list.GetSelectedItem());
    const ConnectionPtr connection = _observedConnection;
    if (entry == nullptr || connection == nullptr) return;
    // Held here: the removal rebuilds the rows, and the entry with them.
    const std::shared_ptr<Model::Issue::Base> issue = entry->GetIssuePtr();
    connection->RemoveIssue(issue);
}

void IssuesTabPage::FixSelectedIssue() const {
    const BaseWithText* entry = EntryOfRow(_list.GetSelectedItem());
    if (entry == nullptr) return;
    // A copy: the fix rebuilds the rows.
    const BaseWithText selIssue = *entry;
    if (!TC_ASSERT(err, selIssue.IsFixable())) return;
    selIssue.Fix();
}

}  // namespace TessaryConnect::UI
