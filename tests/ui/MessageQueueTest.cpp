// Message queues: order, sends between threads, destroyed windows, quitting
// and the headless back-end's refusal to wait for nothing.

#include "WindowTestSupport.h"

#include "CYolEvent.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/WindowKeys.h"

#include <atomic>
#include <chrono>

using namespace ui_test;

namespace {

constexpr UINT kPing = WM_USER + 1;
constexpr UINT kPong = WM_USER + 2;
constexpr UINT kDone = WM_USER + 3;

class MessageQueue : public WindowTest {};

// Runs the UI thread's loop until `msg` arrives for any window.
void PumpUntil(UINT msg)
{
    MSG m;
    while (GetMessage(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessage(&m);
        if (m.message == msg)
            return;
    }
}

TEST_F(MessageQueue, TakesPostedThenQuitThenInputThenPaintThenTimers) {
    Recorder rec;
    HWND w = Make(rec);
    SetFocus(w);
    Platform::PumpMessages();

    SetTimer(w, 1, 0, nullptr);
    InvalidateRect(w, nullptr, false);
    Platform::InjectKeyDown(VK_DOWN);
    PostMessage(w, kPing, 0, 0);
    PostQuitMessage(7);

    MSG m;
    ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
    EXPECT_EQ(m.message, kPing);
    ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 0);
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 7u);
    const UINT expected[] = {WM_KEYDOWN, WM_PAINT, WM_TIMER};
    for (UINT want : expected) {
        ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
        EXPECT_EQ(m.message, want);
        EXPECT_EQ(m.hwnd, w);
        DispatchMessage(&m);
    }
}

TEST_F(MessageQueue, PostedMessagesKeepTheirOrder) {
    Recorder rec;
    HWND w = Make(rec);
    Platform::PumpMessages();
    for (WPARAM i = 0; i < 5; ++i)
        PostMessage(w, kPing, i, 0);
    Platform::PumpMessages();
    std::vector<WPARAM> seen;
    for (const Logged& l : rec.log)
        if (l.msg == kPing)
            seen.push_back(l.wParam);
    EXPECT_EQ(seen, (std::vector<WPARAM>{0, 1, 2, 3, 4}));
}

TEST_F(MessageQueue, SendFromAnotherThreadIsHandledOnTheWindowsThreadAndAnswered) {
    Recorder rec;
    rec.handler = [](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (msg == kPing)
            return static_cast<LRESULT>(wParam * 2);
        return std::nullopt;
    };
    HWND w = Make(rec);
    std::atomic<LRESULT> answer{0};
    std::thread sender([&] {
        answer = SendMessage(w, kPing, 21, 0);
        PostMessage(w, kDone, 0, 0);
    });
    PumpUntil(kDone);
    sender.join();
    EXPECT_EQ(answer.load(), 42);
    EXPECT_EQ(rec.thread, std::this_thread::get_id());
}

TEST_F(MessageQueue, SendIsHandledWhileTheThreadWaitsForSomethingElse) {
    Recorder rec;
    HWND w = Make(rec);
    Platform::PumpMessages();
    PostMessage(w, kPing, 0, 0);
    std::thread sender([&] {
        SendMessage(w, kPong, 0, 0);
        PostMessage(w, kDone, 0, 0);
    });
    MSG m;
    ASSERT_EQ(GetMessage(&m, w, kDone, kDone), 1) << "a filtered wait still handles sends";
    sender.join();
    EXPECT_EQ(rec.Count(kPong), 1);
    EXPECT_EQ(rec.Count(kPing), 0);
    ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
    EXPECT_EQ(m.message, kPing) << "the post waited in the queue";
}

TEST_F(MessageQueue, SendReachesTheThreadInsideANestedLoop) {
    Recorder rec;
    CYolEvent inLoop;
    bool leave = false;
    rec.handler = [&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == kPing) {
            // A pop-up menu's loop: runs until its own message ends it.
            inLoop.Set();
            MSG m;
            while (!leave && GetMessage(&m, nullptr, 0, 0) > 0) {
                TranslateMessage(&m);
                DispatchMessage(&m);
            }
            return 0;
        }
        if (msg == kPong) {
            leave = true;
            PostMessage(hwnd, WM_NULL, 0, 0); // wakes the loop to look at `leave`
            return 99;
        }
        return std::nullopt;
    };
    HWND w = Make(rec);
    std::atomic<LRESULT> answer{0};
    std::thread sender([&] {
        inLoop.Wait();
        answer = SendMessage(w, kPong, 0, 0);
    });
    SendMessage(w, kPing, 0, 0);
    sender.join();
    EXPECT_TRUE(leave);
    EXPECT_EQ(answer.load(), 99);
}

