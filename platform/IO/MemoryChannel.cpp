#include "IO/MemoryChannel.hpp"

#include <cstring>

namespace IO {

MemoryOChannel32::MemoryOChannel32(PK::USize initialSize, PK::USize /*increment*/, int allocationMode)
    : _capacityLimit(allocationMode == FixedSize ? initialSize : 0xFFFFFFFFu) {
    _buffer.reserve(initialSize);
}

PKErrCode MemoryOChannel32::PutBytes(const void* data, PK::USize size) {
    if (size > _capacityLimit - _buffer.size()) return PK::Error;
    const char* bytes = static_cast<const char*>(data);
    _buffer.insert(_buffer.end(), bytes, bytes + size);
    return PK::NoError;
}

PKErrCode MemoryOChannel32::PatchBytes(PK::USize position, const void* data, PK::USize size) {
    if (position > _buffer.size() || size > _buffer.size() - position) return PK::BadData;
    std::memcpy(_buffer.data() + position, data, size);
    return PK::NoError;
}

MemoryIChannel32::MemoryIChannel32(const void* source, PK::USize size)
    : _source(static_cast<const char*>(source)), _size(source == nullptr ? 0 : size) {}

PKErrCode MemoryIChannel32::GetBytes(void* data, PK::USize size) {
    if (size > _size - _offset) return PK::EndOfInput;
    if (size > 0) std::memcpy(data, _source + _offset, size);
    _offset += size;
    return PK::NoError;
}

PKErrCode MemoryIChannel32::SkipBytes(PK::USize size) {
    if (size > _size - _offset) return PK::EndOfInput;
    _offset += size;
    return PK::NoError;
}

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
