// The preferences dialog run for real on the headless screen: which pane
// opens, what each pane loads and saves and which groups it announces, the
// enable rules, the fields it refuses (the dialog stays open on them), and
// the connection and accounts panes over their services.

#include "DialogsTestSupport.h"
#include "PrefsTestSupport.h"

#include "CYolPath.h"
#include "CYolWMUI_PrefsAccountsPan.h"
#include "CYolWMUI_PrefsDlg.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "TestSupport.h"
#include "WindowSystem/WindowFocus.h"

#include <functional>
#include <set>

using namespace dialogs_test;
using UI::CYolWMUI_BigDlg;
using UI::CYolWMUI_PrefsDlg;

namespace {

enum Pane : int { General, ContactList, Events, Alerts, Interface, History, Antispam, Hardware, Connection, Accounts };

using Dialog = Scripted<CYolWMUI_PrefsDlg>;

class PrefsDialog : public DialogTest, public TempFolder {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        CYolPath::SetAppDir(W(Root()));
        observers.Add(&observer);
    }
    void TearDown() override
    {
        CYolPath::SetAppDir(CYolString());
        DialogTest::TearDown();
    }

    // Runs the dialog on `first` with the script; answers its result.
    std::intptr_t Run(int first, const std::function<void(Dialog&)>& script)
    {
        Dialog dialog(prefs, observers, first, host);
        dialog.script = script;
        return dialog.CYolWMUI_SettingsControllerDlg::Run(parent);
    }
    static HWND PaneOf(Dialog& d, int pane) { return d.GetTab(pane)->pan->Handle(); }
    static bool Enabled(HWND pane, int id) { return IsWindowEnabled(GetDlgItem(pane, id)); }
    static bool Checked(HWND pane, int id) { return SendMessage(GetDlgItem(pane, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // A tap on a check box: it flips and tells its pane.
    static void Flip(HWND pane, int id)
    {
        SendMessage(GetDlgItem(pane, id), BM_SETCHECK, Checked(pane, id) ? BST_UNCHECKED : BST_CHECKED, 0);
        SendMessage(pane, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(pane, id)));
    }
    static void Choose(HWND pane, int combo, int index)
    {
        SendMessage(GetDlgItem(pane, combo), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessage(pane, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(combo), CBN_SELENDOK),
                    reinterpret_cast<LPARAM>(GetDlgItem(pane, combo)));
    }
    // The announced groups without the anti-spam switch every OK announces.
    std::vector<int> Announced() const
    {
        std::vector<int> out;
        for (int type : observer.types)
            if (type != 22)
                out.push_back(type);
        return out;
    }

    // A record as the program loads it: the language is always named, so an
    // untouched language combo changes nothing.
    static UI::TYolWMPrefs Loaded()
    {
        UI::TYolWMPrefs loaded;
        loaded.Lang = W("English");
        return loaded;
    }

    UI::TYolWMPrefs prefs = Loaded();
    RecordingPrefsHost host;
    RecordingObserver observer;
    CYolArray<UI::MYolWMUI_PrefsChangeObserver*> observers;
};

TEST_F(PrefsDialog, OpensOnTheAskedPaneWithAllTenAndLeavesAPictureOfEach)
{
    const char* names[] = {"general", "contact_list", "events", "alerts", "interface",
                           "history", "antispam", "hardware", "connection", "accounts"};
    host.manager.accounts = {1, 2, 3};
    for (int pane = General; pane <= Accounts; ++pane) {
        EXPECT_EQ(Run(pane, [&](Dialog& d) {
                      EXPECT_EQ(d.TabCount(), CYolWMUI_PrefsDlg::kPaneCount);
                      EXPECT_EQ(d.GetCurTabId(), pane);
                      EXPECT_EQ(SoftKeyText(d, CYolWMUI_BigDlg::ELeft), "OK");
                      EXPECT_EQ(SoftKeyText(d, CYolWMUI_BigDlg::ERight), "Cancel");
                      SaveGallery(d, std::string("prefs_") + names[pane]);
                      SoftKey(d, CYolWMUI_BigDlg::ERight);
                  }),
                  2);
    }
    EXPECT_TRUE(observer.types.empty());
    EXPECT_EQ(host.sockets.sets, 0);
}

TEST_F(PrefsDialog, OkWithoutChangesAnnouncesOnlyTheAntispamSwitchAndRestoresTheCoresSwitches)
{
    host.sync = true;
    host.fromNotInList = false;
    EXPECT_EQ(Run(General, [&](Dialog& d) { SoftKey(d, CYolWMUI_BigDlg::ELeft); }), 1);
    EXPECT_EQ(observer.types, std::vector<int>{22});
    EXPECT_EQ(host.syncSets, 1);
    EXPECT_TRUE(host.sync);
    EXPECT_EQ(host.fromNotInListSets, 1);
    EXPECT_FALSE(host.fromNotInList);
    EXPECT_EQ(host.sockets.sets, 1);
}

TEST_F(PrefsDialog, CheckBoxesStoreTheirFieldsAndAnnounceOnlyTheirGroups)
{
    using P = UI::TYolWMPrefs;
    struct Case {
        int pane;
        int box;
        std::function<unsigned int(const P&)> field;
        std::vector<int> announced;
    };
    const Case cases[] = {
        {General, 1143, [](const P& p) { return unsigned(p.GlobAutoConnect); }, {}},
        {General, 1141, [](const P& p) { return unsigned(p.GlobTrayIcon); }, {0}},
        {ContactList, 1028, [](const P& p) { return p.CLMeta; }, {4}},
        {ContactList, 1025, [](const P& p) { return unsigned(p.CLOnlyOnline); }, {6}},
        {Events, 1058, [](const P& p) { return unsigned(p.SignOn); }, {}},
        {Alerts, 1027, [](const P& p) { return p.AlertSoundOn; }, {10}},
        {Alerts, 1030, [](const P& p) { return p.AlertAdvancedSound; }, {}},
        {Interface, 1044, [](const P& p) { return p.UseSmile; }, {19}},
        {Interface, 1045, [](const P& p) { return p.ScaleSmile; }, {20}},
        {History, 1034, [](const P& p) { return unsigned(p.HistShowInMW); }, {}},
        {Hardware, 1027, [](const P& p) { return unsigned(p.GlobDontSleep); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pane " << c.pane << " box " << c.box);
        prefs = Loaded();
        observer.types.clear();
        const unsigned int before = c.field(prefs);
        EXPECT_EQ(Run(c.pane, [&](Dialog& d) {
                      Flip(PaneOf(d, c.pane), c.box);
                      SoftKey(d, CYolWMUI_BigDlg::ELeft);
                  }),
                  1);
        EXPECT_EQ(c.field(prefs), before ? 0u : 1u);
        EXPECT_EQ(Announced(), c.announced);
    }
}

TEST_F(PrefsDialog, EnableRulesFollowTheBoxesAtLoadAndOnEachClick)
{
    struct Case {
        const char* name;
        int pane;
        std::vector<int> flips;
        std::vector<int> enabled;
        std::vector<int> disabled;
    };
    const Case cases[] = {
        {"events on", Events, {}, {1058, 1061, 1063, 1102}, {}},
        {"events off", Events, {1057}, {}, {1058, 1059, 1060, 1061, 1097, 1100, 1063, 1101, 1064, 1102}},
        {"no tray messages", Events, {1061}, {1058, 1061}, {1063, 1101, 1064, 1102}},
        {"sound on, plain engine", Alerts, {}, {1030, 1115, 1029}, {1118, 1114}},
        {"advanced engine", Alerts, {1030}, {1118, 1114}, {}},
        {"sound off, vibration on", Alerts, {1027}, {1029, 1113}, {1030, 1118}},
        {"sound and vibration off", Alerts, {1027, 1028}, {}, {1029, 1113}},
        {"no history", History, {1032}, {}, {1033, 1103, 1034, 1104, 1056, 1092, 1093}},
        {"history not shown", History, {1034}, {1033}, {1056, 1092, 1093}},
        {"bot off", Antispam, {}, {1172}, {1175, 1177, 1179}},
        {"bot on", Antispam, {1172}, {1175, 1177, 1179, 1174}, {}},
        {"only my list", Antispam, {1172, 1170}, {}, {1172, 1173, 1175, 1177, 1179}},
        {"smileys off", Interface, {1044}, {1032}, {1033, 1045, 1106}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Run(c.pane, [&](Dialog& d) {
            const HWND pane = PaneOf(d, c.pane);
            for (int id : c.flips)
                Flip(pane, id);
            for (int id : c.enabled)
                EXPECT_TRUE(Enabled(pane, id)) << id;
            for (int id : c.disabled)
                EXPECT_FALSE(Enabled(pane, id)) << id;
            SoftKey(d, CYolWMUI_BigDlg::ERight);
        });
    }
}

TEST_F(PrefsDialog, CombosShowTheirEntriesAndAStoredValueTheyLackIsKept)
{
    struct Case {
        unsigned int columns;
        int shown;   // selected entry at load, -1 none
        int chosen;  // entry chosen before OK, -1 untouched
        unsigned int stored;
        bool announced;
    };
    const Case cases[] = {{2, 1, -1, 2, false}, {2, 1, 3, 4, true}, {9, -1, -1, 9, false}, {0, -1, 0, 1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.columns);
        prefs.CLColumns = c.columns;
        observer.types.clear();
        Run(ContactList, [&](Dialog& d) {
            const HWND combo = GetDlgItem(PaneOf(d, ContactList), 1026);
            ASSERT_EQ(SendMessage(combo, CB_GETCOUNT, 0, 0), 4);
            EXPECT_EQ(UI::GetComboText(combo, 0).ToUtf8(), "1");
            EXPECT_EQ(UI::GetComboText(combo, 3).ToUtf8(), "4");
            EXPECT_EQ(UI::GetComboSelection(combo), c.shown);
            if (c.chosen >= 0)
                SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(c.chosen), 0);
            SoftKey(d, CYolWMUI_BigDlg::ELeft);
        });
        EXPECT_EQ(prefs.CLColumns, c.stored);
        EXPECT_EQ(Announced() == std::vector<int>{7}, c.announced);
    }
}

TEST_F(PrefsDialog, LedCombosOfferAutoAndTheLedsAndStoreTheIndexLessOne)
{
    struct Case {
        unsigned char stored;
        int shown;
        int chosen;
        unsigned char after;
    };
    // Two LEDs: "Auto", "1", "2".
    const Case cases[] = {{255, 0, -1, 255}, {2, 0, -1, 255}, {1, 2, -1, 1}, {0, 1, 2, 1}, {1, 2, 0, 255}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.stored));
        prefs.HardBlinkLed = c.stored;
        Run(Hardware, [&](Dialog& d) {
            const HWND combo = GetDlgItem(PaneOf(d, Hardware), 1186);
            EXPECT_EQ(SendMessage(combo, CB_GETCOUNT, 0, 0), 3);
            EXPECT_EQ(UI::GetComboText(combo, 0).ToUtf8(), "Auto");
            EXPECT_EQ(UI::GetComboSelection(combo), c.shown);
            if (c.chosen >= 0)
                SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(c.chosen), 0);
            SoftKey(d, CYolWMUI_BigDlg::ELeft);
        });
        EXPECT_EQ(prefs.HardBlinkLed, c.after);
    }
}

TEST_F(PrefsDialog, ANumberOutOfItsRangeKeepsTheDialogOpenOnTheFieldAndSavesNothing)
{
    struct Case {
        int pane;
        int edit;
        const char16_t* typed;
        bool refused;
    };
    const Case cases[] = {
        {History, 1056, u"abc", true},     {History, 1056, u"0", true},      {History, 1056, u"21", true},
        {History, 1056, u"", true},        {History, 1056, u"99999999999", true}, {History, 1056, u"20", false},
        {Connection, 1010, u"70000", true}, {Connection, 1010, u"8080", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CYolString(c.typed).ToUtf8());
        prefs = Loaded();
        host.sockets = SettingsOnlySockets();
        host.sockets.settings.proxyType = 1;
        bool stayed = false;
        const std::intptr_t result = Run(General, [&](Dialog& d) {
            // A change on another pane must not be half saved by a refusal.
            Flip(PaneOf(d, General), 1141);
            const HWND pane = PaneOf(d, c.pane);
            SetDlgItemText(pane, c.edit, c.typed);
            // The OK soft key's own path, which answers whether the dialog ends.
            stayed = d.EndDialog(1) == 0;
            if (!stayed)
                return;
            EXPECT_EQ(d.GetCurTabId(), c.pane);
            EXPECT_EQ(GetFocus(), GetDlgItem(pane, c.edit));
            EXPECT_NE(Text(pane, 1301).find("number from"), std::string::npos);
            if (c.pane == History && CYolString(c.typed) == CYolString(u"abc"))
                SaveGallery(d, "prefs_refused_number");
            EXPECT_TRUE(prefs.GlobTrayIcon);
            SoftKey(d, CYolWMUI_BigDlg::ERight);
        });
        EXPECT_EQ(stayed, c.refused);
        EXPECT_EQ(result, c.refused ? 2 : 1);
        EXPECT_EQ(prefs.GlobTrayIcon, c.refused);
        if (!c.refused && c.pane == History) {
            EXPECT_EQ(prefs.HistMsgCountForShow, 20u);
        }
        if (!c.refused && c.pane == Connection) {
            EXPECT_EQ(host.sockets.settings.proxyPort, 8080u);
        }
    }
}

TEST_F(PrefsDialog, SmileysAreAnnouncedOnceWhateverChangedOfThem)
{
    Put("Smilies/Apple/_define.ini", "x");
    Put("Smilies/Berry/_define.ini", "x");
    struct Case {
        const char* name;
        bool flip;
        int pack;
        std::vector<int> announced;
        const char* packAfter;
        unsigned int useAfter;
    };
    const Case cases[] = {
        {"nothing", false, -1, {}, "Apple", 1},
        {"only the switch", true, -1, {19}, "Apple", 0},
        {"switch and pack", true, 1, {19}, "Berry", 0},
        {"only the pack", false, 1, {19}, "Berry", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prefs.SmilePack = W("Apple");
        prefs.UseSmile = 1;
        observer.types.clear();
        Run(Interface, [&](Dialog& d) {
            const HWND pane = PaneOf(d, Interface);
            EXPECT_EQ(UI::GetComboText(GetDlgItem(pane, 1033), UI::GetComboSelection(GetDlgItem(pane, 1033))).ToUtf8(),
                      "Apple");
            if (c.flip)
                Flip(pane, 1044);
            if (c.pack >= 0)
                SendMessage(GetDlgItem(pane, 1033), CB_SETCURSEL, static_cast<WPARAM>(c.pack), 0);
            SoftKey(d, CYolWMUI_BigDlg::ELeft);
        });
        EXPECT_EQ(Announced(), c.announced);
        EXPECT_EQ(prefs.SmilePack.ToUtf8(), c.packAfter);
        EXPECT_EQ(prefs.UseSmile, c.useAfter);
    }
}

TEST_F(PrefsDialog, AntispamTextsGoToTheContactListOnlyWhenChanged)
{
    prefs.AntispamQuestion = W("2+2?");
    prefs.AntispamAnswer = W("4");
    prefs.AntispamConfirm = W("Thanks");
    Run(Antispam, [&](Dialog& d) {
        const HWND pane = PaneOf(d, Antispam);
        EXPECT_EQ(Text(pane, 1175), "2+2?");
        EXPECT_TRUE(Checked(pane, 1170) == !host.fromNotInList);
        Flip(pane, 1172);
        SetDlgItemText(pane, 1177, u"four");
        SoftKey(d, CYolWMUI_BigDlg::ELeft);
    });
    EXPECT_EQ(host.antispam, (std::vector<std::string>{"enable=1", "answer=four"}));
    EXPECT_EQ(observer.types, (std::vector<int>{22, 24}));
    EXPECT_EQ(prefs.AntispamAnswer.ToUtf8(), "four");
    EXPECT_TRUE(prefs.AntispamEnable);
}

TEST_F(PrefsDialog, ConnectionPaneReplacesOnlyTheProxyFieldsAndCutsLongTexts)
{
    Sockets::ConnectionSettings& s = host.sockets.settings;
    s.accessPoint = W("ap");
    s.host = W("server");
    s.proxyType = 3;
    s.proxyHost = W("proxy");
    s.proxyPort = 1080;
    s.proxyAuth = 0;
    const std::u16string longName(300, u'x');
    EXPECT_EQ(Run(Connection, [&](Dialog& d) {
                  const HWND pane = PaneOf(d, Connection);
                  EXPECT_EQ(UI::GetComboText(GetDlgItem(pane, 1008), 3).ToUtf8(), "SOCKS 5");
                  EXPECT_EQ(UI::GetComboSelection(GetDlgItem(pane, 1008)), 3);
                  EXPECT_EQ(Text(pane, 1010), "1080");
                  // SOCKS 5 without authentication: no credentials.
                  EXPECT_TRUE(Enabled(pane, 1009));
                  EXPECT_TRUE(Enabled(pane, 1011));
                  EXPECT_FALSE(Enabled(pane, 1012));
                  Flip(pane, 1011);
                  EXPECT_TRUE(Enabled(pane, 1013));
                  Choose(pane, 1008, 0);
                  EXPECT_FALSE(Enabled(pane, 1009));
                  EXPECT_FALSE(Enabled(pane, 1010));
                  EXPECT_FALSE(Enabled(pane, 1012));
                  Choose(pane, 1008, 1);
                  SendMessage(GetDlgItem(pane, 1009), EM_LIMITTEXT, 0, 0);
                  SetDlgItemText(pane, 1009, longName.c_str());
                  SetDlgItemText(pane, 1012, u"user");
                  SoftKey(d, CYolWMUI_BigDlg::ELeft);
              }),
              1);
    EXPECT_EQ(s.accessPoint.ToUtf8(), "ap");
    EXPECT_EQ(s.host.ToUtf8(), "server");
    EXPECT_EQ(s.proxyType, 1u);
    EXPECT_EQ(s.proxyHost.Length(), 255);
    EXPECT_EQ(s.proxyAuth, 1u);
    EXPECT_EQ(s.proxyLogin.ToUtf8(), "user");
    EXPECT_EQ(s.proxyPort, 1080u);
}

// --- Accounts ---------------------------------------------------------------------

using AccountsPan = CYolWMUI_PrefsDlg::CAccountsPan;

AccountsPan& AccountsOf(Dialog& d)
{
    return *dynamic_cast<AccountsPan*>(d.GetTab(Accounts)->pan);
}

TEST_F(PrefsDialog, AccountRowsShowProtocolAndLoginAndMoveWithTheManager)
{
    host.manager.accounts = {1, 2, 3};
    host.manager.nextId = 4;
    Run(Accounts, [&](Dialog& d) {
        AccountsPan& pane = AccountsOf(d);
        ASSERT_EQ(pane.RowCount(), 3);
        EXPECT_EQ(pane.SelectedRow(), 0);
        EXPECT_EQ(pane.RowText(1).ToUtf8(), "Alpha alice@example.org");
        EXPECT_EQ(pane.RowText(3).ToUtf8(), " <empty>");
        const auto press = [&](int button) {
            SendMessage(pane.Handle(), WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(button), BN_CLICKED), 0);
        };
        press(AccountsPan::EUp);  // the first row stays first
        EXPECT_EQ(host.manager.accounts, (std::vector<unsigned int>{1, 2, 3}));
        press(AccountsPan::EDown);
        EXPECT_EQ(host.manager.accounts, (std::vector<unsigned int>{2, 1, 3}));
        EXPECT_EQ(pane.SelectedRow(), 1);
        EXPECT_EQ(pane.RowAccount(1), 1u);
        press(AccountsPan::EDown);
        press(AccountsPan::EDown);  // the last row stays last
        EXPECT_EQ(host.manager.accounts, (std::vector<unsigned int>{2, 3, 1}));
        press(AccountsPan::EEnable);
        EXPECT_EQ(host.manager.accounts, (std::vector<unsigned int>{2, 3, 1}));
        press(AccountsPan::EDelete);
        EXPECT_EQ(host.manager.deleted, std::vector<unsigned int>{1});
        EXPECT_EQ(pane.RowCount(), 2);
        EXPECT_EQ(pane.SelectedRow(), 1);
        press(AccountsPan::EUp);
        press(AccountsPan::EDelete);  // the first row: the new first is selected
        EXPECT_EQ(host.manager.deleted, (std::vector<unsigned int>{1, 3}));
        EXPECT_EQ(pane.SelectedRow(), 0);
        press(AccountsPan::EDelete);
        EXPECT_EQ(pane.RowCount(), 0);
        press(AccountsPan::EDelete);  // nothing selected: nothing happens
        EXPECT_EQ(host.manager.deleted.size(), 3u);
        // Gone at once: Cancel does not bring them back.
        SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
    EXPECT_TRUE(host.manager.accounts.empty());
}

TEST_F(PrefsDialog, AddChoosesAProtocolFromTheMenuAndConnectsTheAcceptedAccount)
{
    host.manager.accounts = {1};
    host.manager.nextId = 7;
    Run(Accounts, [&](Dialog& d) {
        AccountsPan& pane = AccountsOf(d);
        // The menu lists "Alpha", "Beta": the second is chosen. The plug-in
        // gives no settings page, so there is nothing to refuse.
        Platform::InjectKey(VK_DOWN);
        Platform::InjectKey(VK_DOWN);
        Platform::InjectKey(VK_RETURN);
        SendMessage(pane.Handle(), WM_COMMAND, MAKEWPARAM(AccountsPan::EAdd, BN_CLICKED), 0);
        EXPECT_EQ(pane.RowCount(), 2);
        EXPECT_EQ(pane.SelectedRow(), 1);
        EXPECT_EQ(pane.RowAccount(1), 7u);
        EXPECT_EQ(pane.AddAccountOfProtocol(5), 0u);
        EXPECT_EQ(pane.RowCount(), 2);
        SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
    EXPECT_EQ(host.manager.accounts, (std::vector<unsigned int>{1, 7}));
    EXPECT_EQ(host.accepted, std::vector<unsigned int>{7});
    EXPECT_EQ(host.connected, std::vector<unsigned int>{7});
}

} // namespace
