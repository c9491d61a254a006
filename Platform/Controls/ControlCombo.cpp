// The combo box, its edit field and its dropped list.

#include "ControlCombo.h"
#include "CYolString.h"
#include "ControlEdit.h"
#include "ControlImpl.h"
#include "ControlScrollBar.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/WindowKeys.h"

#include <algorithm>
#include <vector>

namespace Platform::Controls {
namespace {

struct Entry {
    std::u16string text;
    LPARAM data = 0;
};

struct ComboState {
    static inline const char key = 0;
    HFONT font = nullptr;
    std::vector<Entry> entries;
    int sel = -1;
    HWND edit = nullptr;
    HWND list = nullptr;
    // The row the open list marks and the first row it shows.
    int hot = -1;
    int top = 0;
    int rows = 0;
    // The height the combo was made with: the field and the list's room.
    int madeHeight = 0;
    bool focused = false;
    bool closing = false;
    // The pen is on the list's scroll bar, which holds the capture itself.
    bool barPress = false;
    // Our own change of the edit's text, not the user's.
    bool settingText = false;
};

struct ListState {
    static inline const char key = 0;
    HWND combo = nullptr;
};

struct EditHook {
    static inline const char key = 0;
    WNDPROC old = nullptr;
    HWND combo = nullptr;
};

// Lists shorter than this many rows of room drop this many instead.
constexpr int kFewRows = 3;
constexpr int kDefaultRows = 6;

bool HasEdit(HWND hwnd)
{
    return (StyleOf(hwnd) & CBS_TYPEMASK) == CBS_DROPDOWN;
}

int RowHeight(const ComboState& s)
{
    return LineHeight(s.font) + ScaleY(2);
}

int FieldHeight(const ComboState& s)
{
    return LineHeight(s.font) + ScaleY(6);
}

int ButtonWidth(HWND hwnd)
{
    return std::min(GetSystemMetrics(SM_CXVSCROLL), ClientOf(hwnd).right / 2);
}

std::u16string Fold(std::u16string_view text)
{
    std::u16string out(text);
    for (char16_t& c : out)
        c = CYolString::ToLowerChar(c);
    return out;
}

bool Valid(const ComboState& s, std::intptr_t index)
{
    return index >= 0 && index < static_cast<std::intptr_t>(s.entries.size());
}

int Count(const ComboState& s)
{
    return static_cast<int>(s.entries.size());
}

// The field keeps one line; the rest of the height it was made with is the
// list's room.
void FitField(HWND hwnd, const ComboState& s)
{
    const RECT c = ClientOf(hwnd);
    const int height = std::min(s.madeHeight, FieldHeight(s));
    if (c.bottom != height)
        SetWindowPos(hwnd, nullptr, 0, 0, c.right, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlaceEdit(HWND hwnd, const ComboState& s)
{
    if (!s.edit)
        return;
    const RECT c = ClientOf(hwnd);
    MoveWindow(s.edit, 1, 1, std::max(0, c.right - ButtonWidth(hwnd) - 2), std::max(0, c.bottom - 2), true);
}

void ShowSelection(HWND hwnd, ComboState& s)
{
    const std::u16string text = Valid(s, s.sel) ? s.entries[static_cast<size_t>(s.sel)].text : std::u16string();
    if (s.edit) {
        s.settingText = true;
        SetWindowText(s.edit, text.c_str());
        s.settingText = false;
        SendMessage(s.edit, EM_SETSEL, 0, static_cast<LPARAM>(-1));
    } else {
        DefWindowProc(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    InvalidateRect(hwnd, nullptr, false);
}

void Select(HWND hwnd, ComboState& s, int index)
{
    s.sel = Valid(s, index) ? index : -1;
    ShowSelection(hwnd, s);
}

// A choice the user made.
void Choose(HWND hwnd, ComboState& s, int index)
{
    const bool changed = index != s.sel;
    Select(hwnd, s, index);
    if (changed)
        Notify(hwnd, CBN_SELCHANGE);
    if (IsWindow(hwnd))
        Notify(hwnd, CBN_SELENDOK);
}

// ---- The dropped list -----------------------------------------------------

void SyncListBar(ComboState& s)
{
    if (!s.list)
        return;
    s.hot = std::min(s.hot, Count(s) - 1);
    s.top = std::clamp(s.top, 0, std::max(0, Count(s) - s.rows));
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = std::max(0, Count(s) - 1);
    si.nPage = static_cast<UINT>(s.rows);
    si.nPos = s.top;
    SetScrollInfo(s.list, SB_VERT, &si, true);
    InvalidateRect(s.list, nullptr, false);
}

void MarkRow(ComboState& s, int row)
{
    if (!Count(s))
        return;
    s.hot = std::clamp(row, 0, Count(s) - 1);
    if (s.hot < s.top)
        s.top = s.hot;
    else if (s.hot >= s.top + s.rows)
        s.top = s.hot - s.rows + 1;
    SyncListBar(s);
}

void OpenList(HWND hwnd, ComboState& s)
{
    if (s.list || !IsWindowEnabled(hwnd))
        return;
    // The parent may fill the list now.
    Notify(hwnd, CBN_DROPDOWN);
    if (!IsWindow(hwnd) || s.list)
        return;
    RECT field;
    GetWindowRect(hwnd, &field);
    const int row = RowHeight(s);
    int roomRows = (s.madeHeight - (field.bottom - field.top)) / row;
    if (roomRows < kFewRows)
        roomRows = kDefaultRows;
    s.rows = std::max(1, std::min(Count(s), roomRows));
    const int height = s.rows * row + 2;
    int y = field.bottom;
    if (y + height > GetSystemMetrics(SM_CYSCREEN) && field.top - height >= 0)
        y = field.top - height;
    const bool scrolls = Count(s) > s.rows;
    s.hot = s.sel;
    s.top = 0;
    s.list = CreateWindowEx(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, WC_COMBOLIST, u"",
                            WS_POPUP | (scrolls ? WS_VSCROLL : 0), field.left, y, field.right - field.left, height,
                            hwnd, nullptr, nullptr, hwnd);
    if (!s.list)
        return;
    if (Valid(s, s.hot))
        MarkRow(s, s.hot);
    else
        SyncListBar(s);
    ShowWindow(s.list, SW_SHOWNA);
    SetCapture(s.list);
    InvalidateRect(hwnd, nullptr, false);
}

void CloseList(HWND hwnd, ComboState& s, bool accept)
{
    if (!s.list || s.closing)
        return;
    s.closing = true;
    const HWND list = s.list;
    s.list = nullptr;
    if (GetCapture() == list)
        ReleaseCapture();
    DestroyWindow(list);
    s.closing = false;
    InvalidateRect(hwnd, nullptr, false);
    if (accept && Valid(s, s.hot))
        Choose(hwnd, s, s.hot);
    else
        Notify(hwnd, CBN_SELENDCANCEL);
    if (IsWindow(hwnd))
        Notify(hwnd, CBN_CLOSEUP);
}

int RowAt(const ComboState& s, int y)
{
    const int row = s.top + (y - 1) / RowHeight(s);
    return y >= 1 && row < std::min(Count(s), s.top + s.rows) ? row : -1;
}

void PaintList(HWND list, const ComboState& s, HWND combo)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(list, &ps);
    const RECT c = ClientOf(list);
    FillRect(hdc, &c, ControlBrush(combo, hdc, WM_CTLCOLORLISTBOX, GetSysColorBrush(COLOR_WINDOW)));
    const COLORREF ink = GetTextColor(hdc);
    FrameRect(hdc, &c, GetSysColorBrush(COLOR_WINDOWFRAME));
    HGDIOBJ oldFont = SelectObject(hdc, FontOr(s.font));
    SetBkMode(hdc, TRANSPARENT);
    const int row = RowHeight(s);
    for (int i = s.top; i < std::min(Count(s), s.top + s.rows); ++i) {
        const int y = 1 + (i - s.top) * row;
        RECT r{1, y, c.right - 1, y + row};
        if (i == s.hot) {
            FillRect(hdc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        } else {
            SetTextColor(hdc, ink);
        }
        r.left += ScaleX(2);
        const std::u16string& text = s.entries[static_cast<size_t>(i)].text;
        DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &r,
                 DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    SelectObject(hdc, oldFont);
    EndPaint(list, &ps);
}

// A pen press on the list's scroll bar: the bar follows the pen with the
// capture of its own, which goes back to the list afterwards.
bool PressListBar(HWND list, ComboState& s, POINT screen)
{
    if (!IsScrollBarShown(list))
        return false;
    RECT bar = GetScrollBarRect(list);
    RECT window;
    GetWindowRect(list, &window);
    OffsetRect(&bar, window.left, window.top);
    if (!PtInRect(&bar, screen))
        return false;
    s.barPress = true;
    ReleaseCapture();
    SendMessage(list, WM_NCLBUTTONDOWN, static_cast<WPARAM>(HTVSCROLL), MAKELPARAM(screen.x, screen.y));
    s.barPress = false;
    if (IsWindow(list) && s.list == list)
        SetCapture(list);
    return true;
}

// ---- Keys -----------------------------------------------------------------

// Keys the combo takes from its edit field.
bool IsComboKey(const ComboState& s, WPARAM vk)
{
    if (vk == VK_UP || vk == VK_DOWN)
        return true;
    return s.list && (vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_PRIOR || vk == VK_NEXT);
}

// The row a key moves to from `from`, or `from` when it is no moving key.
int MovedRow(HWND hwnd, const ComboState& s, WPARAM vk, int from)
{
    const int page = std::max(1, s.list ? s.rows : kDefaultRows);
    const bool sideways = !HasEdit(hwnd);
    if (vk == VK_UP || (sideways && vk == VK_LEFT))
        return from < 0 ? 0 : from - 1;
    if (vk == VK_DOWN || (sideways && vk == VK_RIGHT))
        return from + 1;
    if (vk == VK_PRIOR)
        return from - page;
    if (vk == VK_NEXT)
        return from + page;
    if (sideways && vk == VK_HOME)
        return 0;
    if (sideways && vk == VK_END)
        return Count(s) - 1;
    return from;
}

void KeyDown(HWND hwnd, ComboState& s, WPARAM vk)
{
    if (s.list) {
        if (vk == VK_RETURN)
            CloseList(hwnd, s, true);
        else if (vk == VK_ESCAPE)
            CloseList(hwnd, s, false);
        else
            MarkRow(s, MovedRow(hwnd, s, vk, s.hot));
        return;
    }
    if (!Count(s))
        return;
    const int row = std::clamp(MovedRow(hwnd, s, vk, s.sel), 0, Count(s) - 1);
    if (row != s.sel)
        Choose(hwnd, s, row);
}

// A character typed on a closed drop-down list chooses the next entry after
// the chosen one that starts with it, case-insensitively, going round to the
// top; the chosen entry itself comes last, so typing the same letter again
// walks through the entries that start with it.
void TypeToSelect(HWND hwnd, ComboState& s, char16_t typed)
{
    const int n = Count(s);
    if (s.list || HasEdit(hwnd) || !n || typed < u' ')
        return;
    const char16_t wanted = CYolString::ToLowerChar(typed);
    const int from = Valid(s, s.sel) ? s.sel : -1;
    for (int step = 1; step <= n; ++step) {
        const int index = (from + step) % n;
        const std::u16string& text = s.entries[static_cast<size_t>(index)].text;
        if (!text.empty() && CYolString::ToLowerChar(text[0]) == wanted) {
            if (index != s.sel)
                Choose(hwnd, s, index);
            return;
        }
    }
}

LRESULT EditHookProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto hook = StateOf<EditHook>(edit);
    if (!hook)
        return DefWindowProc(edit, msg, wParam, lParam);
    if (auto s = StateOf<ComboState>(hook->combo)) {
        if (msg == WM_KEYDOWN && IsComboKey(*s, wParam))
            return SendMessage(hook->combo, WM_KEYDOWN, wParam, lParam);
        if (msg == WM_GETDLGCODE && s->list)
            return CallWindowProc(hook->old, edit, msg, wParam, lParam) | DLGC_WANTALLKEYS;
    }
    return CallWindowProc(hook->old, edit, msg, wParam, lParam);
}

// ---- The field --------------------------------------------------------------

void PaintField(HWND hwnd, const ComboState& s)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    const RECT c = ClientOf(hwnd);
    const bool enabled = IsWindowEnabled(hwnd);
    FillRect(hdc, &c, ControlBrush(hwnd, hdc, WM_CTLCOLOREDIT, GetSysColorBrush(COLOR_WINDOW)));
    FrameRect(hdc, &c, GetSysColorBrush(COLOR_WINDOWFRAME));
    const int bw = ButtonWidth(hwnd);
    DrawArrowButton(hdc, RECT{c.right - bw, c.top, c.right, c.bottom}, Arrow::Down, s.list != nullptr, enabled);
    if (!s.edit) {
        RECT text{1, 1, c.right - bw, c.bottom - 1};
        if (s.focused && !s.list && enabled) {
            FillRect(hdc, &text, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        }
        text.left += ScaleX(2);
        HGDIOBJ oldFont = SelectObject(hdc, FontOr(s.font));
        SetBkMode(hdc, TRANSPARENT);
        const std::u16string shown = Valid(s, s.sel) ? s.entries[static_cast<size_t>(s.sel)].text : TextOf(hwnd);
        DrawText(hdc, shown.c_str(), static_cast<int>(shown.size()), &text,
                 DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(hdc, oldFont);
    }
    EndPaint(hwnd, &ps);
}

void Create(HWND hwnd, const CREATESTRUCT& cs)
{
    auto s = MakeState<ComboState>(hwnd);
    s->madeHeight = cs.cy;
    if ((cs.style & CBS_TYPEMASK) == CBS_DROPDOWN) {
        s->edit = CreateWindowEx(0, WC_EDIT, cs.lpszName ? cs.lpszName : u"",
                                 WS_CHILD | WS_VISIBLE | ((cs.style & CBS_AUTOHSCROLL) ? ES_AUTOHSCROLL : 0), 0, 0, 0,
                                 0, hwnd, reinterpret_cast<HMENU>(static_cast<std::intptr_t>(COMBO_EDIT_ID)), nullptr,
                                 nullptr);
        if (s->edit) {
            auto hook = std::make_shared<EditHook>();
            hook->combo = hwnd;
            SetWindowExtra(s->edit, &EditHook::key, hook);
            hook->old = reinterpret_cast<WNDPROC>(
                SetWindowLong(s->edit, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&EditHookProc)));
        }
    }
    FitField(hwnd, *s);
    PlaceEdit(hwnd, *s);
}

std::intptr_t Insert(HWND hwnd, ComboState& s, std::intptr_t at, const char16_t* text)
{
    if (!text)
        return CB_ERR;
    Entry entry{text, 0};
    if (at == -1 && (StyleOf(hwnd) & CBS_SORT)) {
        const std::u16string key = Fold(entry.text);
        at = std::upper_bound(s.entries.begin(), s.entries.end(), key,
                              [](const std::u16string& k, const Entry& e) { return k < Fold(e.text); }) -
             s.entries.begin();
    } else if (at == -1) {
        at = Count(s);
    } else if (at < 0 || at > Count(s)) {
        return CB_ERR;
    }
    s.entries.insert(s.entries.begin() + at, std::move(entry));
    if (s.sel >= at)
        ++s.sel;
    if (s.list && s.hot >= at)
        ++s.hot;
    SyncListBar(s);
    return at;
}

LRESULT Delete(HWND hwnd, ComboState& s, std::intptr_t at)
{
    if (!Valid(s, at))
        return CB_ERR;
    s.entries.erase(s.entries.begin() + at);
    if (s.sel == at) {
        s.sel = -1;
        if (!s.edit)
            ShowSelection(hwnd, s);
    } else if (s.sel > at) {
        --s.sel;
    }
    if (s.list && s.hot >= at)
        s.hot = s.hot == at ? -1 : s.hot - 1;
    SyncListBar(s);
    return Count(s);
}

LRESULT FindExact(const ComboState& s, std::intptr_t after, const char16_t* text)
{
    const int n = Count(s);
    if (!text || !n)
        return CB_ERR;
    if (after < -1 || after >= n)
        after = -1;
    const std::u16string wanted = Fold(text);
    for (int i = 1; i <= n; ++i) {
        const int index = static_cast<int>((after + i) % n);
        if (Fold(s.entries[static_cast<size_t>(index)].text) == wanted)
            return index;
    }
    return CB_ERR;
}

// The field answers the enabling, the dialog keys and the focus itself:
// they go to its edit field when it has one.
constexpr CommonAnswers<ComboState, const ComboState> kCommon{
    .paint = &PaintField,
    .font = &ComboState::font,
    // The field's height follows the font.
    .fontChanged =
        [](HWND hwnd, ComboState& s, bool redraw) {
            if (s.edit)
                SendMessage(s.edit, WM_SETFONT, reinterpret_cast<WPARAM>(s.font), redraw);
            FitField(hwnd, s);
            if (redraw)
                InvalidateRect(hwnd, nullptr, false);
        },
};

// ---- Messages of the field ----------------------------------------------

LRESULT Resize(HWND hwnd, ComboState& s, WPARAM, LPARAM)
{
    PlaceEdit(hwnd, s);
    InvalidateRect(hwnd, nullptr, false);
    return 0;
}

LRESULT SetFieldText(HWND hwnd, ComboState& s, WPARAM wParam, LPARAM lParam)
{
    if (s.edit) {
        s.settingText = true;
        const LRESULT set = SendMessage(s.edit, WM_SETTEXT, wParam, lParam);
        s.settingText = false;
        return set;
    }
    // The field of a drop-down list shows entries only.
    const LRESULT found = FindExact(s, -1, reinterpret_cast<const char16_t*>(lParam));
    if (found == CB_ERR)
        return 0;
    Select(hwnd, s, static_cast<int>(found));
    return 1;
}

template <UINT Msg>
LRESULT FieldText(HWND hwnd, ComboState& s, WPARAM wParam, LPARAM lParam)
{
    return s.edit ? SendMessage(s.edit, Msg, wParam, lParam) : DefWindowProc(hwnd, Msg, wParam, lParam);
}

LRESULT Enable(HWND hwnd, ComboState& s, WPARAM wParam, LPARAM)
{
    if (s.edit)
        EnableWindow(s.edit, wParam != 0);
    if (!wParam)
        CloseList(hwnd, s, false);
    InvalidateRect(hwnd, nullptr, false);
    return 0;
}

LRESULT DialogCode(HWND hwnd, ComboState& s, WPARAM, LPARAM)
{
    return DLGC_WANTARROWS | (HasEdit(hwnd) ? 0 : DLGC_WANTCHARS) | (s.list ? DLGC_WANTALLKEYS : 0);
}

// A combo with an edit field hands the focus on to it.
LRESULT TakeFocus(HWND hwnd, ComboState& s, WPARAM, LPARAM)
{
    if (s.edit) {
        SetFocus(s.edit);
        return 0;
    }
    s.focused = true;
    InvalidateRect(hwnd, nullptr, false);
    Notify(hwnd, CBN_SETFOCUS);
    return 0;
}

LRESULT LoseFocus(HWND hwnd, ComboState& s, WPARAM, LPARAM)
{
    if (s.edit)
        return 0;
    s.focused = false;
    CloseList(hwnd, s, false);
    InvalidateRect(hwnd, nullptr, false);
    if (IsWindow(hwnd))
        Notify(hwnd, CBN_KILLFOCUS);
    return 0;
}

// The edit field's notices, told on as the combo's own.
LRESULT EditNotice(HWND hwnd, ComboState& s, WPARAM wParam, LPARAM lParam)
{
    if (reinterpret_cast<HWND>(lParam) != s.edit || !s.edit)
        return 0;
    switch (HIWORD(wParam)) {
    case EN_CHANGE:
        if (!s.settingText)
            Notify(hwnd, CBN_EDITCHANGE);
        break;
    case EN_SETFOCUS:
        Notify(hwnd, CBN_SETFOCUS);
        break;
    case EN_KILLFOCUS:
        CloseList(hwnd, s, false);
        if (IsWindow(hwnd))
            Notify(hwnd, CBN_KILLFOCUS);
        break;
    default:
        break;
    }
    return 0;
}

// A tap closes an open list; else it drops the list, from anywhere on a
// drop-down list, from the button only beside an edit field.
LRESULT PenDown(HWND hwnd, ComboState& s, WPARAM, LPARAM lParam)
{
    SetFocus(s.edit ? s.edit : hwnd);
    if (s.list) {
        CloseList(hwnd, s, false);
        return 0;
    }
    const RECT c = ClientOf(hwnd);
    if (!s.edit || GET_X_LPARAM(lParam) >= c.right - ButtonWidth(hwnd))
        OpenList(hwnd, s);
    return 0;
}

LRESULT KeyMessage(HWND hwnd, ComboState& s, WPARAM wParam, LPARAM)
{
    KeyDown(hwnd, s, wParam);
    return 0;
}

LRESULT CharMessage(HWND hwnd, ComboState& s, WPARAM wParam, LPARAM)
{
    TypeToSelect(hwnd, s, static_cast<char16_t>(wParam));
    return 0;
}

LRESULT Destroy(HWND, ComboState& s, WPARAM, LPARAM)
{
    if (s.list) {
        s.closing = true;
        DestroyWindow(s.list);
        s.list = nullptr;
        s.closing = false;
    }
    return 0;
}

constexpr MessageRow<ComboState> kFieldMessages[] = {
    {WM_SIZE, &Resize},
    {WM_SETTEXT, &SetFieldText},
    {WM_GETTEXT, &FieldText<WM_GETTEXT>},
    {WM_GETTEXTLENGTH, &FieldText<WM_GETTEXTLENGTH>},
    {WM_ENABLE, &Enable},
    {WM_GETDLGCODE, &DialogCode},
    {WM_SETFOCUS, &TakeFocus},
    {WM_KILLFOCUS, &LoseFocus},
    {WM_COMMAND, &EditNotice},
    {WM_LBUTTONDOWN, &PenDown},
    {WM_LBUTTONDBLCLK, &PenDown},
    {WM_KEYDOWN, &KeyMessage},
    {WM_CHAR, &CharMessage},
    {WM_DESTROY, &Destroy},
};

} // namespace

LRESULT ComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE) {
        Create(hwnd, *reinterpret_cast<const CREATESTRUCT*>(lParam));
        return 0;
    }
    auto state = StateOf<ComboState>(hwnd);
    if (!state)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    ComboState& s = *state;
    const auto index = static_cast<std::intptr_t>(wParam);
    switch (msg) {
    case CB_ADDSTRING:
        return Insert(hwnd, s, -1, reinterpret_cast<const char16_t*>(lParam));
    case CB_INSERTSTRING:
        return Insert(hwnd, s, index == -1 ? Count(s) : index, reinterpret_cast<const char16_t*>(lParam));
    case CB_DELETESTRING:
        return Delete(hwnd, s, index);
    case CB_RESETCONTENT:
        s.entries.clear();
        Select(hwnd, s, -1);
        SyncListBar(s);
        return 0;
    case CB_GETCOUNT:
        return Count(s);
    case CB_GETCURSEL:
        return s.sel;
    case CB_SETCURSEL:
        Select(hwnd, s, static_cast<int>(Valid(s, index) ? index : -1));
        return Valid(s, index) ? index : CB_ERR;
    case CB_GETLBTEXTLEN:
        return Valid(s, index) ? static_cast<LRESULT>(s.entries[static_cast<size_t>(index)].text.size()) : CB_ERR;
    case CB_GETLBTEXT: {
        if (!Valid(s, index) || !lParam)
            return CB_ERR;
        const std::u16string& text = s.entries[static_cast<size_t>(index)].text;
        auto* out = reinterpret_cast<char16_t*>(lParam);
        std::copy(text.begin(), text.end(), out);
        out[text.size()] = u'\0';
        return static_cast<LRESULT>(text.size());
    }
    case CB_SETITEMDATA:
        if (!Valid(s, index))
            return CB_ERR;
        s.entries[static_cast<size_t>(index)].data = lParam;
        return 0;
    case CB_GETITEMDATA:
        return Valid(s, index) ? s.entries[static_cast<size_t>(index)].data : CB_ERR;
    case CB_FINDSTRINGEXACT:
        return FindExact(s, index, reinterpret_cast<const char16_t*>(lParam));
    case CB_SHOWDROPDOWN:
        if (wParam)
            OpenList(hwnd, s);
        else
            CloseList(hwnd, s, false);
        return 1;
    case CB_GETDROPPEDSTATE:
        return s.list != nullptr;
    default:
        return AnswerMessage(kFieldMessages, kCommon, hwnd, s, msg, wParam, lParam);
    }
}

LRESULT ComboListProc(HWND list, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE) {
        MakeState<ListState>(list)->combo =
            static_cast<HWND>(reinterpret_cast<const CREATESTRUCT*>(lParam)->lpCreateParams);
        return 0;
    }
    auto ls = StateOf<ListState>(list);
    const HWND combo = ls ? ls->combo : nullptr;
    auto state = combo ? StateOf<ComboState>(combo) : nullptr;
    if (!state || state->list != list)
        return DefWindowProc(list, msg, wParam, lParam);
    ComboState& s = *state;
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const RECT c = ClientOf(list);
    switch (msg) {
    case WM_PAINT:
        PaintList(list, s, combo);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (PtInRect(&c, pt)) {
            if (RowAt(s, pt.y) >= 0)
                MarkRow(s, RowAt(s, pt.y));
            return 0;
        }
        {
            POINT screen = pt;
            ClientToScreen(list, &screen);
            if (!PressListBar(list, s, screen))
                CloseList(combo, s, false);
        }
        return 0;
    case WM_MOUSEMOVE:
        if ((wParam & MK_LBUTTON) && PtInRect(&c, pt) && RowAt(s, pt.y) >= 0)
            MarkRow(s, RowAt(s, pt.y));
        return 0;
    case WM_LBUTTONUP:
        // The lift of the tap that dropped the list lands on the field.
        if (PtInRect(&c, pt) && RowAt(s, pt.y) >= 0) {
            s.hot = RowAt(s, pt.y);
            CloseList(combo, s, true);
        }
        return 0;
    case WM_VSCROLL:
        s.top = ScrolledTop(LOWORD(wParam), HIWORD(wParam), s.top, s.rows, Count(s));
        SyncListBar(s);
        return 0;
    case WM_CAPTURECHANGED:
        if (!s.barPress && !s.closing)
            CloseList(combo, s, false);
        return 0;
    default:
        return DefWindowProc(list, msg, wParam, lParam);
    }
}

} // namespace Platform::Controls
