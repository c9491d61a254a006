#pragma once
// XmppRoster: the roster and the contact list kept in step. It takes the
// session's roster (contacts and groups the list holds are matched to it,
// stale ones dropped), answers the server's roster pushes through its push
// responder, and sends the user's edits as roster sets and removes. It owns
// the groups the user added before the roster came and its push responder;
// it writes through its stanza sink and keeps the roster entries of the
// shared contact map. Everything runs on the account's queue thread.

#include "JabberContacts.h"
#include "JabberIq.h"
#include "XmppContactListPorts.h"
#include "XmppStanzaSink.h"
#include "XmppStanzas.h"

#include <functional>
#include <set>

class XmppRoster {
public:
    // Whether a JID is the account's own bare JID: only that (or no "from")
    // speaks for the roster.
    using OwnBareJidCheck = std::function<bool(const CYolString& jid)>;

    XmppRoster(XmppStanzaSink& sink, CJabberContactMap& contacts, XmppRosterList& list, OwnBareJidCheck isOwnBareJid);

    // The answer to the session's roster request; true when it was a roster
    // and the list now follows it.
    bool OnResult(const IqStanza& iq);
    // Answers the server's roster pushes; registered with the account's
    // responders.
    XmppIqResponder& PushResponder() { return pushResponder; }

    // The user's edits. A contact the user adds appears when the server
    // pushes it back.
    void AddContact(const CYolString& login, const CYolString& name, unsigned int group);
    void DeleteContact(unsigned int contact);
    void RenameContact(unsigned int contact, const CYolString& name);
    void MoveContact(unsigned int contact, unsigned int group);
    void RenameGroup(unsigned int group, const CYolString& name);
    // Group 0: the contacts outside groups, which live only in the list.
    void DeleteGroup(unsigned int group);
    // A group of the account in the contact list, named `name`: its id.
    unsigned int CreateGroup(const CYolString& name);
    // A group the user added while a session was on its way: the roster of
    // that session knows nothing of it yet, so its synchronisation keeps it.
    void KeepGroupBeforeRoster(unsigned int group) { groupsBeforeRoster.insert(group); }
    void ForgetGroupsBeforeRoster() { groupsBeforeRoster.clear(); }
    // Puts a roster contact into the contact list and links the entry to it.
    void AddContactItem(ContactRecord& entry, unsigned int group);

private:
    class Pushes final : public XmppIqResponder {
    public:
        explicit Pushes(XmppRoster& roster) : roster(roster) {}
        void OnRequest(const XmlNode& stanza, IqRequest& request) override;

    private:
        XmppRoster& roster;
    };
    struct Sync;

    void OnPush(const IqRequest& request);
    void ApplyPushedItem(const XmlNode& item);
    // Roster set (with an id; the answer is not awaited) and roster remove.
    void SetItem(const ContactRecord& entry);
    void SendItem(const CYolString& jid, const CYolString& name, const CYolString& group, int subscription);
    void RemoveItem(const CYolString& jid);
    // The entry's subscription, its list value and its shown status.
    void SetSubscription(ContactRecord& entry, uint8_t subscription);

    void SyncItem(const XmlNode& item, Sync& sync);
    unsigned int SyncGroup(const CYolString& name, Sync& sync);
    void DropUnnamed(Sync& sync);

    XmppStanzaSink& sink;
    CJabberContactMap& contacts;
    XmppRosterList& list;
    OwnBareJidCheck isOwnBareJid;
    Pushes pushResponder{*this};
    std::set<unsigned int> groupsBeforeRoster;
};
