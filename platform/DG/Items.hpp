#pragma once
// Dialog items: an object of the add-on bound to the item of that number on a
// panel (DG/Panel.hpp). The item exists on the panel whether or not an object
// is bound to it; its place, text and enabled state belong to the item, and
// the bound object is the source of its events.
//
// Items tell their observers only of what the user did (TVSim/Dialogs.hpp acts
// as the user): what the add-on does to an item itself (select a row or a
// pop-up entry, insert, delete) fires no event. Rows and pop-up entries are
// numbered from 1; 0 means none is selected. The rules of a list box:
// deleting the selected row clears the selection, deleting or inserting a row
// above it shifts it with its row; the scroll position is whatever the add-on
// sets (no clamping); drawing suspensions are counted. A pop-up with entries
// always has one selected: the first entry appended is selected, and deleting
// the selected entry selects the first.
#include <memory>
#include <vector>

#include "DG/Drawing.hpp"
#include "DG/Panel.hpp"
#include "PK/UniString.hpp"

namespace DG {

namespace Detail {
struct ItemSlot;
}

class Item {
public:
    Item(const Panel& panel, short item);
    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;
    virtual ~Item();

    const Panel& GetPanel() const { return *_panel; }
    short GetId() const { return _item; }

    void Enable() { SetStatus(true); }
    void Disable() { SetStatus(false); }
    void SetStatus(bool enabled);
    bool IsEnabled() const;
    void Show() { SetVisibility(true); }
    void Hide() { SetVisibility(false); }
    void SetVisibility(bool visible);
    bool IsVisible() const;

    void Move(double dx, double dy);
    // Grows the item by dx and dy (shrinks when negative).
    void Resize(double dx, double dy);
    Rect GetRect() const;
    double GetWidth() const { return GetRect().GetWidth(); }
    double GetHeight() const { return GetRect().GetHeight(); }

    void Attach(class ItemObserver& observer);
    void Detach(class ItemObserver& observer);

protected:
    Detail::ItemSlot& Slot() const { return *_slot; }
    const std::shared_ptr<Detail::PanelState>& State() const { return _state; }

private:
    const Panel* _panel;
    short _item;
    std::shared_ptr<Detail::PanelState> _state;
    Detail::ItemSlot* _slot;
};

class TextItem : public Item {
public:
    using Item::Item;
    void SetText(const PK::UniString& text);
    PK::UniString GetText() const;
};

class Button : public TextItem {
    using TextItem::TextItem;
};

class LeftText : public TextItem {
    using TextItem::TextItem;
};

class IconButton : public Item {
public:
    using Item::Item;
    void SetIcon(const Icon& icon) { _icon = icon; }
    Icon GetIcon() const { return _icon; }

private:
    Icon _icon;
};

class PopUp : public Item {
public:
    static constexpr short AllItems = -1;
    static constexpr short BottomItem = -2;

    using Item::Item;

    void AppendItem();
    // Inserts an entry before entry pos (BottomItem: at the end).
    void InsertItem(short pos);
    void DeleteItem(short pos);  // or AllItems
    short GetItemCount() const;
    void SetItemText(short pos, const PK::UniString& text);  // pos may be BottomItem
    PK::UniString GetItemText(short pos) const;
    void SelectItem(short pos);
    short GetSelectedItem() const { return _selected; }

private:
    short Resolve(short pos, const char* what) const;
    std::vector<PK::UniString> _entries;
    short _selected = 0;
};

class ListBox : public Item {
public:
    static constexpr short AllItems = -1;
    static constexpr short BottomItem = -2;
    enum Justification : short { DefaultJust = -1, Left = 1, Center = 2, Right = 3 };
    enum Truncation : short { NoTruncate = 0, EndTruncate = 1, MiddleTruncate = 2 };

    struct TabField {
        double begin = 0;
        double end = 0;
        Justification justification = Left;
        Truncation truncation = NoTruncate;
        bool ownerDrawn = false;
    };

    using Item::Item;

    void SetTabFieldCount(short count);
    short GetTabFieldCount() const { return static_cast<short>(_fields.size()); }
    void SetTabFieldProperties(short field, double begin, double end, Justification justification,
                               Truncation truncation);
    void SetTabFieldOwnerDrawFlag(short field, bool ownerDrawn);
    const TabField& GetTabField(short field) const;

    void AppendItem();
    // Inserts a row before row pos (BottomItem: at the end).
    void InsertItem(short pos);
    void DeleteItem(short pos);  // or AllItems
    short GetItemCount() const { return static_cast<short>(_rows.size()); }
    // row may be BottomItem; field counts from 1.
    void SetTabItemText(short row, short field, const PK::UniString& text);
    PK::UniString GetTabItemText(short row, short field) const;
    void SetTabItemIcon(short row, short field, const Icon& icon);
    Icon GetTabItemIcon(short row, short field) const;

