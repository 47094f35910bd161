#include "IO/Location.hpp"

#include <cstdlib>
#include <map>
#include <set>

namespace IO {

namespace {

struct State {
    std::map<int, std::filesystem::path> redirected;
    std::set<Testing::Operation> failing;
};

State& TheState() {
    static State state;
    return state;
}

bool Fails(Testing::Operation op) { return TheState().failing.count(op) != 0; }

}  // namespace

PKErrCode Location::AppendToLocal(const Name& name) {
    if (Fails(Testing::Operation::AppendToLocal) || name.ToString().IsEmpty()) return PK::Error;
    _path /= name.ToString().ToCStr();
    return PK::NoError;
}

PKErrCode Location::DeleteLastLocalName() {
    if (!_path.has_parent_path()) return PK::Error;
    _path = _path.parent_path();
    return PK::NoError;
}

PKErrCode Location::ToPath(PK::UniString* path) const {
    if (path == nullptr || Fails(Testing::Operation::ToPath) || _path.empty()) return PK::Error;
    *path = PK::UniString(_path.string());
    return PK::NoError;
}

PKErrCode FileSystem::GetSpecialLocation(SpecialFolderId folder, Location* location) const {
    if (location == nullptr || Fails(Testing::Operation::GetSpecialLocation)) return PK::Error;
    auto& redirected = TheState().redirected;
    if (auto it = redirected.find(folder); it != redirected.end()) {
        *location = Location(it->second);
        return PK::NoError;
    }
    const char* home = std::getenv("HOME");
    std::filesystem::path base = home ? home : "/tmp";
    switch (folder) {
        case UserDocuments: *location = Location(base / "Documents"); return PK::NoError;
        case TemporaryFolder: *location = Location(std::filesystem::temp_directory_path()); return PK::NoError;
        case UserLocalSettings: *location = Location(base / ".local" / "share"); return PK::NoError;
    }
    return PK::Error;
}

PKErrCode FileSystem::CreateFolderTree(const Location& location) const {
    if (Fails(Testing::Operation::CreateFolderTree)) return PK::Error;
    std::error_code ec;
    std::filesystem::create_directories(location.GetNativePath(), ec);
    return ec ? PK::Error : PK::NoError;
}

bool FileSystem::Exists(const Location& location) const {
    std::error_code ec;
    return std::filesystem::exists(location.GetNativePath(), ec);
}

namespace Testing {
void RedirectSpecialLocation(FileSystem::SpecialFolderId folder, const std::filesystem::path& path) {
    TheState().redirected[folder] = path;
}
void FailOperation(Operation op, bool fail) {
    if (fail) TheState().failing.insert(op);
    else TheState().failing.erase(op);
}
void Reset() { TheState() = State{}; }
}  // namespace Testing

}  // namespace IO
