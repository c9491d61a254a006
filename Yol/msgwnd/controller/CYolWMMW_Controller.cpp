#include "CYolWMMW_Controller.h"

#include "CYolWMMW_Host.h"
#include "CYolWMMW_SelectSmileDlg.h"
#include "CYolWMSmile_Anim.h"
#include "DialogResources.h"
#include "DialogStrings.h"
#include "CYolClock.h"
#include "SkinColors.h"
#include "SkinImages.h"
#include "VolumeKeyHook.h"

#include "Shell/Shell.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/Timers.h"
#include "WindowSystem/WindowFocus.h"

#include <cstdlib>

namespace MW {

namespace {

constexpr int kTitleText = 138;
constexpr int kBottomBand = 25;

struct PartRow {
    int kind;
    HFONT TYolWMMWSettings::*font;
    int colour;
};

// Fonts and skin colours of the history's parts; anything else is text.
const PartRow kParts[] = {
    {1, &TYolWMMWSettings::headFont, 12}, {2, &TYolWMMWSettings::headFont, 14},
    {3, &TYolWMMWSettings::head2Font, 12}, {4, &TYolWMMWSettings::head2Font, 14},
    {5, &TYolWMMWSettings::headFont, 16}, {6, &TYolWMMWSettings::head2Font, 16},
    {7, &TYolWMMWSettings::textFont, 13}, {8, &TYolWMMWSettings::textFont, 15},
    {9, &TYolWMMWSettings::linkFont, 17},
};

HFONT MakeFont(LOGFONTW font, bool underline) {
    const int height = std::abs(font.lfHeight);
    const int scaled = (height * Platform::GetScreen().dpiY + 48) / 96;
    font.lfHeight = font.lfHeight < 0 ? -scaled : scaled;
    if (underline)
        font.lfUnderline = 1;
    return CreateFontIndirect(&font);
}

void Replace(HFONT& slot, HFONT made) {
    if (slot != nullptr)
        DeleteObject(slot);
    slot = made;
}

} // namespace

CYolWMMW_Controller* CYolWMMW_Controller::Create(UI::MYolWMMW_Observer* owner, HWND parent) {
    auto* controller = new CYolWMMW_Controller(owner);
    if (!controller->CYolWMUI_Dlg::Create(UI::kCommonDialogId, UI::GetProgramInstance(), parent)) {
        delete controller;
        return nullptr;
    }
    // The dialog shows itself once made; the window waits for its first chat.
    ShowWindow(*controller, SW_HIDE);
    return controller;
}

CYolWMMW_Controller::CYolWMMW_Controller(UI::MYolWMMW_Observer* observer) : owner(observer) {}

CYolWMMW_Controller::~CYolWMMW_Controller() {
    if (m_hWnd != nullptr) {
        HWND previous = SetVolumeKeyWindow(nullptr);
        if (previous != m_hWnd)
            SetVolumeKeyWindow(previous);
    }
    if (m_hWnd != nullptr && IsWindow(m_hWnd))
        ShowWindow(m_hWnd, SW_HIDE);
    Smile::CYolWMSmile_Anim::Pause();
    owner = nullptr;
    RemoveAllTabs();
    delete toolbar;
    toolbar = nullptr;
}

void CYolWMMW_Controller::OnInitDialog() {
    UI::CYolWMUI_TabDlg::OnInitDialog();
    CreateFonts();
    UI::SetWindowString(m_hWnd, kTitleText);
    ShowWindow(m_hWnd, SW_HIDE);
    if (settings.showTB)
        CreateToolbar();
    OnScreenSizeChanged();
    if (settings.volumeForScroll)
        SetVolumeKeyWindow(m_hWnd);
}

void CYolWMMW_Controller::CreateToolbar() {
    RECT client;
    GetClientRect(m_hWnd, &client);
    const RECT band{client.left, client.bottom - GetBottomBarHeight(), client.right, client.bottom};
    toolbar = CYolWMMW_Toolbar::Create(m_hWnd, band, &settings, this);
}

void CYolWMMW_Controller::CreateFonts() {
    Replace(settings.headFont, MakeFont(settings.headLogFont, false));
    Replace(settings.head2Font, MakeFont(settings.head2LogFont, false));
    Replace(settings.textFont, MakeFont(settings.textLogFont, false));
    Replace(settings.linkFont, MakeFont(settings.textLogFont, true));
    Replace(settings.editFont, MakeFont(settings.editLogFont, false));
}

// --- tabs --------------------------------------------------------------------------------------

void CYolWMMW_Controller::OpenTab(unsigned int tab, const CYolString& title, const CYolArray<unsigned int>& icons) {
    CYolWMMW_DlgCtrl* pane = CYolWMMW_DlgCtrl::Create(m_hWnd, &settings, this);
    AddTab(static_cast<int>(tab), pane, title, icons);
    UI::CYolWMUI_TabDlg::SelectTab(static_cast<int>(tab));
    FocusCurrent();
    Redraw(EPaintFull);
}

void CYolWMMW_Controller::SelectTab(unsigned int tab) {
    UI::CYolWMUI_TabDlg::SelectTab(static_cast<int>(tab));
    FocusCurrent();
    Redraw(EPaintFull);
}

CYolWMMW_DlgCtrl* CYolWMMW_Controller::Pane(unsigned int tab) const {
    if (!HasTab(static_cast<int>(tab)))
        return nullptr;
    return static_cast<CYolWMMW_DlgCtrl*>(GetTab(static_cast<int>(tab))->pan);
}

CYolWMMW_DlgCtrl* CYolWMMW_Controller::CurrentPane() const {
    const int current = GetCurTabId();
    return current == -1 && !HasTab(-1) ? nullptr : Pane(static_cast<unsigned int>(current));
}

void CYolWMMW_Controller::FocusCurrent() {
    if (CYolWMMW_DlgCtrl* pane = CurrentPane())
        SetFocus(*pane);
}

const CYolArray<TYolWMMWMsg>* CYolWMMW_Controller::UnreadLines(unsigned int tab) const {
    auto found = unread.find(tab);
    return found != unread.end() ? &found->second : nullptr;
}

void CYolWMMW_Controller::Seen(unsigned int tab) {
    unread.erase(tab);
    StopFlashTab(static_cast<int>(tab));
    if (owner != nullptr)
        owner->OnTabActivated(this, tab);
}

void CYolWMMW_Controller::Arrived(unsigned int tab, const TYolWMMWMsg* first, const CYolArray<TYolWMMWMsg>& lines) {
    if (first == nullptr)
        return;
    if (IsVisible() && HasTab(static_cast<int>(tab)) && CurrentTab() == tab) {
        Seen(tab);
        return;
    }
    CYolArray<TYolWMMWMsg>& kept = unread[tab];
    for (int i = 0; i < lines.Count(); ++i)
        kept.Add(lines[i]);
    FlashTab(static_cast<int>(tab), static_cast<int>(first->iconId));
}

void CYolWMMW_Controller::AddMessage(unsigned int tab, const TYolWMMWMsg& message) {
    CYolWMMW_DlgCtrl* pane = Pane(tab);
    if (pane == nullptr)
        return;
    pane->History()->AddMessage(message);
    if (message.direction == TYolWMMWMsg::EIncoming)
        EndTyping(tab);
    CYolArray<TYolWMMWMsg> line;
    line.Add(message);
    Arrived(tab, &message, line);
}

void CYolWMMW_Controller::AddMessages(unsigned int tab, const CYolArray<TYolWMMWMsg>& messages) {
    CYolWMMW_DlgCtrl* pane = Pane(tab);
    if (pane == nullptr)
        return;
    pane->History()->AddMessages(messages, false);
    Arrived(tab, messages.Count() > 0 ? &messages[0] : nullptr, messages);
}

void CYolWMMW_Controller::UpdateMsgIcon(unsigned int tab, unsigned int messageId, unsigned int iconId) {
    if (CYolWMMW_DlgCtrl* pane = Pane(tab))
        pane->History()->UpdateMsgIcon(messageId, iconId);
}

// The typing picture alone stands for "typing": it is shown for a while and
// then the icons from before come back, since a contact's client may never
// say that it stopped.
void CYolWMMW_Controller::SetTabIcons(unsigned int tab, const CYolArray<unsigned int>& icons) {
    const bool typingNow = icons.Count() == 1 && icons[0] == static_cast<unsigned int>(Skins::SKIN_IMG_MW_CONTACT_TYPING);
    if (!typingNow) {
        typing.erase(tab);
    } else if (HasTab(static_cast<int>(tab))) {
        auto [entry, fresh] = typing.try_emplace(tab);
        if (fresh)
            entry->second.resting = GetTab(static_cast<int>(tab))->images;
        entry->second.until = CYolClock::Current().TickCount64() + kTypingShownFor;
        SetTimer(m_hWnd, kTypingTimerId, kTypingCheckPeriod, nullptr);
    }
    SetTabImages(static_cast<int>(tab), icons);
}

void CYolWMMW_Controller::EndTyping(unsigned int tab) {
    auto found = typing.find(tab);
    if (found == typing.end())
        return;
    CYolArray<unsigned int> resting = found->second.resting;
    typing.erase(found);
    SetTabImages(static_cast<int>(tab), resting);
}

void CYolWMMW_Controller::OnTimer(int id, TIMERPROC proc) {
    if (id != kTypingTimerId) {
        UI::CYolWMUI_TabDlg::OnTimer(id, proc);
        return;
    }
    const std::uint64_t now = CYolClock::Current().TickCount64();
    std::vector<unsigned int> over;
    for (const auto& [tab, entry] : typing)
        if (now >= entry.until)
            over.push_back(tab);
    for (unsigned int tab : over)
        EndTyping(tab);
    if (typing.empty())
        KillTimer(m_hWnd, kTypingTimerId);
}

void CYolWMMW_Controller::SetTabTitle(unsigned int tab, const CYolString& title) {
    SetTabCaption(static_cast<int>(tab), title);
}

// A tab going with lines the user never saw hands them back; a pause in
// typing is told first, so the contact does not see us typing forever.
void CYolWMMW_Controller::CloseTab(unsigned int tab) {
    if (CYolWMMW_DlgCtrl* pane = Pane(tab))
        pane->StopTyping();
    CYolArray<TYolWMMWMsg> lines;
    if (auto found = unread.find(tab); found != unread.end()) {
        lines = found->second;
        unread.erase(found);
    }
    typing.erase(tab);
    RemoveTab(static_cast<int>(tab));
    if (lines.Count() > 0 && owner != nullptr)
        owner->OnTabClosedUnread(this, tab, lines);
}

void CYolWMMW_Controller::CloseAllTabs() {
    Show(false);
    while (TabCount() > 0)
        CloseTab(static_cast<unsigned int>(TabIdAt(0)));
}

void CYolWMMW_Controller::Show(bool show) {
    if (show == IsVisible())
        return;
    if (show) {
        if (TabCount() == 0 || GetCurTabId() == -1)
            return;
        Smile::CYolWMSmile_Anim::Resume();
        ShowWindow(m_hWnd, SW_SHOW);
        SetForegroundWindow(m_hWnd);
        if (toolbar != nullptr && toolbar->SmiliesBar() != nullptr && toolbar->SmiliesBar()->NeedsFill())
            toolbar->SmiliesBar()->Fill();
        FocusCurrent();
        // A window already in front is not activated again, yet its current
        // tab is in view now.
        Seen(CurrentTab());
    } else {
        ShowWindow(m_hWnd, SW_HIDE);
        Smile::CYolWMSmile_Anim::Pause();
    }
}

void CYolWMMW_Controller::Send() {
    CYolWMMW_DlgCtrl* pane = CurrentPane();
    CYolString text;
    if (pane == nullptr || !pane->GetText(text) || owner == nullptr)
        return;
    if (owner->OnSendMessage(this, CurrentTab(), text) != 0)
        pane->ClearText();
}

void CYolWMMW_Controller::ReloadSmiles() {
    for (int i = 0; i < TabCount(); ++i)
        if (CYolWMMW_DlgCtrl* pane = Pane(static_cast<unsigned int>(TabIdAt(i))))
            pane->History()->ReloadSmiles();
}

void CYolWMMW_Controller::SelectSmile() {
    const int smile = CYolWMMW_SelectSmileDlg::Run(m_hWnd, settings.dlgCompactMode);
    if (smile < 0)
        return;
    if (CYolWMMW_DlgCtrl* pane = CurrentPane())
        pane->InsertSmile(smile);
    if (toolbar != nullptr && toolbar->SmiliesBar() != nullptr)
        toolbar->SmiliesBar()->AddRecent(smile);
}

void CYolWMMW_Controller::ShowHistory(CYolWMMW_Controller* controller, HWND parent, unsigned int contact) {
    CYolWMMW_HistoryDlg dialog(contact, controller);
    dialog.DoModal(parent);
}

// --- the window --------------------------------------------------------------------------------

int CYolWMMW_Controller::OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_VSCROLL) {
        if (CYolWMMW_DlgCtrl* pane = CurrentPane(); pane != nullptr && pane->IsVisible())
            SendMessage(*pane, WM_VSCROLL, wParam, lParam);
    } else if (msg == kSmilesLoaded && toolbar != nullptr && toolbar->SmiliesBar() != nullptr) {
        toolbar->SmiliesBar()->Fill();
    }
    return UI::CYolWMUI_TabDlg::OnMessage(msg, wParam, lParam);
}

