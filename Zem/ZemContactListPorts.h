#pragma once
// What the MRIM account's parts ask of the program's contact list, in their
// own terms. The account puts ZemContactListAdapter behind it; tests put a
// small recording fake. Every call comes from the account's queue thread.

#include "CYolString.h"
#include "ProtocolRecords.h"

#include <vector>

// Values an MRIM contact keeps in the contact list besides the shared ones.
namespace ZemValueName {
inline constexpr char16_t AuthRequired[] = u"Auth req";
inline constexpr char16_t InVisibleList[] = u"In visible list";
inline constexpr char16_t InInvisibleList[] = u"In invisible list";
inline constexpr char16_t InIgnoreList[] = u"In ignore list";
}  // namespace ZemValueName

// One item of the account as the list holds it: a group (contact 0) or a
// contact, with its "SrvLogName".
struct ZemListedItem {
    unsigned int group = 0;
    unsigned int contact = 0;
    CYolString key;
};

class ZemListModel {
public:
    virtual ~ZemListModel() = default;
    // False when there is no list.
    virtual bool Available() = 0;
    virtual bool ReadAccountItems(std::vector<ZemListedItem>& items) = 0;
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;

    // A new group with "SrvLogName" and "CL Alias" set to the name, shown.
    virtual unsigned int CreateGroup(const CYolString& name) = 0;
    virtual void RenameGroup(unsigned int group, const CYolString& name) = 0;
    virtual void RemoveGroup(unsigned int group) = 0;

    // A new contact item with its login and alias, not yet shown.
    virtual unsigned int AddContact(unsigned int group, const CYolString& address, const CYolString& alias) = 0;
    virtual void ShowContact(unsigned int contact, const Protocols::ContactStatusInfo& status) = 0;
    virtual void RemoveContact(unsigned int contact) = 0;
    virtual void MoveContact(unsigned int contact, unsigned int group) = 0;
    virtual unsigned int ParentOf(unsigned int item) = 0;
    virtual CYolString Alias(unsigned int contact) = 0;
    // Sets the alias and announces the change.
    virtual void SetAlias(unsigned int contact, const CYolString& alias) = 0;
    virtual unsigned char Flag(unsigned int contact, const char16_t* name) = 0;
    virtual void SetFlag(unsigned int contact, const char16_t* name, unsigned char value) = 0;
    // Item values of a contact (details of the directory).
    virtual void SetValue(unsigned int item, const char16_t* name, const CYolString& value) = 0;
    virtual void SetNumber(unsigned int item, const char16_t* name, unsigned int value) = 0;
    virtual void SetContactStatus(unsigned int contact, const Protocols::ContactStatusInfo& status) = 0;

    virtual void SetTyping(unsigned int contact, bool typing) = 0;
    // Messages: a stranger's login becomes a temporary contact when the list
    // admits messages from outside it; 0 when it does not.
    virtual unsigned int TemporaryContact(const CYolString& address) = 0;
    virtual void ReceiveMessage(unsigned int contact, const Protocols::MessageInfo& message) = 0;
    virtual void MessageAcknowledged(unsigned int contact, unsigned int messageId) = 0;
};
