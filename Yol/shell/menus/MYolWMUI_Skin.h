#pragma once
// What the pop-up menu and the status bar need of the current skin: its
// colours (Skins::TSkinColor) and images (Skins::TSkinImage) by their
// numbers, and the background brush. The application installs the one that
// draws from its skin store (CYolWMUI_StoreSkin); until it does, nothing is
// drawn and every colour is black.

#include "Drawing/Gdi.h"
#include "PlatformTypes.h"
#include "SkinColors.h"
#include "SkinImages.h"

namespace UI {

class MYolWMUI_Skin {
public:
    virtual ~MYolWMUI_Skin() = default;

    virtual COLORREF GetSkinColor(int index) = 0;
    // The image scaled into a square of 16 logical pixels at `at`, blended
    // with the constant `alpha` (0-255) over its own; id -1 draws nothing.
    virtual void DrawImage(HDC dc, int imageId, const POINT& at, int alpha) = 0;
    // The image stretched into `rect`, blended as DrawImage does.
    virtual void DrawImageRect(HDC dc, int imageId, const RECT& rect, int alpha) = 0;
    virtual HBRUSH GetBkBrush() = 0;
};

// The skin the shell's windows draw with; never null. Null restores the
// one that draws nothing.
MYolWMUI_Skin& ShellSkin();
void SetShellSkin(MYolWMUI_Skin* skin);


} // namespace UI
