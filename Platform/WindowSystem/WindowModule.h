#pragma once
// A module is a deliverable that owns resources: the program, the common
// library, a plug-in or a language pack. Window classes name the module that
// registered them, and dialog templates and menus are registered per
// (module, id). Each deliverable keeps one static Module and hands its
// address around as its HINSTANCE.

#include "PlatformTypes.h"

namespace Platform {

struct Module {
    // For diagnostics only; identity is the object's address.
    const char* name;
};

} // namespace Platform
