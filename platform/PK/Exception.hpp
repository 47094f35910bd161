#pragma once
// Exceptions of the class library. All derive from std::exception, so a
// catch of std::exception at an entry point logs their text.
#include <exception>
#include <string>

namespace PK {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : _message(std::move(message)) {}
    const char* what() const noexcept override { return _message.c_str(); }

private:
    std::string _message;
};

// A counted reference cast to a kind its object is not.
class ClassCastException : public Exception {
public:
    ClassCastException() : Exception("Bad cast.") {}
};

// An empty counted reference read through.
class NullReferenceException : public Exception {
public:
    NullReferenceException() : Exception("Null reference.") {}
};

}  // namespace PK
