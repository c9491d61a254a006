// The accounts pane end to end, in the test's own process: the real core
// and the XMPP plug-in on an empty program folder, the program's own host
// of the preferences dialog, and Prosody as the server. The pane adds an
// XMPP account, the account connects without a restart, and deleting it
// leaves the settings file without it. What the account connects with is
// typed into the XMPP plug-in's own settings pages, as a user would.

#include "DialogsTestSupport.h"
#include "EventTestSupport.h"
#include "MissingPeer.h"
#include "ProsodyFixture.h"
#include "WaitableLog.h"

#include "CProtocolsManagerImpl.h"
#include "CServicesManagerImpl.h"
#include "CYolPath.h"
#include "CYolProgramPrefsHost.h"
#include "CYolWMUI_PrefsAccountsPan.h"
#include "CYolWMUI_PrefsDlg.h"
#include "Controls/ControlButton.h"
#include "CoreServices.h"
#include "ProtocolsManagerEvents.h"
#include "TestSupport.h"

#include <filesystem>

using namespace dialogs_test;
using namespace XmppPeers;
using UI::CYolWMUI_BigDlg;

namespace {

namespace fs = std::filesystem;

constexpr const char* kPassword = "alice-pw";

// The pages of the account-settings dialog that is open over the pane.
class XmppSettingsPages {
public:
    explicit XmppSettingsPages(HWND dialog) : dialog(dialog)
    {
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (GetDlgItem(child, kUserName))
                account = child;
            else if (GetDlgItem(child, kManualHost))
                expert = child;
        }
    }
    bool Found() const { return account != nullptr && expert != nullptr; }

    // The Account page's controls.
    static constexpr int kUserName = 1015, kPassword = 1016, kSavePassword = 1018, kServer = 1020, kPort = 1021;
    // The Expert page's controls.
    static constexpr int kManualHost = 1006, kHost = 1020, kHostPort = 1021;

    HWND dialog;
    HWND account = nullptr;
    HWND expert = nullptr;
};

// The accounts that the protocols manager announced online, in order: the
// test waits on them rather than polling the account's status.
class OnlineLog {
public:
    explicit OnlineLog(Services::CServicesManagerImpl& manager)
        : manager(manager), client([this](const YOL_GUID& channel, int event, Services::CEventArg* arg,
                                          Services::CEventArg* extra) {
              auto* account = dynamic_cast<Services::CEventArg_Data<int>*>(arg);
              auto* status = dynamic_cast<Services::CEventArg_Data<Protocols::StatusInfo>*>(extra);
              if (channel == ProtocolsManagerGuid && event == Protocols::ProtocolsManagerEvent::StatusChanged &&
                  account && status && account->data != 0 && status->data.status == Protocols::Online)
                  online.Add(static_cast<unsigned int>(account->data));
              return 0;
          })
    {
        key = manager.RegisterEventsClient(&client, CYolString(u"Online log"));
        manager.Subscribe(ProtocolsManagerGuid, Protocols::ProtocolsManagerEvent::StatusChanged, key);
    }
    ~OnlineLog() { Close(); }
    // Leaves the core before it is destroyed.
    void Close()
    {
        if (key != 0)
            manager.UnregisterEventsClient(key);
        key = 0;
    }

    WaitableLog<unsigned int> online;

private:
    Services::CServicesManagerImpl& manager;
    FnClient client;
    unsigned int key = 0;
};

class AccountsPaneWithPeer : public DialogTest, public TempFolder {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        if (!RigAvailable())
            YOL_SKIP_MISSING_PEER("prosody, openssl or /usr/bin/python3 is missing");
        rig = std::make_unique<ProsodyRig>(ProsodyRig::Options{{{"alice", kPassword}}, {}});
        ASSERT_TRUE(rig->Ready()) << rig->Failure();
        const fs::path build(YOL_PROGRAM_FOLDER);
        fs::create_directories(PathOf("Protos"));
        fs::create_directory_symlink(build / "Protos" / "Jabber", PathOf("Protos/Jabber"));
        previousAppDir = CYolPath::AppDir();
        CYolPath::SetAppDir(W(Root()));
    }
    void TearDown() override
    {
        if (coreUp)
            Core::DestroyServices(manager);
        CYolPath::SetAppDir(previousAppDir);
        DialogTest::TearDown();
    }
    void StartCore()
    {
        Core::CreateServices(manager);
        Core::StartServices(manager);
        coreUp = true;
    }
    static int PlainXmppIndex(Protocols::CProtocolsManager& pm)
    {
        for (int i = 0; i < pm.GetProtocolCount(); ++i) {
            Protocols::ProtocolRecord record;
            pm.GetProtocolInfo(record, i);
            if (record.id == JabberProtocolGuid)
                return i;
        }
        return -1;
    }

    // Types the rig's account into the XMPP pages of the account-settings
    // dialog and presses OK; cancels when the pages are not there.
    void FillInXmppPages(HWND dialog)
    {
        using Pages = XmppSettingsPages;
        const Pages pages(dialog);
        if (!pages.Found()) {
            ADD_FAILURE() << "the account-settings dialog shows no XMPP pages";
            return SoftKey(dialog, CYolWMUI_BigDlg::ERight);
        }
        const std::u16string port = W(std::to_string(rig->PlainPort())).ToU16();
        TypeInto(pages.account, Pages::kUserName, u"alice");
        TypeInto(pages.account, Pages::kPassword, W(kPassword).ToU16());
        SendMessage(GetDlgItem(pages.account, Pages::kSavePassword), BM_CLICK, 0, 0);
        EXPECT_EQ(SendMessage(GetDlgItem(pages.account, Pages::kSavePassword), BM_GETCHECK, 0, 0), BST_CHECKED);
        TypeInto(pages.account, Pages::kServer, W(rig->Domain()).ToU16());
        TypeInto(pages.account, Pages::kPort, port);
        // The rig listens on the IPv4 loopback address, whatever its domain
        // resolves to.
        SendMessage(GetDlgItem(pages.expert, Pages::kManualHost), BM_CLICK, 0, 0);
        TypeInto(pages.expert, Pages::kHost, u"127.0.0.1");
        TypeInto(pages.expert, Pages::kHostPort, port);
        SaveGallery(dialog, "account_settings_xmpp");
        SoftKey(dialog, CYolWMUI_BigDlg::ELeft);
    }

    std::unique_ptr<ProsodyRig> rig;
    Services::CServicesManagerImpl manager;
    bool coreUp = false;
    CYolString previousAppDir;
};

