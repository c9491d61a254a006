// The power-state model.

#include "Power.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace {

struct PowerModel {
    std::mutex m;
    std::u16string system = u"on";
    std::map<std::u16string, CEDEVICE_POWER_STATE> devices = {{u"wav1:", D0}};
    int queries = 0;
};

PowerModel& TheModel()
{
    static PowerModel* model = new PowerModel;
    return *model;
}

} // namespace

bool GetSystemPowerState(char16_t* name, std::uint32_t length, std::uint32_t* flags)
{
    if (!name || length == 0)
        return false;
    PowerModel& model = TheModel();
    std::lock_guard<std::mutex> lock(model.m);
    const size_t n = std::min<size_t>(model.system.size(), length - 1);
    std::copy_n(model.system.begin(), n, name);
    name[n] = u'\0';
    if (flags)
        *flags = 0;
    return true;
}

bool SetSystemPowerState(const char16_t* name, std::uint32_t, std::uint32_t)
{
    if (!name || !*name)
        return false;
    PowerModel& model = TheModel();
    std::lock_guard<std::mutex> lock(model.m);
    model.system = name;
    return true;
}

bool GetDevicePower(const char16_t* device, std::uint32_t, CEDEVICE_POWER_STATE* state)
{
    if (!device || !state)
        return false;
    PowerModel& model = TheModel();
    std::lock_guard<std::mutex> lock(model.m);
    ++model.queries;
    const auto found = model.devices.find(device);
    if (found == model.devices.end())
        return false;
    *state = found->second;
    return true;
}

namespace Platform {

void SetSystemPowerStateName(const std::u16string& name)
{
    SetSystemPowerState(name.c_str(), 0, 0);
}

std::u16string GetSystemPowerStateName()
{
    PowerModel& model = TheModel();
    std::lock_guard<std::mutex> lock(model.m);
    return model.system;
}

void SetDevicePowerState(const std::u16string& device, CEDEVICE_POWER_STATE state)
{
    PowerModel& model = TheModel();
    std::lock_guard<std::mutex> lock(model.m);
    model.devices[device] = state;
}

int DevicePowerQueries()
{
    PowerModel& model = TheModel();
    std::lock_guard<std::mutex> lock(model.m);
    return model.queries;
}

void ResetPower()
{
    PowerModel& model = TheModel();
    std::lock_guard<std::mutex> lock(model.m);
    model.system = u"on";
    model.devices = {{u"wav1:", D0}};
    model.queries = 0;
}

} // namespace Platform
