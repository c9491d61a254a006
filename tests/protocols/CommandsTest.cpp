// The command family: every interface slot that becomes an AccountCommand,
// driven from one table of event number, arguments and mode.

#include "CYolMenuInfo.h"
#include "ProtocolsTestSupport.h"

#include <algorithm>
#include <future>

namespace ProtocolsTest {
namespace {

enum class Result { R1, R2, R3 };

constexpr unsigned int kContact = 0x80000011;
constexpr unsigned int kGroup = 0x00000022;
constexpr unsigned int kValue = 7;
// The answer the account gives to every command: a waited-for R2 slot hands
// it back, a posted one answers 0 once queued.
constexpr int kAnswer = 5;

CYolMenuInfo menu;
CYolArray<unsigned int> idList;
ContactStatusInfo contactStatus;
int paneListStandIn;
auto* const panes = reinterpret_cast<YolTabDlg::CDlgInfo*>(&paneListStandIn);
void* objectOut = nullptr;

struct CommandRow {
    const char* slot;
    int event;
    bool wait;
    Result kind;
    std::function<int(CProtocolsManager&, unsigned int account)> call;
    std::function<void(CEventArg* a, CEventArg* b)> check;
};

int AsInt(bool value) {
    return value ? 1 : 0;
}

MessageInfo Message() {
    MessageInfo m;
    m.contactId = kContact;
    m.messageId = 42;
    m.text = Text("hello");
    return m;
}

const std::vector<CommandRow>& Rows() {
    static const std::vector<CommandRow> rows = {
        {"ReloadAccountSettings", AccountCommand::ReloadSettings, false, Result::R2,
         [](CProtocolsManager& m, unsigned int a) { return m.ReloadAccountSettings(a); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(a, nullptr);
             EXPECT_EQ(b, nullptr);
         }},
        {"SendNotify84", AccountCommand::Notify84, true, Result::R2,
         [](CProtocolsManager& m, unsigned int a) { return m.SendNotify84(a, kValue); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<unsigned int>(a), kValue);
             EXPECT_EQ(b, nullptr);
         }},
        {"SendStringList", AccountCommand::StringList, true, Result::R2,
         [](CProtocolsManager& m, unsigned int a) {
             CYolArray<CYolString> list;
             list.Add(Text("one"));
             list.Add(Text("two"));
             return m.SendStringList(a, list);
         },
         [](CEventArg* a, CEventArg*) {
             const auto& list = Value<CYolArray<CYolString>>(a);
             ASSERT_EQ(list.Count(), 2);
             EXPECT_EQ(list[1].ToUtf8(), "two");
         }},
        {"SendContactIdList", AccountCommand::ContactIdList, true, Result::R1,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.SendContactIdList(a, &idList)); },
         [](CEventArg* a, CEventArg*) { EXPECT_EQ(Value<CYolArray<unsigned int>*>(a), &idList); }},
        {"GetContactStatus", AccountCommand::GetContactStatus, true, Result::R1,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.GetContactStatus(a, kContact, &contactStatus)); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<unsigned int>(a), kContact);
             EXPECT_EQ(Value<ContactStatusInfo*>(b), &contactStatus);
         }},
        {"SendMenu60", AccountCommand::Menu60, true, Result::R1,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.SendMenu60(a, &menu)); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(a, nullptr);
             EXPECT_EQ(Value<CYolMenuInfo*>(b), &menu);
         }},
        {"SendMenu61", AccountCommand::Menu61, true, Result::R1,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.SendMenu61(a, kValue, &menu)); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<unsigned int>(a), kValue);
             EXPECT_EQ(Value<CYolMenuInfo*>(b), &menu);
         }},
        {"GetContactMenu", AccountCommand::GetContactMenu, true, Result::R1,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.GetContactMenu(a, kContact, &menu)); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<unsigned int>(a), kContact);
             EXPECT_EQ(Value<CYolMenuInfo*>(b), &menu);
         }},
        {"GetContactQuickMenu", AccountCommand::GetContactQuickMenu, true, Result::R1,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.GetContactQuickMenu(a, kContact, &menu)); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<unsigned int>(a), kContact);
             EXPECT_EQ(Value<CYolMenuInfo*>(b), &menu);
         }},
        {"AddGroup", AccountCommand::AddGroup, false, Result::R1,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.AddGroup(a, Text("Friends"))); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<CYolString>(a).ToUtf8(), "Friends");
             EXPECT_EQ(b, nullptr);
         }},
        {"RenameGroup", AccountCommand::RenameGroup, true, Result::R1,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.RenameGroup(a, kGroup, Text("Work"))); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<unsigned int>(a), kGroup);
             EXPECT_EQ(Value<CYolString>(b).ToUtf8(), "Work");
         }},
        {"DeleteGroup", AccountCommand::DeleteGroup, false, Result::R1,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.DeleteGroup(a, kGroup)); },
         [](CEventArg* a, CEventArg*) { EXPECT_EQ(Value<unsigned int>(a), kGroup); }},
        {"AddContact", AccountCommand::AddContact, false, Result::R1,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.AddContact(a, kGroup, Text("555"), Text("Ann"))); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<StringPair>(a).first.ToUtf8(), "555");
             EXPECT_EQ(Value<StringPair>(a).second.ToUtf8(), "Ann");
             EXPECT_EQ(Value<unsigned int>(b), kGroup);
         }},
        {"RenameContact", AccountCommand::RenameContact, false, Result::R1,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.RenameContact(a, kContact, Text("Bob"))); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<unsigned int>(a), kContact);
             EXPECT_EQ(Value<CYolString>(b).ToUtf8(), "Bob");
         }},
        {"MoveContact", AccountCommand::MoveContact, false, Result::R1,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.MoveContact(a, kContact, kGroup)); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<unsigned int>(a), kContact);
             EXPECT_EQ(Value<unsigned int>(b), kGroup);
         }},
        {"DeleteContact", AccountCommand::DeleteContact, false, Result::R1,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.DeleteContact(a, kContact)); },
         [](CEventArg* a, CEventArg*) { EXPECT_EQ(Value<unsigned int>(a), kContact); }},
        {"SendContact80", AccountCommand::Contact80, false, Result::R1,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.SendContact80(a, kContact)); },
         [](CEventArg* a, CEventArg*) { EXPECT_EQ(Value<unsigned int>(a), kContact); }},
        {"RequestContactInfo", AccountCommand::RequestContactInfo, false, Result::R3,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.RequestContactInfo(a, kContact)); },
         [](CEventArg* a, CEventArg*) { EXPECT_EQ(Value<unsigned int>(a), kContact); }},
        {"SendMessage", AccountCommand::SendMessage, false, Result::R3,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.SendMessage(a, Message(), true)); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<MessageInfo>(a).messageId, 42u);
             EXPECT_EQ(Value<MessageInfo>(a).text.ToUtf8(), "hello");
             EXPECT_EQ(b, nullptr);
         }},
        {"SendTyping", AccountCommand::SendTyping, false, Result::R3,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.SendTyping(a, kContact, true)); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<unsigned int>(a), kContact);
             EXPECT_TRUE(Value<bool>(b));
         }},
        {"SetAuthorization", AccountCommand::SetAuthorization, false, Result::R3,
         [](CProtocolsManager& m, unsigned int a) { return AsInt(m.SetAuthorization(a, kContact, false)); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<unsigned int>(a), kContact);
             EXPECT_FALSE(Value<bool>(b));
         }},
        {"CreateOwnDetailsPanes", AccountCommand::CreateOwnDetailsPanes, true, Result::R2,
         [](CProtocolsManager& m, unsigned int a) { return m.CreateOwnDetailsPanes(a, panes); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<YolTabDlg::CDlgInfo*>(a), panes);
             EXPECT_EQ(b, nullptr);
         }},
        {"CreateContactDetailsPanes", AccountCommand::CreateContactDetailsPanes, true, Result::R2,
         [](CProtocolsManager& m, unsigned int a) { return m.CreateContactDetailsPanes(a, kContact, panes); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<unsigned int>(a), kContact);
             EXPECT_EQ(Value<YolTabDlg::CDlgInfo*>(b), panes);
         }},
        {"StartSearch", AccountCommand::StartSearch, true, Result::R2,
         [](CProtocolsManager& m, unsigned int a) { return m.StartSearch(a, 3); },
         [](CEventArg* a, CEventArg*) { EXPECT_EQ(Value<unsigned int>(a), 3u); }},
        {"CreateSearchPanes", AccountCommand::CreateSearchPanes, true, Result::R2,
         [](CProtocolsManager& m, unsigned int a) { return m.CreateSearchPanes(a, panes); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(a, nullptr);
             EXPECT_EQ(Value<YolTabDlg::CDlgInfo*>(b), panes);
         }},
        {"SetStatus", AccountCommand::SetStatus, false, Result::R2,
         [](CProtocolsManager& m, unsigned int a) { return m.SetStatus(a, Away); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<Status>(a), Away);
             EXPECT_EQ(b, nullptr);
         }},
        {"GetStatusInfo", AccountCommand::GetStatusInfo, true, Result::R2,
         [](CProtocolsManager& m, unsigned int a) {
             StatusInfo out;
             return m.GetStatusInfo(a, Occupied, out);
         },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<Status>(a), Occupied);
             EXPECT_NE(Value<StatusInfo*>(b), nullptr);
         }},
        {"GetAccountMenu", AccountCommand::GetAccountMenu, true, Result::R2,
         [](CProtocolsManager& m, unsigned int a) { return m.GetAccountMenu(a, 1, &menu); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<CYolMenuInfo*>(a), &menu);
             EXPECT_EQ(Value<unsigned int>(b), 1u);
         }},
        {"CreateSettingsPanes", AccountCommand::CreateSettingsPanes, true, Result::R2,
         [](CProtocolsManager& m, unsigned int a) { return m.CreateSettingsPanes(a, panes); },
         [](CEventArg* a, CEventArg*) { EXPECT_EQ(Value<YolTabDlg::CDlgInfo*>(a), panes); }},
        {"GetAccountObject", AccountCommand::GetAccountObject, true, Result::R2,
         [](CProtocolsManager& m, unsigned int a) { return m.GetAccountObject(a, &objectOut); },
         [](CEventArg* a, CEventArg*) { EXPECT_EQ(Value<void**>(a), &objectOut); }},
        {"AcceptFile", AccountCommand::AcceptFile, false, Result::R2,
         [](CProtocolsManager& m, unsigned int a) { return m.AcceptFile(a, kContact, Text("a.txt"), Text("/tmp/in")); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<unsigned int>(a), kContact);
             EXPECT_EQ(Value<StringPair>(b).first.ToUtf8(), "a.txt");
             EXPECT_EQ(Value<StringPair>(b).second.ToUtf8(), "/tmp/in");
         }},
        {"SendFile", AccountCommand::SendFile, false, Result::R2,
         [](CProtocolsManager& m, unsigned int a) { return m.SendFile(a, kContact, Text("/tmp/out.bin")); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<unsigned int>(a), kContact);
             EXPECT_EQ(Value<CYolString>(b).ToUtf8(), "/tmp/out.bin");
         }},
        {"RefuseFile", AccountCommand::RefuseFile, false, Result::R2,
         [](CProtocolsManager& m, unsigned int a) { return m.RefuseFile(a, kContact, Text("a.txt")); },
         [](CEventArg* a, CEventArg* b) {
             EXPECT_EQ(Value<unsigned int>(a), kContact);
             EXPECT_EQ(Value<CYolString>(b).ToUtf8(), "a.txt");
         }},
    };
    return rows;
}

