// Keys and the stylus: caret moves, copying, links, selecting by dragging
// (scrolling on its own while the stylus is held above or below the
// window) and scrolling by dragging.

#include "CYolWMRTE_Ctrl.h"

#include "Shell/Clipboard.h"
#include "Shell/ShellGesture.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/Timers.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowKeys.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace RTE {

namespace {

using Move = CYolWMRTE_TextView::TMove;

struct TKeyMove {
    unsigned key;
    int move;
};

// Keys that always move the caret.
constexpr TKeyMove kPlainMoves[] = {
    {VK_PRIOR, Move::EMoveParaStart},
    {VK_NEXT, Move::EMoveParaEnd},
    {VK_HOME, Move::EMoveLineStart},
    {VK_END, Move::EMoveLineEnd},
};

// The arrows: with Shift they select; without, the owner may give them to
// the dialog's focus instead.
struct TArrow {
    unsigned key;
    int shiftedMove;
    int move;
    bool vertical;
    bool backward;
};

constexpr TArrow kArrows[] = {
    {VK_LEFT, Move::EMoveLeft, Move::EMoveLeft, false, true},
    {VK_RIGHT, Move::EMoveRight, Move::EMoveRight, false, false},
    {VK_UP, Move::EMoveLineUp, Move::EMovePrevPara, true, true},
    {VK_DOWN, Move::EMoveLineDown, Move::EMoveNextPara, true, false},
};

bool Held(unsigned key) { return GetKeyState(key) < 0; }

bool ShiftHeld() { return Held(VK_SHIFT) || Held(VK_LSHIFT) || Held(VK_RSHIFT); }

// Stylus distances that start selecting or scrolling.
int TravelX() { return (g_HIDPI_LogPixelsX * 10 + 48) / 96; }
int TravelY() { return (g_HIDPI_LogPixelsY * 10 + 48) / 96; }

// Far enough above or below any text to hit its start or its end.
constexpr int kFarAway = 1 << 28;

} // namespace

void CYolWMRTE_Ctrl::MoveCaret(int move, bool extend)
{
    if (CYolWMRTE_TextView* view = ActiveView()) {
        view->MoveCaret(move, extend);
        ScrollToCaret();
    }
}

void CYolWMRTE_Ctrl::OnKeyDown(int key)
{
    const auto vk = static_cast<unsigned>(key);
    const bool shift = ShiftHeld();
    if (vk == VK_TAB) {
        NextControl(false);
        return;
    }
    if ((vk == VK_INSERT || vk == 'C') && Held(VK_CONTROL)) {
        CopySelection();
        return;
    }
    for (const TKeyMove& plain : kPlainMoves) {
        if (plain.key == vk) {
            MoveCaret(plain.move, shift);
            return;
        }
    }
    for (const TArrow& arrow : kArrows) {
        if (arrow.key != vk)
            continue;
        if (shift)
            MoveCaret(arrow.shiftedMove, true);
        else if (m_observer != nullptr && !m_observer->IsCaretMoveEnabled(arrow.vertical))
            NextControl(arrow.backward);
        else
            MoveCaret(arrow.move, false);
        return;
    }
}

void CYolWMRTE_Ctrl::CopySelection()
{
    std::unique_ptr<char16_t[]> text(GetSelectedText(false));
    if (text && text[0] != 0)
        Platform::WriteClipboardText(text.get(), m_hWnd);
}

void CYolWMRTE_Ctrl::OnChar(char16_t character, long)
{
    if (character != u'\r' || m_document.Count() == 0 || ActiveView() == nullptr)
        return;
    if (!ActivateLinkAt(ActiveView()->Caret()))
        NextControl(false);
}

// Whether a link run holds the position and its owner handled it.
bool CYolWMRTE_Ctrl::ActivateLinkAt(const TPosition& position)
{
    if (position.para < 0 || position.para >= m_document.Count() || m_observer == nullptr)
        return false;
    const CYolWMRTE_Para& para = *m_document[position.para];
    const int run = para.FindRunAt(position.ch);
    if (run < 0 || para.Formats()[run].kind != kLinkKind)
        return false;
    const TFormat& link = para.Formats()[run];
    const int length = std::min(link.length, para.Length() - link.start);
    return length > 0 && m_observer->OnLinkActivated(para.Text() + link.start, length) != 0;
}

