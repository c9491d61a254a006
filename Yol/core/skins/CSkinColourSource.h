#pragma once
// The skin's colours as the skin service hands them to the plug-ins: the
// background brush every skinned window paints with and the text colour
// (skin colour 22). The UI's skin tools are the real source;
// CSkinColourHolder keeps both as plain values for a program without
// windows.

#include "PlatformTypes.h"

#include <atomic>
#include <cstdint>

namespace Skins {

constexpr COLORREF MakeColour(unsigned char red, unsigned char green, unsigned char blue) {
    return COLORREF(red) | (COLORREF(green) << 8) | (COLORREF(blue) << 16);
}

class CSkinColourSource {
public:
    virtual HBRUSH GetBackgroundBrush() const = 0;
    // Skin colour 22.
    virtual COLORREF GetTextColour() const = 0;

protected:
    ~CSkinColourSource() = default;
};

// Thread-safe: each value is read and replaced whole.
class CSkinColourHolder final : public CSkinColourSource {
public:
    // No brush, black text until a skin is applied.
    CSkinColourHolder() = default;
    CSkinColourHolder(HBRUSH brush, COLORREF textColour) : brush(brush), textColour(textColour) {}

    HBRUSH GetBackgroundBrush() const override { return brush.load(); }
    COLORREF GetTextColour() const override { return textColour.load(); }
    void SetBackgroundBrush(HBRUSH value) { brush.store(value); }
    void SetTextColour(COLORREF value) { textColour.store(value); }

private:
    std::atomic<HBRUSH> brush{nullptr};
    std::atomic<COLORREF> textColour{0};
};

}  // namespace Skins
