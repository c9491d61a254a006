// The account's details and search slots and what the directory asks of it.

#include "CZemAccount.h"

#include "CYolClock.h"
#include "CYolTime.h"
#include "ZemPlugin.h"
#include "ZemStatuses.h"

int CZemAccount::RequestContactInfo(unsigned int contact) {
    if (status > Protocols::Connecting)
        directory.RequestDetails(contact);
    return 0;
}

int CZemAccount::StartSearch(int page) {
    if (status > Protocols::Connecting)
        directory.StartSearch(page);
    else
        SearchResult(nullptr);
    return 0;
}

void CZemAccount::ContactDetailsReady(unsigned int item) {
    SendAccountEvent(Protocols::AccountEvent::ContactDetailsReady, NewUIntEventArg(item));
}

void CZemAccount::SearchResult(const Protocols::UserInfo* user) {
    SendAccountEvent(Protocols::AccountEvent::SearchResult, user != nullptr ? NewUserInfoEventArg(*user) : nullptr);
}

CYolArray<unsigned int> CZemAccount::DirectoryStatusIcon(uint32_t wire, const CYolString& uri) {
    Protocols::StatusInfo info;
    ZemPlugin::FindStatus(WireToStatus(wire, uri), info);
    return info.icon;
}

ZemDate CZemAccount::Today() {
    CYolTime now(static_cast<unsigned int>(CYolClock::Current().Now()));
    now.ToLocal();
    return ZemDate{now.Year(), now.Month(), now.Day()};
}
