#include "CYolWMMW_DlgCtrl.h"

#include "CYolWMSmile_Set.h"
#include "MYolWMUI_Skin.h"
#include "SkinColors.h"
#include "SkinImages.h"
#include "TYolWMMWSettings.h"
#include "UiHelpers.h"

#include "Controls/Control.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlScrollBar.h"
#include "Drawing/Text.h"
#include "WindowSystem/WindowPaint.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Timers.h"
#include "WindowSystem/WindowFocus.h"

#include <algorithm>

namespace MW {

namespace {

constexpr std::uint32_t kEditorStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE |
                                       ES_WANTRETURN | ES_NOHIDESEL;
constexpr int kEditorId = 1000;
// A setting of the handheld's edit control, sent once at creation; the
// edit control here has nothing it stands for and ignores it.
constexpr UINT kEditorCreationSetting = 0x00DE;
// The send button's and the editor's most lines as the settings dialog
// allows them.
constexpr int kMostLines = 5;

int FontLineHeight(HWND window, HGDIOBJ font) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return tm.tmHeight + tm.tmExternalLeading;
}

} // namespace

CYolWMMW_DlgCtrl* CYolWMMW_DlgCtrl::Create(HWND parent, TYolWMMWSettings* settings, MDlgCtrlObserver* observer) {
    auto* pane = new CYolWMMW_DlgCtrl(settings, observer);
    if (!pane->CreateEmpty(parent)) {
        delete pane;
        return nullptr;
    }
    return pane;
}

CYolWMMW_DlgCtrl::CYolWMMW_DlgCtrl(TYolWMMWSettings* sets, MDlgCtrlObserver* owner)
    : settings(sets), observer(owner) {}

CYolWMMW_DlgCtrl::~CYolWMMW_DlgCtrl() {
    if (m_hWnd != nullptr && IsWindow(m_hWnd))
        KillTimer(m_hWnd, kTypingTimerId);
    if (editor != nullptr && IsWindow(editor)) {
        SetWindowLong(editor, GWL_USERDATA, 0);
        DestroyWindow(editor);
    }
    delete sendButton;
    delete history;
}

void CYolWMMW_DlgCtrl::OnInitDialog() {
    UI::CYolWMUI_TabPan::OnInitDialog();
    const int width = GetClientWidth();
    const int height = GetClientHeight();
    history = CYolWMMW_HistCtrl::Create(m_hWnd, RECT{0, 0, width, height}, this);
    const int button = Platform::ScaleX(kButtonWidth);
    editor = CreateWindowEx(0, WC_EDIT, u"", kEditorStyle, 0, height, width - button, 0, m_hWnd,
                            reinterpret_cast<HMENU>(static_cast<std::intptr_t>(kEditorId)), nullptr, nullptr);
    if (editor != nullptr) {
        SetWindowLong(editor, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
        WNDPROC own = reinterpret_cast<WNDPROC>(GetWindowLong(editor, GWL_WNDPROC));
        if (s_editProc == nullptr)
            s_editProc = own;
        SetWindowLong(editor, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&CYolWMMW_DlgCtrl::EditProc));
        SendMessage(editor, kEditorCreationSetting, 0, 1);
    }
    sendButton = UI::CYolWMUI_Button::CreateButton(m_hWnd, RECT{width - button, height, width, height},
                                                   Skins::SKIN_IMG_CL_MSG_SEND);
    ApplyEditFont();
}

// --- text ------------------------------------------------------------------------------------

bool CYolWMMW_DlgCtrl::GetText(CYolString& text) const {
    CYolString all;
    GetWindowTextString(editor, all);
    if (all.IsEmpty())
        return false;
    if (all.Length() >= 2 && all.At(all.Length() - 2) == u'\r' && all.At(all.Length() - 1) == u'\n')
        all = all.Substring(0, all.Length() - 2);
    text = all;
    return true;
}

void CYolWMMW_DlgCtrl::ClearText() {
    SetWindowText(editor, u"");
    lineCount = 1;
    LayoutEditor();
}

