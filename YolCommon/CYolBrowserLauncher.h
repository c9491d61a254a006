#pragma once
// CYolBrowserLauncher: opens a web address in the desktop's browser.
//
// Only http and https addresses are opened: addresses come from messages
// and contact details, and any other scheme (file:, javascript:, custom
// handlers) could make the desktop run or open something local. The address
// reaches the opener as one argument, never through a shell.

#include "CYolString.h"
#include "YolTypes.h"

class YOL_API CYolBrowserLauncher {
public:
    // Starts the opener ("xdg-open", or the program named by the environment
    // variable YOL_BROWSER) with the address and returns without waiting
    // for it. False when the address is refused or the opener could not be
    // started.
    static bool Launch(const CYolString& address);

    // True for "http://" or "https://" (either case) followed by at least one
    // character, with no control characters anywhere.
    static bool IsAllowedAddress(const CYolString& address);
};
