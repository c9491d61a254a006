#pragma once
// Recording fakes of what the details features (vCards, search) talk to:
// the list's detail values, the own value store and the events. Values are
// kept as "item key" -> text (item 0: the own values), numbers as decimal.

#include "RecordingStanzaSink.h"
#include "XmppFeatureSupport.h"
#include "XmppVCard.h"

#include <map>
#include <string>
#include <vector>

namespace XmppDetailsTest {

using XmppFeatureTest::U;

// Detail values keyed "item key" (item 0: the own values), numbers as text.
using Stored = std::map<std::string, std::string>;

inline std::string Key(unsigned int item, const char16_t* key) {
    return std::to_string(item) + " " + CYolString(key).ToUtf8();
}

class FakeDetailsList final : public XmppDetailsList {
public:
    bool ItemLogin(unsigned int item, CYolString& out) override {
        auto found = logins.find(item);
        if (found == logins.end())
            return false;
        out = U(found->second);
        return true;
    }
    unsigned int AddContact(unsigned int, const CYolString&, const CYolString&, uint8_t) override { return 0; }
    bool StoredSubscription(unsigned int, uint8_t&) override { return false; }
    void SetSubscription(unsigned int, uint8_t) override {}
    void SetDetailText(unsigned int item, const char16_t* key, const CYolString& value) override {
        values[Key(item, key)] = value.ToUtf8();
    }
    void SetDetailNumber(unsigned int item, const char16_t* key, DetailType, unsigned int value) override {
        values[Key(item, key)] = std::to_string(value);
    }
    bool GetDetailNumber(unsigned int item, const char16_t* key, DetailType, unsigned int& out) override {
        auto found = values.find(Key(item, key));
        if (found == values.end())
            return false;
        out = static_cast<unsigned int>(std::stoul(found->second));
        return true;
    }
    unsigned int TempContact(const CYolString& jid) override {
        logins[nextTemp] = jid.ToUtf8();
        temps.push_back(jid.ToUtf8());
        return nextTemp++;
    }
    void SetAlias(unsigned int item, const CYolString& name) override { aliases[item] = name.ToUtf8(); }
    bool ShowsBirthdays() override { return birthdays; }

    std::map<unsigned int, std::string> logins;
    Stored values;
    std::map<unsigned int, std::string> aliases;
    std::vector<std::string> temps;
    bool birthdays = true;
    unsigned int nextTemp = 500;
};

class FakeOwnStore final : public XmppOwnDetailStore {
public:
    bool Available() override { return true; }
    bool ReadText(const char16_t* key, CYolString& out) override {
        auto found = values.find(Key(0, key));
        if (found == values.end())
            return false;
        out = U(found->second);
        return true;
    }
    bool ReadNumber(const char16_t* key, DetailType, unsigned int& out) override {
        auto found = values.find(Key(0, key));
        if (found == values.end())
            return false;
        out = static_cast<unsigned int>(std::stoul(found->second));
        return true;
    }
    void WriteText(const char16_t* key, const CYolString& value) override { values[Key(0, key)] = value.ToUtf8(); }
    void WriteNumber(const char16_t* key, DetailType, unsigned int value) override {
        values[Key(0, key)] = std::to_string(value);
    }
    Stored values;
};

class RecordingEvents final : public XmppDetailsEvents {
public:
    void ContactDetailsReady(unsigned int item) override { log.push_back("contact " + std::to_string(item)); }
    void OwnDetailsReady() override { log.push_back("own"); }
    void SearchResult(const Protocols::UserInfo* user) override {
        if (user == nullptr) {
            log.push_back("end");
            return;
        }
        log.push_back("found " + std::to_string(user->contactId) + " " + user->login.ToUtf8() + " '" +
                      user->nick.ToUtf8() + "' " + user->firstName.ToUtf8() + " " + user->lastName.ToUtf8() + " " +
                      user->email.ToUtf8() + " g" + std::to_string(user->gender));
    }
    std::vector<std::string> log;
};

// A vCard feature over the fakes, for "me@example.org".
struct DetailsParts {
    XmppTest::RecordingStanzaSink sink;
    CJabberContactMap contacts;
    FakeDetailsList list;
    FakeOwnStore own;
    RecordingEvents events;
    XmppVCard vcard{sink, contacts, list, own, events, [] { return U("me@example.org"); }};
};

}  // namespace XmppDetailsTest
