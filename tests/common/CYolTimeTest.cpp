#include "CYolClock.h"
#include "CYolThread.h"
#include "CYolTime.h"
#include "CYolTimeZone.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace {

// Sets TZ for one test and puts the previous zone back.
class ZoneTest : public testing::Test {
protected:
    void SetZone(const char* zone) { CYolTimeZone::Use(zone); }
    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ"))
            saved = tz;
    }
    void TearDown() override { CYolTimeZone::Use(saved ? saved->c_str() : nullptr); }

private:
    std::optional<std::string> saved;
};

struct Fields {
    int year, month, day, hour, minute, second;
};

void ExpectFields(const CYolTime& t, const Fields& f, const std::string& where)
{
    EXPECT_EQ(t.Year(), f.year) << where;
    EXPECT_EQ(t.Month(), f.month) << where;
    EXPECT_EQ(t.Day(), f.day) << where;
    EXPECT_EQ(t.Hour(), f.hour) << where;
    EXPECT_EQ(t.Minute(), f.minute) << where;
    EXPECT_EQ(t.Second(), f.second) << where;
}

std::string Text(const CYolTime& t, const char* format)
{
    return t.ToString(CYolString::FromUtf8(format)).ToUtf8();
}

// An instant, and the local fields it has in a zone.
struct ZoneCase {
    const char* zone;
    unsigned int unixTime;
    Fields local;
    int dst;
    bool ambiguous; // local fields that name two instants (clocks set back)
};

const ZoneCase kZoneCases[] = {
    {"Asia/Kolkata", 1262289600, {2010, 1, 1, 1, 30, 0}, 0, false},      // 2009-12-31 20:00 UTC, +5:30
    {"Europe/Moscow", 1591826400, {2020, 6, 11, 1, 0, 0}, 0, false},     // 22:00 UTC into the next day, +3
    {"Europe/Moscow", 1277985600, {2010, 7, 1, 16, 0, 0}, 1, false},     // summer time of 2010, +4
    {"Europe/Moscow", 1263556800, {2010, 1, 15, 15, 0, 0}, 0, false},    // winter of 2010, +3
    {"America/New_York", 1615705199, {2021, 3, 14, 1, 59, 59}, 0, false}, // last second of EST
    {"America/New_York", 1615705200, {2021, 3, 14, 3, 0, 0}, 1, false},   // first second of EDT
    {"America/New_York", 1636264799, {2021, 11, 7, 1, 59, 59}, 1, true},  // last second of EDT
    {"America/New_York", 1636264800, {2021, 11, 7, 1, 0, 0}, 0, true},    // the hour repeats in EST
};

} // namespace

// --- CYolTime -----------------------------------------------------------------

TEST(CYolTime, UnixTimeGivesUtcFields)
{
    const CYolTime epoch(0u);
    ExpectFields(epoch, {1970, 1, 1, 0, 0, 0}, "epoch");
    EXPECT_EQ(epoch.DayOfWeek(), 4); // Thursday

    const CYolTime last(0xFFFFFFFFu);
    ExpectFields(last, {2106, 2, 7, 6, 28, 15}, "last 32-bit second");
}

TEST(CYolTime, SixFieldsAreTakenWhenValid)
{
    const CYolTime t(2009, 12, 31, 23, 59, 59);
    ExpectFields(t, {2009, 12, 31, 23, 59, 59}, "");
    EXPECT_EQ(t.DayOfWeek(), 0);
    EXPECT_EQ(t.DayOfYear(), 0);
}

TEST_F(ZoneTest, InvalidFieldsKeepTheCurrentTime)
{
    SetZone("UTC");
    CYolManualClock clock(0, 1262303999); // 2009-12-31 23:59:59
    CYolClock::Install(&clock);
    const Fields now = {2009, 12, 31, 23, 59, 59};
    ExpectFields(CYolTime(), now, "now");

    const unsigned int cases[][6] = {
        {2009, 13, 1, 0, 0, 0}, {2009, 0, 1, 0, 0, 0},  {1900, 1, 1, 0, 0, 0},
        {2009, 1, 32, 0, 0, 0}, {2009, 1, 1, 24, 0, 0}, {2009, 1, 1, 0, 60, 0},
        {2009, 1, 1, 0, 0, 60}, {0xFFFFFFFFu, 1, 1, 0, 0, 0},
    };
    for (const auto& c : cases)
        ExpectFields(CYolTime(c[0], c[1], c[2], c[3], c[4], c[5]), now,
                     std::to_string(c[0]) + "-" + std::to_string(c[1]) + "-" + std::to_string(c[2]));
}

