#pragma once
// The plug-in's windows that show texts in its language: its pages in the
// program's dialogs and its own dialogs. A switch of the plug-in's language
// happens on an account's queue thread; each window is then posted
// UI::kLanguageChangedMessage and takes its texts again on its own thread.
//
// Any thread: the list holds window handles only, under its own lock.

#include "PlatformTypes.h"

namespace Protocols {

// From the window's own thread, once it exists and before it reads its
// texts, so that no switch falls between the two unnoticed.
void WatchLanguage(HWND window);
void UnwatchLanguage(HWND window);
// After the plug-in has switched its language: tells every watched window
// still there (a destroyed one is dropped).
void TellLanguageChanged();

}  // namespace Protocols
