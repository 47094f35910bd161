#pragma once
// Binary channels of the class library: the stored form of module data and
// add-on objects. Every number is written in an explicit byte order
// (little-endian unless a platform protocol says otherwise), never in the
// machine's own, so stored projects read the same everywhere.
//
// Encodings: bool one byte (0 or 1); integers and doubles in the channel's
// byte order; a UniString as a UInt32 count of UTF-16 code units followed by
// the units; a Guid as its 32-bit, two 16-bit fields and eight single bytes;
// an Array, HashTable or HashSet inside a class frame of its own holding a
// UInt32 count and the items (keys then values for a table), in storage order.
//
// A channel's status is sticky: the first failure (end of input, bad data,
// a failing sink) is kept, every later operation returns it without touching
// the data, and a value that could not be read leaves its target unchanged.
// Tests can make the Nth value of a channel fail (FailAtValue); class frame
// headers are not values and are not counted.
//
// A sink or source that holds its bytes in memory lends the channel a window
// of them (SetPutArea, SetGetArea): values are copied straight in or out, and
// the virtual PutBytes or GetBytes is called only at the window's end.
#include <algorithm>
#include <concepts>
#include <cstring>
#include <type_traits>
#include <vector>

#include "PK/Array.hpp"
#include "PK/ClassInfo.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"
#include "PK/Types.hpp"
#include "PK/UniString.hpp"

namespace PK {

class Object;
class OChannel;
class IChannel;

enum class ByteOrder { LittleEndian, BigEndian };

// Registrations of the class library's own containers, tagging their frames.
extern const ClassInfo arrayClassInfo;
extern const ClassInfo hashTableClassInfo;
extern const ClassInfo hashSetClassInfo;

namespace Detail {

// Counts values and fails the Nth one on request.
class ValueFaults {
public:
    void FailAtValue(USize nth, ErrCode code) {
        _failAt = nth;
        _failCode = code;
    }
    // The code the value of this call must fail with, or NoError.
    ErrCode NextValue() {
        ++_count;
        return (_failAt != 0 && _count == _failAt) ? _failCode : NoError;
    }
    USize GetValueCount() const { return _count; }

private:
    USize _count = 0;
    USize _failAt = 0;
    ErrCode _failCode = Error;
};

template <typename T, typename Channel>
concept HasWriteMember = requires(const T& item, Channel& channel) {
    { item.Write(channel) } -> std::convertible_to<ErrCode>;
};
template <typename T, typename Channel>
concept HasReadMember = requires(T& item, Channel& channel) {
    { item.Read(channel) } -> std::convertible_to<ErrCode>;
};

}  // namespace Detail

// Process-wide test hook: the next channel constructed (input or output)
// fails at its Nth value with the given code; the hook then disarms itself.
// Lets a test break a channel that code under test creates internally.
namespace ChannelFaults {
void ArmNextChannel(USize nthValue, ErrCode code = Error);
void Disarm();
}  // namespace ChannelFaults

class OChannel {
public:
    OChannel();
    virtual ~OChannel();
    OChannel(const OChannel&) = delete;
    OChannel& operator=(const OChannel&) = delete;

    ErrCode Write(bool value);
    ErrCode Write(Int8 value);
    ErrCode Write(UInt8 value);
    ErrCode Write(Int16 value);
    ErrCode Write(UInt16 value);
    ErrCode Write(Int32 value);
    ErrCode Write(UInt32 value);
    ErrCode Write(Int64 value);
    ErrCode Write(UInt64 value);
    ErrCode Write(double value);
    ErrCode Write(const UniString& value);
    ErrCode Write(const Guid& value);
    // The object's own record (its class frame and fields).
    ErrCode Write(const Object& object);
    // A narrow text would silently become a bool; say UniString.
    ErrCode Write(const char*) = delete;

    template <typename E>
        requires std::is_enum_v<E>
    ErrCode Write(E value) {
        static_assert(sizeof(E) <= sizeof(Int32), "enumerations are stored as 32-bit values");
        return Write(static_cast<Int32>(value));
    }