TEST_F(MessageQueue, SendIntoAModalDialogIsHandledAndCanEndIt) {
    static Platform::Module module{"queue-test"};
    DialogTemplate t;
    t.style = WS_POPUP;
    t.cx = 50;
    t.cy = 40;
    RegisterDialogTemplate(&module, 1, t);

    struct Shared {
        CYolEvent shown;
        std::atomic<HWND> dialog{nullptr};
        HWND owner = nullptr;
        bool ownerDisabled = false;
    } shared;
    DLGPROC proc = [](HWND dlg, UINT msg, WPARAM, LPARAM lParam) -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            SetWindowLong(dlg, DWL_USER, lParam);
            auto* s = reinterpret_cast<Shared*>(lParam);
            s->dialog = dlg;
            s->shown.Set();
            return 1;
        }
        if (msg == kPing) {
            auto* s = reinterpret_cast<Shared*>(GetWindowLong(dlg, DWL_USER));
            s->ownerDisabled = !IsWindowEnabled(s->owner);
            EndDialog(dlg, 42);
            SetWindowLong(dlg, DWL_MSGRESULT, 7);
            return 1;
        }
        return 0;
    };
    Recorder ownerRec;
    shared.owner = Make(ownerRec);
    std::atomic<LRESULT> answer{0};
    std::thread sender([&] {
        shared.shown.Wait();
        answer = SendMessage(shared.dialog.load(), kPing, 0, 0);
    });
    EXPECT_EQ(DialogBoxParam(&module, 1, shared.owner, proc, reinterpret_cast<LPARAM>(&shared)), 42);
    sender.join();
    EXPECT_EQ(answer.load(), 7) << "the dialog answers its DWL_MSGRESULT";
    EXPECT_TRUE(shared.ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(shared.owner));
    EXPECT_FALSE(IsWindow(shared.dialog.load()));
    UnregisterDialogTemplate(&module, 1);
}

TEST_F(MessageQueue, SenderHandlesSendsToItselfWhileItWaits) {
    Recorder mine;
    HWND local = Make(mine);
    std::atomic<HWND> remote{nullptr};
    CYolEvent ready;
    std::thread other([&] {
        Recorder theirs;
        theirs.handler = [&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (msg == kPing)
                return SendMessage(local, kPong, 0, 0) + 1; // back to the thread that waits for us
            if (msg == kDone) {
                PostQuitMessage(0);
                return 0;
            }
            return std::nullopt;
        };
        remote = Make(theirs);
        ready.Set();
        MSG m;
        while (GetMessage(&m, nullptr, 0, 0) > 0)
            DispatchMessage(&m);
        DestroyWindow(remote.load());
    });
    mine.handler = [](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == kPong)
            return 10;
        return std::nullopt;
    };
    ready.Wait();
    EXPECT_EQ(SendMessage(remote.load(), kPing, 0, 0), 11);
    PostMessage(remote.load(), kDone, 0, 0);
    other.join();
    EXPECT_EQ(mine.Count(kPong), 1);
}

TEST_F(MessageQueue, MessagesForADestroyedWindowAreDropped) {
    Recorder rec;
    HWND w = Make(rec);
    Platform::PumpMessages();
    PostMessage(w, kPing, 0, 0);
    SetTimer(w, 5, 0, nullptr);
    InvalidateRect(w, nullptr, true);
    DestroyWindow(w);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(kPing), 0);
    EXPECT_EQ(rec.Count(WM_TIMER), 0);
    EXPECT_FALSE(PostMessage(w, kPing, 0, 0));
    EXPECT_EQ(SendMessage(w, kPing, 0, 0), 0);
}

TEST_F(MessageQueue, SendWaitingForADestroyedWindowAnswersZero) {
    Recorder rec;
    rec.handler = [](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        return msg == kPing ? std::optional<LRESULT>(5) : std::nullopt;
    };
    HWND w = Make(rec);
    Platform::PumpMessages();
    std::atomic<LRESULT> answer{-1};
    std::thread sender([&] {
        answer = SendMessage(w, kPing, 0, 0);
    });
    while (Platform::PendingSends() == 0)
        std::this_thread::yield();
    DestroyWindow(w); // the send is queued and never handled
    Platform::PumpMessages();
    sender.join();
    EXPECT_EQ(answer.load(), 0);
    EXPECT_EQ(rec.Count(kPing), 0);
}

