#pragma once
// Doubles of what the MRIM account's parts write to: a packet sink that
// keeps every packet whole (as the wire would carry it) and a contact-list
// model that keeps items in memory and logs what it was told.

#include "TestSupport.h"
#include "CZemContactList.h"
#include "MrimPacketSink.h"
#include "MrimWire.h"
#include "ZemContactListPorts.h"

#include <map>
#include <string>
#include <vector>

namespace ZemTest {

using ::U;

inline std::string Packet(MrimPacketType type, uint32_t sequence, std::string_view body) {
    return BuildMrimPacket(type, sequence, body);
}

class RecordingPacketSink final : public MrimPacketSink {
public:
    bool SendPacket(MrimPacketType type, std::string_view body, uint32_t sequence) override {
        if (sequence == 0)
            sequence = NextSequence();
        packets.push_back(BuildMrimPacket(type, sequence, body));
        return connected;
    }
    uint32_t NextSequence() override { return next++; }
    std::vector<std::string> Take() { return std::exchange(packets, {}); }

    std::vector<std::string> packets;
    uint32_t next = 1;
    bool connected = true;
};

class RecordingListModel final : public ZemListModel {
public:
    struct Item {
        unsigned int parent = 0;
        bool group = false;
        CYolString key;
        CYolString alias;
        std::map<std::u16string, unsigned char> flags;
    };

    bool Available() override { return available; }
    bool ReadAccountItems(std::vector<ZemListedItem>& out) override {
        for (const auto& [id, item] : items)
            out.push_back(item.group ? ZemListedItem{id, 0, item.key} : ZemListedItem{item.parent, id, item.key});
        return true;
    }
    void BeginUpdate() override { log.push_back("begin"); }
    void EndUpdate() override { log.push_back("end"); }
    unsigned int CreateGroup(const CYolString& name) override {
        items[++last] = Item{0, true, name, name, {}};
        log.push_back("group+ " + name.ToUtf8());
        return last;
    }
    void RenameGroup(unsigned int group, const CYolString& name) override {
        items[group].key = items[group].alias = name;
        log.push_back("group~ " + name.ToUtf8());
    }
    void RemoveGroup(unsigned int group) override {
        log.push_back("group- " + items[group].key.ToUtf8());
        items.erase(group);
    }
    unsigned int AddContact(unsigned int group, const CYolString& address, const CYolString& alias) override {
        items[++last] = Item{group, false, address, alias, {}};
        log.push_back("contact+ " + address.ToUtf8() + " '" + alias.ToUtf8() + "'");
        return last;
    }
    void ShowContact(unsigned int contact, const Protocols::ContactStatusInfo& status) override {
        log.push_back("shown " + items[contact].key.ToUtf8() + " " + std::to_string(status.status));
    }
    void RemoveContact(unsigned int contact) override {
        log.push_back("contact- " + items[contact].key.ToUtf8());
        items.erase(contact);
    }
    void MoveContact(unsigned int contact, unsigned int group) override {
        items[contact].parent = group;
        log.push_back("move " + items[contact].key.ToUtf8() + " " + items[group].key.ToUtf8());
    }
    unsigned int ParentOf(unsigned int item) override {
        auto it = items.find(item);
        return it == items.end() ? 0 : it->second.parent;
    }
    CYolString Key(unsigned int item) override {
        auto it = items.find(item);
        return it == items.end() ? CYolString() : it->second.key;
    }
    CYolString Alias(unsigned int contact) override { return items[contact].alias; }
    void SetAlias(unsigned int contact, const CYolString& alias) override {
        items[contact].alias = alias;
        log.push_back("alias " + items[contact].key.ToUtf8() + " '" + alias.ToUtf8() + "'");
    }
    unsigned char Flag(unsigned int contact, const char16_t* name) override {
        auto it = items.find(contact);
        if (it == items.end())
            return 0;
        auto flag = it->second.flags.find(name);
        return flag == it->second.flags.end() ? 0 : flag->second;
    }
    void SetFlag(unsigned int contact, const char16_t* name, unsigned char value) override {
        items[contact].flags[name] = value;
    }
    void SetValue(unsigned int item, const char16_t* name, const CYolString& value) override {
        values[item][name] = value.ToUtf8();
    }
    void SetNumber(unsigned int item, const char16_t* name, unsigned int value) override {
        values[item][name] = std::to_string(value);
    }
    void SetContactStatus(unsigned int contact, const Protocols::ContactStatusInfo& status) override {
        log.push_back("status " + items[contact].key.ToUtf8() + " " + std::to_string(status.status));
    }
    void SetTyping(unsigned int contact, bool typing) override {
        log.push_back(std::string(typing ? "typing " : "stopped ") + std::to_string(contact));
    }
    unsigned int TemporaryContact(const CYolString& address) override {
        items[++last] = Item{0, false, address, address, {}};
        log.push_back("temp " + address.ToUtf8());
        return last;
    }
    // Strangers are admitted through TemporaryContact alone.
    bool AcceptsStrangers() override { return true; }
    bool IsTemporary(unsigned int) override { return false; }
    void RemoveTemporary(unsigned int contact) override { items.erase(contact); }
    bool PassesAntispam(unsigned int, const Protocols::MessageInfo&) override { return true; }
    void ReceiveMessage(unsigned int contact, const Protocols::MessageInfo& message) override {
        messages.push_back(message);
        log.push_back("message " + std::to_string(contact) + " " + std::to_string(message.kind) + " " +
                      message.text.ToUtf8());
    }
    void MessageAcknowledged(unsigned int contact, unsigned int messageId) override {
        log.push_back("ack " + std::to_string(contact) + " " + std::to_string(messageId));
    }
    unsigned int Find(std::string_view key) const {
        for (const auto& [id, item] : items)
            if (item.key.ToUtf8() == key)
                return id;
        return 0;
    }
    std::vector<std::string> Take() { return std::exchange(log, {}); }

    bool available = true;
    std::map<unsigned int, Item> items;
    std::vector<std::string> log;
    std::vector<Protocols::MessageInfo> messages;
    // Item values by item and name, numbers in decimal.
    std::map<unsigned int, std::map<std::u16string, std::string>> values;
    unsigned int last = 100;
};

// A contact-list packet body: groups "us" (flags, name), contacts
// "uussuus" (flags, group, address, nick, server flags, status, phone).
struct ListContact {
    uint32_t flags;
    uint32_t group;
    std::string address;
    std::string nick;
    uint32_t serverFlags;
    uint32_t status;
};
inline std::string ListBody(const std::vector<std::string>& groups, const std::vector<ListContact>& contacts) {
    MrimBodyWriter body;
    body.UL(0).UL(static_cast<uint32_t>(groups.size())).LPS("us").LPS("uussuus");
    for (const std::string& name : groups)
        body.UL(0).LPS(name);
    for (const ListContact& c : contacts)
        body.UL(c.flags).UL(c.group).LPS(c.address).LPS(c.nick).UL(c.serverFlags).UL(c.status).LPS({});
    return body.Take();
}

}  // namespace ZemTest
