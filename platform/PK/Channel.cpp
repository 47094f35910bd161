#include "PK/Channel.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "PK/Object.hpp"

namespace PK {

const ClassInfo arrayClassInfo("PK::Array", Guid("6A0C4F52-2E8B-4B67-9F0D-3C1E7A5B9D21"), ClassVersion(1, 0));
const ClassInfo hashTableClassInfo("PK::HashTable", Guid("B3D5E1F4-7C29-4E8A-A6B0-51F2C8D9E034"), ClassVersion(1, 0));
const ClassInfo hashSetClassInfo("PK::HashSet", Guid("0F7E2A91-D4C3-4B58-8E6F-92A1B3C4D5E6"), ClassVersion(1, 0));

namespace {

struct ArmedFault {
    bool armed = false;
    USize nth = 0;
    ErrCode code = Error;
};

ArmedFault& TheArmedFault() {
    static ArmedFault fault;
    return fault;
}

template <typename Faults>
void TakeArmedFault(Faults& faults) {
    ArmedFault& armed = TheArmedFault();
    if (!armed.armed) return;
    faults.FailAtValue(armed.nth, armed.code);
    armed = {};
}

template <typename U>
U ByteSwap(U value) {
    if constexpr (sizeof(U) == 1)
        return value;
    else if constexpr (sizeof(U) == 2)
        return __builtin_bswap16(value);
    else if constexpr (sizeof(U) == 4)
        return __builtin_bswap32(value);
    else
        return __builtin_bswap64(value);
}

// The value as the channel's byte order wants it in memory, and back.
template <typename U>
U InOrder(U value, ByteOrder order) {
    static_assert(std::is_unsigned_v<U>);
    const bool littleEndianMachine = std::endian::native == std::endian::little;
    return (order == ByteOrder::LittleEndian) == littleEndianMachine ? value : ByteSwap(value);
}

template <typename U>
void Encode(U value, UInt8* out, ByteOrder order) {
    value = InOrder(value, order);
    std::memcpy(out, &value, sizeof(U));
}

template <typename U>
U Decode(const UInt8* in, ByteOrder order) {
    U value;
    std::memcpy(&value, in, sizeof(U));
    return InOrder(value, order);
}

constexpr USize GuidSize = 16;

void EncodeGuid(const Guid& g, UInt8* out, ByteOrder order) {
    Encode<UInt32>(g.time_low, out, order);
    Encode<UInt16>(g.time_mid, out + 4, order);
    Encode<UInt16>(g.time_hi_and_version, out + 6, order);
    out[8] = g.clock_seq_hi_and_reserved;
    out[9] = g.clock_seq_low;
    std::memcpy(out + 10, g.node, 6);
}

Guid DecodeGuid(const UInt8* in, ByteOrder order) {
    Guid g;
    g.time_low = Decode<UInt32>(in, order);
    g.time_mid = Decode<UInt16>(in + 4, order);
    g.time_hi_and_version = Decode<UInt16>(in + 6, order);
    g.clock_seq_hi_and_reserved = in[8];
    g.clock_seq_low = in[9];
    std::memcpy(g.node, in + 10, 6);
    return g;
}

// Frame header: class GUID, main and minor version, content length.
constexpr USize FrameHeaderSize = GuidSize + 2 + 4;

}  // namespace

namespace ChannelFaults {
void ArmNextChannel(USize nthValue, ErrCode code) { TheArmedFault() = {true, nthValue, code}; }
void Disarm() { TheArmedFault() = {}; }
}  // namespace ChannelFaults

// ---- OChannel ----

OChannel::OChannel() { TakeArmedFault(_faults); }
OChannel::~OChannel() = default;

ErrCode OChannel::BeginValue() {
    if (_status != NoError) return _status;
    if (ErrCode injected = _faults.NextValue(); injected != NoError) _status = injected;
    return _status;
}

void OChannel::SetPutArea(UInt8* start, USize startPosition, UInt8* put, UInt8* end) {
    _putStart = start;
    _putStartPosition = startPosition;
    _put = put;
    _putEnd = end;
}

ErrCode OChannel::PutRaw(const void* data, USize size) {
    if (_status != NoError) return _status;
    if (size <= static_cast<USize>(_putEnd - _put)) {
        if (size > 0) std::memcpy(_put, data, size);
        _put += size;
    } else if (ErrCode err = PutBytes(data, size); err != NoError) {
        _status = err;
        return err;
    }
    _position += size;
    return NoError;
}

ErrCode OChannel::PatchRaw(USize position, const void* data, USize size) {
    if (_status != NoError) return _status;
    const USize written = static_cast<USize>(_put - _putStart);
    if (position >= _putStartPosition && position - _putStartPosition <= written &&
        size <= written - (position - _putStartPosition)) {
        std::memcpy(_putStart + (position - _putStartPosition), data, size);
        return NoError;
    }
    if (ErrCode err = PatchBytes(position, data, size); err != NoError) _status = err;
    return _status;
}

template <typename U>
ErrCode OChannel::PutNumber(U value) {
    if (ErrCode err = BeginValue(); err != NoError) return err;
    UInt8 bytes[sizeof(U)];
    Encode(value, bytes, _order);
    return PutRaw(bytes, sizeof(U));
}

ErrCode OChannel::Write(bool value) { return PutNumber<UInt8>(value ? 1 : 0); }
ErrCode OChannel::Write(Int8 value) { return PutNumber(static_cast<UInt8>(value)); }
ErrCode OChannel::Write(UInt8 value) { return PutNumber(value); }
ErrCode OChannel::Write(Int16 value) { return PutNumber(static_cast<UInt16>(value)); }
ErrCode OChannel::Write(UInt16 value) { return PutNumber(value); }
ErrCode OChannel::Write(Int32 value) { return PutNumber(static_cast<UInt32>(value)); }
ErrCode OChannel::Write(UInt32 value) { return PutNumber(value); }
ErrCode OChannel::Write(Int64 value) { return PutNumber(static_cast<UInt64>(value)); }
ErrCode OChannel::Write(UInt64 value) { return PutNumber(value); }
ErrCode OChannel::Write(double value) { return PutNumber(std::bit_cast<UInt64>(value)); }

ErrCode OChannel::Write(const UniString& value) {
    if (ErrCode err = BeginValue(); err != NoError) return err;
    const std::u16string& units = value.ToUStr();
    if (units.size() > 0xFFFFFFFFu) {
        _status = BadData;
        return _status;
    }
    UInt8 length[4];
    Encode(static_cast<UInt32>(units.size()), length, _order);
    if (ErrCode err = PutRaw(length, sizeof length); err != NoError) return err;
    if (InOrder<UInt16>(1, _order) == 1) return PutRaw(units.data(), 2 * units.size());
    UInt8 chunk[256];
    for (USize done = 0; done < units.size();) {
        const USize n = std::min(units.size() - done, sizeof chunk / 2);
        for (USize i = 0; i < n; ++i) Encode(static_cast<UInt16>(units[done + i]), chunk + 2 * i, _order);
        if (ErrCode err = PutRaw(chunk, 2 * n); err != NoError) return err;
        done += n;
    }
    return NoError;
}

ErrCode OChannel::Write(const Guid& value) {
    if (ErrCode err = BeginValue(); err != NoError) return err;
    UInt8 bytes[GuidSize];
    EncodeGuid(value, bytes, _order);
    return PutRaw(bytes, GuidSize);
}

ErrCode OChannel::Write(const Object& object) {
    if (_status != NoError) return _status;
    return object.Write(*this);
}

ErrCode OChannel::WriteBin(const void* data, USize size) {
    if (ErrCode err = BeginValue(); err != NoError) return err;
    return PutRaw(data, size);
}

// ---- IChannel ----

IChannel::IChannel() { TakeArmedFault(_faults); }
IChannel::~IChannel() = default;

USize IChannel::GetAvailable() const {
    USize remaining = GetRemainingSize();
    USize toLimit = _limit == MaxUSize ? MaxUSize : (_limit > _position ? _limit - _position : 0);
    return remaining < toLimit ? remaining : toLimit;
}

ErrCode IChannel::BeginValue() {
    if (_status != NoError) return _status;
    if (ErrCode injected = _faults.NextValue(); injected != NoError) _status = injected;
    return _status;
}

ErrCode IChannel::GetRaw(void* data, USize size) {
    if (_status != NoError) return _status;
    if (_limit != MaxUSize && size > _limit - _position) {
        _status = EndOfInput;  // past the end of the record being read
        return _status;
    }
    if (size <= GetWindowSize()) {
        if (size > 0) std::memcpy(data, _get, size);
        _get += size;
    } else if (ErrCode err = GetBytes(data, size); err != NoError) {
        _status = err;
        return err;
    }
    _position += size;
    return NoError;
}

ErrCode IChannel::SkipRaw(USize size) {
    if (_status != NoError) return _status;
    if (_limit != MaxUSize && size > _limit - _position) {
        _status = EndOfInput;
        return _status;
    }
    if (size <= GetWindowSize()) {
        _get += size;
    } else if (ErrCode err = SkipBytes(size); err != NoError) {
        _status = err;
        return err;
    }
    _position += size;
    return NoError;
}

ErrCode IChannel::SkipBytes(USize size) {
    UInt8 scratch[256];
    while (size > 0) {
        USize chunk = size < sizeof(scratch) ? size : sizeof(scratch);
        if (ErrCode err = GetBytes(scratch, chunk); err != NoError) return err;
        size -= chunk;
    }
    return NoError;
}

ErrCode IChannel::CheckCount(UInt32 count) {
    // Every stored item takes at least one byte.
    if (count > GetAvailable()) _status = BadData;
    return _status;
}

template <typename U>
ErrCode IChannel::GetNumber(U& value) {
    if (ErrCode err = BeginValue(); err != NoError) return err;
    UInt8 bytes[sizeof(U)];
    if (ErrCode err = GetRaw(bytes, sizeof(U)); err != NoError) return err;
    value = Decode<U>(bytes, _order);
    return NoError;
}

ErrCode IChannel::Read(bool& value) {
    UInt8 raw = 0;
    if (ErrCode err = GetNumber(raw); err != NoError) return err;
    if (raw > 1) {
        _status = BadData;
        return _status;
    }
    value = raw == 1;
    return NoError;
}

namespace {
template <typename U, typename S, typename Get>
ErrCode ReadSigned(Get&& get, S& value) {
    U raw = 0;
    ErrCode err = get(raw);
    if (err == NoError) value = static_cast<S>(raw);
    return err;
}
}  // namespace

ErrCode IChannel::Read(Int8& value) {
    return ReadSigned<UInt8>([this](UInt8& raw) { return GetNumber(raw); }, value);
}
ErrCode IChannel::Read(UInt8& value) { return GetNumber(value); }
ErrCode IChannel::Read(Int16& value) {
    return ReadSigned<UInt16>([this](UInt16& raw) { return GetNumber(raw); }, value);
}
ErrCode IChannel::Read(UInt16& value) { return GetNumber(value); }
ErrCode IChannel::Read(Int32& value) {
    return ReadSigned<UInt32>([this](UInt32& raw) { return GetNumber(raw); }, value);
}
ErrCode IChannel::Read(UInt32& value) { return GetNumber(value); }
ErrCode IChannel::Read(Int64& value) {
    return ReadSigned<UInt64>([this](UInt64& raw) { return GetNumber(raw); }, value);
}
ErrCode IChannel::Read(UInt64& value) { return GetNumber(value); }
ErrCode IChannel::Read(double& value) {
    UInt64 raw = 0;
    ErrCode err = GetNumber(raw);
    if (err == NoError) value = std::bit_cast<double>(raw);
    return err;
}

ErrCode IChannel::Read(UniString& value) {
    if (ErrCode err = BeginValue(); err != NoError) return err;
    UInt8 lengthBytes[4];
    if (ErrCode err = GetRaw(lengthBytes, 4); err != NoError) return err;
    UInt32 length = Decode<UInt32>(lengthBytes, _order);
    if (length > GetAvailable() / 2) {
        _status = EndOfInput;  // truncated, or a corrupt length: do not allocate for it
        return _status;
    }
    std::u16string units(length, u'\0');
    if (ErrCode err = GetRaw(units.data(), 2 * static_cast<USize>(length)); err != NoError) return err;
    if (InOrder<UInt16>(1, _order) != 1)
        for (char16_t& unit : units) unit = static_cast<char16_t>(ByteSwap(static_cast<UInt16>(unit)));
    value = UniString(std::move(units));
    return NoError;
}

ErrCode IChannel::Read(Guid& value) {
    if (ErrCode err = BeginValue(); err != NoError) return err;
    UInt8 bytes[GuidSize];
    if (ErrCode err = GetRaw(bytes, GuidSize); err != NoError) return err;
    value = DecodeGuid(bytes, _order);
    return NoError;
}

ErrCode IChannel::Read(Object& object) {
    if (_status != NoError) return _status;
    return object.Read(*this);
}

ErrCode IChannel::ReadBin(void* data, USize size) {
    if (ErrCode err = BeginValue(); err != NoError) return err;
    return GetRaw(data, size);
}

// ---- frames ----

OutputFrame::OutputFrame(OChannel& channel, const ClassInfo& classInfo)
    : OutputFrame(channel, classInfo.GetId(), classInfo.GetVersion()) {}

OutputFrame::OutputFrame(OChannel& channel, const Guid& classId, ClassVersion version) : _channel(channel) {
    UInt8 header[FrameHeaderSize] = {};
    EncodeGuid(classId, header, channel._order);
    header[GuidSize] = version.GetMainVersion();
    header[GuidSize + 1] = version.GetMinorVersion();
    // The length (last four bytes) stays zero until Close knows it.
    if (channel.PutRaw(header, FrameHeaderSize) != NoError) return;
    _lengthPosition = channel._position - 4;
    _open = true;
}

OutputFrame::~OutputFrame() { Close(); }

void OutputFrame::Close() {
    if (!_open) return;
    _open = false;
    if (_channel._status != NoError) return;
    USize length = _channel._position - (_lengthPosition + 4);
    if (length > 0xFFFFFFFFu) {
        _channel._status = BadData;
        return;
    }
    UInt8 bytes[4];
    Encode(static_cast<UInt32>(length), bytes, _channel._order);
    _channel.PatchRaw(_lengthPosition, bytes, 4);
}

InputFrame::InputFrame(IChannel& channel, const ClassInfo& expected) : _channel(channel) { Open(&expected); }
InputFrame::InputFrame(IChannel& channel) : _channel(channel) { Open(nullptr); }

void InputFrame::Open(const ClassInfo* expected) {
    UInt8 header[FrameHeaderSize];
    if (_channel.GetRaw(header, FrameHeaderSize) != NoError) return;
    _classId = DecodeGuid(header, _channel._order);
    _version = ClassVersion(header[GuidSize], header[GuidSize + 1]);
    USize length = Decode<UInt32>(header + GuidSize + 2, _channel._order);
    if ((expected != nullptr && _classId != expected->GetId()) || length > _channel.GetAvailable()) {
        _channel._status = BadData;
        return;
    }
    _end = _channel._position + length;
    _outerLimit = _channel._limit;
    _channel._limit = _end;
    _open = true;
}

InputFrame::~InputFrame() { Close(); }

void InputFrame::Close() {
    if (!_open) return;
    _open = false;
    if (_channel._status == NoError && _channel._position < _end) _channel.SkipRaw(_end - _channel._position);
    _channel._limit = _outerLimit;
}

ErrCode TakeFrame(IChannel& from, FrameBytes& frame) {
    if (ErrCode err = from.BeginValue(); err != NoError) return err;
    const UInt8* start = from._get;
    UInt8 header[FrameHeaderSize];
    if (ErrCode err = from.GetRaw(header, FrameHeaderSize); err != NoError) return err;
    const USize length = Decode<UInt32>(header + GuidSize + 2, from._order);
    if (length > from.GetAvailable()) {
        from._status = BadData;
        return from._status;
    }
    frame._order = from._order;
    if (start != nullptr && start + FrameHeaderSize == from._get && length <= from.GetWindowSize()) {
        frame._copy.clear();
        frame._data = start;
        frame._size = FrameHeaderSize + length;
        return from.SkipRaw(length);
    }
    frame._copy.resize(FrameHeaderSize + length);
    std::memcpy(frame._copy.data(), header, FrameHeaderSize);
    frame._data = frame._copy.data();
    frame._size = frame._copy.size();
    return from.GetRaw(frame._copy.data() + FrameHeaderSize, length);
}

ErrCode CopyFrame(IChannel& from, OChannel& to) {
    InputFrame source(from);
    if (ErrCode err = source.GetStatus(); err != NoError) return err;
    std::vector<UInt8> content(from.GetAvailable());  // the frame bounds what is available
    if (!content.empty())
        if (ErrCode err = from.ReadBin(content.data(), content.size()); err != NoError) return err;
    OutputFrame copy(to, source.GetClassId(), source.GetVersion());
    if (!content.empty())
        if (ErrCode err = to.WriteBin(content.data(), content.size()); err != NoError) return err;
    copy.Close();
    source.Close();
    if (ErrCode err = from.GetInputStatus(); err != NoError) return err;
    return to.GetOutputStatus();
}

}  // namespace PK
