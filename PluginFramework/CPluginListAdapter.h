#pragma once
// CPluginListAdapter: PluginListModel over the program's contact list,
// found through the services manager at every call (null: nothing
// happens). Runs on the account's queue thread.

#include "CContactList.h"
#include "PluginListPorts.h"
#include "ValueNames.h"

#include <functional>

class CPluginListAdapter final : public PluginListModel {
public:
    CPluginListAdapter(unsigned int accountId, std::function<CL::CContactList*()> lookup)
        : accountId(accountId), lookup(std::move(lookup)) {}

    bool Available() override { return lookup() != nullptr; }
    bool ReadAccountItems(std::vector<PluginListedItem>& items) override;
    void BeginUpdate() override;
    void EndUpdate() override;
    unsigned int CreateGroup(const CYolString& name) override;
    void RenameGroup(unsigned int group, const CYolString& name) override;
    void RemoveGroup(unsigned int group) override;
    unsigned int AddContact(unsigned int group, const CYolString& name, const CYolString& alias) override;
    void ShowContact(unsigned int contact, const Protocols::ContactStatusInfo& status) override;
    void RemoveContact(unsigned int contact) override;
    void MoveContact(unsigned int contact, unsigned int group) override;
    unsigned int ParentOf(unsigned int item) override;
    CYolString Key(unsigned int item) override { return Text(item, ValueName::SrvLogName); }
    CYolString Alias(unsigned int contact) override { return Text(contact, ValueName::Alias); }
    void SetAlias(unsigned int contact, const CYolString& alias) override;
    unsigned char Flag(unsigned int contact, const char16_t* name) override;
    void SetFlag(unsigned int contact, const char16_t* name, unsigned char value) override;
    void SetValue(unsigned int item, const char16_t* name, const CYolString& value) override;
    void SetNumber(unsigned int item, const char16_t* name, unsigned int value) override;
    void SetContactStatus(unsigned int contact, const Protocols::ContactStatusInfo& status) override;
    void SetTyping(unsigned int contact, bool typing) override;
    bool AcceptsStrangers() override;
    unsigned int TemporaryContact(const CYolString& name) override;
    bool IsTemporary(unsigned int contact) override;
    void RemoveTemporary(unsigned int contact) override;
    bool PassesAntispam(unsigned int contact, const Protocols::MessageInfo& message) override;
    void ReceiveMessage(unsigned int contact, const Protocols::MessageInfo& message) override;
    void MessageAcknowledged(unsigned int contact, unsigned int messageId) override;

private:
    CYolString Text(unsigned int item, const char16_t* name);
    // The list, and whether there is one: `Run(f)` calls f(list) only then.
    template <typename F>
    void Run(F&& f) {
        if (CL::CContactList* list = lookup())
            f(*list);
    }

    unsigned int accountId;
    std::function<CL::CContactList*()> lookup;
};
