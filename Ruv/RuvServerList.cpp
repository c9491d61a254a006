#include "RuvServerList.h"

#include "CByteReader.h"
#include "RuvPlugin.h"
#include "RuvText.h"

#include <map>

namespace {

// Indices into the plug-in's image list.
enum Image : int {
    kOffline = 0,
    kAimOffline = 1,
    kOnline = 3,
    kAimOnline = 5,
    kNotInList = 18,
    kInVisibleList = 62,
    kInInvisibleList = 63,
    kInIgnoreList = 64,
    kAwaitingAuthorization = 65,
};

constexpr uint16_t kFirstItemId = 1024;

CYolArray<unsigned int> Icon(std::initializer_list<int> images) {
    CYolArray<unsigned int> icon;
    for (int image : images)
        icon.Add(RuvPlugin::ImageId(image));
    return icon;
}

std::u16string Key(const CYolString& name) { return RuvText::NormalName(name).ToU16(); }

CYolString AliasOf(const CSsiItem& item) {
    const std::string* alias = item.tlvs.Find(RuvItemTlv::Alias);
    return alias ? CYolString::FromUtf8(*alias) : CYolString();
}

}  // namespace

CRuvListItem* CRuvServerList::FindByContact(unsigned int contactId) {
    if (contactId == 0)
        return nullptr;
    for (CRuvListItem& item : items)
        if (item.contactId == contactId)
            return &item;
    return nullptr;
}

CRuvListItem* CRuvServerList::FindBuddy(const CYolString& name) { return FindNamed(RuvItemType::Buddy, name); }

CRuvListItem* CRuvServerList::FindGroup(uint16_t groupId) {
    for (CRuvListItem& item : items)
        if (item.type == RuvItemType::Group && item.groupId == groupId)
            return &item;
    return nullptr;
}

CRuvListItem* CRuvServerList::Find(uint16_t type, uint16_t groupId, uint16_t itemId) {
    for (CRuvListItem& item : items)
        if (item.type == type && item.groupId == groupId && item.itemId == itemId)
            return &item;
    return nullptr;
}

CRuvListItem* CRuvServerList::FindNamed(uint16_t type, const CYolString& name) {
    for (CRuvListItem& item : items)
        if (item.type == type && RuvText::SameName(item.name, name))
            return &item;
    return nullptr;
}

bool CRuvServerList::IsItemIdUsed(uint16_t id) const {
    for (const CRuvListItem& item : items)
        if (item.itemId == id || (item.type == RuvItemType::Group && item.groupId == id))
            return true;
    return false;
}

uint16_t CRuvServerList::NextFreeItemId() const {
    uint16_t id = kFirstItemId;
    // The table can never hold all 65536 ids, so the walk ends.
    while (IsItemIdUsed(id))
        ++id;
    return id;
}

RuvListMembership CRuvServerList::Membership(const CYolString& name) const {
    RuvListMembership out;
    for (const CRuvListItem& item : items) {
        if (item.type != RuvItemType::Permit && item.type != RuvItemType::Deny && item.type != RuvItemType::Ignore)
            continue;
        if (!RuvText::SameName(item.name, name))
            continue;
        (item.type == RuvItemType::Permit ? out.visible : item.type == RuvItemType::Deny ? out.invisible : out.ignore) =
            true;
    }
    return out;
}

bool CRuvServerList::IsAimName(const CYolString& name) {
    const char16_t first = name.At(0);
    return !(first >= u'0' && first <= u'9');
}

bool CRuvServerList::IsAwaitingAuthorization(const CSsiItem& item) {
    return item.tlvs.Find(RuvItemTlv::AwaitingAuthorization) != nullptr;
}

void CRuvServerList::Remove(const CRuvListItem* item) {
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (&*it == item) {
            items.erase(it);
            return;
        }
    }
}

