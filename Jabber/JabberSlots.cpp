// The account slots that only look things up or forward: the features own
// the work, the account hands them its slots and its stanzas.

#include "CJabberAccount.h"
#include "JabberPlugin.h"
#include "XmppStanzas.h"

int CJabberAccount::GetLogin(CYolString* out) {
    if (out)
        *out = GetOwnBareJid();
    return 0;
}

int CJabberAccount::GetStatusInfo(Protocols::Status wanted, Protocols::StatusInfo* out) {
    if (out)
        JabberPlugin::FindStatus(kind, wanted, *out);
    return 0;
}

int CJabberAccount::GetContactStatus(unsigned int contact, Protocols::ContactStatusInfo* out) {
    BuildContactStatus(contact, out);
    return 0;
}

int CJabberAccount::SetLanguage(const CYolString& language) {
    JabberPlugin::ChangeLanguage(language);
    JabberPlugin::RebuildStatusList(kind);
    return 0;
}

void CJabberAccount::PublishStatusIcons() {
    Protocols::StatusInfo info;
    if (JabberPlugin::FindStatus(kind, status, info))
        SendAccountEvent(Protocols::AccountEvent::AddStatusIcon, NewUIntArrayEventArg(info.icon));
    if (kind == JabberKindYol && settings.showEmailButton) {
        CYolArray<unsigned int> mailbox;
        mailbox.Add(JabberPlugin::ImageId(JabberImgMailbox));
        SendAccountEvent(Protocols::AccountEvent::AddStatusIcon, NewUIntArrayEventArg(mailbox));
    }
}

// --- the own addresses -------------------------------------------------------------------

CYolString CJabberAccount::GetOwnBareJid() const {
    if (settings.userName.IsEmpty())
        return CYolString();
    return settings.userName + u"@" + settings.server;
}

bool CJabberAccount::IsOwnBareJid(const CYolString& jid) const {
    if (JidHasResource(jid))
        return false;
    CYolString own = GetOwnBareJid();
    return (!own.IsEmpty() && SameJid(jid, own)) || (!GetOwnJid().IsEmpty() && SameJid(jid, BareJidCopy(GetOwnJid())));
}

bool CJabberAccount::IsOwnServer(const CYolString& jid) const {
    return !settings.server.IsEmpty() && SameJid(BareJidCopy(jid), settings.server);
}

unsigned int CJabberAccount::ContactIdOf(const CYolString& jid) {
    const ContactRecord* entry = contacts.FindContact(ContactKindRoster, jid);
    return entry != nullptr ? entry->contactId : 0;
}

// --- roster ------------------------------------------------------------------------------

void CJabberAccount::OnRosterResult(const XmlNode& iq) {
    if (!roster.OnResult(IqStanza(iq)))
        return;
    presence.RosterArrived();
    ApplyStatus(wantedStatus);
}

int CJabberAccount::AddContact(const CYolString& login, const CYolString& name, unsigned int group) {
    roster.AddContact(login, name, group);
    return 0;
}

int CJabberAccount::DeleteContact(unsigned int contact) {
    roster.DeleteContact(contact);
    return 0;
}

int CJabberAccount::RenameContact(unsigned int contact, const CYolString& name) {
    roster.RenameContact(contact, name);
    return 0;
}

int CJabberAccount::MoveContact(unsigned int contact, unsigned int group) {
    roster.MoveContact(contact, group);
    return 0;
}

int CJabberAccount::RenameGroup(unsigned int group, const CYolString& name) {
    roster.RenameGroup(group, name);
    return 0;
}

int CJabberAccount::DeleteGroup(unsigned int group) {
    roster.DeleteGroup(group);
    return 0;
}

// --- presence ----------------------------------------------------------------------------

void CJabberAccount::ApplyStatus(Protocols::Status wanted) {
    if (status >= Protocols::Online)
        status = presence.Apply(wanted);
}

void CJabberAccount::OnPresence(const XmlNode& stanza) {
    const PresenceStanza view(stanza);
    if (const XmlNode* notice = view.Part(PresencePart::MailNotify)) {
        // Mail notices come from the own server; one from a contact would be
        // a fake that the user could follow to a page of the sender's making.
        if (view.IsPresence() && view.Head().HasFrom() && IsOwnServer(*view.Head().from))
            mail.OnNotice(*notice);
        return;
    }
    presence.OnPresence(view);
}

void CJabberAccount::BuildContactStatus(unsigned int contact, Protocols::ContactStatusInfo* out) {
    if (out != nullptr)
        presence.BuildContactStatus(contact, *out);
}

int CJabberAccount::SetXStatus(unsigned int id, const CYolString& title, const CYolString& description) {
    presence.SetXStatus(id, title, description);
    if (status >= Protocols::Online)
        presence.Send(wantedStatus, true);
    return 0;
}

void CJabberAccount::SendSubscription(unsigned int contact, const char* type) {
    if (status >= Protocols::Online)
        presence.SendSubscription(contact, type);
}

int CJabberAccount::SetAuthorization(unsigned int contact, bool grant) {
    SendSubscription(contact, grant ? "subscribed" : "unsubscribed");
    return 0;
}

int CJabberAccount::RequestContactInfo(unsigned int contact) {
    presence.ShowStatusText(contact);
    if (status > Protocols::Connecting)
        vcard.RequestOnce(contact);
    return 0;
}

// --- messages ----------------------------------------------------------------------------

void CJabberAccount::OnMessage(const XmlNode& stanza) {
    // In-band file data is never chat text, whatever becomes of it.
    if (!transfers.OnIbbMessage(stanza))
        messages.OnMessage(MessageStanza(stanza));
}

int CJabberAccount::SendTyping(unsigned int contact, bool typing) {
    messages.SendChatState(contact, typing);
    return 0;
}

int CJabberAccount::SendMessage(Protocols::MessageInfo message) {
    if (message.kind == 0 && !messages.Send(message))
        ReportMessageNotSent(message);
    return 0;
}
