// What the accounts report and how the manager hands it on: the global
// status, the account events, logon dates, extended status and the
// language change.

#include "CYolClock.h"
#include "ProtocolsTestSupport.h"

namespace ProtocolsTest {
namespace {

class Notifications : public ProtocolsFixture {
protected:
    void SetUp() override {
        ProtocolsFixture::SetUp();
        Install("Ruv", {Line(kRuv, "Ruv")});
        Install("Other", {Line(kOther, "Other")});
        // The preferences' language change, which the manager subscribes to
        // when the services start.
        preferencesEvent = services.RegisterEvent(PreferencesGuid, 1);
        StartServices();
        for (int i = 0; i < 3; ++i)
            accounts.push_back(Manager().AddAccount(Guid(kRuv)));
        control = ControlOf("Ruv");
        ASSERT_NE(control, nullptr);
        ASSERT_TRUE(control->WaitForEvents(12));
        control->Clear();
        recorder.Clear();
    }

    // An event as an account sends it, with arguments of the test's making.
    void Report(const char* protocol, unsigned int account, int event, CEventArg* extra) {
        services.SendEvent(Manager().GetEventsClientId(), Guid(protocol), event, new CEventArg_Data<unsigned int>(account),
                           extra, false);
    }

    // The account's status becomes `status` and the account reports it; back
    // once the manager has handed the report on (its own broadcast comes
    // last).
    void ReportStatus(unsigned int account, int status) {
        auto own = [&] {
            size_t n = 0;
            for (const BroadcastRecorder::Item& item : recorder.Of(ProtocolsManagerEvent::StatusChanged))
                n += Value<int>(item.arg) == static_cast<int>(account);
            return n;
        };
        size_t before = own();
        control->SetStatus(account, status);
        ASSERT_EQ(control->postStatus(account, status), 1);
        ASSERT_TRUE(WaitFor([&] { return own() > before; }));
    }

