// Mail notices and the webmail link.

#include "JabberMail.h"

#include "CJabberAccount.h"  // PercentByte
#include "CMD5.h"
#include "JabberNamespaces.h"
#include "JabberPlugin.h"
#include "JabberStrings.h"

#include <cstring>
#include <string>

namespace {

void AppendEscapedByte(std::u16string& out, unsigned int value) {
    const CYolString escaped = PercentByte(value);
    out.append(escaped.c_str(), static_cast<size_t>(escaped.Length()));
}

bool KeptInUrl(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'-' ||
           c == u'.';
}

void AppendUtf8(std::u16string& out, char32_t code) {
    auto put = [&out](unsigned int byte) { AppendEscapedByte(out, byte); };
    if (code < 0x80) {
        put(code);
    } else if (code < 0x800) {
        put(0xC0 | (code >> 6));
        put(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        put(0xE0 | (code >> 12));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    } else {
        put(0xF0 | (code >> 18));
        put(0x80 | ((code >> 12) & 0x3F));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    }
}

// The UTF-8 bytes of a text, lone surrogates as U+FFFD: the same bytes the
// mailbox service decodes from the link's parameters.
std::string Utf8(const CYolString& text) { return text.ToUtf8(); }

}  // namespace

CYolString WebmailUrlEncode(const CYolString& text) {
    std::u16string out;
    const char16_t* units = text.c_str();
    const int length = text.Length();
    for (int i = 0; i < length; ++i) {
        const char16_t c = units[i];
        if (KeptInUrl(c)) {
            out.push_back(c);
            continue;
        }
        char32_t code = c;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(units[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            code = 0xFFFD;
        }
        AppendUtf8(out, code);
    }
    return CYolString(out.data(), static_cast<int>(out.size()));
}

void WebmailDigest(const CYolString& bareJid, const CYolString& password, unsigned char digest[16]) {
    std::string bytes = kWebmailKey;
    bytes += Utf8(bareJid);
    bytes += '|';
    bytes += Utf8(password);
    CMD5::Hash(bytes.data(), static_cast<unsigned int>(bytes.size()), digest);
}

CYolString MakeWebmailLink(const CYolString& bareJid, const unsigned char digest[16]) {
    char* hex = CYolString::ToHex(digest, 16);
    const CYolString hash = hex ? CYolString(hex, 32, YOL_CP_UTF8) : CYolString();
    std::free(hex);
    CYolString link = CYolString::FromUtf8(kWebmailCheckUrl);
    link += u"?user=";
    link += WebmailUrlEncode(bareJid);
    link += u"&hash=";
    link += hash;
    link += u"&project=";
    link += CYolString::FromUtf8(kWebmailProject);
    link += u"&retpath=";
    link += WebmailUrlEncode(CYolString::FromUtf8(kWebmailStartUrl));
    return link;
}

MailNotify ParseMailNotify(const XmlNode& x) {
    MailNotify notify;
    for (int i = 0; i < x.ChildCount(); ++i) {
        const XmlNode& child = x.ChildAt(i);
        if (child.Name() == "unread") {
            notify.unread = true;
            if (const CYolString* count = child.GetAttr("count"))
                notify.unreadCount = count->Uint(false);
            return notify;
        }
        if (child.Name() != "message")
            continue;
        const XmlNode* senders = child.GetChild("senders");
        const XmlNode* sender = nullptr;
        if (senders)
            for (int s = 0; s < senders->ChildCount(); ++s)
                if (senders->ChildAt(s).Name() == "sender")
                    sender = &senders->ChildAt(s);
        if (!sender)
            continue;
        MailNotice notice;
        if (const CYolString* address = sender->GetAttr("address"))
            notice.sender = *address;
        if (const XmlNode* subject = child.GetChild("subject"))
            notice.subject = subject->Text();
        notify.messages.push_back(std::move(notice));
    }
    return notify;
}

// ---- the notices ------------------------------------------------------------

void XmppMailNotices::OnNotice(const XmlNode& x) {
    if (!settings.emailNotify)
        return;
    const MailNotify parsed = ParseMailNotify(x);
    if (parsed.unread) {
        if (parsed.unreadCount > 0)
            unread = parsed.unreadCount;
        return;
    }
    if (parsed.messages.empty())
        return;
    const CYolString link = WebmailLink();
    const CYolString notice = JabberPlugin::UiString(JabberStrMailNotice);
    for (const MailNotice& message : parsed.messages) {
        CYolFormatString text(notice);
        text.AddParam(CYolString(u"account"), settings.userName);
        text.AddParam(CYolString(u"name"), message.sender);
        text.AddParam(CYolString(u"subject"), message.subject);
        notify(Protocols::NotificationInfo(link, text));
    }
}

CYolString XmppMailNotices::WebmailLink() const {
    CYolString bareJid = settings.userName;
    bareJid += u"@";
    bareJid += settings.server;
    unsigned char digest[16];
    if (settings.passwordHashed)
        std::memcpy(digest, settings.mailPasswordHash, sizeof digest);
    else
        WebmailDigest(bareJid, settings.password, digest);
    return MakeWebmailLink(bareJid, digest);
}
