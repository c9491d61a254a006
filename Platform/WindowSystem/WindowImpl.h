#pragma once
// Inside the window layer: the window record and the process-wide window
// table. Not for use outside Platform/.
//
// One recursive lock guards every window record and the tree; it is never
// held while a window procedure runs, nor while waiting for anything.

#include "Window.h"

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

namespace Platform {

class ThreadQueue;
struct DialogData;
struct ShellWindowData;

struct WindowClassInfo {
    WNDCLASS wc;
    std::u16string name;
    int windows = 0; // windows of the class that exist
};

struct Window {
    enum class State { Creating, Alive, Destroying, Destroyed };

    HWND handle = nullptr;
    std::shared_ptr<WindowClassInfo> cls;
    std::shared_ptr<ThreadQueue> queue;

    State state = State::Creating;
    WNDPROC proc = nullptr;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    HWND parent = nullptr;  // child windows
    HWND owner = nullptr;   // top-level windows
    std::vector<HWND> children; // top of the Z order first
    LONG_PTR id = 0;
    HINSTANCE instance = nullptr;
    std::u16string text;
    RECT rect;              // parent client coordinates, or the screen
    LONG_PTR userData = 0;
    bool scrollBarShown = false;

    // Painting.
    bool updatePending = false;
    RECT update;            // client coordinates
    bool erasePending = false;
    bool inPaint = false;
    bool paintedSinceDispatch = false;
    cairo_surface_t* surface = nullptr;

    std::shared_ptr<DialogData> dialog;
    std::shared_ptr<ShellWindowData> shell;
    std::vector<std::pair<const void*, std::shared_ptr<void>>> extras;

    ~Window();
};

using WindowPtr = std::shared_ptr<Window>;

class WindowManager {
public:
    static WindowManager& Get();

    std::recursive_mutex lock;
    std::unordered_map<HWND, WindowPtr> windows;
    std::unordered_map<std::u16string, std::shared_ptr<WindowClassInfo>> classes; // key: lower-case name
    std::vector<HWND> topLevels; // top of the Z order first
    HWND focus = nullptr;
    HWND capture = nullptr;
    HWND active = nullptr;

    // Lock held.
    WindowPtr Find(HWND hwnd) const;
    // Lock held; null unless the window exists and is not destroyed.
    Window* Live(HWND hwnd) const;
    HWND NewHandle();

private:
    std::uintptr_t nextHandle = 0x10000;
};

// Takes the lock for a scope.
struct WindowLock {
    std::unique_lock<std::recursive_mutex> guard{WindowManager::Get().lock};
};

// Calls the window's procedure (lock not held); 0 for a destroyed window.
LRESULT CallProc(const WindowPtr& window, UINT msg, WPARAM wParam, LPARAM lParam);
// Looks up a live window; null otherwise.
WindowPtr FindLive(HWND hwnd);

// Tree and geometry helpers; lock held.
bool IsDescendant(const WindowManager& m, HWND ancestor, HWND hwnd);
POINT ClientOriginOnScreen(const WindowManager& m, const Window& w);
RECT ClientRectInWindow(const Window& w); // client area within the window rect
void CollectSubtree(const WindowManager& m, HWND hwnd, std::vector<HWND>& out); // hwnd first
bool IsVisibleLocked(const WindowManager& m, const Window& w);
bool IsEnabledLocked(const WindowManager& m, const Window& w);

// Lower-case ASCII key of a class name.
std::u16string ClassKey(const char16_t* name);

// Registers a class of Platform's own windows unless it is there already;
// whether it is there afterwards.
bool EnsureClass(const char16_t* name, WNDPROC proc, UINT style = 0);

// Z order (WindowGeometry.cpp); lock held. New children go below their
// siblings, so that creation order is tab order; new top-level windows go on
// top of their band (top-most or not).
void LinkWindow(WindowManager& m, Window& w);
void UnlinkWindow(WindowManager& m, Window& w);
// Puts a top-level window on top of its band, with the windows it owns
// above it.
void RaiseTopLevel(WindowManager& m, HWND hwnd);

// Focus, capture and activation forget destroyed windows (WindowFocus.cpp);
// answers whether the active window was among them.
bool ForgetInputWindows(WindowManager& m, const std::vector<HWND>& destroyed);
// Activates the most suitable remaining top-level window: the owner of the
// one that went away when it can take it, else the top visible one.
void ActivateNext(HWND formerOwner);

} // namespace Platform
