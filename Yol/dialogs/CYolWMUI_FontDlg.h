#pragma once
// The font dialog: a face, a size and four styles for one of the program's
// fonts, with a live preview scaled to the screen. It edits one
// program-wide LOGFONTW that the caller fills through the constructor and
// reads back after result 1; heights are stored unscaled.

#include "CYolWMUI_SkinnedDlg.h"
#include "Drawing/Font.h"

namespace UI {

class CYolWMUI_FontDlg : public CYolWMUI_OkCancelDlg {
public:
    // The sizes offered, as LOGFONTW heights.
    static constexpr int kSizes[] = {8, 9, 10, 11, 12, 13, 14, 16, 20, 24, 28, 36};
    // The entry selected when the record's height is none of them ("13").
    static constexpr int kFallbackSizeIndex = 5;

    // Copies `start` into the working record; a face name without its
    // terminator is cut to the record's room.
    explicit CYolWMUI_FontDlg(const LOGFONTW& start);
    ~CYolWMUI_FontDlg() override;
    CYolWMUI_FontDlg(const CYolWMUI_FontDlg&) = delete;
    CYolWMUI_FontDlg& operator=(const CYolWMUI_FontDlg&) = delete;

    std::intptr_t DoModal(HWND parent);
    static const LOGFONTW& Result();
    // The font the preview shows, null before the first preview.
    HFONT PreviewFont() const { return m_previewFont; }

    // A height on the screen: sign(h) x ((|h| x dpi_y + 48) / 96).
    static int ScaleHeight(int height);

    void OnInitDialog() override;
    int DoDataExchange(int save) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;

private:
    // The dialog's choices over a copy of the working record; a list with
    // nothing selected keeps the record's face or height.
    LOGFONTW Chosen() const;
    void MakePreview();
    void FillFaces();
    void FillSizes();

    HFONT m_previewFont = nullptr;
};

} // namespace UI