class Commands : public ProtocolsFixture {
protected:
    void SetUp() override {
        ProtocolsFixture::SetUp();
        Install("Ruv", {Line(kRuv, "Ruv")});
        StartServices();
        account = Manager().AddAccount(Guid(kRuv));
        ASSERT_NE(account, 0u);
        control = ControlOf("Ruv");
        ASSERT_NE(control, nullptr);
        ASSERT_TRUE(control->WaitForEvents(4));  // the start commands
        control->Clear();
    }

    unsigned int account = 0;
    TestPlugin::Control* control = nullptr;
};

// Each command is sent while the account's handler is held: a waited-for
// command cannot return before the handler is let go, a posted one returns
// at once.
TEST_F(Commands, EveryCommandSlotSendsItsEventWithItsArgumentsAndMode) {
    for (const CommandRow& row : Rows()) {
        SCOPED_TRACE(row.slot);
        control->Clear();
        control->SetAnswer(row.event, row.kind == Result::R2 ? kAnswer : 0);
        control->Hold(true);
        std::future<int> result = std::async(std::launch::async, [&] { return row.call(Manager(), account); });
        if (!control->WaitForEvents(1)) {
            control->Hold(false);
            FAIL() << "the account got nothing";
        }
        if (row.wait) {
            EXPECT_EQ(result.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout) << "not waited for";
        } else {
            EXPECT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "not posted";
        }
        control->Hold(false);
        int answer = result.get();

        std::vector<TestPlugin::Received> events = control->Events();
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].accountId, account);
        EXPECT_EQ(events[0].channel, ProtocolsManagerGuid);
        EXPECT_EQ(events[0].event, row.event);
        row.check(events[0].arg, events[0].extra);
        int expected = row.kind == Result::R2 ? (row.wait ? kAnswer : 0) : 1;
        EXPECT_EQ(answer, expected);
    }
}

