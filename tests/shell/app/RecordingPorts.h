#pragma once
// Recording doubles of every port the application talks through: each call
// is noted as one line of text, and what the dialogs and windows answer is
// set by the test.

#include "AppPorts.h"
#include "TYolWMPrefs.h"

#include <set>
#include <string>
#include <vector>

namespace AppTest {

inline std::string Text(const CYolString& s) { return s.ToUtf8(); }

inline std::string Icons(const CYolArray<unsigned int>& list) {
    std::string out = "{";
    for (int i = 0; i < list.Count(); ++i)
        out += (i ? "," : "") + std::to_string(list[i]);
    return out + "}";
}

class CallLog {
public:
    std::vector<std::string> calls;
    void Note(const std::string& call) { calls.push_back(call); }
    bool Has(const std::string& call) const {
        for (const std::string& c : calls)
            if (c == call)
                return true;
        return false;
    }
    // The calls whose text starts with `prefix`.
    std::vector<std::string> Starting(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if (c.rfind(prefix, 0) == 0)
                out.push_back(c);
        return out;
    }
};

class RecordingPorts final : public UI::MYolWMApp_MessageWindows,
                             public UI::MYolWMApp_Notifications,
                             public UI::MYolWMApp_Alerts,
                             public UI::MYolWMApp_Dialogs,
                             public UI::MYolWMApp_FileTransfers,
                             public UI::MYolWMApp_SplashTray,
                             public UI::MYolWMApp_Updates,
                             public CallLog {
public:
    // Message windows.
    std::set<unsigned int> openTabs;
    unsigned int tabInFront = 0;
    std::vector<std::pair<unsigned int, MW::TYolWMMWMsg>> lines;
    // Dialogs: whether they end with OK, and what they hand back.
    bool dialogsAccept = false;
    CYolString answerText;
    std::vector<int> preferencePages;
    size_t preferenceObservers = 0;
    HWND splash = nullptr;
    bool splashOpen = false;

    UI::TYolWMAppPorts Ports() {
        UI::TYolWMAppPorts ports;
        ports.messageWindows = this;
        ports.notifications = this;
        ports.alerts = this;
        ports.dialogs = this;
        ports.fileTransfers = this;
        ports.splashTray = this;
        ports.updates = this;
        return ports;
    }

    bool IsTabOpen(unsigned int tab) override { return openTabs.count(tab) != 0; }
    void AddTab(unsigned int tab, const CYolString& name, const CYolArray<unsigned int>& icons) override {
        openTabs.insert(tab);
        Note("AddTab " + std::to_string(tab) + " " + Text(name) + " " + Icons(icons));
    }
    void AddMessage(unsigned int tab, const MW::TYolWMMWMsg& line) override {
        lines.push_back({tab, line});
        Note("AddMessage " + std::to_string(tab) + " " + std::to_string(line.direction) + " " +
             std::to_string(line.iconId) + " " + Text(line.name) + "|" + Text(line.text));
    }
    void SelectTab(unsigned int tab) override { Note("SelectTab " + std::to_string(tab)); }
    void Show(bool show) override { Note(std::string("Show ") + (show ? "1" : "0")); }
    bool IsTabInFront(unsigned int tab) override { return tab == tabInFront; }
    void SetTabIcons(unsigned int tab, const CYolArray<unsigned int>& icons) override {
        Note("SetTabIcons " + std::to_string(tab) + " " + Icons(icons));
    }
    void SetTabTitle(unsigned int tab, const CYolString& title) override {
        Note("SetTabTitle " + std::to_string(tab) + " " + Text(title));
    }
    void CloseTab(unsigned int tab) override { Note("CloseTab " + std::to_string(tab)); }
    void UpdateMsgIcon(unsigned int tab, unsigned int messageId, unsigned int icon) override {
        Note("UpdateMsgIcon " + std::to_string(tab) + " " + std::to_string(messageId) + " " + std::to_string(icon));
    }
    CYolString GetOwnName(unsigned int) override { return CYolString(u"me"); }
    void ReloadSmiles() override { Note("ReloadSmiles"); }
    HWND Window() override { return nullptr; }
    UI::MYolWMUI_PrefsChangeObserver* PrefsObserver() override { return nullptr; }

    void ShowIncomingMessage(unsigned int messageId, unsigned int icon, unsigned int contact,
                             const CYolString& text) override {
        Note("ShowIncomingMessage " + std::to_string(messageId) + " " + std::to_string(icon) + " " +
             std::to_string(contact) + " " + Text(text));
    }
    void ShowEmail(const CYolString& text, const CYolString& title) override {
        Note("ShowEmail " + Text(title) + "|" + Text(text));
    }
    void ShowNewVersion(unsigned int version, bool loaded) override {
        Note("ShowNewVersion " + std::to_string(version) + (loaded ? " loaded" : " available"));
    }
    void ShowFileRequest(unsigned int contact, const CYolString& fileName, unsigned int size) override {
        Note("ShowFileRequest " + std::to_string(contact) + " " + Text(fileName) + " " + std::to_string(size));
    }
    void ShowAuthRequest(unsigned int contact, const CYolString& text) override {
        Note("ShowAuthRequest " + std::to_string(contact) + " " + Text(text));
    }
    void ShowContactStatus(unsigned int contact) override { Note("ShowContactStatus " + std::to_string(contact)); }
    void ShowMessage(const CYolString& text, bool information) override {
        Note(std::string(information ? "Information " : "Warning ") + Text(text));
    }
    void RemoveContact(unsigned int contact) override { Note("RemoveContact " + std::to_string(contact)); }

    void RaiseAlert(int event) override { Note("RaiseAlert " + std::to_string(event)); }
    void OnPrefsChanged(int group) override { Note("AlertPrefs " + std::to_string(group)); }

    void RunPreferences(UI::TYolWMPrefs&, const CYolArray<UI::MYolWMUI_PrefsChangeObserver*>& observers,
                        int page) override {
        preferencePages.push_back(page);
        preferenceObservers = static_cast<size_t>(observers.Count());
        Note("RunPreferences " + std::to_string(page));
    }
    void RunFindUser(HWND, unsigned int account) override { Note("RunFindUser " + std::to_string(account)); }
    void OnSearchResult(const Protocols::UserInfo* result) override {
        Note(result != nullptr ? "OnSearchResult " + Text(result->login) : "OnSearchResult end");
    }
    void RunUserDetails(HWND, unsigned int account) override { Note("RunUserDetails " + std::to_string(account)); }
    void RefreshUserDetails(unsigned int account) override { Note("RefreshUserDetails " + std::to_string(account)); }
    void RunContactDetails(HWND, unsigned int contact) override {
        Note("RunContactDetails " + std::to_string(contact));
    }
    void RefreshContactDetails(unsigned int contact) override {
        Note("RefreshContactDetails " + std::to_string(contact));
    }
    void RunAccountSettings(unsigned int account, HWND) override {
        Note("RunAccountSettings " + std::to_string(account));
    }
    bool RunXStatus(HWND, CYolString& title, CYolString& text) override {
        Note("RunXStatus");
        if (dialogsAccept) {
            title = answerText;
            text = answerText;
        }
        return dialogsAccept;
    }
    bool RunBaseAccount(HWND, CYolString& login, CYolString&) override {
        Note("RunBaseAccount " + Text(login));
        return false;
    }
    bool RunFileSave(HWND, const CYolString& offered, CYolString& path) override {
        Note("RunFileSave " + Text(offered));
        path = answerText;
        return dialogsAccept;
    }
    bool RunFileOpen(HWND, const CYolString& mask, CYolString& path) override {
        Note("RunFileOpen " + Text(mask));
        path = answerText;
        return dialogsAccept;
    }
    bool RunAddContact(HWND, const CYolArray<unsigned int>& groups, unsigned int& group, CYolString& login,
                       CYolString& name) override {
        Note("RunAddContact " + Icons(groups));
        if (groups.Count() > 0)
            group = groups[0];
        login = answerText;
        name = answerText;
        return dialogsAccept;
    }
    bool RunName(HWND, bool groupMode, CYolString& name) override {
        Note(std::string("RunName ") + (groupMode ? "group" : "contact"));
        name = answerText;
        return dialogsAccept;
    }
    bool RunMoveContact(unsigned int current, unsigned int& chosen) override {
        Note("RunMoveContact " + std::to_string(current));
        chosen = 0;
        return dialogsAccept;
    }
    void RunHistory(unsigned int contact) override { Note("RunHistory " + std::to_string(contact)); }

    void HandleTransferEvent(const Protocols::FTProgress& progress) override {
        Note("HandleTransferEvent " + std::to_string(progress.state));
    }
    void Destroy() override { Note("DestroyFileTransfers"); }

    void CreateSplash(const CYolString& text) override {
        splashOpen = true;
        Note("CreateSplash " + Text(text));
    }
    void SetSplashText(const CYolString& text) override { Note("SetSplashText " + Text(text)); }
    void CloseSplash() override {
        if (splashOpen)
            Note("CloseSplash");
        splashOpen = false;
    }
    HWND SplashWindow() override { return splashOpen ? splash : nullptr; }
    void Release() override {
        CloseSplash();
        Note("ReleaseSplashTray");
    }
    void UpdateTray() override { Note("UpdateTray"); }
    void RemoveTray() override { Note("RemoveTray"); }
    void ShowTray(bool show) override { Note(std::string("ShowTray ") + (show ? "1" : "0")); }
    void OnTrayMessage(unsigned int iconId, unsigned int mouseMessage) override {
        Note("OnTrayMessage " + std::to_string(iconId) + " " + std::to_string(mouseMessage));
    }

    void StartVersionCheck(unsigned int) override { Note("StartVersionCheck"); }
    void StopVersionCheck(void* check) override { Note(check == nullptr ? "StopVersionCheck all" : "StopVersionCheck"); }
    void StartDownload(unsigned int, unsigned int version) override {
        Note("StartDownload " + std::to_string(version));
    }
    void StopDownload() override { Note("StopDownload"); }
    CYolString GetCabPath() override { return CYolString(u"/tmp/yol-update.cab"); }
};

}  // namespace AppTest