TEST_F(ZoneTest, GetUnixTimeNormalisesTheFields)
{
    SetZone("UTC");
    CYolTime t(2009, 2, 31, 12, 0, 0);
    EXPECT_EQ(t.GetUnixTime(), 1236081600u); // 2009-03-03 12:00 UTC
    ExpectFields(t, {2009, 3, 3, 12, 0, 0}, "");
    EXPECT_EQ(t.DayOfWeek(), 2);
    EXPECT_EQ(t.DayOfYear(), 61);

    CYolTime end(2009, 12, 31, 23, 59, 59);
    EXPECT_EQ(end.GetUnixTime(), 1262303999u);
}

TEST_F(ZoneTest, GetUnixTimeDecidesDaylightSavingForTheDate)
{
    SetZone("America/New_York");
    // The flag that "now" brings along belongs to the other season each time.
    struct Case {
        int64_t now;
        unsigned int month;
        unsigned int expected;
    } cases[] = {
        {1610730000, 7, 1625155200}, // now in January, 2021-07-01 12:00 EDT
        {1625155200, 1, 1610730000}, // now in July, 2021-01-15 12:00 EST
    };
    for (const Case& c : cases) {
        CYolManualClock clock(0, c.now);
        CYolClock::Install(&clock);
        CYolTime t(2021, c.month, c.month == 7 ? 1 : 15, 12, 0, 0);
        EXPECT_EQ(t.GetUnixTime(), c.expected) << c.month;
        EXPECT_EQ(t.Hour(), 12) << c.month;
    }
}

TEST_F(ZoneTest, ToLocalGivesTheLocalFieldsOfTheInstant)
{
    for (const ZoneCase& c : kZoneCases) {
        SetZone(c.zone);
        CYolTime t(c.unixTime);
        t.ToLocal();
        const std::string where = std::string(c.zone) + " " + std::to_string(c.unixTime);
        ExpectFields(t, c.local, where);
        EXPECT_EQ(t.IsDst(), c.dst) << where;
        // Local fields lead back to the same instant.
        if (!c.ambiguous) {
            EXPECT_EQ(t.GetUnixTime(), c.unixTime) << where;
        }
    }
}

TEST_F(ZoneTest, ToGMTGivesTheUtcFieldsOfTheInstant)
{
    for (const ZoneCase& c : kZoneCases) {
        if (c.ambiguous)
            continue;
        SetZone(c.zone);
        CYolTime t(c.local.year, c.local.month, c.local.day, c.local.hour, c.local.minute, c.local.second);
        t.ToGMT();
        const CYolTime utc(c.unixTime);
        ExpectFields(t, {utc.Year(), utc.Month(), utc.Day(), utc.Hour(), utc.Minute(), utc.Second()},
                     std::string(c.zone) + " " + std::to_string(c.unixTime));
        EXPECT_EQ(t.IsDst(), 0);
    }
}

TEST_F(ZoneTest, DefaultIsTheLocalTimeOfTheCurrentClock)
{
    SetZone("Asia/Kolkata");
    CYolManualClock clock(0, 1262289600);
    CYolClock::Install(&clock);
    ExpectFields(CYolTime(), {2010, 1, 1, 1, 30, 0}, "");
}

// Account threads stamp times while the zone changes under them: each
// conversion answers for one zone or the other, never for tables torn in
// between (and the thread sanitizer sees no race on the zone's state).
TEST_F(ZoneTest, ConversionsOnManyThreadsWhileTheZoneChanges)
{
    const unsigned int kolkata = 1262327400; // 2010-01-01 12:00 +05:30
    const unsigned int newYork = 1262365200; // 2010-01-01 12:00 -05:00
    SetZone("Asia/Kolkata");
    std::atomic<bool> done{false};
    std::atomic<int> converted{0};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            while (!done.load() || converted.load() < 100) {
                CYolTime noon(2010, 1, 1, 12, 0, 0);
                const unsigned int instant = noon.GetUnixTime();
                if (instant != kolkata && instant != newYork)
                    ++wrong;
                CYolTime now;
                now.ToLocal();
                if (Text(now, "%Z").empty())
                    ++wrong;
                ++converted;
            }
        });
    }
    for (int i = 0; i < 200; ++i)
        SetZone(i % 2 == 0 ? "America/New_York" : "Asia/Kolkata");
    done = true;
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong, 0);
}

TEST(CYolTime, ToStringFormatsWithStrftime)
{
    const CYolTime epoch(0u);
    struct Case {
        const char* format;
        const char* text;
    } cases[] = {
        {"%Y-%m-%d %H:%M:%S", "1970-01-01 00:00:00"},
        {"%c", "Thu Jan  1 00:00:00 1970"},
        {"день %d.%m", "день 01.01"}, // the format crosses as UTF-8 and back
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(epoch, c.format), c.text) << c.format;
}

