// The SDL2 back-end.

#include "BackendSdl.h"

#include "CYolString.h"
#include "Drawing/GdiTypes.h"
#include "Shell/Shell.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/WindowInput.h"
#include "WindowSystem/WindowKeys.h"
#include "WindowSystem/WindowPaintImpl.h"

#include <SDL.h>
#include <cairo.h>

#include <algorithm>
#include <thread>

namespace Platform {

namespace {

// Desktop keys and the handheld keys they stand for.
struct KeyMapping {
    SDL_Keycode sdl;
    unsigned vk;
    char16_t typed; // what the key types when SDL's text input does not say
};

const KeyMapping kKeys[] = {
    {SDLK_RETURN, VK_RETURN, u'\r'},  {SDLK_KP_ENTER, VK_RETURN, u'\r'}, {SDLK_TAB, VK_TAB, u'\t'},
    {SDLK_BACKSPACE, VK_BACK, 8},      {SDLK_ESCAPE, VK_ESCAPE, 0x1B},     {SDLK_SPACE, VK_SPACE, 0},
    {SDLK_LEFT, VK_LEFT, 0},           {SDLK_RIGHT, VK_RIGHT, 0},          {SDLK_UP, VK_UP, 0},
    {SDLK_DOWN, VK_DOWN, 0},           {SDLK_HOME, VK_HOME, 0},            {SDLK_END, VK_END, 0},
    {SDLK_PAGEUP, VK_PRIOR, 0},        {SDLK_PAGEDOWN, VK_NEXT, 0},        {SDLK_INSERT, VK_INSERT, 0},
    {SDLK_DELETE, VK_DELETE, 0},       {SDLK_F1, VK_F1, 0},                {SDLK_F2, VK_F2, 0},
    {SDLK_F6, VK_F6, 0},               {SDLK_F7, VK_F7, 0},                {SDLK_LSHIFT, VK_LSHIFT, 0},
    {SDLK_RSHIFT, VK_RSHIFT, 0},       {SDLK_LCTRL, VK_LCONTROL, 0},       {SDLK_RCTRL, VK_RCONTROL, 0},
};

bool MapKey(SDL_Keycode key, unsigned* vk, char16_t* typed)
{
    for (const KeyMapping& m : kKeys) {
        if (m.sdl == key) {
            *vk = m.vk;
            *typed = m.typed;
            return true;
        }
    }
    // Letters and digits: their upper-case code; the text comes separately.
    if ((key >= SDLK_a && key <= SDLK_z) || (key >= SDLK_0 && key <= SDLK_9)) {
        *vk = static_cast<unsigned>(key >= SDLK_a ? key - SDLK_a + 'A' : key);
        *typed = 0;
        return true;
    }
    return false;
}

} // namespace

struct SdlBackend::State {
    SDL_Window* window = nullptr;
    Uint32 wakeEvent = 0;
    std::thread::id thread;
    std::string error;
    bool penDown = false;
};

SdlBackend::SdlBackend() : state(std::make_unique<State>()) {}

SdlBackend::~SdlBackend()
{
    Close();
}

const std::string& SdlBackend::Error() const
{
    return state->error;
}

bool SdlBackend::Open(const SdlOptions& options)
{
    if (state->window)
        return true;
    // Every pixel is drawn by our own cairo code; the window surface only
    // carries it to the display. Without this SDL may back the surface with
    // an OpenGL texture, which on a machine without a GPU starts Mesa's
    // software renderer and its thread pool for nothing.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        state->error = SDL_GetError();
        return false;
    }
    state->window = SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                     options.width, options.height, SDL_WINDOW_SHOWN);
    if (!state->window) {
        state->error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        return false;
    }
    state->wakeEvent = SDL_RegisterEvents(1);
    state->thread = std::this_thread::get_id();
    SDL_StartTextInput();
    SetScreen(options.width, options.height, options.dpi, options.dpi);
    InstallBackend(this);
    MarkScreenDirty();
    return true;
}

void SdlBackend::Close()
{
    if (!state->window)
        return;
    if (&CurrentBackend() == this)
        InstallBackend(nullptr);
    SDL_StopTextInput();
    SDL_DestroyWindow(state->window);
    state->window = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    // Nobody else uses SDL (audio keeps it initialised when it plays).
    if (SDL_WasInit(0) == 0)
        SDL_Quit();
}

