// The edit control's window procedure: typing, keys, the pen, selection,
// clipboard and the edit messages.

#include "ControlCaret.h"
#include "ControlEditImpl.h"
#include "ControlScrollBar.h"
#include "Shell/Clipboard.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/WindowKeys.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>

namespace Platform::Controls {
namespace {

bool IsHigh(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLow(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The position one unit before / after pos, stepping over "\r\n" and
// surrogate pairs as one.
std::size_t Prev(const std::u16string& t, std::size_t pos)
{
    if (pos == 0)
        return 0;
    if (pos >= 2 && ((t[pos - 2] == u'\r' && t[pos - 1] == u'\n') || (IsHigh(t[pos - 2]) && IsLow(t[pos - 1]))))
        return pos - 2;
    return pos - 1;
}

std::size_t Next(const std::u16string& t, std::size_t pos)
{
    if (pos >= t.size())
        return t.size();
    if (pos + 1 < t.size() && ((t[pos] == u'\r' && t[pos + 1] == u'\n') || (IsHigh(t[pos]) && IsLow(t[pos + 1]))))
        return pos + 2;
    return pos + 1;
}

std::size_t Snap(const std::u16string& t, std::size_t pos)
{
    pos = std::min(pos, t.size());
    if (pos > 0 && pos < t.size() &&
        ((t[pos - 1] == u'\r' && t[pos] == u'\n') || (IsHigh(t[pos - 1]) && IsLow(t[pos]))))
        --pos;
    return pos;
}

void Changed(EditState& s)
{
    s.modified = true;
    s.goalX = -1;
    EditLayout(s);
    EditScrollToCaret(s);
    Notify(s.hwnd, EN_UPDATE);
    Notify(s.hwnd, EN_CHANGE);
}

void SaveUndo(EditState& s)
{
    s.undoText = s.text;
    s.undoAnchor = s.anchor;
    s.undoCaret = s.caret;
    s.canUndo = true;
}

// Replaces the selection with `insert`, cut to the typing limit (a
// single-line control also cuts it at its first line break). Answers
// whether anything changed.
bool ReplaceSelection(EditState& s, std::u16string insert, bool fromUser, bool undoable)
{
    if (fromUser && (StyleOf(s.hwnd) & ES_READONLY))
        return false;
    if (!s.Multi()) {
        const std::size_t brk = insert.find_first_of(u"\r\n");
        if (brk != std::u16string::npos)
            insert.resize(brk);
    }
    const std::size_t selLen = s.SelMax() - s.SelMin();
    const std::size_t kept = s.text.size() - selLen;
    const std::size_t room = s.limit > kept ? s.limit - kept : 0;
    bool cut = false;
    if (fromUser && insert.size() > room) {
        std::size_t n = room;
        if (n > 0 && n < insert.size() && IsLow(insert[n]))
            --n;
        insert.resize(n);
        cut = true;
    }
    if (insert.empty() && selLen == 0) {
        if (cut)
            Notify(s.hwnd, EN_MAXTEXT);
        return false;
    }
    if (undoable)
        SaveUndo(s);
    const std::size_t at = s.SelMin();
    s.text.replace(at, selLen, insert);
    s.anchor = s.caret = at + insert.size();
    Changed(s);
    if (cut)
        Notify(s.hwnd, EN_MAXTEXT);
    return true;
}

void MoveCaret(EditState& s, std::size_t pos, bool extend)
{
    s.caret = Snap(s.text, pos);
    if (!extend)
        s.anchor = s.caret;
    EditScrollToCaret(s);
}

bool Copy(const EditState& s)
{
    if (s.anchor == s.caret || (s.password && !s.Multi()))
        return false;
    return Platform::WriteClipboardText(std::u16string_view(s.text).substr(s.SelMin(), s.SelMax() - s.SelMin()),
                                        s.hwnd);
}

void Cut(EditState& s)
{
    if ((StyleOf(s.hwnd) & ES_READONLY) || !Copy(s))
        return;
    ReplaceSelection(s, u"", true, true);
}

void Paste(EditState& s)
{
    ReplaceSelection(s, Platform::ReadClipboardText(), true, true);
}

void Undo(EditState& s)
{
    if (!s.canUndo)
        return;
    std::swap(s.text, s.undoText);
    std::swap(s.anchor, s.undoAnchor);
    std::swap(s.caret, s.undoCaret);
    s.anchor = std::min(s.anchor, s.text.size());
    s.caret = std::min(s.caret, s.text.size());
    Changed(s);
}

// Up / down across lines, keeping the caret near the column it had.
void MoveLines(EditState& s, int delta, bool extend)
{
    const int line = EditLineFromChar(s, s.caret);
    const int target = std::clamp(line + delta, 0, static_cast<int>(s.lines.size()) - 1);
    if (target == line) {
        if (!extend)
            MoveCaret(s, s.caret, false);
        return;
    }
    const int goal = s.goalX >= 0 ? s.goalX : EditPosFromChar(s, s.caret).x;
    if (target < s.firstLine)
        s.firstLine = target;
    else if (target >= s.firstLine + EditVisibleLines(s))
        s.firstLine = target - EditVisibleLines(s) + 1;
    const RECT r = EditTextRect(s);
    const POINT p{goal, r.top + (target - s.firstLine) * s.lineHeight};
    MoveCaret(s, EditCharFromPoint(s, p, nullptr), extend);
    s.goalX = goal;
}

void LineEnds(EditState& s, bool toEnd, bool extend)
{
    const int line = EditLineFromChar(s, s.caret);
    const EditLine& l = s.lines[static_cast<std::size_t>(line)];
    std::size_t pos = l.start;
    if (toEnd) {
        pos = l.start + l.length;
        const bool wrapped = static_cast<std::size_t>(line) + 1 < s.lines.size() &&
                             s.lines[static_cast<std::size_t>(line) + 1].start == pos;
        if (wrapped && l.length > 0)
            pos = Prev(s.text, pos);
    }
    MoveCaret(s, pos, extend);
}

void KeyDown(EditState& s, unsigned key)
{
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool multi = s.Multi();
    const int keepGoal = s.goalX;
    s.goalX = -1;
    switch (key) {
    case VK_LEFT:
        MoveCaret(s, (!shift && s.anchor != s.caret) ? s.SelMin() : Prev(s.text, s.caret), shift);
        break;
    case VK_RIGHT:
        MoveCaret(s, (!shift && s.anchor != s.caret) ? s.SelMax() : Next(s.text, s.caret), shift);
        break;
    case VK_UP:
    case VK_DOWN:
        if (multi) {
            s.goalX = keepGoal;
            MoveLines(s, key == VK_UP ? -1 : 1, shift);
        } else {
            MoveCaret(s, key == VK_UP ? Prev(s.text, s.caret) : Next(s.text, s.caret), shift);
        }
        break;
    case VK_PRIOR:
    case VK_NEXT:
        if (multi) {
            s.goalX = keepGoal;
            MoveLines(s, (key == VK_PRIOR ? -1 : 1) * EditVisibleLines(s), shift);
        }
        break;
    case VK_HOME:
        if (ctrl || !multi)
            MoveCaret(s, 0, shift);
        else
            LineEnds(s, false, shift);
        break;
    case VK_END:
        if (ctrl || !multi)
            MoveCaret(s, s.text.size(), shift);
        else
            LineEnds(s, true, shift);
        break;
    case VK_DELETE:
        if (shift) {
            Cut(s);
        } else if (!(StyleOf(s.hwnd) & ES_READONLY)) {
            if (s.anchor == s.caret)
                s.caret = Next(s.text, s.caret);
            ReplaceSelection(s, u"", true, true);
        }
        break;
    case VK_INSERT:
        if (ctrl)
            Copy(s);
        else if (shift)
            Paste(s);
        break;
    case 'A':
        if (ctrl) {
            s.anchor = 0;
            MoveCaret(s, s.text.size(), true);
        }
        break;
    case 'C':
        if (ctrl)
            Copy(s);
        break;
    case 'X':
        if (ctrl)
            Cut(s);
        break;
    case 'V':
        if (ctrl)
            Paste(s);
        break;
    case 'Z':
        if (ctrl)
            Undo(s);
        break;
    default:
        s.goalX = keepGoal;
        break;
    }
}

void Char(EditState& s, char16_t c)
{
    const std::uint32_t style = StyleOf(s.hwnd);
    if (style & ES_READONLY)
        return;
    if (c == u'\b') {
        if (s.anchor == s.caret)
            s.anchor = Prev(s.text, s.caret);
        ReplaceSelection(s, u"", true, true);
        return;
    }
    if (c == u'\r') {
        if (s.Multi())
            ReplaceSelection(s, u"\r\n", true, true);
        return;
    }
    if (c < 0x20 || c == 0x7F)
        return;
    if ((style & ES_NUMBER) && (c < u'0' || c > u'9'))
        return;
    if ((style & ES_UPPERCASE) && c >= u'a' && c <= u'z')
        c = static_cast<char16_t>(c - u'a' + u'A');
    if ((style & ES_LOWERCASE) && c >= u'A' && c <= u'Z')
        c = static_cast<char16_t>(c - u'A' + u'a');
    ReplaceSelection(s, std::u16string(1, c), true, true);
}

void SetText(EditState& s, const char16_t* text)
{
    s.text = text ? text : u"";
    s.anchor = s.caret = 0;
    s.firstLine = 0;
    s.scrollX = 0;
    s.canUndo = false;
    s.modified = false;
    s.goalX = -1;
    EditLayout(s);
    EditUpdateScrollBar(s);
    EditUpdateCaret(s);
    InvalidateRect(s.hwnd, nullptr, false);
    if (s.created) {
        Notify(s.hwnd, EN_UPDATE);
        Notify(s.hwnd, EN_CHANGE);
    }
}

void ScrollLines(EditState& s, int delta)
{
    const int last = std::max(0, static_cast<int>(s.lines.size()) - EditVisibleLines(s));
    const int first = std::clamp(s.firstLine + delta, 0, last);
    if (first == s.firstLine)
        return;
    s.firstLine = first;
    EditUpdateScrollBar(s);
    EditUpdateCaret(s);
    InvalidateRect(s.hwnd, nullptr, false);
    Notify(s.hwnd, EN_VSCROLL);
}

void VScroll(EditState& s, unsigned code, int thumb)
{
    const int page = EditVisibleLines(s);
    switch (code) {
    case SB_LINEUP:
        ScrollLines(s, -1);
        break;
    case SB_LINEDOWN:
        ScrollLines(s, 1);
        break;
    case SB_PAGEUP:
        ScrollLines(s, -page);
        break;
    case SB_PAGEDOWN:
        ScrollLines(s, page);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        ScrollLines(s, thumb - s.firstLine);
        break;
    case SB_TOP:
        ScrollLines(s, -s.firstLine);
        break;
    case SB_BOTTOM:
        ScrollLines(s, static_cast<int>(s.lines.size()));
        break;
    default:
        break;
    }
}

LRESULT PackPair(std::size_t low, std::size_t high)
{
    return static_cast<LRESULT>(MAKELPARAM(static_cast<int>(std::min<std::size_t>(low, 0xFFFF)),
                                           static_cast<int>(std::min<std::size_t>(high, 0xFFFF))));
}

std::size_t CharArg(const EditState& s, WPARAM wParam)
{
    return static_cast<std::intptr_t>(wParam) < 0 ? s.caret : std::min<std::size_t>(wParam, s.text.size());
}

// ---- The edit messages ----------------------------------------------------

LRESULT GetSel(HWND, EditState& s, WPARAM wParam, LPARAM lParam)
{
    if (wParam)
        *reinterpret_cast<std::uint32_t*>(wParam) = static_cast<std::uint32_t>(s.SelMin());
    if (lParam)
        *reinterpret_cast<std::uint32_t*>(lParam) = static_cast<std::uint32_t>(s.SelMax());
    return PackPair(s.SelMin(), s.SelMax());
}

LRESULT SetSel(HWND hwnd, EditState& s, WPARAM wParam, LPARAM lParam)
{
    const auto start = static_cast<std::intptr_t>(wParam);
    const auto end = static_cast<std::intptr_t>(lParam);
    if (start < 0) {
        s.anchor = s.caret;
    } else {
        s.anchor = Snap(s.text, static_cast<std::size_t>(start));
        s.caret = end < 0 ? s.text.size() : Snap(s.text, static_cast<std::size_t>(end));
    }
    s.goalX = -1;
    EditUpdateCaret(s);
    InvalidateRect(hwnd, nullptr, false);
    return 0;
}

LRESULT ScrollCaret(HWND, EditState& s, WPARAM, LPARAM)
{
    EditScrollToCaret(s);
    return 1;
}

LRESULT GetModify(HWND, EditState& s, WPARAM, LPARAM)
{
    return s.modified ? 1 : 0;
}

LRESULT SetModify(HWND, EditState& s, WPARAM wParam, LPARAM)
{
    s.modified = wParam != 0;
    return 0;
}

LRESULT LineCount(HWND, EditState& s, WPARAM, LPARAM)
{
    return static_cast<LRESULT>(s.lines.size());
}

LRESULT LineIndex(HWND, EditState& s, WPARAM wParam, LPARAM)
{
    const auto line = static_cast<std::intptr_t>(wParam);
    const int index = line < 0 ? EditLineFromChar(s, s.caret) : static_cast<int>(line);
    return index < static_cast<int>(s.lines.size()) ? static_cast<LRESULT>(s.lines[static_cast<std::size_t>(index)].start)
                                                    : -1;
}

LRESULT LineLength(HWND, EditState& s, WPARAM wParam, LPARAM)
{
    return static_cast<LRESULT>(s.lines[static_cast<std::size_t>(EditLineFromChar(s, CharArg(s, wParam)))].length);
}

LRESULT LineFromChar(HWND, EditState& s, WPARAM wParam, LPARAM)
{
    return EditLineFromChar(s, CharArg(s, wParam));
}

// The buffer's first unit holds its size on the way in.
LRESULT GetLine(HWND, EditState& s, WPARAM wParam, LPARAM lParam)
{
    if (wParam >= s.lines.size() || !lParam)
        return 0;
    auto* buffer = reinterpret_cast<char16_t*>(lParam);
    const EditLine& l = s.lines[wParam];
    const std::size_t n = std::min<std::size_t>(l.length, buffer[0]);
    std::copy_n(s.text.begin() + static_cast<std::ptrdiff_t>(l.start), n, buffer);
    return static_cast<LRESULT>(n);
}

LRESULT ReplaceSel(HWND, EditState& s, WPARAM wParam, LPARAM lParam)
{
    ReplaceSelection(s, lParam ? reinterpret_cast<const char16_t*>(lParam) : u"", false, wParam != 0);
    return 0;
}

LRESULT SetLimit(HWND, EditState& s, WPARAM wParam, LPARAM)
{
    s.limit = wParam ? static_cast<std::size_t>(wParam) : static_cast<std::size_t>(INT_MAX);
    return 0;
}

LRESULT GetLimit(HWND, EditState& s, WPARAM, LPARAM)
{
    return static_cast<LRESULT>(s.limit);
}

LRESULT CanUndo(HWND, EditState& s, WPARAM, LPARAM)
{
    return s.canUndo ? 1 : 0;
}

LRESULT UndoStep(HWND, EditState& s, WPARAM, LPARAM)
{
    Undo(s);
    return 1;
}

LRESULT ForgetUndo(HWND, EditState& s, WPARAM, LPARAM)
{
    s.canUndo = false;
    return 0;
}

LRESULT SetPasswordChar(HWND, EditState& s, WPARAM wParam, LPARAM)
{
    if (!s.Multi()) {
        s.password = static_cast<char16_t>(wParam);
        EditLayout(s);
        EditScrollToCaret(s);
    }
    return 0;
}

LRESULT GetPasswordChar(HWND, EditState& s, WPARAM, LPARAM)
{
    return s.password;
}

LRESULT SetReadOnly(HWND hwnd, EditState&, WPARAM wParam, LPARAM)
{
    const std::uint32_t style = StyleOf(hwnd);
    SetWindowLong(hwnd, GWL_STYLE, static_cast<LONG_PTR>(wParam ? style | ES_READONLY : style & ~ES_READONLY));
    InvalidateRect(hwnd, nullptr, false);
    return 1;
}

LRESULT FirstVisibleLine(HWND, EditState& s, WPARAM, LPARAM)
{
    return s.Multi() ? s.firstLine : 0;
}

LRESULT LineScroll(HWND, EditState& s, WPARAM, LPARAM lParam)
{
    if (s.Multi())
        ScrollLines(s, static_cast<int>(lParam));
    return s.Multi() ? 1 : 0;
}

LRESULT PosFromChar(HWND, EditState& s, WPARAM wParam, LPARAM)
{
    if (wParam > s.text.size())
        return -1;
    const POINT p = EditPosFromChar(s, wParam);
    return MAKELPARAM(p.x, p.y);
}

LRESULT CharFromPos(HWND, EditState& s, WPARAM, LPARAM lParam)
{
    int line = 0;
    const std::size_t pos = EditCharFromPoint(s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, &line);
    return PackPair(pos, static_cast<std::size_t>(line));
}

// An edit message the table does not name answers 0.
constexpr MessageRow<EditState> kEditMessages[] = {
    {EM_GETSEL, &GetSel},
    {EM_SETSEL, &SetSel},
    {EM_SCROLLCARET, &ScrollCaret},
    {EM_GETMODIFY, &GetModify},
    {EM_SETMODIFY, &SetModify},
    {EM_GETLINECOUNT, &LineCount},
    {EM_LINEINDEX, &LineIndex},
    {EM_LINELENGTH, &LineLength},
    {EM_LINEFROMCHAR, &LineFromChar},
    {EM_GETLINE, &GetLine},
    {EM_REPLACESEL, &ReplaceSel},
    {EM_SETLIMITTEXT, &SetLimit},
    {EM_GETLIMITTEXT, &GetLimit},
    {EM_CANUNDO, &CanUndo},
    {EM_UNDO, &UndoStep},
    {EM_EMPTYUNDOBUFFER, &ForgetUndo},
    {EM_SETPASSWORDCHAR, &SetPasswordChar},
    {EM_GETPASSWORDCHAR, &GetPasswordChar},
    {EM_SETREADONLY, &SetReadOnly},
    {EM_GETFIRSTVISIBLELINE, &FirstVisibleLine},
    {EM_LINESCROLL, &LineScroll},
    {EM_POSFROMCHAR, &PosFromChar},
    {EM_CHARFROMPOS, &CharFromPos},
};

// ---- Window messages --------------------------------------------------------

void Paint(HWND, EditState& s)
{
    EditPaint(s);
}

// The caret goes and comes with the focus.
void FocusChanged(HWND hwnd, EditState& s, bool focused)
{
    if (focused) {
        CreateCaret(hwnd, nullptr, ScaleX(1), s.lineHeight);
        EditUpdateCaret(s);
        ShowCaret(hwnd);
    } else {
        DestroyCaret();
    }
    Notify(hwnd, focused ? EN_SETFOCUS : EN_KILLFOCUS);
}

// The lines are laid out again and the caret takes the new line height.
void FontChanged(HWND hwnd, EditState& s, bool)
{
    EditLayout(s);
    if (s.focused) {
        CreateCaret(hwnd, nullptr, ScaleX(1), s.lineHeight);
        ShowCaret(hwnd);
    }
    EditScrollToCaret(s);
}

constexpr CommonAnswers<EditState> kCommon{
    .paint = &Paint,
    .focused = &EditState::focused,
    .focusChanged = &FocusChanged,
    .font = &EditState::font,
    .fontChanged = &FontChanged,
};

LRESULT SetTextMessage(HWND, EditState& s, WPARAM, LPARAM lParam)
{
    SetText(s, reinterpret_cast<const char16_t*>(lParam));
    return 1;
}

LRESULT GetTextMessage(HWND, EditState& s, WPARAM wParam, LPARAM lParam)
{
    auto* buffer = reinterpret_cast<char16_t*>(lParam);
    if (!buffer || wParam == 0)
        return 0;
    const std::size_t n = std::min<std::size_t>(s.text.size(), wParam - 1);
    std::copy_n(s.text.begin(), n, buffer);
    buffer[n] = 0;
    return static_cast<LRESULT>(n);
}

LRESULT GetTextLength(HWND, EditState& s, WPARAM, LPARAM)
{
    return static_cast<LRESULT>(s.text.size());
}

LRESULT Resize(HWND, EditState& s, WPARAM, LPARAM)
{
    EditLayout(s);
    EditScrollToCaret(s);
    return 0;
}

// A multi-line edit that wants Return keeps it from the dialog's default
// button.
LRESULT DialogCode(HWND hwnd, EditState& s, WPARAM, LPARAM lParam)
{
    LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    const auto* m = reinterpret_cast<const MSG*>(lParam);
    if (m && s.Multi() && (StyleOf(hwnd) & ES_WANTRETURN) && m->message == WM_KEYDOWN && m->wParam == VK_RETURN)
        code |= DLGC_WANTALLKEYS;
    return code;
}

LRESULT Destroy(HWND, EditState& s, WPARAM, LPARAM)
{
    if (s.focused)
        DestroyCaret();
    return 0;
}

LRESULT TypeKey(HWND, EditState& s, WPARAM wParam, LPARAM)
{
    KeyDown(s, static_cast<unsigned>(wParam));
    return 0;
}

LRESULT TypeChar(HWND, EditState& s, WPARAM wParam, LPARAM)
{
    Char(s, static_cast<char16_t>(wParam));
    return 0;
}

// The pen places the caret (Shift extends the selection) and selects while
// it drags.
LRESULT PenDown(HWND hwnd, EditState& s, WPARAM, LPARAM lParam)
{
    if (GetFocus() != hwnd)
        SetFocus(hwnd);
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    s.goalX = -1;
    MoveCaret(s, EditCharFromPoint(s, p, nullptr), GetKeyState(VK_SHIFT) < 0);
    SetCapture(hwnd);
    return 0;
}

LRESULT PenMove(HWND hwnd, EditState& s, WPARAM, LPARAM lParam)
{
    if (GetCapture() == hwnd)
        MoveCaret(s, EditCharFromPoint(s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, nullptr), true);
    return 0;
}

LRESULT PenUp(HWND hwnd, EditState&, WPARAM, LPARAM)
{
    if (GetCapture() == hwnd)
        ReleaseCapture();
    return 0;
}

LRESULT ScrollMessage(HWND, EditState& s, WPARAM wParam, LPARAM)
{
    VScroll(s, LOWORD(wParam), static_cast<int>(static_cast<std::int16_t>(HIWORD(wParam))));
    return 0;
}

LRESULT CutMessage(HWND, EditState& s, WPARAM, LPARAM)
{
    Cut(s);
    return 0;
}

LRESULT CopyMessage(HWND, EditState& s, WPARAM, LPARAM)
{
    Copy(s);
    return 0;
}

LRESULT PasteMessage(HWND, EditState& s, WPARAM, LPARAM)
{
    Paste(s);
    return 0;
}

LRESULT ClearMessage(HWND, EditState& s, WPARAM, LPARAM)
{
    ReplaceSelection(s, u"", true, true);
    return 0;
}

constexpr MessageRow<EditState> kWindowMessages[] = {
    {WM_SETTEXT, &SetTextMessage},
    {WM_GETTEXT, &GetTextMessage},
    {WM_GETTEXTLENGTH, &GetTextLength},
    {WM_SIZE, &Resize},
    {WM_GETDLGCODE, &DialogCode},
    {WM_DESTROY, &Destroy},
    {WM_KEYDOWN, &TypeKey},
    {WM_CHAR, &TypeChar},
    {WM_LBUTTONDOWN, &PenDown},
    {WM_MOUSEMOVE, &PenMove},
    {WM_LBUTTONUP, &PenUp},
    {WM_VSCROLL, &ScrollMessage},
    {WM_CUT, &CutMessage},
    {WM_COPY, &CopyMessage},
    {WM_PASTE, &PasteMessage},
    {WM_CLEAR, &ClearMessage},
    {WM_UNDO, &UndoStep},
};

} // namespace

LRESULT EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE) {
        auto s = MakeState<EditState>(hwnd);
        s->hwnd = hwnd;
        const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
        if (StyleOf(hwnd) & ES_PASSWORD)
            s->password = u'*';
        SetText(*s, cs ? cs->lpszName : nullptr);
        s->created = true;
        return 0;
    }
    auto state = StateOf<EditState>(hwnd);
    if (!state)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    if (msg >= EM_GETSEL && msg <= EM_CHARFROMPOS) {
        const MessageStep<EditState> step = StepFor(kEditMessages, msg);
        return step ? step(hwnd, *state, wParam, lParam) : 0;
    }
    return AnswerMessage(kWindowMessages, kCommon, hwnd, *state, msg, wParam, lParam);
}

} // namespace Platform::Controls

