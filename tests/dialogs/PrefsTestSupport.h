#pragma once
// Doubles for the preferences suites: a host that records what the panes
// store in the core, a sockets service that only keeps its settings, a
// protocols manager with a list of accounts that can move, and a plug-in
// page for the account-settings dialog.

#include "CSocketsManager.h"
#include "CYolWMUI_TabPan.h"
#include "MYolWMUI_PrefsHost.h"
#include "NullProtocolsManager.h"
#include "TYolWMPrefs.h"
#include "YolTabDlg.h"
#include "YolWMUI_Dialogs.h"

#include <algorithm>
#include <string>
#include <vector>

namespace dialogs_test {

class SettingsOnlySockets final : public Sockets::CSocketsManager {
public:
    Sockets::ConnectionSettings settings;
    int sets = 0;

    Sockets::CYolSocket* CreateSocket(unsigned int) override { return nullptr; }
    bool IsValidSocket(Sockets::CYolSocket*) override { return false; }
    int DestroySocket(Sockets::CYolSocket*) override { return -2; }
    int Connect(Sockets::CYolSocket*, const Sockets::ConnectionSettings&) override { return -2; }
    int Send(Sockets::CYolSocket*, const void*, int, int) override { return -2; }
    int Receive(Sockets::CYolSocket*, void*, int, int) override { return -2; }
    void Close(Sockets::CYolSocket*) override {}
    void CloseAll() override {}
    int SetSocketOption(Sockets::CYolSocket*, int) override { return -2; }
    int Reserved9(Sockets::CYolSocket*, int) override { return -2; }
    int Reserved10(Sockets::CYolSocket*, int) override { return -2; }
    void GetSettings(Sockets::ConnectionSettings& out) override { out = settings; }
    void SetSettings(const Sockets::ConnectionSettings& in) override
    {
        settings = in;
        ++sets;
    }
    unsigned int GetBytesSent() override { return 0; }
    unsigned int GetBytesReceived() override { return 0; }
};

// A plug-in's settings page: one edit over a string of its account.
class TestSettingsPage final : public UI::CYolWMUI_SettingsPan {
public:
    explicit TestSettingsPage(std::string& login) : login(login) {}
    CYolString GetCaption() override { return CYolString(u"Account"); }
    CYolArray<unsigned int> GetImages() override { return {}; }
    YolTabDlg::TDlgTemplate GetDlgTemplate() override
    {
        // A pane template with an edit (1056) to type into.
        return {UI::GetYolDialogsInstance(), 154};
    }
    int DoDataExchange(int save) override
    {
        if (save)
            login = UI::GetDlgItemString(m_hWnd, 1056).ToUtf8();
        else
            UI::SetDlgItemString(m_hWnd, 1056, CYolString::FromUtf8(login));
        return 1;
    }

private:
    std::string& login;
};

// Accounts with ids 1, 2, 3 ... in list order; protocols "Alpha", "Beta".
class AccountsManager final : public YolTest::NullProtocolsManager {
public:
    std::vector<unsigned int> accounts;
    std::vector<std::string> logins{"", "alice@example.org", "bob@example.org", "", "", ""};
    std::vector<unsigned int> deleted;
    unsigned int nextId = 1;
    bool givesPage = false;
    std::string pageLogin = "typed@example.org";

    int GetProtocolCount() override { return 2; }
    void GetProtocolInfo(ProtocolRecord& out, int index) override
    {
        out = ProtocolRecord();
        if (index < 0 || index > 1)
            return;
        out.id.Data1 = static_cast<unsigned int>(index + 1);
        out.displayName = index == 0 ? u"Alpha" : u"Beta";
    }
    unsigned int AddAccount(const YOL_GUID& protocol) override
    {
        if (protocol.Data1 == 0)
            return 0;
        accounts.push_back(nextId);
        return nextId++;
    }
    int DeleteAccount(unsigned int account) override
    {
        deleted.push_back(account);
        accounts.erase(std::remove(accounts.begin(), accounts.end(), account), accounts.end());
        return 0;
    }
    int GetAccountCount() override { return static_cast<int>(accounts.size()); }
    unsigned int GetAccountId(unsigned int index) override
    {
        return index < accounts.size() ? accounts[index] : 0;
    }
    int NotifyAccountChanged(unsigned int account, unsigned int index) override
    {
        auto at = std::find(accounts.begin(), accounts.end(), account);
        if (at == accounts.end() || index >= accounts.size())
            return -1;
        accounts.erase(at);
        accounts.insert(accounts.begin() + index, account);
        return 0;
    }
    void GetAccountLogin(CYolString& out, unsigned int account, bool) override
    {
        out = account < logins.size() ? CYolString::FromUtf8(logins[account]) : CYolString();
    }
    void GetAccountProtocolInfo(ProtocolRecord& out, unsigned int) override { GetProtocolInfo(out, 0); }
    int CreateSettingsPanes(unsigned int, YolTabDlg::CDlgInfo* panes) override
    {
        if (givesPage)
            panes->Add(new TestSettingsPage(pageLogin));
        return 0;
    }
};

class RecordingPrefsHost final : public UI::MYolWMUI_PrefsHost {
public:
    AccountsManager manager;
    SettingsOnlySockets sockets;
    bool sync = false;
    int syncSets = 0;
    bool fromNotInList = true;
    int fromNotInListSets = 0;
    std::vector<std::string> antispam;  // "enable=1", "question=..." ...
    std::vector<unsigned int> previews;  // the previewed settings' vibration
    unsigned int leds = 2;
    std::string chosenFile;
    std::vector<unsigned int> accepted;
    std::vector<unsigned int> connected;

    Protocols::CProtocolsManager* ProtocolsManager() override { return &manager; }
    Sockets::CSocketsManager* SocketsManager() override { return &sockets; }
    bool GetSyncAccounts() override { return sync; }
    void SetSyncAccounts(bool on) override
    {
        sync = on;
        ++syncSets;
    }
    bool GetMsgsFromNotInList() override { return fromNotInList; }
    void SetMsgsFromNotInList(bool accept) override
    {
        fromNotInList = accept;
        ++fromNotInListSets;
    }
    void SetAntispamEnable(bool on) override { antispam.push_back(std::string("enable=") + (on ? "1" : "0")); }
    void SetAntispamQuestion(const CYolString& text) override { antispam.push_back("question=" + text.ToUtf8()); }
    void SetAntispamAnswer(const CYolString& text) override { antispam.push_back("answer=" + text.ToUtf8()); }
    void SetAntispamConfirm(const CYolString& text) override { antispam.push_back("confirm=" + text.ToUtf8()); }
    void DrawImage(int, HDC, const RECT&) override {}
    void PreviewAlert(const Alert::TYolWMAlertSettings& settings) override { previews.push_back(settings.vibra); }
    unsigned int LedCount() override { return leds; }
    bool ChooseFile(HWND, const CYolString&, CYolString& path) override
    {
        if (chosenFile.empty())
            return false;
        path = CYolString::FromUtf8(chosenFile);
        return true;
    }
    bool RunMessageWindowSettings(HWND) override { return false; }
    void AccountSettingsAccepted(unsigned int account) override { accepted.push_back(account); }
    void ConnectNewAccount(unsigned int account) override { connected.push_back(account); }
};

// Records the change types in the order they were announced.
class RecordingObserver final : public UI::MYolWMUI_PrefsChangeObserver {
public:
    std::vector<int> types;
    void OnPrefsChanged(int type) override { types.push_back(type); }
};

} // namespace dialogs_test
