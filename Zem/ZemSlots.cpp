// The account's packet dispatch and the slots it forwards to its parts.

#include "CZemAccount.h"

#include "ZemPlugin.h"

namespace {

constexpr int kStringAuthorizeRequest = 23;

}  // namespace

void CZemAccount::OnPacket(const MrimPacket& packet) {
    if (login.OnPacket(packet))
        return;
    // Only an established session carries the account's own packets.
    if (login.State() == LoginState::Established)
        Dispatch(packet);
}

void CZemAccount::Dispatch(const MrimPacket& packet) {
    using Handler = void (*)(CZemAccount&, const MrimPacket&);
    static const struct {
        MrimPacketType type;
        Handler handler;
    } kRoutes[] = {
        {MrimPacketType::IncomingMessage, [](CZemAccount& a, const MrimPacket& p) { a.messages.OnIncoming(p); }},
        {MrimPacketType::OfflineMessage, [](CZemAccount& a, const MrimPacket& p) { a.messages.OnOffline(p); }},
        {MrimPacketType::MessageStatus, [](CZemAccount& a, const MrimPacket& p) { a.messages.OnMessageStatus(p); }},
        {MrimPacketType::AuthorizeAck, [](CZemAccount& a, const MrimPacket& p) { a.messages.OnAuthorizeAck(p); }},
        {MrimPacketType::UserStatus, [](CZemAccount& a, const MrimPacket& p) { a.contactList.ApplyUserStatus(p.body); }},
        {MrimPacketType::ContactList,
         [](CZemAccount& a, const MrimPacket& p) {
             // A refused list keeps the previous tables, which are still shown.
             a.contactList.Load(p.body);
             a.contactList.Reconcile();
         }},
        {MrimPacketType::AddContactAck,
         [](CZemAccount& a, const MrimPacket& p) { a.contactList.OnAddAck(p.header.sequence, p.body); }},
        {MrimPacketType::ModifyContactAck,
         [](CZemAccount& a, const MrimPacket& p) { a.contactList.OnModifyAck(p.header.sequence, p.body); }},
        {MrimPacketType::UserParams, [](CZemAccount& a, const MrimPacket& p) { a.mail.OnUserParams(p); }},
        {MrimPacketType::MailboxStatus, [](CZemAccount& a, const MrimPacket& p) { a.mail.OnMailboxStatus(p); }},
        {MrimPacketType::NewMail, [](CZemAccount& a, const MrimPacket& p) { a.mail.OnNewMail(p); }},
        {MrimPacketType::MailSession, [](CZemAccount& a, const MrimPacket& p) { a.mail.OnMailSession(p); }},
        {MrimPacketType::UserDetails, [](CZemAccount& a, const MrimPacket& p) { a.directory.OnAnswer(p); }},
        {MrimPacketType::FileTransfer, [](CZemAccount& a, const MrimPacket& p) { a.fileTransfer.OnOffer(p); }},
        {MrimPacketType::FileTransferAck, [](CZemAccount& a, const MrimPacket& p) { a.fileTransfer.OnAnswer(p); }},
        {MrimPacketType::Proxy, [](CZemAccount& a, const MrimPacket& p) { a.fileTransfer.OnProxy(p); }},
        {MrimPacketType::ProxyAck, [](CZemAccount& a, const MrimPacket& p) { a.fileTransfer.OnProxyAck(p); }},
    };
    for (const auto& route : kRoutes) {
        if (packet.header.type == Wire(route.type)) {
            route.handler(*this, packet);
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
