#include "CYolWMRTE_TextMeasurer.h"

#include "Drawing/Gdi.h"

namespace RTE {

CYolWMRTE_ScreenMeasurer::CYolWMRTE_ScreenMeasurer() : m_dc(CreateCompatibleDC(nullptr)) {}

CYolWMRTE_ScreenMeasurer::~CYolWMRTE_ScreenMeasurer()
{
    if (m_dc != nullptr)
        DeleteDC(m_dc);
}

void CYolWMRTE_ScreenMeasurer::Measure(HFONT font, const char16_t* text, int count, int* extents, int* height)
{
    *height = 0;
    for (int i = 0; i < count; ++i)
        extents[i] = 0;
    if (m_dc == nullptr)
        return;
    HGDIOBJ previous = font != nullptr ? SelectObject(m_dc, font) : nullptr;
    TEXTMETRICW metrics;
    if (GetTextMetrics(m_dc, &metrics))
        *height = metrics.tmHeight;
    if (count > 0)
        GetTextExtentExPoint(m_dc, text, count, 0, nullptr, extents, nullptr);
    if (previous != nullptr)
        SelectObject(m_dc, previous);
}

} // namespace RTE