bool SetDlgItemInt(HWND dialog, int id, UINT value, bool isSigned)
{
    const std::string digits = isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
    const std::u16string text(digits.begin(), digits.end());
    return SetDlgItemText(dialog, id, text.c_str());
}

UINT GetDlgItemInt(HWND dialog, int id, bool* translated, bool isSigned)
{
    if (translated)
        *translated = false;
    const HWND item = GetDlgItem(dialog, id);
    if (!item)
        return 0;
    const std::u16string text = Platform::Controls::TextOf(item);
    std::string narrow;
    for (char16_t c : text) {
        if (c > 0x7F)
            return 0;
        narrow.push_back(static_cast<char>(c));
    }
    const std::size_t first = narrow.find_first_not_of(' ');
    const std::size_t last = narrow.find_last_not_of(' ');
    if (first == std::string::npos)
        return 0;
    const char* begin = narrow.data() + first;
    const char* end = narrow.data() + last + 1;
    if (*begin == '+')
        ++begin;
    UINT result = 0;
    std::from_chars_result r{};
    if (isSigned) {
        int value = 0;
        r = std::from_chars(begin, end, value);
        result = static_cast<UINT>(value);
    } else {
        if (begin < end && *begin == '-')
            return 0;
        r = std::from_chars(begin, end, result);
    }
    if (r.ec != std::errc() || r.ptr != end || begin == end)
        return 0;
    if (translated)
        *translated = true;
    return result;
}
