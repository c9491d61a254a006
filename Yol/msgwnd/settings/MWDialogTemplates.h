#pragma once
// The module that holds the message windows' dialog templates: the five
// settings panes and the history dialog. Registered on first use.

#include "PlatformTypes.h"

namespace MW {

enum TMWDialogTemplate : int {
    kHistPaneTemplate = 147,
    kHistoryDlgTemplate = 153,
    kEditPaneTemplate = 156,
    kSmilePaneTemplate = 157,
    kReplyPaneTemplate = 161,
    kControlPaneTemplate = 162,
};

HINSTANCE GetMsgWndInstance();

} // namespace MW
