#include "PK/Runnable.hpp"

#include <deque>

namespace PK {

namespace {
std::deque<RunnableTask>& Queue() {
    static std::deque<RunnableTask> queue;
    return queue;
}
}  // namespace

void MessageLoopExecutor::Execute(const RunnableTask& task) {
    if (task) Queue().push_back(task);
}

namespace MainMessageLoop {

USize RunPending() { return RunPending(MaxUSize); }

USize RunPending(USize limit) {
    USize ran = 0;
    while (!Queue().empty() && ran < limit) {
        RunnableTask task = std::move(Queue().front());
        Queue().pop_front();
        task->Run();
        ++ran;
    }
    return ran;
}

USize GetPendingCount() { return Queue().size(); }

void Clear() { Queue().clear(); }

}  // namespace MainMessageLoop

}  // namespace PK
