// Dialog units and the dialog-item shorthands.

#include "Dialog.h"

#include "DialogImpl.h"
#include "Drawing/Gdi.h"
#include "Shell/ShellScreen.h"

#include <map>
#include <mutex>
#include <utility>

using namespace Platform;

namespace Platform {

int DialogUnitsToPixels(int du, int unit, int per)
{
    const long long scaled = static_cast<long long>(du) * unit;
    return static_cast<int>(scaled >= 0 ? (scaled + per / 2) / per : -((-scaled + per / 2) / per));
}

SIZE DialogBaseUnits(const char16_t* fontFace, int pointSize)
{
    const std::u16string face = fontFace && *fontFace ? fontFace : u"MS Shell Dlg";
    const int dpi = GetScreen().dpiY;
    // Measuring takes Pango a while; dialogs ask again and again.
    static std::mutex lock;
    static std::map<std::pair<std::u16string, std::pair<int, int>>, SIZE> cache;
    const auto key = std::make_pair(face, std::make_pair(pointSize, dpi));
    {
        std::lock_guard<std::mutex> guard(lock);
        auto it = cache.find(key);
        if (it != cache.end())
            return it->second;
    }
    LOGFONTW lf;
    lf.lfHeight = -((pointSize * dpi + 36) / 72);
    lf.lfWeight = FW_NORMAL;
    face.copy(lf.lfFaceName, LF_FACESIZE - 1);
    HFONT font = CreateFontIndirect(&lf);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm;
    GetTextMetrics(dc, &tm);
    static const char16_t kAlphabet[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent;
    GetTextExtentPoint32(dc, kAlphabet, 52, &extent);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    // The average of the 52 letters, rounded.
    SIZE units{(extent.cx / 26 + 1) / 2, tm.tmHeight};
    std::lock_guard<std::mutex> guard(lock);
    cache[key] = units;
    return units;
}

} // namespace Platform

bool MapDialogRect(HWND dialog, RECT* rect)
{
    std::shared_ptr<DialogData> d = FindDialog(dialog);
    if (!d || !rect)
        return false;
    SIZE base;
    {
        WindowLock lock;
        base = d->baseUnits;
    }
    rect->left = DialogUnitsToPixels(rect->left, base.cx, 4);
    rect->right = DialogUnitsToPixels(rect->right, base.cx, 4);
    rect->top = DialogUnitsToPixels(rect->top, base.cy, 8);
    rect->bottom = DialogUnitsToPixels(rect->bottom, base.cy, 8);
    return true;
}

bool SetDlgItemText(HWND dialog, int id, const char16_t* text)
{
    return SetWindowText(GetDlgItem(dialog, id), text);
}

int GetDlgItemText(HWND dialog, int id, char16_t* buffer, int maxCount)
{
    return GetWindowText(GetDlgItem(dialog, id), buffer, maxCount);
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return SendMessage(GetDlgItem(dialog, id), msg, wParam, lParam);
}
