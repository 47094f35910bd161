#include "PK/Time.hpp"

#include <chrono>
#include <optional>

namespace {
std::optional<PK::Int32>& Pinned() {
    static std::optional<PK::Int32> pinned;
    return pinned;
}
}  // namespace

PK::Int32 TIGetTime() {
    if (Pinned()) return *Pinned();
    auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<PK::Int32>(std::chrono::duration_cast<std::chrono::seconds>(now).count());
}

namespace PK::Clock {
void Set(Int32 seconds) { Pinned() = seconds; }
void Advance(Int32 seconds) { Pinned() = TIGetTime() + seconds; }
void UseSystemTime() { Pinned().reset(); }
}  // namespace PK::Clock
