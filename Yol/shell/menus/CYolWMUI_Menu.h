#pragma once
// The program's own pop-up menu: shows a CYolMenuInfo as an owner-drawn
// top-level window (skin gradient, images beside bold captions, an optional
// title row, as many columns as the height asks for, cascading sub-menus),
// runs it modally on the calling UI thread and answers what the user chose.
//
// The window object lives for one Popup call; the laid-out entries it shows
// (CYolWMUI_MenuData) are built from the description before the window is
// made and refer to the description's sub-menus, which must outlive the call.

#include "CYolMenuInfo.h"
#include "CYolString.h"
#include "CYolWMUI_WndBase.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace UI {

class CYolWMUI_Menu : public CYolWMUI_WndBase {
public:
    static constexpr const char16_t* kClassName = u"YOLMENUWNDCLASS";

    // What the user chose; the empty result when nothing was.
    struct TResult {
        YolMenuCallback callback = nullptr;
        int commandId = -1;
        void* context = nullptr;
        // The context of the (sub-)menu that holds the chosen entry.
        void* menuContext = nullptr;

        // Sub-menus hand a result on only when this holds.
        bool IsChoice() const { return callback != nullptr || commandId != -1; }
    };

    // Which point of the menu lies on the anchor.
    enum TAlign : int {
        ETopLeft = 0,
        ETopCentre = 1,
        ETopRight = 2,
        EBottomLeft = 3,
        EBottomCentre = 4,
        EBottomRight = 5,
        ELeftMiddle = 6,
        ERightMiddle = 7,
    };

    class CYolWMUI_MenuData;

    // A menu without entries is not shown and answers the empty result.
    static void Popup(TResult& result, const CYolMenuInfo& menu, const RECT& bounds, const POINT& anchor,
                      TAlign align, HWND owner, bool fullScreen, bool forwardTaps);
    // Inside the window's screen rectangle, a corner of the menu on the same
    // corner of the window.
    static void PopupAtRightBottom(TResult& result, const CYolMenuInfo& menu, HWND window, bool fullScreen);
    static void PopupAtLeftBottom(TResult& result, const CYolMenuInfo& menu, HWND window, bool fullScreen);

    // Taller entries for fingers instead of the stylus (the wide-menu
    // preference); set by the application.
    static void SetWideItems(bool wide);

    ~CYolWMUI_Menu() override;

private:
    CYolWMUI_Menu(std::unique_ptr<CYolWMUI_MenuData> data, HWND owner, bool fullScreen, bool forwardTaps);

    TResult DoModal();
    TResult PopupSubMenu(int index);

    void OnKeyDown(int key) override;
    void OnKeyUp(int key) override;
    void OnLButtonDown(int keys, POINT point) override;
    void OnMouseMove(int keys, POINT point) override;
    void OnLButtonUp(int keys, POINT point) override;
    int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC hdc) override;

    void Close(bool choosing);
    void Choose(int index);
    void ForwardTap(POINT point);
    bool IsInside(POINT point) const;
    int HitTest(POINT point) const;
    void ScrollBy(int dx);
    void KeepCurrentColumnVisible();
    void MoveCurrent(int index);
    TResult ResultOf(int index) const;
    void PaintItem(HDC hdc, int index, bool focused);

    std::unique_ptr<CYolWMUI_MenuData> m_data;
    HWND m_owner = nullptr;
    bool m_fullScreen = false;
    bool m_forwardTaps = false;
    int m_current = -1;
    // 0 or negative: how far the columns are moved left.
    int m_scroll = 0;
    std::uint32_t m_penDownTick = 0;
    int m_penDownX = -1;
    int m_lastPenX = -1;
    bool m_haveStored = false;
    TResult m_stored;
    std::uint32_t m_creationTick = 0;
};

// The laid-out menu: the entries in window coordinates, the grid they form
// and where the window goes.
class CYolWMUI_Menu::CYolWMUI_MenuData {
public:
    enum TStyle : unsigned int {
        ENormal = 0x01,
        EInactive = 0x02,
        ESubMenu = 0x04,
        ETitle = 0x08,
        ELineBelow = 0x10,
        EMarked = 0x20,
    };

    struct TItem {
        unsigned int style = ENormal;
        CYolArray<unsigned int> images;
        // Drawn as it stands: no prefix characters, no format parameters.
        CYolString caption;
        const CYolMenuInfo* subMenu = nullptr;
        int x = 0;
        int y = 0;
        int width = 0;
        YolMenuCallback callback = nullptr;
        int commandId = -1;
        void* context = nullptr;
        void* menuContext = nullptr;
    };

    // Width of a text in device pixels, in the entries' font or the title's.
    using TMeasure = std::function<int(const CYolString& text, bool title)>;

    void Build(const CYolMenuInfo& menu, const RECT& bounds, const POINT& anchor, TAlign align, bool wideItems,
               const TMeasure& measure);

    int Count() const { return items.Count(); }
    bool HasTitle() const { return (title.style & ETitle) != 0; }
    int ColumnOf(int index) const { return rows > 0 ? index / rows : 0; }

    CYolArray<TItem> items;
    int columns = 0;
    int rows = 0;
    bool noImages = true;
    SIZE menuSize{0, 0};
    SIZE itemSize{0, 0};
    RECT windowRect{0, 0, 0, 0};
    RECT bounds{0, 0, 0, 0};
    TItem title;
    // The gaps between cells (one logical pixel each way).
    int gapX = 1;
    int gapY = 1;

private:
    void AddEntries(const CYolMenuInfo& menu, const TMeasure& measure);
    void LayOut(bool wideItems);
    void Place(const POINT& anchor, TAlign align);
};

} // namespace UI
