#pragma once
// Host error codes as exceptions: one type per code, all deriving from
// GeneralError, so a caller catches exactly the host condition it handles
// (for example Error<APIERR_NOPLAN>) and lets everything else travel on.
#include <exception>
#include <string>

#include "TVAPI/APIErrors.hpp"
#include "Util/AddonRuntimeError.hpp"

namespace TessaryConnect::Api {

class GeneralError : public std::exception {
public:
    explicit GeneralError(int errCode);
    const char* what() const noexcept override { return _message.c_str(); }
    int GetCode() const { return _errCode; }

    friend bool operator==(const GeneralError& e, int code) { return e._errCode == code; }
    friend bool operator==(const GeneralError& a, const GeneralError& b) { return a._errCode == b._errCode; }

private:
    std::string _message;
    int _errCode;
};

template <int code>
class Error : public GeneralError {
public:
    Error() : GeneralError(code) {}

protected:
    explicit Error(int refinedCode) : GeneralError(refinedCode) {}
};

// The host tells an element deleted in this session from an id it never
// knew; to every caller that handles an unknown id both mean "gone", so a
// deleted element is caught as Error<APIERR_BADID> too, still carrying its
// own code and text for whoever needs the difference.
template <>
class Error<APIERR_DELETED> : public Error<APIERR_BADID> {
public:
    Error() : Error<APIERR_BADID>(APIERR_DELETED) {}
};

class ErrorClassificationManagerNoAccessRight : public Error<APIERR_NOACCESSRIGHT> {
public:
    const char* what() const noexcept override {
        return "ErrorClassificationManagerNoAccessRight(APIERR_NOACCESSRIGHT)";
    }
};

class ErrorPropertyManagerNoAccessRight : public Error<APIERR_NOACCESSRIGHT> {
public:
    const char* what() const noexcept override { return "ErrorPropertyManagerNoAccessRight(APIERR_NOACCESSRIGHT)"; }
};

}  // namespace TessaryConnect::Api

// The host name of a code ("APIERR_NOPLAN"), or nullptr for unnamed codes and zero.
const char* _MapPKErrCodeToStr(int errCode);
// Throws the Error<code> type of a named code, otherwise a plain GeneralError.
[[noreturn]] void _MapPKErrCodeAndThrow(int errCode);
