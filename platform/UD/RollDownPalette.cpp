#include "UD/RollDownPalette.hpp"

#include <algorithm>

#include "DG/DialogState.hpp"

namespace UD {

void IRollPanel::Expand(bool expand) {
    if (_expanded == expand) return;
    _expanded = expand;
    const auto snapshot = _observers;
    for (RollPanelObserver* observer : snapshot)
        if (std::find(_observers.begin(), _observers.end(), observer) != _observers.end())
            DG::Detail::DeliverToAddOn("RollPanelExpanded", [&] { observer->RollPanelExpanded(*this, expand); });
}

void IRollPanel::Attach(RollPanelObserver& observer) {
    if (std::find(_observers.begin(), _observers.end(), &observer) == _observers.end()) _observers.push_back(&observer);
}

void IRollPanel::Detach(RollPanelObserver& observer) {
    _observers.erase(std::remove(_observers.begin(), _observers.end(), &observer), _observers.end());
}

IRollPanel* IRollPanelContainer::CreateRollPanel(short /*style*/) {
    std::size_t& left = DG::Detail::Dialogs().rollPanelsLeft;
    if (left == 0) return nullptr;
    --left;
    _panels.push_back(std::make_unique<IRollPanel>());
    if (_owner != nullptr) _panels.back()->GetTabControl()->SetOwner(*_owner);
    return _panels.back().get();
}

RollDownPalette::RollDownPalette(const PK::Guid& guid, short /*closeType*/, short /*captionType*/, short /*frameType*/)
    : _guid(guid) {
    _surface.GetPanelContainer()->_owner = this;
}

void RollDownPalette::SetMinClientSize(short width, short height) {
    _minWidth = width;
    _minHeight = height;
}

std::vector<DG::Panel*> RollDownPalette::GetPages() {
    std::vector<DG::Panel*> pages;
    auto* container = _surface.GetPanelContainer();
    for (std::size_t i = 0; i < container->GetRollPanelCount(); ++i)
        for (DG::Panel* page : container->GetRollPanel(i)->GetTabControl()->GetPages()) pages.push_back(page);
    return pages;
}

void RollDownPalette::Show(short refCon) {
    if (IsVisible()) return;
    DG::Panel::Show(refCon);
    for (DG::Panel* page : GetPages()) page->Show();
}

void RollDownPalette::Hide() {
    DG::Panel::Hide();
    for (DG::Panel* page : GetPages()) page->Hide();
}

}  // namespace UD
