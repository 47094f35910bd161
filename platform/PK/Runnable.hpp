#pragma once
// Deferred work on the host's main thread. Code posts a task through a
// MessageLoopExecutor; the host's main loop runs posted tasks in order once
// the current call has returned. Here the loop is an explicit queue: the
// simulated host (or a test) drains it with MainMessageLoop::RunPending.
#include <memory>

#include "PK/Types.hpp"

namespace PK {

class Runnable {
public:
    virtual ~Runnable() = default;
    virtual void Run() = 0;
};

using RunnableTask = std::shared_ptr<Runnable>;

class MessageLoopExecutor {
public:
    // Queues the task for the main loop and returns at once.
    void Execute(const RunnableTask& task);
};

namespace MainMessageLoop {
// Runs queued tasks, including ones queued while running, until the queue is
// empty; returns how many ran. An exception from a task is the task's fault and
// propagates: well-behaved tasks catch their own.
USize RunPending();
// As RunPending, but stops after at most limit tasks: for tests of work that
// might keep re-posting itself.
USize RunPending(USize limit);
USize GetPendingCount();
void Clear();
// True while a posted task runs (and whatever it calls).
bool IsRunningTask();
}  // namespace MainMessageLoop

}  // namespace PK
