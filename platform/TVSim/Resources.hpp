#pragma once
// Where the simulated host reads the add-on's resources from: the add-on's
// Resources folder unless a test points it elsewhere.
#include <filesystem>

#include "TVAPI/Resources.hpp"
#include "TVSim/Guard.hpp"

namespace TVSim::Resources {
// Points the resource reader at another folder (and forgets what it read).
void SetFolder(const std::filesystem::path& folder);
std::filesystem::path GetFolder();
}  // namespace TVSim::Resources
