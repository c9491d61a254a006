// Making dialogs from templates, the modal loop and the default dialog
// handling.

#include "Dialog.h"

#include "DialogImpl.h"
#include "Drawing/Gdi.h"
#include "Shell/ShellScreen.h"
#include "WindowFocus.h"
#include "WindowGeometry.h"
#include "WindowPaint.h"

using namespace Platform;

namespace {

constexpr const char16_t* kDialogClass = u"YolPlatformDialog";

// Messages whose answer is the dialog procedure's own value rather than
// DWL_MSGRESULT.
bool AnswersDirectly(UINT msg)
{
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

LRESULT DialogWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
        auto* data = static_cast<std::shared_ptr<DialogData>*>(cs->lpCreateParams);
        WindowLock lock;
        if (Window* w = WindowManager::Get().Live(hwnd))
            w->dialog = *data;
        return 0;
    }
    std::shared_ptr<DialogData> d = FindDialog(hwnd);
    DLGPROC proc = nullptr;
    if (d) {
        WindowLock lock;
        proc = d->proc;
    }
    if (proc) {
        const INT_PTR handled = proc(hwnd, msg, wParam, lParam);
        if (handled) {
            if (AnswersDirectly(msg))
                return handled;
            WindowLock lock;
            return d->msgResult;
        }
    }
    return DefDlgProc(hwnd, msg, wParam, lParam);
}

bool EnsureDialogClass()
{
    return EnsureClass(kDialogClass, DialogWndProc);
}

RECT ToPixels(int x, int y, int cx, int cy, SIZE base)
{
    const int left = DialogUnitsToPixels(x, base.cx, 4);
    const int top = DialogUnitsToPixels(y, base.cy, 8);
    return RECT{left, top, left + DialogUnitsToPixels(cx, base.cx, 4), top + DialogUnitsToPixels(cy, base.cy, 8)};
}

HFONT MakeDialogFont(const std::u16string& face, int pointSize)
{
    LOGFONTW lf;
    lf.lfHeight = -((pointSize * GetScreen().dpiY + 36) / 72);
    lf.lfWeight = FW_NORMAL;
    const std::u16string name = face.empty() ? u"MS Shell Dlg" : face;
    name.copy(lf.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

HWND MakeDialog(HINSTANCE module, int templateId, HWND parent, DLGPROC proc, LPARAM param, bool modal)
{
    DialogTemplate t;
    if (!FindDialogTemplate(module, templateId, &t) || !EnsureDialogClass())
        return nullptr;
    auto data = std::make_shared<DialogData>();
    data->proc = proc;
    data->modal = modal;
    data->baseUnits = DialogBaseUnits(t.fontFace.empty() ? nullptr : t.fontFace.c_str(), t.pointSize);
    data->font = MakeDialogFont(t.fontFace, t.pointSize);

    const bool child = (t.style & WS_CHILD) != 0;
    RECT r = ToPixels(t.x, t.y, t.cx, t.cy, data->baseUnits);
    if (t.style & WS_BORDER) {
        r.right += 2;
        r.bottom += 2;
    }
    if (!child && parent) {
        // A top-level dialog's position counts from its owner's client area.
        POINT origin{0, 0};
        ClientToScreen(GetTopLevelWindow(parent), &origin);
        OffsetRect(&r, origin.x, origin.y);
    }
    const std::uint32_t exStyle = t.exStyle | ((t.style & DS_CONTROL) ? WS_EX_CONTROLPARENT : 0);
    const HWND dialog =
        CreateWindowEx(exStyle, kDialogClass, t.caption.c_str(), t.style & ~WS_VISIBLE, r.left, r.top,
                       r.right - r.left, r.bottom - r.top, parent, nullptr, module, &data);
    if (!dialog)
        return nullptr;

    HWND firstTabStop = nullptr;
    for (const DialogItemTemplate& item : t.items) {
        const RECT ir = ToPixels(item.x, item.y, item.cx, item.cy, data->baseUnits);
        const HWND control =
            CreateWindowEx(item.exStyle, item.className.c_str(), item.text.c_str(), item.style | WS_CHILD, ir.left,
                           ir.top, ir.right - ir.left, ir.bottom - ir.top, dialog,
                           reinterpret_cast<HMENU>(static_cast<std::intptr_t>(item.id)), module, nullptr);
        if (!control) {
            DestroyWindow(dialog);
            return nullptr;
        }
        SendMessage(control, WM_SETFONT, reinterpret_cast<WPARAM>(data->font), 0);
        if (!firstTabStop && (item.style & WS_TABSTOP) && !(item.style & WS_DISABLED))
            firstTabStop = control;
    }
    if (!firstTabStop)
        firstTabStop = GetNextDlgTabItem(dialog, nullptr, false);

    if (SendMessage(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), param) && firstTabStop &&
        IsWindow(firstTabStop))
        SetFocus(firstTabStop);
    if (!IsWindow(dialog))
        return nullptr;
    if ((t.style & WS_VISIBLE) && !modal && !data->ended)
        ShowWindow(dialog, SW_SHOW);
    return dialog;
}

// Whatever ends the modal loop (EndDialog, WM_QUIT, an error), the owner is
// enabled again before the dialog goes, so that it takes the activation
// back.
class ModalScope {
public:
    ModalScope(HWND dialog, HWND owner) : dialog(dialog), owner(owner)
    {
        if (owner && IsWindowEnabled(owner)) {
            EnableWindow(owner, false);
            disabledOwner = true;
        }
    }
    ~ModalScope()
    {
        if (disabledOwner)
            EnableWindow(owner, true);
        DestroyWindow(dialog);
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    HWND dialog;
    HWND owner;
    bool disabledOwner = false;
};

bool Ended(const std::shared_ptr<DialogData>& d)
{
    WindowLock lock;
    return d->ended;
}

} // namespace

namespace Platform {

DialogData::~DialogData()
{
    if (font)
        DeleteObject(font);
}

bool DialogGetLong(const Window& w, int index, LONG_PTR* value)
{
    if (!w.dialog)
        return false;
    switch (index) {
    case DWL_MSGRESULT:
        *value = w.dialog->msgResult;
        return true;
    case DWL_DLGPROC:
        *value = reinterpret_cast<LONG_PTR>(w.dialog->proc);
        return true;
    case DWL_USER:
        *value = w.dialog->user;
        return true;
    default:
        return false;
    }
}

bool DialogSetLong(Window& w, int index, LONG_PTR value, LONG_PTR* previous)
{
    LONG_PTR old = 0;
    if (!DialogGetLong(w, index, &old))
        return false;
    *previous = old;
    switch (index) {
    case DWL_MSGRESULT:
        w.dialog->msgResult = value;
        break;
    case DWL_DLGPROC:
        w.dialog->proc = reinterpret_cast<DLGPROC>(value);
        break;
    default:
        w.dialog->user = value;
        break;
    }
    return true;
}

std::shared_ptr<DialogData> FindDialog(HWND hwnd)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    return w ? w->dialog : nullptr;
}

} // namespace Platform

