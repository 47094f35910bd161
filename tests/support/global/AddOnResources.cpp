// Linked into every test binary. A host finds an add-on's resources in its bundle; the simulated host is told where
// they are by whoever starts it, here before any test runs (a test may point it elsewhere).
#include <gtest/gtest.h>

#include "TVSim/Resources.hpp"

namespace {

class AddOnResources : public ::testing::Environment {
public:
    void SetUp() override { TVSim::Resources::SetFolder(TC_RESOURCES_DIR); }
};

[[maybe_unused]] ::testing::Environment* const registered = ::testing::AddGlobalTestEnvironment(new AddOnResources);

}  // namespace
