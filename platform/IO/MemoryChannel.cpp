#include "IO/MemoryChannel.hpp"

#include <algorithm>
#include <cstring>

namespace IO {

MemoryOChannel32::MemoryOChannel32(PK::USize initialSize, PK::USize /*increment*/, int allocationMode)
    : _capacityLimit(allocationMode == FixedSize ? initialSize : 0xFFFFFFFFu) {
    if (initialSize == 0) return;
    _buffer = std::make_unique_for_overwrite<PK::UInt8[]>(initialSize);
    _capacity = initialSize;
    SetPutArea(_buffer.get(), 0, _buffer.get(), _buffer.get() + _capacity);
}

PKErrCode MemoryOChannel32::PutBytes(const void* data, PK::USize size) {
    const PK::USize used = GetDataSize();
    if (size > _capacityLimit - used) return PK::Error;
    PK::USize capacity = std::max({used + size, 2 * _capacity, PK::USize(256)});
    capacity = std::min(capacity, _capacityLimit);
    auto grown = std::make_unique_for_overwrite<PK::UInt8[]>(capacity);
    if (used > 0) std::memcpy(grown.get(), _buffer.get(), used);
    std::memcpy(grown.get() + used, data, size);
    _buffer = std::move(grown);
    _capacity = capacity;
    SetPutArea(_buffer.get(), 0, _buffer.get() + used + size, _buffer.get() + _capacity);
    return PK::NoError;
}

PKErrCode MemoryOChannel32::PatchBytes(PK::USize, const void*, PK::USize) {
    return PK::BadData;  // the window holds everything written: nothing lies outside it
}

MemoryIChannel32::MemoryIChannel32(const void* source, PK::USize size) {
    if (source == nullptr) return;
    const auto* bytes = static_cast<const PK::UInt8*>(source);
    SetGetArea(bytes, bytes + size);
}

PKErrCode MemoryIChannel32::GetBytes(void*, PK::USize) { return PK::EndOfInput; }

PKErrCode MemoryIChannel32::SkipBytes(PK::USize) { return PK::EndOfInput; }

namespace {
bool OrderOfSign(PK::UInt16 sign, PK::ByteOrder& order) {
    switch (sign) {
        case PlatformSignLittleEndian:
        case PlatformSignWindows:
            order = PK::ByteOrder::LittleEndian;
            return true;
        case PlatformSignBigEndian:
            order = PK::ByteOrder::BigEndian;
            return true;
        default:
            return false;
    }
}
}  // namespace

PKErrCode SetPlatformIProtocol(PK::IChannel& channel, PK::UInt16 platformSign) {
    PK::ByteOrder order;
    if (!OrderOfSign(platformSign, order)) return PK::BadData;
    channel.SetByteOrder(order);
    return PK::NoError;
}

PKErrCode SetPlatformOProtocol(PK::OChannel& channel, PK::UInt16 platformSign) {
    PK::ByteOrder order;
    if (!OrderOfSign(platformSign, order)) return PK::BadData;
    channel.SetByteOrder(order);
    return PK::NoError;
}

}  // namespace IO
