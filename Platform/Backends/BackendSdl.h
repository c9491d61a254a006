#pragma once
// The desktop back-end: the screen in an SDL2 window the size of a portrait
// handheld screen. The mouse is the stylus (the left button is the pen),
// the keyboard gives keys and, through SDL's text input, typed text in any
// script. Some desktop keys stand for the handheld's own: F1 / F2 are the
// soft keys, F3 the title bar's done or cancel button, F4 turns the screen
// (portrait / landscape), F6 / F7 the volume keys. Closing the SDL window
// posts WM_QUIT to the UI thread.
//
// The UI thread that opened it waits for SDL events instead of sleeping,
// and shows the screen whenever it has nothing else to do. Waits never give
// up: there is a user.

#include "Backend.h"

#include <memory>
#include <string>

namespace Platform {

struct SdlOptions {
    int width = 480;
    int height = 640;
    int dpi = 192;
    std::string title = "Yol";
};

class YOL_API SdlBackend : public Backend {
public:
    SdlBackend();
    ~SdlBackend() override;

    // Opens the window on the calling thread, sets the screen to its size
    // and density, and installs this back-end. False, with the reason in
    // Error(), when SDL cannot show a window here.
    bool Open(const SdlOptions& options);
    // Uninstalls the back-end and closes the window.
    void Close();
    const std::string& Error() const;

    void WaitForEvents(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                       std::chrono::steady_clock::time_point until) override;
    void Wake() override;

    // Turns pending SDL events into input and shows the screen if it
    // changed; the UI thread's waits do this by themselves.
    void PumpEvents();
    // Shows the composed screen in the window now.
    void Present();
    // The pixel the window shows (0x00BBGGRR), for tests; CLR_INVALID when
    // closed or outside.
    COLORREF ShownPixel(int x, int y);

private:
    struct State;
    std::unique_ptr<State> state;
};

} // namespace Platform
