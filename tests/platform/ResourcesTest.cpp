#include <gtest/gtest.h>

#include <fstream>

#include "TVSim/Resources.hpp"
#include "support/TempDir.hpp"

TEST(Resources, ReadsItemsByListAndIndexWithEscapes) {
    TestSupport::TempDir dir;
    std::ofstream(dir.Path() / "StringList-7.txt") << "# comment\n1\tfirst\n3\ttwo\\nlines {X}\nbad line\n";
    TVSim::Resources::SetFolder(dir.Path());

    PK::UniString s("unchanged");
    EXPECT_TRUE(RSGetIndString(&s, 7, 1, TVAPI_GetOwnResModule()));
    EXPECT_EQ(s, "first");
    EXPECT_TRUE(RSGetIndString(&s, 7, 3, TVAPI_GetOwnResModule()));
    EXPECT_EQ(s, "two\nlines {X}");
    s = "unchanged";
    EXPECT_FALSE(RSGetIndString(&s, 7, 2, TVAPI_GetOwnResModule()));
    EXPECT_FALSE(RSGetIndString(&s, 8, 1, TVAPI_GetOwnResModule()));
    EXPECT_FALSE(RSGetIndString(&s, 7, 1, 99));
    EXPECT_EQ(s, "unchanged");
}
