#include "CYolArray.h"
#include "CYolPair.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

template <typename T>
std::vector<T> Items(const CYolArray<T>& a) {
    return std::vector<T>(a.begin(), a.end());
}

CYolArray<int> Filled(std::initializer_list<int> values) {
    CYolArray<int> a;
    for (int v : values)
        a.Add(v);
    return a;
}

TEST(CYolArray, GrowsLinearlyByTheDefaultStep) {
    CYolArray<int> a;
    EXPECT_EQ(0, a.capacity);
    EXPECT_EQ(nullptr, a.buffer);
    std::vector<int> capacities;
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(i, a.Add(i * 7));
        capacities.push_back(a.capacity);
    }
    EXPECT_EQ(10, capacities[0]);
    EXPECT_EQ(10, capacities[9]);
    EXPECT_EQ(20, capacities[10]);
    EXPECT_EQ(30, capacities[20]);
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(i * 7, a[i]);
}

TEST(CYolArray, FillConstructorSetsCountCapacityAndStepToN) {
    CYolArray<std::string> a(3, "x");
    EXPECT_EQ(3, a.count);
    EXPECT_EQ(3, a.capacity);
    EXPECT_EQ(3, a.growStep);
    EXPECT_EQ((std::vector<std::string>{"x", "x", "x"}), Items(a));
    a.Add("y");
    EXPECT_EQ(6, a.capacity);
}

TEST(CYolArray, FillOfNothingStillGrowsWhenAddedTo) {
    CYolArray<int> a(0, 5);
    EXPECT_EQ(0, a.growStep);
    EXPECT_EQ(0, a.Add(1));
    EXPECT_EQ(1, a.Add(2));
    EXPECT_EQ((std::vector<int>{1, 2}), Items(a));
    EXPECT_EQ(2, a.capacity);
}

TEST(CYolArray, IndexOutsideTheElementsThrows) {
    CYolArray<int> empty;
    EXPECT_THROW(empty[0], std::out_of_range);
    CYolArray<int> a = Filled({1, 2, 3});
    EXPECT_EQ(3, a[2]);
    EXPECT_THROW(a[3], std::out_of_range);
    EXPECT_THROW(a[-1], std::out_of_range);
    const CYolArray<int>& c = a;
    EXPECT_THROW(c[3], std::out_of_range);
    // Slots past the count exist in storage but are not elements.
    EXPECT_GT(a.capacity, a.count);
    EXPECT_THROW(a[a.capacity - 1], std::out_of_range);
}

TEST(CYolArray, InsertAtClampsAndMovesLaterElementsUp) {
    struct Case {
        int index;
        int used;
        std::vector<int> after;
    };
    const Case cases[] = {
        {100, 3, {1, 2, 3, 9}},
        {3, 3, {1, 2, 3, 9}},
        {0, 0, {9, 1, 2, 3}},
        {1, 1, {1, 9, 2, 3}},
        {-4, 0, {9, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        CYolArray<int> a = Filled({1, 2, 3});
        EXPECT_EQ(c.used, a.InsertAt(c.index, 9)) << c.index;
        EXPECT_EQ(c.after, Items(a)) << c.index;
    }
}

TEST(CYolArray, InsertAtGrowsAFullArray) {
    CYolArray<int> a(2, 4);
    EXPECT_EQ(0, a.InsertAt(0, 1));
    EXPECT_EQ((std::vector<int>{1, 4, 4}), Items(a));
    EXPECT_EQ(4, a.capacity);
}

TEST(CYolArray, RemoveAtMovesLaterElementsDownAndIgnoresIndexesPastTheEnd) {
    CYolArray<int> a = Filled({1, 2, 3, 4});
    a.RemoveAt(4);
    a.RemoveAt(-1);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), Items(a));
    a.RemoveAt(1);
    EXPECT_EQ((std::vector<int>{1, 3, 4}), Items(a));
    a.RemoveAt(2);
    EXPECT_EQ((std::vector<int>{1, 3}), Items(a));
    EXPECT_EQ(10, a.capacity);
}

TEST(CYolArray, AddingAnElementOfTheSameArrayWhileItGrows) {
    // The element added lives in the storage that growing replaces.
    CYolArray<std::string> a(2, std::string(40, 'a'));
    a[1] = std::string(40, 'b');
    a.Add(a[1]);
    a.InsertAt(0, a[2]);
    a.InsertAt(1, a[3]);
    EXPECT_EQ((std::vector<std::string>{std::string(40, 'b'), std::string(40, 'b'), std::string(40, 'a'),
                                        std::string(40, 'b'), std::string(40, 'b')}),
              Items(a));
}

TEST(CYolArray, CopiesAreDeepAndKeepCountCapacityAndStep) {
    CYolArray<std::string> a;
    a.SetGrowStep(4);
    a.Add("one");
    a.Add("two");
    CYolArray<std::string> copy(a);
    EXPECT_EQ(2, copy.count);
    EXPECT_EQ(4, copy.capacity);
    EXPECT_EQ(4, copy.growStep);
    copy[0] = "changed";
    EXPECT_EQ("one", a[0]);

    CYolArray<std::string> assigned(7, "z");
    assigned = a;
    EXPECT_EQ((std::vector<std::string>{"one", "two"}), Items(assigned));
    EXPECT_EQ(4, assigned.capacity);
    EXPECT_EQ(4, assigned.growStep);
    const CYolArray<std::string>& same = assigned;
    assigned = same;
    EXPECT_EQ(2, assigned.count);
}

TEST(CYolArray, ReserveAndFreeExtraSetTheExactCapacity) {
    CYolArray<int> a = Filled({1, 2, 3});
    a.Reserve(5);
    EXPECT_EQ(10, a.capacity);
    a.Reserve(25);
    EXPECT_EQ(25, a.capacity);
    a.FreeExtra();
    EXPECT_EQ(3, a.capacity);
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Items(a));
    a.Add(4);
    EXPECT_EQ(13, a.capacity);

    CYolArray<int> empty;
    empty.Reserve(4);
    empty.FreeExtra();
    EXPECT_EQ(0, empty.capacity);
    EXPECT_EQ(nullptr, empty.buffer);
}

TEST(CYolArray, HoldsPairsOfTexts) {
    CYolArray<CYolPair<std::string, std::string>> params;
    params.Add(CYolPair<std::string, std::string>("name", "Ann"));
    params.Add({"count", "3"});
    CYolArray<CYolPair<std::string, std::string>> copy = params;
    copy[0].second = "Bob";
    EXPECT_EQ("Ann", params[0].second);
    EXPECT_EQ("count", copy[1].first);
}

} // namespace