TEST_F(Commands, AnUnknownAccountGetsNothing) {
    for (const CommandRow& row : Rows()) {
        SCOPED_TRACE(row.slot);
        int unknown = row.call(Manager(), account + 1);
        EXPECT_EQ(unknown, row.kind == Result::R2 ? -2 : 0);
        // Account 0 of SetStatus is the global status, which does go to the
        // accounts.
        if (row.kind == Result::R2 && row.event != AccountCommand::SetStatus) {
            EXPECT_EQ(row.call(Manager(), 0), 0) << "account 0 answers 0 at once";
        }
    }
    EXPECT_TRUE(control->Events().empty());
}

TEST_F(Commands, AWaitedForCommandReportsTheAccountsRefusal) {
    control->SetAnswer(AccountCommand::RenameGroup, 1);
    EXPECT_FALSE(Manager().RenameGroup(account, kGroup, Text("x")));
    control->SetAnswer(AccountCommand::RenameGroup, 0);
    EXPECT_TRUE(Manager().RenameGroup(account, kGroup, Text("x")));
}

TEST_F(Commands, MessagesAreAnnouncedUnlessSilent) {
    recorder.Clear();
    EXPECT_TRUE(Manager().SendMessage(account, Message(), false));
    EXPECT_TRUE(Manager().SendMessage(account, Message(), true));
    EXPECT_FALSE(Manager().SendMessage(account + 1, Message(), false));
    ASSERT_TRUE(control->WaitForEvents(2));
    ASSERT_TRUE(recorder.WaitForCount(ProtocolsManagerEvent::MessageSent, 1));
    std::vector<BroadcastRecorder::Item> sent = recorder.Of(ProtocolsManagerEvent::MessageSent);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Value<unsigned int>(sent[0].arg), account);
    EXPECT_EQ(Value<MessageInfo>(sent[0].extra).text.ToUtf8(), "hello");
    // The account and the application each got a copy of their own.
    EXPECT_NE(control->Events()[0].arg, sent[0].extra);
}

