#pragma once
// The connection pane: the proxy part of the sockets service's connection
// settings. It keeps nothing between load and save: both read the
// service's settings afresh, and the save replaces only the proxy fields.

#include "CYolWMUI_PrefsDlg.h"

namespace UI {

class CYolWMUI_PrefsDlg::CConnectPan : public CYolWMUI_PrefsDlg::CPrefsPan {
public:
    // Proxy host, login and password are cut to this many characters.
    static constexpr int kMaxText = 255;
    static constexpr unsigned int kMaxPort = 65535;

    explicit CConnectPan(CYolWMUI_PrefsDlg& owner);

    int DoDataExchange(int save) override;
    bool Validate() override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;

private:
    void ApplyRules();
    CYolString BoundedText(int id) const;
};

} // namespace UI
