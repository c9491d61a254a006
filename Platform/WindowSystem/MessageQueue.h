#pragma once
// Message queues: one per thread that has windows or waits for messages.
//
// Retrieval order, as the program expects it: messages sent from other
// threads are handled first (inside every wait, so also while the thread is
// in a nested modal loop or itself waits in SendMessage); then posted
// messages in order; then WM_QUIT; then input; then WM_PAINT; then WM_TIMER.
//
// In the headless back-end a wait for a message that nothing can bring (no
// post or input arrives, and no timer can come due on a running clock)
// throws Platform::NoMessageError instead of hanging.

#include "Messages.h"
#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>
#include <stdexcept>
#include <string>

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    // Tick count (CYolClock) when the message was posted or the input came.
    std::uint32_t time = 0;
    // The stylus position in screen coordinates at that time.
    POINT pt;
    // The character a key press types, for TranslateMessage (0: none).
    char16_t character = 0;
};

// PeekMessage options.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Waits for the next message for `hwnd` (null: any window of the thread, or
// thread messages) within [filterMin, filterMax] (both 0: any). Answers 0 for
// WM_QUIT, else a positive value; -1 when `hwnd` is not a window.
YOL_API int GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
// As GetMessage without waiting: false when nothing is there.
YOL_API bool PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT options);
// Waits until a message is there (also a sent one, which it handles).
YOL_API bool WaitMessage();
// A key press that types a character posts WM_CHAR with it.
YOL_API bool TranslateMessage(const MSG* msg);
// Calls the window procedure (or the TIMERPROC of a WM_TIMER); a message
// for a window destroyed in the meantime is dropped (answer 0).
YOL_API LRESULT DispatchMessage(const MSG* msg);

// Handled before it returns. From another thread the caller waits (handling
// messages sent to its own thread meanwhile); a window that is destroyed, or
// whose thread ends, before handling it answers 0.
YOL_API LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Handled at once on the window's own thread; from another thread it is
// queued with the sends (ahead of posted messages) and the caller goes on
// without waiting for the answer.
YOL_API bool SendNotifyMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queued for the window's thread; any thread may post. A null window posts a
// thread message to the calling thread. False when the window does not
// exist.
YOL_API bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// GetMessage answers WM_QUIT with this code once the queue has no posted
// messages left.
YOL_API void PostQuitMessage(int exitCode);
// True while the calling thread handles a message sent from another thread.
YOL_API bool InSendMessage();

namespace Platform {

class YOL_API NoMessageError : public std::runtime_error {
public:
    explicit NoMessageError(const std::string& what);
    ~NoMessageError() override;
};

// Dispatches everything that is there now (sent, posted, input, paint and
// due timers) without waiting; answers how many messages were dispatched.
// Stops at WM_QUIT, which it leaves for the next GetMessage. The tests' way
// of letting the UI settle.
YOL_API int PumpMessages();

// Messages other threads have sent to the calling thread that wait to be
// handled; lets a test act only once a send has arrived.
YOL_API size_t PendingSends();

} // namespace Platform
