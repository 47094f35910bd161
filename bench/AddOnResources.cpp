// A host finds an add-on's resources in its bundle; the simulated host is told where they are by whoever starts it,
// here before any benchmark runs.
#include "TVSim/Resources.hpp"

namespace {

[[maybe_unused]] const bool resourcesNamed = (TVSim::Resources::SetFolder(TC_RESOURCES_DIR), true);

}  // namespace