void CYolWMMW_Controller::OnChar(char16_t character, long data) {
    CYolWMMW_DlgCtrl* pane = CurrentPane();
    if (character == u'\t' || pane == nullptr)
        return;
    SendMessage(*pane, WM_CHAR, character, data);
}

void CYolWMMW_Controller::OnClose() { Show(false); }

void CYolWMMW_Controller::OnCommandButton() { Show(false); }

void CYolWMMW_Controller::OnScreenSizeChanged() {
    if (MessageWindowFullScreen()) {
        RECT at;
        GetWindowRect(m_hWnd, &at);
        MoveWindow(m_hWnd, 0, 0, at.right, at.bottom, true);
    }
    UI::CYolWMUI_TabDlg::OnScreenSizeChanged();
    if (toolbar != nullptr) {
        RECT client;
        GetClientRect(m_hWnd, &client);
        toolbar->MoveAndResize(client.left, client.bottom - GetBottomBarHeight(), client.right - client.left,
                               GetBottomBarHeight());
    }
}

int CYolWMMW_Controller::GetBottomBarHeight() {
    return settings.showTB ? (Platform::GetScreen().dpiY * kBottomBand + 48) / 96 : 0;
}

void CYolWMMW_Controller::OnActivate(unsigned short state, int minimized, HWND other) {
    UI::CYolWMUI_TabDlg::OnActivate(state, minimized, other);
    if (state == WA_ACTIVE && GetCurTabId() != -1 && HasTab(GetCurTabId()))
        Seen(CurrentTab());
    if (MessageWindowFullScreen())
        SHFullScreen(m_hWnd, state != 0 ? SHFS_HIDETASKBAR | SHFS_HIDESTARTICON : SHFS_SHOWTASKBAR | SHFS_SHOWSTARTICON);
}

