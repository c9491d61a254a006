#include "JabberIq.h"

#include "CYolClock.h"
#include "JabberContacts.h"

#include <climits>
#include <string_view>

int ParseIqId(const CYolString* id) {
    if (!id)
        return -1;
    static constexpr std::u16string_view prefix = u"yol_";
    int length = id->Length();
    const char16_t* text = id->c_str();
    if (length < static_cast<int>(prefix.size()) || std::u16string_view(text, prefix.size()) != prefix)
        return -1;
    long long value = 0;
    for (int i = static_cast<int>(prefix.size()); i < length && CYolString::IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - u'0');
        // Beyond any number we ever gave out: no pending entry can match.
        if (value > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(value);
}

int ParseIqId(const XmlNode& stanza) { return ParseIqId(stanza.GetAttr("id")); }

int XmppPendingIqs::NextNumber() {
    if (counter == INT_MAX)
        counter = 0;
    return ++counter;
}

void XmppPendingIqs::Add(int id, int key, IqAnswer answer, const CYolString& to) {
    Entry entry{id, key, std::move(answer), to, CYolClock::Current().TickCount()};
    if (key != 0) {
        for (Entry& waiting : pending) {
            if (waiting.key == key) {
                waiting = std::move(entry);
                return;
            }
        }
    }
    pending.push_back(std::move(entry));
}

bool XmppPendingIqs::IsAddressedAnswer(const CYolString& to, const CYolString* from) const {
    if (!to.IsEmpty()) {
        if (from)
            return SameJid(*from, to);
        // Our own server answers for our own account (its vCard, say)
        // without "from".
        return isOwnAddress && isOwnAddress(to);
    }
    // A request without "to" went to our own server, which answers without
    // "from" or in the name of our own account or its domain.
    return !from || (isOwnAddress && isOwnAddress(*from));
}

IqAnswer XmppPendingIqs::Take(int id, const CYolString* from) {
    uint32_t now = CYolClock::Current().TickCount();
    std::erase_if(pending, [now](const Entry& entry) { return now - entry.time >= kPendingIqLifetimeMs; });
    if (id < 0)
        return nullptr;
    for (auto it = pending.begin(); it != pending.end(); ++it) {
        if (it->id != id)
            continue;
        // Someone else answering in the addressee's place: not the answer,
        // which may still come.
        if (!IsAddressedAnswer(it->to, from))
            return nullptr;
        IqAnswer answer = std::move(it->answer);
        pending.erase(it);
        return answer;
    }
    return nullptr;
}

void XmppPendingIqs::Clear() {
    pending.clear();
    pending.shrink_to_fit();
}