TEST_F(AccountsPaneWithPeer, AddsAnXmppAccountThatConnectsAndDeletingItLeavesTheSettingsWithoutIt)
{
    StartCore();
    Protocols::CProtocolsManagerImpl& pm = *Core::g_protocolsManager;
    ASSERT_EQ(pm.GetAccountCount(), 0);
    const std::string jid = rig->Jid("alice");
    UI::CYolProgramPrefsHost host(nullptr);
    UI::TYolWMPrefs prefs;
    CYolArray<UI::MYolWMUI_PrefsChangeObserver*> observers;
    unsigned int account = 0;
    OnlineLog log(manager);
    Scripted<UI::CYolWMUI_PrefsDlg> dialog(prefs, observers, 9, host);
    int calls = 0;
    dialog.script = [&](auto& d) {
        // Again from inside the account-settings dialog's own loop.
        if (++calls == 2) {
            const HWND settings = GetActiveWindow();
            EXPECT_NE(settings, d.Handle()) << "no account-settings dialog is open";
            return FillInXmppPages(settings);
        }
        // A failed step cancels, so the modal loop always ends.
        const auto stop = [&] { SoftKey(d, CYolWMUI_BigDlg::ERight); };
        auto& pane = *dynamic_cast<UI::CYolWMUI_PrefsDlg::CAccountsPan*>(d.GetTab(9)->pan);
        const int index = PlainXmppIndex(pm);
        PostMessage(d.Handle(), kScript, 0, 0);
        account = index >= 0 ? pane.AddAccountOfProtocol(index) : 0;
        if (account == 0) {
            ADD_FAILURE() << "no XMPP account was added (protocol index " << index << ")";
            return stop();
        }
        EXPECT_EQ(calls, 2);
        EXPECT_EQ(pane.RowCount(), 1);
        CYolString login;
        EXPECT_TRUE(pm.GetAccountString(account, W("SrvLogName"), login, false));
        EXPECT_EQ(login.ToUtf8(), jid);
        if (!log.online.WaitFor(1, std::chrono::seconds(60))) {
            ADD_FAILURE() << "the new account never came online";
            return stop();
        }
        EXPECT_EQ(log.online.Items().front(), account);
        Protocols::Status status = Protocols::Offline;
        EXPECT_EQ(pm.GetStatus(account, status), 0);
        EXPECT_EQ(status, Protocols::Online);
        EXPECT_NE(pane.RowText(account).ToUtf8().find(jid), std::string::npos);
        SaveGallery(d, "prefs_accounts_online");
        SendMessage(pane.Handle(), WM_COMMAND, MAKEWPARAM(UI::CYolWMUI_PrefsDlg::CAccountsPan::EDelete, 0), 0);
        EXPECT_EQ(pane.RowCount(), 0);
        SoftKey(d, CYolWMUI_BigDlg::ELeft);
    };
    EXPECT_EQ(dialog.CYolWMUI_SettingsControllerDlg::Run(parent), 1);
    ASSERT_NE(account, 0u);
    // The deletion was queued on the manager's own events client; a call
    // waited on behind it returns once the account is gone.
    manager.SendEvent(pm.GetEventsClientId(), ServicesManagerGuid, 0, nullptr, nullptr, true);
    EXPECT_EQ(pm.GetAccountCount(), 0);
    log.Close();
    Core::DestroyServices(manager);
    coreUp = false;

    const std::string settings = ReadText(PathOf("settings.yol"));
    ASSERT_FALSE(settings.empty());
    EXPECT_EQ(settings.find(jid), std::string::npos) << settings.substr(settings.find(jid) > 300 ? settings.find(jid) - 300 : 0, 600);
    const std::u16string wide = W(jid).ToU16();
    const std::string wideBytes(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    EXPECT_EQ(settings.find(wideBytes), std::string::npos);
    // A core started again on the folder finds no account.
    Services::CServicesManagerImpl again;
    Core::CreateServices(again);
    EXPECT_EQ(Core::g_protocolsManager->GetAccountCount(), 0);
    Core::DestroyServices(again);
}

} // namespace
