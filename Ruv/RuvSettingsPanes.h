#pragma once
// The account-settings pages of an OSCAR account: "Account" (login and
// password), "Connection" (login server and connection switches) and
// "Additional" (display switches).
//
// The pages edit one copy of the account's settings, taken on the
// account's queue thread when they are made. The connection values go to
// the store as the Connection page saves; the Additional page, saved last,
// stores the copy and has the account read it again on its own thread,
// where the account applies what changed. The account's record itself is
// never touched from the user-interface thread.

#include "CRuvPan.h"
#include "CRuvSettings.h"

#include <memory>

struct RuvSettingsDraft {
    CRuvSettings settings;
    // The login as stored, to tell whether the user changed it.
    CYolString storedLogin;
};

class CRuvSettingsPan : public CRuvPan {
public:
    CRuvSettingsPan(CRuvAccount* account, RuvPane pane, std::shared_ptr<RuvSettingsDraft> draft)
        : CRuvPan(account, pane), draft(std::move(draft)) {}

protected:
    CRuvSettingsStore Store() const;
    std::shared_ptr<RuvSettingsDraft> draft;
};

class CRuvAccountPan final : public CRuvSettingsPan {
public:
    // What a typed login is stored as: an e-mail login as it is, any
    // other its digits; empty when that leaves nothing.
    static CYolString NormalLogin(const CYolString& typed);

    using CRuvSettingsPan::CRuvSettingsPan;

    int DoDataExchange(int save) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;

private:
    void Load();
    bool Apply();
};

class CRuvConnectionPan final : public CRuvSettingsPan {
public:
    using CRuvSettingsPan::CRuvSettingsPan;

    int DoDataExchange(int save) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;

private:
    void Load();
    bool Apply();
    void FollowMoveServers();
};

class CRuvAdditionalPan final : public CRuvSettingsPan {
public:
    using CRuvSettingsPan::CRuvSettingsPan;

    int DoDataExchange(int save) override;
};
