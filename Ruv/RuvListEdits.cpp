#include "RuvListEdits.h"

#include "RuvPackets.h"
#include "RuvPlugin.h"
#include "RuvText.h"

namespace {

constexpr uint16_t kAdd = 0x08;
constexpr uint16_t kUpdate = 0x09;
constexpr uint16_t kDelete = 0x0A;
constexpr uint16_t kEditStart = 0x11;
constexpr uint16_t kEditEnd = 0x12;
constexpr uint16_t kAuthorizationRequired = 14;
constexpr int kStringAccepted = 33;
constexpr int kStringDeclined = 34;
constexpr int kStringAuthorizationRequired = 110;
constexpr int kImageAccepted = 71;
constexpr int kImageDeclined = 72;
constexpr uint32_t kAuthRequestId = 0x18;

// The text of a refused edit by result code (0: none shown).
int RefusalStringId(uint16_t result) {
    static constexpr struct {
        uint16_t result;
        int stringId;
    } kRefusals[] = {{2, 105}, {3, 106}, {10, 107}, {12, 108}, {13, 109}};
    for (const auto& refusal : kRefusals)
        if (refusal.result == result)
            return refusal.stringId;
    return 0;
}

const char16_t* ListFlagName(uint16_t type) {
    return type == RuvItemType::Permit ? RuvValueName::InVisibleList
           : type == RuvItemType::Deny ? RuvValueName::InInvisibleList
                                       : RuvValueName::InIgnoreList;
}

bool IsPrivacyType(uint16_t type) {
    return type == RuvItemType::Permit || type == RuvItemType::Deny || type == RuvItemType::Ignore;
}

}  // namespace

uint32_t RuvListEdits::NextRequestId() {
    do {
        lastRequestId = lastRequestId >= 0x7FFFFFFF ? 1 : lastRequestId + 1;
    } while (pending.count(lastRequestId) != 0);
    return lastRequestId;
}

uint16_t RuvListEdits::FreeItemId() const {
    uint16_t id = list.NextFreeItemId();
    for (bool taken = true; taken;) {
        taken = list.IsItemIdUsed(id);
        for (const auto& [requestId, edit] : pending)
            taken = taken || edit.item.itemId == id || (edit.item.type == RuvItemType::Group && edit.item.groupId == id);
        if (taken)
            ++id;
    }
    return id;
}

void RuvListEdits::SendItem(uint16_t subtype, uint32_t requestId, const CSsiItem& item) {
    sink.Send(CListItemPacket(sink.NextSequence(), subtype, requestId, item.name, item.groupId, item.itemId, item.type,
                              item.tlvs.Bytes()));
}

void RuvListEdits::SendBare(uint16_t subtype) {
    sink.Send(CPlainSnacPacket(sink.NextSequence(), 0x13, subtype, sink.RandomRequestId()));
}

void RuvListEdits::Send(Op op, const CSsiItem& item) {
    const uint32_t requestId = NextRequestId();
    pending.emplace(requestId, Pending{op, item});
    const uint16_t subtype = op == Op::Add || op == Op::MoveAdd ? kAdd : op == Op::Update ? kUpdate : kDelete;
    SendItem(subtype, requestId, item);
}

CRuvListItem* RuvListEdits::GroupOf(unsigned int group) {
    CRuvListItem* item = list.FindByContact(group);
    return item != nullptr && item->type == RuvItemType::Group ? item : nullptr;
}

void RuvListEdits::AddGroup(const CYolString& name) {
    if (name.IsEmpty())
        return;
    CSsiItem item;
    item.name = name;
    item.groupId = FreeItemId();
    item.type = RuvItemType::Group;
    Send(Op::Add, item);
}

void RuvListEdits::RenameGroup(unsigned int group, const CYolString& name) {
    const CRuvListItem* entry = GroupOf(group);
    if (entry == nullptr || name.IsEmpty())
        return;
    CSsiItem item = *entry;
    item.name = name;
    Send(Op::Update, item);
}

