#pragma once
// Work that must not run inside the handler that wants it (an alert, a modal
// dialog, a command that notifies again, the deletion of the palette) is
// posted here and runs later on the host's main loop, once, after the current
// handler has returned. A posted function owns what it captured until it has
// run; an exception it throws is logged and goes no further.
//
//   UI::MainMessageLoop::Execute([connection] { connection->RefreshIssues(); });
#include <functional>

namespace TessaryConnect::UI::MainMessageLoop {

// Returns as soon as the function is handed over; it has not run yet.
void Execute(std::function<void()> function);

}  // namespace TessaryConnect::UI::MainMessageLoop
