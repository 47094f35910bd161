#pragma once
// A fresh temporary folder for one test, removed at the end. Also points the
// preferences store at a folder inside it, so tests never touch the user's.
#include <filesystem>
#include <random>

#include "PK/Pref.hpp"

namespace TestSupport {

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        _path = std::filesystem::temp_directory_path() / ("tc-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(_path);
        PKPref::SetStorageFolder(_path / "prefs");
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return _path; }

private:
    std::filesystem::path _path;
};

}  // namespace TestSupport