    template <typename T>
    ErrCode Write(const Array<T>& items);
    template <typename K, typename V, typename H>
    ErrCode Write(const HashTable<K, V, H>& table);
    template <typename K, typename H>
    ErrCode Write(const HashSet<K, H>& set);

    // Raw bytes, one value.
    ErrCode WriteBin(const void* data, USize size);

    ErrCode GetOutputStatus() const { return _status; }
    void ResetOutputStatus() { _status = NoError; }

    void SetByteOrder(ByteOrder order) { _order = order; }
    ByteOrder GetByteOrder() const { return _order; }

    // The nth value written from now on counting from the channel's first
    // (1-based) fails with code and leaves the channel in that status.
    void FailAtValue(USize nth, ErrCode code = Error) { _faults.FailAtValue(nth, code); }
    USize GetValueCount() const { return _faults.GetValueCount(); }

    // Bytes accepted so far.
    USize GetPosition() const { return _position; }

protected:
    // The sink: append size bytes that do not fit into the window. The bytes
    // written into the window so far end at GetPutPointer().
    virtual ErrCode PutBytes(const void* data, USize size) = 0;
    // Overwrite bytes written earlier, outside the window; frames record
    // their length this way.
    virtual ErrCode PatchBytes(USize position, const void* data, USize size) = 0;
    // The sink's memory from start (which holds the bytes from channel
    // position startPosition on) to end, of which the part before put is
    // written.
    void SetPutArea(UInt8* start, USize startPosition, UInt8* put, UInt8* end);
    UInt8* GetPutPointer() const { return _put; }

private:
    friend class OutputFrame;

    template <typename T>
    ErrCode WriteItem(const T& item) {
        if constexpr (Detail::HasWriteMember<T, OChannel>)
            return item.Write(*this);
        else
            return Write(item);
    }

    ErrCode BeginValue();
    ErrCode PutRaw(const void* data, USize size);
    ErrCode PatchRaw(USize position, const void* data, USize size);
    template <typename U>
    ErrCode PutNumber(U value);

    ErrCode _status = NoError;
    ByteOrder _order = ByteOrder::LittleEndian;
    USize _position = 0;
    Detail::ValueFaults _faults;
    UInt8* _putStart = nullptr;
    UInt8* _put = nullptr;
    UInt8* _putEnd = nullptr;
    USize _putStartPosition = 0;
};

class IChannel;
class FrameBytes;
ErrCode TakeFrame(IChannel& from, FrameBytes& frame);

class IChannel {
public:
    IChannel();
    virtual ~IChannel();
    IChannel(const IChannel&) = delete;
    IChannel& operator=(const IChannel&) = delete;

    ErrCode Read(bool& value);
    ErrCode Read(Int8& value);
    ErrCode Read(UInt8& value);
    ErrCode Read(Int16& value);
    ErrCode Read(UInt16& value);
    ErrCode Read(Int32& value);
    ErrCode Read(UInt32& value);
    ErrCode Read(Int64& value);
    ErrCode Read(UInt64& value);
    ErrCode Read(double& value);
    ErrCode Read(UniString& value);
    ErrCode Read(Guid& value);
    ErrCode Read(Object& object);

    template <typename E>
        requires std::is_enum_v<E>
    ErrCode Read(E& value) {
        static_assert(sizeof(E) <= sizeof(Int32), "enumerations are stored as 32-bit values");
        Int32 raw = 0;
        ErrCode err = Read(raw);
        if (err == NoError) value = static_cast<E>(raw);
        return err;
    }

    // Containers are emptied first; items read before a failure stay.
    // Room for at most this many items is set aside before they are read.
    static constexpr USize maxReservedItems = 256;
    template <typename T>
    ErrCode Read(Array<T>& items);
    template <typename K, typename V, typename H>
    ErrCode Read(HashTable<K, V, H>& table);
    template <typename K, typename H>
    ErrCode Read(HashSet<K, H>& set);

    ErrCode ReadBin(void* data, USize size);

    ErrCode GetInputStatus() const { return _status; }
    void ResetInputStatus() { _status = NoError; }

    void SetByteOrder(ByteOrder order) { _order = order; }
    ByteOrder GetByteOrder() const { return _order; }

