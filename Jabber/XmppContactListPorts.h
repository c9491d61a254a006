#pragma once
// What each feature of the XMPP account asks of the program's contact list,
// one narrow interface per feature, in the feature's own terms. The account
// puts XmppContactListAdapter behind all of them; tests put a small
// recording fake. Every call comes from the account's queue thread.

#include "CYolString.h"
#include "ProtocolRecords.h"
#include "XmppVCardFields.h"

#include <cstdint>
#include <vector>

// Values a contact of this plug-in keeps in the contact list besides the
// shared ones: the roster subscription, 0 none, 1 to, 2 from, 3 both.
namespace XmppValueName {
inline constexpr char16_t Subscription[] = u"Subscription";
}

// One of the account's contacts as the list holds it.
struct ListedContact {
    unsigned int group = 0;  // 0: outside groups
    unsigned int contact = 0;
    CYolString jid;
};
// One of the account's groups as the list holds it.
struct ListedGroup {
    unsigned int group = 0;
    CYolString name;
};

// Shared by the features: the login of a list item (a contact's JID, a
// group's name) and putting a contact of the account into the list.
class XmppListItems {
public:
    virtual ~XmppListItems() = default;
    // False when the item is unknown or has no login.
    virtual bool ItemLogin(unsigned int item, CYolString& out) = 0;
    // Adds a contact with its JID, name, subscription and shown status;
    // its id, 0 when the list refused it.
    virtual unsigned int AddContact(unsigned int group, const CYolString& jid, const CYolString& name,
                                    uint8_t subscription) = 0;
    // The subscription the list keeps for the contact; false when none.
    virtual bool StoredSubscription(unsigned int contact, uint8_t& out) = 0;
    // Stores the subscription and shows the contact's status anew.
    virtual void SetSubscription(unsigned int contact, uint8_t subscription) = 0;
};

// What the roster reads and changes.
class XmppRosterList : public virtual XmppListItems {
public:
    // The account's contacts and groups as the list holds them now; false
    // when there is no list to hold them.
    virtual bool ReadAccountItems(std::vector<ListedContact>& contacts, std::vector<ListedGroup>& groups) = 0;
    virtual unsigned int FindGroup(const CYolString& name) = 0;
    // A new group of that name; 0 when the list refused it.
    virtual unsigned int CreateGroup(const CYolString& name) = 0;
    virtual void RenameGroup(unsigned int group, const CYolString& name) = 0;
    virtual void RemoveGroup(unsigned int group) = 0;
    // The name the user sees; the change is announced separately.
    virtual void SetContactName(unsigned int contact, const CYolString& name) = 0;
    virtual void NotifyContactChanged(unsigned int contact) = 0;
    virtual void MoveContact(unsigned int contact, unsigned int group) = 0;
    virtual void RemoveContact(unsigned int contact) = 0;
    // Brackets a batch of changes shown as one.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
};

// What presence reads and changes.
class XmppPresenceList : public virtual XmppListItems {
public:
    virtual bool IsGrouped(unsigned int contact) = 0;
    // The contact's birthday, when the list shows birthday balloons and
    // knows the date; false otherwise.
    virtual bool BirthdayShown(unsigned int contact, int& month, int& day) = 0;
    virtual void SetContactStatus(unsigned int contact, const Protocols::ContactStatusInfo& status) = 0;
};

// What the messages read and hand over.
class XmppMessageList : public virtual XmppListItems {
public:
    virtual bool IsTempContact(unsigned int contact) = 0;
    // Whether the list lets a message from outside it through: asked with a
    // temporary contact of that JID and name, removed again afterwards.
    virtual bool AdmitsUnlisted(const CYolString& bareJid, const CYolString& name,
                                const Protocols::MessageInfo& message) = 0;
    virtual void ReceiveMessage(unsigned int contact, const Protocols::MessageInfo& message) = 0;
    virtual void MessageAcknowledged(unsigned int contact, unsigned int messageId) = 0;
    // The contact types (`stopped` false) or has stopped typing.
    virtual void SetTyping(unsigned int, bool) {}
};

// What the details (vCards and the user search) read and write of list
// items: detail values under the detail keys, temporary contacts for users
// found outside the list, and the name a found user is shown with.
class XmppDetailsList : public virtual XmppListItems {
public:
    virtual void SetDetailText(unsigned int item, const char16_t* key, const CYolString& value) = 0;
    virtual void SetDetailNumber(unsigned int item, const char16_t* key, DetailType type, unsigned int value) = 0;
    virtual bool GetDetailNumber(unsigned int item, const char16_t* key, DetailType type, unsigned int& out) = 0;
    // The list's item for a user outside it, added as a temporary contact
    // when there is none; 0 when the list refused it.
    virtual unsigned int TempContact(const CYolString& jid) = 0;
    // The "CL Alias" the list shows for the item.
    virtual void SetAlias(unsigned int item, const CYolString& name) = 0;
    // Whether the list shows birthday balloons (which need the details).
    virtual bool ShowsBirthdays() = 0;
};
