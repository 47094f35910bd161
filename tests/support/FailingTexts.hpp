#pragma once
// The host interface, but a read of the add-on's resource texts fails when a test says so. Nothing the simulated host
// does makes a text unreadable, yet the panels build their rows from texts and must come out of a failure in the middle
// of that: this stands in for it. Everything else is the real interface over the simulated host.
#include <stdexcept>

#include "Torvel/Implementation/Torvel.hpp"

namespace TestSupport {

class FailingTexts : public TessaryConnect::Implementation::Torvel {
public:
    // The nth read from now of a text of that string list throws.
    void FailRead(int resID, int nth = 1) { _resID = resID, _countdown = nth; }

    PK::UniString GetResourceString(int resID, int index) override {
        if (resID == _resID && --_countdown == 0) {
            _resID = 0;
            throw std::runtime_error("text unreadable");
        }
        return Torvel::GetResourceString(resID, index);
    }

private:
    int _resID = 0;
    int _countdown = 0;
};

}  // namespace TestSupport
