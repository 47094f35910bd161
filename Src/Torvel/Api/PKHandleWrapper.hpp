#pragma once
// Sole owner of one host memory block. Persisted model objects become bytes
// in such a block (CreateForObject) and are read back from one (FillObject);
// the block is freed when the wrapper dies unless Release hands it on.
#include <iosfwd>
#include <string>

#include "IO/MemoryChannel.hpp"
#include "PK/Memory.hpp"
#include "Torvel/Api/ThrowError.hpp"

namespace TessaryConnect::Api {

class PKHandleWrapper {
public:
    PKHandleWrapper() = default;
    // Takes the block over; the caller must not free it any more.
    explicit PKHandleWrapper(PKHandle&& handle) : _handle(handle) {}
    // A deep copy: a block of its own with the same bytes.
    PKHandleWrapper(const PKHandleWrapper& other);
    PKHandleWrapper(PKHandleWrapper&& other) noexcept : _handle(other._handle) { other._handle = nullptr; }
    PKHandleWrapper& operator=(PKHandleWrapper&& other) noexcept;
    PKHandleWrapper& operator=(const PKHandleWrapper&) = delete;
    ~PKHandleWrapper();

    // Hands the block to the caller, who frees it from then on.
    [[nodiscard]] PKHandle Release() &&;
    // Frees the held block and takes the given one; passing the held block itself changes nothing.
    void Set(PKHandle&& handle);

    PKHandle Get() const { return _handle; }
    // For host calls that fill a handle in place.
    PKHandle* GetPtr() { return &_handle; }
    bool IsNull() const { return _handle == nullptr; }

    static PKHandleWrapper CreateFromCopy(PKHandle handle);

    // The block's bytes as lowercase hexadecimal; "00" for no block.
    std::string ToHexEncodedString() const;

    // The object's stored record in a new block. Channel errors are thrown as host errors.
    template <typename T>
    static PKHandleWrapper CreateForObject(const T& object);
    // Reads the object from the block; false for a null handle. Channel errors are thrown.
    template <typename T>
    static bool FillObject(PKHandle handle, T& object);

private:
    void Free();

    PKHandle _handle = nullptr;
};

std::ostream& operator<<(std::ostream& os, const PKHandleWrapper& wrapper);

namespace Detail {
std::string HexOfHandle(PKHandle handle);
// A new block holding the channel's bytes; throws std::bad_alloc when none can be had.
PKHandle HandleFromChannel(const IO::MemoryOChannel32& channel);
}  // namespace Detail

template <typename T>
PKHandleWrapper PKHandleWrapper::CreateForObject(const T& object) {
    IO::MemoryOChannel32 channel(0, 0, IO::MemoryOChannel32::Growing);
    if (PKErrCode err = object.Write(channel); err != PK::NoError) TC_LOG_AND_THROW_ERRCODE(err);
    return PKHandleWrapper(Detail::HandleFromChannel(channel));
}

template <typename T>
bool PKHandleWrapper::FillObject(PKHandle handle, T& object) {
    if (handle == nullptr) return false;
    IO::MemoryIChannel32 channel(*handle, static_cast<PK::USize>(BMGetHandleSize(handle)));
    if (PKErrCode err = object.Read(channel); err != PK::NoError) TC_LOG_AND_THROW_ERRCODE(err);
    return true;
}

}  // namespace TessaryConnect::Api

TC_OSTREAM_FORMATTER(TessaryConnect::Api::PKHandleWrapper);
