#pragma once
// The alerts pane (sound, volume, vibration, the alert pack and the alerts
// dialog) and the interface pane (skin and colours, smileys, language).
// The pack lists come from the program folder's scans; a name that is no
// longer installed falls back to the first entry.

#include "CYolWMUI_PrefsBasicPans.h"

namespace UI {

class CYolWMUI_PrefsDlg::CAlertPan : public CYolWMUI_PrefsCheckPan {
public:
    explicit CAlertPan(CYolWMUI_PrefsDlg& owner);

protected:
    void LoadMore() override;
    void SaveMore() override;
    void ApplyRules() override;
    void OnButton(int id) override;
};

class CYolWMUI_PrefsDlg::CInterfacePan : public CYolWMUI_PrefsDlg::CPrefsPan {
public:
    explicit CInterfacePan(CYolWMUI_PrefsDlg& owner);

    int DoDataExchange(int save) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;

private:
    void ApplyRules();
    void EditColors();
};

} // namespace UI
