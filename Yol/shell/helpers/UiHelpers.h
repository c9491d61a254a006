#pragma once
// Small helpers the shell, the message windows and the preference dialogs
// share: clipboard text, window and control text, and the soft-key captions
// of the simple OK/Cancel dialogs.

#include "CYolString.h"
#include "PlatformTypes.h"

// Puts the text (length -1: up to its terminator) on the clipboard as
// Unicode text; false when the clipboard could not be had.
bool SetClipboardText(const char16_t* text, int length = -1);
// Copies the clipboard's text with a terminator into `buffer` and answers its
// length in characters; when it does not fit in `capacity` characters
// nothing is copied and the capacity needed is answered; 0 when the
// clipboard holds no text.
int GetClipboardText(char16_t* buffer, int capacity);
bool HasClipboardText();

void SetWindowTextString(HWND window, const CYolString& text);
void GetWindowTextString(HWND window, CYolString& text);

// A look-up of UI strings by id: true with the text when it knows the id.
using UiStringSource = bool (*)(int id, CYolString& text);
void GetComboSelText(HWND combo, CYolString& text);
// The first selected item, -1 when none is.
int GetListViewSelIndex(HWND listView);

// Caption 0 "OK", 1 "Cancel" (UI strings 276 and 277); any other key leaves
// `caption` as it is. Always true.
bool GetOkCancelSoftKeyCap(int key, CYolString& caption, UiStringSource strings);

// Fills `rect` with a vertical gradient from `top` to `bottom`.
void FillVerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom);
