// The roster and the contact list kept in step: the roster of the session,
// the server's pushes, the user's edits sent as roster sets and removes, and
// the account's own map entries behind them.

#include "XmppRoster.h"

#include "JabberNamespaces.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const CYolString kDefaultGroup(u"General");

// The roster's subscription attribute as the byte the contact list keeps;
// kept: whether the item stays on the roster (anything but "remove").
struct SubscriptionRow {
    const char16_t* text;
    uint8_t value;
};
constexpr SubscriptionRow kSubscriptions[] = {{u"none", 0}, {u"to", 1}, {u"from", 2}, {u"both", 3}};

uint8_t SubscriptionValue(const CYolString* attribute) {
    for (const SubscriptionRow& row : kSubscriptions)
        if (attribute != nullptr && *attribute == row.text)
            return row.value;
    return 0;
}

bool IsKeptSubscription(const CYolString& attribute) {
    for (const SubscriptionRow& row : kSubscriptions)
        if (attribute == row.text)
            return true;
    return false;
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

CYolString ItemName(const XmlNode& item, const CYolString& jid) {
    const CYolString* name = item.GetAttr("name");
    return name != nullptr ? *name : JidNode(jid);
}

CYolString ItemGroup(const XmlNode& item) {
    const XmlNode* group = item.GetChild("group");
    return group != nullptr && !group->Text().IsEmpty() ? group->Text() : kDefaultGroup;
}

// The item's JID when it is a roster item at all.
const CYolString* ItemJid(const XmlNode& item) {
    const CYolString* jid = item.GetAttr("jid");
    return item.Name() == "item" && jid != nullptr && !jid->IsEmpty() ? jid : nullptr;
}

// JIDs compare ignoring case; the maps of the synchronisation key them so.
std::u16string JidKey(const CYolString& jid) {
    CYolString key = BareJidCopy(jid);
    key.ToLower();
    return key.ToU16();
}

}  // namespace

// What the list held before the roster came, taken off as the roster's
// items claim it: what is left at the end is stale.
struct XmppRoster::Sync {
    struct Copy {
        unsigned int group = 0;
        unsigned int contact = 0;
    };
    std::map<std::u16string, std::vector<Copy>> listedContacts;
    std::map<std::u16string, std::vector<unsigned int>> listedGroups;
    // Groups the roster named, by name.
    std::map<std::u16string, unsigned int> usedGroups;
    std::set<std::u16string> rosterJids;
};

XmppRoster::XmppRoster(XmppStanzaSink& sink, CJabberContactMap& contacts, XmppRosterList& list,
                       OwnBareJidCheck isOwnBareJid)
    : sink(sink), contacts(contacts), list(list), isOwnBareJid(std::move(isOwnBareJid)) {}

// --- roster item requests -------------------------------------------------------------

void XmppRoster::SendItem(const CYolString& jid, const CYolString& name, const CYolString& group, int subscription) {
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
    sink.SendIq(iq, nullptr);
}

void XmppRoster::SetItem(const ContactRecord& entry) { SendItem(entry.jid, entry.name, entry.group, entry.subscription); }

void XmppRoster::RemoveItem(const CYolString& jid) {
    if (contacts.FindContact(ContactKindRoster, jid) == nullptr)
        return;
    XmlNode iq = MakeIq("set", -1, CYolString());
    XmlNode& item = iq.AddQuery(JabberNs::Roster).AddChild("item");
    item.SetAttr("jid", jid);
    item.SetAttrNarrow("subscription", "remove");
    sink.SendIq(iq, nullptr);
    contacts.RemoveContact(ContactKindRoster, jid);
}

void XmppRoster::SetSubscription(ContactRecord& entry, uint8_t subscription) {
    entry.subscription = subscription;
    list.SetSubscription(entry.contactId, subscription);
}

unsigned int XmppRoster::CreateGroup(const CYolString& name) { return list.CreateGroup(name); }

void XmppRoster::AddContactItem(ContactRecord& entry, unsigned int group) {
    if (const unsigned int id = list.AddContact(group, entry.jid, entry.name, entry.subscription))
        entry.contactId = id;
}

// --- the session's roster -------------------------------------------------------------