    void SelectItem(short row);
    void DeselectItem(short row);
    short GetSelectedItem() const { return _selected; }
    void SetScrollPosition(short row) { _scroll = row; }
    short GetScrollPosition() const { return _scroll; }

    // Counted: drawing resumes when every DisableDraw has its EnableDraw.
    void DisableDraw();
    void EnableDraw();
    void Redraw();

    double GetItemWidth() const { return GetWidth(); }
    void SetItemHeight(double height) { _rowHeight = height; }
    double GetItemHeight() const { return _rowHeight; }

private:
    friend struct TVSim::Dialogs::Access;
    struct Cell {
        PK::UniString text;
        Icon icon;
    };
    using Row = std::vector<Cell>;
    short ResolveRow(short row, const char* what) const;
    Cell* FindCell(short row, short field, const char* what);

    std::vector<TabField> _fields = std::vector<TabField>(1);
    std::vector<Row> _rows;
    short _selected = 0;
    short _scroll = 0;
    double _rowHeight = 20;
    int _drawSuspension = 0;
    int _redraws = 0;
};

class SingleSelListBox : public ListBox {
    using ListBox::ListBox;
};

// ---- events and observers ----

class ItemEvent {
public:
    explicit ItemEvent(Item* source) : _source(source) {}
    Item* GetSource() const { return _source; }

private:
    Item* _source;
};

class ButtonClickEvent : public ItemEvent {
    using ItemEvent::ItemEvent;
};

class PopUpChangeEvent : public ItemEvent {
public:
    PopUpChangeEvent(Item* source, short previous) : ItemEvent(source), _previous(previous) {}
    short GetPreviousSelection() const { return _previous; }

private:
    short _previous;
};

class ListBoxSelectionEvent : public ItemEvent {
    using ItemEvent::ItemEvent;
};

class ListBoxClickEvent : public ItemEvent {
public:
    ListBoxClickEvent(Item* source, short row) : ItemEvent(source), _row(row) {}
    short GetListItem() const { return _row; }

private:
    short _row;
};

class ListBoxDoubleClickEvent : public ListBoxClickEvent {
    using ListBoxClickEvent::ListBoxClickEvent;
};

class ListBoxTabItemUpdateEvent : public ItemEvent {
public:
    ListBoxTabItemUpdateEvent(Item* source, short row, short field, double width, double height, DrawContext& context)
        : ItemEvent(source), _row(row), _field(field), _width(width), _height(height), _context(&context) {}
    short GetListItem() const { return _row; }
    short GetTabFieldIndex() const { return _field; }
    double GetWidth() const { return _width; }
    double GetHeight() const { return _height; }
    DrawContext& GetDrawContext() const { return *_context; }

private:
    short _row;
    short _field;
    double _width;
    double _height;
    DrawContext* _context;
};

// Detaches itself from every item it is still attached to when destroyed.
class ItemObserver {
public:
    ItemObserver() = default;
    ItemObserver(const ItemObserver&) = delete;
    ItemObserver& operator=(const ItemObserver&) = delete;
    virtual ~ItemObserver();

private:
    friend class Item;
    friend class CompoundItemObserver;
    struct Attachment {
        std::weak_ptr<Detail::PanelState> panel;
        short item;
    };
    void AttachTo(const std::shared_ptr<Detail::PanelState>& panel, short item);
    void DetachFrom(const std::shared_ptr<Detail::PanelState>& panel, short item);
    std::vector<Attachment> _attachments;
};

class ButtonItemObserver : public virtual ItemObserver {
public:
    virtual void ButtonClicked(const ButtonClickEvent& /*ev*/) {}
};

class PopUpObserver : public virtual ItemObserver {
public:
    virtual void PopUpChanged(const PopUpChangeEvent& /*ev*/) {}
};

class ListBoxObserver : public virtual ItemObserver {
public:
    virtual void ListBoxSelectionChanged(const ListBoxSelectionEvent& /*ev*/) {}
    virtual void ListBoxClicked(const ListBoxClickEvent& /*ev*/) {}
    virtual void ListBoxDoubleClicked(const ListBoxDoubleClickEvent& /*ev*/) {}
    // One owner-drawn cell to draw.
    virtual void ListBoxTabFieldUpdate(const ListBoxTabItemUpdateEvent& /*ev*/) {}
};

// Attaches the observer's item interfaces to every item of a panel at once.
class CompoundItemObserver : public virtual ItemObserver {
public:
    void AttachToAllItems(const Panel& panel);
    void DetachFromAllItems(const Panel& panel);
};

}  // namespace DG
