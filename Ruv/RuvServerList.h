#pragma once
// CRuvServerList: the account's copy of its server-side list (groups,
// buddies, the visible, invisible and ignore lists, the visibility item)
// and its mirror in the program's contact list. It takes the list as the
// server sends it (in any number of parts, groups and buddies in any
// order), reconciles the contact list with it, builds the status records
// the contact list shows, and keeps the cached copy ("CL data") in the
// list's own layout.
//
// Screen names are compared in one form (lower case, spaces removed), as
// servers and clients spell them differently. Runs on the account's queue
// thread.

#include "RuvContactListPorts.h"
#include "RuvContactPresence.h"
#include "RuvListRecords.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace RuvItemType {
inline constexpr uint16_t Buddy = 0;
inline constexpr uint16_t Group = 1;
inline constexpr uint16_t Permit = 2;
inline constexpr uint16_t Deny = 3;
inline constexpr uint16_t Visibility = 4;
inline constexpr uint16_t Ignore = 14;
}  // namespace RuvItemType

namespace RuvItemTlv {
inline constexpr uint16_t Alias = 0x0131;
inline constexpr uint16_t AwaitingAuthorization = 0x0066;
}  // namespace RuvItemTlv

struct CRuvListItem : CSsiItem {
    CRuvListItem() = default;
    explicit CRuvListItem(CSsiItem item, unsigned int contactId = 0)
        : CSsiItem(std::move(item)), contactId(contactId) {}
    // The contact or group in the contact list; 0 for none.
    unsigned int contactId = 0;
    RuvContactPresence presence;
    // When the last stopped-typing notice went to the contact (Unix
    // seconds; 0 while the user types).
    int64_t typingStopTime = 0;
};

struct RuvListMembership {
    bool visible = false;
    bool invisible = false;
    bool ignore = false;
};

class CRuvServerList {
public:
    // An extended status's image lies this many places after its number.
    static constexpr int kXStatusImageBase = 21;

    explicit CRuvServerList(RuvListModel& model) : model(model) {}

    std::vector<CRuvListItem>& Items() { return items; }
    const std::vector<CRuvListItem>& Items() const { return items; }

    // --- look-ups (first match in table order) ---
    CRuvListItem* FindByContact(unsigned int contactId);
    CRuvListItem* FindBuddy(const CYolString& name);
    CRuvListItem* FindGroup(uint16_t groupId);
    CRuvListItem* Find(uint16_t type, uint16_t groupId, uint16_t itemId);
    CRuvListItem* FindNamed(uint16_t type, const CYolString& name);
    CRuvListItem* FindVisibility() { return FindNamed(RuvItemType::Visibility, {}); }
    bool IsItemIdUsed(uint16_t id) const;
    // From 1024 up, the first id no item and no group uses.
    uint16_t NextFreeItemId() const;
    RuvListMembership Membership(const CYolString& name) const;
    static bool IsAimName(const CYolString& name);
    static bool IsAwaitingAuthorization(const CSsiItem& item);
    void Remove(const CRuvListItem* item);

    // --- the server's list ---
    // One part of the list; true when it was the last (the list is whole
    // and mirrored). The first part of a new list replaces the old one.
    bool TakePart(const CSnacRoster& part);
    void Sync();
    uint32_t ChangeTime() const { return changeTime; }

    // --- the contact list ---
    void BuildContactStatus(unsigned int contactId, Protocols::ContactStatusInfo& out);
    // The item's status record sent to the contact list.
    void ShowStatus(const CRuvListItem& item);
    // A contact in `group` (0: outside groups) with its status shown.
    unsigned int AddToContactList(unsigned int group, const CYolString& name, const CYolString& alias);
    // Writes the three list flags of the item's contact; true when any
    // changed.
    bool WriteListFlags(const CRuvListItem& item);
    // The connection ended: every contact is offline, and a list cut off
    // in the middle is not continued by the next connection's.
    void ConnectionEnded();

    // --- the cached copy ---
    std::string CacheBytes() const;
    // Replaces the table with the cached items; a copy cut short keeps the
    // items read in full.
    void LoadCache(std::string_view bytes);

private:
    // The account's contacts in the contact list by their names' one form.
    using ListedContacts = std::map<std::u16string, RuvListedItem>;
    void SyncGroup(CRuvListItem& group, std::vector<RuvListedItem>& groups);
    void SyncBuddy(CRuvListItem& buddy, ListedContacts& contacts);
    void AddBaseIcon(const CRuvListItem& item, Protocols::ContactStatusInfo& out);

    RuvListModel& model;
    std::vector<CRuvListItem> items;
    uint32_t changeTime = 0;
    bool newList = true;
};