// A tab that becomes current in a hidden window (the one before it closed)
// is not seen yet: showing the window sees it.
void CYolWMMW_Controller::OnTabChanged() {
    const int current = GetCurTabId();
    if (!HasTab(current))
        return;
    if (IsVisible())
        Seen(static_cast<unsigned int>(current));
    if (owner != nullptr)
        owner->OnTabSelected(this, static_cast<unsigned int>(current));
}

void CYolWMMW_Controller::OnTabDblClick() {
    if (HasTab(GetCurTabId()))
        CloseTab(CurrentTab());
}

// --- the parts' observers ----------------------------------------------------------------------

void CYolWMMW_Controller::OnPrefsChanged(int group) {
    if (group != 21)
        return;
    SetSoftKeys();
    settings.LoadDefaultReplies();
}

void CYolWMMW_Controller::OnSend(CYolWMMW_DlgCtrl* pane) {
    Send();
    SetFocus(*pane);
}

int CYolWMMW_Controller::OnTyping(CYolWMMW_DlgCtrl* pane, int state) {
    const int tab = GetTabIdByPan(pane);
    if (!settings.typingNotify || owner == nullptr || !HasTab(tab))
        return 0;
    return owner->OnTypingNotify(this, static_cast<unsigned int>(tab), state);
}

