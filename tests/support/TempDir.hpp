#pragma once
// A fresh temporary folder for one test, removed at the end. Also points the
// preferences store at a folder inside it, so tests never touch the user's.
#include <filesystem>

namespace TestSupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return _path; }

private:
    std::filesystem::path _path;
};

}  // namespace TestSupport
