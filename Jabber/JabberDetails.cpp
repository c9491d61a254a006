// The account's details slots: vCards of contacts and of the user, and the
// events that tell the program about them.

#include "CJabberAccount.h"

namespace {

// The account's own channel for the publish the own-details dialog asks for
// from the user-interface thread.
constexpr YOL_GUID JabberDetailsGuid{0x3F1C8A52, 0x7D0B, 0x4E19, 0xA6, 0x4C, 0x2B, 0x91, 0xE0, 0x5D, 0x38, 0x7A};
enum DetailsEvent : int { PublishVCardEvent = 1 };

}  // namespace

void CJabberAccount::PublishVCard() { PostToSelf(JabberDetailsGuid, PublishVCardEvent); }

bool CJabberAccount::OnDetailsEvent(const YOL_GUID& channel, int event) {
    if (channel != JabberDetailsGuid)
        return false;
    if (event == PublishVCardEvent && status > Protocols::Connecting)
        vcard.Publish();
    return true;
}

int CJabberAccount::CreateOwnDetailsPanes(YolTabDlg::CDlgInfo*) {
    if (status > Protocols::Connecting)
        vcard.Request(GetOwnBareJid(), XmppVCard::kOwnTarget);
    return 0;
}

int CJabberAccount::CreateContactDetailsPanes(unsigned int contact, YolTabDlg::CDlgInfo*) {
    CYolString jid;
    if (status > Protocols::Connecting && contactList.ItemLogin(contact, jid))
        vcard.Request(jid, static_cast<int>(contact));
    return 0;
}

int CJabberAccount::CreateSearchPanes(YolTabDlg::CDlgInfo*) {
    search.ResetParams();
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
