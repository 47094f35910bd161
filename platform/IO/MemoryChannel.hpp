#pragma once
// Channels over memory: the output channel grows a buffer of its own, the
// input channel reads a caller's buffer without taking it over. Both lend
// their channel the whole buffer as its window.
#include <memory>

#include "PK/Channel.hpp"

namespace IO {

// Platform signs of stored data: which byte order the writer used.
constexpr PK::UInt16 PlatformSignLittleEndian = 0x6D6D;  // 'mm', this platform's own
constexpr PK::UInt16 PlatformSignWindows = 0x5757;       // 'WW', little-endian as well
constexpr PK::UInt16 PlatformSignBigEndian = 0x4D4D;     // 'MM'

class MemoryOChannel32 : public PK::OChannel {
public:
    enum AllocationMode { FixedSize = 0, Growing = 1 };

    // A Growing channel takes any amount; a FixedSize one refuses to pass
    // initialSize bytes. increment 0 lets the buffer grow geometrically.
    explicit MemoryOChannel32(PK::USize initialSize = 0, PK::USize increment = 0, int allocationMode = Growing);

    const char* GetDestination() const { return reinterpret_cast<const char*>(_buffer.get()); }
    PK::USize GetDataSize() const { return static_cast<PK::USize>(GetPutPointer() - _buffer.get()); }

protected:
    PKErrCode PutBytes(const void* data, PK::USize size) override;
    PKErrCode PatchBytes(PK::USize position, const void* data, PK::USize size) override;

private:
    std::unique_ptr<PK::UInt8[]> _buffer;
    PK::USize _capacity = 0;
    PK::USize _capacityLimit;
};

class MemoryIChannel32 : public PK::IChannel {
public:
    // The bytes stay the caller's and must outlive the channel.
    MemoryIChannel32(const void* source, PK::USize size);

protected:
    // Called only past the end of the buffer.
    PKErrCode GetBytes(void* data, PK::USize size) override;
    PKErrCode SkipBytes(PK::USize size) override;
    PK::USize GetRemainingSize() const override { return GetWindowSize(); }
};

// Selects the byte order an input channel decodes numbers with, from the
// platform sign stored with the data. An unknown sign is refused (BadData)
// and leaves the channel as it was.
PKErrCode SetPlatformIProtocol(PK::IChannel& channel, PK::UInt16 platformSign);
// The same for writing, so data of another platform can be produced.
PKErrCode SetPlatformOProtocol(PK::OChannel& channel, PK::UInt16 platformSign);

}  // namespace IO
