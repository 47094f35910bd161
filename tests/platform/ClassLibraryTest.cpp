// The class library's rules that the add-on relies on without any scenario
// showing them: GUID text forms, table order through compaction, empty parts,
// kept defaults, wrong resource modules, and a refused double free.
#include <gtest/gtest.h>

#include <vector>

#include "PK/Array.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"
#include "PK/Memory.hpp"
#include "PK/Pref.hpp"
#include "PK/UniString.hpp"
#include "TVSim/Resources.hpp"
#include "support/TempDir.hpp"

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

TEST(ClassLibrary, AKeptDefaultIsStoredAndAnotherModulesStringIsNotFound) {
    TestSupport::TempDir dir;
    PK::UniString value;
    ASSERT_EQ(PKPref::OpenRootKey(1)->GetString("G", "k", &value, "first", 1), PK::NoError);
    ASSERT_EQ(PKPref::OpenRootKey(1)->GetString("G", "k", &value, "second", 0), PK::NoError);
    EXPECT_EQ(value, "first");
    EXPECT_FALSE(RSGetIndString(&value, 32000, 1, 99));
}

TEST(ClassLibrary, FreeingAHandleTwiceIsRefusedAndCounted) {
    PKHandle handle = BMAllocateHandle(8, ALLOCATE_CLEAR, 0);
    PKHandle stale = handle;
    ASSERT_EQ(BMKillHandle(&handle), PK::NoError);
    const PK::USize before = PK::MemoryDebug::GetInvalidFreeCount();
    EXPECT_EQ(BMKillHandle(&stale), PK::BadData);
    EXPECT_EQ(PK::MemoryDebug::GetInvalidFreeCount(), before + 1);
    PK::MemoryDebug::ResetInvalidFreeCount();  // provoked on purpose; the process-wide check must not see it
}