TEST_F(MessageQueue, SendToAThreadThatEndsAnswersZero) {
    std::atomic<HWND> remote{nullptr};
    CYolEvent made, sending;
    std::thread owner([&] {
        Recorder rec;
        remote = Make(rec, WS_POPUP);
        made.Set();
        sending.Wait();
        while (Platform::PendingSends() == 0)
            std::this_thread::yield();
        // Ends without handling the send.
        SetWindowLong(remote.load(), GWL_USERDATA, 0);
    });
    made.Wait();
    sending.Set();
    EXPECT_EQ(SendMessage(remote.load(), kPing, 0, 0), 0);
    owner.join();
    EXPECT_FALSE(IsWindow(remote.load())) << "a thread's windows end with it";
}

TEST_F(MessageQueue, WaitEndsWhenAnotherThreadPosts) {
    Recorder rec;
    HWND w = Make(rec);
    Platform::PumpMessages();
    std::thread poster([&] { PostMessage(w, kPing, 3, 0); });
    MSG m;
    ASSERT_EQ(GetMessage(&m, w, kPing, kPing), 1);
    EXPECT_EQ(m.wParam, 3u);
    poster.join();
}

TEST_F(MessageQueue, ThreadMessagesHaveNoWindow) {
    ASSERT_TRUE(PostMessage(nullptr, kPing, 1, 2));
    MSG m;
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.hwnd, nullptr);
    EXPECT_EQ(m.message, kPing);
    EXPECT_EQ(DispatchMessage(&m), 0);
}

TEST_F(MessageQueue, PeekWithoutRemovingLeavesTheMessage) {
    Recorder rec;
    HWND w = Make(rec);
    Platform::PumpMessages();
    PostMessage(w, kPing, 0, 0);
    MSG m;
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, kPing);
    EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, WaitThatNothingCanEndFailsInsteadOfHanging) {
    Platform::DefaultHeadlessBackend().SetIdleLimit(std::chrono::milliseconds(20));
    Recorder rec;
    HWND w = Make(rec);
    Platform::PumpMessages();
    MSG m;
    EXPECT_THROW(GetMessage(&m, nullptr, 0, 0), Platform::NoMessageError);

    // A timer on a clock that nobody moves cannot end the wait either.
    SetTimer(w, 1, 100, nullptr);
    EXPECT_THROW(GetMessage(&m, nullptr, 0, 0), Platform::NoMessageError);
}

TEST_F(MessageQueue, TimerOnTheRunningClockEndsTheWait) {
    Platform::DefaultHeadlessBackend().SetIdleLimit(std::chrono::milliseconds(20));
    CYolClock::Install(nullptr);
    Recorder rec;
    HWND w = Make(rec);
    Platform::PumpMessages();
    SetTimer(w, 1, 3, nullptr);
    MSG m;
    ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
    EXPECT_EQ(m.message, WM_TIMER);
}

TEST_F(MessageQueue, KeysThatTypeGiveCharactersAndTextComesAsCharacters) {
    Recorder rec;
    HWND w = Make(rec);
    SetFocus(w);
    Platform::PumpMessages();
    rec.log.clear();
    Platform::InjectKey(VK_RETURN);
    Platform::InjectKey(VK_LEFT);
    Platform::InjectText(u"Жё");
    Platform::PumpMessages();
    std::vector<std::pair<UINT, WPARAM>> seen;
    for (const Logged& l : rec.log)
        if (l.msg == WM_KEYDOWN || l.msg == WM_KEYUP || l.msg == WM_CHAR)
            seen.emplace_back(l.msg, l.wParam);
    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_KEYDOWN, VK_RETURN}, {WM_CHAR, u'\r'}, {WM_KEYUP, VK_RETURN}, {WM_KEYDOWN, VK_LEFT},
        {WM_KEYUP, VK_LEFT},     {WM_CHAR, 0x416}, {WM_CHAR, 0x451}};
    EXPECT_EQ(seen, expected);
}

TEST_F(MessageQueue, KeyStateFollowsTheKeysTaken) {
    Recorder rec;
    HWND w = Make(rec);
    SetFocus(w);
    Platform::InjectKeyDown(VK_LSHIFT);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0) << "not taken yet";
    Platform::PumpMessages();
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    Platform::InjectKeyUp(VK_LSHIFT);
    Platform::PumpMessages();
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
}

} // namespace
