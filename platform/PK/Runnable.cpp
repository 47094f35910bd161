#include "PK/Runnable.hpp"

#include <deque>

namespace PK {

namespace {
std::deque<RunnableTask>& Queue() {
    static std::deque<RunnableTask> queue;
    return queue;
}

int running = 0;

// Counts the task as running for as long as it runs, also when it throws.
struct Running {
    Running() { ++running; }
    ~Running() { --running; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
};
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
        const Running marker;
        task->Run();
        ++ran;
    }
    return ran;
}

USize GetPendingCount() { return Queue().size(); }

void Clear() { Queue().clear(); }

bool IsRunningTask() { return running > 0; }

}  // namespace MainMessageLoop

}  // namespace PK
