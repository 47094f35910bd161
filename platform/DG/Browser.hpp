#pragma once
// A browser control as a dialog item: built on a panel, with its item number.
#include "DG/BrowserBase.hpp"
#include "DG/Panel.hpp"

namespace DG {

class Browser : public BrowserBase {
public:
    Browser(const Panel& panel, short item) : _panel(&panel), _item(item) {}

    const Panel& GetPanel() const { return *_panel; }
    short GetId() const { return _item; }

private:
    const Panel* _panel;
    short _item;
};

}  // namespace DG
