#pragma once
// What the window-layer suites share: a manual clock, a window class whose
// windows log their messages and let a test answer them, and clean-up of
// every window, input and screen change a test leaves behind.

#include "Backends/Backend.h"
#include "Backends/BackendHeadless.h"
#include "CYolClock.h"
#include "Drawing/Gdi.h"
#include "WindowSystem/MessageQueue.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/Timers.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowGeometry.h"
#include "WindowSystem/WindowInput.h"
#include "WindowSystem/WindowPaint.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <thread>
#include <vector>

namespace ui_test {

struct Logged {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Lives as long as its windows; passed as their creation parameter and kept
// in their user-data word.
struct Recorder {
    std::vector<Logged> log;
    // Answers a message instead of DefWindowProc when it returns a value.
    std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> handler;
    std::thread::id thread;

    std::vector<UINT> Messages(HWND hwnd = nullptr) const {
        std::vector<UINT> out;
        for (const Logged& l : log)
            if (!hwnd || l.hwnd == hwnd)
                out.push_back(l.msg);
        return out;
    }
    int Count(UINT msg, HWND hwnd = nullptr) const {
        int n = 0;
        for (const Logged& l : log)
            n += (l.msg == msg && (!hwnd || l.hwnd == hwnd)) ? 1 : 0;
        return n;
    }
    const Logged* Last(UINT msg) const {
        for (auto it = log.rbegin(); it != log.rend(); ++it)
            if (it->msg == msg)
                return &*it;
        return nullptr;
    }
};

inline LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCT*>(lParam);
        SetWindowLong(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* rec = reinterpret_cast<Recorder*>(GetWindowLong(hwnd, GWL_USERDATA));
    if (rec) {
        rec->log.push_back(Logged{hwnd, msg, wParam, lParam});
        rec->thread = std::this_thread::get_id();
        if (rec->handler) {
            if (auto answer = rec->handler(hwnd, msg, wParam, lParam))
                return *answer;
        }
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

// A recorder's handler that fills the whole client area with `colour` on
// WM_PAINT.
inline std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> PaintsSolid(COLORREF colour) {
    return [colour](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg != WM_PAINT)
            return std::nullopt;
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(hdc, &client, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    };
}

inline const char16_t* kRecordingClass = u"UiTestRecording";

inline void RegisterRecordingClass(UINT style = CS_DBLCLKS, HBRUSH background = nullptr,
                                   const char16_t* name = kRecordingClass) {
    WNDCLASS wc;
    wc.style = style;
    wc.lpfnWndProc = RecordingProc;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClass(&wc);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousClock = CYolClock::Install(&clock);
        Platform::ResetInput();
        Platform::SetScreen(480, 640, 192, 192);
        RegisterRecordingClass();
    }

    void TearDown() override {
        // Whatever the test left: windows, queued messages, a WM_QUIT.
        // The recorders lived in the test body and are gone: their windows
        // must not log into them any more.
        std::vector<HWND> all;
        for (HWND h = GetWindow(probe(), GW_HWNDFIRST); h; h = GetWindow(h, GW_HWNDNEXT))
            all.push_back(h);
        for (HWND h : all)
            Forget(h);
        for (HWND h : all)
            DestroyWindow(h);
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        Platform::ResetInput();
        Platform::DefaultHeadlessBackend().SetIdleLimit(Platform::HeadlessBackend::DefaultIdleLimit);
        Platform::SetScreen(480, 640, 192, 192);
        CYolClock::Install(previousClock == &CYolClock::System() ? nullptr : previousClock);
    }

    static void Forget(HWND hwnd) {
        if (GetWindowLong(hwnd, GWL_WNDPROC) == reinterpret_cast<LONG_PTR>(&RecordingProc))
            SetWindowLong(hwnd, GWL_USERDATA, 0);
        for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            Forget(c);
    }

    // A top-level window to walk the top-level list from.
    HWND probe() {
        if (!IsWindow(probeWindow))
            probeWindow = CreateWindowEx(0, kRecordingClass, u"probe", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                         nullptr, nullptr);
        return probeWindow;
    }

    HWND Make(Recorder& rec, std::uint32_t style = WS_POPUP | WS_VISIBLE, RECT r = RECT{0, 0, 100, 100},
              HWND parent = nullptr, int id = 0, std::uint32_t exStyle = 0, const char16_t* cls = kRecordingClass) {
        return CreateWindowEx(exStyle, cls, u"", style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                              reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr, &rec);
    }

    CYolManualClock clock{1000000, 1700000000};

private:
    CYolClock* previousClock = nullptr;
    HWND probeWindow = nullptr;
};

} // namespace ui_test
