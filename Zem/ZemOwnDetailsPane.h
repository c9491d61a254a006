#pragma once
// The own-details page of an MRIM account. The user's details live on the
// service's web pages only, so the page offers a button that opens them in
// the browser, signed in with the one-time web session key the account asked
// for when the dialog opened. The button is there only while the account
// holds a key and is logged in; the account tells the page's link each time
// either changes, and the dialog fills its pages again when the key comes.

#include "CZemPan.h"

#include <memory>
#include <mutex>

// The signed-in address of the user's details page, written on the
// account's queue thread and read on the window thread; empty while there
// is none to open.
class ZemOwnDetailsLink {
public:
    void Set(const CYolString& value) {
        std::lock_guard guard(lock);
        address = value;
    }
    CYolString Address() const {
        std::lock_guard guard(lock);
        return address;
    }

private:
    mutable std::mutex lock;
    CYolString address;
};

class CZemOwnDetailsPan final : public CZemPan {
public:
    static constexpr int kOpen = 1006;

    CZemOwnDetailsPan(CZemAccount* account, std::shared_ptr<const ZemOwnDetailsLink> link);

    int DoDataExchange(int save) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;

private:
    std::shared_ptr<const ZemOwnDetailsLink> link;
};
