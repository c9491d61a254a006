#pragma once
// What the control classes share: their state beside the window, the parent
// notifications, the control colours and the font.

#include "Control.h"
#include "Drawing/Gdi.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Messages.h"
#include "WindowSystem/Timers.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowGeometry.h"
#include "WindowSystem/WindowPaint.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Platform::Controls {

// A control's state lives in the window's extra slot under the state type's
// own key; handlers hold a reference for the message, so a control destroyed
// inside its own notification does not pull the state from under them.
template <class T>
std::shared_ptr<T> StateOf(HWND hwnd)
{
    return std::static_pointer_cast<T>(GetWindowExtra(hwnd, &T::key));
}

template <class T>
std::shared_ptr<T> MakeState(HWND hwnd)
{
    auto state = std::make_shared<T>();
    SetWindowExtra(hwnd, &T::key, state);
    return state;
}

inline std::uint32_t StyleOf(HWND hwnd)
{
    return static_cast<std::uint32_t>(GetWindowLong(hwnd, GWL_STYLE));
}

inline RECT ClientOf(HWND hwnd)
{
    RECT r;
    GetClientRect(hwnd, &r);
    return r;
}

std::u16string TextOf(HWND hwnd);

// WM_COMMAND with the control's id and `code` to its parent.
void Notify(HWND control, unsigned code);
// WM_NOTIFY with a record whose head names the control.
LRESULT NotifyRecord(HWND control, NMHDR* record, UINT code);

// WM_NOTIFY with a bare NMHDR.
void TellPlain(HWND control, UINT code);

// Sets the default colours on the context, asks the parent with
// `ctlColorMessage` and answers its brush, or `fallback` when it has none.
HBRUSH ControlBrush(HWND control, HDC hdc, UINT ctlColorMessage, HBRUSH fallback);

// The font a control draws with: the one WM_SETFONT gave, else the default
// GUI font.
HFONT FontOr(HFONT font);
// Line height of the font.
int LineHeight(HFONT font);

// A button face with a triangle pointing `towards` (greyed when disabled):
// raised, or sunken while pressed, the triangle then moved by `shift`
// pixels down and right.
enum class Arrow { Up, Down, Left, Right };
void DrawArrowButton(HDC hdc, RECT box, Arrow towards, bool sunken, bool enabled, int shift = 0);

// ---- Messages most classes answer alike --------------------------------

// How a control takes part in the messages most classes answer the same
// way. `Painted` is the state type its painter takes (const for painters
// that only read it).
template <class State, class Painted = State>
struct CommonAnswers {
    void (*paint)(HWND, Painted&) = nullptr;
    // What WM_GETDLGCODE answers.
    LRESULT dlgCode = DLGC_WANTARROWS;
    // The flag WM_SETFOCUS / WM_KILLFOCUS keep for painting the focus;
    // without one the control leaves the focus messages to DefWindowProc.
    bool State::*focused = nullptr;
    // More work once the flag is set and the control is marked for painting.
    void (*focusChanged)(HWND, State&, bool focused) = nullptr;
    // Where WM_SETFONT keeps the font WM_GETFONT answers; without one the
    // control leaves both to DefWindowProc.
    HFONT State::*font = nullptr;
    // More work for a new font; `redraw` is what WM_SETFONT asked.
    void (*fontChanged)(HWND, State&, bool redraw) = nullptr;
};

// Answers painting (the painter covers the whole client, so there is no
// background to erase), WM_ENABLE (a repaint, greyed or not), the dialog
// keys, the focus and the font as `answers` say; the rest goes to
// DefWindowProc.
template <class State, class Painted>
LRESULT CommonMessage(HWND hwnd, State& s, const CommonAnswers<State, Painted>& answers, UINT msg, WPARAM wParam,
                      LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        if (!answers.paint)
            break;
        answers.paint(hwnd, s);
        return 0;
    case WM_ERASEBKGND:
        if (!answers.paint)
            break;
        return 1;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, false);
        return 0;
    case WM_GETDLGCODE:
        return answers.dlgCode;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (!answers.focused)
            break;
        s.*answers.focused = msg == WM_SETFOCUS;
        InvalidateRect(hwnd, nullptr, false);
        if (answers.focusChanged)
            answers.focusChanged(hwnd, s, msg == WM_SETFOCUS);
        return 0;
    case WM_SETFONT:
        if (!answers.font)
            break;
        s.*answers.font = reinterpret_cast<HFONT>(wParam);
        if (answers.fontChanged)
            answers.fontChanged(hwnd, s, lParam != 0);
        return 0;
    case WM_GETFONT:
        if (!answers.font)
            break;
        return reinterpret_cast<LRESULT>(s.*answers.font);
    default:
        break;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

// A focusChanged that tells the parent NM_SETFOCUS / NM_KILLFOCUS.
template <class State>
void TellFocus(HWND hwnd, State&, bool focused)
{
    TellPlain(hwnd, focused ? NM_SETFOCUS : NM_KILLFOCUS);
}

// A fontChanged for controls that only repaint with the new font.
template <class State>
void RepaintForFont(HWND hwnd, State&, bool redraw)
{
    if (redraw)
        InvalidateRect(hwnd, nullptr, false);
}

