#pragma once
// The one re-targetable reference to the web page. The manager makes it and
// shares it (by shared pointer) with the connection factory and every
// connection, so pointing it at a new page, or at none, reaches them all at
// once. It never owns the page: a closed browser panel leaves it empty, and
// every user locks it and skips its page message when Lock answers nothing.
#include <memory>

namespace TessaryConnect::Api {
class Tessary;
}

namespace TessaryConnect::Model {

class TessaryPtr {
public:
    explicit TessaryPtr(std::weak_ptr<Api::Tessary> tessary = {}) : _tessary(std::move(tessary)) {}

    void Reset(std::weak_ptr<Api::Tessary> tessary) { _tessary = std::move(tessary); }
    // The page, or nothing when it is gone or was never set.
    std::shared_ptr<Api::Tessary> Lock() const { return _tessary.lock(); }

private:
    std::weak_ptr<Api::Tessary> _tessary;
};

}  // namespace TessaryConnect::Model
