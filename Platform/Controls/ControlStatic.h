#pragma once
// The static control: a label that draws its text in the parent's static
// colours. With SS_NOTIFY a tap on it tells the parent STN_CLICKED.

#include "Control.h"

#include <cstdint>

constexpr std::uint32_t SS_LEFT = 0x0000;
constexpr std::uint32_t SS_CENTER = 0x0001;
constexpr std::uint32_t SS_RIGHT = 0x0002;
// Vertically centred, one line.
constexpr std::uint32_t SS_CENTERIMAGE = 0x0200;
constexpr std::uint32_t SS_LEFTNOWORDWRAP = 0x000C;
constexpr std::uint32_t SS_NOPREFIX = 0x0080;
constexpr std::uint32_t SS_NOTIFY = 0x0100;
constexpr std::uint32_t SS_TYPEMASK = 0x000F;

constexpr unsigned STN_CLICKED = 0;
