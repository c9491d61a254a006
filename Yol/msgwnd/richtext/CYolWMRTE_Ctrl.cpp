#include "CYolWMRTE_Ctrl.h"

#include "Controls/ControlCaret.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Timers.h"

#include <algorithm>
#include <cstdlib>

namespace RTE {

namespace {

constexpr int kDocumentGrowStep = 100;
constexpr int kRedrawGrowStep = 10;

bool Meets(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

CYolWMRTE_Ctrl::CYolWMRTE_Ctrl(MRTEObserver* observer, MTextMeasurer* measurer)
    : UI::CYolWMUI_ScrollWnd((g_HIDPI_LogPixelsY + 3) * 16 / 96), m_observer(observer), m_measurer(measurer)
{
    m_document.SetGrowStep(kDocumentGrowStep);
    m_redraws.SetGrowStep(kRedrawGrowStep);
}

CYolWMRTE_Ctrl::~CYolWMRTE_Ctrl()
{
    if (m_hWnd != nullptr)
        KillTimer(m_hWnd, kAutoScrollTimer);
    if (m_hasCaret)
        DestroyCaret();
    for (CYolWMRTE_Para* para : m_document)
        delete para;
}

int CYolWMRTE_Ctrl::Create(HINSTANCE instance, HWND parent, unsigned long style, const RECT& rect)
{
    if (!CYolWMUI_ScrollWnd::Create(instance, parent, style, rect))
        return 0;
    MakePair(0, GetClientWidth(), GetClientHeight());
    m_active = 0;
    m_width = GetClientWidth();
    m_height = GetClientHeight();
    UpdateScrollInfo();
    return 1;
}

void CYolWMRTE_Ctrl::OnCreate()
{
    const int height = GetClientHeight();
    SetScrollInfo(0, height - 1, height, 0);
}

void CYolWMRTE_Ctrl::MakePair(int index, int width, int height)
{
    TPair& pair = m_pairs[index];
    pair.layout = std::make_unique<CYolWMRTE_TextLayout>(&m_document, width, this, m_measurer);
    pair.view = std::make_unique<CYolWMRTE_TextView>(&m_document, pair.layout.get(), this, RECT{0, 0, width, height});
}

void CYolWMRTE_Ctrl::AddParagraph(const char16_t* text, const CYolArray<TFormat>& formats)
{
    m_document.Add(new CYolWMRTE_Para(text, formats));
}

int CYolWMRTE_Ctrl::GetParaLength(int index) const
{
    return index >= 0 && index < m_document.Count() ? m_document[index]->Length() : 0;
}

void CYolWMRTE_Ctrl::GrowPending(int first, int last)
{
    if (first > last)
        return;
    m_pendingFirst = m_pendingFirst < 0 ? first : std::min(m_pendingFirst, first);
    m_pendingLast = std::max(m_pendingLast, last);
}

void CYolWMRTE_Ctrl::OnParagraphsAdded(int n)
{
    if (CYolWMRTE_TextLayout* layout = ActiveLayout()) {
        if (n == 1)
            layout->LayoutNew();
        else
            layout->LayoutTail(n);
        UpdateScrollInfo();
    }
    GrowPending(std::max(m_document.Count() - std::max(n, 1), 0), m_document.Count() - 1);
}

void CYolWMRTE_Ctrl::Relayout()
{
    if (CYolWMRTE_TextLayout* layout = ActiveLayout()) {
        layout->LayoutAll();
        UpdateScrollInfo();
        PlaceCaret();
        Redraw(EPaintFull);
    }
    GrowPending(0, m_document.Count() - 1);
}

void CYolWMRTE_Ctrl::Clear()
{
    for (CYolWMRTE_Para* para : m_document)
        delete para;
    m_document.Clear();
    for (TPair& pair : m_pairs) {
        if (pair.layout)
            pair.layout->Reset();
        if (pair.view)
            pair.view->Reset();
    }
    m_redraws.Clear();
    m_pendingFirst = m_pendingLast = -1;
    UpdateScrollInfo();
    PlaceCaret();
    Redraw(EPaintFull);
}

void CYolWMRTE_Ctrl::ReplacePicture(int para, CRTEPicture* picture, const char16_t* text, int length, int kind)
{
    if (para < 0 || para >= m_document.Count())
        return;
    m_document[para]->ReplacePicture(picture, text, length, kind);
    // The layouts still hold slices that show the picture, which its owner
    // may free now that no paragraph refers to it.
    if (CYolWMRTE_TextLayout* layout = ActiveLayout()) {
        if (para < layout->LaidOutCount()) {
            layout->LayoutRange(para, para);
            UpdateScrollInfo();
            Redraw(EPaintFull);
        }
    }
    GrowPending(para, para);
    m_redraws.Clear();
}

void CYolWMRTE_Ctrl::OnWindowPosChanged(WINDOWPOS*)
{
    const int width = GetClientWidth();
    const int height = GetClientHeight();
    if (m_active < 0 || (width == m_width && height == m_height))
        return;
    m_width = width;
    m_height = height;
    if (width == ActiveLayout()->Width())
        ActiveView()->SetHeight(height, true);
    else
        SwitchWidth(width, height);
    UpdateScrollInfo();
    ScrollToCaret();
}

// The other pair takes over. Laid out at this width already, it only needs
// the paragraphs that changed since it was last active.
void CYolWMRTE_Ctrl::SwitchWidth(int width, int height)
{
    const int next = 1 - m_active;
    TPair& pair = m_pairs[next];
    if (!pair.layout || pair.layout->Width() != width) {
        if (!pair.layout)
            MakePair(next, width, height);
        pair.layout->SetWidth(width);
        pair.layout->LayoutAll();
        m_pendingFirst = m_pendingLast = -1;
    }
    pair.view->SetRect(RECT{0, 0, width, height});
    if (m_pendingFirst >= 0)
        pair.layout->LayoutRange(m_pendingFirst, m_pendingLast);
    m_pendingFirst = m_pendingLast = -1;
    const CYolWMRTE_TextView& old = *ActiveView();
    pair.view->SetCaret(old.Caret());
    pair.view->SetSelection(old.HasSelection() ? old.SelectionStart() : TPosition{-1, 0, 0}, old.SelectionEnd());
    m_active = next;
}

void CYolWMRTE_Ctrl::UpdateScrollInfo()
{
    CYolWMRTE_TextView* view = ActiveView();
    if (view == nullptr || m_hWnd == nullptr)
        return;
    const RECT& rect = view->Rect();
    const int page = rect.bottom - rect.top;
    const int range = std::max(ActiveLayout()->GetHeight(), page);
    // Showing or hiding the bar changes the width, which may make the other
    // pair active before this returns.
    SetScrollInfo(0, range - 1, page, rect.top);
    ActiveView()->SetTop(GetScrollPos());
}

void CYolWMRTE_Ctrl::ScrollToCaret()
{
    CYolWMRTE_TextView* view = ActiveView();
    if (view == nullptr)
        return;
    int top = 0;
    int bottom = 0;
    view->GetCaretLine(top, bottom);
    const RECT& rect = view->Rect();
    const int height = rect.bottom - rect.top;
    if (top < 0)
        SetScrollPos(rect.top + top);
    else if (bottom > height)
        SetScrollPos(rect.top + bottom - height);
    PlaceCaret();
}

void CYolWMRTE_Ctrl::OnScroll()
{
    if (CYolWMRTE_TextView* view = ActiveView())
        view->SetTop(GetScrollPos());
    PlaceCaret();
}

// A font height in logical units may be negative (a character height):
// the caret is as tall as its size either way.
void CYolWMRTE_Ctrl::OnSetFocus(HWND)
{
    const int t = std::abs(m_observer != nullptr ? m_observer->GetTextHeight() : 0);
    m_caretHeight = std::max((t * g_HIDPI_LogPixelsY + 48) / 96, 1);
    CreateCaret(m_hWnd, nullptr, ScaleFactorX(), m_caretHeight);
    m_hasCaret = true;
    PlaceCaret();
    ShowCaret(m_hWnd);
}

void CYolWMRTE_Ctrl::OnKillFocus(HWND)
{
    if (m_hasCaret)
        DestroyCaret();
    m_hasCaret = false;
}

void CYolWMRTE_Ctrl::PlaceCaret()
{
    if (!m_hasCaret)
        return;
    CYolWMRTE_TextView* view = ActiveView();
    if (view == nullptr || m_document.Count() == 0) {
        SetCaretPos(ScaleFactorX(), ScaleFactorX());
        return;
    }
    const TCaretPoint point = view->GetCaretPoint();
    SetCaretPos(point.x, point.y + (point.height - m_caretHeight) / 2);
}

int CYolWMRTE_Ctrl::OnGetDlgCode()
{
    return static_cast<int>(DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB | DLGC_WANTALLKEYS);
}

void CYolWMRTE_Ctrl::Paint(HDC hdc)
{
    // A full repaint draws the pictures' frames too.
    m_redraws.Clear();
    if (CYolWMRTE_TextView* view = ActiveView())
        view->Paint(hdc);
    Platform::DrawCaret(m_hWnd, hdc);
}

void CYolWMRTE_Ctrl::PaintX(HDC hdc)
{
    PaintPictures(hdc);
}

void CYolWMRTE_Ctrl::OnFrameChanged(int para, CRTEPicture* picture)
{
    const CYolWMRTE_TextView* view = ActiveView();
    const CYolWMRTE_ParaLayout* layout = view != nullptr ? ActiveLayout()->Para(para) : nullptr;
    if (layout == nullptr || picture == nullptr)
        return;
    const RECT client{0, 0, GetClientWidth(), GetClientHeight()};
    bool queued = false;
    for (const CYolWMRTE_ParaLayoutSlice* slice : layout->Slices()) {
        if (!slice->IsPicture() || slice->picture != picture)
            continue;
        const int x = layout->X() + slice->x - view->Rect().left;
        const int y = layout->Y() + slice->y - view->Rect().top;
        if (!Meets(RECT{x, y, x + slice->width, y + slice->height}, client))
            continue;
        m_redraws.Add(TPictRedrawInfo{picture, x, y, view->IsSelected(para, slice->start)});
        queued = true;
    }
    if (queued)
        Redraw(EPaintPartial);
}

void CYolWMRTE_Ctrl::PaintPictures(HDC hdc)
{
    POINT origin{0, 0};
    ClientToScreen(m_hWnd, &origin);
    for (const TPictRedrawInfo& item : m_redraws) {
        SIZE size{0, 0};
        item.picture->GetSize(&size);
        if (size.cx <= 0 || size.cy <= 0)
            continue;
        HDC memory = CreateCompatibleDC(hdc);
        HBITMAP bitmap = CreateCompatibleBitmap(hdc, size.cx, size.cy);
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        RECT all{0, 0, size.cx, size.cy};
        if (item.selected) {
            COLORREF text = 0;
            COLORREF background = 0;
            GetColors(text, background);
            HBRUSH brush = CreateSolidBrush(background);
            FillRect(memory, &all, brush);
            DeleteObject(brush);
        } else {
            // The background's pattern lines up with the window's.
            SetBrushOrgEx(memory, -(origin.x + item.x), -(origin.y + item.y), nullptr);
            FillRect(memory, &all, GetBkBrush());
        }
        item.picture->Draw(memory, POINT{0, 0});
        BitBlt(hdc, item.x, item.y, size.cx, size.cy, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
    m_redraws.Clear();
}

void CYolWMRTE_Ctrl::OnContextMenu(POINT) {}

void CYolWMRTE_Ctrl::GetPartFont(HFONT& font, int kind)
{
    TPartFont part;
    GetPartFont(part, kind);
    font = part.font;
}

void CYolWMRTE_Ctrl::GetPartFont(TPartFont& part, int kind)
{
    if (m_observer != nullptr)
        m_observer->GetPartFont(part, kind);
}

void CYolWMRTE_Ctrl::GetColors(COLORREF& selectedText, COLORREF& selectionBackground)
{
    if (m_observer != nullptr)
        m_observer->GetColors(selectedText, selectionBackground);
}

void CYolWMRTE_Ctrl::LeaveView(bool backward)
{
    NextControl(backward);
}

void CYolWMRTE_Ctrl::NextControl(bool backward)
{
    PostMessage(Parent(), WM_NEXTDLGCTL, backward ? 1 : 0, 0);
}

void CYolWMRTE_Ctrl::Invalidate()
{
    Redraw(EPaintFull);
}

} // namespace RTE
