// The accounts' map of contact-list items that share a key.

#include "CLItemRefArrayMap.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

Protocols::CLItemRef Item(unsigned int id, const char* key) { return {id, 0x40000001, W(key)}; }

std::vector<unsigned int> IdsUnder(Protocols::CLItemRefArrayMap& map, const char* key) {
    std::vector<unsigned int> ids;
    if (const CYolArray<Protocols::CLItemRef>* items = map.Find(W(key)))
        for (const Protocols::CLItemRef& item : *items)
            ids.push_back(item.id);
    return ids;
}

TEST(CLItemRefArrayMapTest, ItemsWithOneKeyGatherInTheirOrder) {
    Protocols::CLItemRefArrayMap map;
    map.Add(Item(1, "alice"));
    map.Add(Item(2, "bob"));
    map.Add(Item(3, "alice"));
    EXPECT_EQ(map.Count(), 2u);
    EXPECT_EQ(IdsUnder(map, "alice"), (std::vector<unsigned int>{1, 3}));
    EXPECT_EQ(IdsUnder(map, "bob"), (std::vector<unsigned int>{2}));
}

TEST(CLItemRefArrayMapTest, RemovingTheLastItemOfAKeyErasesTheKey) {
    Protocols::CLItemRefArrayMap map;
    for (unsigned int id : {1u, 2u, 3u})
        map.Add(Item(id, "alice"));

    EXPECT_TRUE(map.RemoveAt(W("alice"), 0));
    EXPECT_EQ(IdsUnder(map, "alice"), (std::vector<unsigned int>{2, 3}));
    EXPECT_TRUE(map.RemoveLast(W("alice")));
    EXPECT_EQ(IdsUnder(map, "alice"), (std::vector<unsigned int>{2}));
    EXPECT_TRUE(map.RemoveLast(W("alice")));
    EXPECT_FALSE(map.Contains(W("alice")));
    EXPECT_FALSE(map.RemoveLast(W("alice")));

    map.Add(Item(4, "bob"));
    EXPECT_TRUE(map.RemoveAt(W("bob"), 0));
    EXPECT_TRUE(map.IsEmpty());
}

TEST(CLItemRefArrayMapTest, RemoveAtOutsideTheArrayChangesNothing) {
    Protocols::CLItemRefArrayMap map;
    map.Add(Item(1, "alice"));
    for (int index : {-1, 1, 5})
        EXPECT_FALSE(map.RemoveAt(W("alice"), index)) << index;
    EXPECT_FALSE(map.RemoveAt(W("nobody"), 0));
    EXPECT_EQ(IdsUnder(map, "alice"), (std::vector<unsigned int>{1}));
}

}  // namespace
