// The power side: the plug-ins' timers as the device's sleep sees them, the
// power states the device reports, unattended mode and the scheduled
// wake-up.
//
// The call-backs themselves never run here: the core's timer service posts
// each one to its account's own queue thread when it comes due (and a
// call-back that wants to run again asks for a fresh timer). The list here
// only tells how long the device may sleep: unattended mode stays on while a
// timer waits, and a device going unattended schedules the program's start
// for the earliest timer.

#include "AppServices.h"
#include "CYolClock.h"
#include "CYolPath.h"
#include "CYolWMApp.h"
#include "Shell/Power.h"
#include "WindowSystem/Timers.h"

#include <algorithm>
#include <climits>

namespace UI {

namespace {

constexpr char16_t kResuming[] = u"resuming";
constexpr char16_t kUnattended[] = u"unattended";
constexpr char16_t kWakeUpEvent[] = u"YOL-PDA-WAKEUP";

bool SameName(const CYolString& a, const char16_t* b) { return CYolString::Comparei(a.c_str(), b, -1) == 0; }

// A period in milliseconds for the platform timer: a fire time already
// passed comes due at once instead of wrapping to a huge period.
std::uint32_t PeriodMs(std::int64_t seconds) {
    if (seconds <= 0)
        return 0;
    return static_cast<std::uint32_t>(std::min<std::int64_t>(seconds * 1000, UINT32_MAX));
}

CYolString ProgramPath() { return CYolPath::AppDir() + CYolString(u"yol"); }

}  // namespace

std::int64_t CYolWMApp::Now() const { return CYolClock::Current().Now(); }

// Unattended mode is counted by the platform: the application asks once
// and gives back once, whatever the order of timers and power states.
void CYolWMApp::SetUnattended(bool on) {
    if (on == unattended)
        return;
    PowerPolicyNotify(PPN_UNATTENDEDMODE, on ? 1 : 0);
    unattended = on;
}

void CYolWMApp::MsgSetTimer(WPARAM wParam, LPARAM lParam) {
    const auto* request = ArgValueOf<Protocols::TimerRequest>(lParam);
    if (request != nullptr)
        SetTimerEntry(ArgIdOf(wParam), *request);
}

void CYolWMApp::MsgKillTimer(WPARAM wParam, LPARAM lParam) {
    KillTimerEntry(ArgIdOf(wParam), ArgValueOf<Protocols::TimerInfo>(lParam));
}

void CYolWMApp::SetTimerEntry(unsigned int account, const Protocols::TimerRequest& request) {
    CYolTime fire = request.fireTime;
    TimerData entry;
    entry.timerId = nextTimerId++;
    entry.fireTime = fire.GetUnixTime();
    entry.account = account;
    entry.info = request.info;
    entry.platformTimer = ::SetTimer(GetWindow(), entry.timerId, PeriodMs(entry.fireTime - Now()), nullptr);
    timers.push_back(entry);
    if (timers.size() != 1)
        return;
    if (SameName(lastPowerState, kUnattended))
        OnUnattended();
    else
        SetUnattended(true);
}

// Without a call-back the account is being deleted: all its timers go.
void CYolWMApp::KillTimerEntry(unsigned int account, const Protocols::TimerInfo* info) {
    auto matches = [&](const TimerData& t) {
        return info != nullptr ? t.info == *info : t.account == account;
    };
    if (info != nullptr) {
        auto it = std::find_if(timers.begin(), timers.end(), matches);
        if (it == timers.end())
            return;
        ::KillTimer(GetWindow(), it->timerId);
        timers.erase(it);
    } else {
        for (const TimerData& t : timers)
            if (matches(t))
                ::KillTimer(GetWindow(), t.timerId);
        std::erase_if(timers, matches);
    }
    if (timers.empty() && !prefs.GlobDontSleep)
        SetUnattended(false);
}

void CYolWMApp::OnTimerEntryFired(std::uintptr_t timerId) {
    auto it = std::find_if(timers.begin(), timers.end(), [&](const TimerData& t) { return t.timerId == timerId; });
    if (it == timers.end())
        return;
    ::KillTimer(GetWindow(), it->timerId);
    timers.erase(it);
    if (timers.empty() && !prefs.GlobDontSleep)
        SetUnattended(false);
    else if (SameName(lastPowerState, kUnattended))
        OnUnattended();
}

void CYolWMApp::OnPowerState(const CYolString& name) {
    if (SameName(name, kResuming))
        OnResuming();
    else if (SameName(name, kUnattended))
        OnUnattended();
    lastPowerState = name;
}

// Timers that came due while the device slept have been handed to their
// accounts by the timer service; the rest wait on with their remaining time.
void CYolWMApp::OnResuming() {
    if (!timers.empty()) {
        SetUnattended(true);
        CeRunAppAtTime(ProgramPath().c_str(), nullptr);
        std::int64_t now = Now();
        for (size_t i = timers.size(); i-- > 0;) {
            TimerData& t = timers[i];
            ::KillTimer(GetWindow(), t.timerId);
            if (t.fireTime - now < 1)
                timers.erase(timers.begin() + static_cast<std::ptrdiff_t>(i));
            else
                t.platformTimer = ::SetTimer(GetWindow(), t.timerId, PeriodMs(t.fireTime - now), nullptr);
        }
        if (timers.empty() && !prefs.GlobDontSleep)
            SetUnattended(false);
    }
    if (auto wakeUp = Platform::NamedEvent::Open(kWakeUpEvent))
        wakeUp->Set();
}

void CYolWMApp::OnUnattended() {
    if (prefs.GlobDontSleep)
        return;
    std::int64_t now = Now();
    std::int64_t earliest = INT_MAX;
    for (const TimerData& t : timers)
        earliest = std::min(earliest, std::max<std::int64_t>(t.fireTime - now, 0));
    if (earliest <= kWakeUpMinimumSeconds)
        return;
    if (earliest < INT_MAX) {
        CYolTime when(static_cast<unsigned int>(now + earliest));
        when.ToLocal();
        CeRunAppAtTime(ProgramPath().c_str(), &when);
    }
    SetUnattended(false);
}

}  // namespace UI
