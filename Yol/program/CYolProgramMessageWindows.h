#pragma once
// The program's message window behind the application's port, and the
// application's side of the window's calls: the window is made the first
// time the application needs it (over its main window) and let go before
// the main window and the core go, so that its settings are written.
//
// UI thread, except Window (any thread).

#include "AppPorts.h"
#include "CYolWMMW_HistoryDlg.h"
#include "CYolWMMW_SelectSmileDlg.h"
#include "MYolWMMW_Observer.h"

#include <atomic>
#include <memory>
#include <string>

namespace MW {
class CYolWMMW_Controller;
}

namespace UI {

class CYolProgramMessageWindows final : public MYolWMApp_MessageWindows,
                                        public MYolWMMW_Observer,
                                        public MW::MYolWMMW_HistoryDlgHost,
                                        public MW::MYolWMMW_SelectSmileHost {
public:
    // Warnings of the history dialog and the smiley picker go to
    // `notifications`.
    explicit CYolProgramMessageWindows(MYolWMApp_Notifications& notifications);
    ~CYolProgramMessageWindows();

    bool IsTabOpen(unsigned int tab) override;
    void AddTab(unsigned int tab, const CYolString& name, const CYolArray<unsigned int>& icons) override;
    void AddMessage(unsigned int tab, const MW::TYolWMMWMsg& line) override;
    void SelectTab(unsigned int tab) override;
    void Show(bool show) override;
    bool IsTabInFront(unsigned int tab) override;
    void SetTabIcons(unsigned int tab, const CYolArray<unsigned int>& icons) override;
    void SetTabTitle(unsigned int tab, const CYolString& title) override;
    void CloseTab(unsigned int tab) override;
    void UpdateMsgIcon(unsigned int tab, unsigned int messageId, unsigned int icon) override;
    CYolString GetOwnName(unsigned int tab) override;
    void ReloadSmiles() override;
    HWND Window() override;
    MYolWMUI_PrefsChangeObserver* PrefsObserver() override;
    void Release() override;
    std::string Command(const std::string& line) override;

    // What the window asks of the application.
    int OnSendMessage(MW::CYolWMMW_Controller*, unsigned int tab, const CYolString& text) override;
    int OnSendFile(MW::CYolWMMW_Controller*, unsigned int tab, const CYolString& path) override;
    int OnFillMenu(MW::CYolWMMW_Controller*, unsigned int tab, CYolMenuInfo* menu) override;
    void GetSubContacts(MW::CYolWMMW_Controller*, unsigned int tab, CYolArray<unsigned int>& ids,
                        CYolArray<CYolString>& names, CYolArray<CYolArray<unsigned int>>& icons) override;
    void OnTabActivated(MW::CYolWMMW_Controller*, unsigned int tab) override;
    void OnShowContactDetails(MW::CYolWMMW_Controller*, unsigned int contact) override;
    int OnTypingNotify(MW::CYolWMMW_Controller*, unsigned int tab, int state) override;
    int OnTabSelected(MW::CYolWMMW_Controller*, unsigned int tab) override;
    void OnTabClosedUnread(MW::CYolWMMW_Controller*, unsigned int tab,
                           const CYolArray<MW::TYolWMMWMsg>& lines) override;

    // The open tabs for the program's socket: "id:title:unread" per tab,
    // the current one marked "*", joined by " | ".
    std::string DescribeTabs();
    // A contact's stored history, modally over the main window.
    void ShowHistory(unsigned int contact);
    // The message windows' settings dialog over `owner`, on its first page;
    // false when the window cannot be made yet.
    bool RunSettings(HWND owner);

    void ShowWarning(const CYolString& text) override;
    bool UiString(int id, CYolString& text) override;

private:
    // Null until the application runs with its main window.
    MW::CYolWMMW_Controller* Controller();

    MYolWMApp_Notifications& notifications;
    std::unique_ptr<MW::CYolWMMW_Controller> controller;
    std::atomic<HWND> window{nullptr};
};

}  // namespace UI
