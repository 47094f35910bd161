#include "DG/Items.hpp"

#include <algorithm>

#include "DG/Browser.hpp"
#include "DG/DialogState.hpp"

namespace DG {

namespace {

std::string Describe(const char* what, short value) { return std::string(what) + " " + std::to_string(value); }

}  // namespace

// ---- item ----

Item::Item(const Panel& panel, short item) : _panel(&panel), _item(item), _state(panel._state) {
    auto& slots = _state->slots;
    if (_state->fromResource && slots.find(item) == slots.end())
        Detail::Fault("dialog " + std::to_string(_state->resID) + " has no item " + std::to_string(item));
    _slot = &slots[item];
    if (_slot->bound != nullptr) Detail::Fault(Describe("a second object bound to item", item));
    _slot->bound = this;
}

Item::~Item() {
    if (_slot->bound == this) _slot->bound = nullptr;
}

void Item::SetStatus(bool enabled) { _slot->enabled = enabled; }
bool Item::IsEnabled() const { return _slot->enabled; }
void Item::SetVisibility(bool visible) { _slot->visible = visible; }
bool Item::IsVisible() const { return _slot->visible; }

void Item::Move(double dx, double dy) {
    Rect& r = _slot->rect;
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
}

void Item::Resize(double dx, double dy) {
    _slot->rect.right += dx;
    _slot->rect.bottom += dy;
}

Rect Item::GetRect() const { return _slot->rect; }

void Item::Attach(ItemObserver& observer) { observer.AttachTo(_state, _item); }
void Item::Detach(ItemObserver& observer) { observer.DetachFrom(_state, _item); }

void TextItem::SetText(const PK::UniString& text) { Slot().text = text; }
PK::UniString TextItem::GetText() const { return Slot().text; }

// ---- pop-up ----

short PopUp::Resolve(short pos, const char* what) const {
    const auto count = static_cast<short>(_entries.size());
    if (pos == BottomItem) pos = count;
    if (pos < 1 || pos > count) {
        Detail::Fault(Describe(what, pos) + " of a pop-up with " + std::to_string(count) + " entries");
        return 0;
    }
    return pos;
}

void PopUp::AppendItem() { InsertItem(BottomItem); }

void PopUp::InsertItem(short pos) {
    const auto count = static_cast<short>(_entries.size());
    if (pos == BottomItem) pos = static_cast<short>(count + 1);
    if (pos < 1 || pos > count + 1) {
        Detail::Fault(Describe("InsertItem", pos) + " of a pop-up with " + std::to_string(count) + " entries");
        return;
    }
    _entries.insert(_entries.begin() + (pos - 1), PK::UniString());
    if (_selected >= pos) ++_selected;
    if (_selected == 0) _selected = 1;
}

void PopUp::DeleteItem(short pos) {
    if (pos == AllItems) {
        _entries.clear();
        _selected = 0;
        return;
    }
    pos = Resolve(pos, "DeleteItem");
    if (pos == 0) return;
    _entries.erase(_entries.begin() + (pos - 1));
    if (_selected > pos)
        --_selected;
    else if (_selected == pos)
        _selected = _entries.empty() ? 0 : 1;
}

short PopUp::GetItemCount() const { return static_cast<short>(_entries.size()); }

void PopUp::SetItemText(short pos, const PK::UniString& text) {
    if ((pos = Resolve(pos, "SetItemText")) != 0) _entries[static_cast<std::size_t>(pos - 1)] = text;
}

PK::UniString PopUp::GetItemText(short pos) const {
    if ((pos = Resolve(pos, "GetItemText")) == 0) return {};
    return _entries[static_cast<std::size_t>(pos - 1)];
}

void PopUp::SelectItem(short pos) {
    if ((pos = Resolve(pos, "SelectItem")) != 0) _selected = pos;
}

// ---- list box ----

void ListBox::SetTabFieldCount(short count) {
    if (count < 0) count = 0;
    _fields.resize(static_cast<std::size_t>(count));
    for (Row& row : _rows) row.resize(_fields.size());
}

void ListBox::SetTabFieldProperties(short field, double begin, double end, Justification justification,
                                    Truncation truncation) {
    if (field < 1 || field > GetTabFieldCount()) {
        Detail::Fault(Describe("SetTabFieldProperties of tab field", field));
        return;
    }
    TabField& f = _fields[static_cast<std::size_t>(field - 1)];
    f.begin = begin;
    f.end = end;
    f.justification = justification;
    f.truncation = truncation;
}

void ListBox::SetTabFieldOwnerDrawFlag(short field, bool ownerDrawn) {
    if (field < 1 || field > GetTabFieldCount()) {
        Detail::Fault(Describe("SetTabFieldOwnerDrawFlag of tab field", field));
        return;
    }
    _fields[static_cast<std::size_t>(field - 1)].ownerDrawn = ownerDrawn;
}

const ListBox::TabField& ListBox::GetTabField(short field) const {
    return _fields.at(static_cast<std::size_t>(field - 1));
}

short ListBox::ResolveRow(short row, const char* what) const {
    if (row == BottomItem) row = GetItemCount();
    if (row < 1 || row > GetItemCount()) {
        Detail::Fault(Describe(what, row) + " of a list box with " + std::to_string(GetItemCount()) + " rows");
        return 0;
    }
    return row;
}

ListBox::Cell* ListBox::FindCell(short row, short field, const char* what) {
    if ((row = ResolveRow(row, what)) == 0) return nullptr;
    if (field < 1 || field > GetTabFieldCount()) {
        Detail::Fault(Describe(what, row) + ", tab field " + std::to_string(field) + " that does not exist");
        return nullptr;
    }
    return &_rows[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(field - 1)];
}

void ListBox::AppendItem() { InsertItem(BottomItem); }

void ListBox::InsertItem(short pos) {
    if (pos == BottomItem) pos = static_cast<short>(GetItemCount() + 1);
    if (pos < 1 || pos > GetItemCount() + 1) {
        Detail::Fault(Describe("InsertItem", pos) + " of a list box with " + std::to_string(GetItemCount()) + " rows");
        return;
    }
    _rows.insert(_rows.begin() + (pos - 1), Row(_fields.size()));
    if (_selected >= pos) ++_selected;
}

void ListBox::DeleteItem(short pos) {
    if (pos == AllItems) {
        _rows.clear();
        _selected = 0;
        return;
    }
    if ((pos = ResolveRow(pos, "DeleteItem")) == 0) return;
    _rows.erase(_rows.begin() + (pos - 1));
    if (_selected == pos)
        _selected = 0;
    else if (_selected > pos)
        --_selected;
}

void ListBox::SetTabItemText(short row, short field, const PK::UniString& text) {
    if (Cell* cell = FindCell(row, field, "SetTabItemText of row")) cell->text = text;
}

PK::UniString ListBox::GetTabItemText(short row, short field) const {
    const Cell* cell = const_cast<ListBox*>(this)->FindCell(row, field, "GetTabItemText of row");
    return cell == nullptr ? PK::UniString() : cell->text;
}

void ListBox::SetTabItemIcon(short row, short field, const Icon& icon) {
    if (Cell* cell = FindCell(row, field, "SetTabItemIcon of row")) cell->icon = icon;
}

Icon ListBox::GetTabItemIcon(short row, short field) const {
    const Cell* cell = const_cast<ListBox*>(this)->FindCell(row, field, "GetTabItemIcon of row");
    return cell == nullptr ? Icon() : cell->icon;
}

void ListBox::SelectItem(short row) {
    if ((row = ResolveRow(row, "SelectItem")) != 0) _selected = row;
}

void ListBox::DeselectItem(short row) {
    if (row == _selected || row == AllItems) _selected = 0;
}

void ListBox::DisableDraw() { ++_drawSuspension; }

void ListBox::EnableDraw() {
    if (_drawSuspension == 0)
        Detail::Fault("EnableDraw of a list box whose drawing is not suspended");
    else
        --_drawSuspension;
}

void ListBox::Redraw() { ++_redraws; }

// ---- observers ----

ItemObserver::~ItemObserver() {
    for (const Attachment& a : _attachments)
        if (auto panel = a.panel.lock()) {
            auto& observers = panel->slots[a.item].observers;
            observers.erase(std::remove(observers.begin(), observers.end(), this), observers.end());
        }
}

void ItemObserver::AttachTo(const std::shared_ptr<Detail::PanelState>& panel, short item) {
    auto& observers = panel->slots[item].observers;
    if (std::find(observers.begin(), observers.end(), this) != observers.end()) return;
    observers.push_back(this);
    _attachments.push_back({panel, item});
}

void ItemObserver::DetachFrom(const std::shared_ptr<Detail::PanelState>& panel, short item) {
    auto& observers = panel->slots[item].observers;
    observers.erase(std::remove(observers.begin(), observers.end(), this), observers.end());
    _attachments.erase(std::remove_if(_attachments.begin(), _attachments.end(),
                                      [&](const Attachment& a) { return a.item == item && a.panel.lock() == panel; }),
                       _attachments.end());
}

void CompoundItemObserver::AttachToAllItems(const Panel& panel) {
    for (auto& [number, slot] : panel._state->slots) ItemObserver::AttachTo(panel._state, number);
}

void CompoundItemObserver::DetachFromAllItems(const Panel& panel) {
    for (auto& [number, slot] : panel._state->slots) ItemObserver::DetachFrom(panel._state, number);
}

}  // namespace DG

// ---- browser control ----

namespace DG {

void Browser::Move(double dx, double dy) {
    Rect& r = _panel->_state->slots[_item].rect;
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
}

void Browser::Resize(double dx, double dy) {
    Rect& r = _panel->_state->slots[_item].rect;
    r.right += dx;
    r.bottom += dy;
}

Rect Browser::GetRect() const { return _panel->_state->slots[_item].rect; }

}  // namespace DG
