// The history dialog over a contact's history file in a temporary folder:
// what it loads, its menu, deleting only after the question, saving as a
// UTF-8 file byte for byte, a failed save that leaves nothing behind and
// says so, finding text, and its picture.

#include "DialogsTestSupport.h"
#include "HistoryTestSupport.h"
#include "MenuTestSupport.h"

#include "CHistoryController.h"
#include "CYolTimeZone.h"
#include "CYolWMMW_HistoryDlg.h"
#include "Controls/ControlButton.h"

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

using namespace dialogs_test;
using MW::CYolWMMW_HistoryDlg;

namespace {

constexpr unsigned int kAccount = 0x10000001;
constexpr unsigned int kAlice = 0x80000001;

class OneContact final : public CHistoryContext {
public:
    unsigned int GetItemAccount(unsigned int id) override { return id == kAlice ? kAccount : 0; }
    bool GetItemString(unsigned int id, const CYolString& name, CYolString& out) override
    {
        if (id != kAlice)
            return false;
        out = name == CYolString(u"SrvLogName") ? CYolString(u"alice") : CYolString(u"Alice");
        return true;
    }
    unsigned int GetParentId(unsigned int) override { return 1; }
    void GetMetaSubContacts(unsigned int, CYolArray<unsigned int>&) override {}
    CYolString GetAccountProtocolName(unsigned int) override { return CYolString(u"P"); }
    CYolString GetAccountLogin(unsigned int) override { return CYolString(u"me"); }
    unsigned char GetPreferenceByte(const CYolString&) override { return 1; }
    CYolString GetOwnName() override { return CYolString(u"Me"); }
};

class ControllerSide final : public CYolWMMW_HistoryDlg::MHistDlgObserver {
public:
    void GetPartFont(RTE::TPartFont& part, int kind) override { owner.GetPartFont(part, kind); }
    void GetColors(COLORREF& text, COLORREF& background) override { owner.GetColors(text, background); }
    MW::TYolWMMWSettings* GetSettings() override { return &owner.settings; }
    history_test::Owner owner;
};

class Warnings final : public MW::MYolWMMW_HistoryDlgHost {
public:
    void ShowWarning(const CYolString& text) override { shown.push_back(text.ToUtf8()); }
    std::vector<std::string> shown;
};

// The dialog with its menus and file browser answered by the test.
class Answered : public CYolWMMW_HistoryDlg {
public:
    using CYolWMMW_HistoryDlg::CYolWMMW_HistoryDlg;

    std::deque<int> choices;
    std::vector<std::vector<std::string>> menus;
    std::string savePath;

protected:
    int ChooseFromMenu(const CYolMenuInfo& menu) override
    {
        std::vector<std::string> captions;
        for (const CYolMenuItemInfo& item : menu)
            captions.push_back(item.kind == CYolMenuItemInfo::Separator ? "-" : item.caption.GetLocalized().ToUtf8());
        menus.push_back(captions);
        if (choices.empty())
            return -1;
        const int choice = choices.front();
        choices.pop_front();
        return choice;
    }
    bool ChooseSavePath(CYolString& path) override
    {
        path = CYolString::FromUtf8(savePath);
        return !savePath.empty();
    }
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

using Dialog = Scripted<Answered>;

class HistoryDialog : public DialogTest, public TempFolder {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        CYolTimeZone::Use("UTC");
        CYolWMMW_HistoryDlg::SetHost(&warnings);
        history = std::make_unique<CHistoryController>(context, CYolString::FromUtf8(Root() + "/History"));
    }
    void TearDown() override
    {
        CYolWMMW_HistoryDlg::SetHost(nullptr);
        CYolTimeZone::Use(nullptr);
        DialogTest::TearDown();
    }
    void Append(unsigned char direction, unsigned int time, const char* text)
    {
        ASSERT_EQ(history->AppendHistoryMessage(kAlice, 1, direction, 0, time, CYolString::FromUtf8(text)), 0);
    }
    // Runs the dialog; `script` runs once it is up, then it closes.
    void Run(Scripted<Answered>& dialog, const std::function<void(Answered&)>& script)
    {
        dialog.savePath = savePath;
        dialog.script = [&](auto& d) {
            script(d);
            if (IsWindow(d.Handle()))
                EndDialog(d.Handle(), 2);
        };
        EXPECT_EQ(dialog.DoModal(parent), 2);
    }
    std::string HistoryFile() const { return history->HistoryFilePath(kAlice).ToUtf8(); }

