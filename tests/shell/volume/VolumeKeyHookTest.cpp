// Volume-key scrolling through the platform's keyboard input: which presses
// scroll the target and are swallowed, which go on to the focused window,
// the prefix key, and the hook's life following the target.

#include "VolumeKeyHook.h"
#include "WindowTestSupport.h"

#include "WindowSystem/WindowKeys.h"

#include <string>
#include <vector>

using namespace ui_test;

namespace {

constexpr unsigned kUp = VK_F6;
constexpr unsigned kDown = VK_F7;

struct Key {
    bool down;
    unsigned vk;
};

class VolumeKeys : public WindowTest {
protected:
    void TearDown() override {
        SetVolumeKeyWindow(nullptr);
        WindowTest::TearDown();
    }

    // Feeds the keys through the input queue and answers, in order, the
    // scroll steps the target got ("up", "down") and the key presses that
    // reached the focused window (their codes in hex).
    std::vector<std::string> Run(const std::vector<Key>& keys) {
        rec.log.clear();
        for (const Key& key : keys) {
            if (key.down)
                Platform::InjectKeyDown(key.vk);
            else
                Platform::InjectKeyUp(key.vk);
        }
        Platform::PumpMessages();
        std::vector<std::string> seen;
        for (const Logged& l : rec.log) {
            if (l.msg == WM_VSCROLL)
                seen.push_back(l.wParam == SB_LINEUP ? "up" : l.wParam == SB_LINEDOWN ? "down" : "?");
            else if (l.msg == WM_KEYDOWN)
                seen.push_back("key " + Hex(static_cast<unsigned>(l.wParam)));
            else if (l.msg == WM_KEYUP)
                seen.push_back("release " + Hex(static_cast<unsigned>(l.wParam)));
        }
        return seen;
    }

    static std::string Hex(unsigned vk) {
        char text[8];
        std::snprintf(text, sizeof text, "%02X", vk);
        return text;
    }

    Recorder rec;
};

TEST_F(VolumeKeys, PressesScrollTheTargetAndOnlyThemAreSwallowed) {
    const HWND target = Make(rec);
    SetFocus(target);
    SetVolumeKeyWindow(target);
    struct Case {
        const char* what;
        std::vector<Key> keys;
        std::vector<std::string> seen;
    };
    const Case cases[] = {
        {"volume up scrolls a line up", {{true, kUp}}, {"up"}},
        {"volume down scrolls a line down", {{true, kDown}}, {"down"}},
        {"releases are passed on", {{true, kDown}, {false, kDown}}, {"down", "release 76"}},
        {"other keys are passed on", {{true, VK_DOWN}, {true, 'A'}}, {"key 28", "key 41"}},
        {"volume up right after the prefix changes the volume, the next one scrolls",
         {{true, VK_VOLUME_PREFIX}, {true, kUp}, {true, kUp}},
         {"key 5C", "key 75", "up"}},
        {"the prefix waits for a volume up across other keys",
         {{true, VK_VOLUME_PREFIX}, {true, kDown}, {false, VK_VOLUME_PREFIX}, {true, kUp}, {true, kUp}},
         {"key 5C", "down", "release 5C", "key 75", "up"}},
        {"a held key repeats its scrolling", {{true, kDown}, {true, kDown}, {true, kDown}}, {"down", "down", "down"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Run(c.keys), c.seen);
    }
}

TEST_F(VolumeKeys, AHiddenOrDestroyedTargetGetsNoScrolling) {
    Recorder focusRec;
    const HWND focused = CreateWindowEx(0, kRecordingClass, u"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                        nullptr, nullptr, &focusRec);
    const HWND target = Make(rec);
    SetFocus(focused);
    SetVolumeKeyWindow(target);

    ShowWindow(target, SW_HIDE);
    Platform::InjectKey(kUp);
    Platform::InjectKey(kDown);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_VSCROLL), 0);
    EXPECT_EQ(focusRec.Count(WM_KEYDOWN), 2) << "the keys went on as usual";

    ShowWindow(target, SW_SHOWNA);
    Platform::InjectKey(kDown);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_VSCROLL), 1);
    EXPECT_EQ(focusRec.Count(WM_KEYDOWN), 2);

    Forget(target);
    DestroyWindow(target);
    Platform::InjectKey(kDown);
    Platform::PumpMessages();
    EXPECT_EQ(focusRec.Count(WM_KEYDOWN), 3);
    EXPECT_TRUE(IsVolumeKeyHookInstalled()) << "until the target is cleared";
}

TEST_F(VolumeKeys, TheHookLivesExactlyWhileATargetIsSet) {
    Recorder second;
    const HWND first = Make(rec);
    const HWND other = Make(second);
    EXPECT_FALSE(IsVolumeKeyHookInstalled());
    EXPECT_EQ(SetVolumeKeyWindow(first), nullptr);
    EXPECT_TRUE(IsVolumeKeyHookInstalled());
    EXPECT_EQ(SetVolumeKeyWindow(other), first);
    EXPECT_TRUE(IsVolumeKeyHookInstalled());

    Platform::InjectKey(kDown);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_VSCROLL), 0) << "only the new target scrolls";
    EXPECT_EQ(second.Count(WM_VSCROLL), 1);

    EXPECT_EQ(SetVolumeKeyWindow(nullptr), other);
    EXPECT_FALSE(IsVolumeKeyHookInstalled());
    SetFocus(first);
    Platform::InjectKey(kDown);
    Platform::PumpMessages();
    EXPECT_EQ(second.Count(WM_VSCROLL), 1);
    EXPECT_EQ(rec.Count(WM_KEYDOWN), 1) << "no hook of ours is left in the chain";
}

TEST_F(VolumeKeys, HooksInstalledBeforeStillSeeWhatIsPassedOn) {
    static std::vector<unsigned> earlierSaw;
    earlierSaw.clear();
    HHOOK earlier = SetWindowsHookEx(
        WH_KEYBOARD_LL,
        [](int code, WPARAM message, LPARAM record) -> LRESULT {
            if (message == WM_KEYDOWN)
                earlierSaw.push_back(reinterpret_cast<const KBDLLHOOKSTRUCT*>(record)->vkCode);
            return CallNextHookEx(nullptr, code, message, record);
        },
        nullptr, 0);
    const HWND target = Make(rec);
    SetVolumeKeyWindow(target);
    Platform::InjectKey(kDown);
    Platform::InjectKey(VK_RETURN);
    Platform::PumpMessages();
    EXPECT_EQ(earlierSaw, (std::vector<unsigned>{VK_RETURN}));
    UnhookWindowsHookEx(earlier);
}

}  // namespace
