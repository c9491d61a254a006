#pragma once
// The XMPP entities an account knows (roster contacts, group-chat rooms and
// senders outside the roster), keyed by JID, with the resources through
// which each is online. The contact list of the program only holds items and
// their values; this map holds what the protocol needs on top: resources,
// their status and priority, the resource that last wrote, capabilities.
//
// JIDs are "node@domain/resource". The bare JID is the text up to the first
// "/"; a JID without "@" (a server or gateway) keeps its resource in the key
// it is stored under.

#include "CYolCriticalSection.h"
#include "CYolString.h"
#include "ProtocolRecords.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

// What an entry of the map stands for. Rooms make roster entries of the
// same bare JID keep their full JID (each occupant is an entry of its own);
// entries of the occupant and stranger kinds are always keyed by full JID.
enum ContactKind : int {
    ContactKindRoster = 0,
    ContactKindRoom = 2,
    ContactKindOccupant = 7,
    ContactKindStranger = 8,
};

// How a contact's resource is picked for sending.
enum ResourceMode : int {
    ResourceModeLastMessage = 1,  // the resource that last wrote to us
    ResourceModeChosen = 2,       // the resource picked for the contact
};

// The chat-state flag of ContactRecord::flags: the contact sends chat states.
inline constexpr uint16_t ContactFlagChatStates = 0x10;

// One resource of a contact, or a contact's merged presence (the summary).
struct ResourceRecord {
    Protocols::Status status = Protocols::Offline;
    CYolString name;  // not used on the summary
    CYolString statusText;
    bool statusTextChanged = false;  // changed since it was last shown
    int8_t priority = 0;
    // Entity capabilities the resource announced in its presence.
    CYolString capsNode;
    CYolString capsVer;
    CYolString capsExt;
    // Extended status; cleared whenever the status changes.
    int xStatusId = 0;
    CYolString xStatusTitle;
    CYolString xStatusDescription;
    // Feature bits learned from the resource's messages (chat states,
    // receipts), on top of what its capabilities say.
    uint64_t learnedFeatures = 0;
    bool wroteToUs = false;     // it sent the account a message
    bool conversation = false;  // the account sent it a message

    void ClearXStatus() {
        xStatusId = 0;
        xStatusTitle = CYolString();
        xStatusDescription = CYolString();
    }
    // Replaces the status text, marking it changed when it differs.
    void SetStatusText(const CYolString& text) {
        if (text != statusText) {
            statusText = text;
            statusTextChanged = true;
        }
    }
};

struct ContactRecord {
    int kind = ContactKindRoster;
    CYolString jid;
    unsigned int contactId = 0;  // contact-list item, 0 until linked
    // Roster state: 0 none, 1 to, 2 from, 3 both; the roster name and group
    // (empty: outside groups).
    uint8_t subscription = 0;
    CYolString name;
    CYolString group;
    std::vector<ResourceRecord> resources;
    ResourceRecord summary;
    int lastMessageResource = -1;
    int chosenResource = -1;
    int resourceMode = ResourceModeLastMessage;
    // Id of the last message that asked for "composing" events; empty: none.
    CYolString pendingEventId;
    uint16_t flags = 0;
    bool fullJidKey = false;

    // Index of the resource of exactly that name (case-sensitive), or -1.
    int FindResource(const CYolString& resourceName) const;
    // The same, ignoring case, as unavailable presences match.
    int FindResourceIgnoringCase(const CYolString& resourceName) const;
    void ClearResources();
};

// --- JID helpers -------------------------------------------------------------

// The text before the first "@"; without "@", before the first "/"; without
// either, the whole JID.
CYolString JidNode(const CYolString& jid);
// The text up to the first "/".
CYolString BareJidCopy(const CYolString& jid);
// The text after the first "/", empty when there is none.
CYolString JidResource(const CYolString& jid);
bool JidHasResource(const CYolString& jid);
// Case-insensitive comparison of two JIDs, whole or as bare JIDs.
bool SameJid(const CYolString& a, const CYolString& b);
bool SameBareJid(const CYolString& a, const CYolString& b);

// The status of two resources shown as one: the better of the two in the
// order FreeForChat, Online, Evil, Depression, AtHome, AtWork, DoNotDisturb,
// Occupied, Away, Lunch, NotAvailable, Invisible; of two other values the
// first when both are non-zero, else Offline.
Protocols::Status MergeStatus(Protocols::Status a, Protocols::Status b);

// --- the map -----------------------------------------------------------------

// Entries keep their insertion order, and a lookup answers the first entry
// in that order whose key matches. Two hash indexes (whole JIDs, bare JIDs)
// make a lookup cost the same for 5 entries and for 5,000: a roster sync
// looks every contact up several times. Entry pointers stay valid until the entry is removed; only
// the account's thread removes entries, and the account's thread is the one
// that reads through the pointers. Every lookup that answers an index, and
// every change, holds the map's lock; Lock() lets a caller hold it across
// several steps. An entry's kind, JID and full-JID key are fixed when it is
// added: the indexes are built from them.
class CJabberContactMap {
public:
    CJabberContactMap() = default;
    CJabberContactMap(const CJabberContactMap&) = delete;
    CJabberContactMap& operator=(const CJabberContactMap&) = delete;

    CYolCriticalSection& Lock() { return section; }

    ContactRecord* FindContact(int kind, const CYolString& jid);
    // Index + 1 of the entry, 0 when there is none.
    int FindContactIndex(int kind, const CYolString& jid);
    ContactRecord* GetContactAt(int index);
    int Count();
    // Index of the first entry of that kind at or after `start` (a negative
    // start counts as 0), or -1.
    int FindContactByKind(int kind, int start);
    ContactRecord* FindOrAddContact(int kind, const CYolString& jid);
    void RemoveContact(int kind, const CYolString& jid);
    void ClearContacts();

    // Applies one presence to the resource the full JID names (or, without a
    // resource, to the summary). True when a new resource was added.
    bool UpdateResource(int kind, const CYolString& jid, Protocols::Status status, const CYolString& text,
                        int8_t priority);
    // Drops the resource the full JID names (compared ignoring case).
    void RemoveResource(int kind, const CYolString& jid);
    // The resource to send to, empty when the contact has none: the one that
    // wrote last, else the chosen one, else the one of highest priority.
    CYolString BestResource(const CYolString& jid);
    // The JID completed with BestResource when it names no resource.
    CYolString FullJidForSend(const CYolString& jid);

private:
    struct Slot {
        std::unique_ptr<ContactRecord> record;
        uint64_t order = 0;  // grows with every entry added
    };
    struct Posting {
        uint64_t order;
        ContactRecord* record;
    };
    // Entries by the hash of their key (see KeyHash in the source).
    using KeyIndex = std::unordered_multimap<uint64_t, Posting>;

    // The first matching entry, {0, nullptr} when none matches.
    Posting Lookup(int kind, const CYolString& jid) const;
    int PositionOf(uint64_t order) const;
    ContactRecord* At(int kind, const CYolString& jid) const { return Lookup(kind, jid).record; }
    bool HasRoom(const CYolString& jid) const;
    // Adds the entry to the indexes, or takes it out of them.
    void Index(const Slot& slot, bool add);

    CYolCriticalSection section;
    std::vector<Slot> entries;
    KeyIndex byBareJid;  // entries compared as bare JIDs
    KeyIndex byFullJid;  // every entry
    uint64_t nextOrder = 1;
};
