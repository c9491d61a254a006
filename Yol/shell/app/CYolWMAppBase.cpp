#include "CYolWMAppBase.h"

#include "Controls/Control.h"
#include "Drawing/Gdi.h"
#include "Shell/Power.h"
#include "Shell/ShellMenuBar.h"
#include "Shell/ShellScreen.h"
#include "Shell/SingleInstance.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Messages.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowGeometry.h"

namespace UI {

namespace {

inline constexpr char16_t kWakeUpEvent[] = u"YOL-PDA-WAKEUP";

int LowWord(WPARAM value) { return static_cast<int>(value & 0xFFFF); }
int HighWord(WPARAM value) { return static_cast<int>((value >> 16) & 0xFFFF); }

}  // namespace

CYolWMAppBase::CYolWMAppBase(TYolWMStartRecord* startRecord) : start(startRecord) {}

CYolWMAppBase::~CYolWMAppBase() {
    StopInstanceListener();
    if (classRegistered)
        UnregisterClass(start->className, start->instance);
}

std::string CYolWMAppBase::OnInstanceCommand(const std::string& line) {
    if (line != "raise")
        return "ERR unknown command";
    HWND main = window;
    if (main != nullptr)
        PostMessage(main, kMsgBringForward, 0, 0);
    return "OK";
}

void CYolWMAppBase::StopInstanceListener() { instance.reset(); }

void CYolWMAppBase::BringForward() {
    if (window == nullptr)
        return;
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
}

void CYolWMAppBase::WaitForWakeUp() {
    PowerPolicyNotify(PPN_UNATTENDEDMODE, 1);
    if (auto wakeUp = Platform::NamedEvent::Create(kWakeUpEvent))
        wakeUp->Wait(kWakeUpWaitMs);
    PowerPolicyNotify(PPN_UNATTENDEDMODE, 0);
}

bool CYolWMAppBase::ClaimSingleInstance() {
    // Within one process the window itself tells; between processes the
    // program folder's socket does.
    if (HWND other = FindWindow(start->className, start->title)) {
        SetForegroundWindow(other);
        return false;
    }
    if (start->instanceKey.empty())
        return true;
    instance = std::make_unique<Platform::SingleInstance>(start->instanceKey);
    Platform::SingleInstance::Result result =
        instance->Acquire([this](const std::string& line) { return OnInstanceCommand(line); });
    if (result == Platform::SingleInstance::Result::Running) {
        instance.reset();
        Platform::SingleInstance::Ask(start->instanceKey, "raise", Platform::SingleInstance::kReadTimeoutMs);
        return false;
    }
    // Without a private runtime folder the program still runs, alone as far
    // as it can tell.
    if (result == Platform::SingleInstance::Result::Failed)
        instance.reset();
    return true;
}

bool CYolWMAppBase::InitInstance(const CYolString& commandLine) {
    if (commandLine.Find(0, CYolString(u"AppRunAtTime")) >= 0) {
        WaitForWakeUp();
        return false;
    }
    INITCOMMONCONTROLSEX controls;
    controls.dwICC = ICC_TREEVIEW_CLASSES | ICC_DATE_CLASSES;
    if (!InitCommonControlsEx(&controls))
        return false;
    if (!ClaimSingleInstance())
        return false;

    WNDCLASS wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &CYolWMAppBase::WndProc;
    wc.hInstance = start->instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = start->className;
    if (RegisterClass(&wc) == 0)
        return false;
    classRegistered = true;
    RegisterMenuBarResource(start->instance, kMainMenuBarId, {{kLeftSoftKey, u""}, {kRightSoftKey, u""}});

    if (CreateWindowEx(0, start->className, start->title, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, nullptr, nullptr, start->instance, this) == nullptr)
        return false;
    if (menuBar != nullptr) {
        RECT bar{};
        RECT own{};
        GetWindowRect(menuBar, &bar);
        GetWindowRect(window, &own);
        SetWindowPos(window, nullptr, own.left, own.top, own.right - own.left,
                     own.bottom - own.top - (bar.bottom - bar.top), SWP_NOZORDER | SWP_NOREDRAW);
    }
    OnCreate();
    ShowWindow(window, start->showCommand);
    return true;
}

int CYolWMAppBase::RunMessageLoop() {
    HWND main = window;
    MSG msg;
    int got = 0;
    while ((got = GetMessage(&msg, nullptr, 0, 0)) > 0) {
        // One notification per window message, as the device delivers them.
        if (std::optional<std::u16string> state = Platform::ReadPowerNotification(main))
            OnPowerState(CYolString(state->c_str()));
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    Platform::StopPowerNotifications(main);
    return got == 0 ? static_cast<int>(msg.wParam) : 1;
}

void CYolWMAppBase::OnWmCreate(HWND hwnd) {
    window = hwnd;
    // From the window's birth, so that no notification between start-up and
    // the loop is lost; the loop reads them.
    Platform::RequestPowerNotifications(hwnd);
    activation = SHACTIVATEINFO{};
    SHMENUBARINFO info;
    info.hwndParent = hwnd;
    info.dwFlags = SHCMBF_HMENU | SHCMBF_HIDESIPBUTTON;
    info.nToolBarId = kMainMenuBarId;
    info.hInstRes = start->instance;
    if (SHCreateMenuBar(&info)) {
        menuBar = info.hwndMB;
        SHEnableSoftkey(menuBar, 0, true, false);
        SHEnableSoftkey(menuBar, 1, true, false);
        Platform::SetMenuBarButtonText(menuBar, kLeftSoftKey, u"");
        Platform::SetMenuBarButtonText(menuBar, kRightSoftKey, u"");
    }
    OnCreated();
}

LRESULT CYolWMAppBase::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCT*>(lParam);
        auto* app = static_cast<CYolWMAppBase*>(create->lpCreateParams);
        SetWindowLong(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(app));
        app->OnWmCreate(hwnd);
        return 0;
    }
    auto* app = reinterpret_cast<CYolWMAppBase*>(GetWindowLong(hwnd, GWL_USERDATA));
    if (app == nullptr)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    return app->Dispatch(msg, wParam, lParam);
}

