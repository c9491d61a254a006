#pragma once
// Key codes carried by WM_KEYDOWN / WM_KEYUP, and the keyboard state.
//
// The codes follow the handheld's key numbering, because the program names
// some keys by number (0x75 and 0x76 are its volume keys, F1 and F2 its soft
// keys). Letters and digits are their upper-case ASCII codes.

#include "PlatformTypes.h"
#include "YolTypes.h"

constexpr unsigned VK_BACK = 0x08;
constexpr unsigned VK_TAB = 0x09;
constexpr unsigned VK_RETURN = 0x0D;
constexpr unsigned VK_SHIFT = 0x10;
constexpr unsigned VK_CONTROL = 0x11;
constexpr unsigned VK_MENU = 0x12;
constexpr unsigned VK_ESCAPE = 0x1B;
constexpr unsigned VK_SPACE = 0x20;
constexpr unsigned VK_PRIOR = 0x21;
constexpr unsigned VK_NEXT = 0x22;
constexpr unsigned VK_END = 0x23;
constexpr unsigned VK_HOME = 0x24;
constexpr unsigned VK_LEFT = 0x25;
constexpr unsigned VK_UP = 0x26;
constexpr unsigned VK_RIGHT = 0x27;
constexpr unsigned VK_DOWN = 0x28;
constexpr unsigned VK_INSERT = 0x2D;
constexpr unsigned VK_DELETE = 0x2E;
// The key the handheld sends before a volume key that should change the
// volume rather than reach the program.
constexpr unsigned VK_VOLUME_PREFIX = 0x5C;
constexpr unsigned VK_F1 = 0x70; // left soft key
constexpr unsigned VK_F2 = 0x71; // right soft key
constexpr unsigned VK_F6 = 0x75; // volume up
constexpr unsigned VK_F7 = 0x76; // volume down
constexpr unsigned VK_LSHIFT = 0xA0;
constexpr unsigned VK_RSHIFT = 0xA1;
constexpr unsigned VK_LCONTROL = 0xA2;
constexpr unsigned VK_RCONTROL = 0xA3;

// The state of a key as the key messages taken from the queues so far have
// left it: the high bit (the value is negative) while the key is down. VK_SHIFT and
// VK_CONTROL stand for either key of the pair.
YOL_API short GetKeyState(unsigned vk);
