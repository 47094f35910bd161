// What the host keeps of its debug output: the newest texts within a byte
// budget. A project of a hundred thousand elements writes lines of megabytes,
// which no count of lines bounds; no add-on scenario here is big enough to
// show it.
#include <gtest/gtest.h>

#include <numeric>
#include <string>

#include "PK/DebugOutput.hpp"

namespace {

using PK::DebugOutput::ByteBudget;

std::size_t KeptBytes() {
    const auto& texts = PK::DebugOutput::GetTexts();
    return std::accumulate(texts.begin(), texts.end(), std::size_t{0},
                           [](std::size_t sum, const std::string& text) { return sum + text.size(); });
}

// Line i: its number, padded to the size given, and a line end.
std::string Line(std::size_t i, std::size_t size) {
    std::string line = std::to_string(i);
    line.resize(size - 1, '.');
    return line + "\n";
}

TEST(DebugOutput, KeepsTheNewestTextsThatFitTheByteBudgetAndANewestOneLargerThanItAlone) {
    PK::DebugOutput::Clear();
    constexpr std::size_t size = 1000, count = 2 * ByteBudget / size;
    for (std::size_t i = 0; i < count; ++i) DBPrint(Line(i, size).c_str());
    const auto& texts = PK::DebugOutput::GetTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_LE(KeptBytes(), ByteBudget);
    // As many of the newest as fit, in order, the last one written last.
    const std::size_t kept = ByteBudget / size;
    ASSERT_EQ(texts.size(), kept);
    for (std::size_t k = 0; k < kept; k += kept / 7) EXPECT_EQ(texts[k], Line(count - kept + k, size));
    EXPECT_EQ(texts.back(), Line(count - 1, size));

    // Cleared, it counts from nothing again.
    PK::DebugOutput::Clear();
    for (std::size_t i = 0; i < 3; ++i) DBPrint(Line(i, size).c_str());
    EXPECT_EQ(texts.size(), 3u);

    // One text larger than the whole budget pushes out everything before it and stays until the next one.
    const std::string huge(ByteBudget + 1, 'x');
    DBPrint(huge.c_str());
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts.front().size(), huge.size());
    DBPrint("after\n");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts.front(), "after\n");
}

}  // namespace
