#pragma once
// What the program's small dialogs share: the module their templates are
// registered under, the texts of the language in force, the skin's
// background brush, sizes scaled to the screen and the bounded control
// reads every dialog uses.
//
// UI thread only.

#include "CYolString.h"
#include "DialogStrings.h"
#include "PlatformTypes.h"

#include <functional>

namespace UI {

// The dialog templates' ids.
enum TYolDialogTemplate : int {
    kColorDlgTemplate = 141,
    kPaletteCellsDlgTemplate = 142,
    kColorSchemeDlgTemplate = 144,
    kFontDlgTemplate = 146,
    kAboutDlgTemplate = 155,
    kBaseAccountDlgTemplate = 169,
    kSelectLangDlgTemplate = 170,
    kFileLoadDlgTemplate = 171,
    kXStatusDlgTemplate = 172,
};

// The module the dialogs' templates are registered under (on first use).
HINSTANCE GetYolDialogsInstance();

// The texts by UI string id come from the shell dialogs' source
// (DialogStrings.h: SetDialogStrings, DialogString), one for every dialog.
// Sets a control's text from a UI string id.
void SetDlgItemString(HWND dialog, int controlId, int stringId);

// The skin background brush every dialog paints with (the shell tools'
// brush); null leaves the dialogs to their default background.
void SetDialogBkBrush(HBRUSH brush);
HBRUSH GetDialogBkBrush();

// n logical pixels at 96 dpi on the screen's horizontal / vertical dpi,
// rounded: (n x dpi + 48) / 96.
int ScaleX(int n);
int ScaleY(int n);

// A control's whole text.
CYolString GetDlgItemString(HWND dialog, int controlId);
void SetDlgItemString(HWND dialog, int controlId, const CYolString& text);

// The text of a combo box entry; empty for an index that is not one of its
// entries.
CYolString GetComboText(HWND combo, int index);
// The selected entry, -1 when none is or the control answers an index
// outside its entries.
int GetComboSelection(HWND combo);

} // namespace UI
