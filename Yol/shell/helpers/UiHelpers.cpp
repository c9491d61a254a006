#include "UiHelpers.h"

#include "Controls/ControlCombo.h"
#include "Controls/ControlListView.h"
#include "Drawing/Gdi.h"
#include "Shell/Clipboard.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"

#include <cstring>
#include <vector>

namespace {

// Closes the clipboard on every way out.
class ClipboardSession {
public:
    ClipboardSession() : open(OpenClipboard(nullptr)) {}
    ~ClipboardSession() {
        if (open)
            CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool IsOpen() const { return open; }

private:
    bool open;
};

int TextLength(const char16_t* text) {
    int length = 0;
    while (text[length] != 0)
        ++length;
    return length;
}

}  // namespace

bool SetClipboardText(const char16_t* text, int length) {
    if (text == nullptr)
        return false;
    if (length < 0)
        length = TextLength(text);
    const std::size_t bytes = (static_cast<std::size_t>(length) + 1) * sizeof(char16_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block == nullptr)
        return false;
    auto* units = static_cast<char16_t*>(GlobalLock(block));
    std::memcpy(units, text, static_cast<std::size_t>(length) * sizeof(char16_t));
    units[length] = 0;
    GlobalUnlock(block);

    ClipboardSession session;
    if (!session.IsOpen() || !EmptyClipboard() || SetClipboardData(CF_UNICODETEXT, block) == nullptr) {
        GlobalFree(block);
        return false;
    }
    return true;
}

int GetClipboardText(char16_t* buffer, int capacity) {
    ClipboardSession session;
    if (!session.IsOpen())
        return 0;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr)
        return 0;
    const std::size_t size = GlobalSize(data);
    const std::size_t units = size / sizeof(char16_t);
    if (buffer == nullptr || capacity < 0 || static_cast<std::size_t>(capacity) < units + 1)
        return static_cast<int>(units + 1);
    const void* source = GlobalLock(data);
    if (source == nullptr)
        return 0;
    std::memcpy(buffer, source, units * sizeof(char16_t));
    buffer[units] = 0;
    GlobalUnlock(data);
    return static_cast<int>(units);
}

bool HasClipboardText() { return IsClipboardFormatAvailable(CF_UNICODETEXT); }

void SetWindowTextString(HWND window, const CYolString& text) {
    SetWindowText(window, text.IsEmpty() ? nullptr : text.c_str());
}

void GetWindowTextString(HWND window, CYolString& text) {
    const int length = GetWindowTextLength(window);
    if (length <= 0) {
        text = CYolString();
        return;
    }
    std::vector<char16_t> buffer(static_cast<std::size_t>(length) + 1);
    const int got = GetWindowText(window, buffer.data(), length + 1);
    text = CYolString(buffer.data(), got > 0 ? got : 0);
}

void GetComboSelText(HWND combo, CYolString& text) {
    text = CYolString();
    const LRESULT index = SendMessage(combo, CB_GETCURSEL, 0, 0);
    if (index < 0)
        return;
    const LRESULT length = SendMessage(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0)
        return;
    std::vector<char16_t> buffer(static_cast<std::size_t>(length) + 1);
    const LRESULT got = SendMessage(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                    reinterpret_cast<LPARAM>(buffer.data()));
    if (got > 0)
        text = CYolString(buffer.data(), static_cast<int>(got < length ? got : length));
}

int GetListViewSelIndex(HWND listView) {
    const int count = static_cast<int>(SendMessage(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if ((SendMessage(listView, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED) & LVIS_SELECTED) != 0)
            return i;
    return -1;
}

bool GetOkCancelSoftKeyCap(int key, CYolString& caption, UiStringSource strings) {
    static constexpr int kCaptions[] = {276, 277};
    if (key >= 0 && key < 2 && strings != nullptr)
        strings(kCaptions[key], caption);
    return true;
}

namespace {
TRIVERTEX Vertex(int x, int y, COLORREF color) {
    TRIVERTEX v;
    v.x = x;
    v.y = y;
    v.Red = static_cast<std::uint16_t>(GetRValue(color) << 8);
    v.Green = static_cast<std::uint16_t>(GetGValue(color) << 8);
    v.Blue = static_cast<std::uint16_t>(GetBValue(color) << 8);
    return v;
}
}  // namespace

void FillVerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom) {
    TRIVERTEX vertices[2] = {Vertex(rect.left, rect.top, top), Vertex(rect.right, rect.bottom, bottom)};
    GRADIENT_RECT mesh{0, 1};
    GradientFill(dc, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_V);
}