void CYolWMMW_Controller::GetPartFont(RTE::TPartFont& part, int kind) {
    const PartRow* row = &kParts[6];
    for (const PartRow& candidate : kParts)
        if (candidate.kind == kind)
            row = &candidate;
    part.font = settings.*(row->font);
    part.color = Skins::GetSkinColor(row->colour);
}

// Selected text takes the window's background colour over the selection
// colour.
void CYolWMMW_Controller::GetColors(COLORREF& selectedText, COLORREF& selectionBackground) {
    selectedText = Skins::GetSkinColor(Skins::SKIN_CLR_MW_BACKGROUND);
    selectionBackground = Skins::GetSkinColor(Skins::SKIN_CLR_MW_SELECTION);
}

void CYolWMMW_Controller::OnSmileSelected(CYolWMMW_Toolbar*, int smile) {
    if (CYolWMMW_DlgCtrl* pane = CurrentPane())
        pane->InsertSmile(smile);
    FocusCurrent();
    Redraw(EPaintFull);
}

void CYolWMMW_Controller::OnSmilesButton(CYolWMMW_Toolbar*) {
    SelectSmile();
    FocusCurrent();
    Redraw(EPaintFull);
}

void CYolWMMW_Controller::OnSendButton(CYolWMMW_Toolbar*) {
    Send();
    FocusCurrent();
    Redraw(EPaintFull);
}

void CYolWMMW_Controller::OnSettingsChanged(int paneId, int) {
    if (paneId == 0 || paneId == 1) {
        CreateFonts();
        for (int i = 0; i < TabCount(); ++i)
            if (CYolWMMW_DlgCtrl* pane = Pane(static_cast<unsigned int>(TabIdAt(i))))
                pane->ApplySettings(paneId);
    } else if (paneId == 2) {
        if (!settings.showTB) {
            delete toolbar;
            toolbar = nullptr;
        } else if (toolbar != nullptr) {
            toolbar->Layout();
        } else {
            CreateToolbar();
        }
        Relayout();
        OnScreenSizeChanged();
    } else if (paneId == 4) {
        SetSoftKeys();
    }
}

} // namespace MW