void SdlBackend::Wake()
{
    if (!state->window || state->wakeEvent == static_cast<Uint32>(-1))
        return;
    SDL_Event e{};
    e.type = state->wakeEvent;
    SDL_PushEvent(&e);
}

void SdlBackend::Present()
{
    if (!state->window)
        return;
    cairo_surface_t* screen = Compose();
    SDL_Surface* target = SDL_GetWindowSurface(state->window);
    if (!target)
        return;
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        cairo_image_surface_get_data(screen), cairo_image_surface_get_width(screen),
        cairo_image_surface_get_height(screen), 32, cairo_image_surface_get_stride(screen), SDL_PIXELFORMAT_RGB888);
    if (source) {
        SDL_BlitSurface(source, nullptr, target, nullptr);
        SDL_FreeSurface(source);
    }
    SDL_UpdateWindowSurface(state->window);
}

COLORREF SdlBackend::ShownPixel(int x, int y)
{
    SDL_Surface* shown = state->window ? SDL_GetWindowSurface(state->window) : nullptr;
    if (!shown || x < 0 || y < 0 || x >= shown->w || y >= shown->h)
        return CLR_INVALID;
    SDL_LockSurface(shown);
    const auto* row = static_cast<const Uint8*>(shown->pixels) + static_cast<std::ptrdiff_t>(y) * shown->pitch;
    Uint32 pixel = 0;
    std::copy_n(row + static_cast<std::ptrdiff_t>(x) * shown->format->BytesPerPixel,
                std::min<int>(shown->format->BytesPerPixel, 4), reinterpret_cast<Uint8*>(&pixel));
    SDL_UnlockSurface(shown);
    Uint8 r, g, b;
    SDL_GetRGB(pixel, shown->format, &r, &g, &b);
    return RGB(r, g, b);
}

void SdlBackend::PumpEvents()
{
    SDL_Event e;
    while (state->window && SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT) {
                state->penDown = true;
                InjectPenDown(POINT{e.button.x, e.button.y});
            }
            break;
        case SDL_MOUSEMOTION:
            if (state->penDown)
                InjectPenMove(POINT{e.motion.x, e.motion.y});
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT && state->penDown) {
                state->penDown = false;
                InjectPenUp(POINT{e.button.x, e.button.y});
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const SDL_Keycode key = e.key.keysym.sym;
            if (e.type == SDL_KEYDOWN && key == SDLK_F3) {
                PressCommandButton();
                break;
            }
            if (e.type == SDL_KEYDOWN && key == SDLK_F4) {
                const ScreenInfo s = GetScreen();
                SDL_SetWindowSize(state->window, s.height, s.width);
                SetScreen(s.height, s.width, s.dpiX, s.dpiY);
                MarkScreenDirty();
                break;
            }
            unsigned vk = 0;
            char16_t typed = 0;
            if (!MapKey(key, &vk, &typed))
                break;
            if (e.type == SDL_KEYDOWN)
                InjectKeyDown(vk, typed);
            else
                InjectKeyUp(vk);
            break;
        }
        case SDL_TEXTINPUT:
            InjectText(CYolString::FromUtf8(e.text.text).ToU16());
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED)
                MarkScreenDirty();
            break;
        case SDL_QUIT:
            PostQuitMessage(0);
            break;
        default:
            break;
        }
    }
    if (TakeScreenDirty())
        Present();
}

void SdlBackend::WaitForEvents(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                               std::chrono::steady_clock::time_point until)
{
    if (!state->window || std::this_thread::get_id() != state->thread) {
        Backend::WaitForEvents(lock, wake, until);
        return;
    }
    lock.unlock();
    PumpEvents();
    // Short slices, so that a wake-up that raced the wait is seen soon.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    const int slice = static_cast<int>(std::clamp<long long>(left.count(), 0, 50));
    if (slice > 0 && SDL_WaitEventTimeout(nullptr, slice))
        PumpEvents();
    lock.lock();
}

} // namespace Platform