bool XmppRoster::OnResult(const IqStanza& iq) {
    const XmlNode* query = iq.PayloadIn("query", JabberNs::Roster);
    Sync sync;
    std::vector<ListedContact> listed;
    std::vector<ListedGroup> groups;
    if (!iq.Head().TypeIs(u"result") || query == nullptr || !list.ReadAccountItems(listed, groups))
        return false;
    for (const ListedContact& contact : listed)
        sync.listedContacts[JidKey(contact.jid)].push_back({contact.group, contact.contact});
    for (const ListedGroup& group : groups)
        sync.listedGroups[group.name.ToU16()].push_back(group.group);

    list.BeginUpdate();
    for (int i = 0; i < query->ChildCount(); ++i)
        SyncItem(query->ChildAt(i), sync);
    DropUnnamed(sync);
    groupsBeforeRoster.clear();
    list.EndUpdate();
    return true;
}

void XmppRoster::SyncItem(const XmlNode& item, Sync& sync) {
    const CYolString* jid = ItemJid(item);
    if (jid == nullptr)
        return;
    const uint8_t subscription = SubscriptionValue(item.GetAttr("subscription"));
    sync.rosterJids.insert(JidKey(*jid));

    ContactRecord* entry = contacts.FindOrAddContact(ContactKindRoster, *jid);
    entry->subscription = subscription;
    entry->name = ItemName(item, *jid);
    entry->group = ItemGroup(item);
    const unsigned int group = SyncGroup(entry->group, sync);

    auto listed = sync.listedContacts.find(JidKey(*jid));
    if (listed == sync.listedContacts.end()) {
        AddContactItem(*entry, group);
        return;
    }
    // Of several copies in the list, the one already in the right group.
    auto& copies = listed->second;
    auto copy = copies.begin();
    for (auto it = copies.begin(); it != copies.end(); ++it)
        if (it->group == group) {
            copy = it;
            break;
        }
    entry->contactId = copy->contact;
    if (copy->group != group)
        list.MoveContact(copy->contact, group);
    uint8_t stored = 0;
    if (!list.StoredSubscription(copy->contact, stored) || stored != subscription)
        SetSubscription(*entry, subscription);
    copies.erase(copy);
    if (copies.empty())
        sync.listedContacts.erase(listed);
}

// The group the roster names: one it named before, else one the list
// holds by that name (each taken once), else a new one.
unsigned int XmppRoster::SyncGroup(const CYolString& name, Sync& sync) {
    const std::u16string key = name.ToU16();
    if (auto used = sync.usedGroups.find(key); used != sync.usedGroups.end())
        return used->second;
    unsigned int group = 0;
    if (auto listed = sync.listedGroups.find(key); listed != sync.listedGroups.end()) {
        group = listed->second.front();
        listed->second.erase(listed->second.begin());
        if (listed->second.empty())
            sync.listedGroups.erase(listed);
    } else {
        group = list.CreateGroup(name);
    }
    sync.usedGroups[key] = group;
    return group;
}

// What the roster did not name: grouped copies go, contacts outside groups
// stay as they are, and so do the groups the user added meanwhile.
void XmppRoster::DropUnnamed(Sync& sync) {
    for (auto& [key, copies] : sync.listedContacts) {
        for (const Sync::Copy& copy : copies) {
            CYolString jid;
            list.ItemLogin(copy.contact, jid);
            if (copy.group != 0) {
                list.RemoveContact(copy.contact);
                if (sync.rosterJids.count(key) == 0)
                    contacts.RemoveContact(ContactKindRoster, jid);
            } else if (ContactRecord* entry = contacts.FindOrAddContact(ContactKindRoster, jid);
                       entry->contactId == 0) {
                entry->contactId = copy.contact;
            }
        }
    }
    for (auto& [name, groups] : sync.listedGroups)
        for (unsigned int group : groups)
            if (groupsBeforeRoster.count(group) == 0)
                list.RemoveGroup(group);
}

// --- pushes ------------------------------------------------------------------------------

void XmppRoster::Pushes::OnRequest(const XmlNode&, IqRequest& request) { roster.OnPush(request); }

void XmppRoster::OnPush(const IqRequest& request) {
    // Only the own server speaks for the roster: a push from anyone else
    // would let a stranger rewrite the contact list.
    if (request.from != nullptr && !request.from->IsEmpty() && !isOwnBareJid(*request.from))
        return;
    if (const XmlNode* query = request.query)
        for (int i = 0; i < query->ChildCount(); ++i)
            ApplyPushedItem(query->ChildAt(i));
    // The server waits for the push to be acknowledged.
    sink.SendStanza(MakeIqAnswer("result", request));
}

