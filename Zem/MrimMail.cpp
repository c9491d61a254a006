#include "MrimMail.h"

namespace {

// The network's web login, which takes the one-time key and goes on to the
// page named after it.
constexpr const char16_t* kWebAuth = u"https://win.mail.ru";
constexpr const char16_t* kInboxPage = u"https://touch.mail.ru/messages/inbox";
constexpr const char16_t* kUserInfoPage = u"https://win.mail.ru/cgi-bin/userinfo?zem=1";

CYolString Decimal(unsigned int value) { return CYolString::FromUtf8(std::to_string(value)); }

}  // namespace

CYolString MrimMail::InboxAddress() const { return SignedIn(kInboxPage); }

CYolString MrimMail::OwnDetailsAddress() const { return SignedIn(kUserInfoPage); }

CYolString MrimMail::SignedIn(const char16_t* page) const {
    CYolString address(kWebAuth);
    address += u"/cgi-bin/auth?Login=";
    address += owner.MailLogin();
    address += u"&agent=";
    address += sessionKey;
    address += u"&page=";
    address += page;
    return address;
}

void MrimMail::RequestSession(Purpose wanted, const CYolFormatString& text) {
    sessionKey = CYolString();
    sink.SendPacket(MrimPacketType::GetMailSession, {});
    purpose = wanted;
    pending = text;
}

void MrimMail::OnUserParams(const MrimPacket& packet) {
    params.clear();
    MrimBodyReader body(packet.body);
    while (body.Remaining() > 0) {
        std::string key(body.LPS());
        CYolString value = body.LpsUtf16();
        if (body.Failed())
            break;
        params.emplace(std::move(key), value);
    }
    auto found = params.find("MESSAGES.UNREAD");
    if (found != params.end()) {
        const unsigned int count = found->second.Uint(false);
        if (count != 0) {
            if (owner.EmailNotify()) {
                CYolFormatString text(owner.MailText(kNoticeUnread));
                text.AddParam(CYolString(u"account"), owner.MailLogin());
                text.AddParam(CYolString(u"n"), Decimal(count));
                RequestSession(Purpose::Notification, text);
            }
            unread = count;
        }
    }
    if (owner.HideEmailButton())
        return;
    if (iconShown) {
        owner.ChangeMailIcon(unread != 0);
    } else {
        owner.AddMailIcon(unread != 0);
        iconShown = true;
    }
}

void MrimMail::OnMailboxStatus(const MrimPacket& packet) {
    MrimBodyReader body(packet.body);
    uint32_t count = 0;
    if (!body.UL(count))
        return;
    const unsigned int old = unread;
    unread = count;
    // The icon changes only between empty and full, and only while shown:
    // an icon that was never added cannot be changed.
    if (owner.HideEmailButton() || !iconShown || (old == 0) == (count == 0))
        return;
    owner.ChangeMailIcon(count != 0);
}

void MrimMail::OnNewMail(const MrimPacket& packet) {
    if (packet.body.size() <= 8)
        return;
    MrimBodyReader body(packet.body);
    uint32_t ignored = 0;
    body.UL(ignored);
    CYolString sender = body.Lps1251();
    CYolString subject = body.Lps1251();
    if (body.Failed())
        return;
    if (owner.EmailNotify()) {
        CYolFormatString text(owner.MailText(kNoticeNewMail));
        text.AddParam(CYolString(u"account"), owner.MailLogin());
        text.AddParam(CYolString(u"name"), sender);
        text.AddParam(CYolString(u"subject"), subject);
        RequestSession(Purpose::Notification, text);
    }
    if (unread == 0 && !owner.HideEmailButton() && iconShown)
        owner.ChangeMailIcon(true);
    ++unread;
}

void MrimMail::OnMailSession(const MrimPacket& packet) {
    MrimBodyReader body(packet.body);
    uint32_t result = 0;
    CYolString key;
    if (!body.UL(result) || result != 1)
        return;
    key = body.LpsUtf8();
    if (body.Failed())
        return;
    sessionKey = key;
    switch (purpose) {
        case Purpose::OwnDetails: owner.OwnDetailsReady(); break;
        case Purpose::Notification: owner.Notify(InboxAddress(), pending); break;
        case Purpose::OpenInbox: owner.OpenUrl(InboxAddress()); break;
    }
}

void MrimMail::SetIconHidden(bool hide) {
    if (!owner.LoggedIn())
        return;
    if (hide && iconShown)
        owner.RemoveMailIcon();
    else if (!hide && !iconShown)
        owner.AddMailIcon(unread != 0);
    iconShown = !hide;
}

void MrimMail::SessionEnded() {
    if (iconShown)
        owner.RemoveMailIcon();
    iconShown = false;
}
