#include <gtest/gtest.h>

#include <vector>

#include "PK/Array.hpp"
#include "PK/Convert.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"
#include "PK/Pref.hpp"
#include "PK/UniString.hpp"
#include "support/TempDir.hpp"

TEST(UniString, Utf8RoundTripKeepsEveryCharacter) {
    const char* text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a é € 😀 z
    PK::UniString s(text);
    EXPECT_EQ(s.GetLength(), 6u);  // the emoji is a surrogate pair
    EXPECT_EQ(s.ToCStr(), text);
    EXPECT_EQ(PK::UniString("\xFF").ToCStr(), "\xEF\xBF\xBD");  // invalid input becomes U+FFFD
}

TEST(UniString, SplitKeepsEmptyPartsAndReplaceAllDoesNotRescan) {
    PK::Array<PK::UniString> parts;
    EXPECT_EQ(PK::UniString("1..3.4").Split(".", &parts), 4u);
    EXPECT_EQ(parts[1], "");
    EXPECT_EQ(PK::UniString("").Split(".", &parts), 1u);

    PK::UniString s("aaa");
    EXPECT_EQ(s.ReplaceAll("a", "aa"), 3u);
    EXPECT_EQ(s, "aaaaaa");
    EXPECT_EQ(s.ReplaceAll("", "x"), 0u);
}

TEST(Guid, TextFormIsStableAndParsesBack) {
    PK::Guid::SeedGenerator(7);
    PK::Guid g = PK::Guid::Generate();
    EXPECT_FALSE(g.IsNull());
    PK::UniString text = g.ToUniString();
    EXPECT_EQ(PK::Guid(text), g);
    EXPECT_EQ(PK::Guid("{" + text.ToLowerCaseAscii() + "}"), g);
    EXPECT_FALSE(PK::Guid::Parse("not a guid").has_value());
    EXPECT_TRUE(PK::Guid("12345678-1234-1234-1234-12345678901").IsNull());
    PK::Guid::SeedGenerator(7);
    EXPECT_EQ(PK::Guid::Generate(), g);
}

TEST(HashTable, EnumeratesInInsertionOrderThroughDeletesAndCompaction) {
    PK::HashTable<int, int> table;
    for (int i = 0; i < 100; ++i) table.Add(i, i * i);
    for (int i = 0; i < 100; i += 3) table.Delete(i);  // enough to trigger compaction
    table.Put(1, -1);                                     // overwrite keeps the position
    table.Add(0, 0);                                      // re-added key goes last
    std::vector<int> keys;
    for (const auto& [k, v] : table) keys.push_back(k);
    ASSERT_EQ(keys.size(), table.GetSize());
    EXPECT_EQ(keys.front(), 1);
    EXPECT_EQ(keys[1], 2);
    EXPECT_EQ(keys.back(), 0);
    EXPECT_EQ(table.Get(1), -1);
    EXPECT_FALSE(table.Add(2, 5));
    EXPECT_EQ(*table.GetPtr(98), 98 * 98);

    // Taken from the front one by one, a set gives its entries in order, and
    // after Clear it starts over.
    PK::HashSet<int> set;
    for (int i = 0; i < 40; ++i) set.Add(i);
    set.Delete(1);
    std::vector<int> taken;
    while (!set.IsEmpty()) {
        taken.push_back(*set.begin());
        set.Delete(taken.back());
        if (taken.back() == 20) set.Add(99);
    }
    EXPECT_EQ(taken.size(), 40u);
    EXPECT_EQ(taken[1], 2);
    EXPECT_EQ(taken.back(), 99);
    set.Add(7);
    set.Clear();
    set.Add(8);
    EXPECT_EQ(*set.begin(), 8);
    EXPECT_EQ(set.GetSize(), 1u);
}

TEST(Preferences, KeepDefaultStoresTheDefaultForLaterReads) {
    TestSupport::TempDir dir;
    auto key = PKPref::OpenRootKey(1);
    PK::UniString value;
    ASSERT_EQ(key->GetString("G", "k", &value, "first", 0), PK::NoError);
    EXPECT_EQ(value, "first");
    ASSERT_EQ(key->GetString("G", "k", &value, "second", 1), PK::NoError);
    EXPECT_EQ(value, "second");
    ASSERT_EQ(PKPref::OpenRootKey(1)->GetString("G", "k", &value, "third", 0), PK::NoError);
    EXPECT_EQ(value, "second");
    // Domains are separate stores.
    ASSERT_EQ(PKPref::OpenRootKey(0)->GetString("G", "k", &value, "zero", 0), PK::NoError);
    EXPECT_EQ(value, "zero");
    EXPECT_EQ(PKPref::OpenRootKey(2), nullptr);
}

TEST(Preferences, KeysAndValuesWithLineBreaksTabsAndBackslashesSurviveTheFile) {
    TestSupport::TempDir dir;
    const PK::UniString group("a\tb"), key("c\td\n"), value("line 1\nline\t2 \\ end\\");
    ASSERT_EQ(PKPref::OpenRootKey(0)->SetString(group, key, value), PK::NoError);
    ASSERT_EQ(PKPref::OpenRootKey(0)->SetString("a", "b\tc\td", "other"), PK::NoError);
    PK::UniString read;
    ASSERT_EQ(PKPref::OpenRootKey(0)->GetString(group, key, &read, "", 0), PK::NoError);
    EXPECT_EQ(read, value);
    ASSERT_EQ(PKPref::OpenRootKey(0)->GetString("a", "b\tc\td", &read, "", 0), PK::NoError);
    EXPECT_EQ(read, "other");
}

TEST(Convert, NumbersRoundTripAndBadTextLeavesTheValue) {
    char buffer[4];
    EXPECT_TRUE(PK::valuetostr(-12, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "-12");
    EXPECT_FALSE(PK::valuetostr(12345, buffer, sizeof buffer));
    int v = 9;
    EXPECT_FALSE(PK::strtovalue("x1", v));
    EXPECT_FALSE(PK::strtovalue(" 1", v, 1, 0));
    EXPECT_EQ(v, 9);
    EXPECT_TRUE(PK::strtovalue("-2147483648", v));
    EXPECT_EQ(v, -2147483647 - 1);
    EXPECT_FALSE(PK::strtovalue("2147483648", v));
}
