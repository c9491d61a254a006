// The fixed mappings between statuses and presence, and the reading of an
// incoming priority.

#include "JabberPresenceRules.h"

#include <gtest/gtest.h>

#include <string>

using namespace Protocols;

TEST(JabberPresenceRulesTest, WantedStatusGivesPresenceMoodAndShow) {
    struct Case {
        int wanted;
        Status presence;
        int mood;
        const char* show;
        bool invisible;
    } cases[] = {
        {Online, Online, 0, nullptr, false},
        {Invisible, Invisible, 0, nullptr, true},
        {InvisibleForAll, InvisibleForAll, 0, nullptr, true},
        {FreeForChat, FreeForChat, 0, "chat", false},
        {Evil, Online, 4, nullptr, false},
        {Depression, Online, 5, nullptr, false},
        {AtHome, Online, 6, nullptr, false},
        {AtWork, Online, 7, nullptr, false},
        {Lunch, Away, 10, "away", false},
        {Away, Away, 0, "away", false},
        {NotAvailable, NotAvailable, 0, "xa", false},
        {Occupied, DoNotDisturb, 8, "dnd", false},
        {DoNotDisturb, DoNotDisturb, 0, "dnd", false},
        {Offline, Online, 0, nullptr, false},
        {Connecting, Online, 0, nullptr, false},
        {15, Online, 0, nullptr, false},
        {-1, Online, 0, nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wanted);
        PresenceRule rule = PresenceForStatus(static_cast<Status>(c.wanted));
        EXPECT_EQ(rule.presence, c.presence);
        EXPECT_EQ(rule.mood, c.mood);
        EXPECT_EQ(std::string(rule.show ? rule.show : "-"), std::string(c.show ? c.show : "-"));
        EXPECT_EQ(rule.invisible, c.invisible);
    }
}

TEST(JabberPresenceRulesTest, ShowAndMoodGiveTheContactsStatus) {
    struct ShowCase {
        const char* show;
        Status status;
    } shows[] = {{"away", Away}, {"xa", NotAvailable}, {"dnd", DoNotDisturb}, {"chat", FreeForChat},
                 {"", Online},   {"AWAY", Online},     {"busy", Online}};
    for (const auto& c : shows) {
        CYolString text = CYolString::FromUtf8(c.show);
        EXPECT_EQ(StatusFromShow(&text), c.status) << c.show;
    }
    EXPECT_EQ(StatusFromShow(nullptr), Online);

    struct MoodCase {
        unsigned int value;
        Status status;
    } moods[] = {{4, Evil}, {5, Depression}, {6, AtHome}, {7, AtWork}, {8, Occupied}, {10, Lunch}, {9, Away}, {0, Away}};
    for (const auto& c : moods)
        EXPECT_EQ(StatusFromMood(c.value, Away), c.status) << c.value;
}

TEST(JabberPresenceRulesTest, PriorityIsSignedAndClamped) {
    struct Case {
        const char* text;
        int priority;
    } cases[] = {
        {"5", 5},       {"-5", -5},     {"0", 0},      {"127", 127},    {"128", 127},      {"-128", -128},
        {"-129", -128}, {"255", 127},   {"4294967295", 127}, {"-99999999999", -128}, {"+3", 3}, {" 12 ", 12},
        {"abc", 0},     {"", 0},        {"-", 0},      {"1x", 0},       {"0x10", 0},       {"1.5", 0},
    };
    for (const auto& c : cases) {
        CYolString text = CYolString::FromUtf8(c.text);
        EXPECT_EQ(ParsePriority(&text), c.priority) << '"' << c.text << '"';
    }
    EXPECT_EQ(ParsePriority(nullptr), 0);
}

TEST(JabberPresenceRulesTest, ExtendedStatusDescriptionLosesTheTitle) {
    struct Case {
        const char* text;
        const char* title;
        const char* description;
    } cases[] = {
        {"Coffee. With milk", "Coffee", " With milk"},
        {"Coffee with milk", "Coffee", "with milk"},
        {"Coffeewith milk", "Coffee", "with milk"},
        {"Coffee", "Coffee", ""},
        {"coffee with milk", "Coffee", "coffee with milk"},
        {"Tea", "Coffee", "Tea"},
        {"Anything", "", "Anything"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(XStatusDescription(CYolString::FromUtf8(c.text), CYolString::FromUtf8(c.title)).ToUtf8(),
                  c.description)
            << c.text;
}
