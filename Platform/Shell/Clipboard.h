#pragma once
// The clipboard: one per process, holding data blocks by format. The text
// format is UTF-16 with a terminator (CF_UNICODETEXT).
//
// A thread opens it, empties it to become its owner, hands it blocks and
// closes it; a block given to the clipboard belongs to the clipboard from
// then on. Blocks are movable memory: lock for a pointer, unlock when done.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstddef>
#include <string>
#include <string_view>

using HANDLE = void*;
using HGLOBAL = void*;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// Null when bytes cannot be had. The contents start zeroed.
YOL_API HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes);
YOL_API void* GlobalLock(HGLOBAL block);
YOL_API bool GlobalUnlock(HGLOBAL block);
// The size asked for at allocation; 0 for an unknown handle.
YOL_API std::size_t GlobalSize(HGLOBAL block);
// Answers null when freed, the handle itself when it could not be (unknown,
// or owned by the clipboard).
YOL_API HGLOBAL GlobalFree(HGLOBAL block);

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_UNICODETEXT = 13;

// Fails while another thread has it open.
YOL_API bool OpenClipboard(HWND owner);
YOL_API bool CloseClipboard();
// Drops every block; the opener becomes the owner. Only while open.
YOL_API bool EmptyClipboard();
// Only while open; answers the block, which the clipboard now owns. A
// second block of a format replaces the first.
YOL_API HANDLE SetClipboardData(UINT format, HANDLE data);
// Only while open; the block stays the clipboard's.
YOL_API HANDLE GetClipboardData(UINT format);
YOL_API bool IsClipboardFormatAvailable(UINT format);
YOL_API HWND GetClipboardOwner();

namespace Platform {
// The controls' way in: the whole text (up to its terminator) or empty, and
// replacing the clipboard with text. Writing fails while another thread
// has the clipboard open.
YOL_API std::u16string ReadClipboardText();
YOL_API bool WriteClipboardText(std::u16string_view text, HWND owner);
} // namespace Platform
