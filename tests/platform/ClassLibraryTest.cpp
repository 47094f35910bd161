// The class library's rules that the add-on relies on without any scenario
// showing them: GUID text forms, empty parts and table order through compaction.
#include <gtest/gtest.h>

#include <vector>

#include "PK/Array.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"
#include "PK/UniString.hpp"

TEST(ClassLibrary, TextsGuidsAndTablesKeepTheirForms) {
    const PK::Guid guid = PK::Guid::Generate();
    EXPECT_EQ(PK::Guid("{" + guid.ToUniString().ToLowerCaseAscii() + "}"), guid);
    PK::Array<PK::UniString> parts;
    EXPECT_EQ(PK::UniString("1..3").Split(".", &parts), 3u);

    PK::HashTable<int, int> table;
    for (int i = 0; i < 100; ++i) table.Add(i, i);
    for (int i = 0; i < 80; ++i)
        if (i != 1) table.Delete(i);  // enough to compact
    table.Put(1, -1);
    std::vector<int> keys;
    for (const auto& [k, v] : table) keys.push_back(k);
    EXPECT_EQ(keys.front(), 1);
    EXPECT_EQ(table.Get(1), -1);
    EXPECT_EQ(*table.GetPtr(98), 98);
}
