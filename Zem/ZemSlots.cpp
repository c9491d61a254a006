// The account's packet dispatch and the slots it forwards to its parts.

#include "CZemAccount.h"

#include "ZemPlugin.h"

namespace {

constexpr int kStringAuthorizeRequest = 23;

struct Route {
    MrimPacketType type;
    void (*handler)(CZemContactList& list, MrimMessages& messages, const MrimPacket& packet);
};

const Route kRoutes[] = {
    {MrimPacketType::IncomingMessage, [](CZemContactList&, MrimMessages& m, const MrimPacket& p) { m.OnIncoming(p); }},
    {MrimPacketType::OfflineMessage, [](CZemContactList&, MrimMessages& m, const MrimPacket& p) { m.OnOffline(p); }},
    {MrimPacketType::MessageStatus,
     [](CZemContactList&, MrimMessages& m, const MrimPacket& p) { m.OnMessageStatus(p); }},
    {MrimPacketType::AuthorizeAck, [](CZemContactList&, MrimMessages& m, const MrimPacket& p) { m.OnAuthorizeAck(p); }},
    {MrimPacketType::UserStatus, [](CZemContactList& l, MrimMessages&, const MrimPacket& p) { l.ApplyUserStatus(p.body); }},
    {MrimPacketType::ContactList,
     [](CZemContactList& l, MrimMessages&, const MrimPacket& p) {
         // A refused list keeps the previous tables, which are still shown.
         l.Load(p.body);
         l.Reconcile();
     }},
    {MrimPacketType::AddContactAck,
     [](CZemContactList& l, MrimMessages&, const MrimPacket& p) { l.OnAddAck(p.header.sequence, p.body); }},
    {MrimPacketType::ModifyContactAck,
     [](CZemContactList& l, MrimMessages&, const MrimPacket& p) { l.OnModifyAck(p.header.sequence, p.body); }},
};

}  // namespace

void CZemAccount::OnPacket(const MrimPacket& packet) {
    if (login.OnPacket(packet))
        return;
    // Only an established session carries the account's own packets.
    if (login.State() != LoginState::Established)
        return;
    for (const Route& route : kRoutes) {
        if (packet.header.type == Wire(route.type)) {
            route.handler(contactList, messages, packet);
            return;
        }
    }
}

void CZemAccount::SendListChange(MrimPacketType type, uint32_t reserved, const std::string& body) {
    if (!body.empty())
        SendPacket(type, body, reserved);
}

int CZemAccount::AddGroup(const CYolString& name) {
    if (status > Protocols::Connecting && !name.IsEmpty()) {
        const uint32_t number = NextSequence();
        SendListChange(MrimPacketType::AddContact, number, contactList.AddGroup(number, name));
    }
    return 0;
}

int CZemAccount::RenameGroup(unsigned int group, const CYolString& name) {
    if (status > Protocols::Connecting) {
        const uint32_t number = NextSequence();
        SendListChange(MrimPacketType::ModifyContact, number, contactList.RenameGroup(number, group, name));
    }
    return 0;
}

int CZemAccount::DeleteGroup(unsigned int group) {
    if (status > Protocols::Connecting) {
        const uint32_t number = NextSequence();
        SendListChange(MrimPacketType::ModifyContact, number, contactList.RemoveGroup(number, group));
    }
    return 0;
}

int CZemAccount::AddContact(const CYolString& address, const CYolString& name, unsigned int group) {
    if (status > Protocols::Connecting && !address.IsEmpty() && !name.IsEmpty() && group != 0) {
        const uint32_t number = NextSequence();
        SendListChange(MrimPacketType::AddContact, number,
                       contactList.AddContact(number, address, name, group, ZemPlugin::UiString(kStringAuthorizeRequest)));
    }
    return 0;
}

int CZemAccount::RenameContact(unsigned int contact, const CYolString& name) {
    if (status > Protocols::Connecting) {
        const uint32_t number = NextSequence();
        SendListChange(MrimPacketType::ModifyContact, number, contactList.RenameContact(number, contact, name));
    }
    return 0;
}

int CZemAccount::MoveContact(unsigned int contact, unsigned int group) {
    if (status > Protocols::Connecting) {
        const uint32_t number = NextSequence();
        SendListChange(MrimPacketType::ModifyContact, number, contactList.MoveContact(number, contact, group));
    }
    return 0;
}

int CZemAccount::DeleteContact(unsigned int contact) {
    if (status > Protocols::Connecting) {
        const uint32_t number = NextSequence();
        SendListChange(MrimPacketType::ModifyContact, number, contactList.RemoveContact(number, contact));
    }
    return 0;
}

int CZemAccount::SendMessage(Protocols::MessageInfo message) {
    if (!messages.SendText(message))
        ReportMessageNotSent(message);
    return 0;
}

int CZemAccount::SendTyping(unsigned int contact, bool typingNow) {
    if (typingNow)
        messages.SendTyping(contact);
    return 0;
}

int CZemAccount::SetAuthorization(unsigned int contact, bool grant) {
    if (grant)
        messages.SendAuthorize(contact);
    return 0;
}
