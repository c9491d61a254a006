// The roster and the contact list kept in step: the roster of the session,
// the server's pushes, the user's edits sent as roster sets and removes, and
// the account's own map entries behind them.

#include "CJabberAccount.h"

#include "CContactList.h"
#include "ValueNames.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const CYolString kSrvLogName(ValueName::SrvLogName);
const CYolString kAlias(ValueName::Alias);
const CYolString kSubscription(u"Subscription");
const CYolString kDefaultGroup(u"General");

// The roster's subscription attribute as the byte the contact list keeps.
uint8_t SubscriptionValue(const CYolString* attribute) {
    if (attribute == nullptr)
        return 0;
    if (*attribute == u"both")
        return 3;
    if (*attribute == u"to")
        return 1;
    if (*attribute == u"from")
        return 2;
    return 0;
}

// The attribute a roster set carries for a subscription value; null: none.
const char* SubscriptionText(int subscription) {
    switch (subscription) {
    case 1:
        return "to";
    case 2:
        return "from";
    case 3:
        return "both";
    case 4:
        return nullptr;
    default:
        return "none";
    }
}

bool IsKeptSubscription(const CYolString& attribute) {
    return attribute == u"to" || attribute == u"both" || attribute == u"from" || attribute == u"none";
}

CYolString ItemName(const XmlNode& item, const CYolString& jid) {
    const CYolString* name = item.GetAttr("name");
    return name != nullptr ? *name : JidNode(jid);
}

CYolString ItemGroup(const XmlNode& item) {
    const XmlNode* group = item.GetChild("group");
    return group != nullptr && !group->Text().IsEmpty() ? group->Text() : kDefaultGroup;
}

// JIDs compare ignoring case; the maps of the synchronisation key them so.
std::u16string JidKey(const CYolString& jid) {
    CYolString key = BareJidCopy(jid);
    key.ToLower();
    return key.ToU16();
}

struct RosterSyncEntry {
    unsigned int group = 0;
    unsigned int contact = 0;
};

using SyncMap = std::map<std::u16string, std::vector<RosterSyncEntry>>;

const XmlNode* RosterQuery(const XmlNode& iq) {
    const XmlNode* query = iq.GetChild("query");
    const CYolString* xmlns = XmlNode::GetAttr(query, "xmlns");
    return xmlns != nullptr && *xmlns == CYolString::FromUtf8(JabberNs::Roster) ? query : nullptr;
}

}  // namespace

// --- map helpers and roster item requests -------------------------------------------

unsigned int CJabberAccount::ContactIdOf(const CYolString& jid) {
    const ContactRecord* entry = contacts.FindContact(ContactKindRoster, jid);
    return entry != nullptr ? entry->contactId : 0;
}

unsigned int CJabberAccount::FindGroupByName(const CYolString& name) {
    CL::CContactList* list = ContactListService();
    CYolArray<CL::CLItemInfo> items;
    if (list == nullptr || !list->GetAccountItems(accountId, items))
        return 0;
    for (int i = 0; i < items.Count(); ++i) {
        if (items[i].itemId != 0 || items[i].parentId == 0)
            continue;
        CYolString groupName;
        if (list->GetItemString(items[i].parentId, kSrvLogName, groupName) && groupName == name)
            return items[i].parentId;
    }
    return 0;
}

unsigned int CJabberAccount::CreateGroup(const CYolString& name) {
    CL::CContactList* list = ContactListService();
    unsigned int group = list != nullptr ? list->AddGroup(accountId) : 0;
    if (group == 0)
        return 0;
    list->SetItemString(group, kSrvLogName, name);
    list->SetItemString(group, kAlias, name);
    list->NotifyGroupAdded(group);
    return group;
}

void CJabberAccount::SetRosterItem(const CYolString& jid, const CYolString& name, const CYolString& group,
                                   int subscription) {
    // Servers refuse a roster set without an id, so it gets one, though
    // nothing waits for the answer.
    XmlNode iq = MakeIq("set", -1, CYolString());
    XmlNode& item = iq.AddQuery(JabberNs::Roster).AddChild("item");
    item.SetAttr("jid", jid);
    if (!name.IsEmpty())
        item.SetAttr("name", name);
    if (const char* text = SubscriptionText(subscription))
        item.SetAttrNarrow("subscription", text);
    if (!group.IsEmpty())
        item.AddWideTextChild("group", group);
    SendIq(iq, nullptr);
}

