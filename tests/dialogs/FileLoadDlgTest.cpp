// The file-transfers window: rows made and updated from progress reports,
// the status line and bar of the selected row, cancelling, and dropping
// finished rows on hide; and the host over the core's services, which hands
// cancel, accept and decline to the contact's account.

#include "DialogsTestSupport.h"

#include "CContactListImpl.h"
#include "CServicesManagerImpl.h"
#include "CYolWMUI_FileLoadDlg.h"
#include "CYolWMUI_FileLoadServices.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlProgress.h"
#include "MemoryDatabase.h"
#include "NullProtocolsManager.h"
#include "TestSupport.h"
#include "YolGuids.h"

#include <map>
#include <memory>

using namespace dialogs_test;
using UI::CYolWMUI_FileLoadDlg;

namespace {

class RecordingHost final : public UI::MYolWMUI_FileLoadHost {
public:
    std::map<unsigned int, std::string> logins;
    std::vector<std::string> log;
    HWND main = nullptr;

    CYolString ContactLogin(unsigned int contactId) override { return W(logins[contactId]); }
    void CancelTransfer(unsigned int contactId, const CYolString& fileName) override
    {
        log.push_back("cancel " + std::to_string(contactId) + " " + fileName.ToUtf8());
    }
    void ShowWarning(const CYolString& text) override { log.push_back("warning " + text.ToUtf8()); }
    HWND MainWindow() override { return main; }
};

Protocols::FTProgress Report(unsigned int contact, const char* file, unsigned int state, unsigned int total,
                             unsigned int done, unsigned int activate = 0, unsigned int outgoing = 0)
{
    Protocols::FTProgress p;
    p.contactId = contact;
    p.fileName = W(file);
    p.state = state;
    p.totalSize = total;
    p.doneSize = done;
    p.activate = activate;
    p.outgoing = outgoing;
    return p;
}

class FileLoadWindow : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        host.logins = {{7, "bob"}, {8, "carol"}, {9, "dave"}};
        host.main = parent;
        CYolWMUI_FileLoadDlg::SetHost(&host);
    }
    void TearDown() override
    {
        CYolWMUI_FileLoadDlg::Destroy();
        CYolWMUI_FileLoadDlg::SetHost(nullptr);
        DialogTest::TearDown();
    }

    static CYolWMUI_FileLoadDlg& Window() { return *CYolWMUI_FileLoadDlg::Instance(); }
    static std::string Status() { return Text(Window(), 1201); }
    static int Bar() { return static_cast<int>(SendMessage(GetDlgItem(Window(), 1200), PBM_GETPOS, 0, 0)); }
    static bool CancelEnabled() { return IsWindowEnabled(GetDlgItem(Window(), 1019)); }
    static std::vector<std::string> Lines()
    {
        std::vector<std::string> lines;
        const HWND list = GetDlgItem(Window(), 1014);
        for (int i = 0; i < SendMessage(list, CB_GETCOUNT, 0, 0); ++i)
            lines.push_back(UI::GetComboText(list, i).ToUtf8());
        return lines;
    }
    static std::vector<unsigned int> States()
    {
        std::vector<unsigned int> states;
        for (const auto& row : Window().Rows())
            states.push_back(row.state);
        return states;
    }

    RecordingHost host;
};

TEST_F(FileLoadWindow, SizesAndBarFollowTheTotal)
{
    const struct {
        unsigned int done, total;
        const char* text;
        int percent;
    } cases[] = {
        {2000, 5000, "2000 / 5000 b", 40},
        {10240, 20480, "10.00 / 20.00 Kb", 50},
        // Precision 0 prints no digit for a total of 0.
        {7, 0, "7 /  b", 0},
        {5242880, 20971520, "5.00 / 20.00 Mb", 25},
        {10239, 10239, "10239 / 10239 b", 100},
        {0, 10485760, "0.00 / 10.00 Mb", 0},
        // A plug-in that reports more than it announced keeps the bar full.
        {9000, 3000, "9000 / 3000 b", 100},
        {4294967295u, 4294967295u, "4096.00 / 4096.00 Mb", 100},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CYolWMUI_FileLoadDlg::SizeText(c.done, c.total).ToUtf8(), c.text);
        EXPECT_EQ(CYolWMUI_FileLoadDlg::ProgressPercent(c.done, c.total), c.percent) << c.text;
    }
}