    OneContact context;
    std::unique_ptr<CHistoryController> history;
    ControllerSide side;
    Warnings warnings;
    std::string savePath;
};

} // namespace

TEST_F(HistoryDialog, LoadsEveryMessageAsPlainText)
{
    Append(0, 1000000000, "see http://x.org :)");
    Append(1, 1000000060, "ok");
    history_test::SmilePack pack(*this, {":)"});
    Dialog dialog(kAlice, &side, history.get());
    Run(dialog, [&](Answered& d) {
        ASSERT_EQ(d.View()->ParaCount(), 2);
        EXPECT_EQ(history_test::Runs(*d.View()->Document()[0]),
                  "# 1' Alice: ' 7'see http://x.org :)'");
        EXPECT_EQ(d.View()->Smileys().Count(), 0);
        EXPECT_EQ(SoftKeyText(d, UI::CYolWMUI_BigDlg::ELeft), "Find >");
        EXPECT_EQ(SoftKeyText(d, UI::CYolWMUI_BigDlg::ERight), "Menu");
        SoftKey(d, UI::CYolWMUI_BigDlg::ERight);
        ASSERT_EQ(d.menus.size(), 1u);
        EXPECT_EQ(d.menus[0], (std::vector<std::string>{"Total: 2", "-", "Refresh", "Delete", "Save as...", "-",
                                                        "Close"}));
    });
}

