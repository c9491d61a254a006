#pragma once
// The dialogs' templates as data, registered under the dialogs' module.

#include "PlatformTypes.h"
#include "WindowSystem/DialogTemplate.h"

#include <vector>

namespace UI {

void RegisterYolDialogTemplates(HINSTANCE module);
// A full-screen dialog of the program, in 8-point Tahoma.
DialogTemplate FullScreenDialog(const char16_t* caption, std::vector<DialogItemTemplate> items);

} // namespace UI
