#pragma once
#include <functional>

#include "PK/Runnable.hpp"

namespace TessaryConnect {

// Work posted to the host's main loop. Run never lets an exception escape into
// the host: failures of the callable are logged at critical level.
class RunnableLambda : public PK::Runnable {
public:
    explicit RunnableLambda(std::function<void()> callable) : _callable(std::move(callable)) {}
    void Run() override;

private:
    std::function<void()> _callable;
};

}  // namespace TessaryConnect
