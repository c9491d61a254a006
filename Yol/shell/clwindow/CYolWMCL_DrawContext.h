#pragma once
// UI_CL::CYolWMCL_DrawContext: paints the contact-list rows the items ask
// for onto a device context, with the skin's pictures and colours. Positions
// inside a row are logical pixels from the row's left edge, scaled to the
// screen. Names come from the network: they are drawn as literal text.

#include "CYol_CLItem.h"
#include "PlatformTypes.h"

namespace Skins {
class CYolWMSkins_ImageManager;
}

namespace UI_CL {

class CYolWMCL_DrawContext : public CL::CYol_CLDrawContext {
public:
    // tickCount decides the blinking half-second of event images.
    CYolWMCL_DrawContext(HDC dc, Skins::CYolWMSkins_ImageManager& images, bool dontShowIcons, unsigned int tickCount);

    void DrawSelection(int top, int left, int bottom, int right) override;
    void DrawAccountRow(int top, int left, int bottom, int right, bool expanded, int icon, const CYolString& caption,
                        bool highlighted) override;
    void DrawGroupRow(int top, int left, int bottom, int right, bool expanded, const CYolString& caption,
                      bool selected, int online, int total) override;
    void DrawContactRow(int top, int left, int bottom, int right, const CL::CYol_CLContactRow& row) override;

private:
    void Gradient(const RECT& rect, COLORREF from, COLORREF to);
    // A 16 x 16 logical picture whose left edge is at x, centred on the row.
    void Image(int id, int x, int middle);
    void Images(const CYolArray<unsigned int>& ids, int x, int middle);
    // Left edge x; answers the right edge of what was drawn.
    int Text(const CYolString& text, int x, int top, int right, int bottom, COLORREF color, unsigned int flags);

    HDC dc;
    Skins::CYolWMSkins_ImageManager& images;
    bool dontShowIcons;
    unsigned int tickCount;
};

}  // namespace UI_CL
