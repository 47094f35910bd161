#pragma once
// Every entry of the palette from the host's dialog library or from the
// model's synchronous events runs guarded: an exception goes no further than
// the handler, which logs it at error level with its own source location.
//
//   void Page::PanelResized(const DG::PanelResizeEvent& ev) {
//       TC_GUARDED([&] { ... });
//   }
#include "Util/LogCaught.hpp"

namespace TessaryConnect::UI {

template <typename Body>
void Guarded(const spdlog::source_loc& where, Body&& body) {
    try {
        body();
    } catch (...) {
        Util::LogCaught(where, spdlog::level::err);
    }
}

}  // namespace TessaryConnect::UI

#define TC_GUARDED(body) ::TessaryConnect::UI::Guarded(TC_SOURCE_LOC, body)
