#pragma once
// MrimMail: the account's mailbox. It owns the unread count the server last
// reported, the last user parameters, the one-time web session key and what
// to do when it arrives (open the own-details link, raise a notification,
// open the inbox), and whether the mailbox icon is in the status bar (the
// account's icon 1). It writes GetMailSession to its packet sink and tells
// its owner what to show. Runs on the account's queue thread.
//
// The counters follow the server in every case; the settings only decide
// what is shown: "EmailNotify" the notifications, "HideEmailBtn" the icon.

#include "CYolString.h"
#include "MrimPacketSink.h"
#include "MrimWire.h"

#include <map>
#include <string>

// What the mailbox shows through its account.
class MMrimMailOwner {
public:
    virtual bool LoggedIn() const = 0;
    virtual const CYolString& MailLogin() const = 0;
    virtual bool EmailNotify() const = 0;
    virtual bool HideEmailButton() const = 0;
    virtual CYolString MailText(int id) const = 0;
    // The mailbox icon, empty or full, added as the account's icon 1 or
    // replacing it; and taken away.
    virtual void AddMailIcon(bool full) = 0;
    virtual void ChangeMailIcon(bool full) = 0;
    virtual void RemoveMailIcon() = 0;
    virtual void Notify(const CYolString& title, const CYolFormatString& text) = 0;
    virtual void OpenUrl(const CYolString& address) = 0;
    virtual void OwnDetailsReady() = 0;

protected:
    ~MMrimMailOwner() = default;
};

class MrimMail {
public:
    enum class Purpose { OwnDetails = 0, Notification = 1, OpenInbox = 2 };

    MrimMail(MrimPacketSink& sink, MMrimMailOwner& owner) : sink(sink), owner(owner) {}
    MrimMail(const MrimMail&) = delete;
    MrimMail& operator=(const MrimMail&) = delete;

    void OnUserParams(const MrimPacket& packet);
    void OnMailboxStatus(const MrimPacket& packet);
    void OnNewMail(const MrimPacket& packet);
    void OnMailSession(const MrimPacket& packet);

    // Asks the server for a web session key; `text` is shown once it comes
    // when the purpose is a notification.
    void RequestSession(Purpose purpose, const CYolFormatString& text = CYolFormatString());
    // The user changed "HideEmailBtn".
    void SetIconHidden(bool hide);
    // The session ended: the icon goes, the count stays.
    void SessionEnded();

    unsigned int Unread() const { return unread; }
    bool IconShown() const { return iconShown; }
    const CYolString& SessionKey() const { return sessionKey; }
    const std::map<std::string, CYolString>& Params() const { return params; }
    // The web mailbox behind the session key.
    CYolString InboxAddress() const;
    // The user's own details page behind the session key.
    CYolString OwnDetailsAddress() const;

    static constexpr int kNoticeUnread = 28;
    static constexpr int kNoticeNewMail = 29;
    static constexpr int kMenuTitle = 215;
    static constexpr int kOpenInbox = 216;

private:
    CYolString SignedIn(const char16_t* page) const;

    MrimPacketSink& sink;
    MMrimMailOwner& owner;
    unsigned int unread = 0;
    bool iconShown = false;
    std::map<std::string, CYolString> params;
    CYolString sessionKey;
    Purpose purpose = Purpose::Notification;
    CYolFormatString pending;
};