HWND CreateDialogParam(HINSTANCE module, int templateId, HWND parent, DLGPROC proc, LPARAM param)
{
    return MakeDialog(module, templateId, parent, proc, param, false);
}

INT_PTR DialogBoxParam(HINSTANCE module, int templateId, HWND parent, DLGPROC proc, LPARAM param)
{
    const HWND dialog = MakeDialog(module, templateId, parent, proc, param, true);
    std::shared_ptr<DialogData> d = FindDialog(dialog);
    if (!d)
        return -1;
    {
        ModalScope scope(dialog, parent ? GetTopLevelWindow(parent) : nullptr);
        if (!Ended(d)) {
            ShowWindow(dialog, SW_SHOW);
            MSG msg;
            while (!Ended(d) && IsWindow(dialog)) {
                if (GetMessage(&msg, nullptr, 0, 0) == 0) {
                    PostQuitMessage(static_cast<int>(msg.wParam));
                    EndDialog(dialog, 0);
                    break;
                }
                if (!IsDialogMessage(dialog, &msg)) {
                    TranslateMessage(&msg);
                    DispatchMessage(&msg);
                }
            }
        }
    }
    WindowLock lock;
    return d->ended ? d->result : 0;
}

bool EndDialog(HWND dialog, INT_PTR result)
{
    std::shared_ptr<DialogData> d = FindDialog(dialog);
    if (!d)
        return false;
    bool modal;
    {
        WindowLock lock;
        d->ended = true;
        d->result = result;
        modal = d->modal;
    }
    if (!modal)
        ShowWindow(dialog, SW_HIDE);
    // Wake the modal loop, which may be waiting for a message.
    PostMessage(dialog, WM_NULL, 0, 0);
    return true;
}

LRESULT DefDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ERASEBKGND: {
        HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessage(dialog, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(dialog)));
        RECT client;
        GetClientRect(dialog, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush ? brush : GetSysColorBrush(COLOR_WINDOW));
        return 1;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        HDC hdc = reinterpret_cast<HDC>(wParam);
        SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(hdc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_CLOSE: {
        // Posted: a dialog procedure that ends the dialog on WM_CLOSE itself
        // is done before the cancel command would come.
        const HWND cancel = GetDlgItem(dialog, IDCANCEL);
        if (!cancel || IsWindowEnabled(cancel))
            PostMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case WM_NEXTDLGCTL: {
        HWND target = lParam ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(dialog, GetFocus(), wParam != 0);
        if (target)
            SetFocus(target);
        return 0;
    }
    case WM_SETFOCUS: {
        std::shared_ptr<DialogData> d = FindDialog(dialog);
        HWND saved = nullptr;
        if (d) {
            WindowLock lock;
            saved = d->savedFocus;
        }
        HWND target = (saved && IsChild(dialog, saved)) ? saved : GetNextDlgTabItem(dialog, nullptr, false);
        if (target)
            SetFocus(target);
        return 0;
    }
    case WM_ACTIVATE: {
        std::shared_ptr<DialogData> d = FindDialog(dialog);
        if (!d)
            return 0;
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (IsChild(dialog, focus)) {
                WindowLock lock;
                d->savedFocus = focus;
            }
            return 0;
        }
        if (IsChild(dialog, GetFocus()))
            return 0;
        HWND saved;
        {
            WindowLock lock;
            saved = d->savedFocus;
        }
        HWND target = (saved && IsChild(dialog, saved)) ? saved : GetNextDlgTabItem(dialog, nullptr, false);
        // A dialog without controls to focus takes the keys itself.
        SetFocus(target ? target : dialog);
        return 0;
    }
    default:
        return DefWindowProc(dialog, msg, wParam, lParam);
    }
}
