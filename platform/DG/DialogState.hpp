#pragma once
// What the headless dialog library keeps behind its panels and items, and what
// all its panels share: the faults it saw, the exceptions the add-on let
// escape into it, icon sizes and the drivers of modal dialogs. Internal to the
// substitute; tests drive it through TVSim/Dialogs.hpp.
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DG/Drawing.hpp"
#include "PK/UniString.hpp"

namespace DG {
class Item;
class ItemObserver;
class ModalDialog;
class Panel;
class PanelObserver;
}  // namespace DG

namespace DG::Detail {

// One dialog item of a panel, whether or not the add-on made an object for it.
struct ItemSlot {
    std::string kind;  // as the dialog resource names it; empty for an item made on the fly
    Rect rect;
    PK::UniString text;
    bool enabled = true;
    bool visible = true;
    Item* bound = nullptr;  // the add-on's object for the item, the source of its events
    std::vector<ItemObserver*> observers;
};

// What a roll panel lends the pages on its tab control.
struct PanelState;

struct HostState {
    bool enabled = true;
    // The palette that holds the roll panel: its items' enabling governs the pages too.
    std::weak_ptr<PanelState> owner;
};

struct PanelState {
    Panel* panel = nullptr;  // null once the panel is destroyed
    short resID = 0;
    bool fromResource = false;
    bool valid = true;
    PK::UniString title;
    double width = 0;
    double height = 0;
    bool visible = false;
    int eventProcessing = 0;  // begun minus ended
    bool itemsEnabled = true;
    std::map<short, ItemSlot> slots;
    std::vector<PanelObserver*> observers;
    std::shared_ptr<HostState> host;  // a tab page's roll panel; null elsewhere
    // A modal dialog's close request: 0 none yet, else the response.
    int closeResponse = 0;
    bool modalRunning = false;
};

struct ModalInvocation {
    short resID = 0;
    bool fromPostedTask = false;
    bool accepted = false;
};

struct DialogWorld {
    std::vector<std::string> escapedExceptions;
    std::vector<std::string> faults;
    std::map<short, std::pair<double, double>> iconSizes;
    std::map<short, std::function<void(ModalDialog&)>> modalDrivers;
    std::vector<ModalInvocation> invocations;
    // How many more roll panels the host makes before it runs out; unlimited by default.
    std::size_t rollPanelsLeft = static_cast<std::size_t>(-1);
};

DialogWorld& Dialogs();
// A use of the library that a real host would refuse or crash on.
void Fault(const std::string& text);

// Runs a handler of the add-on: what it lets escape is recorded (a real host
// would not survive it); false then.
template <typename F>
bool DeliverToAddOn(const char* what, F&& f) {
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        Dialogs().escapedExceptions.push_back(std::string(what) + ": " + e.what());
    } catch (...) {
        Dialogs().escapedExceptions.push_back(std::string(what) + ": unknown exception");
    }
    return false;
}

// Whether the user can act on the item now: it is enabled and visible, and so
// is its panel's input (and a page's roll panel); a modal dialog that was
// asked to close takes no more input.
bool AcceptsInput(const PanelState& panel, const ItemSlot& slot);

// Sends PanelOpened to the panel's observers.
void Open(const std::shared_ptr<PanelState>& panel);

// Calls f(observer) for every observer of the item that is an Observer,
// walking a snapshot: one detached meanwhile is skipped.
template <typename Observer, typename F>
void NotifyItem(const std::shared_ptr<PanelState>& panel, short item, const char* what, F&& f) {
    const std::shared_ptr<PanelState> keep = panel;
    const auto snapshot = keep->slots[item].observers;
    for (ItemObserver* entry : snapshot) {
        const auto& now = keep->slots[item].observers;
        if (std::find(now.begin(), now.end(), entry) == now.end()) continue;
        if (auto* observer = dynamic_cast<Observer*>(entry)) DeliverToAddOn(what, [&] { f(*observer); });
    }
}

}  // namespace DG::Detail
