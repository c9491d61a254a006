#pragma once
// The pop-up menu's font, shared by its layout and its painting.

#include "CYolString.h"
#include "Drawing/Gdi.h"
#include "Shell/ShellScreen.h"

#include <algorithm>
#include <string_view>

namespace UI {

// The bold face of the entries and the title, made for measuring and for
// each paint.
class CMenuFont {
public:
    CMenuFont()
    {
        LOGFONTW lf;
        lf.lfHeight = Platform::ScaleY(13);
        lf.lfWeight = FW_BOLD;
        const std::u16string_view face = u"MS Sans Serif";
        std::copy(face.begin(), face.end(), lf.lfFaceName);
        font = CreateFontIndirect(&lf);
    }
    ~CMenuFont() { DeleteObject(font); }
    CMenuFont(const CMenuFont&) = delete;
    CMenuFont& operator=(const CMenuFont&) = delete;

    int Width(const CYolString& text) const
    {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font);
        SIZE size{0, 0};
        GetTextExtentPoint32(dc, text.c_str(), text.Length(), &size);
        SelectObject(dc, old);
        DeleteDC(dc);
        return size.cx;
    }

    HFONT font = nullptr;
};

} // namespace UI
