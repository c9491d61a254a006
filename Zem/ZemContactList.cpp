// The list packet, reconciliation with the program's list, status packets
// and look-ups of CZemContactList.

#include "CZemContactList.h"

#include "ZemStatuses.h"

#include <map>
#include <string>

namespace {

// The program's items of the account by their "SrvLogName", one index for
// contacts and one for groups; matched items leave their index.
using ItemIndex = std::multimap<std::u16string, unsigned int>;

unsigned int TakeItem(ItemIndex& index, const CYolString& key) {
    auto it = index.find(key.ToU16());
    if (it == index.end())
        return 0;
    unsigned int id = it->second;
    index.erase(it);
    return id;
}

CYolString DefaultNick(const CYolString& address) {
    int at = address.Find(0, CYolString(u"@"));
    return at >= 1 ? address.Substring(0, at) : address;
}

}  // namespace

uint32_t CZemContactList::Load(std::string_view data) {
    MrimBodyReader body(data);
    uint32_t result = 1;
    if (!body.UL(result) || result != 0)
        return result == 0 ? 1 : result;
    uint32_t groupCount = 0;
    body.UL(groupCount);
    std::string_view groupMask = body.LPS();
    std::string_view contactMask = body.LPS();
    // Groups read with a mask that takes no bytes could never run out of
    // body, so only the count would end them: such a list is broken.
    if (body.Failed() || (groupCount > 0 && groupMask.find_first_of("us") == std::string_view::npos))
        return 1;
    groups.clear();
    contacts.clear();
    // A count larger than the body is stopped by the first read that fails.
    for (uint32_t i = 0; i < groupCount && !body.Failed(); ++i) {
        ReadGroup(body, groupMask);
        if (!body.Failed())
            groups.back().index = i;
        else
            groups.pop_back();
    }
    // A mask that consumes nothing would never reach the end.
    const bool consumes = contactMask.find_first_of("us") != std::string_view::npos;
    while (consumes && body.Remaining() > 0 && !body.Failed()) {
        ReadContact(body, contactMask);
        if (body.Failed()) {
            contacts.pop_back();
            break;
        }
        contacts.back().serverId = 20 + static_cast<uint32_t>(contacts.size() - 1);
    }
    return 0;
}

void CZemContactList::ReadGroup(MrimBodyReader& body, std::string_view mask) {
    ZemGroup group;
    int numbers = 0;
    int strings = 0;
    std::string_view name;
    for (char letter : mask) {
        if (letter == 'u') {
            uint32_t value = 0;
            body.UL(value);
            if (numbers++ == 0)
                group.flags = value;
        } else if (letter == 's') {
            std::string_view text = body.LPS();
            if (strings++ == 0)
                name = text;
        }
    }
    group.name = (group.flags & ZemFlags::kUnicodeName) ? FromUtf16Bytes(name) : FromUtf8Bytes(name);
    groups.push_back(group);
}

void CZemContactList::ReadContact(MrimBodyReader& body, std::string_view mask) {
    ZemContact c;
    uint32_t* const numbers[] = {&c.flags, &c.groupIndex, &c.serverFlags, &c.status, &c.features};
    std::string_view strings[7];
    int numberCount = 0;
    int stringCount = 0;
    for (char letter : mask) {
        if (letter == 'u') {
            uint32_t value = 0;
            body.UL(value);
            if (numberCount < 5)
                *numbers[numberCount] = value;
            ++numberCount;
        } else if (letter == 's') {
            std::string_view text = body.LPS();
            if (stringCount < 7)
                strings[stringCount] = text;
            ++stringCount;
        }
    }
    c.address = FromUtf8Bytes(strings[0]);
    c.nick = (c.flags & ZemFlags::kUnicodeName) ? FromUtf16Bytes(strings[1]) : FromUtf8Bytes(strings[1]);
    c.phone = FromUtf8Bytes(strings[2]);
    c.statusUri = FromUtf8Bytes(strings[3]);
    c.statusTitle = FromUtf8Bytes(strings[4]);
    c.statusDescription = FromUtf8Bytes(strings[5]);
    c.userAgent = FromUtf8Bytes(strings[6]);
    if (c.nick.IsEmpty())
        c.nick = DefaultNick(c.address);
    if (c.groupIndex == 0xFFFFFFFF)
        c.groupIndex = 0;
    if (c.userAgent.IsEmpty())
        c.features = 0;
    contacts.push_back(c);
}

