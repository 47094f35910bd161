#pragma once
// File locations and the host's file-system service. Special locations can be
// redirected (tests point them at a temporary folder) and each operation can be
// told to fail, so callers' failure paths run for real.
#include <filesystem>
#include <optional>

#include "PK/Types.hpp"
#include "PK/UniString.hpp"

namespace IO {

class Name {
public:
    Name(const PK::UniString& name) : _name(name) {}  // NOLINT: implicit like the host's
    Name(const char* name) : _name(name) {}           // NOLINT
    const PK::UniString& ToString() const { return _name; }

private:
    PK::UniString _name;
};

class Location {
public:
    Location() = default;
    explicit Location(const PK::UniString& path) : _path(path.ToCStr()) {}
    explicit Location(std::filesystem::path path) : _path(std::move(path)) {}

    bool IsEmpty() const { return _path.empty(); }
    PKErrCode AppendToLocal(const Name& name);
    PKErrCode DeleteLastLocalName();
    PKErrCode ToPath(PK::UniString* path) const;
    const std::filesystem::path& GetNativePath() const { return _path; }

    friend bool operator==(const Location&, const Location&) = default;

private:
    std::filesystem::path _path;
};

class FileSystem {
public:
    enum SpecialFolderId : int {
        UserDocuments = 1,
        TemporaryFolder = 5,
        UserLocalSettings = 8,  // per-user application data
    };

    PKErrCode GetSpecialLocation(SpecialFolderId folder, Location* location) const;
    PKErrCode CreateFolderTree(const Location& location) const;
    bool Exists(const Location& location) const;
};

inline constexpr FileSystem fileSystem{};

// Test control of the file-system substitute.
namespace Testing {
enum class Operation { GetSpecialLocation, AppendToLocal, CreateFolderTree, ToPath };
void RedirectSpecialLocation(FileSystem::SpecialFolderId folder, const std::filesystem::path& path);
void FailOperation(Operation op, bool fail = true);
void Reset();
}  // namespace Testing

}  // namespace IO
