#pragma once
// What the menu suites share: a skin that paints every image as a solid
// square of a colour made from its id and answers a distinct colour for
// every index, and a script that runs steps in the order of the input, so a
// step (moving the clock, looking at the open menu) happens exactly between
// two injected keys or pen events while a menu runs its own message loop.

#include "WindowTestSupport.h"

#include "CYolMenuInfo.h"
#include "CYolWMUI_Menu.h"
#include "MYolWMUI_Skin.h"
#include "WindowSystem/WindowHook.h"
#include "WindowSystem/WindowKeys.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace menu_test {

inline COLORREF SkinColour(int index) {
    return RGB(10 + index * 7, 200 - index * 5, (index * 37) % 256);
}
inline COLORREF ImageColour(int id) {
    return RGB(250, (id * 41) % 256, 5);
}

class SolidSkin : public UI::MYolWMUI_Skin {
public:
    struct Drawn {
        int id;
        RECT rect;
        int alpha;
    };

    COLORREF GetSkinColor(int index) override { return SkinColour(index); }
    void DrawImage(HDC dc, int id, const POINT& at, int alpha) override {
        DrawImageRect(dc, id, RECT{at.x, at.y, at.x + Platform::ScaleX(16), at.y + Platform::ScaleY(16)}, alpha);
    }
    void DrawImageRect(HDC dc, int id, const RECT& rect, int alpha) override {
        drawn.push_back(Drawn{id, rect, alpha});
        if (id == -1)
            return;
        HBRUSH brush = CreateSolidBrush(ImageColour(id));
        FillRect(dc, &rect, brush);
        DeleteObject(brush);
    }
    HBRUSH GetBkBrush() override { return background; }

    std::vector<Drawn> drawn;
    HBRUSH background = GetSysColorBrush(COLOR_WINDOW);
};

// The key that stands for "run the next step" in the input; no program key
// uses it.
constexpr unsigned kStepKey = 0xE8;

class Script {
public:
    Script() { hook = SetWindowsHookEx(WH_KEYBOARD_LL, &Script::Hook, nullptr, 0); current = this; }
    ~Script() {
        UnhookWindowsHookEx(hook);
        current = nullptr;
    }
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    // Queues a step behind the input injected so far.
    void Then(std::function<void()> step) {
        steps.push_back(std::move(step));
        Platform::InjectKeyDown(kStepKey);
    }
    std::size_t Pending() const { return steps.size(); }

private:
    static LRESULT Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (code != HC_ACTION || key->vkCode != kStepKey)
            return CallNextHookEx(nullptr, code, wParam, lParam);
        if (wParam == WM_KEYDOWN && current != nullptr && !current->steps.empty()) {
            auto step = std::move(current->steps.front());
            current->steps.pop_front();
            step();
        }
        return 1;
    }

    static inline Script* current = nullptr;
    HHOOK hook = nullptr;
    std::deque<std::function<void()>> steps;
};

inline CYolFormatString Text(const std::string& text) {
    return CYolFormatString(CYolString::FromUtf8(text.c_str()));
}

// A command entry whose command id is its number and whose context is
// the number too.
inline CYolMenuItemInfo Entry(const std::string& caption, int command, int kind = CYolMenuItemInfo::Item,
                              int image = -1, bool marked = false) {
    return CYolMenuItemInfo(kind, image, Text(caption), command, nullptr, YolMenuContext(command), marked);
}

using Result = UI::CYolWMUI_Menu::TResult;

inline std::string Describe(const Result& r) {
    return "{" + std::to_string(r.callback != nullptr) + ", " + std::to_string(r.commandId) + ", " +
           std::to_string(YolMenuContextValue(r.context)) + ", " + std::to_string(YolMenuContextValue(r.menuContext)) +
           "}";
}

} // namespace menu_test
