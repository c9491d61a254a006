#pragma once
// What the message windows take from the program besides their owner: the
// texts of the language in force (the dialogs' string source) and the
// full-screen preference, which the program mirrors here.
//
// UI thread only.

#include "CYolString.h"

namespace MW {

// The UI string of that id; empty when there is none.
CYolString MessageWindowText(int id);
bool MessageWindowFullScreen();
void SetMessageWindowFullScreen(bool fullScreen);

} // namespace MW
