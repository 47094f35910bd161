#pragma once
// A dialog panel: the window that dialog items (a browser control, say) are
// built on, each with its item number.
namespace DG {

class Panel {
public:
    Panel() = default;
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;
    virtual ~Panel() = default;
};

}  // namespace DG