void RuvListEdits::DeleteGroup(unsigned int group) {
    if (group != 0) {
        if (const CRuvListItem* entry = GroupOf(group))
            Send(Op::Delete, *entry);
        return;
    }
    // The contacts outside groups are the account's alone: they go at once.
    if (!model.Available())
        return;
    auto& items = list.Items();
    for (size_t i = items.size(); i-- > 0;) {
        if (items[i].type != RuvItemType::Buddy || items[i].groupId != 0)
            continue;
        model.RemoveContact(items[i].contactId);
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void RuvListEdits::AddContact(const CYolString& name, const CYolString& nick, unsigned int group) {
    const CRuvListItem* entry = GroupOf(group);
    if (name.IsEmpty() || nick.IsEmpty() || entry == nullptr)
        return;
    CSsiItem item;
    item.name = name;
    item.groupId = entry->groupId;
    item.itemId = FreeItemId();
    item.type = RuvItemType::Buddy;
    item.tlvs.Set(RuvItemTlv::Alias, OscarUtf8(nick));
    Send(Op::Add, item);
}

void RuvListEdits::RenameContact(unsigned int contact, const CYolString& nick) {
    const CRuvListItem* entry = list.FindByContact(contact);
    if (entry == nullptr || entry->type != RuvItemType::Buddy || nick.IsEmpty())
        return;
    CSsiItem item = *entry;
    item.tlvs.Set(RuvItemTlv::Alias, OscarUtf8(nick));
    Send(Op::Update, item);
}

void RuvListEdits::MoveContact(unsigned int contact, unsigned int group) {
    const CRuvListItem* entry = list.FindByContact(contact);
    const CRuvListItem* target = GroupOf(group);
    if (entry == nullptr || entry->type != RuvItemType::Buddy || entry->groupId == 0 || target == nullptr)
        return;
    CSsiItem moved = *entry;
    moved.groupId = target->groupId;
    moved.itemId = FreeItemId();
    const CSsiItem old = *entry;
    SendBare(kEditStart);
    Send(Op::MoveDelete, old);
    Send(Op::MoveAdd, moved);
    SendBare(kEditEnd);
}

void RuvListEdits::DeleteContact(unsigned int contact) {
    if (!model.Available())
        return;
    const CRuvListItem* entry = list.FindByContact(contact);
    if (entry != nullptr && entry->type == RuvItemType::Buddy && entry->groupId != 0) {
        const CSsiItem item = *entry;
        SendBare(kEditStart);
        Send(Op::Delete, item);
        SendBare(kEditEnd);
        return;
    }
    // A contact the server does not hold: it goes at once, unless the
    // contact list keeps it in a group (then it is not the account's).
    if (model.ParentOf(contact) != 0)
        return;
    if (entry != nullptr)
        list.Remove(entry);
    model.RemoveContact(contact);
}

void RuvListEdits::AddToPrivacyList(unsigned int contact, uint16_t type) {
    const CRuvListItem* entry = list.FindByContact(contact);
    if (entry == nullptr || !IsPrivacyType(type))
        return;
    CSsiItem item;
    item.name = entry->name;
    item.itemId = FreeItemId();
    item.type = type;
    Send(Op::Add, item);
}

void RuvListEdits::RemoveFromPrivacyList(unsigned int contact, uint16_t type) {
    const CRuvListItem* entry = list.FindByContact(contact);
    if (entry == nullptr || !IsPrivacyType(type))
        return;
    if (const CRuvListItem* privacy = list.FindNamed(type, entry->name))
        Send(Op::Delete, *privacy);
}

void RuvListEdits::SetAuthorization(unsigned int contact, bool grant) {
    if (const CRuvListItem* entry = list.FindByContact(contact))
        sink.Send(CAuthReplyPacket(sink.NextSequence(), sink.RandomRequestId(), entry->name, grant));
}

void RuvListEdits::RequestAuthorization(unsigned int contact, const CYolString& reason) {
    if (const CRuvListItem* entry = list.FindByContact(contact))
        sink.Send(CAuthRequestPacket(sink.NextSequence(), kAuthRequestId, entry->name, reason));
}

void RuvListEdits::OnAck(const uint8_t* frame, size_t size) {
    CSnacSsiAck ack;
    if (ack.Unpack(frame, size) == 0)
        return;
    auto found = pending.find(ack.requestId);
    if (found == pending.end())
        return;
    const Pending edit = std::move(found->second);
    pending.erase(found);
    if (ack.result == 0)
        Applied(edit);
    else
        Refused(edit, ack.result);
}

void RuvListEdits::Applied(const Pending& edit) {
    if (edit.item.type == RuvItemType::Buddy)
        AppliedBuddy(edit.op, edit.item);
    else if (edit.item.type == RuvItemType::Group)
        AppliedGroup(edit.op, edit.item);
    else if (IsPrivacyType(edit.item.type))
        AppliedPrivacy(edit.op, edit.item);
}

void RuvListEdits::AppliedBuddy(Op op, const CSsiItem& item) {
    const CYolString alias = item.tlvs.Find(RuvItemTlv::Alias) ? CYolString::FromUtf8(*item.tlvs.Find(RuvItemTlv::Alias))
                                                               : item.name;
    if (op == Op::Add) {
        const CRuvListItem* group = list.FindGroup(item.groupId);
        if (CRuvListItem* known = list.FindBuddy(item.name)) {
            // A contact the account kept outside groups joins the server's.
            static_cast<CSsiItem&>(*known) = item;
            if (group != nullptr && known->contactId != 0) {
                model.SetAlias(known->contactId, alias);
                model.MoveContact(known->contactId, group->contactId);
            }
        } else if (group != nullptr) {
            const unsigned int groupContact = group->contactId;
            list.Items().emplace_back(item);
            list.Items().back().contactId = list.AddToContactList(groupContact, item.name, alias);
        }
    } else if (op == Op::Update) {
        if (CRuvListItem* entry = list.Find(item.type, item.groupId, item.itemId)) {
            entry->name = item.name;
            entry->tlvs = item.tlvs;
            model.SetAlias(entry->contactId, alias);
        }
    } else if (op == Op::Delete) {
        if (const CRuvListItem* entry = list.Find(item.type, item.groupId, item.itemId)) {
            model.RemoveContact(entry->contactId);
            list.Remove(entry);
        }
    } else if (op == Op::MoveAdd) {
        const CRuvListItem* group = list.FindGroup(item.groupId);
        for (CRuvListItem& entry : list.Items()) {
            if (entry.type != RuvItemType::Buddy || !RuvText::SameName(entry.name, item.name))
                continue;
            entry.groupId = item.groupId;
            entry.itemId = item.itemId;
            if (group != nullptr)
                model.MoveContact(entry.contactId, group->contactId);
        }
    }
}

void RuvListEdits::AppliedGroup(Op op, const CSsiItem& item) {
    if (op == Op::Add) {
        CSsiItem group = item;
        group.itemId = 0;
        const unsigned int contactId = model.CreateGroup(item.name);
        list.Items().emplace_back(std::move(group), contactId);
        return;
    }
    CRuvListItem* entry = list.FindGroup(item.groupId);
    if (entry == nullptr)
        return;
    if (op == Op::Update) {
        entry->name = item.name;
        entry->tlvs = item.tlvs;
        model.RenameGroup(entry->contactId, item.name);
    } else if (op == Op::Delete) {
        model.RemoveGroup(entry->contactId);
        list.Remove(entry);
    }
}

void RuvListEdits::AppliedPrivacy(Op op, const CSsiItem& item) {
    if (op == Op::Add) {
        list.Items().emplace_back(item);
        SetListFlag(item.name, item.type, 1);
    } else if (op == Op::Delete) {
        if (const CRuvListItem* entry = list.Find(item.type, item.groupId, item.itemId)) {
            const CYolString name = entry->name;
            list.Remove(entry);
            SetListFlag(name, item.type, 0);
        }
    }
}

void RuvListEdits::SetListFlag(const CYolString& name, uint16_t type, unsigned char value) {
    const CRuvListItem* buddy = list.FindBuddy(name);
    if (buddy == nullptr || buddy->contactId == 0)
        return;
    model.SetFlag(buddy->contactId, ListFlagName(type), value);
    list.ShowStatus(*buddy);
}

void RuvListEdits::Refused(const Pending& edit, uint16_t result) {
    if (result == kAuthorizationRequired && edit.op == Op::Add) {
        // The contact wants to be asked: the add goes again, marked as
        // waiting for the contact's authorization.
        CSsiItem item = edit.item;
        item.tlvs.Append(RuvItemTlv::AwaitingAuthorization, {});
        Send(Op::Add, item);
        ports.showText(RuvPlugin::UiString(kStringAuthorizationRequired));
        return;
    }
    if (const int stringId = RefusalStringId(result))
        ports.showText(RuvPlugin::UiString(stringId));
}

void RuvListEdits::OnAuthRequest(const uint8_t* frame, size_t size) {
    CSnacAuthRequest request;
    if (request.Unpack(frame, size) != 0)
        ports.deliver(request.screenName, 3, -1, request.reason);
}

void RuvListEdits::OnAuthReply(const uint8_t* frame, size_t size) {
    CSnacAuthReply reply;
    if (reply.Unpack(frame, size) == 0)
        return;
    CRuvListItem* entry = list.FindBuddy(reply.screenName);
    if (entry == nullptr)
        return;
    CYolString text = reply.screenName;
    text += u"\n";
    text += RuvPlugin::UiString(reply.granted ? kStringAccepted : kStringDeclined);
    if (reply.granted && entry->tlvs.RemoveFirst(RuvItemTlv::AwaitingAuthorization))
        SendItem(kUpdate, sink.RandomRequestId(), *entry);
    list.ShowStatus(*entry);
    ports.deliver(reply.screenName, 0, static_cast<int>(RuvPlugin::ImageId(reply.granted ? kImageAccepted : kImageDeclined)),
                  text);
}
