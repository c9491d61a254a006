#pragma once
// The program's own module and the dialog templates it owns: the common
// settings dialog, the file browser and the two name dialogs. The templates
// are registered the first time the module is asked for.

#include "PlatformTypes.h"

namespace UI {

// The program's HINSTANCE: the module its dialog templates live in.
HINSTANCE GetProgramInstance();

constexpr int kNameDialogId = 107;
constexpr int kCommonDialogId = 132;
constexpr int kFileDialogId = 149;
constexpr int kAddContactDialogId = 173;

// Controls of the name dialog.
constexpr int kNameLabelId = 1188;
constexpr int kNameEditId = 1026;

// Controls of the add-contact dialog.
constexpr int kLoginLabelId = 1100;
constexpr int kLoginEditId = 1049;
constexpr int kDisplayLabelId = 1096;
constexpr int kDisplayEditId = 1050;
constexpr int kGroupLabelId = 1097;
constexpr int kGroupComboId = 1051;

// Controls of the file browser; the status line tells why a folder could
// not be opened.
constexpr int kPathComboId = 1032;
constexpr int kUpButtonId = 1019;
constexpr int kFileListId = 1022;
constexpr int kFileNameEditId = 1056;
constexpr int kFilterComboId = 1063;
constexpr int kFileStatusId = 1064;

} // namespace UI
