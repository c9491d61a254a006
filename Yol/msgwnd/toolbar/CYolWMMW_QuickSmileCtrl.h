#pragma once
// The smilies bar: a strip of animated smileys below the chat tabs that a
// tap (or Enter on the selected cell) puts into the editor. It starts with
// the first smileys of the set that fit and afterwards keeps the most
// recently picked ones at its left end; cells that no longer fit at the
// right end are dropped.
//
// UI thread only.

#include "CYolArray.h"
#include "CYolWMSmile_Anim.h"
#include "CYolWMUI_WndBase.h"

namespace MW {

class CYolWMMW_QuickSmileCtrl : public UI::CYolWMUI_Wnd, public Smile::MYolWMSmile_AnimObserver {
public:
    class MQuickSmileCtrlObserver {
    public:
        virtual void OnSmileSelected(CYolWMMW_QuickSmileCtrl* bar, int smile) = 0;

    protected:
        ~MQuickSmileCtrlObserver() = default;
    };

    struct TSmileInfo {
        // Owned; deleted with the cell.
        Smile::CYolWMSmile_Anim* picture = nullptr;
        int x = 0;
        int y = 0;
        // Its frame changed since the last paint.
        bool dirty = false;
    };

    // A visible child of `parent`; null when the window could not be made.
    static CYolWMMW_QuickSmileCtrl* Create(HWND parent, const RECT& rect, MQuickSmileCtrlObserver* observer);

    explicit CYolWMMW_QuickSmileCtrl(MQuickSmileCtrlObserver* observer);
    ~CYolWMMW_QuickSmileCtrl() override;
    CYolWMMW_QuickSmileCtrl(const CYolWMMW_QuickSmileCtrl&) = delete;
    CYolWMMW_QuickSmileCtrl& operator=(const CYolWMMW_QuickSmileCtrl&) = delete;

    // The first smileys of the set that fit, smiley 0 leftmost; while the set
    // is loading or empty the bar stays empty and fills itself later.
    void Fill();
    // The smiley goes first unless it is already in the bar.
    void AddRecent(int smile);
    // Empty, to be filled again from the next set.
    void Reset();

    int Count() const { return entries.Count(); }
    const TSmileInfo& Entry(int index) const { return entries[index]; }
    int SmileAt(int index) const { return entries[index].picture->Smile(); }
    int Selection() const { return selection; }
    bool NeedsFill() const { return needsFill; }
    // The cell under a client x, or -1.
    int CellAt(int x) const;
    // max(38 px, the picture's width).
    int CellWidth(int index) const;

    void OnWindowPosChanged(WINDOWPOS* pos) override;
    void OnKeyDown(int key) override;
    void OnChar(char16_t character, long data) override;
    void OnLButtonDown(int keys, POINT point) override;
    void OnSetFocus(HWND other) override;
    void OnKillFocus(HWND other) override;
    int OnGetDlgCode() override;
    void Paint(HDC hdc) override;
    void PaintX(HDC hdc) override;
    HBRUSH GetBkBrush() override;
    void OnFrameChanged(Smile::CYolWMSmile_Anim* picture) override;

private:
    void Clear();
    void Trim();
    void Position();
    void MoveFocus(bool backwards);
    void DrawCell(HDC hdc, const TSmileInfo& entry);

    CYolArray<TSmileInfo> entries;
    int selection = -1;
    bool needsFill = true;
    MQuickSmileCtrlObserver* observer;
};

// The drawn size of a smiley of the current set; 0 x 0 when it has none.
SIZE SmileSize(int smile);
// Draws a picture's current frame with its top-left corner at `at`.
void DrawSmilePicture(HDC hdc, const Smile::CYolWMSmile_Anim& picture, POINT at);

} // namespace MW