LRESULT CYolWMAppBase::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = window;
    switch (msg) {
        case WM_DESTROY:
            Platform::StopPowerNotifications(hwnd);
            if (menuBar != nullptr)
                DestroyWindow(menuBar);
            menuBar = nullptr;
            OnDestroyed();
            window = nullptr;
            PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            OnSize(LowWord(static_cast<WPARAM>(lParam)), HighWord(static_cast<WPARAM>(lParam)));
            break;
        case WM_ACTIVATE:
            SHHandleWMActivate(hwnd, wParam, lParam, &activation, 0);
            OnActivate(wParam, lParam);
            break;
        case WM_SETFOCUS:
            OnSetFocus();
            break;
        case WM_CLOSE:
            OnClose();
            break;
        case WM_SETTINGCHANGE:
            SHHandleWMSettingChange(hwnd, wParam, lParam, &activation);
            if (wParam == SPI_SETSIPINFO || wParam == SETTINGCHANGE_RESET)
                OnSettingChange(wParam, lParam);
            break;
        case WM_WINDOWPOSCHANGED: {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
            if (pos != nullptr && (pos->flags & SWP_NOZORDER) == 0 && pos->hwndInsertAfter == nullptr &&
                menuBar != nullptr)
                ShowWindow(menuBar, SW_SHOW);
            break;
        }
        case WM_COMMAND:
            OnCommand(LowWord(wParam), HighWord(wParam), reinterpret_cast<HWND>(lParam));
            break;
        case kMsgBringForward:
            BringForward();
            return 0;
        default:
            if (OnMessage(msg, wParam, lParam) == 0)
                return 0;
            break;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace UI
