// Building the notifications and answering the target window.

#include "CYolWMAlert_Notifications.h"

#include "CYolPath.h"
#include "WindowSystem/Window.h"

#include <cstdio>

namespace Alert {

namespace {

constexpr const char16_t* kTargetClass = u"YolNotificationsTargetWindow";

LRESULT TargetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCT*>(lParam);
        SetWindowLong(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<CYolWMAlert_Notifications*>(GetWindowLong(hwnd, GWL_USERDATA));
    if (self != nullptr && msg == WM_TIMER)
        self->OnTimer(wParam);
    else if (self != nullptr && msg == WM_COMMAND)
        self->OnCommand(static_cast<int>(LOWORD(wParam)));
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

HWND MakeTarget(CYolWMAlert_Notifications* self) {
    WNDCLASS wc;
    if (!GetClassInfo(nullptr, kTargetClass, &wc)) {
        wc = WNDCLASS{};
        wc.lpfnWndProc = TargetProc;
        wc.lpszClassName = kTargetClass;
        if (RegisterClass(&wc) == 0)
            return nullptr;
    }
    return CreateWindowEx(0, kTargetClass, u"", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                          nullptr, nullptr, nullptr, self);
}

std::u16string U16(const CYolString& text) { return text.ToU16(); }

}  // namespace

CYolWMAlert_Notifications::CYolWMAlert_Notifications(const UI::TYolWMPrefs& prefs,
                                                     MYolWMAlert_NotificationsHost& host,
                                                     UI::MYolWMAlert_NotificationsObserver* observer)
    : prefs(prefs), host(host), observer(observer) {
    const YOL_GUID clsid = NotificationsClassGuid;
    SHNotificationRemove(&clsid, kBubbleId);
    todayExec = CYolPath::AppDir().ToU16() + u"yol";
    target = MakeTarget(this);
}

CYolWMAlert_Notifications::~CYolWMAlert_Notifications() {
    if (target != nullptr) {
        SetWindowLong(target, GWL_USERDATA, 0);
        DestroyWindow(target);
    }
    if (onScreen >= 0) {
        const YOL_GUID clsid = NotificationsClassGuid;
        SHNotificationRemove(&clsid, kBubbleId);
    }
    // The LED must not go on blinking for a program that is gone.
    if (ledBlinking)
        host.BlinkLed(false);
    for (auto& [index, icon] : icons)
        DestroyIcon(icon);
}

CYolString CYolWMAlert_Notifications::Ui(int id) const { return host.UiString(id); }

std::vector<TSmiley> CYolWMAlert_Notifications::Smileys() const {
    std::vector<TSmiley> out;
    if (!host.SmileysReady())
        return out;
    const int count = host.SmileyCount();
    for (int i = 0; i < count; ++i) {
        TSmiley smiley;
        smiley.path = U16(host.SmileyPath(i));
        for (const CYolString& code : host.SmileyCodes(i))
            smiley.codes.push_back(U16(code));
        out.push_back(std::move(smiley));
    }
    return out;
}

CYolString CYolWMAlert_Notifications::MessageHtml(const CYolString& text) const {
    return CYolString(MessageToHtml(U16(text), Smileys()).c_str());
}

void CYolWMAlert_Notifications::Add(SNtf ntf) {
    pending.push_back(std::move(ntf));
    ShowNext();
}

void CYolWMAlert_Notifications::ShowIncomingMessage(int key, int icon, unsigned int contactId,
                                                    const CYolString& text) {
    Add(SNtf{key, KindMessage, contactId, icon, host.ContactAlias(contactId), MessageHtml(text), {}});
}

void CYolWMAlert_Notifications::ShowContactStatus(unsigned int contactId) {
    if (prefs.TurnOff || !prefs.SignOn)
        return;
    const std::u16string body = u"<center><B>[ " + TextToHtml(U16(host.ContactAlias(contactId))) +
                                u" ]</B></center><center><font color=\"#000088\"><B>" + TextToHtml(U16(Ui(2))) +
                                u"</B></font></center><br><center>" +
                                TextToHtml(U16(host.ContactAccount(contactId))) + u"</center>";
    Add(SNtf{0, KindStatus, contactId, 63, Ui(240), CYolString(body.c_str()), {}});
}

void CYolWMAlert_Notifications::ShowEmail(const CYolString& text, const CYolString& address) {
    Add(SNtf{0, KindEmail, 0, 64, Ui(243), CYolString(TextToHtml(U16(text)).c_str()), address});
}

void CYolWMAlert_Notifications::ShowNewVersion(unsigned int version, bool toDownload) {
    const std::u16string body =
        TextToHtml(FormatUiText(U16(Ui(toDownload ? 237 : 238)), {CYolString(version, false).ToU16()}));
    Add(SNtf{int(version), toDownload ? KindNewVersion : KindVersionLoaded, 0, 63, Ui(242),
             CYolString(body.c_str()), {}});
}

void CYolWMAlert_Notifications::ShowMessage(const CYolString& text, bool information) {
    Add(SNtf{0, KindText, 0, information ? 63 : 68, Ui(information ? 242 : 241),
             CYolString(TextToHtml(U16(text)).c_str()), {}});
}

void CYolWMAlert_Notifications::ShowFileRequest(unsigned int contactId, const CYolString& fileName, uint64_t size) {
    char kb[64];
    std::snprintf(kb, sizeof kb, "%.1f", double(size) / 1024.0);
    const std::u16string body =
        TextToHtml(FormatUiText(U16(Ui(239)), {U16(fileName), CYolString::FromUtf8(kb).ToU16()}));
    Add(SNtf{0, KindFile, contactId, 71, host.ContactAlias(contactId), CYolString(body.c_str()), fileName});
}

void CYolWMAlert_Notifications::ShowAuthRequest(unsigned int contactId, const CYolString& reason) {
    // A newer request of the contact replaces the older one.
    for (int i = int(pending.size()) - 1; i >= 0; --i) {
        const SNtf& n = pending[size_t(i)];
        if (n.contactId == contactId && (n.kind == KindAuth || n.kind == KindAuthAside) && i != onScreen)
            Erase(i);
    }
    if (onScreen >= 0 && pending[size_t(onScreen)].contactId == contactId &&
        (pending[size_t(onScreen)].kind == KindAuth || pending[size_t(onScreen)].kind == KindAuthAside))
        Hide(true);
    CYolString text = Ui(57);
    if (!reason.IsEmpty()) {
        text += u"\r\n";
        text += reason;
    }
    Add(SNtf{0, KindAuth, contactId, 31, host.ContactAlias(contactId), MessageHtml(text), {}});
}

void CYolWMAlert_Notifications::RemoveContact(unsigned int contactId) {
    for (int i = int(pending.size()) - 1; i >= 0; --i)
        if (pending[size_t(i)].contactId == contactId && i != onScreen)
            Erase(i);
    if (onScreen >= 0 && pending[size_t(onScreen)].contactId == contactId)
        Hide(true);
}

void CYolWMAlert_Notifications::Erase(int index) {
    pending.erase(pending.begin() + index);
    if (onScreen > index)
        --onScreen;
}

void CYolWMAlert_Notifications::OnTimer(std::uintptr_t id) {
    if (id == kHideTimer && onScreen >= 0)
        Hide(false);
    else if (id == kBlinkTimer && onScreen >= 0)
        BlinkTick();
}

void CYolWMAlert_Notifications::OnCommand(int command) {
    if (onScreen < 0 || (command != LeftKey && command != RightKey && command != SingleKey))
        return;
    const SNtf n = pending[size_t(onScreen)];
    Hide(true);
    if (command == SingleKey || observer == nullptr) {
        if (command == LeftKey && n.kind == KindEmail)
            host.OpenAddress(n.extra);
        return;
    }
    const bool yes = command == LeftKey;
    switch (n.kind) {
    case KindEmail:
        if (yes)
            host.OpenAddress(n.extra);
        break;
    case KindFile:
        observer->OnFileAnswer(n.contactId, n.extra, yes);
        break;
    case KindAuth:
    case KindAuthAside:
        observer->OnAuthAnswer(n.contactId, yes);
        break;
    case KindNewVersion:
    case KindVersionLoaded:
        if (yes)
            observer->OnUpdateAnswer(n.key, n.kind == KindNewVersion);
        else
            observer->OnNotificationAnswer(n.key, false);
        break;
    default:
        observer->OnNotificationAnswer(n.key, yes);
        break;
    }
}

}  // namespace Alert
