#pragma once
// UI::CYolWMUI_StoreSkin: the shell windows' skin drawn from the program's
// skin store: images from the image manager, colours from the colour table
// GetSkinColor reads, the background from the skin's brush. The application
// makes one after the store and installs it with SetShellSkin; it only reads
// the store, which must outlive it.

#include "CYolWMSkins_BkBrush.h"
#include "CYolWMSkins_ImageManager.h"
#include "MYolWMUI_Skin.h"

namespace UI {

class CYolWMUI_StoreSkin final : public MYolWMUI_Skin {
public:
    CYolWMUI_StoreSkin(Skins::CYolWMSkins_ImageManager& images, const Skins::CYolWMSkins_BkBrush& background)
        : images(images), background(background)
    {
    }

    COLORREF GetSkinColor(int index) override;
    void DrawImage(HDC dc, int imageId, const POINT& at, int alpha) override;
    void DrawImageRect(HDC dc, int imageId, const RECT& rect, int alpha) override;
    // The window colour until the skin's brush is made.
    HBRUSH GetBkBrush() override;

private:
    Skins::CYolWMSkins_ImageManager& images;
    const Skins::CYolWMSkins_BkBrush& background;
};

} // namespace UI