void CZemContactList::Reconcile() {
    std::vector<ZemListedItem> items;
    if (!model.Available() || !model.ReadAccountItems(items))
        return;
    ItemIndex contactIndex;
    ItemIndex groupIndex;
    for (const ZemListedItem& item : items) {
        if (item.contact != 0)
            contactIndex.emplace(item.key.ToU16(), item.contact);
        else
            groupIndex.emplace(item.key.ToU16(), item.group);
    }
    model.BeginUpdate();
    std::vector<const ZemGroup*> live;
    for (ZemGroup& group : groups) {
        if (group.flags & ZemFlags::kRemoved)
            continue;
        group.clGroupId = TakeItem(groupIndex, group.name);
        if (group.clGroupId == 0)
            group.clGroupId = model.CreateGroup(group.name);
        live.push_back(&group);
    }
    std::vector<ZemListedItem> unmatched;
    for (ZemContact& contact : contacts) {
        if (contact.flags & (ZemFlags::kRemoved | ZemFlags::kHidden))
            continue;
        const ZemGroup* home = nullptr;
        for (const ZemGroup* group : live)
            if (group->index == contact.groupIndex && home == nullptr)
                home = group;
        if (home == nullptr && !live.empty())
            home = live.front();
        if (home == nullptr || home->clGroupId == 0) {
            contact.clItemId = 0;
            continue;
        }
        contact.clItemId = TakeItem(contactIndex, contact.address);
        if (contact.clItemId != 0) {
            if (model.ParentOf(contact.clItemId) != home->clGroupId)
                model.MoveContact(contact.clItemId, home->clGroupId);
            if (model.Alias(contact.clItemId) != contact.nick)
                model.SetAlias(contact.clItemId, contact.nick);
        } else {
            contact.clItemId = ShowNewContact(home->clGroupId, contact, false);
            if (contact.clItemId == 0)
                continue;
        }
        const unsigned char auth = (contact.serverFlags & ZemFlags::kAuthPending) ? 1 : 0;
        bool changed = WireToStatus(contact.status, contact.statusUri) > Protocols::Connecting;
        if (model.Flag(contact.clItemId, ZemValueName::AuthRequired) != auth) {
            model.SetFlag(contact.clItemId, ZemValueName::AuthRequired, auth);
            changed = true;
        }
        WriteListFlags(contact, changed);
        if (changed)
            ShowStatus(contact);
    }
    for (const auto& [key, id] : contactIndex)
        model.RemoveContact(id);
    for (const auto& [key, id] : groupIndex)
        model.RemoveGroup(id);
    model.EndUpdate();
}

void CZemContactList::WriteListFlags(const ZemContact& contact, bool& changed) {
    static constexpr struct {
        const char16_t* name;
        uint32_t bit;
    } kLists[] = {{ZemValueName::InVisibleList, ZemFlags::kVisibleList},
                  {ZemValueName::InInvisibleList, ZemFlags::kInvisibleList},
                  {ZemValueName::InIgnoreList, ZemFlags::kIgnoreList}};
    for (const auto& list : kLists) {
        const unsigned char value = (contact.flags & list.bit) ? 1 : 0;
        if (model.Flag(contact.clItemId, list.name) != value) {
            model.SetFlag(contact.clItemId, list.name, value);
            changed = true;
        }
    }
}

unsigned int CZemContactList::ShowNewContact(unsigned int group, const ZemContact& contact, bool authPending) {
    unsigned int item = model.AddContact(group, contact.address, contact.nick);
    if (item == 0)
        return 0;
    if (authPending)
        model.SetFlag(item, ZemValueName::AuthRequired, 1);
    Protocols::ContactStatusInfo status;
    BuildStatus(&contact, item, status);
    model.ShowContact(item, status);
    return item;
}

void CZemContactList::ShowStatus(const ZemContact& contact) {
    Protocols::ContactStatusInfo status;
    BuildContactStatus(contact.clItemId, status);
    model.SetContactStatus(contact.clItemId, status);
}

void CZemContactList::AllOffline() {
    if (!model.Available())
        return;
    model.BeginUpdate();
    for (ZemContact& contact : contacts) {
        if (contact.clItemId == 0 || contact.status == 0)
            continue;
        contact.status = 0;
        ShowStatus(contact);
    }
    model.EndUpdate();
}

void CZemContactList::ApplyUserStatus(std::string_view data) {
    MrimBodyReader body(data);
    uint32_t status = 0;
    uint32_t features = 0;
    body.UL(status);
    CYolString uri = body.LpsUtf8();
    CYolString title = body.LpsUtf16();
    CYolString description = body.LpsUtf16();
    CYolString address = body.LpsUtf8();
    body.UL(features);
    CYolString agent = body.LpsUtf8();
    // The user agent is the last field: a packet cut before it still names
    // the contact and its status.
    ZemContact* contact = const_cast<ZemContact*>(FindByAddress(address));
    if (contact == nullptr || address.IsEmpty())
        return;
    contact->status = status;
    contact->statusUri = uri;
    contact->statusTitle = title;
    contact->statusDescription = description;
    contact->features = ZemStatus::kFeatures;
    contact->userAgent = agent;
    if (contact->clItemId != 0 && model.Available())
        ShowStatus(*contact);
}

