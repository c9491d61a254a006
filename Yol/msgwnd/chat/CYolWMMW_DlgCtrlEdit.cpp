// The chat tab's editor: its window procedure, the arrow keys at its
// edges, its context menu and the edit commands.

#include "CYolWMMW_DlgCtrl.h"

#include "CYolWMMW_Host.h"
#include "CYolWMUI_Menu.h"
#include "SkinImages.h"
#include "TYolWMMWSettings.h"
#include "UiHelpers.h"

#include "Controls/ControlEdit.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowKeys.h"

#include <vector>

namespace MW {

namespace {

using Skins::TSkinImage;

// Commands of the editor's context menu; replies follow from kFirstReply.
enum : int { kQuote = 0, kQuoteLast = 1, kClear = 2, kCut = 3, kCopy = 4, kPaste = 6, kFirstReply = 7 };

CYolFormatString Text(int id) { return CYolFormatString(MessageWindowText(id)); }

int CaretPosition(HWND editor) {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    SendMessage(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end);
}

bool HasEditorSelection(HWND editor) {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    SendMessage(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start != end;
}

// The caret to `to`; with a selection its far end stays as the anchor.
void MoveCaretKeepingAnchor(HWND editor, int to) {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    SendMessage(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const int anchor = start != end ? static_cast<int>(to == 0 ? end : start) : to;
    SendMessage(editor, EM_SETSEL, static_cast<WPARAM>(anchor), to);
}

} // namespace

LRESULT CYolWMMW_DlgCtrl::EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* pane = reinterpret_cast<CYolWMMW_DlgCtrl*>(GetWindowLong(hwnd, GWL_USERDATA));
    if (pane == nullptr)
        return CallWindowProc(s_editProc, hwnd, msg, wParam, lParam);
    switch (msg) {
        case WM_SETFOCUS: {
            const LRESULT answer = CallWindowProc(s_editProc, hwnd, msg, wParam, lParam);
            SendMessage(hwnd, EM_SCROLLCARET, 0, 0);
            return answer;
        }
        case WM_KILLFOCUS:
            pane->TypingStopped();
            break;
        case WM_CONTEXTMENU:
            pane->ShowEditMenu(POINT{static_cast<short>(lParam & 0xFFFF), static_cast<short>((lParam >> 16) & 0xFFFF)});
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
        case WM_KEYDOWN:
            if (pane->OnEditorKey(static_cast<unsigned int>(wParam)))
                return 0;
            break;
        case WM_CHAR:
            if (wParam == u'\t')
                return 0;
            if (wParam == u'\r' && pane->settings != nullptr && pane->settings->sendOnEnter) {
                if (pane->observer != nullptr)
                    pane->observer->OnSend(pane);
                return 0;
            }
            break;
        default:
            break;
    }
    // A press held still becomes WM_CONTEXTMENU on its own, so a press is
    // always the edit control's.
    return CallWindowProc(s_editProc, hwnd, msg, wParam, lParam);
}

bool CYolWMMW_DlgCtrl::OnEditorKey(unsigned int key) {
    const int caret = CaretPosition(editor);
    const int length = GetWindowTextLength(editor);
    const int line = static_cast<int>(SendMessage(editor, EM_LINEFROMCHAR, static_cast<WPARAM>(caret), 0));
    const int lines = static_cast<int>(SendMessage(editor, EM_GETLINECOUNT, 0, 0));
    switch (key) {
        case VK_RIGHT:
        case VK_DOWN:
            if (caret >= length) {
                PostMessage(m_hWnd, WM_NEXTDLGCTL, 0, 0);
                return true;
            }
            if (key == VK_DOWN && line >= lines - 1) {
                MoveCaretKeepingAnchor(editor, length);
                return true;
            }
            return false;
        case VK_LEFT:
        case VK_UP:
            if (caret == 0) {
                PostMessage(m_hWnd, WM_NEXTDLGCTL, 1, 0);
                return true;
            }
            if (key == VK_UP && line == 0) {
                MoveCaretKeepingAnchor(editor, 0);
                return true;
            }
            return false;
        case VK_TAB:
            PostMessage(m_hWnd, WM_NEXTDLGCTL, 0, 0);
            return true;
        default:
            return false;
    }
}

// --- edit commands -----------------------------------------------------------------------------

bool CYolWMMW_DlgCtrl::CanEdit(int command) const {
    const HWND focus = GetFocus();
    const bool inEditor = focus == editor;
    const bool inHistory = history != nullptr && focus == *history;
    const bool historySelection = history != nullptr && history->HasSelection();
    const bool historyText = history != nullptr && !history->IsEmpty();
    switch (command) {
        case ECut:
            return inEditor && HasEditorSelection(editor);
        case ECopy:
            return (inEditor && HasEditorSelection(editor)) || (inHistory && historySelection);
        case EPaste:
            return inEditor && HasClipboardText();
        case EQuote:
            return historySelection;
        case EQuoteLast:
        case EClearDialog:
            return historyText;
        default:
            return false;
    }
}

void CYolWMMW_DlgCtrl::Paste() {
    const int needed = GetClipboardText(nullptr, 0);
    if (needed <= 0)
        return;
    std::vector<char16_t> buffer(static_cast<std::size_t>(needed) + 1);
    if (GetClipboardText(buffer.data(), static_cast<int>(buffer.size())) > 0)
        InsertText(CYolString(buffer.data()));
}

void CYolWMMW_DlgCtrl::EditCommand(int command) {
    const HWND focus = GetFocus();
    switch (command) {
        case ECut:
            if (focus == editor)
                SendMessage(editor, WM_CUT, 0, 0);
            break;
        case ECopy:
            if (focus == editor)
                SendMessage(editor, WM_COPY, 0, 0);
            else if (history != nullptr && focus == *history)
                history->CopySelection();
            break;
        case EPaste:
            if (focus == editor)
                Paste();
            break;
        case EQuote:
            if (history != nullptr)
                history->QuoteSelection();
            break;
        case EQuoteLast:
            if (history != nullptr)
                history->QuoteLast();
            break;
        case EClearDialog:
            if (history != nullptr)
                history->Clear();
            break;
        default:
            break;
    }
}

// --- the editor's context menu ---------------------------------------------------------------

void CYolWMMW_DlgCtrl::BuildEditMenu(CYolMenuInfo& menu) const {
    const CYolArray<CYolString>* replies = settings != nullptr ? &settings->replies : nullptr;
    if (replies != nullptr && replies->Count() > 0) {
        CYolMenuInfo list;
        for (int i = 0; i < replies->Count(); ++i)
            list.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, -1, CYolFormatString((*replies)[i]), kFirstReply + i,
                                      nullptr, nullptr, false));
        if (settings->repliesInContextMenu)
            for (int i = 0; i < list.Count(); ++i)
                menu.Add(list[i]);
        else
            menu.Add(CYolMenuItemInfo(Skins::SKIN_IMG_MW_REPLY, Text(141), list));
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    }
    const int before = menu.Count();
    const bool historySelection = history != nullptr && history->HasSelection();
    const bool historyText = history != nullptr && !history->IsEmpty();
    if (historySelection)
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, Skins::SKIN_IMG_MW_QUOTE, Text(145), kQuote, nullptr,
                                  nullptr, false));
    if (historyText) {
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, Skins::SKIN_IMG_MW_QUOTE, Text(146), kQuoteLast, nullptr,
                                  nullptr, false));
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, Skins::SKIN_IMG_MW_CLEAR, Text(148), kClear, nullptr,
                                  nullptr, false));
    }
    if (menu.Count() > before)
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    if (HasEditorSelection(editor)) {
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, Skins::SKIN_IMG_MW_CUT, Text(142), kCut, nullptr, nullptr,
                                  false));
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, Skins::SKIN_IMG_CL_COPY, Text(143), kCopy, nullptr,
                                  nullptr, false));
    }
    if (HasClipboardText())
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, Skins::SKIN_IMG_MW_PASTE, Text(144), kPaste, nullptr,
                                  nullptr, false));
}

