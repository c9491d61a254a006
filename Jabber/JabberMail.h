#pragma once
// New-mail notices that the server puts into a presence, and the signed
// link into the web mailbox that the account menu opens.

#include "CYolString.h"
#include "ProtocolRecords.h"
#include "XmlNode.h"

#include <functional>
#include <vector>

struct XmppAccountSettings;

// The parameter encoding of the link: ASCII letters, digits, "-" and "."
// stay; every other character goes as the bytes of its UTF-8 form, each as
// "%" and two lower-case hexadecimal digits (a surrogate pair as one
// four-byte character, a lone surrogate as U+FFFD).
CYolString WebmailUrlEncode(const CYolString& text);

// MD5 over the key text, the bare JID in UTF-8, "|" and the password in
// UTF-8.
void WebmailDigest(const CYolString& bareJid, const CYolString& password, unsigned char digest[16]);

// The registration-check address with user, hash (32 lower-case hex digits
// of the digest), project and the mailbox start page to return to.
CYolString MakeWebmailLink(const CYolString& bareJid, const unsigned char digest[16]);

// What one <x xmlns="yol:mail:notify"> holds.
struct MailNotice {
    CYolString sender;   // the address of the last <sender> of <senders>
    CYolString subject;  // empty when absent
};
struct MailNotify {
    // An <unread> child ends the reading: it only updates the count.
    bool unread = false;
    unsigned int unreadCount = 0;
    // Messages before it, or all of them, each with a sender.
    std::vector<MailNotice> messages;
};
MailNotify ParseMailNotify(const XmlNode& x);

// XmppMailNotices: the own server's new-mail notices. It owns the unread
// count and raises one notification per new mail, each opening the signed
// webmail link of the account's settings. It runs on the account's queue
// thread.
class XmppMailNotices {
public:
    using Notify = std::function<void(const Protocols::NotificationInfo& notification)>;
    XmppMailNotices(const XmppAccountSettings& settings, Notify notify)
        : settings(settings), notify(std::move(notify)) {}

    // One notice (the <x> of the server's presence); the caller has checked
    // that the own server sent it.
    void OnNotice(const XmlNode& x);
    CYolString WebmailLink() const;
    unsigned int UnreadCount() const { return unread; }

private:
    const XmppAccountSettings& settings;
    Notify notify;
    unsigned int unread = 0;
};