// ---- Message tables -----------------------------------------------------

// A control answers its own messages from a table of small steps, one row per
// message, so that its window procedure stays a look-up however many
// messages the class knows.
template <class State>
using MessageStep = LRESULT (*)(HWND hwnd, State& s, WPARAM wParam, LPARAM lParam);

template <class State>
struct MessageRow {
    UINT msg;
    MessageStep<State> step;
};

// The step `table` holds for `msg`, or null.
template <class State, std::size_t N>
MessageStep<State> StepFor(const MessageRow<State> (&table)[N], UINT msg)
{
    for (const MessageRow<State>& row : table)
        if (row.msg == msg)
            return row.step;
    return nullptr;
}

// Answers `msg` from the control's table; what the table leaves goes to the
// messages most classes answer alike.
template <class State, class Painted, std::size_t N>
LRESULT AnswerMessage(const MessageRow<State> (&table)[N], const CommonAnswers<State, Painted>& common, HWND hwnd,
                      State& s, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (const MessageStep<State> step = StepFor(table, msg))
        return step(hwnd, s, wParam, lParam);
    return CommonMessage(hwnd, s, common, msg, wParam, lParam);
}

// The window procedure of a control that answers from a table: WM_CREATE
// makes the state (`created` finishes the set-up), and every later message
// is looked up while the procedure holds the state.
template <class State, class Painted, std::size_t N>
LRESULT TableProc(const MessageRow<State> (&table)[N], const CommonAnswers<State, Painted>& common, HWND hwnd,
                  UINT msg, WPARAM wParam, LPARAM lParam, void (*created)(HWND, State&) = nullptr)
{
    if (msg == WM_CREATE) {
        const std::shared_ptr<State> made = MakeState<State>(hwnd);
        if (created)
            created(hwnd, *made);
        return 0;
    }
    const std::shared_ptr<State> state = StateOf<State>(hwnd);
    if (!state)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    return AnswerMessage(table, common, hwnd, *state, msg, wParam, lParam);
}

// WM_KEYUP of a control that scrolls while an arrow key is held: letting go
// ends the scroll. `tell` sends the parent a scroll code.
template <class State, void (*tell)(HWND, const State&, unsigned)>
LRESULT EndKeyScroll(HWND hwnd, State& s, WPARAM, LPARAM)
{
    if (s.keyHeld) {
        s.keyHeld = false;
        tell(hwnd, s, SB_ENDSCROLL);
    }
    return 0;
}

// ---- Scrolling ----------------------------------------------------------

// WM_VSCROLL (WM_HSCROLL for a horizontal control) with `code` and `pos` to
// the control's parent.
void TellScroll(HWND control, bool vertical, unsigned code, int pos);

// The scroll code a key asks of a bar (SB_LINEUP .. SB_BOTTOM), or
// SB_ENDSCROLL for a key that asks nothing.
unsigned ScrollCodeOfKey(WPARAM vk);

// The first row a WM_VSCROLL code asks for, from the first row shown now,
// the rows a page holds and the rows there are; the caller clamps it.
int ScrolledTop(unsigned code, unsigned thumb, int top, int page, int count);

// The pen pressed on rows that scroll: it taps until it moves further than
// the drag distance, then the rows follow it (dragging up shows the rows
// further down).
struct DragScroll {
    bool down = false;
    bool dragging = false;
    POINT at{};
    // The first row shown when the pen went down.
    int top = 0;

    void Press(POINT pt, int topRow);
    // Whether the rows follow the pen at `pt`: false while the press is
    // still a tap.
    bool Follow(POINT pt);
    // The first row to show with the pen at `pt`.
    int TopAt(POINT pt, int rowHeight) const { return top - (pt.y - at.y) / rowHeight; }
};

// The repeat of a press held on an arrow or a channel: the first repeat
// waits longer than the ones after it.
constexpr std::uintptr_t kRepeatTimer = 1;
constexpr std::uint32_t kFirstRepeatMs = 400;
constexpr std::uint32_t kRepeatMs = 100;

// A tick of the repeat timer: `step` while `held()` says the press lasts,
// then the next tick at the repeat pace; the timer stops with the press.
template <class Held, class Step>
void RepeatTick(HWND hwnd, Held held, Step step)
{
    if (!held()) {
        KillTimer(hwnd, kRepeatTimer);
        return;
    }
    step();
    if (IsWindow(hwnd) && held())
        SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
}

// Window procedures of the classes (registered in Control.cpp).
LRESULT StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ScrollBarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ComboProc(HWND, UINT, WPARAM, LPARAM);
// The pop-up list a combo box drops.
constexpr const char16_t* WC_COMBOLIST = u"combolbox";
LRESULT ComboListProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ProgressProc(HWND, UINT, WPARAM, LPARAM);
LRESULT UpDownProc(HWND, UINT, WPARAM, LPARAM);
LRESULT TrackbarProc(HWND, UINT, WPARAM, LPARAM);
// Installs the painting and pen handling of WS_VSCROLL windows' bars.
void InstallWindowScrollBars();

} // namespace Platform::Controls
