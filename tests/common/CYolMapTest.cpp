#include "CYolMap.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using IntMap = CYolMap<int, int>;

std::vector<std::pair<int, int>> Walk(const IntMap& map, bool ascending = true) {
    std::vector<std::pair<int, int>> out;
    for (IntMap::Cursor c(map, ascending); c.IsValid(); c.Next())
        out.emplace_back(c.Key(), c.Value());
    return out;
}

std::vector<std::pair<int, int>> Walk(const std::map<int, int>& map) {
    return {map.begin(), map.end()};
}

TEST(CYolMap, InsertOfPresentKeyKeepsStoredElement) {
    IntMap map;
    auto first = map.Insert(7, 70);
    EXPECT_TRUE(first.second);
    auto again = map.Insert(7, 71);
    EXPECT_FALSE(again.second);
    EXPECT_EQ(first.first, again.first);
    EXPECT_EQ(*map.Find(7), 70);
    EXPECT_EQ(map.Count(), 1u);
}

TEST(CYolMap, FindAndEraseOfAbsentKey) {
    IntMap map;
    EXPECT_EQ(map.Find(1), nullptr);
    EXPECT_FALSE(map.Erase(1));
    map.Insert(1, 10);
    EXPECT_FALSE(map.Erase(2));
    EXPECT_EQ(map.Count(), 1u);
    EXPECT_TRUE(map.Erase(1));
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(map.Count(), 0u);
}

TEST(CYolMap, CursorWalksBothWays) {
    IntMap map;
    for (int k : {5, 1, 9, 3, 7})
        map.Insert(k, k * 10);
    std::vector<std::pair<int, int>> up{{1, 10}, {3, 30}, {5, 50}, {7, 70}, {9, 90}};
    EXPECT_EQ(Walk(map), up);
    std::vector<std::pair<int, int>> down(up.rbegin(), up.rend());
    EXPECT_EQ(Walk(map, false), down);
    EXPECT_TRUE(Walk(IntMap()).empty());
}

TEST(CYolMap, RangeForGivesKeysAndChangeableValues) {
    IntMap map;
    for (int k = 0; k < 20; ++k)
        map.Insert(k, 0);
    for (auto [key, value] : map)
        value = key * 2;
    int expected = 0;
    for (auto [key, value] : std::as_const(map)) {
        EXPECT_EQ(key, expected);
        EXPECT_EQ(value, expected * 2);
        ++expected;
    }
    EXPECT_EQ(expected, 20);
}

TEST(CYolMap, OrdersByCustomLess) {
    struct Greater {
        bool operator()(const std::string& a, const std::string& b) const { return a > b; }
    };
    CYolMap<std::string, int, Greater> map;
    for (const char* k : {"b", "a", "c"})
        map.Insert(std::string(k), 0);
    std::string order;
    for (auto [key, value] : map)
        order += key;
    EXPECT_EQ(order, "cba");
}

// Values that own memory: erasure moves the neighbour's element into the
// found node, so a wrong move or a double free shows under the sanitizers.
TEST(CYolMap, EraseMovesOwningElements) {
    CYolMap<std::string, std::vector<std::string>> map;
    for (int i = 0; i < 200; ++i)
        map.Insert("key" + std::to_string(i), std::vector<std::string>(3, std::string(40, char('a' + i % 26))));
    for (int i = 0; i < 200; i += 3)
        ASSERT_TRUE(map.Erase("key" + std::to_string(i)));
    for (int i = 0; i < 200; ++i) {
        const auto* v = map.Find("key" + std::to_string(i));
        if (i % 3 == 0) {
            EXPECT_EQ(v, nullptr);
        } else {
            ASSERT_NE(v, nullptr);
            EXPECT_EQ((*v)[2], std::string(40, char('a' + i % 26)));
        }
    }
    EXPECT_TRUE(map.CheckTree());
}

// Sorted input is the worst case for an unbalanced tree: the cursor's fixed
// ancestor stack would overflow (and the checks fail) if the tree leaned.
TEST(CYolMap, LargeSortedInputStaysBalanced) {
    IntMap map;
    const int n = 1 << 17;
    for (int k = 0; k < n; ++k)
        map.Insert(k, k);
    EXPECT_EQ(map.Count(), unsigned(n));
    EXPECT_TRUE(map.CheckTree());
    int seen = 0;
    for (IntMap::Cursor c(map); c.IsValid(); c.Next())
        ASSERT_EQ(c.Key(), seen++);
    EXPECT_EQ(seen, n);
    for (int k = 0; k < n; k += 2)
        map.Erase(k);
    EXPECT_TRUE(map.CheckTree());
    map.Clear();
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_TRUE(map.CheckTree());
}

TEST(CYolMap, MoveLeavesSourceEmpty) {
    IntMap a;
    a.Insert(1, 1);
    a.Insert(2, 2);
    IntMap b(std::move(a));
    EXPECT_EQ(a.Count(), 0u);
    EXPECT_EQ(Walk(a).size(), 0u);
    EXPECT_EQ(b.Count(), 2u);
    IntMap c;
    c.Insert(9, 9);
    c = std::move(b);
    EXPECT_EQ(Walk(c), (std::vector<std::pair<int, int>>{{1, 1}, {2, 2}}));
}

// Random operations against std::map, with the tree's own rules checked
// along the way. The key range is kept small so that inserts of present
// keys and erases of present keys both happen often.
class CYolMapProperty : public testing::TestWithParam<int> {};

TEST_P(CYolMapProperty, BehavesAsStdMap) {
    std::mt19937 rng(GetParam());
    const int keyRange = GetParam() % 2 == 0 ? 64 : 5000;
    std::uniform_int_distribution<int> key(0, keyRange - 1);
    std::uniform_int_distribution<int> op(0, 99);
    IntMap map;
    std::map<int, int> reference;

    for (int step = 0; step < 20000; ++step) {
        int k = key(rng);
        int o = op(rng);
        if (o < 45) {
            int v = int(rng());
            auto [stored, added] = map.Insert(k, v);
            auto [it, refAdded] = reference.insert({k, v});
            ASSERT_EQ(added, refAdded);
            ASSERT_EQ(*stored, it->second);
        } else if (o < 85) {
            ASSERT_EQ(map.Erase(k), reference.erase(k) == 1);
        } else if (o < 99) {
            const int* found = map.Find(k);
            auto it = reference.find(k);
            ASSERT_EQ(found != nullptr, it != reference.end());
            if (found != nullptr) {
                ASSERT_EQ(*found, it->second);
            }
        } else {
            map.Clear();
            reference.clear();
        }
        ASSERT_EQ(map.Count(), reference.size());
        if (step % 500 == 0) {
            ASSERT_TRUE(map.CheckTree()) << "step " << step;
            ASSERT_EQ(Walk(map), Walk(reference));
        }
    }
    EXPECT_TRUE(map.CheckTree());
    EXPECT_EQ(Walk(map), Walk(reference));
}

INSTANTIATE_TEST_SUITE_P(Seeds, CYolMapProperty, testing::Range(1, 9));

} // namespace