void CYolWMMW_DlgCtrl::InsertText(const CYolString& text) {
    SendMessage(editor, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Typing();
}

void CYolWMMW_DlgCtrl::InsertSmile(int smile) {
    const Smile::CYolWMSmile_Set* set = Smile::CYolWMSmile_Set::Current();
    const Smile::CYolWMSmile* found = set != nullptr ? set->Get(smile) : nullptr;
    if (found != nullptr && found->Codes().Count() > 0)
        InsertText(found->Codes()[0]);
}

// --- typing ------------------------------------------------------------------------------------

void CYolWMMW_DlgCtrl::Typing() {
    typing = true;
    if (observer != nullptr)
        observer->OnTyping(this, 0);
    SetTimer(m_hWnd, kTypingTimerId, kTypingPause, nullptr);
}

// Only a pause after typing is told: focus moving about the window alone
// sends the contact nothing.
void CYolWMMW_DlgCtrl::TypingStopped() {
    KillTimer(m_hWnd, kTypingTimerId);
    if (!typing)
        return;
    typing = false;
    if (observer != nullptr)
        observer->OnTyping(this, 1);
}

void CYolWMMW_DlgCtrl::StopTyping() { TypingStopped(); }

void CYolWMMW_DlgCtrl::OnTimer(int id, TIMERPROC) {
    if (id == kTypingTimerId)
        TypingStopped();
}

void CYolWMMW_DlgCtrl::OnCommand(unsigned short code, unsigned short, HWND control) {
    if (control == editor && code == EN_CHANGE) {
        Typing();
        const int lines = static_cast<int>(SendMessage(editor, EM_GETLINECOUNT, 0, 0));
        if (lines != lineCount) {
            lineCount = lines;
            LayoutEditor();
        }
    } else if (sendButton != nullptr && control == *sendButton && observer != nullptr) {
        observer->OnSend(this);
    }
}

// --- layout ------------------------------------------------------------------------------------

void CYolWMMW_DlgCtrl::ApplySettings(int paneId) {
    if (paneId == 0 && history != nullptr)
        history->Relayout();
    else if (paneId == 1)
        ApplyEditFont();
}

void CYolWMMW_DlgCtrl::ApplyEditFont() {
    HFONT font = settings != nullptr ? settings->editFont : nullptr;
    if (editor == nullptr)
        return;
    lineHeight = std::max(1, FontLineHeight(editor, font != nullptr ? font : GetStockObject(SYSTEM_FONT)));
    SendMessage(editor, WM_SETFONT, reinterpret_cast<WPARAM>(font), 1);
    maxLines = settings != nullptr ? std::clamp(static_cast<int>(settings->maxLine), 1, kMostLines) : 1;
    LayoutEditor();
}

int CYolWMMW_DlgCtrl::ButtonWidth() const {
    return settings != nullptr && settings->showSB ? Platform::ScaleX(kButtonWidth) : 0;
}

void CYolWMMW_DlgCtrl::LayoutEditor() {
    if (editor == nullptr)
        return;
    const int systemLine = FontLineHeight(editor, GetStockObject(SYSTEM_FONT));
    const int pad = 2 * GetSystemMetrics(SM_CYBORDER) + std::min(lineHeight, systemLine) / 2;
    const int full = pad + lineCount * lineHeight;
    int shown = std::min(lineCount, maxLines);
    scrolls = maxLines < lineCount;
    int height = pad + shown * lineHeight;
    const int room = GetClientHeight() - Platform::ScaleY(kHistoryMinimum);
    bool taken = false;
    while (height > room && shown > 1) {
        height -= lineHeight;
        --shown;
        taken = true;
    }
    if (taken) {
        maxLines = shown;
        scrolls = true;
    }
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMax = scrolls ? full : 0;
    info.nPage = scrolls ? static_cast<UINT>(height) : 0;
    SetScrollInfo(editor, SB_VERT, &info, true);
    if (height != editHeight) {
        editHeight = height;
        LayoutPane();
    }
}

void CYolWMMW_DlgCtrl::LayoutPane() {
    const int width = GetClientWidth();
    const int height = GetClientHeight();
    const int button = Platform::ScaleX(kButtonWidth);
    const bool showButton = settings != nullptr && settings->showSB;
    const int top = height - editHeight;
    if (history != nullptr)
        history->MoveAndResize(0, 0, width, top + Platform::ScaleY(1));
    if (editor != nullptr)
        MoveWindow(editor, 0, top, width - (showButton ? button - Platform::ScaleX(1) : 0), editHeight, true);
    if (sendButton != nullptr) {
        sendButton->MoveAndResize(width - button, top, button, editHeight);
        ShowWindow(*sendButton, showButton ? SW_SHOWNA : SW_HIDE);
    }
}

void CYolWMMW_DlgCtrl::OnWindowPosChanged(WINDOWPOS* pos) {
    if ((pos->flags & SWP_NOSIZE) != 0 || editor == nullptr)
        return;
    RECT at;
    GetWindowRect(editor, &at);
    if (at.right - at.left != GetClientWidth() - ButtonWidth()) {
        MoveWindow(editor, 0, GetClientHeight() - editHeight, GetClientWidth() - ButtonWidth(), editHeight, true);
        lineCount = static_cast<int>(SendMessage(editor, EM_GETLINECOUNT, 0, 0));
    }
    maxLines = settings != nullptr ? std::clamp(static_cast<int>(settings->maxLine), 1, kMostLines) : 1;
    LayoutEditor();
    LayoutPane();
}

// --- focus and colours -------------------------------------------------------------------------

// The pane's controls in tab order: history, editor, send button; past
// either end the focus leaves the pane.
void CYolWMMW_DlgCtrl::NextControl(bool backwards) {
    const HWND focus = GetFocus();
    const bool buttonShown = sendButton != nullptr && settings != nullptr && settings->showSB;
    const HWND last = buttonShown ? static_cast<HWND>(*sendButton) : editor;
    const bool atFirst = history != nullptr && focus == *history;
    if ((backwards && atFirst) || (!backwards && focus == last)) {
        if (HWND beyond = GetNextDlgTabItem(Parent(), m_hWnd, backwards))
            SetFocus(beyond);
        return;
    }
    if (HWND next = GetNextDlgTabItem(m_hWnd, focus, backwards))
        SetFocus(next);
}

int CYolWMMW_DlgCtrl::OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NEXTDLGCTL && lParam == 0) {
        NextControl(wParam != 0);
        return 0;
    }
    if (msg == WM_VSCROLL && history != nullptr) {
        SendMessage(*history, WM_VSCROLL, wParam, lParam);
        return 0;
    }
    return UI::CYolWMUI_TabPan::OnMessage(msg, wParam, lParam);
}

void CYolWMMW_DlgCtrl::OnSetFocus(HWND) {
    if (editor != nullptr)
        SetFocus(editor);
}

void CYolWMMW_DlgCtrl::OnChar(char16_t character, long data) {
    if (editor == nullptr)
        return;
    SetFocus(editor);
    SendMessage(editor, WM_CHAR, character, data);
}

HBRUSH CYolWMMW_DlgCtrl::OnCtlColor(HDC hdc, HWND control) {
    if (control != editor)
        return nullptr;
    RECT at;
    GetWindowRect(editor, &at);
    SetBrushOrgEx(hdc, -at.left, -at.top, nullptr);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, Skins::GetSkinColor(Skins::SKIN_CLR_MW_EDIT_TEXT));
    return UI::ShellSkin().GetBkBrush();
}

void CYolWMMW_DlgCtrl::GetPartFont(RTE::TPartFont& part, int kind) {
    if (observer != nullptr)
        observer->GetPartFont(part, kind);
}

void CYolWMMW_DlgCtrl::GetColors(COLORREF& selectedText, COLORREF& selectionBackground) {
    if (observer != nullptr)
        observer->GetColors(selectedText, selectionBackground);
}

} // namespace MW
