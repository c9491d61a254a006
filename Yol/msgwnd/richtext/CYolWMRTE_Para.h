#pragma once
// One paragraph of a rich-text document: its text and the format runs that
// cover it. A run gives a stretch of text a format kind that only the
// document's owner understands, or stands for one inline picture, whose
// place in the text is one U+FFFC. U+2028 breaks the line inside the
// paragraph.

#include "CRTEPicture.h"
#include "CYolArray.h"

namespace RTE {

constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kObjectReplacement = 0xFFFC;
// The run kinds the engine itself gives a meaning to.
constexpr int kPictureKind = 0;
constexpr int kLinkKind = 9;

// A picture run has length 1: its one character is the picture's place.
struct TFormat {
    int start = 0;
    int length = 0;
    CRTEPicture* picture = nullptr;
    int kind = 0;

    bool IsPicture() const { return kind == kPictureKind; }
    int End() const { return start + (IsPicture() ? 1 : length); }
};

class CYolWMRTE_Para {
public:
    // An empty paragraph with room for capacity characters; it grows when
    // more are appended.
    explicit CYolWMRTE_Para(int capacity);
    // A copy of a built paragraph's text and runs.
    CYolWMRTE_Para(const char16_t* text, const CYolArray<TFormat>& formats);
    CYolWMRTE_Para(const CYolWMRTE_Para&) = delete;
    CYolWMRTE_Para& operator=(const CYolWMRTE_Para&) = delete;
    // The pictures stay with their owner.
    ~CYolWMRTE_Para();

    // CR, LF, CR LF and LF CR each become one line separator. Text appended
    // in the kind of the last run extends that run.
    void AppendText(const char16_t* str, int count, int kind);
    void AppendChar(char16_t ch, int kind);
    void AppendPicture(CRTEPicture* picture);

    // Characters first..last (last -1: to the end) as a new string the caller
    // frees with delete[]: line separators become CR LF and pictures their
    // text.
    char16_t* GetText(int first, int last) const;

    // Index of the run holding pos; -1 without runs.
    int FindRunAt(int pos) const;
    CRTEPicture* GetPictureAt(int pos) const;
    // The first run showing picture, else the last run (-1 without runs).
    int FindPictureRun(CRTEPicture* picture) const;
    // Puts text in the place of the picture, as a run of kind.
    void ReplacePicture(CRTEPicture* picture, const char16_t* text, int textLength, int kind);

    const char16_t* Text() const { return m_text; }
    // End of the last run.
    int Length() const;
    const CYolArray<TFormat>& Formats() const { return m_formats; }

private:
    void Reserve(int more);
    void AddRun(int start, int count, int kind);

    char16_t* m_text = nullptr;
    int m_used = 0;
    int m_capacity = 0;
    CYolArray<TFormat> m_formats;
};

} // namespace RTE
