#pragma once
// The offline loader page: every navigation of the add-on's own goes through
// it. Online, it forwards to the target; offline, it tells the user so and
// waits until the browser is sent home again.
#include <cstdint>

#include "PK/UniString.hpp"

namespace TessaryConnect::Implementation {

// The loader page for the target address. With a retry delay (ms) the page,
// when online, forwards only once the delay has passed: after a failed load
// of the service, forwarding at once would fail again at once.
PK::UniString GetUrlLoaderHtml(const PK::UniString& target, std::uint32_t retryDelay = 0);

}  // namespace TessaryConnect::Implementation
