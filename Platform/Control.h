#pragma once
// The common controls: window classes of our own that dialogs make by name
// from their templates. Every control keeps its state beside the window,
// paints with the colours its parent answers to the control-colour
// messages, and tells its parent what happened through WM_COMMAND
// (MAKEWPARAM(id, code), the control) or WM_NOTIFY.
//
// The classes are registered when the library loads; InitCommonControlsEx
// is there for the program's start-up call and registers them again only if
// someone unregistered them.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>

constexpr const char16_t* WC_STATIC = u"static";
constexpr const char16_t* WC_BUTTON = u"button";
constexpr const char16_t* WC_EDIT = u"edit";
constexpr const char16_t* WC_SCROLLBAR = u"scrollbar";

// Which control families to make ready; all of them are always registered.
struct INITCOMMONCONTROLSEX {
    std::uint32_t dwSize = sizeof(INITCOMMONCONTROLSEX);
    std::uint32_t dwICC = 0;
};
constexpr std::uint32_t ICC_LISTVIEW_CLASSES = 0x0001;
constexpr std::uint32_t ICC_TREEVIEW_CLASSES = 0x0002;
constexpr std::uint32_t ICC_BAR_CLASSES = 0x0004;
constexpr std::uint32_t ICC_UPDOWN_CLASS = 0x0010;
constexpr std::uint32_t ICC_PROGRESS_CLASS = 0x0020;
constexpr std::uint32_t ICC_DATE_CLASSES = 0x0100;

YOL_API bool InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
YOL_API void InitCommonControls();
