#pragma once
// The dialogs' templates as data, registered under the dialogs' module.

#include "PlatformTypes.h"

namespace UI {

void RegisterYolDialogTemplates(HINSTANCE module);

} // namespace UI
