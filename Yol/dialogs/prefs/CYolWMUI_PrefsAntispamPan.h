#pragma once
// The anti-spam pane: whether strangers may write at all, the anti-spam
// bot and its three texts. The values in force live in the contact list,
// which the pane writes through the host; the preferences keep a copy.

#include "CYolWMUI_PrefsDlg.h"

namespace UI {

class CYolWMUI_PrefsDlg::CAntispamPan : public CYolWMUI_PrefsDlg::CPrefsPan {
public:
    explicit CAntispamPan(CYolWMUI_PrefsDlg& owner);

    int DoDataExchange(int save) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;

private:
    void ApplyRules();
};

} // namespace UI
