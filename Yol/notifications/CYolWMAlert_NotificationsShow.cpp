// Which notification shows, how it shows, blinks and goes.

#include "CYolWMAlert_Notifications.h"

#include "Drawing/Gdi.h"
#include "Drawing/Icon.h"
#include "WindowSystem/Timers.h"
#include "WindowSystem/WindowPaint.h"

namespace Alert {

namespace {

// How each kind shows: its soft keys (string ids; right 0 = a single key
// with the command 1127), whether it blinks, and when it hides by itself
// (0: never).
struct KindLook {
    int left;
    int right;
    bool blinks;
    unsigned int hideMs;
};

constexpr KindLook kLooks[] = {
    /* 0 new version  */ {276, 283, true, 0},
    /* 1 downloaded   */ {276, 283, true, 0},
    /* 2 text         */ {276, 0, false, 7000},
    /* 3 file         */ {276, 283, true, 0},
    /* 4 e-mail       */ {282, 283, true, 14000},
    /* 5 status       */ {276, 0, true, 7000},
    /* 6 auth         */ {58, 59, true, 7000},
    /* 7 message      */ {282, 283, true, 7000},
    /* 8 auth aside   */ {58, 59, true, 0},
    /* 9 message aside*/ {282, 283, true, 0},
};

bool IsMessage(int kind) { return kind == KindMessage || kind == KindMessageAside; }
bool IsAside(int kind) { return kind == KindAuthAside || kind == KindMessageAside; }

}  // namespace

void CYolWMAlert_Notifications::ShowNext() {
    if (pending.empty())
        return;
    if (onScreen >= 0) {
        // One put aside gives way so the list is weighed again.
        if (IsAside(pending[size_t(onScreen)].kind))
            Hide(false);
        return;
    }
    int best = 0;
    for (int i = 1; i < int(pending.size()); ++i)
        if (pending[size_t(i)].kind < pending[size_t(best)].kind)
            best = i;
    Show(best);
}

bool CYolWMAlert_Notifications::PopsUp(int kind) const {
    if (!prefs.ShowMsg || IsAside(kind))
        return kind == KindNewVersion || kind == KindVersionLoaded || kind == KindFile;
    if (kind != KindMessage)
        return true;
    int status = 0;
    if (prefs.DontShowIfOccupied && host.GetGlobalStatus(status) && (status == 12 || status == 13))
        return false;
    return !(prefs.DontShowIfActive && host.IsProgramActive());
}

void CYolWMAlert_Notifications::Show(int index) {
    onScreen = index;
    const SNtf& n = pending[size_t(index)];
    const KindLook& look = kLooks[n.kind];
    if (!(IsMessage(n.kind) && prefs.TurnOff)) {
        const CYolString leftTitle = Ui(look.left);
        const CYolString rightTitle = look.right != 0 ? Ui(look.right) : CYolString();
        SHNOTIFICATIONDATA data;
        data.dwID = kBubbleId;
        data.npPriority = SHNP_INFORM;
        data.csDuration = SHN_DURATION_FOREVER;
        data.hicon = Icon(n.icon);
        data.grfFlags = SHNF_SILENT | (PopsUp(n.kind) ? 0 : SHNF_STRAIGHTTOTRAY);
        data.clsid = NotificationsClassGuid;
        data.hwndSink = target;
        data.pszHTML = n.body.c_str();
        data.pszTitle = n.title.c_str();
        data.rgskn[0].pszTitle = leftTitle.c_str();
        data.rgskn[0].skc.wpCmd = look.right != 0 ? LeftKey : SingleKey;
        data.rgskn[0].skc.grfFlags = NOTIF_SOFTKEY_FLAGS_STAYOPEN;
        if (look.right != 0) {
            data.rgskn[1].pszTitle = rightTitle.c_str();
            data.rgskn[1].skc.wpCmd = RightKey;
            data.rgskn[1].skc.grfFlags = NOTIF_SOFTKEY_FLAGS_STAYOPEN;
        }
        data.pszTodaySK = u"Yol";
        data.pszTodayExec = todayExec.c_str();
        SHNotificationAdd(&data);
    }
    if (look.blinks && target != nullptr) {
        blinkPhase = 1;
        SetTimer(target, kBlinkTimer, kBlinkMs, nullptr);
    }
    if (look.hideMs != 0 && target != nullptr)
        SetTimer(target, kHideTimer, look.hideMs, nullptr);
}

void CYolWMAlert_Notifications::Hide(bool answered) {
    if (onScreen < 0)
        return;
    SNtf& n = pending[size_t(onScreen)];
    if (target != nullptr) {
        KillTimer(target, kHideTimer);
        KillTimer(target, kBlinkTimer);
    }
    if ((n.kind >= KindAuth) && prefs.UseBlinking && ledBlinking) {
        host.BlinkLed(false);
        ledBlinking = false;
    }
    if (!(IsMessage(n.kind) && prefs.TurnOff)) {
        const YOL_GUID clsid = NotificationsClassGuid;
        SHNotificationRemove(&clsid, kBubbleId);
    }
    const int index = onScreen;
    onScreen = -1;
    if (answered || n.kind < KindAuth)
        Erase(index);
    else if (n.kind == KindAuth)
        n.kind = KindAuthAside;
    else if (n.kind == KindMessage)
        n.kind = KindMessageAside;
    ShowNext();
}

void CYolWMAlert_Notifications::BlinkTick() {
    const SNtf& n = pending[size_t(onScreen)];
    if (!prefs.TurnOff && !prefs.DontBlinking) {
        const YOL_GUID clsid = NotificationsClassGuid;
        SHNOTIFICATIONDATA data;
        if (SHNotificationGetData(&clsid, kBubbleId, &data) == SHN_OK) {
            data.hicon = Icon(blinkPhase == 1 ? -1 : n.icon);
            SHNotificationUpdate(SHNUM_ICON, &data);
        }
        blinkPhase = blinkPhase == 1 ? 0 : 1;
    }
    if (prefs.UseBlinking && !ledBlinking && n.kind >= KindAuth) {
        host.BlinkLed(true);
        ledBlinking = true;
    }
}

// A skin picture as a bubble icon: drawn on black, black transparent.
HICON CYolWMAlert_Notifications::Icon(int index) {
    if (const auto found = icons.find(index); found != icons.end())
        return found->second;
    HDC screen = GetDC(nullptr);
    const int width = (GetDeviceCaps(screen, LOGPIXELSX) + 3) * 16 / 96;
    const int height = (GetDeviceCaps(screen, LOGPIXELSY) + 3) * 16 / 96;
    HDC dc = CreateCompatibleDC(screen);
    HDC maskDc = CreateCompatibleDC(screen);
    HBITMAP colour = CreateCompatibleBitmap(screen, width, height);
    HBITMAP mask = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldColour = SelectObject(dc, colour);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (index >= 0)
        host.DrawSkinImage(index, dc, 0, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(maskDc, x, y, (GetPixel(dc, x, y) & 0xFFFFFF) == 0 ? RGB(255, 255, 255) : RGB(0, 0, 0));
    SelectObject(dc, oldColour);
    SelectObject(maskDc, oldMask);
    DeleteDC(dc);
    DeleteDC(maskDc);
    ICONINFO info;
    info.hbmColor = colour;
    info.hbmMask = mask;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    icons[index] = icon;
    return icon;
}

}  // namespace Alert
