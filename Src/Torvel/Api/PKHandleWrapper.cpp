#include "Torvel/Api/PKHandleWrapper.hpp"

#include <new>
#include <ostream>

namespace TessaryConnect::Api {

namespace {
PKHandle DeepCopy(PKHandle handle) {
    if (handle == nullptr) return nullptr;
    PKHandle copy = nullptr;
    if (BMHandleToHandle(handle, &copy) != PK::NoError) throw std::bad_alloc();
    return copy;
}
}  // namespace

PKHandleWrapper::PKHandleWrapper(const PKHandleWrapper& other) : _handle(DeepCopy(other._handle)) {}

PKHandleWrapper& PKHandleWrapper::operator=(PKHandleWrapper&& other) noexcept {
    // Moving a wrapper into itself must keep the block, not free it.
    if (this == &other) return *this;
    Free();
    _handle = other._handle;
    other._handle = nullptr;
    return *this;
}

PKHandleWrapper::~PKHandleWrapper() { Free(); }

PKHandle PKHandleWrapper::Release() && {
    PKHandle handle = _handle;
    _handle = nullptr;
    return handle;
}

void PKHandleWrapper::Set(PKHandle&& handle) {
    // Freeing the block we are handed back would leave us holding freed memory.
    if (handle == _handle) return;
    Free();
    _handle = handle;
}

PKHandleWrapper PKHandleWrapper::CreateFromCopy(PKHandle handle) { return PKHandleWrapper(DeepCopy(handle)); }

std::string PKHandleWrapper::ToHexEncodedString() const { return Detail::HexOfHandle(_handle); }

void PKHandleWrapper::Free() {
    if (_handle != nullptr) BMKillHandle(&_handle);
    _handle = nullptr;
}

std::ostream& operator<<(std::ostream& os, const PKHandleWrapper& wrapper) {
    return os << wrapper.ToHexEncodedString();
}

namespace Detail {

std::string HexOfHandle(PKHandle handle) {
    if (handle == nullptr) return "00";
    static constexpr char digits[] = "0123456789abcdef";
    const PK::Int32 size = BMGetHandleSize(handle);
    std::string text;
    text.reserve(2 * static_cast<std::size_t>(size));
    for (PK::Int32 i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>((*handle)[i]);
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

PKHandle HandleFromChannel(const IO::MemoryOChannel32& channel) {
    PKHandle handle = nullptr;
    if (BMPtrToHandle(channel.GetDestination(), &handle, static_cast<PK::Int32>(channel.GetDataSize())) != PK::NoError)
        throw std::bad_alloc();
    return handle;
}

}  // namespace Detail

}  // namespace TessaryConnect::Api
