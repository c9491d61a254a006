// Window classes, creation, the tree, destruction, per-window words,
// subclassing and window text.

#include "WindowTestSupport.h"

#include <algorithm>
#include <atomic>

using namespace ui_test;

namespace {

class WindowTree : public WindowTest {};

TEST_F(WindowTree, ClassNamesAreUniqueWithoutRegardToCase) {
    WNDCLASS wc;
    wc.lpfnWndProc = DefWindowProc;
    wc.lpszClassName = u"UiTestOnce";
    EXPECT_NE(RegisterClass(&wc), 0);
    wc.lpszClassName = u"uitestONCE";
    EXPECT_EQ(RegisterClass(&wc), 0);
    EXPECT_TRUE(GetClassInfo(nullptr, u"UITESTONCE", nullptr));
    EXPECT_TRUE(UnregisterClass(u"UiTestOnce", nullptr));
    EXPECT_FALSE(GetClassInfo(nullptr, u"UiTestOnce", nullptr));
}

TEST_F(WindowTree, ClassWithWindowsCannotBeUnregistered) {
    Recorder rec;
    HWND w = Make(rec);
    EXPECT_FALSE(UnregisterClass(kRecordingClass, nullptr));
    DestroyWindow(w);
}

TEST_F(WindowTree, CreationParameterReachesCreateAndStaysInUserData) {
    Recorder rec;
    HWND w = Make(rec, WS_POPUP, RECT{1, 2, 31, 42});
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetWindowLong(w, GWL_USERDATA), reinterpret_cast<LONG_PTR>(&rec));
    ASSERT_GE(rec.log.size(), 3u);
    EXPECT_EQ(rec.log[0].msg, WM_CREATE);
    EXPECT_EQ(rec.log[1].msg, WM_SIZE);
    EXPECT_EQ(rec.log[1].lParam, MAKELPARAM(30, 40));
    EXPECT_EQ(rec.log[2].msg, WM_MOVE);
}

TEST_F(WindowTree, CreateAnsweringMinusOneMakesNoWindow) {
    Recorder rec;
    rec.handler = [](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        return msg == WM_CREATE ? std::optional<LRESULT>(-1) : std::nullopt;
    };
    EXPECT_EQ(Make(rec), nullptr);
    EXPECT_EQ(rec.Count(WM_DESTROY), 1);
}

TEST_F(WindowTree, UnknownClassOrMissingParentMakesNoWindow) {
    Recorder rec;
    EXPECT_EQ(Make(rec, WS_POPUP, RECT{}, nullptr, 0, 0, u"NoSuchClass"), nullptr);
    EXPECT_EQ(Make(rec, WS_CHILD, RECT{}, nullptr), nullptr);
}

TEST_F(WindowTree, ChildrenKeepCreationOrderAndIds) {
    Recorder rec;
    HWND parent = Make(rec);
    HWND a = Make(rec, WS_CHILD, RECT{}, parent, 10);
    HWND b = Make(rec, WS_CHILD, RECT{}, parent, 11);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
    EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetDlgItem(parent, 11), b);
    EXPECT_EQ(GetDlgCtrlID(a), 10);
    EXPECT_EQ(GetParent(a), parent);
    EXPECT_TRUE(IsChild(parent, b));
    EXPECT_EQ(GetTopLevelWindow(b), parent);
}

TEST_F(WindowTree, OwnerOfAPopupIsTheTopLevelWindowOfTheGivenParent) {
    Recorder rec;
    HWND top = Make(rec);
    HWND child = Make(rec, WS_CHILD, RECT{}, top);
    HWND popup = Make(rec, WS_POPUP, RECT{}, child);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), top);
    EXPECT_EQ(GetParent(popup), top);
}

