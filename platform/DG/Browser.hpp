#pragma once
// A browser control as a dialog item: built on a panel, with its item number.
// It touches the panel only when it is placed (Move, Resize, GetRect), so it
// may be made before the panel it names is complete.
#include "DG/BrowserBase.hpp"
#include "DG/Drawing.hpp"
#include "DG/Panel.hpp"

namespace DG {

class Browser : public BrowserBase {
public:
    Browser(const Panel& panel, short item) : _panel(&panel), _item(item) {}

    const Panel& GetPanel() const { return *_panel; }
    short GetId() const { return _item; }

    void Move(double dx, double dy);
    // Grows the control by dx and dy (shrinks when negative).
    void Resize(double dx, double dy);
    Rect GetRect() const;
    double GetWidth() const { return GetRect().GetWidth(); }
    double GetHeight() const { return GetRect().GetHeight(); }

private:
    const Panel* _panel;
    short _item;
};

}  // namespace DG
