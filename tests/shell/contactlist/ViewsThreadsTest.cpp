// The trees change on the views' queue thread and are read on the UI
// thread (here the test's): what the changes tell the window arrives as
// posted messages, handled on the UI thread, which reads the tree under the
// view set's lock meanwhile.

#include "ViewTestSupport.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"

#include <thread>

namespace ViewTest {
namespace {

using ClTest::kAccountA;

struct WindowLog {
    CL::CYol_CLRootItem* views = nullptr;
    std::vector<std::string> messages;
    std::thread::id thread;
    int heightSeen = 0;
};
WindowLog* g_log = nullptr;

LRESULT ListWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_log != nullptr && msg >= CL::kCLMsgContactOnline && msg <= CL::kCLMsgBlink) {
        g_log->thread = std::this_thread::get_id();
        const char* name = msg == CL::kCLMsgInvalidate ? "invalidate" : msg == CL::kCLMsgBlink ? "blink" : "online";
        g_log->messages.push_back(std::string(name) + " " + ClTest::Hex(static_cast<unsigned int>(wParam)));
        auto held = g_log->views->Lock();
        g_log->heightSeen = g_log->views->flat->GetHeight();
        return 0;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

class ThreadsTest : public ViewsTest {
protected:
    void SetUp() override {
        ViewsTest::SetUp();
        WNDCLASS wc;
        wc.lpfnWndProc = ListWindowProc;
        wc.lpszClassName = u"CLViewsTestWindow";
        RegisterClass(&wc);
        window = CreateWindowEx(0, u"CLViewsTestWindow", u"CL", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
        log.views = &views;
        g_log = &log;
    }
    void TearDown() override {
        control.reset();
        DestroyWindow(window);
        Platform::PumpMessages();
        g_log = nullptr;
        ViewsTest::TearDown();
    }
    std::vector<std::string> Handled() {
        Platform::PumpMessages();
        std::vector<std::string> out;
        out.swap(log.messages);
        return out;
    }

    HWND window = nullptr;
    WindowLog log;
    std::unique_ptr<CL::CYol_CLPostingCtrl> control;
};

TEST_F(ThreadsTest, ChangesReachTheWindowAsPostedMessagesHandledOnTheUiThread) {
    control = std::make_unique<CL::CYol_CLPostingCtrl>(views.flat, window);
    AddAccounts();
    unsigned int friends = NamedGroup(kAccountA, "Friends");
    unsigned int ann = Contact(kAccountA, friends, "ann", 0, "Ann");
    Settle();
    Handled();

    // The UI thread reads the flat view while the queue thread changes it.
    for (int round = 0; round < 50; ++round) {
        SetStatus(ann, round % 2 == 0 ? 2 : 0);
        auto held = views.Lock();
        EXPECT_EQ(views.flat->GetHeight(), 2 * 20 + 20);  // two headers and Ann
    }
    Settle();
    std::vector<std::string> handled = Handled();
    EXPECT_EQ(log.thread, std::this_thread::get_id());
    EXPECT_EQ(std::count(handled.begin(), handled.end(), "online " + ClTest::Hex(ann)), 25);
    EXPECT_GT(std::count(handled.begin(), handled.end(), "invalidate 1"), 0);

    Protocols::MessageInfo message;
    message.messageId = 9;
    message.flags = 27;
    views.MessageUnread(kAccountA, friends, ann, 0, 0, message);
    views.MessagesRead(kAccountA, friends, ann, 0, 0, 9);
    handled = Handled();
    EXPECT_NE(std::find(handled.begin(), handled.end(), "blink 1"), handled.end());
    EXPECT_NE(std::find(handled.begin(), handled.end(), "blink 0"), handled.end());
}

// Switching views keeps every tree and starts with no selection.
TEST_F(ThreadsTest, SwitchingViewsKeepsTheTreesAndClearsTheSelection) {
    control = std::make_unique<CL::CYol_CLPostingCtrl>(views.grouped, window);
    AddAccounts();
    unsigned int friends = NamedGroup(kAccountA, "Friends");
    Contact(kAccountA, friends, "ann", 2, "Ann");
    Settle();
    Handled();
    std::string before = Dump(views);
    {
        auto held = views.Lock();
        control->Select(views.grouped->firstChild);
        control->SetRoot(views.flatMeta);
        EXPECT_EQ(control->Selected(), nullptr);
        EXPECT_EQ(views.grouped->controls.Count(), 0);
        EXPECT_EQ(views.flatMeta->controls.Count(), 1);
    }
    EXPECT_EQ(Dump(views), before);
    EXPECT_EQ(Handled(), std::vector<std::string>{"invalidate 1"});
}

}  // namespace
}  // namespace ViewTest