TEST_F(WindowTree, DestroyTakesChildrenAndOwnedWindowsParentFirstThenChildrenLast) {
    Recorder rec;
    HWND top = Make(rec);
    HWND child = Make(rec, WS_CHILD, RECT{}, top);
    HWND grandchild = Make(rec, WS_CHILD, RECT{}, child);
    HWND owned = Make(rec, WS_POPUP, RECT{}, top);
    rec.log.clear();
    EXPECT_TRUE(DestroyWindow(top));
    for (HWND h : {top, child, grandchild, owned})
        EXPECT_FALSE(IsWindow(h));

    std::vector<std::pair<HWND, UINT>> order;
    for (const Logged& l : rec.log)
        if (l.msg == WM_DESTROY || l.msg == WM_NCDESTROY)
            order.emplace_back(l.hwnd, l.msg);
    const std::vector<std::pair<HWND, UINT>> expected = {
        {owned, WM_DESTROY},      {owned, WM_NCDESTROY},    {top, WM_DESTROY},  {child, WM_DESTROY},
        {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
}

TEST_F(WindowTree, DestroyFromInsideItsOwnHandlerIsSafe) {
    Recorder rec;
    rec.handler = [](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_USER) {
            EXPECT_TRUE(DestroyWindow(hwnd));
            // The handler goes on with a handle that is gone.
            EXPECT_FALSE(IsWindow(hwnd));
            EXPECT_FALSE(DestroyWindow(hwnd));
            EXPECT_EQ(SendMessage(hwnd, WM_USER + 1, 0, 0), 0);
            EXPECT_FALSE(SetWindowText(hwnd, u"x"));
            InvalidateRect(hwnd, nullptr, true);
            return 5;
        }
        if (msg == WM_DESTROY) {
            EXPECT_FALSE(DestroyWindow(hwnd)) << "already on its way";
        }
        return std::nullopt;
    };
    HWND w = Make(rec);
    EXPECT_EQ(SendMessage(w, WM_USER, 0, 0), 5);
    EXPECT_EQ(rec.Count(WM_USER + 1), 0);
    EXPECT_EQ(rec.Count(WM_DESTROY), 1);
}

TEST_F(WindowTree, ParentDestroyingAChildInItsOwnDestroyIsSafe) {
    Recorder rec;
    HWND parent = Make(rec);
    HWND child = Make(rec, WS_CHILD, RECT{}, parent);
    rec.handler = [&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_DESTROY && hwnd == parent)
            DestroyWindow(child);
        return std::nullopt;
    };
    DestroyWindow(parent);
    EXPECT_EQ(rec.Count(WM_DESTROY, child), 1);
    EXPECT_EQ(rec.Count(WM_NCDESTROY, child), 1);
}

TEST_F(WindowTree, NoChildCanBeMadeInADyingWindow) {
    Recorder rec;
    HWND parent = Make(rec);
    HWND late = reinterpret_cast<HWND>(1);
    rec.handler = [&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_DESTROY && hwnd == parent)
            late = Make(rec, WS_CHILD, RECT{}, parent);
        return std::nullopt;
    };
    DestroyWindow(parent);
    EXPECT_EQ(late, nullptr);
}

TEST_F(WindowTree, OnlyTheOwningThreadDestroys) {
    Recorder rec;
    HWND w = Make(rec);
    bool destroyed = true;
    std::thread other([&] { destroyed = DestroyWindow(w); });
    other.join();
    EXPECT_FALSE(destroyed);
    EXPECT_TRUE(IsWindow(w));
}

TEST_F(WindowTree, HandlesAreNeverReused) {
    Recorder rec;
    HWND first = Make(rec);
    DestroyWindow(first);
    for (int i = 0; i < 20; ++i) {
        HWND next = Make(rec);
        EXPECT_NE(next, first);
        DestroyWindow(next);
    }
    EXPECT_FALSE(IsWindow(first));
}

// A subclass that answers one message itself and passes the rest on.
WNDPROC g_original = nullptr;
LRESULT Subclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_USER + 5)
        return 77;
    if (msg == WM_USER + 6)
        return CallWindowProc(g_original, hwnd, msg, wParam + 1, lParam);
    return CallWindowProc(g_original, hwnd, msg, wParam, lParam);
}

