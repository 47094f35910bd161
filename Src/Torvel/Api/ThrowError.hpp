#pragma once
// Turns a failed class-library or host code into the typed host exception,
// after the trace line every such throw leaves in the log. A macro so the
// line carries the caller's source location.
#include "Torvel/Api/Error.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Api::Detail {
// The host name of a code, or "APIERR_?" for codes the host does not name
// (the class library's own channel codes among them), matching the text of
// the exception that follows.
inline const char* ErrCodeNameOrUnknown(int errCode) {
    const char* name = _MapPKErrCodeToStr(errCode);
    return name != nullptr ? name : "APIERR_?";
}
}  // namespace TessaryConnect::Api::Detail

#define TC_LOG_AND_THROW_ERRCODE(errCode)                                                    \
    do {                                                                                     \
        const int tcErrCode_ = (errCode);                                                    \
        LOG_TRACE("GeneralError exception will be thrown: {}({})",                           \
                  ::TessaryConnect::Api::Detail::ErrCodeNameOrUnknown(tcErrCode_), tcErrCode_); \
        _MapPKErrCodeAndThrow(tcErrCode_);                                                   \
    } while (false)
