#include "support/TempDir.hpp"

#include <random>
#include <string>

#include "PK/Pref.hpp"

namespace TestSupport {

TempDir::TempDir() {
    std::random_device rd;
    _path = std::filesystem::temp_directory_path() / ("tc-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(_path);
    PKPref::SetStorageFolder(_path / "prefs");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(_path, ec);
}

}  // namespace TestSupport
