#pragma once
// What the stanza-level suites of the XMPP features share: a stanza parsed
// from text, and a recording fake of the features' narrow contact-list
// interfaces. The fake keeps the account's groups and contacts as plain
// rows and logs every change as one readable line.

#include "TestSupport.h"
#include "CYolString.h"
#include "XmlNode.h"
#include "XmlStreamParser.h"
#include "XmppContactListPorts.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace XmppFeatureTest {

using ::U;

// The one top-level element of `text`, as the stream parser hands it over.
inline XmlNode Stanza(std::string_view text) {
    XmlNode out;
    XmlStreamParser parser;
    parser.SetCallback(
        2, XmlStreamParser::End, [](XmlNode* element, void* target) { *static_cast<XmlNode*>(target) = std::move(*element); },
        &out);
    const std::string stream = "<stream:stream xmlns='jabber:client'>" + std::string(text);
    parser.Feed(stream);
    EXPECT_FALSE(out.Name().empty()) << text;
    return out;
}

class RecordingContactList final : public XmppRosterList, public XmppPresenceList, public XmppMessageList {
public:
    struct Item {
        unsigned int parent = 0;
        bool group = false;
        CYolString login;
        CYolString alias;
        uint8_t subscription = 0;
        bool hasSubscription = false;
        unsigned int shownStatus = 0;
    };

    // Setting up what the list already holds; nothing is logged.
    unsigned int HoldGroup(const char* name) {
        const unsigned int id = next++;
        items[id] = Item{0, true, U(name), U(name)};
        return id;
    }
    unsigned int HoldContact(unsigned int group, const char* jid, uint8_t subscription = 3) {
        const unsigned int id = next++;
        items[id] = Item{group, false, U(jid), U(jid), subscription, true};
        return id;
    }
    unsigned int ContactOf(const char* jid) const {
        for (const auto& [id, item] : items)
            if (!item.group && item.login == U(jid))
                return id;
        return 0;
    }
    std::vector<std::string> TakeLog() { return std::exchange(log, {}); }

    bool ItemLogin(unsigned int item, CYolString& out) override {
        auto found = items.find(item);
        if (found == items.end())
            return false;
        out = found->second.login;
        return true;
    }
    unsigned int AddContact(unsigned int group, const CYolString& jid, const CYolString& name,
                            uint8_t subscription) override {
        const unsigned int id = next++;
        items[id] = Item{group, false, jid, name, subscription, true};
        Log("add " + jid.ToUtf8() + " '" + name.ToUtf8() + "' to " + Name(group) + " sub " +
            std::to_string(subscription));
        return id;
    }
    bool StoredSubscription(unsigned int contact, uint8_t& out) override {
        auto found = items.find(contact);
        if (found == items.end() || !found->second.hasSubscription)
            return false;
        out = found->second.subscription;
        return true;
    }
    void SetSubscription(unsigned int contact, uint8_t subscription) override {
        items[contact].subscription = subscription;
        items[contact].hasSubscription = true;
        Log("subscription " + Name(contact) + " " + std::to_string(subscription));
    }

    bool ReadAccountItems(std::vector<ListedContact>& contacts, std::vector<ListedGroup>& groups) override {
        for (const auto& [id, item] : items) {
            if (item.group)
                groups.push_back({id, item.login});
            else
                contacts.push_back({item.parent, id, item.login});
        }
        return true;
    }
    unsigned int FindGroup(const CYolString& name) override {
        for (const auto& [id, item] : items)
            if (item.group && item.login == name)
                return id;
        return 0;
    }
    unsigned int CreateGroup(const CYolString& name) override {
        const unsigned int id = next++;
        items[id] = Item{0, true, name, name};
        Log("create group " + name.ToUtf8());
        return id;
    }
    void RenameGroup(unsigned int group, const CYolString& name) override {
        Log("rename group " + Name(group) + " to " + name.ToUtf8());
        items[group].login = items[group].alias = name;
    }
    void RemoveGroup(unsigned int group) override {
        Log("remove group " + Name(group));
        items.erase(group);
    }
    void SetContactName(unsigned int contact, const CYolString& name) override {
        items[contact].alias = name;
        Log("name " + Name(contact) + " '" + name.ToUtf8() + "'");
    }
    void NotifyContactChanged(unsigned int contact) override { Log("changed " + Name(contact)); }
    void MoveContact(unsigned int contact, unsigned int group) override {
        items[contact].parent = group;
        Log("move " + Name(contact) + " to " + Name(group));
    }
    void RemoveContact(unsigned int contact) override {
        Log("remove " + Name(contact));
        items.erase(contact);
    }
    void BeginUpdate() override { ++updates; }
    void EndUpdate() override { --updates; }

    bool IsGrouped(unsigned int contact) override { return items.count(contact) && items[contact].parent != 0; }
    bool BirthdayShown(unsigned int, int&, int&) override { return false; }
    void SetContactStatus(unsigned int contact, const Protocols::ContactStatusInfo& status) override {
        items[contact].shownStatus = status.status;
        Log("status " + Name(contact) + " " + std::to_string(status.status));
    }

    bool IsTempContact(unsigned int) override { return false; }
    bool AdmitsUnlisted(const CYolString& bareJid, const CYolString&, const Protocols::MessageInfo&) override {
        Log("ask gate " + bareJid.ToUtf8());
        return admitsUnlisted;
    }
    void ReceiveMessage(unsigned int contact, const Protocols::MessageInfo& message) override {
        received.push_back({Name(contact), message.kind, message.text.ToUtf8()});
    }
    void MessageAcknowledged(unsigned int contact, unsigned int messageId) override {
        Log("ack " + Name(contact) + " " + std::to_string(messageId));
    }
    void SetTyping(unsigned int contact, bool stopped) override {
        Log("typing " + Name(contact) + (stopped ? " stopped" : " types"));
    }

    struct Received {
        std::string contact;
        unsigned int kind;
        std::string text;
        bool operator==(const Received&) const = default;
    };

    std::map<unsigned int, Item> items;
    std::vector<Received> received;
    bool admitsUnlisted = false;
    int updates = 0;

private:
    std::string Name(unsigned int id) const {
        auto found = items.find(id);
        return found == items.end() ? "#" + std::to_string(id) : found->second.login.ToUtf8();
    }
    void Log(std::string line) { log.push_back(std::move(line)); }

    std::vector<std::string> log;
    unsigned int next = 100;
};

inline std::ostream& operator<<(std::ostream& out, const RecordingContactList::Received& message) {
    return out << message.contact << " kind " << message.kind << " '" << message.text << "'";
}

}  // namespace XmppFeatureTest
