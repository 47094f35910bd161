#include "PK/Channel.hpp"

#include <bit>
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
void Encode(U value, UInt8* out, ByteOrder order) {
    static_assert(std::is_unsigned_v<U>);
    for (USize i = 0; i < sizeof(U); ++i) {
        USize shift = (order == ByteOrder::LittleEndian ? i : sizeof(U) - 1 - i) * 8;
        out[i] = static_cast<UInt8>(value >> shift);
    }
}

template <typename U>
U Decode(const UInt8* in, ByteOrder order) {
    static_assert(std::is_unsigned_v<U>);
    U value = 0;
    for (USize i = 0; i < sizeof(U); ++i) {
        USize shift = (order == ByteOrder::LittleEndian ? i : sizeof(U) - 1 - i) * 8;
        value = static_cast<U>(value | (static_cast<U>(in[i]) << shift));
    }
    return value;
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

ErrCode OChannel::PutRaw(const void* data, USize size) {
    if (_status != NoError) return _status;
    if (ErrCode err = PutBytes(data, size); err != NoError) {
        _status = err;
        return err;
    }
    _position += size;
    return NoError;
}

ErrCode OChannel::PatchRaw(USize position, const void* data, USize size) {
    if (_status != NoError) return _status;
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
    std::vector<UInt8> bytes(4 + 2 * units.size());
    Encode(static_cast<UInt32>(units.size()), bytes.data(), _order);
    for (USize i = 0; i < units.size(); ++i) Encode(static_cast<UInt16>(units[i]), bytes.data() + 4 + 2 * i, _order);
    return PutRaw(bytes.data(), bytes.size());
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
    if (ErrCode err = GetBytes(data, size); err != NoError) {
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
    if (ErrCode err = SkipBytes(size); err != NoError) {
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
    std::vector<UInt8> bytes(2 * static_cast<USize>(length));
    if (ErrCode err = GetRaw(bytes.data(), bytes.size()); err != NoError) return err;
    std::u16string units(length, u'\0');
    for (USize i = 0; i < length; ++i) units[i] = static_cast<char16_t>(Decode<UInt16>(bytes.data() + 2 * i, _order));
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
