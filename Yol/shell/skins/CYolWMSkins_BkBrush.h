#pragma once
// Skins::CYolWMSkins_BkBrush: the brush every skinned window paints its
// background with, a pattern of the skin's background picture as big as the
// screen, so that tiles line up from window to window.

#include "CSkinColourSource.h"
#include "PlatformTypes.h"

#include <atomic>

namespace Skins {

class CYolWMSkins_ImageManager;

class CYolWMSkins_BkBrush {
public:
    CYolWMSkins_BkBrush() = default;
    ~CYolWMSkins_BkBrush();
    CYolWMSkins_BkBrush(const CYolWMSkins_BkBrush&) = delete;
    CYolWMSkins_BkBrush& operator=(const CYolWMSkins_BkBrush&) = delete;

    // Builds the brush from the skin's background picture (white where the
    // skin has none); the manager must outlive this object.
    void Create(CYolWMSkins_ImageManager& images);
    // The brush again from the same manager (the skin changed).
    void Reload();
    // Null before Create.
    HBRUSH GetBrush() const { return brush.load(); }

private:
    void Free();

    CYolWMSkins_ImageManager* images = nullptr;
    // Read by the skin service on the plug-ins' threads.
    std::atomic<HBRUSH> brush{nullptr};
};

// The skin service's colours from the UI's skin: this background brush and
// skin colour 22.
class CYolWMSkins_ColourSource final : public CSkinColourSource {
public:
    explicit CYolWMSkins_ColourSource(const CYolWMSkins_BkBrush& background) : background(background) {}
    HBRUSH GetBackgroundBrush() const override { return background.GetBrush(); }
    COLORREF GetTextColour() const override;

private:
    const CYolWMSkins_BkBrush& background;
};

// A bitmap of the window's client size filled with the brush, its pattern
// anchored where the screen's is (the caller deletes it).
HBITMAP CreateBkBitmap(const HBRUSH& brush, HWND window);

// Gives a list view the skin's background, tiled, and the skin's text colour.
void SkinListView(HWND listView, HBRUSH background);

}  // namespace Skins