TEST_F(HistoryDialog, DeletesOnlyWhenTheQuestionIsAnsweredYes)
{
    struct Case {
        const char* what;
        std::deque<int> choices;
        bool deleted;
    };
    const Case cases[] = {
        {"question left unanswered", {CYolWMMW_HistoryDlg::EDelete}, false},
        {"kept", {CYolWMMW_HistoryDlg::EDelete, CYolWMMW_HistoryDlg::EKeepHistory}, false},
        {"confirmed", {CYolWMMW_HistoryDlg::EDelete, CYolWMMW_HistoryDlg::EConfirmDelete}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(Root() + "/History");
        Append(0, 1000000000, "hello");
        Dialog dialog(kAlice, &side, history.get());
        dialog.choices = c.choices;
        Run(dialog, [&](Answered& d) {
            SoftKey(d, UI::CYolWMUI_BigDlg::ERight);
            ASSERT_EQ(d.menus.size(), 2u);
            EXPECT_EQ(d.menus[1], (std::vector<std::string>{"Delete", "Cancel"}));
            EXPECT_EQ(d.View()->IsEmpty(), c.deleted);
            EXPECT_EQ(std::filesystem::exists(HistoryFile()), !c.deleted);
            d.choices = {CYolWMMW_HistoryDlg::ERefresh};
            d.menus.clear();
            SoftKey(d, UI::CYolWMUI_BigDlg::ERight);
            EXPECT_EQ(d.View()->ParaCount(), c.deleted ? 0 : 1);
            SoftKey(d, UI::CYolWMUI_BigDlg::ERight);
            EXPECT_EQ(d.menus.back()[0], c.deleted ? "Total: 0" : "Total: 1");
        });
    }
}

TEST_F(HistoryDialog, SavesTheHistoryAsUtf8WithAByteOrderMark)
{
    Append(0, 1000000000, "Привет");
    Append(1, 1000000060, "a\r\nb");
    savePath = Root() + "/out.txt";
    side.owner.settings.showTime = true;
    Dialog dialog(kAlice, &side, history.get());
    dialog.choices = {CYolWMMW_HistoryDlg::ESaveAs};
    Run(dialog, [&](Answered& d) { SoftKey(d, UI::CYolWMUI_BigDlg::ERight); });
    EXPECT_EQ(ReadAll(savePath), "\xEF\xBB\xBF"
                                 " Alice (Sun Sep  9 01:46:40 2001): Привет\r\n\r\n"
                                 " Me (Sun Sep  9 01:47:40 2001): a\r\nb");
    EXPECT_TRUE(warnings.shown.empty());
}

TEST_F(HistoryDialog, AnEmptyHistorySavesTheMarkAlone)
{
    savePath = Root() + "/empty.txt";
    Dialog dialog(kAlice, &side, history.get());
    dialog.choices = {CYolWMMW_HistoryDlg::ESaveAs};
    Run(dialog, [&](Answered& d) { SoftKey(d, UI::CYolWMUI_BigDlg::ERight); });
    EXPECT_EQ(ReadAll(savePath), "\xEF\xBB\xBF");
}

TEST_F(HistoryDialog, AFailedSaveIsReportedAndLeavesNothing)
{
    Append(0, 1000000000, "hello");
    struct Case {
        const char* what;
        std::string path;
        std::string folder;
    };
    std::filesystem::create_directories(Root() + "/taken/out.txt");
    const Case cases[] = {
        {"a folder that is not there", Root() + "/missing/out.txt", Root()},
        {"a folder in the file's place", Root() + "/taken/out.txt", Root() + "/taken"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        warnings.shown.clear();
        savePath = c.path;
        Dialog dialog(kAlice, &side, history.get());
        dialog.choices = {CYolWMMW_HistoryDlg::ESaveAs};
        Run(dialog, [&](Answered& d) { SoftKey(d, UI::CYolWMUI_BigDlg::ERight); });
        ASSERT_EQ(warnings.shown.size(), 1u);
        EXPECT_NE(warnings.shown[0].find(c.path), std::string::npos);
        for (const auto& entry : std::filesystem::directory_iterator(c.folder))
            EXPECT_EQ(entry.path().filename().string().find(".yol-"), std::string::npos) << entry.path();
        EXPECT_FALSE(std::filesystem::is_regular_file(c.path));
    }
}

TEST_F(HistoryDialog, TheFindBarSitsAboveTheViewAndFindsText)
{
    Append(0, 1000000000, "alpha beta");
    Append(1, 1000000060, "gamma? no, delta");
    menu_test::SolidSkin skin;
    UI::SetShellSkin(&skin);
    Dialog dialog(kAlice, &side, history.get());
    Run(dialog, [&](Answered& d) {
        const HWND view = d.View()->Handle();
        EXPECT_FALSE(IsWindowVisible(d.GetDlgItem(1056)));
        SoftKey(d, UI::CYolWMUI_BigDlg::ELeft);
        EXPECT_TRUE(d.FindBarShown());
        EXPECT_TRUE(IsWindowVisible(d.GetDlgItem(1056)));
        EXPECT_EQ(SoftKeyText(d, UI::CYolWMUI_BigDlg::ELeft), "Find <");
        EXPECT_EQ(Text(d, 1066), "Find text:");
        RECT box{};
        RECT shown{};
        GetWindowRect(d.GetDlgItem(1065), &box);
        GetWindowRect(view, &shown);
        // One pixel of the screen's density below the match-case box.
        EXPECT_EQ(shown.top, box.bottom + UI::ScaleY(1));
        SaveGallery(d, "history");
        std::vector<int> icons;
        for (const auto& drawn : skin.drawn)
            icons.push_back(drawn.id);
        EXPECT_NE(std::find(icons.begin(), icons.end(), 27), icons.end()) << "the incoming message's icon";
        EXPECT_NE(std::find(icons.begin(), icons.end(), 28), icons.end()) << "the outgoing message's icon";

        UI::SetDlgItemString(d, 1056, CYolString(u"beta"));
        SendMessage(d, WM_COMMAND, MAKEWPARAM(1019, BN_CLICKED), 0);
        EXPECT_TRUE(d.View()->HasSelection());
        EXPECT_TRUE(warnings.shown.empty());
        UI::SetDlgItemString(d, 1056, CYolString(u"epsilon"));
        SendMessage(d, WM_COMMAND, MAKEWPARAM(1019, BN_CLICKED), 0);
        EXPECT_EQ(warnings.shown, (std::vector<std::string>{"The specified text was not found"}));

        SoftKey(d, UI::CYolWMUI_BigDlg::ELeft);
        GetWindowRect(view, &shown);
        EXPECT_FALSE(IsWindowVisible(d.GetDlgItem(1056)));
        EXPECT_LT(shown.top, box.top);
    });
    UI::SetShellSkin(nullptr);
}
