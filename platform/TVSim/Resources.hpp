#pragma once
// Where the simulated host reads the add-on's resources from. Like the add-on
// it loads, the folder comes from whoever starts the host (a test, the demo);
// until it is named, every resource is missing.
#include <filesystem>

#include "TVAPI/Resources.hpp"
#include "TVSim/Guard.hpp"

namespace TVSim::Resources {
// Points the resource reader at a folder (and forgets what it read); an empty
// path takes the folder away again.
void SetFolder(const std::filesystem::path& folder);
std::filesystem::path GetFolder();
}  // namespace TVSim::Resources
