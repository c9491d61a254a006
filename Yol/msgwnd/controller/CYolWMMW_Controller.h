#pragma once
// The message window: one full-screen tabbed window holding a chat tab per
// contact, the optional toolbar (smilies bar) below the tabs, two soft keys
// and the chat menu. The application creates it once, hidden, and drives
// it: tabs opened, messages and delivery marks appended, tab icons and
// titles, shown and hidden. Whatever leaves the window goes to the owner
// through UI::MYolWMMW_Observer.
//
// A tab that received lines while the user was not looking flashes; those
// lines are its unread ones until the tab is seen. Closing a tab hands its
// unread lines back to the owner, so the next opening of the chat shows
// them again instead of losing them.
//
// UI thread only.

#include "CYolWMMW_DlgCtrl.h"
#include "CYolWMMW_HistoryDlg.h"
#include "CYolWMMW_SettingsDlg.h"
#include "CYolWMMW_Toolbar.h"
#include "CYolWMUI_Menu.h"
#include "CYolWMUI_TabDlg.h"
#include "MYolWMMW_Observer.h"
#include "TYolWMMWSettings.h"
#include "TYolWMPrefs.h"

#include <cstdint>
#include <map>
#include <vector>

namespace MW {

class CYolWMMW_Controller : public UI::CYolWMUI_TabDlg,
                            public UI::MYolWMUI_PrefsChangeObserver,
                            public CYolWMMW_DlgCtrl::MDlgCtrlObserver,
                            public CYolWMMW_Toolbar::MToolbarObserver,
                            public CYolWMMW_SettingsDlg::MSetsChangeObserver,
                            public CYolWMMW_HistoryDlg::MHistDlgObserver {
public:
    // The soft keys' actions.
    enum TAction : int { ESend = 0, ESmilies = 1, EMenu = 2, EMinimize = 3, ECloseTab = 4, EClose = 5 };
    // Chat-menu commands: 0-4 the settings panes, 20 and up the replies.
    enum TCommand : int {
        CmdSend = 5,
        CmdSendFile = 6,
        CmdSmilies = 7,
        CmdFirstEdit = 8,
        CmdDetails = 14,
        CmdHistory = 15,
        CmdCloseTab = 17,
        CmdHide = 18,
        CmdClose = 19,
        CmdFirstReply = 20,
    };
    // A contact shown typing who says nothing more is shown as not typing
    // after this long; the check runs on one timer while anyone types.
    static constexpr std::uint64_t kTypingShownFor = 10000;
    static constexpr int kTypingTimerId = 5001;
    static constexpr unsigned int kTypingCheckPeriod = 1000;
    // Posted when the smiley set finished loading.
    static constexpr UINT kSmilesLoaded = 0x0400 + 104;

    // Made hidden over `parent`; null when the window could not be made.
    static CYolWMMW_Controller* Create(UI::MYolWMMW_Observer* owner, HWND parent);
    // The contact's whole history, modally.
    static void ShowHistory(CYolWMMW_Controller* controller, HWND parent, unsigned int contact);

    explicit CYolWMMW_Controller(UI::MYolWMMW_Observer* owner);
    ~CYolWMMW_Controller() override;

    // The caller asks IsTabOpen first.
    void OpenTab(unsigned int tab, const CYolString& title, const CYolArray<unsigned int>& icons);
    bool IsTabOpen(unsigned int tab) const { return HasTab(static_cast<int>(tab)); }
    void SelectTab(unsigned int tab);
    void AddMessage(unsigned int tab, const TYolWMMWMsg& message);
    void AddMessages(unsigned int tab, const CYolArray<TYolWMMWMsg>& messages);
    void UpdateMsgIcon(unsigned int tab, unsigned int messageId, unsigned int iconId);
    void SetTabIcons(unsigned int tab, const CYolArray<unsigned int>& icons);
    void SetTabTitle(unsigned int tab, const CYolString& title);
    void CloseTab(unsigned int tab);
    void CloseAllTabs();
    void Show(bool show);
    void Send();
    void ReloadSmiles();
    void SelectSmile();

    // The chat menu as it would open now, and what a choice in it does.
    void BuildMenu(CYolMenuInfo& menu);
    void OnMenuChoice(const UI::CYolWMUI_Menu::TResult& choice);
    void ShowMenu(bool fromLeft);
    void RunSoftKeyAction(int action, bool fromLeft);

    TYolWMMWSettings& Settings() { return settings; }
    CYolWMMW_Toolbar* Toolbar() const { return toolbar; }
    CYolWMMW_DlgCtrl* Pane(unsigned int tab) const;
    CYolWMMW_DlgCtrl* CurrentPane() const;
    // The lines of a tab the user has not seen yet.
    const CYolArray<TYolWMMWMsg>* UnreadLines(unsigned int tab) const;
    unsigned int CurrentTab() const { return static_cast<unsigned int>(GetCurTabId()); }

    // UI::CYolWMUI_TabDlg
    void OnInitDialog() override;
    int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;
    void OnChar(char16_t character, long data) override;
    void OnClose() override;
    void OnScreenSizeChanged() override;
    void OnActivate(unsigned short state, int minimized, HWND other) override;
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override;
    void OnSoftKey(TSoftKey key) override;
    void OnCommandButton() override;
    void OnTabChanged() override;
    void OnTabDblClick() override;
    void OnTimer(int id, TIMERPROC proc) override;
    int GetBottomBarHeight() override;

    // UI::MYolWMUI_PrefsChangeObserver
    void OnPrefsChanged(int group) override;
    // CYolWMMW_DlgCtrl::MDlgCtrlObserver
    void OnSend(CYolWMMW_DlgCtrl* pane) override;
    int OnTyping(CYolWMMW_DlgCtrl* pane, int state) override;
    void GetPartFont(RTE::TPartFont& part, int kind) override;
    void GetColors(COLORREF& selectedText, COLORREF& selectionBackground) override;
    // CYolWMMW_Toolbar::MToolbarObserver
    void OnSmileSelected(CYolWMMW_Toolbar* toolbar, int smile) override;
    void OnSmilesButton(CYolWMMW_Toolbar* toolbar) override;
    void OnSendButton(CYolWMMW_Toolbar* toolbar) override;
    // CYolWMMW_SettingsDlg::MSetsChangeObserver
    void OnSettingsChanged(int paneId, int value) override;
    // CYolWMMW_HistoryDlg::MHistDlgObserver
    TYolWMMWSettings* GetSettings() override { return &settings; }

private:
    void CreateFonts();
    void CreateToolbar();
    void FocusCurrent();
    void Seen(unsigned int tab);
    // The message went in; seen at once, or the tab flashes.
    void Arrived(unsigned int tab, const TYolWMMWMsg* first, const CYolArray<TYolWMMWMsg>& lines);
    void AddContactEntries(CYolMenuInfo& menu, unsigned int tab);
    void AddEditEntries(CYolMenuInfo& menu);
    void InsertReply(int index);
    void SendFile();

    CYolWMMW_Toolbar* toolbar = nullptr;
    TYolWMMWSettings settings;
    UI::MYolWMMW_Observer* owner;
    // The tab's icons from before the contact began typing, and when the
    // typing picture goes again.
    struct Typing {
        CYolArray<unsigned int> resting;
        std::uint64_t until = 0;
    };
    void EndTyping(unsigned int tab);

    std::map<unsigned int, CYolArray<TYolWMMWMsg>> unread;
    std::map<unsigned int, Typing> typing;
};

} // namespace MW
