#include "MYolWMUI_Skin.h"

namespace UI {

namespace {

class CBlankSkin : public MYolWMUI_Skin {
public:
    COLORREF GetSkinColor(int) override { return 0; }
    void DrawImage(HDC, int, const POINT&, int) override {}
    void DrawImageRect(HDC, int, const RECT&, int) override {}
    HBRUSH GetBkBrush() override { return GetSysColorBrush(COLOR_WINDOW); }
};

CBlankSkin g_blankSkin;
// Read and set on the UI thread only.
MYolWMUI_Skin* g_skin = &g_blankSkin;

} // namespace

MYolWMUI_Skin& ShellSkin()
{
    return *g_skin;
}

void SetShellSkin(MYolWMUI_Skin* skin)
{
    g_skin = skin != nullptr ? skin : &g_blankSkin;
}

} // namespace UI