void CJabberAccount::RemoveRosterItem(const CYolString& jid) {
    if (contacts.FindContact(ContactKindRoster, jid) == nullptr)
        return;
    XmlNode iq = MakeIq("set", -1, CYolString());
    XmlNode& item = iq.AddQuery(JabberNs::Roster).AddChild("item");
    item.SetAttr("jid", jid);
    item.SetAttrNarrow("subscription", "remove");
    SendIq(iq, nullptr);
    contacts.RemoveContact(ContactKindRoster, jid);
}

void CJabberAccount::PushContactStatus(const ContactRecord& entry) {
    CL::CContactList* list = ContactListService();
    if (list == nullptr || entry.contactId == 0)
        return;
    Protocols::ContactStatusInfo info;
    BuildContactStatus(entry.contactId, &info);
    list->SetContactStatus(entry.contactId, info);
}

void CJabberAccount::SetSubscription(ContactRecord& entry, uint8_t subscription) {
    entry.subscription = subscription;
    if (CL::CContactList* list = ContactListService(); list != nullptr && entry.contactId != 0) {
        list->SetItemByte(entry.contactId, kSubscription, &subscription);
        PushContactStatus(entry);
    }
}

// --- the session's roster -------------------------------------------------------------

void CJabberAccount::OnRosterResult(const XmlNode& iq) {
    CL::CContactList* list = ContactListService();
    const CYolString* type = iq.GetAttr("type");
    const XmlNode* query = RosterQuery(iq);
    if (list == nullptr || type == nullptr || *type != u"result" || query == nullptr)
        return;
    // Nothing of this session has been announced yet.
    visiblePresenceSent = false;

    SyncMap existingContacts;
    std::map<std::u16string, std::vector<unsigned int>> existingGroups;
    std::map<std::u16string, unsigned int> usedGroups;
    CYolArray<CL::CLItemInfo> items;
    list->GetAccountItems(accountId, items);
    for (int i = 0; i < items.Count(); ++i) {
        const CL::CLItemInfo& row = items[i];
        CYolString key;
        if (row.itemId != 0) {
            if (list->GetItemString(row.itemId, kSrvLogName, key))
                existingContacts[JidKey(key)].push_back({row.parentId, row.itemId});
        } else if (row.parentId != 0 && list->GetItemString(row.parentId, kSrvLogName, key)) {
            existingGroups[key.ToU16()].push_back(row.parentId);
        }
    }

    std::set<std::u16string> rosterJids;
    list->BeginUpdate();
    for (int i = 0; i < query->ChildCount(); ++i) {
        const XmlNode& item = query->ChildAt(i);
        const CYolString* jid = item.GetAttr("jid");
        if (item.Name() != "item" || jid == nullptr || jid->IsEmpty())
            continue;
        uint8_t subscription = SubscriptionValue(item.GetAttr("subscription"));
        CYolString name = ItemName(item, *jid);
        CYolString groupName = ItemGroup(item);
        rosterJids.insert(JidKey(*jid));

        ContactRecord* entry = contacts.FindOrAddContact(ContactKindRoster, *jid);
        entry->subscription = subscription;
        entry->name = name;
        entry->group = groupName;

        unsigned int group = 0;
        if (auto used = usedGroups.find(groupName.ToU16()); used != usedGroups.end()) {
            group = used->second;
        } else if (auto existing = existingGroups.find(groupName.ToU16()); existing != existingGroups.end()) {
            group = existing->second.front();
            existing->second.erase(existing->second.begin());
            if (existing->second.empty())
                existingGroups.erase(existing);
        } else {
            group = CreateGroup(groupName);
        }
        usedGroups[groupName.ToU16()] = group;

        auto listed = existingContacts.find(JidKey(*jid));
        if (listed == existingContacts.end()) {
            AddContactItem(entry, *jid, name, group, subscription);
            continue;
        }
        auto& copies = listed->second;
        auto copy = copies.begin();
        for (auto it = copies.begin(); it != copies.end(); ++it)
            if (it->group == group) {
                copy = it;
                break;
            }
        entry->contactId = copy->contact;
        if (copy->group != group)
            list->MoveContact(copy->contact, group);
        unsigned char stored = 0;
        if (!list->GetItemByte(copy->contact, kSubscription, &stored) || stored != subscription)
            SetSubscription(*entry, subscription);
        copies.erase(copy);
        if (copies.empty())
            existingContacts.erase(listed);
    }

    // What the roster did not name: grouped copies go, contacts outside
    // groups stay as they are.
    for (auto& [key, copies] : existingContacts) {
        for (const RosterSyncEntry& copy : copies) {
            CYolString jid;
            list->GetItemString(copy.contact, kSrvLogName, jid);
            if (copy.group != 0) {
                list->RemoveContact(copy.contact);
                if (rosterJids.count(key) == 0)
                    contacts.RemoveContact(ContactKindRoster, jid);
            } else if (ContactRecord* entry = contacts.FindOrAddContact(ContactKindRoster, jid);
                       entry->contactId == 0) {
                entry->contactId = copy.contact;
            }
        }
    }
    for (auto& [name, groups] : existingGroups)
        for (unsigned int group : groups)
            if (groupsBeforeRoster.count(group) == 0)
                list->RemoveGroup(group);
    groupsBeforeRoster.clear();
    list->EndUpdate();

    ApplyStatus(wantedStatus);
}

