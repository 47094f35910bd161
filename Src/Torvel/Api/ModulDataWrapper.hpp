#pragma once
// Owner of one module-data record and of its data block. A connection stores
// itself as such a record (CreateForObject: data version 1, platform sign of
// this platform) and is read back from one (FillObject), decoding numbers in
// the byte order that the record's platform sign names.
#include <iosfwd>
#include <string>

#include "IO/MemoryChannel.hpp"
#include "TVAPI/APIRecords.hpp"
#include "Torvel/Api/PKHandleWrapper.hpp"
#include "Torvel/Api/ThrowError.hpp"

namespace TessaryConnect::Api {

class ModulDataWrapper {
public:
    static constexpr PK::Int32 DataVersion = 1;
    static constexpr PK::UInt16 PlatformSign = IO::PlatformSignLittleEndian;

    ModulDataWrapper() = default;
    // Copies the record's data version and platform sign, and its data block
    // when it holds at least one byte; the source keeps its own block.
    explicit ModulDataWrapper(const API_ModulData& source);
    ModulDataWrapper(const ModulDataWrapper& other);
    ModulDataWrapper& operator=(const ModulDataWrapper& other);
    ModulDataWrapper(ModulDataWrapper&& other) noexcept;
    ModulDataWrapper& operator=(ModulDataWrapper&& other) noexcept;
    ~ModulDataWrapper();

    // Copies the record out; the caller owns the data block from then on.
    void Release(API_ModulData& destination) &&;

    const API_ModulData& Get() const { return _data; }
    // For host calls that fill the record in place; the wrapper owns what they put there.
    API_ModulData* GetPtr() { return &_data; }

    std::string ToHexEncodedString() const { return Detail::HexOfHandle(_data.dataHdl); }

    template <typename T>
    static ModulDataWrapper CreateForObject(const T& object);
    // Reads the object from the data block; false when there is none. Channel errors are thrown.
    template <typename T>
    bool FillObject(T& object) const;

private:
    void Free();
    // The protocol an input channel needs for this record's platform sign.
    void SelectProtocol(PK::IChannel& channel) const;

    API_ModulData _data;
};

template <typename T>
ModulDataWrapper ModulDataWrapper::CreateForObject(const T& object) {
    IO::MemoryOChannel32 channel(0, 0, IO::MemoryOChannel32::Growing);
    if (PKErrCode err = object.Write(channel); err != PK::NoError) TC_LOG_AND_THROW_ERRCODE(err);
    ModulDataWrapper wrapper;
    wrapper._data.dataVersion = DataVersion;
    wrapper._data.platformSign = PlatformSign;
    wrapper._data.dataHdl = Detail::HandleFromChannel(channel);
    return wrapper;
}

template <typename T>
bool ModulDataWrapper::FillObject(T& object) const {
    if (_data.dataHdl == nullptr) return false;
    IO::MemoryIChannel32 channel(*_data.dataHdl, static_cast<PK::USize>(BMGetHandleSize(_data.dataHdl)));
    SelectProtocol(channel);
    if (PKErrCode err = object.Read(channel); err != PK::NoError) TC_LOG_AND_THROW_ERRCODE(err);
    return true;
}

}  // namespace TessaryConnect::Api
