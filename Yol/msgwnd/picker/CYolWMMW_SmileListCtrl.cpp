#include "CYolWMMW_SmileListCtrl.h"

#include "CYolWMMW_SmileGridLayout.h"
#include "CYolWMSmile_Set.h"
#include "MYolWMUI_Skin.h"
#include "SkinColors.h"

#include "Shell/ShellScreen.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowKeys.h"

#include <algorithm>
#include <cstdlib>

namespace MW {

namespace {

int g_selected = 0;

// The smallest cell, and how far the stylus goes before it counts as a
// drag or a swipe (logical pixels).
constexpr int kMinCell = 30;
constexpr int kStylusSlop = 20;
constexpr int kLineStep = 10;

const Smile::CYolWMSmile* SmileOf(int index) {
    const Smile::CYolWMSmile_Set* set = Smile::CYolWMSmile_Set::Current();
    return set != nullptr ? set->Get(index) : nullptr;
}

SIZE SizeOf(int index) {
    SIZE size{0, 0};
    if (const Smile::CYolWMSmile* smile = SmileOf(index))
        smile->GetSize(size);
    return size;
}

} // namespace

CYolWMMW_SmileListCtrl::CYolWMMW_SmileListCtrl(bool compact, MObserver* observer)
    : UI::CYolWMUI_ScrollWnd(Platform::ScaleY(kLineStep)), m_compact(compact), m_observer(observer) {
    m_cells.SetGrowStep(10);
}

CYolWMMW_SmileListCtrl::~CYolWMMW_SmileListCtrl() {
    Clear();
}

int CYolWMMW_SmileListCtrl::Selected() {
    return g_selected;
}

void CYolWMMW_SmileListCtrl::SetSelected(int index) {
    g_selected = index;
}

void CYolWMMW_SmileListCtrl::Clear() {
    for (int i = 0; i < m_cells.Count(); ++i)
        delete m_cells[i].picture;
    m_cells.Clear();
}

void CYolWMMW_SmileListCtrl::Fill() {
    Clear();
    const Smile::CYolWMSmile_Set* set = Smile::CYolWMSmile_Set::Current();
    // Count() reads 0 while the set is still loading.
    const int count = set != nullptr ? set->Count() : 0;
    for (int i = 0; i < count; ++i) {
        TCell cell;
        cell.picture = new Smile::CYolWMSmile_Anim(i, this);
        m_cells.Add(cell);
    }
    if (g_selected < 0 || g_selected >= count)
        g_selected = 0;
    Layout();
}

std::vector<RECT> CYolWMMW_SmileListCtrl::Rects() const {
    std::vector<RECT> rects;
    rects.reserve(static_cast<std::size_t>(m_cells.Count()));
    for (int i = 0; i < m_cells.Count(); ++i) {
        const TCell& c = m_cells[i];
        rects.push_back(RECT{c.left, c.top, c.right, c.bottom});
    }
    return rects;
}

void CYolWMMW_SmileListCtrl::Layout() {
    if (m_laying)
        return;
    m_laying = true;
    std::vector<SIZE> sizes;
    for (int i = 0; i < m_cells.Count(); ++i)
        sizes.push_back(SizeOf(m_cells[i].picture->Smile()));
    // The scroll bar coming or going changes the width: lay out again for
    // the width that is left, at most twice so that a width on the edge
    // between needing the bar and not cannot swing for ever.
    for (int pass = 0; pass < 3; ++pass) {
        const int width = GetClientWidth();
        const std::vector<RECT> rects = CYolWMMW_SmileGridLayout::Lay(
            sizes, width, m_compact, Platform::ScaleX(kMinCell), Platform::ScaleY(kMinCell));
        for (int i = 0; i < m_cells.Count(); ++i) {
            TCell& c = m_cells[i];
            c.left = rects[static_cast<std::size_t>(i)].left;
            c.top = rects[static_cast<std::size_t>(i)].top;
            c.right = rects[static_cast<std::size_t>(i)].right;
            c.bottom = rects[static_cast<std::size_t>(i)].bottom;
        }
        const int range = m_cells.Count() > 0 ? m_cells[m_cells.Count() - 1].bottom : 0;
        const int pos = g_selected >= 0 && g_selected < m_cells.Count() ? m_cells[g_selected].top : 0;
        SetScrollInfo(0, range, GetClientHeight(), pos);
        if (GetClientWidth() == width)
            break;
    }
    m_laidWidth = GetClientWidth();
    m_laidHeight = GetClientHeight();
    m_laying = false;
    Redraw(EPaintFull);
}

void CYolWMMW_SmileListCtrl::OnCreate() {
    UI::CYolWMUI_ScrollWnd::OnCreate();
    Fill();
}

void CYolWMMW_SmileListCtrl::OnWindowPosChanged(WINDOWPOS* pos) {
    UI::CYolWMUI_ScrollWnd::OnWindowPosChanged(pos);
    if (!m_laying && (GetClientWidth() != m_laidWidth || GetClientHeight() != m_laidHeight))
        Layout();
}

int CYolWMMW_SmileListCtrl::OnGetDlgCode() {
    return static_cast<int>(DLGC_WANTALLKEYS);
}

void CYolWMMW_SmileListCtrl::ShowSelected() {
    if (g_selected < 0 || g_selected >= m_cells.Count())
        return;
    const TCell& c = m_cells[g_selected];
    const int pos = GetScrollPos();
    const int height = GetClientHeight();
    if (c.top < pos)
        SetScrollPos(c.top);
    else if (c.bottom > pos + height)
        SetScrollPos(c.bottom - height);
}

void CYolWMMW_SmileListCtrl::Select(int index) {
    if (index == g_selected || index < 0 || index >= m_cells.Count())
        return;
    g_selected = index;
    ShowSelected();
    Redraw(EPaintFull);
}

void CYolWMMW_SmileListCtrl::OnKeyDown(int key) {
    const int last = m_cells.Count() - 1;
    switch (static_cast<unsigned>(key)) {
    case VK_RETURN:
        if (m_observer != nullptr && m_cells.Count() > 0)
            m_observer->OnCellChosen(this, g_selected);
        break;
    case VK_LEFT: Select(g_selected > 0 ? g_selected - 1 : g_selected); break;
    case VK_RIGHT: Select(g_selected < last ? g_selected + 1 : g_selected); break;
    case VK_UP: Select(CYolWMMW_SmileGridLayout::Above(Rects(), g_selected)); break;
    case VK_DOWN: Select(CYolWMMW_SmileGridLayout::Below(Rects(), g_selected)); break;
    default: break;
    }
}

void CYolWMMW_SmileListCtrl::OnLButtonDown(int, POINT point) {
    SetFocus(m_hWnd);
    SetCapture(m_hWnd);
    m_point = point;
    m_stylus = EStylusTap;
}

void CYolWMMW_SmileListCtrl::OnMouseMove(int, POINT point) {
    if (m_stylus == EStylusNone)
        return;
    const int dy = point.y - m_point.y;
    if (std::abs(dy) < Platform::ScaleY(kStylusSlop))
        return;
    // The content follows the stylus from the move that starts the drag.
    m_stylus = EStylusDrag;
    SetScrollPos(std::max(0, GetScrollPos() - dy));
    m_point = point;
}

void CYolWMMW_SmileListCtrl::OnLButtonUp(int, POINT point) {
    const TStylus was = m_stylus;
    m_stylus = EStylusNone;
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    if (was != EStylusTap)
        return;
    if (std::abs(point.x - m_point.x) >= Platform::ScaleX(kStylusSlop)) {
        if (m_observer != nullptr)
            m_observer->OnCellChosen(this, -1);
        return;
    }
    const int index = CYolWMMW_SmileGridLayout::At(Rects(), POINT{point.x, point.y + GetScrollPos()});
    if (index < 0)
        return;
    g_selected = index;
    RedrawNow(EPaintFull);
    if (m_observer != nullptr)
        m_observer->OnCellChosen(this, index);
}

RECT CYolWMMW_SmileListCtrl::OnClient(const TCell& cell) const {
    const int pos = GetScrollPos();
    return RECT{cell.left, cell.top - pos, cell.right, cell.bottom - pos};
}

bool CYolWMMW_SmileListCtrl::Visible(const RECT& r) const {
    return r.bottom > 0 && r.top < GetClientHeight() && r.right > 0 && r.left < GetClientWidth();
}

// The selection's fill when the cell is selected, then its smiley's current
// frame centred in `at`.
void CYolWMMW_SmileListCtrl::DrawCell(HDC hdc, int index, const RECT& at) const {
    const TCell& cell = m_cells[index];
    if (index == g_selected) {
        HBRUSH brush = CreateSolidBrush(Skins::GetSkinColor(Skins::SKIN_CLR_MW_SELECTION));
        FillRect(hdc, &at, brush);
        DeleteObject(brush);
    }
    const Smile::CYolWMSmile* smile = SmileOf(cell.picture->Smile());
    if (smile == nullptr)
        return;
    SIZE size{0, 0};
    smile->GetSize(size);
    const POINT origin{at.left + (at.right - at.left - size.cx) / 2, at.top + (at.bottom - at.top - size.cy) / 2};
    smile->DrawFrame(cell.picture->Frame(), hdc, origin);
}

void CYolWMMW_SmileListCtrl::Paint(HDC hdc) {
    for (int i = 0; i < m_cells.Count(); ++i) {
        TCell& cell = m_cells[i];
        const RECT at = OnClient(cell);
        if (Visible(at))
            DrawCell(hdc, i, at);
        cell.dirty = false;
    }
}

void CYolWMMW_SmileListCtrl::PaintX(HDC hdc) {
    POINT screen{0, 0};
    ClientToScreen(m_hWnd, &screen);
    for (int i = 0; i < m_cells.Count(); ++i) {
        TCell& cell = m_cells[i];
        const RECT at = OnClient(cell);
        if (!cell.dirty || !Visible(at))
            continue;
        cell.dirty = false;
        const int w = at.right - at.left;
        const int h = at.bottom - at.top;
        HDC memory = CreateCompatibleDC(hdc);
        HBITMAP bitmap = CreateCompatibleBitmap(hdc, w, h);
        HGDIOBJ old = SelectObject(memory, bitmap);
        const RECT local{0, 0, w, h};
        // The background's pattern lines up with the rest of the window.
        SetBrushOrgEx(memory, -(screen.x + at.left), -(screen.y + at.top), nullptr);
        FillRect(memory, &local, GetBkBrush());
        DrawCell(memory, i, local);
        BitBlt(hdc, at.left, at.top, w, h, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
    for (int i = 0; i < m_cells.Count(); ++i)
        m_cells[i].dirty = false;
}

HBRUSH CYolWMMW_SmileListCtrl::GetBkBrush() {
    HBRUSH brush = UI::ShellSkin().GetBkBrush();
    return brush != nullptr ? brush : UI::CYolWMUI_ScrollWnd::GetBkBrush();
}

void CYolWMMW_SmileListCtrl::OnFrameChanged(Smile::CYolWMSmile_Anim* picture) {
    for (int i = 0; i < m_cells.Count(); ++i)
        if (m_cells[i].picture == picture)
            m_cells[i].dirty = true;
    Redraw(EPaintPartial);
}

} // namespace MW
