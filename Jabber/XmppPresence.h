#pragma once
// XmppPresence: presence both ways. It sends the user's status (to the
// server and to every room), takes in the contacts' presence, merges each
// contact's resources into the one status the contact list shows, builds
// that status record, and carries the subscription exchange. It owns the
// own mood, extended status and whether contacts have seen this session's
// presence; it keeps the resources of the shared contact map. It runs on
// the account's queue thread.

#include "JabberContacts.h"
#include "ProtocolRecords.h"
#include "XmppContactListPorts.h"
#include "XmppStanzaSink.h"
#include "XmppStanzas.h"

#include <functional>
#include <initializer_list>

class XmppCapabilities;
struct XmppAccountSettings;

class XmppPresence {
public:
    // Hands a message of a kind to the contact list (an authorization
    // request, a status text shown in the chat).
    using Deliver = std::function<void(const CYolString& jid, unsigned int kind, int flags, const CYolString& text,
                                       const CYolString& extra)>;

    XmppPresence(XmppStanzaSink& sink, CJabberContactMap& contacts, XmppPresenceList& list, XmppCapabilities& caps,
                 const XmppAccountSettings& settings, int firstStatusImage, Deliver deliver);

    // Sends the presence of a wanted status; the status the account is then
    // in.
    Protocols::Status Apply(Protocols::Status wanted);
    void Send(Protocols::Status status, bool allRooms);
    void SetXStatus(unsigned int id, const CYolString& title, const CYolString& description);
    // A new roster came: nothing of this session has been announced yet.
    void RosterArrived() { visiblePresenceSent = false; }

    void OnPresence(const PresenceStanza& stanza);
    void BuildContactStatus(unsigned int contact, Protocols::ContactStatusInfo& out);
    // Asks the contact for its presence, or grants or revokes ours.
    void SendSubscription(unsigned int contact, const char* type);
    // Shows the contact's status text once in the chat, when it changed.
    void ShowStatusText(unsigned int contact);

private:
    void OnAvailable(const PresenceStanza& stanza, const CYolString& from);
    void OnUnavailable(const PresenceStanza& stanza, const CYolString& from);
    void OnSubscribe(const PresenceStanza& stanza, const CYolString& from);
    void OnSubscribed(const PresenceStanza& stanza, const CYolString& from);
    // Mood and extended status of the resource the presence came from.
    static void ApplyStatusParts(const PresenceStanza& stanza, ResourceRecord& resource);
    // Merges the contact's resources into its summary and shows it.
    void UpdateContact(const CYolString& jid);
    XmlNode BuildPresence(const CYolString* to, bool invisible, const char* show) const;

    struct TypeRow {
        const char16_t* type;
        void (XmppPresence::*handler)(const PresenceStanza& stanza, const CYolString& from);
    };
    static const TypeRow kTypes[];

    XmppStanzaSink& sink;
    CJabberContactMap& contacts;
    XmppPresenceList& list;
    XmppCapabilities& caps;
    const XmppAccountSettings& settings;
    int firstStatusImage;
    Deliver deliver;

    int mood = 0;
    unsigned int xStatusId = 0;
    CYolString xStatusTitle;
    CYolString xStatusDescription;
    // An available presence that contacts can see went out this session.
    bool visiblePresenceSent = false;
};

// An icon made of the plug-in's images at these indexes, drawn in order.
CYolArray<unsigned int> JabberIcon(std::initializer_list<int> indexes);
