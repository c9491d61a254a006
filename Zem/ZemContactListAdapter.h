#pragma once
// ZemContactListAdapter: ZemListModel over the program's contact list,
// found through the services manager at every call (null: nothing
// happens). Runs on the account's queue thread.

#include "CContactList.h"
#include "ZemContactListPorts.h"

#include <functional>

class ZemContactListAdapter final : public ZemListModel {
public:
    ZemContactListAdapter(unsigned int accountId, std::function<CL::CContactList*()> lookup)
        : accountId(accountId), lookup(std::move(lookup)) {}

    bool Available() override { return lookup() != nullptr; }
    bool ReadAccountItems(std::vector<ZemListedItem>& items) override;
    void BeginUpdate() override;
    void EndUpdate() override;
    unsigned int CreateGroup(const CYolString& name) override;
    void RenameGroup(unsigned int group, const CYolString& name) override;
    void RemoveGroup(unsigned int group) override;
    unsigned int AddContact(unsigned int group, const CYolString& address, const CYolString& alias) override;
    void ShowContact(unsigned int contact, const Protocols::ContactStatusInfo& status) override;
    void RemoveContact(unsigned int contact) override;
    void MoveContact(unsigned int contact, unsigned int group) override;
    unsigned int ParentOf(unsigned int item) override;
    CYolString Alias(unsigned int contact) override;
    void SetAlias(unsigned int contact, const CYolString& alias) override;
    unsigned char Flag(unsigned int contact, const char16_t* name) override;
    void SetFlag(unsigned int contact, const char16_t* name, unsigned char value) override;
    void SetValue(unsigned int item, const char16_t* name, const CYolString& value) override;
    void SetNumber(unsigned int item, const char16_t* name, unsigned int value) override;
    void SetContactStatus(unsigned int contact, const Protocols::ContactStatusInfo& status) override;
    void SetTyping(unsigned int contact, bool typing) override;
    unsigned int TemporaryContact(const CYolString& address) override;
    void ReceiveMessage(unsigned int contact, const Protocols::MessageInfo& message) override;
    void MessageAcknowledged(unsigned int contact, unsigned int messageId) override;

private:
    unsigned int accountId;
    std::function<CL::CContactList*()> lookup;
};
