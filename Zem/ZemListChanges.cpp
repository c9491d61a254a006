// Requests that change the server's contact list, and the server's
// acknowledgements. The copy of the list and the program's list change only
// when the server accepts: a request is built from a changed copy of the
// record, which replaces the live one on success.

#include "CZemContactList.h"

#include <cstdlib>

namespace {

struct AckTextRow {
    uint32_t result;
    const char16_t* text;
};
// Fixed English texts: the server's words, not the plug-in's.
constexpr AckTextRow kAckTexts[] = {
    {1, u"Protocol error"},        {2, u"Internal server error"}, {3, u"Contact not exist"},
    {4, u"Incorrect contact name"}, {5, u"Contact already exist"}, {6, u"Groups limit (max 20)"},
};

std::string AuthorizationBlock(const CYolString& text) {
    std::string block = MrimBodyWriter().UL(2).LpsUtf16(CYolString()).LpsUtf16(text).Take();
    int length = static_cast<int>(block.size());
    char* encoded = CYolString::Base64Encode(block.data(), length);
    if (encoded == nullptr)
        return {};
    std::string out(encoded, static_cast<size_t>(length));
    std::free(encoded);
    return out;
}

template <typename T>
bool TakeBySequence(std::vector<T>& table, uint32_t sequence, T& out) {
    for (auto it = table.begin(); it != table.end(); ++it) {
        if (it->sequence == sequence) {
            out = std::move(*it);
            table.erase(it);
            return true;
        }
    }
    return false;
}

}  // namespace

CYolString CZemContactList::AckText(uint32_t result) {
    for (const AckTextRow& row : kAckTexts)
        if (row.result == result)
            return CYolString(row.text);
    return CYolString();
}

std::string CZemContactList::AddGroup(uint32_t sequence, const CYolString& name) {
    const uint32_t count = RenumberGroups();
    ZemGroup group;
    group.flags = (count << 24) | ZemFlags::kGroup;
    group.index = count;
    group.name = name;
    groupAdditions.push_back({sequence, group});
    return MrimBodyWriter().UL(group.flags).UL(0).LPS({}).LpsUtf16(name).LPS({}).LPS({}).UL(0).Take();
}

std::string CZemContactList::RenameGroup(uint32_t sequence, unsigned int item, const CYolString& name) {
    const ZemGroup* group = FindGroupByItem(item);
    if (group == nullptr)
        return {};
    groupChanges.push_back({sequence, item, name, false});
    return MrimBodyWriter().UL(group->index).UL(group->flags).UL(0).UL(0).LpsUtf16(name).UL(0).Take();
}

std::string CZemContactList::RemoveGroup(uint32_t sequence, unsigned int item) {
    const ZemGroup* group = FindGroupByItem(item);
    if (group == nullptr)
        return {};
    groupChanges.push_back({sequence, item, CYolString(), true});
    return MrimBodyWriter()
        .UL(group->index)
        .UL(group->flags | ZemFlags::kRemoved)
        .UL(0)
        .UL(0)
        .LpsUtf16(group->name)
        .UL(0)
        .Take();
}

std::string CZemContactList::AddContact(uint32_t sequence, const CYolString& address, const CYolString& nick,
                                        unsigned int item, const CYolString& requestText) {
    const ZemGroup* group = FindGroupByItem(item);
    if (group == nullptr || address.IsEmpty())
        return {};
    ZemContact contact;
    contact.groupIndex = group->index;
    contact.address = address;
    contact.nick = nick;
    contactChanges.push_back({sequence, Op::Add, contact});
    return MrimBodyWriter()
        .UL(0)
        .UL(group->index)
        .LpsUtf8(address)
        .LpsUtf16(nick)
        .LPS({})
        .LPS(AuthorizationBlock(requestText))
        .UL(0)
        .Take();
}

std::string CZemContactList::ContactChange(uint32_t sequence, Op op, const ZemContact& changed) {
    contactChanges.push_back({sequence, op, changed});
    return MrimBodyWriter()
        .UL(changed.serverId)
        .UL(changed.flags)
        .UL(changed.groupIndex)
        .LpsUtf8(changed.address)
        .LpsUtf16(changed.nick)
        .LpsUtf8(changed.phone)
        .Take();
}

std::string CZemContactList::RenameContact(uint32_t sequence, unsigned int item, const CYolString& nick) {
    const ZemContact* live = FindByItem(item);
    if (live == nullptr)
        return {};
    ZemContact changed = *live;
    changed.nick = nick;
    return ContactChange(sequence, Op::Rename, changed);
}

std::string CZemContactList::MoveContact(uint32_t sequence, unsigned int item, unsigned int groupItem) {
    const ZemContact* live = FindByItem(item);
    const ZemGroup* group = FindGroupByItem(groupItem);
    if (live == nullptr || group == nullptr)
        return {};
    ZemContact changed = *live;
    changed.groupIndex = group->index;
    return ContactChange(sequence, Op::Move, changed);
}