bool CRuvServerList::TakePart(const CSnacRoster& part) {
    if (newList) {
        items.clear();
        newList = false;
    }
    for (const CSsiItem& item : part.list.items)
        items.emplace_back(item);
    if (!part.LastPart())
        return false;
    changeTime = part.list.changeTime;
    newList = true;
    Sync();
    return true;
}

void CRuvServerList::Sync() {
    std::vector<RuvListedItem> listed;
    if (!model.Available() || !model.ReadAccountItems(listed))
        return;
    std::vector<RuvListedItem> groups;
    ListedContacts contacts;
    for (RuvListedItem& entry : listed) {
        if (entry.contact == 0)
            groups.push_back(std::move(entry));
        else
            contacts.emplace(Key(entry.key), std::move(entry));
    }
    model.BeginUpdate();
    // Groups first, then buddies: a buddy may come before its group.
    for (CRuvListItem& item : items)
        if (item.type == RuvItemType::Group && item.groupId != 0)
            SyncGroup(item, groups);
    const size_t serverItems = items.size();
    for (size_t i = 0; i < serverItems; ++i)
        if (items[i].type == RuvItemType::Buddy && items[i].groupId != 0)
            SyncBuddy(items[i], contacts);
    for (const auto& [key, left] : contacts) {
        if (left.group != 0) {
            model.RemoveContact(left.contact);
            continue;
        }
        // Kept outside groups by the user: found again from now on.
        CSsiItem local;
        local.name = left.key;
        items.emplace_back(std::move(local), left.contact);
    }
    for (const RuvListedItem& left : groups)
        model.RemoveGroup(left.group);
    model.EndUpdate();
}

void CRuvServerList::SyncGroup(CRuvListItem& group, std::vector<RuvListedItem>& groups) {
    for (auto it = groups.begin(); it != groups.end(); ++it) {
        if (it->key == group.name) {
            group.contactId = it->group;
            groups.erase(it);
            return;
        }
    }
    group.contactId = model.CreateGroup(group.name);
}

void CRuvServerList::SyncBuddy(CRuvListItem& buddy, ListedContacts& contacts) {
    const CRuvListItem* group = FindGroup(buddy.groupId);
    if (group == nullptr || group->contactId == 0)
        return;
    const CYolString alias = AliasOf(buddy);
    auto found = contacts.find(Key(buddy.name));
    if (found != contacts.end()) {
        if (found->second.group != group->contactId)
            model.MoveContact(found->second.contact, group->contactId);
        buddy.contactId = found->second.contact;
        if (!alias.IsEmpty() && alias != model.Alias(buddy.contactId))
            model.SetAlias(buddy.contactId, alias);
        contacts.erase(found);
    } else {
        buddy.contactId = AddToContactList(group->contactId, buddy.name, alias.IsEmpty() ? buddy.name : alias);
    }
    if (buddy.contactId != 0 && WriteListFlags(buddy))
        ShowStatus(buddy);
}

unsigned int CRuvServerList::AddToContactList(unsigned int group, const CYolString& name, const CYolString& alias) {
    const unsigned int contact = model.AddContact(group, name, alias);
    if (contact == 0)
        return 0;
    Protocols::ContactStatusInfo status;
    BuildContactStatus(contact, status);
    model.ShowContact(contact, status);
    return contact;
}

bool CRuvServerList::WriteListFlags(const CRuvListItem& item) {
    const RuvListMembership in = Membership(item.name);
    const unsigned char wanted[] = {in.visible, in.invisible, in.ignore};
    static constexpr const char16_t* kNames[] = {RuvValueName::InVisibleList, RuvValueName::InInvisibleList,
                                                 RuvValueName::InIgnoreList};
    bool changed = false;
    for (int i = 0; i < 3; ++i)
        changed = changed || model.Flag(item.contactId, kNames[i]) != wanted[i];
    if (changed)
        for (int i = 0; i < 3; ++i)
            model.SetFlag(item.contactId, kNames[i], wanted[i]);
    return changed;
}

