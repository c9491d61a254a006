#pragma once
// Combo box entries set from string ids, renamed in place when the language
// changes.

#include "CYolString.h"
#include "PlatformTypes.h"
#include "YolTypes.h"

#include <functional>
#include <vector>

namespace UI {

// An entry set from a string id, with the text it was given.
struct TComboLabel {
    HWND combo;
    int index;
    int stringId;
    CYolString text;
};

// Every entry takes `text` of its string id where it stands, its item data
// and the box's selection kept. An entry that no longer shows the text it
// was given (the list was refilled), or whose box is gone, is no label now
// and is dropped. Renaming runs the box's handlers: an entry they add
// meanwhile is kept as it is.
YOL_API void RelabelComboEntries(std::vector<TComboLabel>& entries, const std::function<CYolString(int)>& text);

} // namespace UI