TEST(CYolTime, ToStringIsEmptyPast254Characters)
{
    const CYolTime epoch(0u);
    EXPECT_EQ(Text(epoch, std::string(254, 'x').c_str()), std::string(254, 'x'));
    EXPECT_EQ(Text(epoch, std::string(255, 'x').c_str()), "");
    EXPECT_EQ(Text(epoch, (std::string(251, 'x') + "%Y").c_str()), "");
}

// --- CYolClock ----------------------------------------------------------------

TEST(CYolClock, SystemClockIsCurrentByDefault)
{
    CYolClock& clock = CYolClock::Current();
    EXPECT_EQ(&clock, &CYolClock::System());
    const uint64_t before = clock.TickCount64();
    CYolThread::Sleep(20);
    EXPECT_GE(clock.TickCount64() - before, 20u);
    EXPECT_LE(std::llabs(clock.Now() - static_cast<int64_t>(std::time(nullptr))), 2);
}

TEST(CYolClock, ManualClockMovesOnlyWhenTold)
{
    CYolManualClock clock(0xFFFFFFF0u, 1000);
    EXPECT_EQ(CYolClock::Install(&clock), &CYolClock::System());
    EXPECT_EQ(&CYolClock::Current(), &clock);

    clock.Advance(0x20);
    EXPECT_EQ(CYolClock::Current().TickCount64(), 0x100000010u);
    EXPECT_EQ(CYolClock::Current().TickCount(), 0x10u); // wraps like the handheld's
    EXPECT_EQ(CYolClock::Current().Now(), 1000);        // 32 ms are not a second yet
    clock.Advance(120000);
    EXPECT_EQ(CYolClock::Current().Now(), 1120);

    clock.SetNow(50);
    EXPECT_EQ(clock.Now(), 50);
    EXPECT_EQ(clock.TickCount64(), 0x100000010u + 120000); // ticks are monotonic

    EXPECT_EQ(CYolClock::Install(nullptr), &clock);
    EXPECT_EQ(&CYolClock::Current(), &CYolClock::System());
}

TEST(CYolClock, DestroyingTheInstalledManualClockRestoresTheSystemClock)
{
    {
        CYolManualClock clock;
        CYolClock::Install(&clock);
    }
    EXPECT_EQ(&CYolClock::Current(), &CYolClock::System());
}

namespace {

struct CountingObserver : MYolClockObserver {
    std::atomic<int> calls{0};
    void OnClockChanged() override { ++calls; }
};

} // namespace

TEST(CYolClock, ObserversHearEveryJumpOfTheCurrentClock)
{
    CountingObserver observer;
    CYolClock::AddObserver(&observer);
    CYolClock::AddObserver(&observer); // once is enough

    CYolManualClock clock;
    CYolManualClock other;
    CYolClock::Install(&clock);
    EXPECT_EQ(observer.calls.load(), 1);
    clock.Advance(120000);
    clock.SetNow(1234);
    EXPECT_EQ(observer.calls.load(), 3);
    other.Advance(5); // not the current clock: nobody waits on it
    EXPECT_EQ(observer.calls.load(), 3);

    CYolClock::RemoveObserver(&observer);
    clock.Advance(1);
    EXPECT_EQ(observer.calls.load(), 3);
    CYolClock::Install(nullptr);
}

TEST(CYolClock, AdvanceWakesAWaiterOfAnotherThread)
{
    // The pattern a timer service follows: sleep on its own event until the
    // due tick, and let the clock's jumps wake it to look again.
    struct Waker : MYolClockObserver {
        CYolEvent event;
        void OnClockChanged() override { event.Set(); }
    } waker;
    CYolManualClock clock(1000);
    CYolClock::Install(&clock);
    CYolClock::AddObserver(&waker);

    // Each real wait is far longer than the test may take: only the
    // clock's notifications can end them in time.
    const uint64_t due = clock.TickCount64() + 120000;
    std::atomic<uint64_t> firedAt{0};
    const auto start = std::chrono::steady_clock::now();
    std::thread timer([&] {
        while (CYolClock::Current().TickCount64() < due)
            waker.event.Wait(30000);
        firedAt = CYolClock::Current().TickCount64();
    });
    clock.Advance(60000);
    CYolThread::Sleep(10);
    clock.Advance(60000);
    timer.join();
    EXPECT_EQ(firedAt.load(), 121000u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

    CYolClock::RemoveObserver(&waker);
    CYolClock::Install(nullptr);
}