TEST_F(WindowTree, SubclassSeesMessagesFirstAndPassesTheRestOn) {
    Recorder rec;
    rec.handler = [](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_USER + 6)
            return static_cast<LRESULT>(wParam);
        return std::nullopt;
    };
    HWND w = Make(rec);
    g_original = reinterpret_cast<WNDPROC>(SetWindowLong(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&Subclass)));
    EXPECT_EQ(g_original, &RecordingProc);
    EXPECT_EQ(GetWindowLong(w, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&Subclass));
    EXPECT_EQ(SendMessage(w, WM_USER + 5, 0, 0), 77);
    EXPECT_EQ(rec.Count(WM_USER + 5), 0);
    EXPECT_EQ(SendMessage(w, WM_USER + 6, 1, 0), 2);
    PostMessage(w, WM_USER + 6, 3, 0);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Last(WM_USER + 6)->wParam, 4u);
    // Putting the original back ends the subclass.
    SetWindowLong(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(g_original));
    SendMessage(w, WM_USER + 5, 0, 0);
    EXPECT_EQ(rec.Count(WM_USER + 5), 1);
}

TEST_F(WindowTree, WordsKeepTheirValues) {
    Recorder rec;
    HWND w = Make(rec, WS_POPUP | WS_BORDER);
    SetWindowLong(w, GWL_USERDATA, 1234);
    EXPECT_EQ(GetWindowLong(w, GWL_USERDATA), 1234);
    EXPECT_TRUE(GetWindowLong(w, GWL_STYLE) & WS_BORDER);
    SetWindowLong(w, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindowLong(w, GWL_EXSTYLE), static_cast<LONG_PTR>(WS_EX_TOOLWINDOW));
    EXPECT_EQ(GetWindowLong(nullptr, GWL_USERDATA), 0);
}

TEST_F(WindowTree, TextGoesThroughTheWindowsMessages) {
    Recorder rec;
    HWND w = Make(rec);
    EXPECT_TRUE(SetWindowText(w, u"Привет"));
    EXPECT_EQ(rec.Count(WM_SETTEXT), 1);
    EXPECT_EQ(GetWindowTextLength(w), 6);
    char16_t buffer[4];
    EXPECT_EQ(GetWindowText(w, buffer, 4), 3);
    EXPECT_EQ(std::u16string(buffer), u"При");
    char16_t cls[64];
    EXPECT_EQ(std::u16string(cls, GetClassName(w, cls, 64)), kRecordingClass);
}

TEST_F(WindowTree, TextOfAnotherThreadsWindowIsSetThere) {
    Recorder rec;
    HWND w = Make(rec);
    std::atomic<bool> set{false};
    std::thread other([&] {
        set = SetWindowText(w, u"from afar");
        PostMessage(w, WM_USER, 0, 0);
    });
    MSG m;
    while (GetMessage(&m, nullptr, 0, 0) > 0 && m.message != WM_USER)
        DispatchMessage(&m);
    other.join();
    EXPECT_TRUE(set);
    EXPECT_EQ(rec.thread, std::this_thread::get_id());
    EXPECT_EQ(GetWindowTextLength(w), 9);
}

TEST_F(WindowTree, FindWindowMatchesClassAndTitle) {
    Recorder rec;
    HWND w = CreateWindowEx(0, kRecordingClass, u"Yol PDA", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, &rec);
    EXPECT_EQ(FindWindow(u"uitestrecording", u"Yol PDA"), w);
    EXPECT_EQ(FindWindow(nullptr, u"Yol PDA"), w);
    EXPECT_EQ(FindWindow(kRecordingClass, u"Other"), nullptr);
}

TEST_F(WindowTree, CloseDestroysByDefault) {
    Recorder rec;
    HWND w = Make(rec);
    SendMessage(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(w));
}

} // namespace

namespace {

TEST_F(WindowTree, ExtrasLiveAsLongAsTheirWindow) {
    Recorder rec;
    HWND top = Make(rec);
    HWND child = Make(rec, WS_CHILD, RECT{}, top);
    static const int key = 0;
    auto state = std::make_shared<int>(7);
    std::weak_ptr<int> watch = state;
    ASSERT_TRUE(Platform::SetWindowExtra(child, &key, state));
    state.reset();
    EXPECT_EQ(*std::static_pointer_cast<int>(Platform::GetWindowExtra(child, &key)), 7);
    EXPECT_EQ(Platform::GetWindowExtra(top, &key), nullptr);
    DestroyWindow(top);
    EXPECT_TRUE(watch.expired());
    EXPECT_FALSE(Platform::SetWindowExtra(child, &key, nullptr));
}

} // namespace
