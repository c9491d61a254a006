// The account's pages for the program's tabbed dialogs, made on the
// account's queue thread from copies of what they edit.

#include "CZemAccount.h"

#include "YolTabDlg.h"
#include "ZemDetailsPanes.h"
#include "ZemOwnDetailsPane.h"
#include "ZemSearchPanes.h"
#include "ZemSettingsPanes.h"

#include <memory>
#include <new>

namespace {

template <typename Page, typename... Args>
void AddPage(YolTabDlg::CDlgInfo* panes, Args&&... args) {
    try {
        panes->Add(new Page(std::forward<Args>(args)...));
    } catch (const std::bad_alloc&) {
        // The dialog shows the pages that could be made.
    }
}

}  // namespace

int CZemAccount::CreateSettingsPanes(YolTabDlg::CDlgInfo* panes) {
    if (panes == nullptr)
        return 0;
    std::shared_ptr<ZemSettingsDraft> draft;
    try {
        draft = std::make_shared<ZemSettingsDraft>(ZemSettingsDraft{settings, settings.login});
    } catch (const std::bad_alloc&) {
        return 0;
    }
    AddPage<CZemAccountPan>(panes, this, draft);
    AddPage<CZemAdvancedPan>(panes, this, draft);
    return 0;
}

int CZemAccount::CreateOwnDetailsPanes(YolTabDlg::CDlgInfo* panes) {
    // A fresh key each time: the page's button waits for it.
    mail.RequestSession(MrimMail::Purpose::OwnDetails);
    PublishOwnDetailsLink();
    if (panes != nullptr)
        AddPage<CZemOwnDetailsPan>(panes, this, ownDetailsLink);
    return 0;
}

int CZemAccount::CreateContactDetailsPanes(unsigned int contact, YolTabDlg::CDlgInfo* panes) {
    if (status > Protocols::Connecting && contactList.FindByItem(contact) != nullptr)
        directory.RequestDetails(contact);
    if (panes == nullptr)
        return 0;
    AddPage<CZemDetailsGeneralPan>(panes, this, contact);
    AddPage<CZemDetailsHomePan>(panes, this, contact);
    AddPage<CZemDetailsPersonalPan>(panes, this, contact);
    return 0;
}

int CZemAccount::CreateSearchPanes(YolTabDlg::CDlgInfo* panes) {
    directory.SetQuery(ZemSearchQuery{});
    if (panes == nullptr)
        return 0;
    std::shared_ptr<ZemSearchQuery> query;
    try {
        query = std::make_shared<ZemSearchQuery>();
    } catch (const std::bad_alloc&) {
        return 0;
    }
    AddPage<CZemSearchEmailPan>(panes, this, query);
    AddPage<CZemSearchGlobalPan>(panes, this, query);
    return 0;
}
