// The accounts pane end to end, in the test's own process: the real core
// and the XMPP plug-in on an empty program folder, the program's own host
// of the preferences dialog, and Prosody as the server. The pane adds an
// XMPP account, the account connects without a restart, and deleting it
// leaves the settings file without it. The XMPP plug-in gives no settings
// page yet, so the test stores what that page would (login, password,
// server) when the account-settings dialog is accepted.

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

// The program's host, with the XMPP settings page's part played by the test.
class PageStandIn final : public UI::MYolWMUI_PrefsHost {
public:
    PageStandIn(std::string jid, unsigned int port) : jid(std::move(jid)), port(port) {}

    Protocols::CProtocolsManager* ProtocolsManager() override { return real.ProtocolsManager(); }
    Sockets::CSocketsManager* SocketsManager() override { return real.SocketsManager(); }
    bool GetSyncAccounts() override { return real.GetSyncAccounts(); }
    void SetSyncAccounts(bool on) override { real.SetSyncAccounts(on); }
    bool GetMsgsFromNotInList() override { return real.GetMsgsFromNotInList(); }
    void SetMsgsFromNotInList(bool accept) override { real.SetMsgsFromNotInList(accept); }
    void SetAntispamEnable(bool on) override { real.SetAntispamEnable(on); }
    void SetAntispamQuestion(const CYolString& text) override { real.SetAntispamQuestion(text); }
    void SetAntispamAnswer(const CYolString& text) override { real.SetAntispamAnswer(text); }
    void SetAntispamConfirm(const CYolString& text) override { real.SetAntispamConfirm(text); }
    void DrawImage(int id, HDC dc, const RECT& box) override { real.DrawImage(id, dc, box); }
    void PreviewAlert(const Alert::TYolWMAlertSettings& settings) override { real.PreviewAlert(settings); }
    unsigned int LedCount() override { return real.LedCount(); }
    bool ChooseFile(HWND owner, const CYolString& mask, CYolString& path) override
    {
        return real.ChooseFile(owner, mask, path);
    }
    bool RunMessageWindowSettings(HWND owner) override { return real.RunMessageWindowSettings(owner); }
    void AccountSettingsAccepted(unsigned int account) override
    {
        Protocols::CProtocolsManager& pm = *real.ProtocolsManager();
        pm.SetAccountString(account, W("SrvLogName"), W(jid), false);
        pm.SetAccountString(account, W("SrvLogPass"), W(kPassword), true);
        pm.SetAccountDword(account, W("SrvConPort"), port);
        pm.SetAccountByte(account, W("SrvSpecBool1"), 0);
        pm.SetAccountByte(account, W("SrvSpecBool2"), 1);
        pm.SetAccountString(account, W("SrvSpecString2"), W("127.0.0.1"), false);
        pm.SetAccountDword(account, W("SrvSpecDword2"), port);
        real.AccountSettingsAccepted(account);
    }
    void ConnectNewAccount(unsigned int account) override { real.ConnectNewAccount(account); }

private:
    UI::CYolProgramPrefsHost real{nullptr};
    std::string jid;
    unsigned int port;
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
    PageStandIn host(jid, rig->PlainPort());
    UI::TYolWMPrefs prefs;
    CYolArray<UI::MYolWMUI_PrefsChangeObserver*> observers;
    unsigned int account = 0;
    OnlineLog log(manager);
    Scripted<UI::CYolWMUI_PrefsDlg> dialog(prefs, observers, 9, host);
    dialog.script = [&](auto& d) {
        // A failed step cancels, so the modal loop always ends.
        const auto stop = [&] { SoftKey(d, CYolWMUI_BigDlg::ERight); };
        auto& pane = *dynamic_cast<UI::CYolWMUI_PrefsDlg::CAccountsPan*>(d.GetTab(9)->pan);
        const int index = PlainXmppIndex(pm);
        account = index >= 0 ? pane.AddAccountOfProtocol(index) : 0;
        if (account == 0) {
            ADD_FAILURE() << "no XMPP account was added (protocol index " << index << ")";
            return stop();
        }
        EXPECT_EQ(pane.RowCount(), 1);
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
    EXPECT_EQ(settings.find(jid), std::string::npos);
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
