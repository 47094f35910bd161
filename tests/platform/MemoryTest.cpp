#include <gtest/gtest.h>

#include <cstring>

#include "PK/Memory.hpp"

namespace {

TEST(MemoryHandles, LiveCountFollowsAllocationsAndCopiesAreIndependent) {
    const PK::USize before = PK::MemoryDebug::GetLiveHandleCount();
    PKHandle original = nullptr;
    ASSERT_EQ(BMPtrToHandle("abc", &original, 3), PK::NoError);
    PKHandle copy = nullptr;
    ASSERT_EQ(BMHandleToHandle(original, &copy), PK::NoError);
    EXPECT_EQ(PK::MemoryDebug::GetLiveHandleCount(), before + 2);

    (*copy)[0] = 'x';
    EXPECT_EQ(std::memcmp(*original, "abc", 3), 0);
    EXPECT_EQ(BMGetHandleSize(copy), 3);

    EXPECT_EQ(BMKillHandle(&original), PK::NoError);
    EXPECT_EQ(original, nullptr);
    EXPECT_EQ(BMKillHandle(&copy), PK::NoError);
    EXPECT_EQ(PK::MemoryDebug::GetLiveHandleCount(), before);
}

TEST(MemoryHandles, DoubleFreeIsRefusedAndCounted) {
    PKHandle handle = BMAllocateHandle(8, ALLOCATE_CLEAR, 0);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ((*handle)[7], 0);
    PKHandle stale = handle;
    ASSERT_EQ(BMKillHandle(&handle), PK::NoError);

    const PK::USize invalidBefore = PK::MemoryDebug::GetInvalidFreeCount();
    EXPECT_EQ(BMKillHandle(&stale), PK::BadData);
    EXPECT_EQ(PK::MemoryDebug::GetInvalidFreeCount(), invalidBefore + 1);
    EXPECT_EQ(BMGetHandleSize(stale), 0);
    EXPECT_EQ(BMKillHandle(&handle), PK::NoError) << "a null handle is a no-op";
    PK::MemoryDebug::ResetInvalidFreeCount();  // provoked on purpose; the process-wide check must not see it
}

}  // namespace