void XmppRoster::ApplyPushedItem(const XmlNode& item) {
    const CYolString* jid = ItemJid(item);
    const CYolString* subscriptionText = item.GetAttr("subscription");
    if (jid == nullptr || subscriptionText == nullptr)
        return;
    const uint8_t subscription = SubscriptionValue(subscriptionText);
    if (IsKeptSubscription(*subscriptionText)) {
        ContactRecord* entry = contacts.FindOrAddContact(ContactKindRoster, *jid);
        const CYolString name = ItemName(item, *jid);
        const CYolString groupName = ItemGroup(item);
        unsigned int group = list.FindGroup(groupName);
        if (group == 0)
            group = list.CreateGroup(groupName);
        if (entry->contactId == 0) {
            entry->name = name;
            entry->group = groupName;
            entry->subscription = subscription;
            AddContactItem(*entry, group);
        } else {
            const bool renamed = entry->name != name;
            if (renamed) {
                entry->name = name;
                list.SetContactName(entry->contactId, name);
            }
            if (entry->group != groupName) {
                entry->group = groupName;
                list.MoveContact(entry->contactId, group);
            } else if (renamed) {
                list.NotifyContactChanged(entry->contactId);
            }
        }
    }
    // A removed contact keeps its list item; only its subscription goes.
    if (ContactRecord* entry = contacts.FindContact(ContactKindRoster, *jid);
        entry != nullptr && entry->subscription != subscription)
        SetSubscription(*entry, subscription);
}

// --- the user's edits ---------------------------------------------------------------------

void XmppRoster::AddContact(const CYolString& login, const CYolString& name, unsigned int group) {
    CYolString groupName;
    if (list.ItemLogin(group, groupName) && !login.IsEmpty() && !name.IsEmpty() && !groupName.IsEmpty())
        SendItem(login, name, groupName, 3);
}

void XmppRoster::DeleteContact(unsigned int contact) {
    CYolString jid;
    if (!list.ItemLogin(contact, jid))
        return;
    RemoveItem(jid);
    list.RemoveContact(contact);
}

void XmppRoster::RenameContact(unsigned int contact, const CYolString& name) {
    CYolString jid;
    ContactRecord* entry = list.ItemLogin(contact, jid) ? contacts.FindContact(ContactKindRoster, jid) : nullptr;
    if (entry == nullptr)
        return;
    entry->name = name;
    list.SetContactName(contact, name);
    list.NotifyContactChanged(contact);
    SetItem(*entry);
}

void XmppRoster::MoveContact(unsigned int contact, unsigned int group) {
    CYolString jid;
    CYolString groupName;
    if (!list.ItemLogin(contact, jid) || !list.ItemLogin(group, groupName))
        return;
    ContactRecord* entry = contacts.FindContact(ContactKindRoster, jid);
    if (entry == nullptr)
        return;
    entry->group = groupName;
    list.MoveContact(contact, group);
    SetItem(*entry);
}

void XmppRoster::RenameGroup(unsigned int group, const CYolString& name) {
    CYolString oldName;
    if (!list.ItemLogin(group, oldName))
        return;
    list.RenameGroup(group, name);
    for (int i = 0, n = contacts.Count(); i < n; ++i) {
        ContactRecord* entry = contacts.GetContactAt(i);
        if (entry == nullptr || entry->kind != ContactKindRoster || entry->contactId == 0 || entry->group != oldName)
            continue;
        entry->group = name;
        SetItem(*entry);
    }
}

void XmppRoster::DeleteGroup(unsigned int group) {
    if (group == 0) {
        // Contacts outside groups are only in the contact list, never on the
        // server's roster.
        for (int i = contacts.Count() - 1; i >= 0; --i) {
            ContactRecord* entry = contacts.GetContactAt(i);
            if (entry == nullptr || entry->kind != ContactKindRoster || entry->contactId == 0 || !entry->group.IsEmpty())
                continue;
            list.RemoveContact(entry->contactId);
            contacts.RemoveContact(ContactKindRoster, CYolString(entry->jid));
        }
        return;
    }
    CYolString groupName;
    if (!list.ItemLogin(group, groupName))
        return;
    for (int i = contacts.Count() - 1; i >= 0; --i) {
        ContactRecord* entry = contacts.GetContactAt(i);
        if (entry != nullptr && entry->kind == ContactKindRoster && entry->group == groupName)
            RemoveItem(CYolString(entry->jid));
    }
    list.RemoveGroup(group);
}
