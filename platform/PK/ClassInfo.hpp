#pragma once
// Class registrations: every persistable class owns one static ClassInfo
// (name, GUID, version, base, creation function). Registrations enter the
// class manager when they are constructed, so a reader can create an object
// from the class GUID it finds in a stored record.
#include <string>

#include "PK/Guid.hpp"
#include "PK/Types.hpp"

namespace PK {

class Object;

class ClassVersion {
public:
    constexpr ClassVersion() = default;
    constexpr ClassVersion(UInt8 mainVersion, UInt8 minorVersion) : _main(mainVersion), _minor(minorVersion) {}

    constexpr UInt8 GetMainVersion() const { return _main; }
    constexpr UInt8 GetMinorVersion() const { return _minor; }

    friend constexpr bool operator==(const ClassVersion&, const ClassVersion&) = default;
    friend constexpr auto operator<=>(const ClassVersion&, const ClassVersion&) = default;

private:
    UInt8 _main = 0;
    UInt8 _minor = 0;
};

class ClassInfo {
public:
    using Constructor = Object* (*)();

    ClassInfo(const char* name, const Guid& id, ClassVersion version, const ClassInfo* base = nullptr,
              Constructor constructor = nullptr);
    ~ClassInfo();
    ClassInfo(const ClassInfo&) = delete;
    ClassInfo& operator=(const ClassInfo&) = delete;

    const char* GetName() const { return _name.c_str(); }
    const Guid& GetId() const { return _id; }
    ClassVersion GetVersion() const { return _version; }
    const ClassInfo* GetBase() const { return _base; }
    bool HasConstructor() const { return _constructor != nullptr; }
    // A new object of the class, or nullptr for an abstract class.
    Object* Construct() const { return _constructor ? _constructor() : nullptr; }
    bool IsDerivedFrom(const ClassInfo& other) const;

private:
    std::string _name;
    Guid _id;
    ClassVersion _version;
    const ClassInfo* _base;
    Constructor _constructor;
};

// Access to the process-wide registry. Stateless, so it is usable from any
// static initialiser; the registry itself is constructed on first use.
class ClassManager {
public:
    const ClassInfo* FindClassInfo(const Guid& id) const;
    const ClassInfo* FindClassInfo(const char* name) const;
    USize GetClassCount() const;
};

inline constexpr ClassManager classManager{};

}  // namespace PK
