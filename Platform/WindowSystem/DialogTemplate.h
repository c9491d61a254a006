#pragma once
// Dialog templates as data: what a dialog resource holds, registered per
// (module, id) by the module that owns it. Positions and sizes are dialog
// units: a quarter of the dialog font's average character width across, an
// eighth of its height down.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>
#include <string>
#include <vector>

// Dialog styles (in the template's style, beside the window styles).
constexpr std::uint32_t DS_SETFONT = 0x00000040;
// A child dialog whose controls take part in its parent's keyboard
// navigation.
constexpr std::uint32_t DS_CONTROL = 0x00000400;

struct DialogItemTemplate {
    // A registered window class ("static", "button", "edit", ...).
    std::u16string className;
    int id = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    // WS_CHILD is added.
    std::uint32_t style = 0;
    std::u16string text;
    std::uint32_t exStyle = 0;
};

struct DialogTemplate {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    std::u16string caption;
    // The dialog font; an empty face gives "MS Shell Dlg" at 8 points.
    std::u16string fontFace;
    int pointSize = 8;
    std::vector<DialogItemTemplate> items;
};

// Registers a copy. A second template under the same (module, id) replaces
// the first.
YOL_API void RegisterDialogTemplate(HINSTANCE module, int id, const DialogTemplate& dialog);
YOL_API bool UnregisterDialogTemplate(HINSTANCE module, int id);
// A copy of the registered template; false when there is none.
YOL_API bool FindDialogTemplate(HINSTANCE module, int id, DialogTemplate* out);
