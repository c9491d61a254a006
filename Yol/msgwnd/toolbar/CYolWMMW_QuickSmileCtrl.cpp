#include "CYolWMMW_QuickSmileCtrl.h"

#include "CYolWMSmile_Set.h"
#include "MYolWMUI_Skin.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowKeys.h"

#include <algorithm>

namespace MW {

namespace {

constexpr int kMinCellWidth = 38;

const Smile::CYolWMSmile* SmileOf(int smile) {
    const Smile::CYolWMSmile_Set* set = Smile::CYolWMSmile_Set::Current();
    return set != nullptr ? set->Get(smile) : nullptr;
}

} // namespace

SIZE SmileSize(int smile) {
    SIZE size{0, 0};
    if (const Smile::CYolWMSmile* found = SmileOf(smile))
        found->GetSize(size);
    return size;
}

void DrawSmilePicture(HDC hdc, const Smile::CYolWMSmile_Anim& picture, POINT at) {
    if (const Smile::CYolWMSmile* found = SmileOf(picture.Smile()))
        found->DrawFrame(picture.Frame(), hdc, at);
}

CYolWMMW_QuickSmileCtrl* CYolWMMW_QuickSmileCtrl::Create(HWND parent, const RECT& rect,
                                                         MQuickSmileCtrlObserver* observer) {
    auto* bar = new CYolWMMW_QuickSmileCtrl(observer);
    if (bar->CYolWMUI_Wnd::Create(nullptr, parent, WS_VISIBLE | WS_BORDER | WS_TABSTOP, rect) == 0) {
        delete bar;
        return nullptr;
    }
    return bar;
}

CYolWMMW_QuickSmileCtrl::CYolWMMW_QuickSmileCtrl(MQuickSmileCtrlObserver* owner) : observer(owner) {
    entries.SetGrowStep(10);
}

CYolWMMW_QuickSmileCtrl::~CYolWMMW_QuickSmileCtrl() { Clear(); }

void CYolWMMW_QuickSmileCtrl::Clear() {
    for (int i = 0; i < entries.Count(); ++i)
        delete entries[i].picture;
    entries.Clear();
}

int CYolWMMW_QuickSmileCtrl::CellWidth(int index) const {
    return std::max(Platform::ScaleX(kMinCellWidth), SmileSize(entries[index].picture->Smile()).cx);
}

void CYolWMMW_QuickSmileCtrl::Fill() {
    Clear();
    const Smile::CYolWMSmile_Set* set = Smile::CYolWMSmile_Set::Current();
    if (set == nullptr || !set->IsLoaded()) {
        needsFill = true;
        return;
    }
    int room = GetClientWidth() - Platform::ScaleX(1);
    int taken = 0;
    while (room > 0 && taken < set->Count()) {
        room -= Platform::ScaleX(1) + std::max(Platform::ScaleX(kMinCellWidth), SmileSize(taken).cx);
        ++taken;
    }
    for (int smile = taken - 1; smile >= 0; --smile)
        AddRecent(smile);
    needsFill = false;
}

void CYolWMMW_QuickSmileCtrl::AddRecent(int smile) {
    for (int i = 0; i < entries.Count(); ++i)
        if (entries[i].picture->Smile() == smile)
            return;
    TSmileInfo cell;
    cell.picture = new Smile::CYolWMSmile_Anim(smile, this);
    entries.InsertAt(0, cell);
    Trim();
    Position();
    if (selection != -1)
        selection = 0;
    Redraw(EPaintFull);
}

void CYolWMMW_QuickSmileCtrl::Reset() {
    Clear();
    selection = -1;
    needsFill = true;
    Redraw(EPaintFull);
}

// The cell that uses up the room is the last one kept, even when the right
// edge cuts it.
void CYolWMMW_QuickSmileCtrl::Trim() {
    int room = GetClientWidth() - Platform::ScaleX(1);
    int keep = 0;
    while (keep < entries.Count() && room >= 1) {
        room -= Platform::ScaleX(1) + CellWidth(keep);
        ++keep;
    }
    while (entries.Count() > keep) {
        delete entries[entries.Count() - 1].picture;
        entries.RemoveAt(entries.Count() - 1);
    }
    if (selection >= entries.Count()) {
        selection = entries.Count() - 1;
        Redraw(EPaintFull);
    }
}

void CYolWMMW_QuickSmileCtrl::Position() {
    const int height = GetClientHeight();
    int x = Platform::ScaleX(1);
    for (int i = 0; i < entries.Count(); ++i) {
        const int width = CellWidth(i);
        const SIZE size = SmileSize(entries[i].picture->Smile());
        entries[i].x = x + (width - size.cx) / 2;
        entries[i].y = (height - size.cy) / 2;
        x += width + Platform::ScaleX(1);
    }
}

int CYolWMMW_QuickSmileCtrl::CellAt(int x) const {
    int right = Platform::ScaleX(1);
    for (int i = 0; i < entries.Count(); ++i) {
        right += CellWidth(i) + Platform::ScaleX(1);
        if (x < right)
            return i;
    }
    return -1;
}

void CYolWMMW_QuickSmileCtrl::OnWindowPosChanged(WINDOWPOS* pos) {
    if ((pos->flags & SWP_SHOWWINDOW) != 0 && needsFill)
        Fill();
    if ((pos->flags & SWP_NOSIZE) == 0) {
        if (needsFill && IsVisible())
            Fill();
        Trim();
        Position();
    }
}

void CYolWMMW_QuickSmileCtrl::MoveFocus(bool backwards) {
    PostMessage(Parent(), WM_NEXTDLGCTL, backwards ? 1 : 0, 0);
    selection = -1;
}

void CYolWMMW_QuickSmileCtrl::OnKeyDown(int key) {
    switch (key) {
        case VK_TAB:
        case VK_DOWN:
            MoveFocus(false);
            break;
        case VK_UP:
            MoveFocus(true);
            break;
        case VK_LEFT:
            if (--selection < 0)
                MoveFocus(true);
            break;
        case VK_RIGHT:
            if (++selection >= entries.Count())
                MoveFocus(false);
            break;
        case VK_RETURN:
            if (selection >= 0 && selection < entries.Count() && observer != nullptr)
                observer->OnSmileSelected(this, SmileAt(selection));
            return;
        default:
            return;
    }
    Redraw(EPaintFull);
}

void CYolWMMW_QuickSmileCtrl::OnChar(char16_t character, long) {
    if (character == u'\t' || character == u'\r')
        return;
    SendMessage(Parent(), WM_CHAR, character, 0);
}

void CYolWMMW_QuickSmileCtrl::OnLButtonDown(int, POINT point) {
    RECT client;
    GetClientRect(m_hWnd, &client);
    const bool inside = point.x >= client.left && point.x < client.right && point.y >= client.top &&
                        point.y < client.bottom;
    const int cell = inside ? CellAt(point.x) : -1;
    if (inside && cell < 0)
        return;
    if (!inside) {
        SetFocus(m_hWnd);
        return;
    }
    selection = cell;
    if (GetFocus() == m_hWnd)
        Redraw(EPaintFull);
    else
        SetFocus(m_hWnd);
    if (observer != nullptr)
        observer->OnSmileSelected(this, SmileAt(cell));
}

void CYolWMMW_QuickSmileCtrl::OnSetFocus(HWND) {
    if (selection == -1 && entries.Count() > 0)
        selection = 0;
    Redraw(EPaintFull);
}

void CYolWMMW_QuickSmileCtrl::OnKillFocus(HWND) {
    selection = -1;
    Redraw(EPaintFull);
}

int CYolWMMW_QuickSmileCtrl::OnGetDlgCode() { return DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS; }

void CYolWMMW_QuickSmileCtrl::DrawCell(HDC hdc, const TSmileInfo& entry) {
    DrawSmilePicture(hdc, *entry.picture, POINT{entry.x, entry.y});
}

void CYolWMMW_QuickSmileCtrl::Paint(HDC hdc) {
    for (int i = 0; i < entries.Count(); ++i) {
        DrawCell(hdc, entries[i]);
        entries[i].dirty = false;
    }
    if (selection < 0 || selection >= entries.Count())
        return;
    int left = Platform::ScaleX(1);
    for (int i = 0; i < selection; ++i)
        left += CellWidth(i) + Platform::ScaleX(1);
    const int right = left + CellWidth(selection);
    HPEN pen = CreatePen(PS_SOLID, Platform::ScaleX(1), GetSysColor(COLOR_HIGHLIGHT));
    HGDIOBJ old = SelectObject(hdc, pen);
    const int height = GetClientHeight();
    for (int x : {left - 1, right}) {
        MoveToEx(hdc, x, 0, nullptr);
        LineTo(hdc, x, height);
    }
    SelectObject(hdc, old);
    DeleteObject(pen);
}

// Each changed picture goes through a bitmap of its own size, so the
// window never shows a frame drawn over the one before.
void CYolWMMW_QuickSmileCtrl::PaintX(HDC hdc) {
    POINT screen{0, 0};
    ClientToScreen(m_hWnd, &screen);
    for (int i = 0; i < entries.Count(); ++i) {
        TSmileInfo& entry = entries[i];
        if (!entry.dirty)
            continue;
        entry.dirty = false;
        const SIZE size = SmileSize(entry.picture->Smile());
        if (size.cx <= 0 || size.cy <= 0)
            continue;
        HDC memory = CreateCompatibleDC(hdc);
        HBITMAP bitmap = CreateCompatibleBitmap(hdc, size.cx, size.cy);
        HGDIOBJ old = SelectObject(memory, bitmap);
        const RECT local{0, 0, size.cx, size.cy};
        SetBrushOrgEx(memory, -(screen.x + entry.x), -(screen.y + entry.y), nullptr);
        FillRect(memory, &local, GetBkBrush());
        DrawSmilePicture(memory, *entry.picture, POINT{0, 0});
        BitBlt(hdc, entry.x, entry.y, size.cx, size.cy, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
}

HBRUSH CYolWMMW_QuickSmileCtrl::GetBkBrush() {
    HBRUSH brush = UI::ShellSkin().GetBkBrush();
    return brush != nullptr ? brush : CYolWMUI_Wnd::GetBkBrush();
}

void CYolWMMW_QuickSmileCtrl::OnFrameChanged(Smile::CYolWMSmile_Anim* picture) {
    for (int i = 0; i < entries.Count(); ++i)
        if (entries[i].picture == picture)
            entries[i].dirty = true;
    Redraw(EPaintPartial);
}

} // namespace MW
