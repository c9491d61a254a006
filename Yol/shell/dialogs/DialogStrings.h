#pragma once
// Where the shell's dialogs take their texts: the application hands in the
// language controller's look-up once it has one; until then the built-in
// English table answers.
//
// A label set by string id is remembered with its window, so that a switch
// of language sets it again in the new language (RelabelWindows). The
// labels are kept and re-set on the UI thread only.

#include "CYolString.h"
#include "UiHelpers.h"

namespace UI {

// "This folder cannot be opened": the file browser's report.
constexpr int kFolderUnreadableString = 316;

// Null restores the built-in table.
void SetDialogStrings(UiStringSource source);
UiStringSource DialogStrings();
// The text of UI string `id`; empty when there is none.
CYolString DialogString(int id);
// Sets `window`'s text to UI string `stringId` and remembers the pair.
void SetWindowString(HWND window, int stringId);
// The window's text is its own from now on (a value, a report): a switch of
// language leaves it as it is.
void ForgetWindowString(HWND window);
// The string id `window`'s text was set from; -1 when it was not.
int WindowStringId(HWND window);
// Adds UI string `stringId` at the end of a combo box's list and remembers
// the entry while it keeps that text; answers its index (CB_ERR on failure).
int AddComboString(HWND combo, int stringId);
// After a switch of language: every remembered label whose window is still
// there takes its text in the language in force (a combo box entry keeping
// its place, item data and selection), and every top-level window
// is posted kLanguageChangedMessage to set its other texts (soft keys, tab
// captions) again.
void RelabelWindows();
// True for a text of nothing but spaces, tabs and line breaks (or none).
bool IsBlankText(const CYolString& text);

} // namespace UI