void CYolWMMW_DlgCtrl::ShowEditMenu(POINT screen) {
    CYolMenuInfo menu;
    BuildEditMenu(menu);
    if (menu.Count() == 0)
        return;
    RECT bounds;
    GetWindowRect(m_hWnd, &bounds);
    UI::CYolWMUI_Menu::TResult result;
    UI::CYolWMUI_Menu::Popup(result, menu, bounds, screen, UI::CYolWMUI_Menu::ETopLeft, editor,
                             MessageWindowFullScreen(), false);
    if (result.IsChoice())
        OnEditMenuChoice(result.commandId);
}

void CYolWMMW_DlgCtrl::OnEditMenuChoice(int command) {
    struct Row {
        int command;
        void (*run)(CYolWMMW_DlgCtrl&);
    };
    static const Row rows[] = {
        {kQuote, [](CYolWMMW_DlgCtrl& p) { p.EditCommand(EQuote); }},
        {kQuoteLast, [](CYolWMMW_DlgCtrl& p) { p.EditCommand(EQuoteLast); }},
        {kClear, [](CYolWMMW_DlgCtrl& p) { p.EditCommand(EClearDialog); }},
        {kCut, [](CYolWMMW_DlgCtrl& p) { SendMessage(p.editor, WM_CUT, 0, 0); }},
        {kCopy, [](CYolWMMW_DlgCtrl& p) { SendMessage(p.editor, WM_COPY, 0, 0); }},
        {kPaste, [](CYolWMMW_DlgCtrl& p) { p.Paste(); }},
    };
    for (const Row& row : rows)
        if (row.command == command) {
            row.run(*this);
            return;
        }
    const int reply = command - kFirstReply;
    if (reply < 0 || settings == nullptr || reply >= settings->replies.Count())
        return;
    InsertText(settings->replies[reply]);
    if (settings->sendRepliesImmediately && observer != nullptr)
        observer->OnSend(this);
}

} // namespace MW
