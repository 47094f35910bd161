#pragma once
// A fresh temporary folder for one test, removed at the end; it holds the preferences, so tests never touch the user's.
#include <filesystem>
#include <random>

#include "PK/Pref.hpp"

namespace TestSupport {

class TempDir {
public:
    TempDir() {
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
    const std::filesystem::path _path =
        std::filesystem::temp_directory_path() /
        ("tc-test-" + std::to_string(std::random_device{}()) + std::to_string(std::random_device{}()));
};

}  // namespace TestSupport