void CRuvServerList::ShowStatus(const CRuvListItem& item) {
    if (item.contactId == 0)
        return;
    Protocols::ContactStatusInfo status;
    BuildContactStatus(item.contactId, status);
    model.SetContactStatus(item.contactId, status);
}

void CRuvServerList::ConnectionEnded() {
    newList = true;
    for (CRuvListItem& item : items) {
        const bool shown = item.presence.status != 0;
        item.presence = RuvContactPresence();
        if (shown)
            ShowStatus(item);
    }
}

void CRuvServerList::AddBaseIcon(const CRuvListItem& item, Protocols::ContactStatusInfo& out) {
    const int status = item.presence.status;
    const bool aim = IsAimName(item.name);
    int base = kOffline;
    if (status == 0)
        base = aim ? kAimOffline : kOffline;
    else if (status > 1)
        base = aim ? kAimOnline : kOnline;
    // Invisible and the away kinds are drawn over the base; the status
    // image of each lies 3 places after its number.
    if (status == 3 || (status >= 5 && status <= 14))
        out.icons.Add(Icon({base, status + 3}));
    else
        out.icons.Add(Icon({base}));
}

void CRuvServerList::BuildContactStatus(unsigned int contactId, Protocols::ContactStatusInfo& out) {
    if (!model.Available())
        return;
    out.icons = CYolArray<CYolArray<unsigned int>>();
    out.extraIcons = CYolArray<CYolArray<unsigned int>>();
    out.icons.growStep = out.extraIcons.growStep = 1;
    const CRuvListItem* item = FindBuddy(model.Key(contactId));
    const bool grouped = model.ParentOf(contactId) != 0;
    if (item == nullptr || !grouped) {
        out.status = Protocols::Offline;
        out.icons.Add(Icon({item == nullptr && grouped ? kOffline : kNotInList}));
        return;
    }
    out.status = static_cast<unsigned int>(item->presence.status);
    AddBaseIcon(*item, out);
    if (item->presence.status > 1 && item->presence.xStatus != 0)
        out.icons.Add(Icon({kXStatusImageBase + item->presence.xStatus}));
    // Pictures registered for this contact alone: its client's and its own
    // icon, while it is online.
    for (const int id : {item->presence.clientPicture, item->presence.iconPicture}) {
        if (item->presence.status <= 1 || id == -1)
            continue;
        CYolArray<unsigned int> picture;
        picture.Add(static_cast<unsigned int>(id));
        out.extraIcons.Add(picture);
    }
    static constexpr struct {
        const char16_t* flag;
        int image;
    } kListIcons[] = {{RuvValueName::InVisibleList, kInVisibleList},
                      {RuvValueName::InInvisibleList, kInInvisibleList},
                      {RuvValueName::InIgnoreList, kInIgnoreList}};
    for (const auto& listIcon : kListIcons)
        if (model.Flag(contactId, listIcon.flag) != 0)
            out.extraIcons.Add(Icon({listIcon.image}));
    if (IsAwaitingAuthorization(*item))
        out.extraIcons.Add(Icon({kAwaitingAuthorization}));
}

std::string CRuvServerList::CacheBytes() const {
    OscarWriter out;
    out.U8(0).U16(static_cast<uint16_t>(std::min<size_t>(items.size(), 0xFFFF)));
    size_t written = 0;
    for (const CRuvListItem& item : items) {
        if (written++ == 0xFFFF)
            break;
        out.WordString(OscarUtf8(item.name)).U16(item.groupId).U16(item.itemId).U16(item.type);
        out.WordString(item.tlvs.Bytes());
    }
    return out.Failed() ? std::string(3, '\0') : out.Take();
}

void CRuvServerList::LoadCache(std::string_view bytes) {
    if (bytes.empty())
        return;
    // The cache has no change time after its items.
    SsiListBody body;
    body.Parse(bytes, false);
    items.clear();
    for (CSsiItem& item : body.items)
        items.emplace_back(std::move(item));
}
