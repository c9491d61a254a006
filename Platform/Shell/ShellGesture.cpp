// Tap-and-hold recognition inside a window's press handler.

#include "ShellGesture.h"

#include "CYolClock.h"
#include "ShellScreen.h"
#include "WindowSystem/MessageQueueImpl.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowGeometry.h"
#include "WindowSystem/WindowInputImpl.h"

#include <cstdlib>

using namespace Platform;

namespace {

enum class Outcome { Pending, Held, Broken };

// Looks at what the pen did after the press: the input waiting in the queue
// tells, in order, whether the pen moved or lifted before the delay ran out.
Outcome Resolve(HWND hwnd)
{
    InputState& in = Input();
    std::lock_guard<std::mutex> lock(in.m);
    const PenState& pen = in.pen;
    if (!pen.holdArmed || pen.holdTarget != hwnd)
        return Outcome::Broken;
    for (const RawInput& e : in.events) {
        if (e.time >= pen.holdDeadline)
            return Outcome::Held;
        switch (e.kind) {
        case RawInput::Kind::PenDown:
        case RawInput::Kind::PenUp:
            return Outcome::Broken;
        case RawInput::Kind::PenMove:
            if (std::abs(e.pt.x - pen.holdPoint.x) > GetSystemMetrics(SM_CXDRAG) ||
                std::abs(e.pt.y - pen.holdPoint.y) > GetSystemMetrics(SM_CYDRAG))
                return Outcome::Broken;
            break;
        default:
            break;
        }
    }
    return CYolClock::Current().TickCount64() >= pen.holdDeadline ? Outcome::Held : Outcome::Pending;
}

void AskLongDelay(HWND hwnd)
{
    InputState& in = Input();
    std::lock_guard<std::mutex> lock(in.m);
    PenState& pen = in.pen;
    if (pen.holdArmed && pen.holdTarget == hwnd)
        pen.holdDeadline += TapAndHoldLongDelay - TapAndHoldDelay;
}

} // namespace

UINT SHRecognizeGesture(SHRGINFO* info)
{
    if (!info || !IsWindow(info->hwndClient))
        return 0;
    const HWND hwnd = info->hwndClient;
    if (info->dwFlags & SHRG_LONGDELAY)
        AskLongDelay(hwnd);
    auto queue = ThreadQueue::Current();
    for (;;) {
        const std::uint64_t seen = QueueSerial(*queue);
        ProcessIncomingSends(*queue);
        const Outcome outcome = Resolve(hwnd);
        if (outcome == Outcome::Broken)
            return 0;
        if (outcome == Outcome::Held)
            break;
        WaitForWake(*queue, seen);
    }
    if (info->dwFlags & SHRG_NOTIFYPARENT) {
        NMRGINFO notice;
        notice.hdr.hwndFrom = hwnd;
        notice.hdr.idFrom = static_cast<std::uintptr_t>(GetDlgCtrlID(hwnd));
        notice.hdr.code = GN_CONTEXTMENU;
        notice.ptAction = info->ptDown;
        ClientToScreen(hwnd, &notice.ptAction);
        SendMessage(GetParent(hwnd), WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
    }
    return (info->dwFlags & (SHRG_RETURNCMD | SHRG_NOTIFYPARENT)) ? GN_CONTEXTMENU : 0;
}