const ZemContact* CZemContactList::FindByAddress(const CYolString& address) const {
    for (const ZemContact& contact : contacts)
        if (!(contact.flags & (ZemFlags::kRemoved | ZemFlags::kHidden)) && contact.address == address)
            return &contact;
    return nullptr;
}

const ZemContact* CZemContactList::FindByItem(unsigned int item) const {
    if (item == 0)
        return nullptr;
    for (const ZemContact& contact : contacts)
        if (!(contact.flags & (ZemFlags::kRemoved | ZemFlags::kHidden)) && contact.clItemId == item)
            return &contact;
    return nullptr;
}

ZemContact* CZemContactList::LiveByItem(unsigned int item) { return const_cast<ZemContact*>(FindByItem(item)); }

const ZemGroup* CZemContactList::FindGroupByItem(unsigned int item) const {
    for (const ZemGroup& group : groups)
        if (item != 0 && group.clGroupId == item)
            return &group;
    return nullptr;
}

ZemGroup* CZemContactList::GroupByItem(unsigned int item) { return const_cast<ZemGroup*>(FindGroupByItem(item)); }

const ZemGroup* CZemContactList::GroupByIndex(uint32_t index) const {
    for (const ZemGroup& group : groups)
        if (!(group.flags & ZemFlags::kRemoved) && group.index == index)
            return &group;
    return nullptr;
}

void CZemContactList::BuildContactStatus(unsigned int item, Protocols::ContactStatusInfo& out) {
    BuildStatus(FindByItem(item), item, out);
}

void CZemContactList::BuildStatus(const ZemContact* contact, unsigned int item, Protocols::ContactStatusInfo& out) {
    if (!model.Available())
        return;
    out.icons = CYolArray<CYolArray<unsigned int>>();
    out.extraIcons = CYolArray<CYolArray<unsigned int>>();
    const bool listed = model.ParentOf(item) != 0;
    CYolArray<unsigned int> icon;
    if (contact == nullptr || !listed) {
        if (contact == nullptr)
            out.status = Protocols::Offline;
        icon.Add(imageIds(listed ? ZemStatus::kImageOffline : ZemStatus::kImageNotInList));
    } else {
        const Protocols::Status status = WireToStatus(contact->status, contact->statusUri);
        out.status = status;
        const CYolArray<unsigned int> indexes = ContactStatusImages(status);
        for (int i = 0; i < indexes.Count(); ++i)
            icon.Add(imageIds(static_cast<int>(indexes[i])));
        if (status > Protocols::Connecting && !contact->statusTitle.IsEmpty())
            out.text = contact->statusTitle;
    }
    if (icon.Count() > 0)
        out.icons.Add(icon);
    static constexpr struct {
        const char16_t* name;
        int image;
    } kExtras[] = {{ZemValueName::AuthRequired, ZemStatus::kImageAuthRequired},
                   {ZemValueName::InVisibleList, ZemStatus::kImageVisibleList},
                   {ZemValueName::InInvisibleList, ZemStatus::kImageInvisibleList},
                   {ZemValueName::InIgnoreList, ZemStatus::kImageIgnoreList}};
    for (const auto& extra : kExtras) {
        if (model.Flag(item, extra.name) == 0)
            continue;
        CYolArray<unsigned int> image;
        image.Add(imageIds(extra.image));
        out.extraIcons.Add(image);
    }
}

bool CZemContactList::AuthorizationGranted(const CYolString& address) {
    ZemContact* contact = const_cast<ZemContact*>(FindByAddress(address));
    if (contact == nullptr || !(contact->serverFlags & ZemFlags::kAuthPending))
        return false;
    contact->serverFlags &= ~ZemFlags::kAuthPending;
    if (contact->clItemId != 0 && model.Available()) {
        model.SetFlag(contact->clItemId, ZemValueName::AuthRequired, 0);
        ShowStatus(*contact);
    }
    return true;
}

uint32_t CZemContactList::RenumberGroups() {
    uint32_t counter = 0;
    for (ZemGroup& group : groups) {
        if (group.flags & ZemFlags::kRemoved)
            continue;
        group.flags = (group.flags & 0x00FFFFFF) | (counter << 24);
        ++counter;
    }
    return counter;
}
