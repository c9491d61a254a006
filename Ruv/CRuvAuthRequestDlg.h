#pragma once
// CRuvAuthRequestDlg: the full-screen dialog in which the user writes the
// reason that goes with an authorization request. It runs modally on the
// user-interface thread, inside the menu entry's call-back; it reaches the
// skin only through the services manager, never the account, whose state
// belongs to its own queue thread.

#include "CServicesManager.h"
#include "CYolString.h"
#include "CYolWMUI_Dlg.h"

class CRuvAuthRequestDlg final : public UI::CYolWMUI_BigDlg {
public:
    // The longest reason the dialog hands back.
    static constexpr int kReasonChars = 256;

    // Shows the dialog with `reason` in its edit; when the user accepts,
    // `reason` takes the edited text and the answer is true. Cancelling
    // leaves `reason` as it was.
    static bool Run(Services::CServicesManager* services, CYolString& reason, HWND parent = nullptr);

    CRuvAuthRequestDlg(Services::CServicesManager* services, const CYolString& reason)
        : services(services), reason(reason) {}

    const CYolString& Reason() const { return reason; }

    void OnCommand(unsigned short code, unsigned short id, HWND control) override;
    HBRUSH GetBkBrush() override;
    void OnInitDialog() override;
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override;
    void OnSoftKey(TSoftKey key) override;

private:
    void Accept();

    Services::CServicesManager* services;
    CYolString reason;
};
