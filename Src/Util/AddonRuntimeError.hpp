#pragma once
#include <exception>
#include <string>

#include "Util/Log.hpp"

namespace TessaryConnect {

// Thrown by the add-on's own failed checks, in every layer; built with TC_THROW_RUNTIME so the
// text carries the source location.
class AddonRuntimeError : public std::exception {
public:
    explicit AddonRuntimeError(std::string message) : _message(std::move(message)) {}
    const char* what() const noexcept override { return _message.c_str(); }

private:
    std::string _message;
};

}  // namespace TessaryConnect

// Throws AddonRuntimeError with "<source path>:<line>: error: <text>".
#define TC_THROW_RUNTIME(text) \
    throw ::TessaryConnect::AddonRuntimeError(::TessaryConnect::FormatRuntimeError(__FILE__, __LINE__, text))
