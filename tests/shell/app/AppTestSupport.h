#pragma once
// The application in the test's own process: the real core on a manager of
// the test's, in a temporary program folder (empty protocols folder unless
// the test links the XMPP plug-in in), on the headless screen, with every
// port a recording double. The test thread is the UI thread.

#include "CYolPath.h"
#include "CYolWMApp.h"
#include "CYolWMCL_Ctrl.h"
#include "RecordingPorts.h"
#include "TestSupport.h"

#include "Shell/Power.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/WindowInput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

namespace AppTest {

// Runs the UI thread's messages until `done` holds; false when it did not
// within the limit, or the thread's loop was told to end (WM_QUIT, which
// stays queued). Waits for messages, never sleeps.
inline bool PumpUntil(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        MSG msg;
        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return done();
            }
            TranslateMessage(&msg);
            DispatchMessage(&msg);
            continue;
        }
        try {
            WaitMessage();
        } catch (const Platform::NoMessageError&) {
        }
    }
    return true;
}

// Whether a WM_QUIT waits in the calling thread's queue. It is taken only
// once no posted message is left, and stands before input, paint and
// timers: PumpMessages stops at it.
inline bool QuitPending() {
    MSG msg;
    return PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) && msg.message == WM_QUIT;
}

// The threads the process runs now.
inline size_t ThreadCount() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++n;
    return n;
}

class AppFixture : public ::testing::Test, public TempFolder {
protected:
    void SetUp() override {
        previousAppDir = CYolPath::AppDir();
        std::filesystem::create_directories(PathOf("Protos"));
        PrepareFolder();
        CYolPath::SetAppDir(CYolString::FromUtf8(Root()));
        Platform::ResetPower();
        Platform::ResetInput();
        Platform::SetScreen(480, 640, 96, 96);
        threadsBefore = ThreadCount();
        // The test thread's queue outlives every test; a WM_QUIT an earlier
        // one left would hold back this one's timers.
        ASSERT_FALSE(QuitPending());
    }

    void TearDown() override {
        app.reset();
        Platform::PumpMessages();
        // The main window's end posted WM_QUIT, which the program's own loop
        // takes as its last message; taken here in its place.
        MSG quit;
        PeekMessage(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        Platform::ResetPower();
        Platform::SetScreen(480, 640, 192, 192);
        CYolPath::SetAppDir(previousAppDir);
    }

    // The program folder before the core starts on it.
    virtual void PrepareFolder() {}

    // Starts the application and waits until the contact list is ready.
    void Start() {
        app = std::make_unique<UI::CYolWMApp>(&start, ports.Ports(), services);
        ASSERT_TRUE(app->InitInstance(CYolString()));
        ASSERT_TRUE(PumpUntil([&] { return app->IsRunning(); }));
        Platform::PumpMessages();
    }

    LRESULT SendToApp(UINT msg, WPARAM wParam, LPARAM lParam) {
        return SendMessage(app->GetWindow(), msg, wParam, lParam);
    }

    CYolString previousAppDir;
    UI::TYolWMStartRecord start;
    RecordingPorts ports;
    Services::CServicesManagerImpl services;
    std::unique_ptr<UI::CYolWMApp> app;
    size_t threadsBefore = 0;
};

}  // namespace AppTest
