// The power model: one process-wide record behind one lock.

#include "Power.h"

#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Messages.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

namespace Platform {

struct NamedEvent::State {
    std::mutex m;
    std::condition_variable signalled;
    bool set = false;
};

namespace {

struct Listener {
    HWND window;
    std::deque<std::u16string> queue;
};

struct PowerModel {
    std::mutex m;
    std::vector<Listener> listeners;
    int unattended = 0;
    int idleResets = 0;
    std::u16string systemState = u"on";
    std::map<std::u16string, CEDEVICE_POWER_STATE> devices = {{u"wav1:", D0}};
    int deviceQueries = 0;
    std::map<std::u16string, std::int64_t> schedule;
    std::map<std::u16string, std::weak_ptr<NamedEvent::State>> events;
};

PowerModel& Model() {
    static PowerModel* model = new PowerModel;
    return *model;
}

}  // namespace

void RequestPowerNotifications(HWND window) {
    PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    for (const Listener& l : model.listeners)
        if (l.window == window)
            return;
    model.listeners.push_back({window, {}});
}

void StopPowerNotifications(HWND window) {
    PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    std::erase_if(model.listeners, [&](const Listener& l) { return l.window == window; });
}

std::optional<std::u16string> ReadPowerNotification(HWND window) {
    PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    for (Listener& l : model.listeners) {
        if (l.window != window || l.queue.empty())
            continue;
        std::u16string name = std::move(l.queue.front());
        l.queue.pop_front();
        return name;
    }
    return std::nullopt;
}

void InjectPowerState(const std::u16string& name) {
    std::vector<HWND> windows;
    {
        PowerModel& model = Model();
        std::lock_guard<std::mutex> hold(model.m);
        for (Listener& l : model.listeners) {
            l.queue.push_back(name);
            windows.push_back(l.window);
        }
    }
    for (HWND window : windows)
        PostMessage(window, WM_NULL, 0, 0);
}

int UnattendedModeRequests() {
    PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    return model.unattended;
}

int IdleTimerResets() {
    PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    return model.idleResets;
}

bool IsUnattendedMode() { return UnattendedModeRequests() > 0; }

std::optional<ScheduledStart> GetScheduledStart(const std::u16string& application) {
    PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    auto it = model.schedule.find(application);
    if (it == model.schedule.end())
        return std::nullopt;
    return ScheduledStart{it->first, it->second};
}

std::shared_ptr<NamedEvent> NamedEvent::Create(const std::u16string& name) {
    PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    std::shared_ptr<State> state = model.events[name].lock();
    if (!state) {
        state = std::make_shared<State>();
        model.events[name] = state;
    }
    return std::make_shared<NamedEvent>(state);
}

std::shared_ptr<NamedEvent> NamedEvent::Open(const std::u16string& name) {
    PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    auto it = model.events.find(name);
    if (it == model.events.end())
        return nullptr;
    std::shared_ptr<State> state = it->second.lock();
    if (!state) {
        model.events.erase(it);
        return nullptr;
    }
    return std::make_shared<NamedEvent>(state);
}

NamedEvent::NamedEvent(std::shared_ptr<State> s) : state(std::move(s)) {}
NamedEvent::~NamedEvent() = default;

void NamedEvent::Set() {
    {
        std::lock_guard<std::mutex> hold(state->m);
        state->set = true;
    }
    state->signalled.notify_one();
}

bool NamedEvent::Wait(std::uint32_t milliseconds) {
    std::unique_lock<std::mutex> hold(state->m);
    if (!state->signalled.wait_for(hold, std::chrono::milliseconds(milliseconds), [&] { return state->set; }))
        return false;
    state->set = false;
    return true;
}

void SetSystemPowerStateName(const std::u16string& name) { SetSystemPowerState(name.c_str(), 0, 0); }

std::u16string GetSystemPowerStateName() {
    PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    return model.systemState;
}

void SetDevicePowerState(const std::u16string& device, CEDEVICE_POWER_STATE state) {
    PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    model.devices[device] = state;
}

int DevicePowerQueries() {
    PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    return model.deviceQueries;
}

void ResetPower() {
    PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    model.listeners.clear();
    model.unattended = 0;
    model.idleResets = 0;
    model.systemState = u"on";
    model.devices = {{u"wav1:", D0}};
    model.deviceQueries = 0;
    model.schedule.clear();
    model.events.clear();
}

}  // namespace Platform

using Platform::Model;

bool PowerPolicyNotify(std::uint32_t message, std::uint32_t data) {
    if (message != PPN_UNATTENDEDMODE)
        return false;
    Platform::PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    model.unattended = data != 0 ? model.unattended + 1 : std::max(0, model.unattended - 1);
    return true;
}

void SystemIdleTimerReset() {
    Platform::PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    ++model.idleResets;
}

bool GetSystemPowerState(char16_t* name, std::uint32_t length, std::uint32_t* flags) {
    if (name == nullptr || length == 0)
        return false;
    Platform::PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    const size_t n = std::min<size_t>(model.systemState.size(), length - 1);
    std::copy_n(model.systemState.begin(), n, name);
    name[n] = u'\0';
    if (flags != nullptr)
        *flags = 0;
    return true;
}

bool SetSystemPowerState(const char16_t* name, std::uint32_t, std::uint32_t) {
    if (name == nullptr || *name == 0)
        return false;
    Platform::PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    model.systemState = name;
    return true;
}

bool GetDevicePower(const char16_t* device, std::uint32_t, CEDEVICE_POWER_STATE* state) {
    if (device == nullptr || state == nullptr)
        return false;
    Platform::PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    ++model.deviceQueries;
    const auto found = model.devices.find(device);
    if (found == model.devices.end())
        return false;
    *state = found->second;
    return true;
}

bool CeRunAppAtTime(const char16_t* application, const CYolTime* when) {
    if (application == nullptr)
        return false;
    Platform::PowerModel& model = Model();
    std::lock_guard<std::mutex> hold(model.m);
    if (when == nullptr) {
        model.schedule.erase(application);
        return true;
    }
    CYolTime local = *when;
    model.schedule[application] = local.GetUnixTime();
    return true;
}
