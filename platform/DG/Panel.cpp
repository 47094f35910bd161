#include "DG/Panel.hpp"

#include <algorithm>
#include <sstream>

#include "DG/DialogState.hpp"
#include "DG/Items.hpp"
#include "PK/Runnable.hpp"

namespace DG {

namespace {

template <typename T>
void Erase(std::vector<T*>& list, T* entry) {
    list.erase(std::remove(list.begin(), list.end(), entry), list.end());
}

// Reads the dialog resource into the panel; false when there is none.
bool Load(Detail::PanelState& state, PKResModule module, short resID) {
    return RSReadResource(module, "Dialog", resID, [&](const std::string& key, const std::string& text) {
        std::istringstream in(text);
        if (key == "size") {
            in >> state.width >> state.height;
        } else if (key == "item") {
            short number = 0;
            Detail::ItemSlot slot;
            double width = 0;
            double height = 0;
            in >> number >> slot.kind >> slot.rect.left >> slot.rect.top >> width >> height;
            slot.rect.right = slot.rect.left + width;
            slot.rect.bottom = slot.rect.top + height;
            std::string rest;
            std::getline(in >> std::ws, rest);
            slot.text = PK::UniString(rest);
            state.slots[number] = std::move(slot);
        }
    });
}

}  // namespace

PanelObserver::~PanelObserver() {
    for (const auto& weak : _panels)
        if (auto panel = weak.lock()) Erase(panel->observers, this);
}

Panel::Panel() : _state(std::make_shared<Detail::PanelState>()) { _state->panel = this; }

Panel::Panel(PKResModule module, short resID) : Panel() {
    _state->resID = resID;
    _state->fromResource = true;
    _state->valid = Load(*_state, module, resID);
    if (!_state->valid) Detail::Fault("dialog " + std::to_string(resID) + " does not exist");
}

Panel::~Panel() {
    for (PanelObserver* observer : _state->observers) {
        auto& panels = observer->_panels;
        panels.erase(
            std::remove_if(panels.begin(), panels.end(), [&](const auto& weak) { return weak.lock() == _state; }),
            panels.end());
    }
    _state->observers.clear();
    _state->panel = nullptr;
}

bool Panel::IsValid() const { return _state->valid; }
short Panel::GetResourceId() const { return _state->resID; }

void Panel::Attach(PanelObserver& observer) {
    auto& observers = _state->observers;
    if (std::find(observers.begin(), observers.end(), &observer) != observers.end()) return;
    observers.push_back(&observer);
    observer._panels.push_back(_state);
}

void Panel::Detach(PanelObserver& observer) {
    Erase(_state->observers, &observer);
    auto& panels = observer._panels;
    panels.erase(std::remove_if(panels.begin(), panels.end(), [&](const auto& weak) { return weak.lock() == _state; }),
                 panels.end());
}

void Panel::Show(short /*refCon*/) {
    if (_state->visible) return;
    _state->visible = true;
    Detail::Open(_state);
}

void Panel::Hide() { _state->visible = false; }
bool Panel::IsVisible() const { return _state->visible; }
void Panel::BeginEventProcessing() { ++_state->eventProcessing; }
void Panel::EndEventProcessing() {
    if (_state->eventProcessing == 0)
        Detail::Fault("EndEventProcessing without BeginEventProcessing");
    else
        --_state->eventProcessing;
}
bool Panel::IsEventProcessing() const { return _state->eventProcessing > 0; }

bool Panel::SendCloseRequest() {
    const std::shared_ptr<Detail::PanelState> keep = _state;
    bool accepted = false;
    const auto snapshot = keep->observers;
    for (PanelObserver* observer : snapshot) {
        if (std::find(keep->observers.begin(), keep->observers.end(), observer) == keep->observers.end()) continue;
        Detail::DeliverToAddOn("PanelCloseRequested",
                               [&] { observer->PanelCloseRequested(PanelCloseRequestEvent(keep->panel), &accepted); });
    }
    return accepted;
}

void Panel::EnableItems() { _state->itemsEnabled = true; }
void Panel::DisableItems() { _state->itemsEnabled = false; }
void Panel::SetTitle(const PK::UniString& title) { _state->title = title; }
PK::UniString Panel::GetTitle() const { return _state->title; }
double Panel::GetClientWidth() const { return _state->width; }
double Panel::GetClientHeight() const { return _state->height; }

Item* Panel::GetItem(short item) const {
    const auto it = _state->slots.find(item);
    return it == _state->slots.end() ? nullptr : it->second.bound;
}

std::vector<short> Panel::GetItemNumbers() const {
    std::vector<short> numbers;
    for (const auto& [number, slot] : _state->slots) numbers.push_back(number);
    return numbers;
}

// ---- tab control and tab page ----

TabControl::TabControl() : _host(std::make_shared<Detail::HostState>()) {}
TabControl::~TabControl() = default;
void TabControl::SetEnabled(bool enabled) { _host->enabled = enabled; }
bool TabControl::IsEnabled() const { return _host->enabled; }
void TabControl::SetOwner(const Panel& owner) { _host->owner = owner._state; }

std::vector<Panel*> TabControl::GetPages() const {
    std::vector<Panel*> pages;
    for (const auto& weak : _pages)
        if (auto page = weak.lock(); page != nullptr && page->panel != nullptr) pages.push_back(page->panel);
    return pages;
}

TabPage::TabPage(const TabControl& tabControl, short tabItem, PKResModule module, short resID,
                 PKResModule /*iconModule*/)
    : Panel(module, resID), _tabItem(tabItem) {
    _state->host = tabControl._host;
    tabControl._pages.push_back(_state);
}

// ---- modal dialog ----

ModalDialog::ModalDialog(PKResModule module, short resID, PKResModule /*iconModule*/) : Panel(module, resID) {}

bool ModalDialog::Invoke() {
    auto& world = Detail::Dialogs();
    if (_state->modalRunning) {
        Detail::Fault("Invoke of a modal dialog that is running");
        return false;
    }
    _state->modalRunning = true;
    _state->closeResponse = 0;
    _state->visible = true;
    Detail::Open(_state);
    const auto driver = world.modalDrivers.find(_state->resID);
    if (driver != world.modalDrivers.end() && driver->second) {
        const auto run = driver->second;  // the driver may replace itself
        run(*this);
    }
    const bool accepted = _state->closeResponse == Accept;
    world.invocations.push_back({_state->resID, PK::MainMessageLoop::IsRunningTask(), accepted});
    _state->visible = false;
    _state->modalRunning = false;
    return accepted;
}

void ModalDialog::PostCloseRequest(ModalResponse response) {
    if (!_state->modalRunning) {
        Detail::Fault("PostCloseRequest of a modal dialog that is not running");
        return;
    }
    if (_state->closeResponse == 0) _state->closeResponse = response;
}

}  // namespace DG
