#pragma once
// The layout of a whole document for one width: a paragraph layout per
// paragraph, stacked top to bottom, and the geometric questions the view
// and the control ask in layout coordinates (caret point of a position,
// position under a point, line bounds, visible paragraphs).

#include "CYolWMRTE_ParaLayout.h"

#include <memory>

namespace RTE {

// A caret place: paragraph, character, and whether the caret stands after
// the character rather than before it.
struct TPosition {
    int para = 0;
    int ch = 0;
    int after = 0;

    friend bool operator==(const TPosition&, const TPosition&) = default;
    friend auto operator<=>(const TPosition&, const TPosition&) = default;
};

struct TCaretPoint {
    int x = 0;
    int y = 0;
    int height = 0;
};

struct TLineRect {
    int firstSlice = 0;
    int lastSlice = 0;
    int top = 0;
    int bottom = 0;
};

using TDocument = CYolArray<CYolWMRTE_Para*>;

// Device pixels per logical pixel, at least 1.
int ScaleFactorX();
int ScaleFactorY();

class CYolWMRTE_TextLayout final : public CYolWMRTE_ParaLayout::MParaLayoutObserver {
public:
    class MObserver {
    public:
        virtual void GetPartFont(HFONT& font, int kind) = 0;

    protected:
        ~MObserver() = default;
    };

    // Without a measurer the layout measures on the screen.
    CYolWMRTE_TextLayout(const TDocument* document, int width, MObserver* observer,
                         MTextMeasurer* measurer = nullptr);
    ~CYolWMRTE_TextLayout();
    CYolWMRTE_TextLayout(const CYolWMRTE_TextLayout&) = delete;
    CYolWMRTE_TextLayout& operator=(const CYolWMRTE_TextLayout&) = delete;

    void LayoutAll();
    // The last paragraph again, or the next one that has no layout yet.
    void LayoutNew();
    void LayoutTail(int n);
    // Breaks first..last again; the paragraphs after them only move.
    void LayoutRange(int first, int last);
    // Drops every paragraph layout.
    void Reset();

    int Width() const { return m_width; }
    void SetWidth(int width) { m_width = width; }
    int GetHeight() const;
    int LaidOutCount() const { return m_paras.Count(); }
    const CYolWMRTE_ParaLayout* Para(int index) const;

    TCaretPoint PositionToPoint(const TPosition& position) const;
    TPosition PointToPosition(POINT point) const;
    void GetLineBounds(const TPosition& position, int& first, int& last) const;
    TLineRect GetLineRect(const TPosition& position) const;
    // -1, -1 without paragraphs.
    void GetVisibleParas(const RECT& rect, int& first, int& last) const;

    // MParaLayoutObserver
    const char16_t* GetParaText(int index) override;
    const CYolArray<TFormat>& GetParaFormats(int index) override;
    int GetWidth() override;
    void GetPartFont(HFONT& font, int kind) override;
    MTextMeasurer& GetMeasurer() override { return *m_measurer; }

private:
    int ParaCount() const { return m_document != nullptr ? m_document->Count() : 0; }
    // Lays out paragraph index (its layout made when missing) below the one
    // before it.
    void LayoutAt(int index);
    void PlaceBelow(int index);

    const TDocument* m_document;
    int m_width;
    CYolArray<CYolWMRTE_ParaLayout*> m_paras;
    MObserver* m_observer;
    std::unique_ptr<MTextMeasurer> m_ownMeasurer;
    MTextMeasurer* m_measurer;
};

} // namespace RTE
