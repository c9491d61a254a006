#include "PluginLanguage.h"

#include "CYolWMUI_Dlg.h"
#include "WindowSystem/MessageQueue.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace Protocols {
namespace {

struct Watched {
    std::mutex lock;
    std::vector<HWND> windows;
};

Watched& State() {
    static Watched watched;
    return watched;
}

}  // namespace

void WatchLanguage(HWND window) {
    if (window == nullptr)
        return;
    Watched& s = State();
    std::lock_guard guard(s.lock);
    if (std::find(s.windows.begin(), s.windows.end(), window) == s.windows.end())
        s.windows.push_back(window);
}

void UnwatchLanguage(HWND window) {
    Watched& s = State();
    std::lock_guard guard(s.lock);
    std::erase(s.windows, window);
}

void TellLanguageChanged() {
    Watched& s = State();
    std::lock_guard guard(s.lock);
    // Posting never waits for the window's thread; a handle is never used
    // again once its window is gone, so a failed post only ends a stale entry.
    std::erase_if(s.windows,
                  [](HWND window) { return !PostMessage(window, UI::kLanguageChangedMessage, 0, 0); });
}

}  // namespace Protocols
