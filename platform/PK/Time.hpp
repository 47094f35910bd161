#pragma once
// The class library's time stamp: seconds since 1970 as a signed 32-bit value.
// Tests can pin the clock so creation and removal stamps are predictable.
#include "PK/Types.hpp"

PK::Int32 TIGetTime();

namespace PK::Clock {
void Set(Int32 seconds);
void Advance(Int32 seconds);
void UseSystemTime();
}  // namespace PK::Clock
