#include "CYolWMSmile_Anim.h"

#include "CYolWMSmile_Set.h"

#include "WindowSystem/Timers.h"

#include <algorithm>

namespace Smile {

using AnimDriver = CYolWMSmile_Anim::CYolWMSmile_AnimDriver;
using Manager = CYolWMSmile_Anim::CYolWMSmile_AnimManager;

namespace {

// No smiley changes more rarely than this.
constexpr int kLongestWait = 60000;

AnimDriver* g_driver = nullptr;
HWND g_host = nullptr;

const CYolWMSmile* SmileOf(int index) {
    CYolWMSmile_Set* set = CYolWMSmile_Set::Current();
    return set != nullptr ? set->Get(index) : nullptr;
}

int FrameCountOf(int index) {
    const CYolWMSmile* smile = SmileOf(index);
    return smile != nullptr ? smile->FrameCount() : 0;
}

int FindManager(const AnimDriver& driver, int smile) {
    for (int i = 0; i < driver.managers.Count(); ++i)
        if (driver.managers[i].smile == smile)
            return i;
    return -1;
}

} // namespace

// Advances one smiley by `elapsed` ms; answers its remaining time.
struct AnimTicker {
    static int Tick(AnimDriver& driver, int index, int elapsed) {
        Manager& m = driver.managers[index];
        if (elapsed < m.remaining) {
            m.remaining -= elapsed;
            return m.remaining;
        }
        // A smiley whose GIF gave no frame, or that the current set no
        // longer has, is never stepped.
        const CYolWMSmile* smile = SmileOf(m.smile);
        if (m.frameCount <= 0 || smile == nullptr || smile->FrameCount() != m.frameCount) {
            m.remaining = kLongestWait;
            return m.remaining;
        }
        m.frame = m.frame + 1 >= m.frameCount ? 0 : m.frame + 1;
        m.remaining = std::max(smile->Frame(m.frame).delay, CYolWMSmile::kMinDelay);
        const int frame = m.frame;
        const int remaining = m.remaining;
        const int smileIndex = m.smile;
        // An observer may add or remove pictures: walk by index and find the
        // manager again after each call.
        for (int p = 0;; ++p) {
            const int at = FindManager(driver, smileIndex);
            if (at < 0 || p >= driver.managers[at].Count())
                break;
            CYolWMSmile_Anim* picture = driver.managers[at][p];
            picture->frame = frame;
            if (picture->observer != nullptr)
                picture->observer->OnFrameChanged(picture);
            if (g_driver != &driver)
                break;
        }
        return remaining;
    }
};

CYolWMSmile_Anim::CYolWMSmile_Anim(int index, MYolWMSmile_AnimObserver* watcher) : smile(index), observer(watcher) {
    if (FrameCountOf(index) != 1)
        Register(this);
}

CYolWMSmile_Anim::~CYolWMSmile_Anim() {
    if (registered)
        Unregister(this);
}

void AnimDriver::Arm() {
    KillTimer(m_hWnd, kTimerId);
    if (!paused)
        SetTimer(m_hWnd, kTimerId, static_cast<std::uint32_t>(interval), nullptr);
}

void AnimDriver::OnCreate() {
    Arm();
}

void AnimDriver::OnTimer(int id, TIMERPROC) {
    if (id != kTimerId)
        return;
    KillTimer(m_hWnd, kTimerId);
    const int elapsed = interval;
    int next = kLongestWait;
    for (int i = 0; i < managers.Count() && g_driver == this; ++i)
        next = std::min(next, AnimTicker::Tick(*this, i, elapsed));
    if (g_driver != this)
        return;
    interval = next;
    Arm();
}

void CYolWMSmile_Anim::Register(CYolWMSmile_Anim* picture) {
    if (picture->registered)
        return;
    picture->registered = true;
    picture->frame = 0;
    if (g_driver != nullptr) {
        const int at = FindManager(*g_driver, picture->smile);
        if (at >= 0) {
            g_driver->managers[at].Add(picture);
            picture->frame = std::max(g_driver->managers[at].frame, 0);
            return;
        }
    }
    Manager m;
    m.SetGrowStep(10);
    m.smile = picture->smile;
    m.frameCount = FrameCountOf(picture->smile);
    m.Add(picture);
    if (g_driver == nullptr) {
        g_driver = new AnimDriver;
        g_driver->managers.SetGrowStep(10);
        g_driver->managers.Add(m);
        g_driver->Create(nullptr, g_host, 0, RECT{0, 0, 0, 0});
        return;
    }
    g_driver->managers.Add(m);
    // The new smiley shows its first frame at once; the time the others
    // already waited is not counted.
    g_driver->interval = 0;
    g_driver->Arm();
}

void CYolWMSmile_Anim::Unregister(CYolWMSmile_Anim* picture) {
    if (!picture->registered)
        return;
    picture->registered = false;
    if (g_driver == nullptr)
        return;
    const int at = FindManager(*g_driver, picture->smile);
    if (at < 0)
        return;
    Manager& m = g_driver->managers[at];
    for (int i = 0; i < m.Count(); ++i)
        if (m[i] == picture) {
            m.RemoveAt(i);
            break;
        }
    if (m.Count() == 0)
        g_driver->managers.RemoveAt(at);
    if (g_driver->managers.Count() == 0) {
        AnimDriver* gone = g_driver;
        g_driver = nullptr;
        delete gone;
    }
}

void CYolWMSmile_Anim::Pause() {
    if (g_driver == nullptr)
        return;
    g_driver->paused = true;
    KillTimer(*g_driver, AnimDriver::kTimerId);
}

void CYolWMSmile_Anim::Resume() {
    if (g_driver == nullptr)
        return;
    g_driver->paused = false;
    g_driver->Arm();
}

CYolWMSmile_Anim::CYolWMSmile_AnimDriver* CYolWMSmile_Anim::Driver() {
    return g_driver;
}

void CYolWMSmile_Anim::SetHostWindow(HWND host) {
    g_host = host;
}

} // namespace Smile
