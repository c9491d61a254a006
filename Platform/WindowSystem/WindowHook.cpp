// The chain of keyboard hooks.

#include "WindowHook.h"

#include "Messages.h"
#include "WindowInputImpl.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace Platform {

struct Hook {
    HOOKPROC proc = nullptr;
};

namespace {

struct Hooks {
    std::mutex m;
    std::vector<std::shared_ptr<Hook>> chain; // newest first
};

// The hook whose procedure runs on this thread, for a CallNextHookEx that
// names no hook.
thread_local Hook* t_running = nullptr;

// Runs `hook`'s procedure with it marked as the running one.
LRESULT Call(const std::shared_ptr<Hook>& hook, int code, WPARAM wParam, LPARAM lParam)
{
    Hook* outer = t_running;
    t_running = hook.get();
    const LRESULT answer = hook->proc(code, wParam, lParam);
    t_running = outer;
    return answer;
}

Hooks& TheHooks()
{
    static Hooks* hooks = new Hooks;
    return *hooks;
}

// The hook after `hook` in the chain (the first one for null), or null.
std::shared_ptr<Hook> After(HHOOK hook)
{
    Hooks& hooks = TheHooks();
    std::lock_guard<std::mutex> lock(hooks.m);
    if (!hook)
        return hooks.chain.empty() ? nullptr : hooks.chain.front();
    auto it = std::find_if(hooks.chain.begin(), hooks.chain.end(),
                           [&](const std::shared_ptr<Hook>& h) { return h.get() == hook; });
    if (it == hooks.chain.end() || it + 1 == hooks.chain.end())
        return nullptr;
    return *(it + 1);
}

} // namespace

bool KeyboardHooksInstalled()
{
    Hooks& hooks = TheHooks();
    std::lock_guard<std::mutex> lock(hooks.m);
    return !hooks.chain.empty();
}

bool RunKeyboardHooks(const RawInput& key)
{
    std::shared_ptr<Hook> first = After(nullptr);
    if (!first)
        return false;
    KBDLLHOOKSTRUCT info;
    info.vkCode = key.vk;
    info.time = static_cast<std::uint32_t>(key.time);
    const WPARAM message = key.kind == RawInput::Kind::KeyDown ? WM_KEYDOWN : WM_KEYUP;
    return Call(first, HC_ACTION, message, reinterpret_cast<LPARAM>(&info)) != 0;
}

} // namespace Platform

HHOOK SetWindowsHookEx(int idHook, HOOKPROC proc, HINSTANCE /*instance*/, std::uint32_t /*threadId*/)
{
    if (idHook != WH_KEYBOARD_LL || !proc)
        return nullptr;
    auto hook = std::make_shared<Platform::Hook>();
    hook->proc = proc;
    Platform::Hooks& hooks = Platform::TheHooks();
    std::lock_guard<std::mutex> lock(hooks.m);
    hooks.chain.insert(hooks.chain.begin(), hook);
    return hook.get();
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<Platform::Hook> next = Platform::After(hook ? hook : Platform::t_running);
    return next ? Platform::Call(next, code, wParam, lParam) : 0;
}

bool UnhookWindowsHookEx(HHOOK hook)
{
    Platform::Hooks& hooks = Platform::TheHooks();
    std::lock_guard<std::mutex> lock(hooks.m);
    auto it = std::find_if(hooks.chain.begin(), hooks.chain.end(),
                           [&](const std::shared_ptr<Platform::Hook>& h) { return h.get() == hook; });
    if (it == hooks.chain.end())
        return false;
    hooks.chain.erase(it);
    return true;
}
