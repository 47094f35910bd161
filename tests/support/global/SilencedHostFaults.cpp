// Linked into every test binary. The simulated host absorbs faults a real host would not survive, so that a test can
// report them: a second free of a host memory block, an exception escaping into the host, its browser control or its
// dialog library, an add-on still registered or called after its FreeData, and a misuse of the dialog library. A
// test that does not look for them would pass them over; this check fails the binary instead.
#include <gtest/gtest.h>

#include "PK/Memory.hpp"
#include "TVSim/AddOnLoader.hpp"
#include "TVSim/Dialogs.hpp"
#include "TVSim/Web.hpp"
#include "TVSim/Sim.hpp"

namespace {

class SilencedHostFaults : public ::testing::Environment {
public:
    void TearDown() override {
        EXPECT_EQ(PK::MemoryDebug::GetInvalidFreeCount(), 0u) << "a host memory block was freed twice";
        EXPECT_TRUE(TVSim::Events::GetEscapedExceptions().empty())
            << "an exception escaped into the host: " << TVSim::Events::GetEscapedExceptions().front();
        EXPECT_TRUE(TVSim::GetCallbacksAfterFreeData().empty())
            << "the add-on was still reachable after its FreeData: " << TVSim::GetCallbacksAfterFreeData().front();
        EXPECT_TRUE(TVSim::Web::GetEscapedExceptions().empty())
            << "an exception escaped into the browser control: " << TVSim::Web::GetEscapedExceptions().front();
        EXPECT_TRUE(TVSim::Dialogs::GetEscapedExceptions().empty())
            << "an exception escaped into the dialog library: " << TVSim::Dialogs::GetEscapedExceptions().front();
        EXPECT_TRUE(TVSim::Dialogs::GetFaults().empty())
            << "the dialog library was misused: " << TVSim::Dialogs::GetFaults().front();
    }
};

[[maybe_unused]] ::testing::Environment* const registered = ::testing::AddGlobalTestEnvironment(new SilencedHostFaults);

}  // namespace