std::string CZemContactList::RemoveContact(uint32_t sequence, unsigned int item) {
    const ZemContact* live = FindByItem(item);
    if (live == nullptr)
        return {};
    ZemContact changed = *live;
    changed.flags |= ZemFlags::kRemoved;
    return ContactChange(sequence, Op::Remove, changed);
}

std::string CZemContactList::SetListFlag(uint32_t sequence, unsigned int item, uint32_t mask, bool set) {
    const ZemContact* live = FindByItem(item);
    if (live == nullptr)
        return {};
    ZemContact changed = *live;
    changed.flags = set ? (changed.flags | mask) : (changed.flags & ~mask);
    return ContactChange(sequence, Op::ListFlags, changed);
}

void CZemContactList::OnAddAck(uint32_t sequence, std::string_view data) {
    MrimBodyReader body(data);
    uint32_t result = 0;
    uint32_t newId = 0;
    if (!body.UL(result))
        return;
    body.UL(newId);
    if (result != 0)
        if (CYolString text = AckText(result); !text.IsEmpty())
            showText(text);
    if (!TakeGroupAddition(sequence, result, newId))
        TakeContactAddition(sequence, result, newId);
}

bool CZemContactList::TakeGroupAddition(uint32_t sequence, uint32_t result, uint32_t newId) {
    PendingGroup pending;
    if (!TakeBySequence(groupAdditions, sequence, pending))
        return false;
    if (result != 0)
        return true;
    pending.group.flags |= ZemFlags::kUnicodeName;
    pending.group.index = newId;
    if (model.Available())
        pending.group.clGroupId = model.CreateGroup(pending.group.name);
    groups.push_back(pending.group);
    return true;
}

bool CZemContactList::TakeContactAddition(uint32_t sequence, uint32_t result, uint32_t newId) {
    PendingContact pending;
    if (!TakeBySequence(contactChanges, sequence, pending))
        return false;
    if (result != 0 || pending.op != Op::Add)
        return true;
    ZemContact contact = pending.contact;
    contact.serverId = newId;
    contact.serverFlags |= ZemFlags::kAuthPending;
    contact.clItemId = 0;
    if (const ZemGroup* group = GroupByIndex(contact.groupIndex); group && group->clGroupId && model.Available())
        contact.clItemId = ShowNewContact(group->clGroupId, contact, true);
    contacts.push_back(contact);
    return true;
}

void CZemContactList::OnModifyAck(uint32_t sequence, std::string_view data) {
    MrimBodyReader body(data);
    uint32_t result = 0;
    if (!body.UL(result))
        return;
    if (result != 0)
        if (CYolString text = AckText(result); !text.IsEmpty())
            showText(text);
    PendingGroupChange group;
    if (TakeBySequence(groupChanges, sequence, group)) {
        if (result != 0)
            return;
        if (group.removal) {
            for (auto it = groups.begin(); it != groups.end(); ++it) {
                if (it->clGroupId == group.clGroupId) {
                    groups.erase(it);
                    break;
                }
            }
            RenumberGroups();
            if (model.Available())
                model.RemoveGroup(group.clGroupId);
        } else if (ZemGroup* live = GroupByItem(group.clGroupId)) {
            live->name = group.name;
            if (model.Available())
                model.RenameGroup(group.clGroupId, group.name);
        }
        return;
    }
    PendingContact contact;
    if (TakeBySequence(contactChanges, sequence, contact) && result == 0)
        ApplyContactChange(contact);
}

void CZemContactList::ApplyContactChange(const PendingContact& change) {
    ZemContact* live = LiveByItem(change.contact.clItemId);
    if (live == nullptr)
        return;
    const unsigned int item = live->clItemId;
    if (change.op == Op::Remove) {
        for (auto it = contacts.begin(); it != contacts.end(); ++it) {
            if (it->clItemId == item) {
                contacts.erase(it);
                break;
            }
        }
        if (model.Available())
            model.RemoveContact(item);
        return;
    }
    // Only what the request changed: a status that arrived meanwhile stays.
    live->nick = change.contact.nick;
    live->groupIndex = change.contact.groupIndex;
    live->flags = change.contact.flags;
    if (!model.Available())
        return;
    if (change.op == Op::Rename) {
        model.SetAlias(item, live->nick);
    } else if (change.op == Op::Move) {
        if (const ZemGroup* group = GroupByIndex(live->groupIndex); group && group->clGroupId)
            model.MoveContact(item, group->clGroupId);
    } else if (change.op == Op::ListFlags) {
        bool changed = false;
        WriteListFlags(*live, changed);
        ShowStatus(*live);
    }
}
