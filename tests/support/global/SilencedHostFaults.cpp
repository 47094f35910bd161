// Linked into every test binary. Two faults of the add-on that a real host
// would not survive are absorbed by the simulated one so that a test can
// report them: a second free of a host memory block (refused and counted by
// the class library) and an exception escaping into the host or its browser
// control (caught and recorded). A test that does not look for them itself
// would pass over them in silence; this check fails the binary instead.
#include <gtest/gtest.h>

#include "PK/Memory.hpp"
#include "TVSim/Sim.hpp"
#include "TVSim/Web.hpp"

namespace {

class SilencedHostFaults : public ::testing::Environment {
public:
    void TearDown() override {
        EXPECT_EQ(PK::MemoryDebug::GetInvalidFreeCount(), 0u) << "a host memory block was freed twice";
        EXPECT_TRUE(TVSim::Events::GetEscapedExceptions().empty())
            << "an exception escaped into the host: " << TVSim::Events::GetEscapedExceptions().front();
        EXPECT_TRUE(TVSim::Web::GetEscapedExceptions().empty())
            << "an exception escaped into the browser control: " << TVSim::Web::GetEscapedExceptions().front();
    }
};

[[maybe_unused]] ::testing::Environment* const registered = ::testing::AddGlobalTestEnvironment(new SilencedHostFaults);

}  // namespace