// --- pushes ------------------------------------------------------------------------------

bool CJabberAccount::IsOwnBareJid(const CYolString& jid) const {
    if (JidHasResource(jid))
        return false;
    CYolString own = GetOwnBareJid();
    return (!own.IsEmpty() && SameJid(jid, own)) || (!GetOwnJid().IsEmpty() && SameJid(jid, BareJidCopy(GetOwnJid())));
}

bool CJabberAccount::IsOwnServer(const CYolString& jid) const {
    return !settings.server.IsEmpty() && SameJid(BareJidCopy(jid), settings.server);
}

void CJabberAccount::OnRosterPush(const XmlNode&, IqRequest& request) {
    // Only the own server speaks for the roster: a push from anyone else
    // would let a stranger rewrite the contact list.
    if (request.from != nullptr && !request.from->IsEmpty() && !IsOwnBareJid(*request.from))
        return;
    CL::CContactList* list = ContactListService();
    const XmlNode* query = request.query;
    if (list != nullptr && query != nullptr) {
        for (int i = 0; i < query->ChildCount(); ++i) {
            const XmlNode& item = query->ChildAt(i);
            const CYolString* jid = item.GetAttr("jid");
            const CYolString* subscriptionText = item.GetAttr("subscription");
            if (item.Name() != "item" || jid == nullptr || jid->IsEmpty() || subscriptionText == nullptr)
                continue;
            uint8_t subscription = SubscriptionValue(subscriptionText);

            if (IsKeptSubscription(*subscriptionText)) {
                ContactRecord* entry = contacts.FindOrAddContact(ContactKindRoster, *jid);
                CYolString name = ItemName(item, *jid);
                CYolString groupName = ItemGroup(item);
                unsigned int group = FindGroupByName(groupName);
                if (group == 0)
                    group = CreateGroup(groupName);
                if (entry->contactId != 0) {
                    bool changed = false;
                    if (entry->name != name) {
                        entry->name = name;
                        list->SetItemString(entry->contactId, kAlias, name);
                        changed = true;
                    }
                    if (entry->group != groupName) {
                        entry->group = groupName;
                        list->MoveContact(entry->contactId, group);
                    } else if (changed) {
                        list->NotifyContactChanged(entry->contactId);
                    }
                } else {
                    entry->name = name;
                    entry->group = groupName;
                    entry->subscription = subscription;
                    AddContactItem(entry, *jid, name, group, subscription);
                }
            }
            if (ContactRecord* entry = contacts.FindContact(ContactKindRoster, *jid);
                entry != nullptr && entry->subscription != subscription)
                SetSubscription(*entry, subscription);
        }
    }
    // The server waits for the push to be acknowledged.
    SendStanza(MakeIqAnswer("result", request));
}