    void FailAtValue(USize nth, ErrCode code = Error) { _faults.FailAtValue(nth, code); }
    USize GetValueCount() const { return _faults.GetValueCount(); }

    USize GetPosition() const { return _position; }
    // Bytes that may still be read: up to the end of the innermost open frame
    // or of the source, whichever comes first.
    USize GetAvailable() const;

protected:
    // The source: exactly size bytes beyond the window, or an error code.
    virtual ErrCode GetBytes(void* data, USize size) = 0;
    // Drops size bytes beyond the window; the default reads them into a
    // scratch buffer.
    virtual ErrCode SkipBytes(USize size);
    // Bytes left in the source, or MaxUSize when the source cannot tell.
    virtual USize GetRemainingSize() const { return MaxUSize; }
    // The source's memory from get to end, not yet read.
    void SetGetArea(const UInt8* get, const UInt8* end) {
        _get = get;
        _getEnd = end;
    }
    USize GetWindowSize() const { return static_cast<USize>(_getEnd - _get); }

private:
    friend class InputFrame;
    friend ErrCode TakeFrame(IChannel& from, FrameBytes& frame);

    template <typename T>
    ErrCode ReadItem(T& item) {
        if constexpr (Detail::HasReadMember<T, IChannel>)
            return item.Read(*this);
        else
            return Read(item);
    }
    // Refuses counts that cannot fit in what is left: corrupt data must not
    // turn into a huge allocation.
    ErrCode CheckCount(UInt32 count);

    ErrCode BeginValue();
    ErrCode GetRaw(void* data, USize size);
    ErrCode SkipRaw(USize size);
    template <typename U>
    ErrCode GetNumber(U& value);

    ErrCode _status = NoError;
    ByteOrder _order = ByteOrder::LittleEndian;
    USize _position = 0;
    USize _limit = MaxUSize;  // absolute end of the innermost open frame
    Detail::ValueFaults _faults;
    const UInt8* _get = nullptr;
    const UInt8* _getEnd = nullptr;
};

// Opens a class frame on an output channel: the class GUID, its version and
// the length of the content that follows. The length is filled in when the
// frame closes (Close or destruction), so frames nest freely.
class OutputFrame {
public:
    OutputFrame(OChannel& channel, const ClassInfo& classInfo);
    // A frame for a class known only by its id and version (a record being
    // copied whose class this program may not have).
    OutputFrame(OChannel& channel, const Guid& classId, ClassVersion version);
    ~OutputFrame();
    OutputFrame(const OutputFrame&) = delete;
    OutputFrame& operator=(const OutputFrame&) = delete;

    void Close();
    ErrCode GetStatus() const { return _channel.GetOutputStatus(); }

private:
    OChannel& _channel;
    USize _lengthPosition = 0;
    bool _open = false;
};

// Opens a class frame on an input channel. A frame of another class than the
// expected one puts the channel into BadData. Reads inside the frame cannot
// pass its end; on closing, whatever the reader left unread (fields of a newer
// version) is skipped, so the next record starts where it should.
class InputFrame {
public:
    InputFrame(IChannel& channel, const ClassInfo& expected);
    // Accepts a frame of any class; GetClassId tells which.
    explicit InputFrame(IChannel& channel);
    ~InputFrame();
    InputFrame(const InputFrame&) = delete;
    InputFrame& operator=(const InputFrame&) = delete;

    void Close();
    ErrCode GetStatus() const { return _channel.GetInputStatus(); }

    const Guid& GetClassId() const { return _classId; }
    // The version the record was written with; 0.0 when the header could not be read.
    ClassVersion GetVersion() const { return _version; }
    UInt8 GetMainVersion() const { return _version.GetMainVersion(); }
    UInt8 GetMinorVersion() const { return _version.GetMinorVersion(); }

private:
    void Open(const ClassInfo* expected);

