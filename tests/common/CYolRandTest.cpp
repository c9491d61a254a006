#include "CYolClock.h"
#include "CYolRand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>
#include <vector>

TEST(CYolRand, StaysWithinZeroTo32767AndSpreads)
{
    std::set<unsigned int> seen;
    for (int i = 0; i < 100000; ++i) {
        const unsigned int value = CYolRand::Rand();
        ASSERT_LE(value, CYolRand::Max);
        seen.insert(value);
    }
    EXPECT_GT(seen.size(), 30000u);
}

namespace {

// Runs in a fresh process, where nothing has drawn a number yet: eight
// threads make the very first calls at once under a manual clock at tick 1.
// Seeded once, they share out the first eight values after seed 1; seeded
// twice, some value would repeat.
int FirstCallsSeedOnceFromTheTickCount()
{
    CYolManualClock clock(1, 0);
    CYolClock::Install(&clock);

    constexpr int kThreads = 8;
    std::vector<unsigned int> values(kThreads);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            ready.fetch_add(1);
            while (ready.load() < kThreads) {
            }
            values[i] = CYolRand::Rand();
        });
    for (auto& t : threads)
        t.join();

    std::sort(values.begin(), values.end());
    const std::vector<unsigned int> firstEight = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    std::vector<unsigned int> expected = firstEight;
    std::sort(expected.begin(), expected.end());
    if (values != expected) {
        std::fputs("first values do not follow seed 1\n", stderr);
        return 1;
    }
    // A later tick count must not reseed.
    clock.Advance(123456);
    if (CYolRand::Rand() != 26962 || CYolRand::Rand() != 24464) {
        std::fputs("generator was reseeded\n", stderr);
        return 2;
    }
    return 0;
}

} // namespace

TEST(CYolRandDeathTest, FirstCallsSeedOnceFromTheTickCount)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(FirstCallsSeedOnceFromTheTickCount()), testing::ExitedWithCode(0), "");
}

TEST(CYolRand, SecureFillsEveryByteUnpredictably)
{
    // 1 MiB forces the kernel to answer in several pieces.
    std::vector<unsigned char> a(1 << 20), b(1 << 20);
    CYolRand::Secure(a.data(), a.size());
    CYolRand::Secure(b.data(), b.size());
    EXPECT_NE(a, b);
    // Each byte value turns up about 4096 times; an unfilled tail would
    // pile up zeros.
    std::vector<size_t> counts(256);
    for (unsigned char byte : a)
        ++counts[byte];
    EXPECT_LT(*std::max_element(counts.begin(), counts.end()), 5000u);
    EXPECT_GT(*std::min_element(counts.begin(), counts.end()), 3200u);

    std::set<uint32_t> words;
    for (int i = 0; i < 64; ++i)
        words.insert(CYolRand::Secure32());
    EXPECT_EQ(words.size(), 64u);
    CYolRand::Secure(nullptr, 0);
}
