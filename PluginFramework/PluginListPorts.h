#pragma once
// What a protocol account's parts ask of the program's contact list, in
// their own terms. The account puts CPluginListAdapter behind it; tests put
// a small recording fake. Every call comes from the account's queue thread.

#include "CYolString.h"
#include "ProtocolRecords.h"

#include <vector>

// One item of the account as the list holds it: a group (contact 0) or a
// contact (group 0 when outside groups), with its "SrvLogName".
struct PluginListedItem {
    unsigned int group = 0;
    unsigned int contact = 0;
    CYolString key;
};

class PluginListModel {
public:
    virtual ~PluginListModel() = default;
    // False when there is no list.
    virtual bool Available() = 0;
    virtual bool ReadAccountItems(std::vector<PluginListedItem>& items) = 0;
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;

    // A new group with "SrvLogName" and "CL Alias" set to the name, shown.
    virtual unsigned int CreateGroup(const CYolString& name) = 0;
    virtual void RenameGroup(unsigned int group, const CYolString& name) = 0;
    virtual void RemoveGroup(unsigned int group) = 0;

    // A new contact with its login and alias, not yet shown.
    virtual unsigned int AddContact(unsigned int group, const CYolString& name, const CYolString& alias) = 0;
    virtual void ShowContact(unsigned int contact, const Protocols::ContactStatusInfo& status) = 0;
    virtual void RemoveContact(unsigned int contact) = 0;
    virtual void MoveContact(unsigned int contact, unsigned int group) = 0;
    virtual unsigned int ParentOf(unsigned int item) = 0;
    // The item's "SrvLogName".
    virtual CYolString Key(unsigned int item) = 0;
    virtual CYolString Alias(unsigned int contact) = 0;
    // Sets the alias and announces the change.
    virtual void SetAlias(unsigned int contact, const CYolString& alias) = 0;
    virtual unsigned char Flag(unsigned int contact, const char16_t* name) = 0;
    virtual void SetFlag(unsigned int contact, const char16_t* name, unsigned char value) = 0;
    // Other item values (details from a directory).
    virtual void SetValue(unsigned int item, const char16_t* name, const CYolString& value) = 0;
    virtual void SetNumber(unsigned int item, const char16_t* name, unsigned int value) = 0;
    virtual void SetContactStatus(unsigned int contact, const Protocols::ContactStatusInfo& status) = 0;
    virtual void SetTyping(unsigned int contact, bool typing) = 0;

    // Messages from outside the list: whether the list takes them at all,
    // the temporary contact that holds a stranger (0 when the list admits
    // none), and the anti-spam check.
    virtual bool AcceptsStrangers() = 0;
    virtual unsigned int TemporaryContact(const CYolString& name) = 0;
    virtual bool IsTemporary(unsigned int contact) = 0;
    virtual void RemoveTemporary(unsigned int contact) = 0;
    virtual bool PassesAntispam(unsigned int contact, const Protocols::MessageInfo& message) = 0;
    virtual void ReceiveMessage(unsigned int contact, const Protocols::MessageInfo& message) = 0;
    virtual void MessageAcknowledged(unsigned int contact, unsigned int messageId) = 0;
};