    IChannel& _channel;
    Guid _classId;
    ClassVersion _version;
    USize _end = 0;
    USize _outerLimit = MaxUSize;
    bool _open = false;
};

// Copies the next class frame, header and content unread, from one channel to
// the other.
ErrCode CopyFrame(IChannel& from, OChannel& to);

// The next class frame, header and content, as stored: lent from the source's
// memory where the channel's window holds all of it (valid as long as those
// bytes are), copied otherwise. A reader that must survive a damaged record
// reads these bytes on a channel of its own: whatever goes wrong inside, the
// source channel stands right after the record. Taking a frame counts as one
// value.
class FrameBytes {
public:
    const void* GetData() const { return _data; }
    USize GetSize() const { return _size; }
    ByteOrder GetByteOrder() const { return _order; }

private:
    friend ErrCode TakeFrame(IChannel& from, FrameBytes& frame);

    const UInt8* _data = nullptr;
    USize _size = 0;
    ByteOrder _order = ByteOrder::LittleEndian;
    std::vector<UInt8> _copy;
};

// ---- container templates ----

template <typename T>
ErrCode OChannel::Write(const Array<T>& items) {
    OutputFrame frame(*this, arrayClassInfo);
    if (ErrCode err = Write(static_cast<UInt32>(items.GetSize())); err != NoError) return err;
    for (const T& item : items)
        if (ErrCode err = WriteItem(item); err != NoError) return err;
    return GetOutputStatus();
}

template <typename K, typename V, typename H>
ErrCode OChannel::Write(const HashTable<K, V, H>& table) {
    OutputFrame frame(*this, hashTableClassInfo);
    if (ErrCode err = Write(static_cast<UInt32>(table.GetSize())); err != NoError) return err;
    for (const auto& [key, value] : table) {
        if (ErrCode err = WriteItem(key); err != NoError) return err;
        if (ErrCode err = WriteItem(value); err != NoError) return err;
    }
    return GetOutputStatus();
}

template <typename K, typename H>
ErrCode OChannel::Write(const HashSet<K, H>& set) {
    OutputFrame frame(*this, hashSetClassInfo);
    if (ErrCode err = Write(static_cast<UInt32>(set.GetSize())); err != NoError) return err;
    for (const K& key : set)
        if (ErrCode err = WriteItem(key); err != NoError) return err;
    return GetOutputStatus();
}

template <typename T>
ErrCode IChannel::Read(Array<T>& items) {
    items.Clear();
    InputFrame frame(*this, arrayClassInfo);
    UInt32 count = 0;
    if (ErrCode err = Read(count); err != NoError) return err;
    if (ErrCode err = CheckCount(count); err != NoError) return err;
    for (UInt32 i = 0; i < count; ++i) {
        T item{};
        if (ErrCode err = ReadItem(item); err != NoError) return err;
        items.Push(std::move(item));
    }
    return GetInputStatus();
}

template <typename K, typename V, typename H>
ErrCode IChannel::Read(HashTable<K, V, H>& table) {
    table.Clear();
    InputFrame frame(*this, hashTableClassInfo);
    UInt32 count = 0;
    if (ErrCode err = Read(count); err != NoError) return err;
    if (ErrCode err = CheckCount(count); err != NoError) return err;
    // Bounded: a damaged count must not claim memory the record cannot fill.
    table.Reserve(std::min<USize>(count, maxReservedItems));
    for (UInt32 i = 0; i < count; ++i) {
        K key{};
        V value{};
        if (ErrCode err = ReadItem(key); err != NoError) return err;
        if (ErrCode err = ReadItem(value); err != NoError) return err;
        table.Add(std::move(key), std::move(value));  // a repeated key keeps its first value
    }
    return GetInputStatus();
}

template <typename K, typename H>
ErrCode IChannel::Read(HashSet<K, H>& set) {
    set.Clear();
    InputFrame frame(*this, hashSetClassInfo);
    UInt32 count = 0;
    if (ErrCode err = Read(count); err != NoError) return err;
    if (ErrCode err = CheckCount(count); err != NoError) return err;
    set.Reserve(std::min<USize>(count, maxReservedItems));
    for (UInt32 i = 0; i < count; ++i) {
        K key{};
        if (ErrCode err = ReadItem(key); err != NoError) return err;
        set.Add(std::move(key));
    }
    return GetInputStatus();
}

}  // namespace PK