TEST_F(Commands, StatusQueriesAskTheAccount) {
    control->SetStatus(account, Away);
    Status status = Online;
    EXPECT_EQ(Manager().GetStatus(account, status), 0);
    EXPECT_EQ(status, Away);
    status = Online;
    EXPECT_EQ(Manager().GetStatus(account + 1, status), 0);
    EXPECT_EQ(status, Online);

    StatusInfo info;
    EXPECT_EQ(Manager().GetStatusInfo(account, Occupied, info), 0);
    EXPECT_EQ(info.status, Occupied);
    EXPECT_EQ(info.name.ToUtf8(), "S13");

    void* object = nullptr;
    EXPECT_EQ(Manager().GetAccountObject(account, &object), 0);
    EXPECT_NE(object, nullptr);
}

TEST_F(Commands, LoginsAreAskedOfTheAccountWhichMayCallBackIn) {
    // The account answers by reading its own setting from the manager inside
    // its handler: the manager holds no lock while it waits.
    Manager().SetAccountString(account, Text("SrvLogName"), Text("12345"), false);
    CYolString login;
    Manager().GetAccountLogin(login, account, false);
    EXPECT_EQ(login.ToUtf8(), "12345");
    Manager().GetAccountLogin(login, account, true);
    EXPECT_EQ(login.ToUtf8(), std::string(kRuv) + "12345");
    Manager().GetAccountLogin(login, account + 1, true);
    EXPECT_TRUE(login.IsEmpty());
}

