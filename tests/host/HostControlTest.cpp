#include <gtest/gtest.h>

#include <stdexcept>

#include "TVSim/Sim.hpp"

TEST(SimulatedHostControl, AnExceptionEscapingIntoTheHostIsCaughtAndRecorded) {
    TVSim::OpenProject();
    EXPECT_EQ(TVAPI_CallUndoableCommand("x", []() -> GSErrCode { throw std::runtime_error("oops"); }), APIERR_GENERAL);
    EXPECT_EQ(TVSim::Events::GetEscapedExceptions(), std::vector<std::string>{"TVAPI_CallUndoableCommand: oops"});
    TVSim::Reset();  // provoked on purpose; the process-wide check must not see it
}