TEST_F(FileLoadWindow, FirstProgressReportMakesARowAndShowsIt)
{
    CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(7, "/home/me/in/photo.jpg", 1, 5000, 2000));
    CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(8, "C:\\out\\notes.txt", 1, 20480, 10240, 0, 1));
    ASSERT_NE(CYolWMUI_FileLoadDlg::Instance(), nullptr);
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"bob --> photo.jpg", "carol <-- notes.txt"}));
    // The only row was selected; the second one, not activated, was not.
    EXPECT_EQ(Window().Selected(), 0);
    EXPECT_EQ(Status(), "2000 / 5000 b");
    EXPECT_EQ(Bar(), 40);
    EXPECT_TRUE(CancelEnabled());
    EXPECT_EQ(SoftKeyText(Window(), UI::CYolWMUI_BigDlg::ERight), "Hide");
    SaveGallery(Window(), "file_transfers");

    // Activation brings a row forward.
    CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(8, "C:\\out\\notes.txt", 1, 20480, 15360, 1, 1));
    EXPECT_EQ(Window().Selected(), 1);
    EXPECT_EQ(Status(), "15.00 / 20.00 Kb");
    EXPECT_EQ(Bar(), 75);
}

TEST_F(FileLoadWindow, ReportsForUnknownOrFinishedTransfersAreIgnored)
{
    // An offer (0) or an end (2-4) of a transfer without a row makes none.
    for (unsigned int state : {0u, 2u, 3u, 4u})
        CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(7, "a.bin", state, 100, 10));
    EXPECT_EQ(Window().Rows().Count(), 0);
    EXPECT_FALSE(IsWindowVisible(Window()));

    CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(7, "a.bin", 1, 100, 10));
    CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(7, "a.bin", 2, 100, 100));
    EXPECT_EQ(Status(), "Loading completed");
    EXPECT_FALSE(CancelEnabled());
    // A late progress report cannot revive the finished row.
    CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(7, "a.bin", 1, 100, 50));
    EXPECT_EQ(States(), std::vector<unsigned int>{CYolWMUI_FileLoadDlg::ECompleted});
    EXPECT_EQ(Bar(), 100);
}

TEST_F(FileLoadWindow, EndStatesMapToRowStates)
{
    const struct {
        unsigned int reported;
        unsigned int row;
        const char* status;
    } cases[] = {
        {0, CYolWMUI_FileLoadDlg::ERunning, "50 / 100 b"},
        {1, CYolWMUI_FileLoadDlg::ERunning, "50 / 100 b"},
        {2, CYolWMUI_FileLoadDlg::ECompleted, "Loading completed"},
        {3, CYolWMUI_FileLoadDlg::ETerminated, "Loading terminated"},
        {4, CYolWMUI_FileLoadDlg::ETerminated, "Loading terminated"},
        // A state no plug-in should send: the transfer is not running.
        {99, CYolWMUI_FileLoadDlg::ETerminated, "Loading terminated"},
    };
    for (const auto& c : cases) {
        CYolWMUI_FileLoadDlg::Destroy();
        CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(9, "x", 1, 100, 10));
        CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(9, "x", c.reported, 100, 50));
        EXPECT_EQ(States(), std::vector<unsigned int>{c.row}) << c.reported;
        EXPECT_EQ(Status(), c.status) << c.reported;
    }
}

TEST_F(FileLoadWindow, CancelStopsTheSelectedTransferAtOnce)
{
    CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(7, "/tmp/a.bin", 1, 5000, 100));
    const HWND button = GetDlgItem(Window(), 1019);
    EXPECT_EQ(Text(Window(), 1019), "Cancel");
    RECT r;
    GetClientRect(button, &r);
    Tap(button, r.right / 2, r.bottom / 2);
    EXPECT_EQ(host.log, std::vector<std::string>{"cancel 7 /tmp/a.bin"});
    EXPECT_EQ(States(), std::vector<unsigned int>{CYolWMUI_FileLoadDlg::ETerminated});
    EXPECT_EQ(Status(), "Loading terminated");
    EXPECT_FALSE(CancelEnabled());
    // The plug-in's own report of the cancel changes nothing more.
    CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(7, "/tmp/a.bin", 3, 5000, 100));
    EXPECT_EQ(host.log.size(), 1u);
}

TEST_F(FileLoadWindow, HidingDropsFinishedRowsAndKeepsTheSelectedOne)
{
    for (const char* file : {"r0", "r1", "r2"})
        CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(7, file, 1, 100, 10));
    CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(7, "r1", 2, 100, 100));
    CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(7, "r2", 1, 100, 60, 1));
    ASSERT_EQ(Window().Selected(), 2);

    SoftKey(Window(), UI::CYolWMUI_BigDlg::ERight);
    EXPECT_FALSE(IsWindowVisible(Window()));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"bob --> r0", "bob --> r2"}));
    EXPECT_EQ(Window().Selected(), 1);
    EXPECT_EQ(UI::GetComboSelection(GetDlgItem(Window(), 1014)), 1);
    EXPECT_EQ(Status(), "60 / 100 b");
}

