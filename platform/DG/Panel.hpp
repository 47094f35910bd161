#pragma once
// Panels of the dialog library: the windows that dialog items are built on,
// each item with its number. A panel made from a dialog resource of a module
// ("Dialog-<id>.txt": a "size" line "<width> <height>", and one "item" line per
// item, "<number> <kind> <left> <top> <width> <height>[ <text>]") has those
// items from the start, with their places and initial texts; the add-on's item
// objects bind to them by number. A panel made without a resource makes each
// item as it is bound.
//
// Observers hear of the panel being opened, resized and asked to close;
// dialog items tell theirs of what the user did (DG/Items.hpp). Headless,
// nobody acts on a panel but the tests: TVSim/Dialogs.hpp.
#include <memory>
#include <vector>

#include "PK/UniString.hpp"
#include "RS/Resources.hpp"

namespace TVSim::Dialogs {
struct Access;
}

namespace DG {

namespace Detail {
struct PanelState;
struct HostState;
}  // namespace Detail

class Item;
class Panel;

class PanelEvent {
public:
    explicit PanelEvent(Panel* source) : _source(source) {}
    Panel* GetSource() const { return _source; }

private:
    Panel* _source;
};

class PanelOpenEvent : public PanelEvent {
    using PanelEvent::PanelEvent;
};

class PanelCloseRequestEvent : public PanelEvent {
    using PanelEvent::PanelEvent;
};

class PanelResizeEvent : public PanelEvent {
public:
    PanelResizeEvent(Panel* source, short dx, short dy) : PanelEvent(source), _dx(dx), _dy(dy) {}
    short GetHorizontalChange() const { return _dx; }
    short GetVerticalChange() const { return _dy; }

private:
    short _dx;
    short _dy;
};

// Detaches itself from every panel it is still attached to when destroyed.
class PanelObserver {
public:
    PanelObserver() = default;
    PanelObserver(const PanelObserver&) = delete;
    PanelObserver& operator=(const PanelObserver&) = delete;
    virtual ~PanelObserver();

    virtual void PanelOpened(const PanelOpenEvent& /*ev*/) {}
    virtual void PanelResized(const PanelResizeEvent& /*ev*/) {}
    // Set *accepted to agree that the panel closes.
    virtual void PanelCloseRequested(const PanelCloseRequestEvent& /*ev*/, bool* /*accepted*/) {}

private:
    friend class Panel;
    std::vector<std::weak_ptr<Detail::PanelState>> _panels;
};

class Panel {
public:
    // A panel without a dialog resource.
    Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;
    virtual ~Panel();

    // False for a panel whose dialog resource does not exist.
    bool IsValid() const;
    short GetResourceId() const;

    void Attach(PanelObserver& observer);
    void Detach(PanelObserver& observer);

    // Showing a hidden panel opens it: its observers hear PanelOpened.
    virtual void Show(short refCon = 0);
    virtual void Hide();
    bool IsVisible() const;
    void BeginEventProcessing();
    void EndEventProcessing();
    bool IsEventProcessing() const;
    // Asks the observers whether the panel may close; true when one accepted.
    bool SendCloseRequest();
    // Whether the user can act on the panel's items at all.
    void EnableItems();
    void DisableItems();

    void SetTitle(const PK::UniString& title);
    PK::UniString GetTitle() const;
    double GetClientWidth() const;
    double GetClientHeight() const;

    // The add-on's object for the item of that number, or null.
    Item* GetItem(short item) const;
    // The numbers of the panel's items, in order.
    std::vector<short> GetItemNumbers() const;

protected:
    Panel(PKResModule module, short resID);

private:
    friend class Browser;
    friend class Item;
    friend class TabControl;
    friend class TabPage;
    friend class ModalDialog;
    friend class CompoundItemObserver;
    friend struct TVSim::Dialogs::Access;
    std::shared_ptr<Detail::PanelState> _state;
};

// The tab control of a roll panel, which hosts the panel's pages.
class TabControl {
public:
    TabControl();
    TabControl(const TabControl&) = delete;
    TabControl& operator=(const TabControl&) = delete;
    ~TabControl();

    // Enabling the tab control enables the user's input on its pages.
    void SetEnabled(bool enabled);
    bool IsEnabled() const;
    // The panel that holds the tab control: disabling its items takes the input from the pages as well.
    void SetOwner(const Panel& owner);
    // The pages made on it, in the order they were made.
    std::vector<Panel*> GetPages() const;

private:
    friend class TabPage;
    std::shared_ptr<Detail::HostState> _host;
    mutable std::vector<std::weak_ptr<Detail::PanelState>> _pages;
};

class TabPage : public Panel {
public:
    TabPage(const TabControl& tabControl, short tabItem, PKResModule module, short resID, PKResModule iconModule);
    short GetTabItem() const { return _tabItem; }

private:
    short _tabItem;
};

// A dialog that runs modally: Invoke returns once it was asked to close. The
// user is a driver the test registers for the dialog's resource id.
class ModalDialog : public Panel {
public:
    enum ModalResponse { Accept = 1, Cancel = 2 };

    ModalDialog(PKResModule module, short resID, PKResModule iconModule);

    // Opens the dialog and runs it until a close request; true when it closed with Accept.
    bool Invoke();
    // Closes the running dialog with the response once the current event returns.
    void PostCloseRequest(ModalResponse response);
};

}  // namespace DG
