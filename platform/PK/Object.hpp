#pragma once
// The class library's persistable object. A persistable class registers a
// static ClassInfo, answers it from GetClassInfo, and writes and reads its
// fields inside a class frame (PK::OutputFrame / PK::InputFrame) of that
// registration. Store and Restore add the class GUID in front, so a reader
// that does not know the class in advance can create it through the class
// manager (CreateObject) and then read it.
#include <iosfwd>
#include <memory>

#include "PK/Channel.hpp"
#include "PK/ClassInfo.hpp"
#include "PK/Types.hpp"

namespace PK {

class Object {
public:
    Object() = default;
    Object(const Object&) = default;
    Object& operator=(const Object&) = default;

    // Whether the object's fields are consistent; NoError for the base.
    virtual ErrCode Validate() const;
    // Brings an object that failed Validate back to a usable state.
    virtual void RestoreValidated();
    // A heap copy of the same class, or nullptr when the class cannot be copied.
    virtual Object* Clone() const;
    virtual ~Object();
    virtual const ClassInfo* GetClassInfo() const;
    // The record of the object; the base has no fields and answers the channel's status.
    virtual ErrCode Read(IChannel& ic);
    virtual ErrCode Write(OChannel& oc) const;
    // The class GUID followed by the record.
    virtual ErrCode Store(OChannel& oc) const;
    // Reads a class GUID, refuses (BadData) one that is not this object's class,
    // then reads the record.
    virtual ErrCode Restore(IChannel& ic);
    // One line naming the class, for diagnostics.
    virtual void Print(std::ostream& os) const;
    virtual void Dump(std::ostream& os) const;
    virtual bool CheckState() const;

    static const ClassInfo classInfo;
};

// A new object of the class registered under classId, or nullptr when no such
// class is registered or it has no creation function.
std::unique_ptr<Object> CreateObject(const Guid& classId);

}  // namespace PK
