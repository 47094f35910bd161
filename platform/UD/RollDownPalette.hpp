#pragma once
// The user-dialog library's roll-down palette: a modeless panel whose surface
// holds roll panels one below the other. Roll panels are made in order by the
// surface's container and owned by the palette; each has a title, an icon,
// an enabled and an expanded state, two settings and a tab control on which
// the add-on builds its pages (DG::TabPage). Disabling a roll panel takes the
// user's input from its pages, and so does disabling the palette's items.
// Showing the palette opens it and its pages.
#include <memory>
#include <vector>

#include "DG/Drawing.hpp"
#include "DG/Panel.hpp"
#include "PK/Guid.hpp"
#include "PK/UniString.hpp"

namespace UD {

class IRollPanel;

class RollPanelObserver {
public:
    RollPanelObserver() = default;
    RollPanelObserver(const RollPanelObserver&) = delete;
    RollPanelObserver& operator=(const RollPanelObserver&) = delete;
    virtual ~RollPanelObserver() = default;

    virtual void RollPanelExpanded(IRollPanel& /*panel*/, bool /*expanded*/) {}
};

class IRollPanel {
public:
    IRollPanel() = default;
    IRollPanel(const IRollPanel&) = delete;
    IRollPanel& operator=(const IRollPanel&) = delete;

    DG::TabControl* GetTabControl() { return &_tabControl; }

    void SetTitle(const PK::UniString& title) { _title = title; }
    const PK::UniString& GetTitle() const { return _title; }
    void SetIcon(const DG::Icon& icon) { _icon = icon; }
    const DG::Icon& GetIcon() const { return _icon; }
    void Enable() { _tabControl.SetEnabled(true); }
    void Disable() { _tabControl.SetEnabled(false); }
    bool IsEnabled() const { return _tabControl.IsEnabled(); }
    // Observers hear of a change of the expanded state.
    void Expand(bool expand);
    bool IsExpanded() const { return _expanded; }
    // Whether the panel takes the height the surface has to spare.
    void SetStretchable(bool stretchable) { _stretchable = stretchable; }
    bool IsStretchable() const { return _stretchable; }
    void SetGrowType(short growType) { _growType = growType; }
    short GetGrowType() const { return _growType; }

    void Attach(RollPanelObserver& observer);
    void Detach(RollPanelObserver& observer);

private:
    DG::TabControl _tabControl;
    PK::UniString _title;
    DG::Icon _icon;
    bool _expanded = true;
    bool _stretchable = false;
    short _growType = 0;
    std::vector<RollPanelObserver*> _observers;
};

class IRollPanelContainer {
public:
    // Appends a new roll panel (style 0: the standard one); null when the host has run out of them.
    IRollPanel* CreateRollPanel(short style);
    std::size_t GetRollPanelCount() const { return _panels.size(); }
    IRollPanel* GetRollPanel(std::size_t index) const { return _panels.at(index).get(); }

private:
    friend class RollDownPalette;
    DG::Panel* _owner = nullptr;
    std::vector<std::unique_ptr<IRollPanel>> _panels;
};

class RollDownSurface {
public:
    IRollPanelContainer* GetPanelContainer() { return &_container; }

private:
    IRollPanelContainer _container;
};

class RollDownPalette : public DG::Panel {
public:
    RollDownPalette(const PK::Guid& guid, short closeType, short captionType, short frameType);

    const PK::Guid& GetGuid() const { return _guid; }
    RollDownSurface* GetRollDownSurface() { return &_surface; }
    void SetMinClientSize(short width, short height);
    short GetMinClientWidth() const { return _minWidth; }
    short GetMinClientHeight() const { return _minHeight; }
    void SetGrowType(short growType) { _growType = growType; }
    short GetGrowType() const { return _growType; }

    // Opens the palette and then the pages of its roll panels, when it was hidden.
    void Show(short refCon = 0) override;
    // Hides the palette and its pages.
    void Hide() override;

private:
    std::vector<DG::Panel*> GetPages();

    PK::Guid _guid;
    RollDownSurface _surface;
    short _minWidth = 0;
    short _minHeight = 0;
    short _growType = 0;
};

}  // namespace UD
