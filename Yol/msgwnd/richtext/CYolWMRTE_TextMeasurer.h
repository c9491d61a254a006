#pragma once
// How the layout measures a run of text: all its characters at once, giving
// the cumulative extent after each one and the font's line height. The
// screen measurer asks the drawing layer; tests put in measurers of their
// own to know every width in advance.

#include "PlatformTypes.h"

namespace RTE {

class MTextMeasurer {
public:
    virtual ~MTextMeasurer() = default;
    // extents receives count values (the width up to and including each
    // character); height the line height of the font.
    virtual void Measure(HFONT font, const char16_t* text, int count, int* extents, int* height) = 0;
};

// Measures with the drawing layer on a memory context of the screen.
class CYolWMRTE_ScreenMeasurer final : public MTextMeasurer {
public:
    CYolWMRTE_ScreenMeasurer();
    ~CYolWMRTE_ScreenMeasurer() override;
    CYolWMRTE_ScreenMeasurer(const CYolWMRTE_ScreenMeasurer&) = delete;
    CYolWMRTE_ScreenMeasurer& operator=(const CYolWMRTE_ScreenMeasurer&) = delete;

    void Measure(HFONT font, const char16_t* text, int count, int* extents, int* height) override;

private:
    HDC m_dc;
};

} // namespace RTE
