#pragma once
// Basic types of the window system that Yol draws on: handles, geometry,
// colours and message parameters. The handheld program was written against a
// platform with these notions; this layer gives them the same meaning on
// Linux.

#include <cstdint>

namespace Platform {
struct Window;
struct DeviceContext;
struct GdiObject;
struct Module;
struct Menu;
} // namespace Platform

using HWND = Platform::Window*;
using HDC = Platform::DeviceContext*;
// Brushes, pens, fonts, bitmaps and regions are all drawing objects.
using HGDIOBJ = Platform::GdiObject*;
using HBRUSH = Platform::GdiObject*;
using HPEN = Platform::GdiObject*;
using HFONT = Platform::GdiObject*;
using HBITMAP = Platform::GdiObject*;
using HRGN = Platform::GdiObject*;
using HINSTANCE = Platform::Module*;
using HMENU = Platform::Menu*;

using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Colours are 0x00BBGGRR, as the stored skins and settings hold them.
using COLORREF = std::uint32_t;
constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr unsigned GetRValue(COLORREF c) { return c & 0xFF; }
constexpr unsigned GetGValue(COLORREF c) { return (c >> 8) & 0xFF; }
constexpr unsigned GetBValue(COLORREF c) { return (c >> 16) & 0xFF; }

struct POINT {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct SIZE {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
};

// Right and bottom are exclusive.
struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT, std::uint32_t);
