#pragma once
// The account-settings pages of an XMPP account: "Account" (login and
// password, resource, server and port), "Expert" (connection host,
// compression, file-transfer proxy) and, for the program's own service,
// "Advanced" (mail notices and icons).
//
// The pages edit one copy of the account's settings record, taken on the
// account's queue thread when the pages are made; the page that applies
// last (Expert, or Advanced for the program's own service) stores the copy
// under the account's keys and asks the account to read them again on its
// own thread. The account's record itself is never touched from the
// user-interface thread.

#include "CJabberPan.h"
#include "XmppAccountSettings.h"

#include <memory>

// The copy the pages of one dialog edit.
struct XmppSettingsDraft {
    XmppAccountSettings settings;
    int kind = 0;
    // Connected or connecting when the pages were made: the connection
    // fields are then shown but cannot be changed.
    bool online = false;
    // The login as stored, to tell whether the user changed it.
    CYolString storedUserName;
    CYolString storedServer;
};

class CExpertPan;

class CAccountPan final : public CJabberPan {
public:

    CAccountPan(CJabberAccount* account, std::shared_ptr<XmppSettingsDraft> draft, CExpertPan* expert);

    int DoDataExchange(int save) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;

private:
    void Load();
    bool Apply();

    std::shared_ptr<XmppSettingsDraft> draft;
    CExpertPan* expert;
};

class CExpertPan final : public CJabberPan {
public:
    CExpertPan(CJabberAccount* account, std::shared_ptr<XmppSettingsDraft> draft);

    int DoDataExchange(int save) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;
    // The Account page's "Use SSL" sets the connection port here too.
    void SetPortText(const CYolString& text);

private:
    std::shared_ptr<XmppSettingsDraft> draft;
};

class CAdvancedPan final : public CJabberPan {
public:
    CAdvancedPan(CJabberAccount* account, std::shared_ptr<XmppSettingsDraft> draft);

    int DoDataExchange(int save) override;

private:
    std::shared_ptr<XmppSettingsDraft> draft;
};

// Stores the edited copy under the account's keys, tells the program to
// drop the account's contacts when the login changed, and has the account
// read its settings again.
void CommitSettingsDraft(CAccountSetsPan& pane, XmppSettingsDraft& draft);
