#pragma once
// A contact list for the OSCAR features' unit tests: items with ids, their
// names, aliases and flags, and every change told to it as a text line.

#include "RuvContactListPorts.h"

#include <map>
#include <string>
#include <vector>

namespace RuvTest {

class FakeListModel final : public RuvListModel {
public:
    struct Item {
        unsigned int parent = 0;
        bool group = false;
        bool temporary = false;
        CYolString key;
        CYolString alias;
        std::map<std::u16string, unsigned char> flags;
        Protocols::ContactStatusInfo status;
    };

    // Items already there before the account syncs.
    unsigned int PutGroup(const std::string& name) {
        const unsigned int id = ++lastId;
        items[id] = {0, true, false, CYolString::FromUtf8(name), CYolString::FromUtf8(name), {}, {}};
        return id;
    }
    unsigned int PutContact(unsigned int group, const std::string& name, const std::string& alias = "") {
        const unsigned int id = ++lastId;
        items[id] = {group, false, false, CYolString::FromUtf8(name), CYolString::FromUtf8(alias), {}, {}};
        return id;
    }
    std::vector<std::string> Take() { return std::exchange(log, {}); }

    bool Available() override { return available; }
    bool ReadAccountItems(std::vector<RuvListedItem>& out) override {
        for (const auto& [id, item] : items)
            if (!item.temporary)
                out.push_back({item.group ? id : item.parent, item.group ? 0 : id, item.key});
        return true;
    }
    void BeginUpdate() override {}
    void EndUpdate() override {}
    unsigned int CreateGroup(const CYolString& name) override {
        const unsigned int id = PutGroup(name.ToUtf8());
        Note("group+", id, name);
        return id;
    }
    void RenameGroup(unsigned int group, const CYolString& name) override {
        items[group].key = items[group].alias = name;
        Note("group~", group, name);
    }
    void RemoveGroup(unsigned int group) override {
        items.erase(group);
        Note("group-", group);
    }
    unsigned int AddContact(unsigned int group, const CYolString& name, const CYolString& alias) override {
        const unsigned int id = PutContact(group, name.ToUtf8(), alias.ToUtf8());
        Note("contact+", id, name);
        return id;
    }
    void ShowContact(unsigned int contact, const Protocols::ContactStatusInfo& status) override {
        items[contact].status = status;
    }
    void RemoveContact(unsigned int contact) override {
        items.erase(contact);
        Note("contact-", contact);
    }
    void MoveContact(unsigned int contact, unsigned int group) override {
        items[contact].parent = group;
        Note("move", contact, CYolString(group, false));
    }
    unsigned int ParentOf(unsigned int item) override { return items.count(item) ? items[item].parent : 0; }
    CYolString Key(unsigned int item) override { return items.count(item) ? items[item].key : CYolString(); }
    CYolString Alias(unsigned int contact) override { return items[contact].alias; }
    void SetAlias(unsigned int contact, const CYolString& alias) override {
        items[contact].alias = alias;
        Note("alias", contact, alias);
    }
    unsigned char Flag(unsigned int contact, const char16_t* name) override {
        return items.count(contact) ? items[contact].flags[name] : 0;
    }
    void SetFlag(unsigned int contact, const char16_t* name, unsigned char value) override {
        items[contact].flags[name] = value;
    }
    // The OSCAR features keep no directory values in the list.
    void SetValue(unsigned int, const char16_t*, const CYolString&) override {}
    void SetNumber(unsigned int, const char16_t*, unsigned int) override {}
    void SetContactStatus(unsigned int contact, const Protocols::ContactStatusInfo& status) override {
        items[contact].status = status;
        Note("status", contact, CYolString(status.status, false));
    }
    void SetTyping(unsigned int contact, bool typing) override {
        Note("typing", contact, CYolString(typing ? u"on" : u"off"));
    }
    bool AcceptsStrangers() override { return acceptsStrangers; }
    unsigned int TemporaryContact(const CYolString& name) override {
        const unsigned int id = PutContact(0, name.ToUtf8());
        items[id].temporary = true;
        return id;
    }
    bool IsTemporary(unsigned int contact) override { return items.count(contact) && items[contact].temporary; }
    void RemoveTemporary(unsigned int contact) override { items.erase(contact); }
    bool PassesAntispam(unsigned int, const Protocols::MessageInfo&) override { return antispamPasses; }
    void ReceiveMessage(unsigned int contact, const Protocols::MessageInfo& message) override {
        messages.push_back(message);
        Note("message", contact, message.text);
    }
    void MessageAcknowledged(unsigned int contact, unsigned int messageId) override {
        Note("ack", contact, CYolString(messageId, false));
    }

    std::map<unsigned int, Item> items;
    std::vector<Protocols::MessageInfo> messages;
    bool available = true;
    bool acceptsStrangers = true;
    bool antispamPasses = true;

private:
    void Note(const std::string& what, unsigned int id, const CYolString& text = {}) {
        log.push_back(what + " " + std::to_string(id) + (text.IsEmpty() ? "" : " " + text.ToUtf8()));
    }
    unsigned int lastId = 0;
    std::vector<std::string> log;
};

}  // namespace RuvTest
