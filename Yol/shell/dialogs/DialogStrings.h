#pragma once
// Where the shell's dialogs take their texts: the application hands in the
// language controller's look-up once it has one; until then the built-in
// English table answers.

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
// True for a text of nothing but spaces, tabs and line breaks (or none).
bool IsBlankText(const CYolString& text);

} // namespace UI
