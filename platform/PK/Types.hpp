#pragma once
// Basic scalar types and error codes of the class library.
#include <cstddef>
#include <cstdint>

namespace PK {

using Int8 = std::int8_t;
using UInt8 = std::uint8_t;
using Int16 = std::int16_t;
using UInt16 = std::uint16_t;
using Int32 = std::int32_t;
using UInt32 = std::uint32_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;
using USize = std::size_t;
using UniChar = char16_t;

using ErrCode = Int32;
constexpr ErrCode NoError = 0;
// Generic failures of the class library itself (channels, frames, conversions).
constexpr ErrCode ErrorFlag = static_cast<ErrCode>(0x80000000u);
constexpr ErrCode Error = ErrorFlag | 0x1;
constexpr ErrCode EndOfInput = ErrorFlag | 0x2;
constexpr ErrCode BadData = ErrorFlag | 0x3;

constexpr USize MaxUSize = static_cast<USize>(-1);

}  // namespace PK

using PKErrCode = PK::ErrCode;
