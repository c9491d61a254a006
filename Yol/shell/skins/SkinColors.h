#pragma once
// The skin's colour scheme: 33 colours by index, their built-in defaults, the
// table GetSkinColor reads, and the "_colors.ini" file each skin carries.
//
// A colour is a COLORREF (red in the low byte, then green, then blue, top
// byte 0). The file is 8-bit text: the header "[YolColors]" and one line
// "<n>=<six hex digits>" per colour, lines separated by "\r\n". Readers take
// the colours in the order of the "=" signs; the numbers in front are not
// read, so files whose lines are numbered wrongly still load.

#include "CYolString.h"
#include "PlatformTypes.h"

#include <cstddef>
#include <string>

namespace Skins {

enum TSkinColor : int {
    SKIN_CLR_ACCOUNT_TEXT = 0,
    SKIN_CLR_ACCOUNT_TOP,
    SKIN_CLR_ACCOUNT_BOTTOM,
    SKIN_CLR_CONTACT_NOGROUP,
    SKIN_CLR_GROUP_TEXT,
    SKIN_CLR_GROUP_ONLINE,
    SKIN_CLR_CONTACT_ONLINE,
    SKIN_CLR_CONTACT_OFFLINE,
    SKIN_CLR_GROUP_TOTAL,
    SKIN_CLR_SEL_TOP,
    SKIN_CLR_SEL_BOTTOM,
    SKIN_CLR_SEL_FRAME,
    SKIN_CLR_MSG_KIND_1_3,
    SKIN_CLR_MSG_OTHER,
    SKIN_CLR_MSG_KIND_2_4,
    SKIN_CLR_MSG_KIND_8,
    SKIN_CLR_MSG_KIND_5_6,
    SKIN_CLR_MSG_KIND_9,
    SKIN_CLR_HIST_SEPARATOR,
    SKIN_CLR_MW_SELECTION,
    SKIN_CLR_MW_BACKGROUND,
    SKIN_CLR_MW_EDIT_TEXT,
    SKIN_CLR_TEXT,
    SKIN_CLR_MENU_BORDER,
    SKIN_CLR_MENU_TOP,
    SKIN_CLR_MENU_BOTTOM,
    SKIN_CLR_MENU_TEXT,
    SKIN_CLR_MENU_TITLE,
    SKIN_CLR_MENU_DISABLED,
    SKIN_CLR_MENU_HOT_TEXT,
    SKIN_CLR_MENU_HIGHLIGHT,
    SKIN_CLR_MENU_CHECKED,
    SKIN_CLR_MENU_SEPARATOR,
    SKIN_CLR_COUNT
};

// The table as the "Colors" preference keeps it: 33 words, 132 bytes.
using TSkinColorTable = COLORREF[SKIN_CLR_COUNT];

// The built-in colours, used wherever a skin's file cannot be read whole.
const TSkinColorTable& GetDefaultSkinColors();
void SetDefaultSkinColors(TSkinColorTable& table);

// Chooses the table GetSkinColor reads (the preferences' "Colors"); null
// goes back to the built-in defaults. The table must outlive the binding.
void SetSkinColorTable(const TSkinColorTable* table);
// Word `index` of the current table; 0 (black) for an index outside 0-32.
COLORREF GetSkinColor(int index);

// The program folder's "Skins/<skin name>/_colors.ini" into `table`.
void LoadColorScheme(const CYolString& skinName, TSkinColorTable& table);
// Reads the file at `path`; a missing, unreadable or malformed file gives
// the built-in defaults for all 33 colours.
void ReadColorScheme(const CYolString& path, TSkinColorTable& table);
// True when the text starts with the header and holds 33 values; on false
// the table may hold some of the values read before the fault.
bool ParseColorScheme(const char* text, std::size_t length, TSkinColorTable& table);
// The same over a text that ends at its first 0.
bool ParseColorScheme(const char* text, TSkinColorTable& table);
// Replaces the file at `path` with the table; false when it could not be
// written (an existing file is then left as it was).
bool SaveColorScheme(const CYolString& path, const TSkinColorTable& table);
// The file's bytes for a table.
std::string FormatColorScheme(const TSkinColorTable& table);

}  // namespace Skins
