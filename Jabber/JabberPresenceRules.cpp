#include "JabberPresenceRules.h"

#include <algorithm>
#include <array>

using namespace Protocols;

PresenceRule PresenceForStatus(Status wanted) {
    // Indexed by status; the moods ride on a plain or away/busy presence.
    static constexpr std::array<PresenceRule, StatusCount> rules = {{
        {Online, 0, nullptr, false},        // Offline
        {Online, 0, nullptr, false},        // Connecting
        {Online, 0, nullptr, false},        // Online
        {Invisible, 0, nullptr, true},      // Invisible
        {InvisibleForAll, 0, nullptr, true},  // InvisibleForAll
        {FreeForChat, 0, "chat", false},    // FreeForChat
        {Online, 4, nullptr, false},        // Evil
        {Online, 5, nullptr, false},        // Depression
        {Online, 6, nullptr, false},        // AtHome
        {Online, 7, nullptr, false},        // AtWork
        {Away, 10, "away", false},          // Lunch
        {Away, 0, "away", false},           // Away
        {NotAvailable, 0, "xa", false},     // NotAvailable
        {DoNotDisturb, 8, "dnd", false},    // Occupied
        {DoNotDisturb, 0, "dnd", false},    // DoNotDisturb
    }};
    if (wanted < 0 || wanted >= StatusCount)
        return rules[Online];
    return rules[wanted];
}

Status StatusFromShow(const CYolString* show) {
    struct Entry {
        const char16_t* text;
        Status status;
    };
    static constexpr Entry entries[] = {{u"away", Away}, {u"xa", NotAvailable}, {u"dnd", DoNotDisturb}, {u"chat", FreeForChat}};
    if (show != nullptr)
        for (const Entry& entry : entries)
            if (*show == entry.text)
                return entry.status;
    return Online;
}

Status StatusFromMood(unsigned int value, Status current) {
    struct Entry {
        unsigned int mood;
        Status status;
    };
    static constexpr Entry entries[] = {{4, Evil}, {5, Depression}, {6, AtHome}, {7, AtWork}, {8, Occupied}, {10, Lunch}};
    for (const Entry& entry : entries)
        if (entry.mood == value)
            return entry.status;
    return current;
}

int8_t ParsePriority(const CYolString* text) {
    if (text == nullptr)
        return 0;
    const char16_t* units = text->c_str();
    int length = text->Length();
    int at = 0;
    while (at < length && CYolString::IsSpace(units[at]))
        ++at;
    bool negative = false;
    if (at < length && (units[at] == u'-' || units[at] == u'+'))
        negative = units[at++] == u'-';
    int digits = 0;
    long value = 0;
    for (; at < length && units[at] >= u'0' && units[at] <= u'9'; ++at, ++digits)
        value = std::min(value * 10 + (units[at] - u'0'), 1000L);  // far enough past the range to clamp
    while (at < length && CYolString::IsSpace(units[at]))
        ++at;
    if (digits == 0 || at != length)
        return 0;
    if (negative)
        value = -value;
    return static_cast<int8_t>(std::clamp(value, -128L, 127L));
}

CYolString XStatusDescription(const CYolString& statusText, const CYolString& title) {
    int titleLength = title.Length();
    if (titleLength == 0 || statusText.Length() < titleLength ||
        CYolString::Compare(statusText.c_str(), title.c_str(), titleLength) != 0)
        return statusText;
    int from = titleLength;
    if (statusText.At(from) == u'.' || statusText.At(from) == u' ')
        ++from;
    return statusText.Substring(from, statusText.Length() - from);
}