void CYolWMRTE_Ctrl::OnLButtonDown(int, POINT point)
{
    if (m_stylus != EStylusNone)
        EndStylus();
    SetFocus(m_hWnd);
    SHRGINFO gesture;
    gesture.hwndClient = m_hWnd;
    gesture.ptDown = point;
    gesture.dwFlags = SHRG_RETURNCMD;
    if (SHRecognizeGesture(&gesture) == GN_CONTEXTMENU) {
        OnContextMenu(point);
        return;
    }
    m_tap = point;
    m_stylus = EStylusTap;
    SetCapture(m_hWnd);
}

void CYolWMRTE_Ctrl::OnMouseMove(int, POINT point)
{
    if (m_stylus == EStylusTap) {
        if (std::abs(point.x - m_tap.x) >= TravelX())
            m_stylus = EStylusSelect;
        else if (std::abs(point.y - m_tap.y) >= TravelY())
            m_stylus = EStylusDragScroll;
        else
            return;
    }
    if (m_stylus == EStylusSelect) {
        SelectTo(point);
        return;
    }
    if (m_stylus != EStylusDragScroll)
        return;
    const int moved = point.y - m_tap.y;
    if (std::abs(moved) < 2 * TravelY())
        return;
    // The text follows the stylus.
    SetScrollPos(std::max(GetScrollPos() - moved, 0));
    m_tap = point;
}

void CYolWMRTE_Ctrl::SelectTo(POINT point)
{
    if (point.y < 0 || point.y >= GetClientHeight()) {
        const TAutoScroll direction = point.y < 0 ? EAutoScrollUp : EAutoScrollDown;
        m_lastX = point.x;
        if (m_autoScroll != direction)
            SetTimer(m_hWnd, kAutoScrollTimer, kAutoScrollPeriod, nullptr);
        m_autoScroll = direction;
        return;
    }
    if (m_autoScroll != EAutoScrollNone) {
        StopAutoScroll();
        ScrollToCaret();
    }
    ActiveView()->SelectRange(m_tap, point, true);
    PlaceCaret();
}

void CYolWMRTE_Ctrl::StopAutoScroll()
{
    if (m_autoScroll != EAutoScrollNone)
        KillTimer(m_hWnd, kAutoScrollTimer);
    m_autoScroll = EAutoScrollNone;
}

void CYolWMRTE_Ctrl::OnTimer(int id, TIMERPROC)
{
    if (id == kAutoScrollTimer)
        AutoScrollStep();
}

// One line step in the direction the stylus is held; at the start or end
// of the text the selection reaches all the way there.
void CYolWMRTE_Ctrl::AutoScrollStep()
{
    CYolWMRTE_TextView* view = ActiveView();
    if (view == nullptr || m_autoScroll == EAutoScrollNone)
        return;
    const bool up = m_autoScroll == EAutoScrollUp;
    const int position = GetScrollPos();
    const int page = view->Rect().bottom - view->Rect().top;
    const int limit = up ? 0 : std::max(ActiveLayout()->GetHeight() - page, 0);
    if (position == limit)
        return;
    const int wanted = position + (up ? -m_scrollTic : m_scrollTic);
    const bool reachesLimit = up ? wanted <= limit : wanted >= limit;
    const int target = reachesLimit ? limit : wanted;
    SetScrollPos(target);
    m_tap.y -= GetScrollPos() - position;
    POINT edge{m_lastX, up ? 0 : page - 1};
    if (reachesLimit)
        edge.y = up ? -kFarAway : kFarAway;
    view->SelectRange(m_tap, edge, true);
    PlaceCaret();
}

void CYolWMRTE_Ctrl::OnLButtonUp(int, POINT point)
{
    CYolWMRTE_TextView* view = ActiveView();
    if (m_stylus == EStylusTap && view != nullptr) {
        const TPosition hit = view->HitTest(point);
        // A hit past the end of a paragraph's text is on no link.
        const bool pastEnd = hit.after != 0 && hit.ch >= GetParaLength(hit.para) - 1;
        if (pastEnd || !ActivateLinkAt(hit)) {
            view->SetCaret(hit);
            view->ClearSelection();
            PlaceCaret();
        }
    } else if (m_stylus == EStylusSelect) {
        StopAutoScroll();
        ScrollToCaret();
    }
    EndStylus();
}

void CYolWMRTE_Ctrl::EndStylus()
{
    StopAutoScroll();
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    m_stylus = EStylusNone;
}

} // namespace RTE