TEST_F(Commands, Menu64GoesToEveryAccountWithItsOwnId) {
    unsigned int second = Manager().AddAccount(Guid(kRuv));
    ASSERT_TRUE(control->WaitForEvents(4));
    control->Clear();
    control->SetAnswer(AccountCommand::Menu64, 1);
    EXPECT_FALSE(Manager().BroadcastMenu64(&menu));
    control->SetAnswer(AccountCommand::Menu64, 0);
    EXPECT_TRUE(Manager().BroadcastMenu64(&menu));
    std::vector<TestPlugin::Received> events = control->Events();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].accountId, account);
    EXPECT_EQ(Value<unsigned int>(events[0].arg), account);
    EXPECT_EQ(events[1].accountId, second);
    EXPECT_EQ(Value<unsigned int>(events[1].arg), second);
    EXPECT_EQ(Value<CYolMenuInfo*>(events[1].extra), &menu);
}

// --- the global status --------------------------------------------------------------

class GlobalSetStatus : public Commands {
protected:
    void SetUp() override {
        Commands::SetUp();
        second = Manager().AddAccount(Guid(kRuv));
        ASSERT_TRUE(control->WaitForEvents(4));
    }

    // The accounts that got AccountCommand::SetStatus, with the status.
    std::vector<std::pair<unsigned int, int>> Sent(size_t expected) {
        control->WaitUntil([&](const std::vector<TestPlugin::Received>& r, const auto&) {
            size_t n = 0;
            for (const TestPlugin::Received& e : r)
                n += e.event == AccountCommand::SetStatus;
            return n >= expected;
        });
        // Each account records on its own thread: compare in account order.
        std::vector<std::pair<unsigned int, int>> sent;
        for (const TestPlugin::Received& e : control->Events())
            if (e.event == AccountCommand::SetStatus)
                sent.emplace_back(e.accountId, Value<Status>(e.arg));
        std::sort(sent.begin(), sent.end());
        return sent;
    }

    unsigned int second = 0;
};

TEST_F(GlobalSetStatus, GoesToTheConnectedAccountsOrToAllWhenNoneIs) {
    struct Case {
        const char* what;
        int first;
        int second;
        Status wanted;
        std::vector<int> receivers;  // 0 the first account, 1 the second
    };
    const Case cases[] = {
        {"one online, one offline", Online, Offline, Away, {0}},
        {"one connecting, one online", Connecting, Online, Occupied, {1}},
        {"both offline", Offline, Offline, Online, {0, 1}},
        {"both connecting", Connecting, Connecting, Online, {0, 1}},
        {"offline stops a connecting account too", Connecting, Online, Offline, {0, 1}},
        {"offline with both offline", Offline, Offline, Offline, {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        control->Clear();
        control->SetStatus(account, c.first);
        control->SetStatus(second, c.second);
        EXPECT_EQ(Manager().SetStatus(0, c.wanted), 0);
        std::vector<std::pair<unsigned int, int>> expected;
        for (int index : c.receivers)
            expected.emplace_back(index == 0 ? account : second, c.wanted);
        EXPECT_EQ(Sent(expected.size()), expected);
    }
}

TEST_F(GlobalSetStatus, TheGlobalMenuOffersTheListWithoutConnecting) {
    control->Clear();
    CYolMenuInfo global;
    EXPECT_EQ(Manager().GetAccountMenu(0, 0, &global), 0);
    EXPECT_EQ(global.title.GetLocalized().ToUtf8(), "Status");
    std::vector<std::string> captions;
    for (int i = 0; i < global.Count(); ++i)
        captions.push_back(global[i].caption.GetLocalized().ToUtf8());
    EXPECT_EQ(captions, (std::vector<std::string>{"Offline", "Online", "Away", "Occupied"}));
    EXPECT_TRUE(global[0].marked);  // the global status is offline
    EXPECT_FALSE(global[1].marked);

    // Picking "Away" sets the global status through the item's call-back.
    control->SetStatus(account, Online);
    ASSERT_TRUE(global[2].Invoke(0));
    EXPECT_EQ(Sent(1), (std::vector<std::pair<unsigned int, int>>{{account, Away}}));

    CYolMenuInfo other;
    EXPECT_EQ(Manager().GetAccountMenu(0, 1, &other), 0);
    EXPECT_EQ(other.Count(), 0);
}

}  // namespace
}  // namespace ProtocolsTest
