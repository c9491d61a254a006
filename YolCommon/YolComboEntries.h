#pragma once
// Combo box entries set from string ids, renamed in place when the language
// changes.

#include "CYolString.h"
#include "PlatformTypes.h"
#include "YolTypes.h"

namespace UI {

// An entry set from a string id, with the text it was given.
struct TComboLabel {
    HWND combo;
    int index;
    int stringId;
    CYolString text;
};

// The text of a combo box's entry; empty when there is none.
YOL_API CYolString ComboEntryText(HWND combo, int index);
// Gives the entry `text` where it stands, its item data and the box's
// selection kept. False, leaving it alone, when the entry no longer shows
// the text it was given (the list was refilled): it is no label now.
YOL_API bool RelabelComboEntry(TComboLabel& entry, const CYolString& text);

} // namespace UI
