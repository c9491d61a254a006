#include "ZemOwnDetailsPane.h"

#include "CZemAccount.h"
#include "Controls/ControlButton.h"
#include "ZemPaneTemplates.h"

namespace {

constexpr CAccountSetsPan::TLabel kLabels[] = {{1005, 40}, {CZemOwnDetailsPan::kOpen, 41}};

}  // namespace

CZemOwnDetailsPan::CZemOwnDetailsPan(CZemAccount* account, std::shared_ptr<const ZemOwnDetailsLink> link)
    : CZemPan(account, 37, kZemOwnDetailsTemplate), link(std::move(link)) {}

int CZemOwnDetailsPan::DoDataExchange(int save) {
    if (save == 0) {
        SetLabels(kLabels, std::size(kLabels));
        EnableItem(kOpen, !link->Address().IsEmpty());
    }
    return 1;
}

void CZemOwnDetailsPan::OnCommand(unsigned short code, unsigned short id, HWND control) {
    if (id != kOpen || code != BN_CLICKED) {
        CZemPan::OnCommand(code, id, control);
        return;
    }
    // The session may have ended, or the key been spent, since the page was
    // filled.
    const CYolString address = link->Address();
    Protocols::CAccount* account = Account();
    if (address.IsEmpty() || account == nullptr) {
        EnableItem(kOpen, false);
        return;
    }
    account->SendAccountEvent(Protocols::AccountEvent::OpenUrl, account->NewStringEventArg(address));
}
