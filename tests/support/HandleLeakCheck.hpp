#pragma once
// Fails the test when it ends with more (or fewer) live host memory blocks than it began with, or when anything freed a
// block twice. Derive a fixture from it, or put one on the stack at the top of a test.
#include <gtest/gtest.h>

#include "PK/Memory.hpp"

namespace TestSupport {

class HandleLeakCheck {
public:
    ~HandleLeakCheck() {
        EXPECT_EQ(PK::MemoryDebug::GetLiveHandleCount(), _live) << "host memory blocks leaked or freed too often";
        EXPECT_EQ(PK::MemoryDebug::GetInvalidFreeCount(), _invalid) << "a host memory block was freed twice";
    }

private:
    const PK::USize _live = PK::MemoryDebug::GetLiveHandleCount();
    const PK::USize _invalid = PK::MemoryDebug::GetInvalidFreeCount();
};

// A fixture whose tests all run under a HandleLeakCheck.
class HandleCheckedTest : public ::testing::Test {
    HandleLeakCheck _check;
};

}  // namespace TestSupport