// --- the user's edits ---------------------------------------------------------------------

int CJabberAccount::AddContact(const CYolString& login, const CYolString& name, unsigned int group) {
    CL::CContactList* list = ContactListService();
    CYolString groupName;
    if (list == nullptr || !list->GetItemString(group, kSrvLogName, groupName))
        return 0;
    // The contact appears when the server pushes it back.
    if (!login.IsEmpty() && !name.IsEmpty() && !groupName.IsEmpty())
        SetRosterItem(login, name, groupName, 3);
    return 0;
}

int CJabberAccount::DeleteContact(unsigned int contact) {
    CL::CContactList* list = ContactListService();
    CYolString jid;
    if (list == nullptr || !list->GetItemString(contact, kSrvLogName, jid))
        return 0;
    RemoveRosterItem(jid);
    list->RemoveContact(contact);
    return 0;
}

int CJabberAccount::RenameContact(unsigned int contact, const CYolString& name) {
    CL::CContactList* list = ContactListService();
    CYolString jid;
    if (list == nullptr || !list->GetItemString(contact, kSrvLogName, jid))
        return 0;
    ContactRecord* entry = contacts.FindContact(ContactKindRoster, jid);
    if (entry == nullptr)
        return 0;
    entry->name = name;
    list->SetItemString(contact, kAlias, name);
    list->NotifyContactChanged(contact);
    SetRosterItem(entry->jid, entry->name, entry->group, entry->subscription);
    return 0;
}

int CJabberAccount::MoveContact(unsigned int contact, unsigned int group) {
    CL::CContactList* list = ContactListService();
    CYolString jid;
    CYolString groupName;
    if (list == nullptr || !list->GetItemString(contact, kSrvLogName, jid) ||
        !list->GetItemString(group, kSrvLogName, groupName))
        return 0;
    ContactRecord* entry = contacts.FindContact(ContactKindRoster, jid);
    if (entry == nullptr)
        return 0;
    entry->group = groupName;
    list->MoveContact(contact, group);
    SetRosterItem(entry->jid, entry->name, entry->group, entry->subscription);
    return 0;
}

int CJabberAccount::RenameGroup(unsigned int group, const CYolString& name) {
    CL::CContactList* list = ContactListService();
    CYolString oldName;
    if (list == nullptr || !list->GetItemString(group, kSrvLogName, oldName))
        return 0;
    list->SetItemString(group, kSrvLogName, name);
    list->SetItemString(group, kAlias, name);
    list->NotifyGroupChanged(group);
    for (int i = 0, n = contacts.Count(); i < n; ++i) {
        ContactRecord* entry = contacts.GetContactAt(i);
        if (entry == nullptr || entry->kind != ContactKindRoster || entry->contactId == 0 || entry->group != oldName)
            continue;
        entry->group = name;
        SetRosterItem(entry->jid, entry->name, entry->group, entry->subscription);
    }
    return 0;
}

int CJabberAccount::DeleteGroup(unsigned int group) {
    CL::CContactList* list = ContactListService();
    if (list == nullptr)
        return 0;
    if (group == 0) {
        // Contacts outside groups are only in the contact list, never on the
        // server's roster.
        for (int i = contacts.Count() - 1; i >= 0; --i) {
            ContactRecord* entry = contacts.GetContactAt(i);
            if (entry == nullptr || entry->kind != ContactKindRoster || entry->contactId == 0 || !entry->group.IsEmpty())
                continue;
            list->RemoveContact(entry->contactId);
            contacts.RemoveContact(ContactKindRoster, CYolString(entry->jid));
        }
        return 0;
    }
    CYolString groupName;
    if (!list->GetItemString(group, kSrvLogName, groupName))
        return 0;
    for (int i = contacts.Count() - 1; i >= 0; --i) {
        ContactRecord* entry = contacts.GetContactAt(i);
        if (entry != nullptr && entry->kind == ContactKindRoster && entry->group == groupName)
            RemoveRosterItem(CYolString(entry->jid));
    }
    list->RemoveGroup(group);
    return 0;
}
