// The account's settings pages, and what the account does when the pages
// have stored changed settings.

#include "CRuvAccount.h"

#include "RuvPlugin.h"
#include "RuvPrivacy.h"
#include "RuvSettingsPanes.h"

#include <new>

namespace {

template <typename Page>
Page* NewPage(CRuvAccount* account, RuvPane pane, const std::shared_ptr<RuvSettingsDraft>& draft) {
    try {
        return new Page(account, pane, draft);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

int CRuvAccount::CreateSettingsPanes(YolTabDlg::CDlgInfo* panes) {
    if (panes == nullptr)
        return 0;
    std::shared_ptr<RuvSettingsDraft> draft;
    try {
        draft = std::make_shared<RuvSettingsDraft>();
    } catch (const std::bad_alloc&) {
        return 0;
    }
    draft->settings = settings;
    draft->storedLogin = settings.login;
    if (auto* page = NewPage<CRuvAccountPan>(this, RuvPane::Account, draft))
        panes->Add(page);
    if (auto* page = NewPage<CRuvConnectionPan>(this, RuvPane::Connection, draft))
        panes->Add(page);
    if (auto* page = NewPage<CRuvAdditionalPan>(this, RuvPane::Additional, draft))
        panes->Add(page);
    return 0;
}

void CRuvAccount::ApplyChangedSettings(const CRuvSettings& before) {
    if (settings.showClientsIcons != before.showClientsIcons) {
        for (CRuvListItem& item : session.list.Items()) {
            item.presence.clientName = CYolString();
            item.presence.clientPicture = -1;
            if (item.presence.status != 0)
                IdentifyClientOf(item);
        }
    }
    if (settings.showStandardIcon != before.showStandardIcon || settings.showClientsIcons != before.showClientsIcons)
        for (const CRuvListItem& item : session.list.Items())
            session.list.ShowStatus(item);
    if (settings.showPrivStatusInStatusbar != before.showPrivStatusInStatusbar) {
        if (settings.showPrivStatusInStatusbar) {
            ShowPrivacyMode(RuvPrivacy::ModeImage(session.privacy.Mode()));
        } else {
            // The privacy icon leaves its own place in the status bar.
            Protocols::StatusIconInfo info;
            info.index = 1;
            SendAccountEvent(Protocols::AccountEvent::SetStatusIcon, NewStatusIconEventArg(info));
        }
    }
    if (settings.typingNotification != before.typingNotification && status > Protocols::Connecting)
        ownStatus.SendCapabilities();
}