TEST_F(FileLoadWindow, PickingARowInTheListShowsItsProgress)
{
    CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(7, "one", 1, 100, 10));
    CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(8, "two", 1, 1000, 900));
    const HWND list = GetDlgItem(Window(), 1014);
    SetFocus(list);
    Key(VK_DOWN);
    EXPECT_EQ(Window().Selected(), 1);
    EXPECT_EQ(Status(), "900 / 1000 b");
    EXPECT_EQ(Bar(), 90);
}

TEST_F(FileLoadWindow, ShowWithoutRowsWarnsAndStaysHidden)
{
    CYolWMUI_FileLoadDlg::Show(true);
    EXPECT_FALSE(IsWindowVisible(Window()));
    EXPECT_EQ(host.log, std::vector<std::string>{"warning No file transfers"});
    EXPECT_EQ(Status(), "");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Window(), 1200)));
    EXPECT_FALSE(CancelEnabled());

    CYolWMUI_FileLoadDlg::HandleTransferEvent(Report(7, "f", 1, 10, 1));
    CYolWMUI_FileLoadDlg::Show(false);
    CYolWMUI_FileLoadDlg::Show(true);
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_EQ(host.log.size(), 1u);
}

// The protocols manager's file commands as the services host sends them.
class FileCommands final : public YolTest::NullProtocolsManager {
public:
    std::vector<std::string> log;
    int AcceptFile(unsigned int account, unsigned int contact, const CYolString& fileName,
                   const CYolString& targetPath) override
    {
        log.push_back("accept " + std::to_string(account) + " " + std::to_string(contact) + " " +
                      fileName.ToUtf8() + " " + targetPath.ToUtf8());
        return 0;
    }
    int RefuseFile(unsigned int account, unsigned int contact, const CYolString& fileName) override
    {
        log.push_back("refuse " + std::to_string(account) + " " + std::to_string(contact) + " " +
                      fileName.ToUtf8());
        return 0;
    }
};

class FileLoadServices : public ::testing::Test {
protected:
    ~FileLoadServices() override
    {
        model.reset();
        services.StopAllQueues();
    }
    void SetUp() override
    {
        services.RegisterService(DatabaseGuid, static_cast<Database::CYolDatabase*>(&database));
        services.RegisterService(ProtocolsManagerGuid, static_cast<Protocols::CProtocolsManager*>(&manager));
        model = std::make_unique<CL::CContactListImpl>(&services);
        contact = model->AddContact(kAccount, 0);
        model->SetItemString(contact, W("SrvLogName"), W("bob@example.org"));
    }

    static constexpr unsigned int kAccount = 3;
    MemoryDatabase database;
    FileCommands manager;
    Services::CServicesManagerImpl services;
    std::unique_ptr<CL::CContactListImpl> model;
    unsigned int contact = 0;
    std::vector<std::string> warnings;
    UI::CYolWMUI_FileLoadServices host{services, nullptr,
                                       [this](const CYolString& text) { warnings.push_back(text.ToUtf8()); }};
};

TEST_F(FileLoadServices, ActionsReachTheContactsAccount)
{
    EXPECT_EQ(host.ContactLogin(contact).ToUtf8(), "bob@example.org");
    EXPECT_TRUE(host.AcceptOffer(contact, W("a.txt"), W("/home/me/a.txt")));
    EXPECT_TRUE(host.DeclineOffer(contact, W("b.txt")));
    host.CancelTransfer(contact, W("c.txt"));
    const std::string id = std::to_string(contact);
    EXPECT_EQ(manager.log, (std::vector<std::string>{"accept 3 " + id + " a.txt /home/me/a.txt",
                                                     "refuse 3 " + id + " b.txt", "refuse 3 " + id + " c.txt"}));
    host.ShowWarning(W("No file transfers"));
    EXPECT_EQ(warnings, std::vector<std::string>{"No file transfers"});
}

TEST_F(FileLoadServices, UnknownContactReachesNoAccount)
{
    EXPECT_FALSE(host.AcceptOffer(contact + 100, W("a.txt"), W("/tmp/a.txt")));
    EXPECT_FALSE(host.DeclineOffer(contact + 100, W("a.txt")));
    EXPECT_EQ(host.ContactLogin(contact + 100).ToUtf8(), "");
    EXPECT_TRUE(manager.log.empty());
}

} // namespace
