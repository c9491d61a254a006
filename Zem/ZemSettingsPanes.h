#pragma once
// The account-settings pages of an MRIM account: "Account" (login and
// password) and "Advanced" (mail notices and the mail button).
//
// Both pages edit one copy of the account's settings taken on the account's
// queue thread when the pages are made; each stores what it edits under the
// account's keys and asks the account to read them again on its own thread,
// so the account's record is never touched from the user-interface thread.

#include "CZemAccount.h"
#include "CZemPan.h"

#include <memory>

struct ZemSettingsDraft {
    ZemSettings settings;
    // The login as stored, to tell whether the user changed it.
    CYolString storedLogin;
};

class CZemAccountPan final : public CZemPan {
public:
    // The service's mailbox domains, each with its "@".
    static const char16_t* const kDomains[5];

    CZemAccountPan(CZemAccount* account, std::shared_ptr<ZemSettingsDraft> draft);

    int DoDataExchange(int save) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;

private:
    void Load();
    void Apply();

    std::shared_ptr<ZemSettingsDraft> draft;
};

class CZemAdvancedPan final : public CZemPan {
public:
    CZemAdvancedPan(CZemAccount* account, std::shared_ptr<ZemSettingsDraft> draft);

    int DoDataExchange(int save) override;

private:
    std::shared_ptr<ZemSettingsDraft> draft;
};
