#include "TVSim/Dialogs.hpp"

#include <sstream>

namespace TVSim::Dialogs {

using DG::Detail::Dialogs;
using DG::Detail::PanelState;

struct Access {
    static const std::shared_ptr<PanelState>& State(const DG::Panel& panel) { return panel._state; }
    static int GetDrawSuspension(const DG::ListBox& listBox) { return listBox._drawSuspension; }
    static int GetRedrawCount(const DG::ListBox& listBox) { return listBox._redraws; }
    static void Select(DG::ListBox& listBox, short row) { listBox._selected = row; }
};

namespace {

// The add-on's object of the item when the user can act on it, else null.
template <typename T>
T* Reachable(DG::Panel& panel, short item) {
    const auto& state = Access::State(panel);
    const auto slot = state->slots.find(item);
    if (slot == state->slots.end() || !DG::Detail::AcceptsInput(*state, slot->second)) return nullptr;
    return dynamic_cast<T*>(slot->second.bound);
}

// Selects the row as the user does; the selection event when asked to or when it changed.
bool UserSelect(DG::Panel& panel, short item, short row, bool always, DG::ListBox*& listBox) {
    listBox = Reachable<DG::ListBox>(panel, item);
    if (listBox == nullptr || row < 0 || row > listBox->GetItemCount()) return false;
    const bool changed = listBox->GetSelectedItem() != row;
    Access::Select(*listBox, row);
    if (changed || always) {
        DG::Detail::NotifyItem<DG::ListBoxObserver>(
            Access::State(panel), item, "ListBoxSelectionChanged",
            [&](DG::ListBoxObserver& o) { o.ListBoxSelectionChanged(DG::ListBoxSelectionEvent(listBox)); });
    }
    return true;
}

}  // namespace

void Open(DG::Panel& panel) { DG::Detail::Open(Access::State(panel)); }

void Resize(DG::Panel& panel, short dx, short dy) {
    const std::shared_ptr<PanelState> state = Access::State(panel);
    state->width += dx;
    state->height += dy;
    const auto snapshot = state->observers;
    for (DG::PanelObserver* observer : snapshot) {
        if (std::find(state->observers.begin(), state->observers.end(), observer) == state->observers.end()) continue;
        DG::Detail::DeliverToAddOn("PanelResized",
                                   [&] { observer->PanelResized(DG::PanelResizeEvent(state->panel, dx, dy)); });
    }
}

bool RequestClose(DG::Panel& panel) { return panel.SendCloseRequest(); }

bool Click(DG::Panel& panel, short item) {
    DG::Item* button = Reachable<DG::Button>(panel, item);
    if (button == nullptr) button = Reachable<DG::IconButton>(panel, item);
    if (button == nullptr) return false;
    DG::Detail::NotifyItem<DG::ButtonItemObserver>(
        Access::State(panel), item, "ButtonClicked",
        [&](DG::ButtonItemObserver& o) { o.ButtonClicked(DG::ButtonClickEvent(button)); });
    return true;
}

bool ChoosePopUpItem(DG::Panel& panel, short item, short entry) {
    auto* popUp = Reachable<DG::PopUp>(panel, item);
    if (popUp == nullptr || entry < 1 || entry > popUp->GetItemCount()) return false;
    const short previous = popUp->GetSelectedItem();
    popUp->SelectItem(entry);
    DG::Detail::NotifyItem<DG::PopUpObserver>(Access::State(panel), item, "PopUpChanged", [&](DG::PopUpObserver& o) {
        o.PopUpChanged(DG::PopUpChangeEvent(popUp, previous));
    });
    return true;
}

bool SelectRow(DG::Panel& panel, short item, short row) {
    DG::ListBox* listBox = nullptr;
    return UserSelect(panel, item, row, true, listBox);
}

bool ClickRow(DG::Panel& panel, short item, short row) {
    DG::ListBox* listBox = nullptr;
    if (!UserSelect(panel, item, row, false, listBox)) return false;
    DG::Detail::NotifyItem<DG::ListBoxObserver>(
        Access::State(panel), item, "ListBoxClicked",
        [&](DG::ListBoxObserver& o) { o.ListBoxClicked(DG::ListBoxClickEvent(listBox, row)); });
    return true;
}

bool DoubleClickRow(DG::Panel& panel, short item, short row) {
    DG::ListBox* listBox = nullptr;
    if (!UserSelect(panel, item, row, false, listBox)) return false;
    DG::Detail::NotifyItem<DG::ListBoxObserver>(
        Access::State(panel), item, "ListBoxDoubleClicked",
        [&](DG::ListBoxObserver& o) { o.ListBoxDoubleClicked(DG::ListBoxDoubleClickEvent(listBox, row)); });
    return true;
}

std::vector<std::string> Draw(DG::Panel& panel, short item) {
    std::vector<std::string> calls;
    auto* listBox = dynamic_cast<DG::ListBox*>(panel.GetItem(item));
    if (listBox == nullptr || Access::GetDrawSuspension(*listBox) > 0) return calls;
    for (short row = 1; row <= listBox->GetItemCount(); ++row) {
        for (short field = 1; field <= listBox->GetTabFieldCount(); ++field) {
            const auto& tab = listBox->GetTabField(field);
            if (!tab.ownerDrawn) continue;
            const double width = tab.end > tab.begin ? tab.end - tab.begin : listBox->GetItemWidth();
            const double height = listBox->GetItemHeight();
            std::ostringstream cell;
            cell << "cell " << row << "," << field << " " << width << "x" << height;
            calls.push_back(cell.str());
            DG::DrawContext context;
            DG::Detail::NotifyItem<DG::ListBoxObserver>(
                Access::State(panel), item, "ListBoxTabFieldUpdate", [&](DG::ListBoxObserver& o) {
                    o.ListBoxTabFieldUpdate(DG::ListBoxTabItemUpdateEvent(listBox, row, field, width, height, context));
                });
            calls.insert(calls.end(), context.GetCalls().begin(), context.GetCalls().end());
        }
    }
    return calls;
}

int GetDrawSuspension(const DG::ListBox& listBox) { return Access::GetDrawSuspension(listBox); }
int GetRedrawCount(const DG::ListBox& listBox) { return Access::GetRedrawCount(listBox); }

void SetModalDriver(short resID, Driver driver) { Dialogs().modalDrivers[resID] = std::move(driver); }
const std::vector<Invocation>& GetInvocations() { return Dialogs().invocations; }

void SetIconSize(short resID, double width, double height) { Dialogs().iconSizes[resID] = {width, height}; }

const std::vector<std::string>& GetEscapedExceptions() { return Dialogs().escapedExceptions; }
const std::vector<std::string>& GetFaults() { return Dialogs().faults; }

void LimitRollPanels(std::size_t count) { Dialogs().rollPanelsLeft = count; }

void Reset() { Dialogs() = DG::Detail::DialogWorld(); }

}  // namespace TVSim::Dialogs
