#pragma once
// Carries a typed error out of a host command. The host command's wrapper
// catches and logs everything its body throws, so a caller that must react to
// one particular failure runs the body through Try inside the command and
// calls RethrowIfCatched once the command has returned:
//
//   Model::Error::TypedErrorExceptor exceptor;
//   tv.CallUndoableCommand(name, [&] { exceptor.Try([&] { ... }); });
//   exceptor.RethrowIfCatched();
#include <exception>
#include <functional>
#include <memory>

namespace TessaryConnect::Model::Error {

class TypedErrorExceptor {
public:
    // Runs the function; what it throws is kept (replacing anything kept
    // before), never passed on.
    void Try(const std::function<void()>& function);
    // Throws a copy of the kept error with its own type; an exception that was
    // no std::exception comes back as std::runtime_error "TypedErrorExceptor:
    // unknown". Returns when nothing was caught. The error stays kept.
    void RethrowIfCatched() const;

private:
    std::unique_ptr<std::exception> _error;
    bool _unknownCaught = false;
};

}  // namespace TessaryConnect::Model::Error
