// The class library's hash table against a plain model of it: a list of
// entries in insertion order. Tables pass from a linear search to an index
// and back as they grow and shrink, and their index moves entries around on
// removal; a fault there loses or repeats an entry, or breaks the order that
// stored records and shown lists depend on.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "PK/HashTable.hpp"

namespace {

// Few distinct hashes: long runs of one home position, as unlucky keys make them.
struct Crowded {
    std::size_t operator()(int key) const { return static_cast<std::size_t>(key % 5); }
};

using Model = std::vector<std::pair<int, int>>;

template <typename Table>
Model Entries(const Table& table) {
    Model entries;
    for (const auto& [key, value] : table) entries.emplace_back(key, value);
    return entries;
}

template <typename Hash>
void RunAgainstModel(unsigned seed, int keyRange, int steps) {
    std::mt19937 random(seed);
    PK::HashTable<int, int, Hash> table;
    Model model;
    const auto find = [&](int key) {
        return std::find_if(model.begin(), model.end(), [&](const auto& entry) { return entry.first == key; });
    };
    for (int step = 0; step < steps; ++step) {
        const int key = static_cast<int>(random() % static_cast<unsigned>(keyRange));
        switch (random() % 8) {
            case 0:
            case 1:
            case 2: {
                const bool added = table.Add(key, step);
                ASSERT_EQ(added, find(key) == model.end()) << "step " << step;
                if (added) model.emplace_back(key, step);
                break;
            }
            case 3:
                table.Put(key, -step);
                if (auto it = find(key); it != model.end())
                    it->second = -step;
                else
                    model.emplace_back(key, -step);
                break;
            case 4:
            case 5: {
                const auto it = find(key);
                ASSERT_EQ(table.Delete(key), it != model.end()) << "step " << step;
                if (it != model.end()) model.erase(it);
                break;
            }
            case 6:
                // The first entry taken again and again, as a queue does.
                if (!model.empty()) {
                    ASSERT_EQ(table.begin()->first, model.front().first) << "step " << step;
                    ASSERT_TRUE(table.Delete(model.front().first));
                    model.erase(model.begin());
                }
                break;
            default:
                if (random() % 200 == 0) {
                    table.Clear();
                    model.clear();
                } else if (random() % 20 == 0) {
                    table.Reserve(random() % static_cast<unsigned>(2 * keyRange));
                }
                break;
        }
        ASSERT_EQ(table.GetSize(), model.size()) << "step " << step;
        const int probe = static_cast<int>(random() % static_cast<unsigned>(keyRange));
        const auto it = find(probe);
        const int* value = table.GetPtr(probe);
        ASSERT_EQ(value != nullptr, it != model.end()) << "step " << step << ", key " << probe;
        if (value != nullptr) {
            ASSERT_EQ(*value, it->second);
        }
        if (step % 97 == 0) {
            ASSERT_EQ(Entries(table), model) << "step " << step;
        }
    }
    ASSERT_EQ(Entries(table), model);

    PK::HashTable<int, int, Hash> copy = table;
    PK::HashTable<int, int, Hash> moved = std::move(table);
    EXPECT_EQ(Entries(moved), model);
    EXPECT_TRUE(copy == moved);
    EXPECT_TRUE(table.IsEmpty());  // NOLINT(bugprone-use-after-move): a moved-from table is empty
    EXPECT_TRUE(table.Add(1, 1));
    EXPECT_EQ(Entries(table), (Model{{1, 1}}));
}

}  // namespace

TEST(HashTable, SmallAndLargeTablesKeepEveryEntryOnceInInsertionOrderThroughAddsPutsAndDeletes) {
    struct Case {
        int keyRange;
        int steps;
    };
    // Few keys stay under the linear search's bound; more cross it both ways; many grow the index.
    for (const Case& c : {Case{6, 3000}, Case{20, 6000}, Case{400, 20000}, Case{5000, 60000}}) {
        SCOPED_TRACE(c.keyRange);
        RunAgainstModel<std::hash<int>>(7u + static_cast<unsigned>(c.keyRange), c.keyRange, c.steps);
        RunAgainstModel<Crowded>(11u + static_cast<unsigned>(c.keyRange), c.keyRange, c.steps);
    }
}

TEST(HashTable, ASetFindsWhatItHoldsAcrossItsGrowthAndAfterMostIsRemoved) {
    PK::HashSet<PK::Int64> set;
    for (PK::Int64 i = 0; i < 10000; ++i) ASSERT_TRUE(set.Add(i * 7919));
    EXPECT_FALSE(set.Add(7919));
    for (PK::Int64 i = 0; i < 10000; ++i)
        if (i % 100 != 0) {
            ASSERT_TRUE(set.Delete(i * 7919));
        }
    std::vector<PK::Int64> left;
    for (PK::Int64 value : set) left.push_back(value);
    std::vector<PK::Int64> expected;
    for (PK::Int64 i = 0; i < 10000; i += 100) expected.push_back(i * 7919);
    EXPECT_EQ(left, expected);
    for (PK::Int64 i = 0; i < 10000; ++i) ASSERT_EQ(set.Contains(i * 7919), i % 100 == 0) << i;
}
