#pragma once
// The progress bar: a frame filled from the left (from the bottom with
// PBS_VERTICAL) in proportion to where its position stands in its range.
// The position always stays within the range; a range whose high end lies
// below its low end is the empty range at the low end.

#include "Control.h"
#include "WindowSystem/Messages.h"

#include <cstdint>

constexpr const char16_t* PROGRESS_CLASS = u"progress";

constexpr std::uint32_t PBS_VERTICAL = 0x0004;

// lParam MAKELPARAM(low, high), both 0-65535; answers the previous range as
// MAKELPARAM(low, high).
constexpr UINT PBM_SETRANGE = 0x0150;
// wParam the position; answers the previous one.
constexpr UINT PBM_SETPOS = 0x0151;
// wParam the amount to add (signed); answers the previous position.
constexpr UINT PBM_DELTAPOS = 0x0152;
// wParam the amount PBM_STEPIT adds; answers the previous step.
constexpr UINT PBM_SETSTEP = 0x0153;
// Adds the step, wrapping round to the low end past the high end; answers
// the previous position.
constexpr UINT PBM_STEPIT = 0x0154;
// wParam the low end, lParam the high end, signed 32-bit; answers the
// previous range as PBM_SETRANGE does.
constexpr UINT PBM_SETRANGE32 = 0x0155;
// wParam non-zero for the low end, zero for the high end; lParam a PBRANGE*
// that receives both (may be null).
constexpr UINT PBM_GETRANGE = 0x0156;
constexpr UINT PBM_GETPOS = 0x0157;

struct PBRANGE {
    int iLow = 0;
    int iHigh = 0;
};
