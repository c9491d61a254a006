#pragma once
// The templates of the preferences panes, the alerts dialog and its
// alert-settings dialog, registered under the dialogs' module.

#include "PlatformTypes.h"

namespace UI {

enum TYolPrefsTemplate : int {
    kAccountsPanTemplate = 130,
    kConnectPanTemplate = 134,
    kCLPanTemplate = 137,
    kAlertPanTemplate = 140,
    kInterfacePanTemplate = 143,
    kNotifyPanTemplate = 148,
    kHistPanTemplate = 154,
    kGeneralPanTemplate = 158,
    kAntispamPanTemplate = 165,
    kAlertsDlgTemplate = 166,
    kAlertSetsDlgTemplate = 167,
    kHardPanTemplate = 168,
};

// The line where a pane that refuses a field says why.
constexpr int kPrefsErrorId = 1301;

void RegisterPrefsDialogTemplates(HINSTANCE module);

} // namespace UI
