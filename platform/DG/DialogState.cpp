#include "DG/DialogState.hpp"

#include "DG/Panel.hpp"

namespace DG::Detail {

DialogWorld& Dialogs() {
    static DialogWorld world;
    return world;
}

void Fault(const std::string& text) { Dialogs().faults.push_back(text); }

bool AcceptsInput(const PanelState& panel, const ItemSlot& slot) {
    if (!slot.enabled || !slot.visible || !panel.itemsEnabled) return false;
    if (panel.host != nullptr) {
        if (!panel.host->enabled) return false;
        if (const auto owner = panel.host->owner.lock(); owner != nullptr && !owner->itemsEnabled) return false;
    }
    return panel.closeResponse == 0;
}

void Open(const std::shared_ptr<PanelState>& panel) {
    const std::shared_ptr<PanelState> keep = panel;
    const auto snapshot = keep->observers;
    for (PanelObserver* observer : snapshot) {
        if (std::find(keep->observers.begin(), keep->observers.end(), observer) == keep->observers.end()) continue;
        DeliverToAddOn("PanelOpened", [&] { observer->PanelOpened(PanelOpenEvent(keep->panel)); });
    }
}

}  // namespace DG::Detail