    std::vector<unsigned int> accounts;
    TestPlugin::Control* control = nullptr;
    unsigned int preferencesEvent = 0;
};

// --- global status ---------------------------------------------------------------

struct Step {
    int account;  // index into the accounts
    int status;
    // StatusChanged broadcasts this step makes, in order: (account index or
    // -1 for the global status, status).
    std::vector<std::pair<int, int>> broadcasts;
    int global;  // the global status afterwards
};

struct Sequence {
    const char* what;
    std::vector<Step> steps;
};

const Sequence kSequences[] = {
    {"the first to connect raises it, and it follows the accounts while they agree",
     {{0, Connecting, {{-1, Connecting}, {0, Connecting}}, Connecting},
      {1, Online, {{-1, Online}, {1, Online}}, Online},
      {0, Online, {{-1, Online}, {0, Online}}, Online}}},
    {"accounts that disagree leave it where it is until they agree again",
     {{0, Online, {{-1, Online}, {0, Online}}, Online},
      {1, Away, {{1, Away}}, Online},
      {0, Away, {{-1, Away}, {0, Away}}, Away}}},
    {"one going offline while another stays connected leaves it",
     {{0, Online, {{-1, Online}, {0, Online}}, Online},
      {1, Occupied, {{1, Occupied}}, Online},
      {0, Offline, {{0, Offline}}, Online}}},
    {"the last connected going offline brings it down before its own report",
     {{0, Online, {{-1, Online}, {0, Online}}, Online},
      {0, Offline, {{-1, Offline}, {0, Offline}}, Offline}}},
    {"falling to the highest status left once none stays connected",
     {{0, Connecting, {{-1, Connecting}, {0, Connecting}}, Connecting},
      {1, Online, {{-1, Online}, {1, Online}}, Online},
      {1, Offline, {{-1, Connecting}, {1, Offline}}, Connecting},
      {0, Offline, {{-1, Offline}, {0, Offline}}, Offline}}},
    {"from connecting it falls only when every account is offline",
     {{0, Connecting, {{-1, Connecting}, {0, Connecting}}, Connecting},
      {1, Connecting, {{1, Connecting}}, Connecting},
      {0, Offline, {{0, Offline}}, Connecting},
      {1, Offline, {{-1, Offline}, {1, Offline}}, Offline}}},
};

TEST_F(Notifications, GlobalStatusFollowsTheAccountsStatusSequences) {
    for (const Sequence& sequence : kSequences) {
        SCOPED_TRACE(sequence.what);
        // Every account offline and the global status back at Offline: one
        // account connects and goes again.
        for (unsigned int id : accounts)
            control->SetStatus(id, Offline);
        ReportStatus(accounts[0], Online);
        ReportStatus(accounts[0], Offline);
        ASSERT_EQ(Manager().GetGlobalStatus(), Offline);

        for (size_t i = 0; i < sequence.steps.size(); ++i) {
            const Step& step = sequence.steps[i];
            SCOPED_TRACE("step " + std::to_string(i));
            recorder.Clear();
            ReportStatus(accounts[step.account], step.status);
            std::vector<std::pair<int, int>> seen;
            for (const BroadcastRecorder::Item& item : recorder.Of(ProtocolsManagerEvent::StatusChanged)) {
                int who = Value<int>(item.arg);
                int index = -1;
                for (size_t a = 0; a < accounts.size(); ++a)
                    if (static_cast<int>(accounts[a]) == who)
                        index = static_cast<int>(a);
                seen.emplace_back(who == 0 ? -1 : index, Value<StatusInfo>(item.extra).status);
            }
            EXPECT_EQ(seen, step.broadcasts);
            Status global = Offline;
            Manager().GetStatus(0, global);
            EXPECT_EQ(global, step.global);
        }
    }
}

TEST_F(Notifications, TheGlobalReportCarriesTheGlobalListsEntry) {
    control->SetStatus(accounts[0], Away);
    control->postStatus(accounts[0], Away);
    ASSERT_TRUE(recorder.WaitForCount(ProtocolsManagerEvent::StatusChanged, 2));
    BroadcastRecorder::Item global = recorder.Of(ProtocolsManagerEvent::StatusChanged)[0];
    EXPECT_EQ(Value<int>(global.arg), 0);
    EXPECT_EQ(Value<StatusInfo>(global.extra).status, Away);
    EXPECT_EQ(Value<StatusInfo>(global.extra).name.ToUtf8(), "Away");
    // The account's own report is the account's record, in a copy.
    BroadcastRecorder::Item own = recorder.Of(ProtocolsManagerEvent::StatusChanged)[1];
    EXPECT_EQ(Value<StatusInfo>(own.extra).name.ToUtf8(), "status");

    StatusInfo entry;
    EXPECT_EQ(Manager().GetStatusInfo(0, Online, entry), 0);
    EXPECT_EQ(entry.name.ToUtf8(), "Online");
    StatusInfo untouched(Evil, Text("unchanged"));
    EXPECT_EQ(Manager().GetStatusInfo(0, Evil, untouched), 0);
    EXPECT_EQ(untouched.name.ToUtf8(), "unchanged");
}

// --- account events ----------------------------------------------------------------

TEST_F(Notifications, AccountEventsAreHandedOnAsCopiesOfTheirOwn) {
    UserInfo user;
    user.contactId = 9;
    user.nick = Text("nick");
    NotificationInfo note(Text("title"), CYolFormatString(Text("body")));
    CYolArray<unsigned int> icon;
    icon.Add(4);
    StatusIconInfo iconInfo;
    iconInfo.index = 2;
    iconInfo.icon.Add(6);
    TimerRequest timer;
    timer.info.context = &timer;
    timer.requestId = 77;
    FTProgress progress;
    progress.fileName = Text("f.bin");
    progress.doneSize = 10;

    struct Row {
        int event;
        int broadcast;
        CEventArg* extra;
        std::function<void(CEventArg*)> check;
    };
    const Row rows[] = {
        {AccountEvent::ClearContacts, ProtocolsManagerEvent::ClearContacts, new CEventArg_Data<unsigned int>(7),
         [](CEventArg* b) { EXPECT_EQ(Value<unsigned int>(b), 7u); }},
        {AccountEvent::OwnDetailsReady, ProtocolsManagerEvent::OwnDetailsReady, nullptr,
         [](CEventArg* b) { EXPECT_EQ(b, nullptr); }},
        {AccountEvent::ContactDetailsReady, ProtocolsManagerEvent::ContactDetailsReady,
         new CEventArg_Data<unsigned int>(0x80000005), [](CEventArg* b) { EXPECT_EQ(Value<unsigned int>(b), 0x80000005u); }},
        {AccountEvent::ShowText, ProtocolsManagerEvent::ShowText, new CEventArg_Data<CYolString>(Text("text")),
         [](CEventArg* b) { EXPECT_EQ(Value<CYolString>(b).ToUtf8(), "text"); }},
        {AccountEvent::Notification, ProtocolsManagerEvent::Notification, new CEventArg_Data<NotificationInfo>(note),
         [](CEventArg* b) { EXPECT_EQ(Value<NotificationInfo>(b).text.GetLocalized().ToUtf8(), "body"); }},
        {AccountEvent::SearchResult, ProtocolsManagerEvent::SearchResult, new CEventArg_Data<UserInfo>(user),
         [](CEventArg* b) { EXPECT_EQ(Value<UserInfo>(b).nick.ToUtf8(), "nick"); }},
        {AccountEvent::AddStatusIcon, ProtocolsManagerEvent::AddStatusIcon,
         new CEventArg_Data<CYolArray<unsigned int>>(icon), [](CEventArg* b) {
             EXPECT_EQ(Value<CYolArray<unsigned int>>(b)[0], 4u);
         }},
        {AccountEvent::SetStatusIcon, ProtocolsManagerEvent::SetStatusIcon, new CEventArg_Data<StatusIconInfo>(iconInfo),
         [](CEventArg* b) {
             EXPECT_EQ(Value<StatusIconInfo>(b).index, 2);
             EXPECT_EQ(Value<StatusIconInfo>(b).icon[0], 6u);
         }},
        {AccountEvent::RemoveStatusIcon, ProtocolsManagerEvent::RemoveStatusIcon, new CEventArg_Data<int>(3),
         [](CEventArg* b) { EXPECT_EQ(Value<int>(b), 3); }},
        {AccountEvent::SetTimer, ProtocolsManagerEvent::SetTimer, new CEventArg_Data<TimerRequest>(timer),
         [&](CEventArg* b) { EXPECT_EQ(Value<TimerRequest>(b).requestId, 77u); }},
        {AccountEvent::KillTimer, ProtocolsManagerEvent::KillTimer, new CEventArg_Data<TimerInfo>(timer.info),
         [&](CEventArg* b) { EXPECT_EQ(Value<TimerInfo>(b).context, &timer); }},
        {AccountEvent::OpenUrl, ProtocolsManagerEvent::OpenUrl, new CEventArg_Data<CYolString>(Text("https://x")),
         [](CEventArg* b) { EXPECT_EQ(Value<CYolString>(b).ToUtf8(), "https://x"); }},
        {AccountEvent::FileTransferProgress, ProtocolsManagerEvent::FileTransferProgress,
         new CEventArg_Data<FTProgress>(progress), [](CEventArg* b) {
             EXPECT_EQ(Value<FTProgress>(b).fileName.ToUtf8(), "f.bin");
             EXPECT_EQ(Value<FTProgress>(b).doneSize, 10u);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.event);
        recorder.Clear();
        CEventArg* sent = row.extra;
        if (sent != nullptr)
            sent->AddRef(1);  // kept, to tell the copy from the original
        Report(kRuv, accounts[1], row.event, row.extra);
        ASSERT_TRUE(recorder.WaitForCount(row.broadcast, 1));
        BroadcastRecorder::Item item = recorder.Of(row.broadcast)[0];
        EXPECT_EQ(Value<unsigned int>(item.arg), accounts[1]);
        row.check(item.extra);
        if (sent != nullptr) {
            EXPECT_NE(item.extra, sent);
            sent->Release();
        }
    }
}

TEST_F(Notifications, EventsNotFromTheAccountsOwnProtocolAreDropped) {
    Report(kOther, accounts[0], AccountEvent::ShowText, new CEventArg_Data<CYolString>(Text("wrong channel")));
    Report(kRuv, 0x0BAD, AccountEvent::ShowText, new CEventArg_Data<CYolString>(Text("unknown account")));
    Report(kRuv, accounts[0], 110, new CEventArg_Data<CYolString>(Text("unused number")));
    Report(kRuv, accounts[0], AccountEvent::KillTimer, nullptr);  // would read as "every timer"
    Report(kRuv, accounts[0], AccountEvent::StatusChanged, nullptr);
    Report(kRuv, accounts[0], AccountEvent::ShowText, new CEventArg_Data<CYolString>(Text("right")));
    ASSERT_TRUE(recorder.WaitForCount(ProtocolsManagerEvent::ShowText, 1));
    // The manager handles its events in order: everything before "right" is done.
    std::vector<BroadcastRecorder::Item> items = recorder.Items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(Value<CYolString>(items[0].extra).ToUtf8(), "right");
}

TEST_F(Notifications, ALibrarysArgumentsNeverOutliveIt) {
    // The text argument is the plug-in's own object; what the recorder keeps
    // must not be, since the library goes away with its last account.
    Manager().DeleteAccount(accounts[1]);
    Manager().DeleteAccount(accounts[2]);
    ASSERT_TRUE(WaitFor([&] { return Manager().GetAccountCount() == 1; }));
    ASSERT_EQ(control->postText(accounts[0], AccountEvent::ShowText, Text("from the plug-in")), 1);
    ASSERT_TRUE(recorder.WaitForCount(ProtocolsManagerEvent::ShowText, 1));
    Manager().DeleteAccount(accounts[0]);
    ASSERT_TRUE(WaitFor([&] { return !IsLoaded("Ruv"); }));
    BroadcastRecorder::Item kept = recorder.Of(ProtocolsManagerEvent::ShowText)[0];
    EXPECT_EQ(Value<CYolString>(kept.extra).ToUtf8(), "from the plug-in");
    recorder.Clear();  // frees the arguments: the manager's code, still loaded
}

// --- logon date and extended status --------------------------------------------------

TEST_F(Notifications, ConnectingStoresTheLogonDate) {
    CYolManualClock clock(0, 1700000000);
    CYolClock::Install(&clock);
    CYolTime when;
    EXPECT_EQ(Manager().GetLogonDate(accounts[0], when), 1);

    control->postStatus(accounts[0], Connecting);
    ASSERT_TRUE(recorder.WaitForCount(ProtocolsManagerEvent::StatusChanged, 2));
    unsigned int stored = 0;
    EXPECT_TRUE(Manager().GetAccountDword(accounts[0], Text("Logon date"), stored));
    EXPECT_EQ(stored, 1700000000u);
    EXPECT_EQ(Manager().GetLogonDate(accounts[0], when), 0);
    EXPECT_EQ(when.GetUnixTime(), 1700000000u);

    clock.Advance(60000);
    control->postStatus(accounts[0], Online);
    ASSERT_TRUE(recorder.WaitForCount(ProtocolsManagerEvent::StatusChanged, 4));
    EXPECT_TRUE(Manager().GetAccountDword(accounts[0], Text("Logon date"), stored));
    EXPECT_EQ(stored, 1700000000u);
    CYolClock::Install(nullptr);
}

TEST_F(Notifications, ExtendedStatusIsStoredAndSentToEveryAccount) {
    Manager().SetXStatus(5, Text("Coffee"), Text("Back soon"));
    EXPECT_EQ(Manager().GetXStatusId(), 5u);
    CYolString title, description;
    EXPECT_TRUE(database->GetString(ProtocolsManagerGuid, Text("XStatusTitle05"), title));
    EXPECT_TRUE(database->GetString(ProtocolsManagerGuid, Text("XStatusDesc05"), description));
    EXPECT_EQ(title.ToUtf8(), "Coffee");
    Manager().GetXStatusText(5, title, description);
    EXPECT_EQ(description.ToUtf8(), "Back soon");

    Manager().SetXStatus(0, Text("not kept"), Text("not kept either"));
    EXPECT_EQ(Manager().GetXStatusId(), 0u);
    Manager().GetXStatusText(0, title, description);
    EXPECT_TRUE(title.IsEmpty());
    EXPECT_TRUE(description.IsEmpty());
    Manager().GetXStatusText(12, title, description);
    EXPECT_TRUE(title.IsEmpty());

    ASSERT_TRUE(control->WaitForEvents(6));
    for (unsigned int id : accounts) {
        std::vector<TestPlugin::Received> events = control->EventsOf(id);
        ASSERT_EQ(events.size(), 2u);
        EXPECT_EQ(events[0].event, AccountCommand::SetXStatus);
        EXPECT_EQ(Value<unsigned int>(events[0].arg), 5u);
        EXPECT_EQ(Value<StringPair>(events[0].extra).first.ToUtf8(), "Coffee");
        EXPECT_EQ(events[1].event, AccountCommand::SetXStatus);
        EXPECT_EQ(Value<unsigned int>(events[1].arg), 0u);
        EXPECT_EQ(Value<StringPair>(events[1].extra).second.ToUtf8(), "not kept either");
    }
}

TEST_F(Notifications, ALanguageChangeRefillsTheListAndTellsEveryAccount) {
    recorder.statusList = {StatusInfo(Offline, Text("Aus")), StatusInfo(Online, Text("An"))};
    services.BroadcastEvent(preferencesEvent, new CEventArg_Data<CYolString>(Text("Deutsch")), nullptr, true);

    ASSERT_TRUE(control->WaitForEvents(3));
    for (const TestPlugin::Received& r : control->Events()) {
        EXPECT_EQ(r.event, AccountCommand::SetLanguage);
        EXPECT_EQ(Value<CYolString>(r.arg).ToUtf8(), "Deutsch");
    }
    ASSERT_TRUE(recorder.WaitForCount(ProtocolsManagerEvent::StatusChanged, 1));
    EXPECT_EQ(recorder.Of(ProtocolsManagerEvent::StatusList).size(), 1u);
    BroadcastRecorder::Item global = recorder.Of(ProtocolsManagerEvent::StatusChanged)[0];
    EXPECT_EQ(Value<int>(global.arg), 0);
    EXPECT_EQ(Value<StatusInfo>(global.extra).name.ToUtf8(), "Aus");
    StatusInfo entry;
    Manager().GetStatusInfo(0, Online, entry);
    EXPECT_EQ(entry.name.ToUtf8(), "An");
    StatusInfo gone(Away, Text("unchanged"));
    Manager().GetStatusInfo(0, Away, gone);
    EXPECT_EQ(gone.name.ToUtf8(), "unchanged");
}

}  // namespace
}  // namespace ProtocolsTest
