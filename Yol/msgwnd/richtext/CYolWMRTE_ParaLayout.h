#pragma once
// The layout of one paragraph: its runs broken into lines of slices for the
// width its observer gives, and the geometry inside the paragraph (a
// character's caret point, the character under a point, line bounds). All
// coordinates here are relative to the paragraph's origin.

#include "CYolWMRTE_Para.h"
#include "CYolWMRTE_TextMeasurer.h"

#include <vector>

namespace RTE {

// One piece of one line: characters of one run, or one picture. A text
// slice may be empty (an empty line).
struct CYolWMRTE_ParaLayoutSlice {
    int start = 0;
    int length = 0;
    CRTEPicture* picture = nullptr;
    int kind = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool IsPicture() const { return kind == kPictureKind; }
    int End() const { return start + (IsPicture() ? 1 : length); }
    // Slices of one line share their vertical centre.
    int Centre() const { return y + height / 2; }
};

class CYolWMRTE_ParaLayout {
public:
    class MParaLayoutObserver {
    public:
        virtual const char16_t* GetParaText(int index) = 0;
        virtual const CYolArray<TFormat>& GetParaFormats(int index) = 0;
        virtual int GetWidth() = 0;
        virtual void GetPartFont(HFONT& font, int kind) = 0;
        virtual MTextMeasurer& GetMeasurer() = 0;

    protected:
        ~MParaLayoutObserver() = default;
    };

    struct TLineInfo {
        int firstSlice = 0;
        int lastSlice = 0;
        int top = 0;
        int bottom = 0;
    };

    CYolWMRTE_ParaLayout(int index, MParaLayoutObserver* observer);
    ~CYolWMRTE_ParaLayout();
    CYolWMRTE_ParaLayout(const CYolWMRTE_ParaLayout&) = delete;
    CYolWMRTE_ParaLayout& operator=(const CYolWMRTE_ParaLayout&) = delete;

    // Breaks the paragraph afresh.
    void Layout();

    int Index() const { return m_index; }
    int X() const { return m_x; }
    int Y() const { return m_y; }
    void SetOrigin(int x, int y) { m_x = x; m_y = y; }
    // Bottom of the last line.
    int Height() const { return m_height; }
    const CYolArray<CYolWMRTE_ParaLayoutSlice*>& Slices() const { return m_slices; }

    std::vector<TLineInfo> GetLines() const;
    // The line holding a character (the first line without slices).
    TLineInfo LineOf(int ch) const;
    // Caret point (x, y) and height of a character position.
    void CharToPoint(int ch, bool after, int& x, int& y, int& height) const;
    // The character under a point, and whether the caret stands after it.
    void PointToChar(int dx, int dy, int& ch, bool& after) const;
    // First and last character of the line holding ch.
    void LineBounds(int ch, int& first, int& last) const;

private:
    class CBreaker;

    int SliceOf(int ch) const;
    // Cumulative extents of a text slice's characters.
    std::vector<int> SliceExtents(const CYolWMRTE_ParaLayoutSlice& slice) const;
    void DeleteSlices();

    int m_index;
    int m_x = 0;
    int m_y = 0;
    int m_height = 0;
    CYolArray<CYolWMRTE_ParaLayoutSlice*> m_slices;
    MParaLayoutObserver* m_observer;
};

} // namespace RTE
