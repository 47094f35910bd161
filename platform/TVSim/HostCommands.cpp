// Commands: the host runs the add-on's body at once, inside an undo step or
// outside the undo history. A command started inside another one runs as
// part of the outer one; the host keeps no separate step for it. What an
// undoable step changes is kept for undo (SimUndo.cpp).
#include "TVSim/SimState.hpp"

using TVSim::Detail::CallIntoAddOn;
using TVSim::Detail::Function;
using TVSim::Detail::FunctionCounter;
using TVSim::Detail::Host;
using TVSim::Detail::HostCall;
using TVSim::Detail::OpenState;
using TVSim::Detail::ProjectState;

namespace {

PKErrCode RunCommand(FunctionCounter& function, const PK::UniString& name, const APICommandProc& command,
                     bool undoable) {
    HostCall call(function);
    call.Args(name);
    ProjectState* state = call.OpenProject();
    if (state == nullptr) return call.Refusal();
    if (!command) return call.Answer(APIERR_BADPARS);
    const bool outermost = Host().commandDepth == 0;
    if (outermost) {
        state->undoSteps.push_back({name, undoable, {}, NoError});
        if (undoable) state->recording.emplace();
    }
    const std::size_t step = state->undoSteps.size();
    ++Host().commandDepth;
    const PKErrCode result = CallIntoAddOn(function.Name(), command);
    --Host().commandDepth;
    // The body may have closed the project; then there is no step to finish.
    if (outermost && OpenState() == state) {
        state->undoSteps[step - 1].result = result;
        state->EndStep();
    }
    return call.Answer(result);
}

}  // namespace

PKErrCode TVAPI_CallUndoableCommand(const PK::UniString& undoString, const APICommandProc& command) {
    return RunCommand(Function<"TVAPI_CallUndoableCommand">(), undoString, command, true);
}

PKErrCode TVAPI_CallCommand(const PK::UniString& commandName, const APICommandProc& command) {
    return RunCommand(Function<"TVAPI_CallCommand">(), commandName, command, false);
}
