// The account's details slots: vCards of contacts and of the user, and the
// events that tell the program about them.

#include "CJabberAccount.h"

#include "JabberContactDetailsPanes.h"
#include "JabberOwnDetailsPanes.h"
#include "JabberSearchPanes.h"
#include "JabberSettingsPanes.h"
#include "YolTabDlg.h"

#include <memory>
#include <new>

namespace {

// The account's own channel for the publish the own-details dialog asks for
// from the user-interface thread.
constexpr YOL_GUID JabberDetailsGuid{0x3F1C8A52, 0x7D0B, 0x4E19, 0xA6, 0x4C, 0x2B, 0x91, 0xE0, 0x5D, 0x38, 0x7A};
enum DetailsEvent : int { PublishVCardEvent = 1 };

// Hands each page made by `make` to the dialog's list; a page that could not
// be made is left out (the dialog shows the others).
template <typename... Pages, typename Make>
void AppendPanes(YolTabDlg::CDlgInfo* panes, Make&& make) {
    if (panes == nullptr)
        return;
    auto add = [&](auto* page) {
        if (page != nullptr)
            panes->Add(page);
    };
    (add(make.template operator()<Pages>()), ...);
}

template <typename Page, typename... Args>
Page* NewPage(Args&&... args) {
    try {
        return new Page(std::forward<Args>(args)...);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

void CJabberAccount::PublishVCard() { PostToSelf(JabberDetailsGuid, PublishVCardEvent); }

bool CJabberAccount::OnDetailsEvent(const YOL_GUID& channel, int event) {
    if (channel != JabberDetailsGuid)
        return false;
    if (event == PublishVCardEvent && status > Protocols::Connecting)
        vcard.Publish();
    return true;
}

int CJabberAccount::CreateOwnDetailsPanes(YolTabDlg::CDlgInfo* panes) {
    if (status > Protocols::Connecting)
        vcard.Request(GetOwnBareJid(), XmppVCard::kOwnTarget);
    AppendPanes<CEditGeneralPan, CEditHomePan, CEditWorkPan, CEditCompanyPan, CEditPhonesPan, CEditPersonalPan,
                CEditAboutPan>(panes, [this]<typename Page>() { return NewPage<Page>(this); });
    return 0;
}

int CJabberAccount::CreateContactDetailsPanes(unsigned int contact, YolTabDlg::CDlgInfo* panes) {
    CYolString jid;
    if (status > Protocols::Connecting && contactList.ItemLogin(contact, jid))
        vcard.Request(jid, static_cast<int>(contact));
    AppendPanes<CViewGeneralPan, CViewHomePan, CViewWorkPan, CViewCompanyPan, CViewPhonesPan, CViewPersonalPan,
                CViewAboutPan>(panes, [this, contact]<typename Page>() { return NewPage<Page>(this, contact); });
    return 0;
}

int CJabberAccount::CreateSearchPanes(YolTabDlg::CDlgInfo* panes) {
    search.ResetParams();
    SearchParams* params = &search.Params();
    AppendPanes<CSearchByJidPan, CSearchByEmailPan, CSearchGlobalPan>(
        panes, [this, params]<typename Page>() { return NewPage<Page>(this, params); });
    return 0;
}

int CJabberAccount::CreateSettingsPanes(YolTabDlg::CDlgInfo* panes) {
    if (panes == nullptr)
        return 0;
    std::shared_ptr<XmppSettingsDraft> draft;
    try {
        draft = std::make_shared<XmppSettingsDraft>();
    } catch (const std::bad_alloc&) {
        return 0;
    }
    draft->settings = settings;
    draft->kind = kind;
    draft->online = status != Protocols::Offline;
    draft->storedUserName = settings.userName;
    draft->storedServer = settings.server;
    auto* expert = NewPage<CExpertPan>(this, draft);
    auto* account = NewPage<CAccountPan>(this, draft, expert);
    if (account != nullptr)
        panes->Add(account);
    if (expert != nullptr)
        panes->Add(expert);
    if (kind == 0) {
        if (auto* advanced = NewPage<CAdvancedPan>(this, draft))
            panes->Add(advanced);
    }
    return 0;
}

int CJabberAccount::StartSearch(int page) {
    if (status > Protocols::Connecting)
        search.Start(page);
    else
        SearchResult(nullptr);
    return 0;
}

void CJabberAccount::ContactDetailsReady(unsigned int item) {
    SendAccountEvent(Protocols::AccountEvent::ContactDetailsReady, NewUIntEventArg(item));
}

void CJabberAccount::OwnDetailsReady() { SendAccountEvent(Protocols::AccountEvent::OwnDetailsReady); }

void CJabberAccount::SearchResult(const Protocols::UserInfo* user) {
    SendAccountEvent(Protocols::AccountEvent::SearchResult, user != nullptr ? NewUserInfoEventArg(*user) : nullptr);
}
