#pragma once
// XmppContactListAdapter: the features' narrow contact-list interfaces over
// the program's contact-list service, for one account. It owns nothing but
// the way to the service, which may be missing (then every call does
// nothing and every question answers no). It runs on the account's queue
// thread.

#include "XmppContactListPorts.h"

#include <functional>

namespace CL {
class CContactList;
}

class XmppContactListAdapter final : public XmppRosterList,
                                     public XmppPresenceList,
                                     public XmppMessageList,
                                     public XmppDetailsList {
public:
    using ListLookup = std::function<CL::CContactList*()>;
    // Fills the status record the list shows for a contact.
    using StatusBuilder = std::function<void(unsigned int contact, Protocols::ContactStatusInfo& out)>;

    XmppContactListAdapter(unsigned int accountId, ListLookup list, StatusBuilder buildStatus);

    bool ItemLogin(unsigned int item, CYolString& out) override;
    unsigned int AddContact(unsigned int group, const CYolString& jid, const CYolString& name,
                            uint8_t subscription) override;
    bool StoredSubscription(unsigned int contact, uint8_t& out) override;
    void SetSubscription(unsigned int contact, uint8_t subscription) override;

    bool ReadAccountItems(std::vector<ListedContact>& contacts, std::vector<ListedGroup>& groups) override;
    unsigned int FindGroup(const CYolString& name) override;
    unsigned int CreateGroup(const CYolString& name) override;
    void RenameGroup(unsigned int group, const CYolString& name) override;
    void RemoveGroup(unsigned int group) override;
    void SetContactName(unsigned int contact, const CYolString& name) override;
    void NotifyContactChanged(unsigned int contact) override;
    void MoveContact(unsigned int contact, unsigned int group) override;
    void RemoveContact(unsigned int contact) override;
    void BeginUpdate() override;
    void EndUpdate() override;

    bool IsGrouped(unsigned int contact) override;
    bool BirthdayShown(unsigned int contact, int& month, int& day) override;
    void SetContactStatus(unsigned int contact, const Protocols::ContactStatusInfo& status) override;

    bool IsTempContact(unsigned int contact) override;
    bool AdmitsUnlisted(const CYolString& bareJid, const CYolString& name,
                        const Protocols::MessageInfo& message) override;
    void ReceiveMessage(unsigned int contact, const Protocols::MessageInfo& message) override;
    void MessageAcknowledged(unsigned int contact, unsigned int messageId) override;
    void SetTyping(unsigned int contact, bool stopped) override;

    void SetDetailText(unsigned int item, const char16_t* key, const CYolString& value) override;
    void SetDetailNumber(unsigned int item, const char16_t* key, DetailType type, unsigned int value) override;
    bool GetDetailNumber(unsigned int item, const char16_t* key, DetailType type, unsigned int& out) override;
    unsigned int TempContact(const CYolString& jid) override;
    void SetAlias(unsigned int item, const CYolString& name) override;
    bool ShowsBirthdays() override;

private:
    void ShowStatus(CL::CContactList& list, unsigned int contact);

    unsigned int accountId;
    ListLookup list;
    StatusBuilder buildStatus;
};
