#include "UI/MainMessageLoop.hpp"

#include <memory>

#include "PK/Runnable.hpp"
#include "Util/RunnableLambda.hpp"

namespace TessaryConnect::UI::MainMessageLoop {

namespace {
PK::MessageLoopExecutor executor;
}  // namespace

void Execute(std::function<void()> function) {
    const PK::RunnableTask task(new RunnableLambda(std::move(function)));
    executor.Execute(task);
}

}  // namespace TessaryConnect::UI::MainMessageLoop
