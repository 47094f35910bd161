#include "Torvel/Api/ModulDataWrapper.hpp"

#include <new>

namespace TessaryConnect::Api {

namespace {
PKHandle CopyBlock(PKHandle handle) {
    PKHandle copy = nullptr;
    if (BMHandleToHandle(handle, &copy) != PK::NoError) throw std::bad_alloc();
    return copy;
}
}  // namespace

ModulDataWrapper::ModulDataWrapper(const API_ModulData& source) {
    // Without the sign the bytes of another platform would be decoded in the wrong order.
    _data.dataVersion = source.dataVersion;
    _data.platformSign = source.platformSign;
    if (source.dataHdl != nullptr && BMGetHandleSize(source.dataHdl) > 0) _data.dataHdl = CopyBlock(source.dataHdl);
}

ModulDataWrapper::ModulDataWrapper(const ModulDataWrapper& other) : _data(other._data) {
    if (other._data.dataHdl != nullptr) _data.dataHdl = CopyBlock(other._data.dataHdl);
}

ModulDataWrapper& ModulDataWrapper::operator=(const ModulDataWrapper& other) {
    if (this == &other) return *this;
    PKHandle copy = other._data.dataHdl != nullptr ? CopyBlock(other._data.dataHdl) : nullptr;
    Free();
    _data = other._data;
    _data.dataHdl = copy;
    return *this;
}

ModulDataWrapper::ModulDataWrapper(ModulDataWrapper&& other) noexcept : _data(other._data) {
    other._data.dataHdl = nullptr;
}

ModulDataWrapper& ModulDataWrapper::operator=(ModulDataWrapper&& other) noexcept {
    if (this == &other) return *this;
    Free();
    _data = other._data;
    other._data.dataHdl = nullptr;
    return *this;
}

ModulDataWrapper::~ModulDataWrapper() { Free(); }

void ModulDataWrapper::Release(API_ModulData& destination) && {
    destination = _data;
    _data.dataHdl = nullptr;
}

void ModulDataWrapper::Free() {
    if (_data.dataHdl != nullptr) BMKillHandle(&_data.dataHdl);
    _data.dataHdl = nullptr;
}

void ModulDataWrapper::SelectProtocol(PK::IChannel& channel) const {
    if (_data.platformSign == PlatformSign) return;
    const bool known = _data.platformSign == IO::PlatformSignWindows || _data.platformSign == IO::PlatformSignBigEndian;
    IO::SetPlatformIProtocol(channel, known ? _data.platformSign : PlatformSign);
}

}  // namespace TessaryConnect::Api
