// How an account turns events into its operations: every command and socket
// event number with its arguments, sent and posted; numbers without an
// operation; other channels; the base class's answers.

#include "CAccount.h"
#include "PluginTestSupport.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <thread>

using Services::CEventArg;
using Services::CEventArg_Data;

namespace {

// Out-pointers and handles only travel; they are never followed, so named
// stand-in addresses show which one arrived where.
std::map<const void*, std::string>& PointerNames() {
    static std::map<const void*, std::string> names;
    return names;
}

std::string P(const void* pointer) {
    auto it = PointerNames().find(pointer);
    return it != PointerNames().end() ? "@" + it->second : "@?";
}

std::string S(const CYolString& text) { return text.ToUtf8(); }
std::string N(long long value) { return std::to_string(value); }
std::string B(bool value) { return value ? "true" : "false"; }

template <typename T>
T& HeldBy(CEventArg* arg) {
    return static_cast<CEventArg_Data<T>*>(arg)->data;
}

class RecordingAccount : public Protocols::CAccount {
public:
    using CAccount::CAccount;

    struct Call {
        std::string text;
        std::thread::id thread;
    };

    std::vector<Call> Calls() {
        std::lock_guard<std::mutex> hold(lock);
        return calls;
    }
    bool WaitForCalls(size_t count) {
        return WaitUntil([&] { return Calls().size() >= count; });
    }
    // Address of the last string an operation received by reference.
    const CYolString* lastStringSeen = nullptr;
    CEventArg* lastOtherFirst = nullptr;
    CEventArg* lastOtherSecond = nullptr;
    int result = 7;

protected:
    int Record(const std::string& text) {
        std::lock_guard<std::mutex> hold(lock);
        calls.push_back({text, std::this_thread::get_id()});
        return result;
    }
    int SeenString(const CYolString& text, const std::string& call) {
        lastStringSeen = &text;
        return Record(call);
    }

    int OnInit() override { return Record("OnInit()"); }
    int OnReady() override { return Record("OnReady()"); }
    int OnShutdown() override { return Record("OnShutdown()"); }
    int GetLogin(CYolString* out) override { return Record("GetLogin(" + P(out) + ")"); }
    int SetStatus(Protocols::Status s) override { return Record("SetStatus(" + N(s) + ")"); }
    int GetStatus() override { return Record("GetStatus()"); }
    int GetStatusInfo(Protocols::Status s, Protocols::StatusInfo* out) override {
        return Record("GetStatusInfo(" + N(s) + "," + P(out) + ")");
    }
    int GetAccountMenu(unsigned int kind, CYolMenuInfo* menu) override {
        return Record("GetAccountMenu(" + N(kind) + "," + P(menu) + ")");
    }
    int GetContactStatus(unsigned int contact, Protocols::ContactStatusInfo* out) override {
        return Record("GetContactStatus(" + N(contact) + "," + P(out) + ")");
    }
    int CreateSettingsPanes(YolTabDlg::CDlgInfo* panes) override {
        return Record("CreateSettingsPanes(" + P(panes) + ")");
    }
    int OnMenu60(CYolMenuInfo* menu) override { return Record("OnMenu60(" + P(menu) + ")"); }
    int OnMenu61(unsigned int value, CYolMenuInfo* menu) override {
        return Record("OnMenu61(" + N(value) + "," + P(menu) + ")");
    }
    int GetContactMenu(unsigned int contact, CYolMenuInfo* menu) override {
        return Record("GetContactMenu(" + N(contact) + "," + P(menu) + ")");
    }
    int GetContactQuickMenu(unsigned int contact, CYolMenuInfo* menu) override {
        return Record("GetContactQuickMenu(" + N(contact) + "," + P(menu) + ")");
    }
    int AddGroup(const CYolString& name) override { return SeenString(name, "AddGroup(" + S(name) + ")"); }
    int RenameGroup(unsigned int group, const CYolString& name) override {
        return SeenString(name, "RenameGroup(" + N(group) + "," + S(name) + ")");
    }
    int DeleteGroup(unsigned int group) override { return Record("DeleteGroup(" + N(group) + ")"); }
    int AddContact(const CYolString& login, const CYolString& name, unsigned int group) override {
        return SeenString(login, "AddContact(" + S(login) + "," + S(name) + "," + N(group) + ")");
    }
    int RenameContact(unsigned int contact, const CYolString& name) override {
        return SeenString(name, "RenameContact(" + N(contact) + "," + S(name) + ")");
    }
    int MoveContact(unsigned int contact, unsigned int group) override {
        return Record("MoveContact(" + N(contact) + "," + N(group) + ")");
    }
    int DeleteContact(unsigned int contact) override { return Record("DeleteContact(" + N(contact) + ")"); }
    int RequestContactInfo(unsigned int contact) override {
        return Record("RequestContactInfo(" + N(contact) + ")");
    }
    int SendMessage(Protocols::MessageInfo m) override {
        return Record("SendMessage(" + N(m.metaContactId) + "," + N(m.contactId) + "," + N(m.messageId) + "," +
                      N(m.kind) + "," + N(m.flags) + "," + S(m.text) + "," + S(m.extra) + ")");
    }
    int CreateOwnDetailsPanes(YolTabDlg::CDlgInfo* panes) override {
        return Record("CreateOwnDetailsPanes(" + P(panes) + ")");
    }
    int CreateContactDetailsPanes(unsigned int contact, YolTabDlg::CDlgInfo* panes) override {
        return Record("CreateContactDetailsPanes(" + N(contact) + "," + P(panes) + ")");
    }
    int SetLanguage(const CYolString& language) override {
        return SeenString(language, "SetLanguage(" + S(language) + ")");
    }
    int CreateSearchPanes(YolTabDlg::CDlgInfo* panes) override {
        return Record("CreateSearchPanes(" + P(panes) + ")");
    }
    int StartSearch(int page) override { return Record("StartSearch(" + N(page) + ")"); }
    int OnContact80(unsigned int contact) override { return Record("OnContact80(" + N(contact) + ")"); }
    int SendTyping(unsigned int contact, bool typing) override {
        return Record("SendTyping(" + N(contact) + "," + B(typing) + ")");
    }
    int SetAuthorization(unsigned int contact, bool grant) override {
        return Record("SetAuthorization(" + N(contact) + "," + B(grant) + ")");
    }
    int SetXStatus(unsigned int id, const CYolString& title, const CYolString& description) override {
        return SeenString(title, "SetXStatus(" + N(id) + "," + S(title) + "," + S(description) + ")");
    }
    int OnContact82(unsigned int contact, bool value) override {
        return Record("OnContact82(" + N(contact) + "," + B(value) + ")");
    }
    int OnNotify84(unsigned int value) override { return Record("OnNotify84(" + N(value) + ")"); }
    int SetStringList(CYolArray<CYolString> list) override {
        std::string joined;
        for (const CYolString& item : list)
            joined += (joined.empty() ? "" : "|") + S(item);
        return Record("SetStringList(" + joined + ")");
    }
    int ReloadSettings() override { return Record("ReloadSettings()"); }
    int AcceptFile(unsigned int contact, CYolString fileName, CYolString targetPath) override {
        return Record("AcceptFile(" + N(contact) + "," + S(fileName) + "," + S(targetPath) + ")");
    }
    int SendFile(unsigned int contact, CYolString path) override {
        return Record("SendFile(" + N(contact) + "," + S(path) + ")");
    }
    int RefuseFile(unsigned int contact, CYolString fileName) override {
        return Record("RefuseFile(" + N(contact) + "," + S(fileName) + ")");
    }
    int OnSocketConnected(Sockets::CYolSocket* socket, int code) override {
        return Record("OnSocketConnected(" + P(socket) + "," + N(code) + ")");
    }
    int OnSocketData(Sockets::CYolSocket* socket, int count) override {
        return Record("OnSocketData(" + P(socket) + "," + N(count) + ")");
    }
    int OnSocketSendError(Sockets::CYolSocket* socket, int code) override {
        return Record("OnSocketSendError(" + P(socket) + "," + N(code) + ")");
    }
    int OnSocketClosed(Sockets::CYolSocket* socket, int code) override {
        return Record("OnSocketClosed(" + P(socket) + "," + N(code) + ")");
    }
    int OnSocketProgress(Sockets::CYolSocket* socket, const CYolString& text) override {
        return Record("OnSocketProgress(" + P(socket) + "," + S(text) + ")");
    }
    int OnSocketError(Sockets::CYolSocket* socket, const CYolString& text) override {
        return Record("OnSocketError(" + P(socket) + "," + S(text) + ")");
    }
    int OnOtherEvent(const YOL_GUID& channel, int event, CEventArg* first, CEventArg* second) override {
        lastOtherFirst = first;
        lastOtherSecond = second;
        return Record("OnOtherEvent(" + S(channel.GetString()) + "," + N(event) + ")");
    }

private:
    std::mutex lock;
    std::vector<Call> calls;
};

// One event with the arguments its senders give it, and the call it must
// become.
struct DispatchRow {
    YOL_GUID channel;
    int event;
    std::function<CEventArg*()> first;
    std::function<CEventArg*()> second;
    std::string expected;
};

class AccountDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        PointerNames() = {{&login, "login"}, {&statusInfo, "statusInfo"}, {&contactStatus, "contactStatus"},
                          {menu, "menu"},     {panes, "panes"},           {socket, "socket"}};
        account = new RecordingAccount(&rig.services, 0x10000001, rig.managerKey);
        ASSERT_NE(account->GetClientId(), 0u);
    }
    void TearDown() override { account->Destroy(); }

    int Send(const YOL_GUID& channel, int event, CEventArg* a, CEventArg* b, bool wait) {
        return rig.services.SendEvent(account->GetClientId(), channel, event, a, b, wait);
    }

    std::vector<DispatchRow> Rows() {
        namespace C = Protocols::AccountCommand;
        namespace E = Protocols::SocketEvent;
        const YOL_GUID pm = ProtocolsManagerGuid;
        const YOL_GUID sm = SocketsManagerGuid;
        auto none = []() -> CEventArg* { return nullptr; };
        auto u = [](unsigned int v) { return [v] { return Arg(v); }; };
        auto i = [](int v) { return [v] { return Arg(v); }; };
        auto b = [](bool v) { return [v] { return Arg(v); }; };
        auto s = [](const char* v) { return [v] { return Arg(W(v)); }; };
        auto pair = [](const char* x, const char* y) {
            return [x, y] { return Arg(Protocols::StringPair(W(x), W(y))); };
        };
        auto ptr = [](auto* p) { return [p] { return Arg(p); }; };
        auto status = [](Protocols::Status v) { return [v] { return Arg(v); }; };
        auto message = [] {
            Protocols::MessageInfo m;
            m.metaContactId = 3;
            m.contactId = 77;
            m.messageId = 42;
            m.kind = 1;
            m.flags = -2;
            m.text = W("hello");
            m.extra = W("x");
            return Arg(m);
        };
        auto list = [] {
            CYolArray<CYolString> l;
            l.Add(W("one"));
            l.Add(W("two"));
            return Arg(l);
        };
        return {
            {pm, C::Init, none, none, "OnInit()"},
            {pm, C::Ready, none, none, "OnReady()"},
            {pm, C::Shutdown, none, none, "OnShutdown()"},
            {pm, C::GetLogin, ptr(&login), none, "GetLogin(@login)"},
            {pm, C::SetStatus, status(Protocols::Away), none, "SetStatus(11)"},
            {pm, C::GetStatus, none, none, "GetStatus()"},
            {pm, C::GetStatusInfo, status(Protocols::Online), ptr(&statusInfo), "GetStatusInfo(2,@statusInfo)"},
            {pm, C::GetAccountMenu, ptr(menu), u(1), "GetAccountMenu(1,@menu)"},
            {pm, C::GetContactStatus, u(0x80000001), ptr(&contactStatus),
             "GetContactStatus(2147483649,@contactStatus)"},
            {pm, C::CreateSettingsPanes, ptr(panes), none, "CreateSettingsPanes(@panes)"},
            {pm, C::Menu60, none, ptr(menu), "OnMenu60(@menu)"},
            {pm, C::Menu61, u(3), ptr(menu), "OnMenu61(3,@menu)"},
            {pm, C::GetContactMenu, u(77), ptr(menu), "GetContactMenu(77,@menu)"},
            {pm, C::GetContactQuickMenu, u(77), ptr(menu), "GetContactQuickMenu(77,@menu)"},
            {pm, C::AddGroup, s("Friends"), none, "AddGroup(Friends)"},
            {pm, C::RenameGroup, u(4), s("Work"), "RenameGroup(4,Work)"},
            {pm, C::DeleteGroup, u(4), none, "DeleteGroup(4)"},
            {pm, C::AddContact, pair("12345", "Bob"), u(4), "AddContact(12345,Bob,4)"},
            {pm, C::RenameContact, u(77), s("Robert"), "RenameContact(77,Robert)"},
            {pm, C::MoveContact, u(77), u(5), "MoveContact(77,5)"},
            {pm, C::DeleteContact, u(77), none, "DeleteContact(77)"},
            {pm, C::RequestContactInfo, u(77), none, "RequestContactInfo(77)"},
            {pm, C::SendMessage, message, none, "SendMessage(3,77,42,1,-2,hello,x)"},
            {pm, C::CreateOwnDetailsPanes, ptr(panes), none, "CreateOwnDetailsPanes(@panes)"},
            {pm, C::CreateContactDetailsPanes, u(77), ptr(panes), "CreateContactDetailsPanes(77,@panes)"},
            {pm, C::SetLanguage, s("Russian"), none, "SetLanguage(Russian)"},
            {pm, C::StartSearch, u(2), none, "StartSearch(2)"},
            {pm, C::CreateSearchPanes, none, ptr(panes), "CreateSearchPanes(@panes)"},
            {pm, C::Contact80, u(77), none, "OnContact80(77)"},
            {pm, C::SendTyping, u(77), b(true), "SendTyping(77,true)"},
            {pm, C::Contact82, u(77), b(false), "OnContact82(77,false)"},
            {pm, C::Notify84, u(6), none, "OnNotify84(6)"},
            {pm, C::StringList, list, none, "SetStringList(one|two)"},
            {pm, C::ReloadSettings, none, none, "ReloadSettings()"},
            {pm, C::SetAuthorization, u(77), b(true), "SetAuthorization(77,true)"},
            {pm, C::SetXStatus, u(12), pair("Tired", "Long day"), "SetXStatus(12,Tired,Long day)"},
            {pm, C::SendFile, u(77), s("/tmp/a.txt"), "SendFile(77,/tmp/a.txt)"},
            {pm, C::AcceptFile, u(77), pair("a.txt", "/home/me"), "AcceptFile(77,a.txt,/home/me)"},
            {pm, C::RefuseFile, u(77), s("a.txt"), "RefuseFile(77,a.txt)"},
            {sm, E::ConnectResult, ptr(socket), i(0), "OnSocketConnected(@socket,0)"},
            {sm, E::Closed, ptr(socket), i(10054), "OnSocketClosed(@socket,10054)"},
            {sm, E::DataAvailable, ptr(socket), i(512), "OnSocketData(@socket,512)"},
            {sm, E::SendError, ptr(socket), i(10057), "OnSocketSendError(@socket,10057)"},
            {sm, E::Progress, ptr(socket), s("Connect to network"), "OnSocketProgress(@socket,Connect to network)"},
            {sm, E::Error, ptr(socket), s("Proxy refused"), "OnSocketError(@socket,Proxy refused)"},
        };
    }

    PluginRig rig;
    RecordingAccount* account = nullptr;
    CYolString login;
    Protocols::StatusInfo statusInfo;
    Protocols::ContactStatusInfo contactStatus;
    CYolMenuInfo* menu = reinterpret_cast<CYolMenuInfo*>(0x1000);
    YolTabDlg::CDlgInfo* panes = reinterpret_cast<YolTabDlg::CDlgInfo*>(0x2000);
    Sockets::CYolSocket* socket = reinterpret_cast<Sockets::CYolSocket*>(0x3000);
};

TEST_F(AccountDispatchTest, SentEventsReachTheirOperationOnTheAccountThreadWithTheResult) {
    auto rows = Rows();
    for (size_t n = 0; n < rows.size(); ++n) {
        const DispatchRow& row = rows[n];
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(Send(row.channel, row.event, row.first(), row.second(), true), 7);
        auto calls = account->Calls();
        ASSERT_EQ(calls.size(), n + 1);
        EXPECT_EQ(calls.back().text, row.expected);
        EXPECT_NE(calls.back().thread, std::this_thread::get_id());
        EXPECT_EQ(calls.back().thread, calls.front().thread);
    }
}

TEST_F(AccountDispatchTest, PostedEventsReachTheirOperationInOrder) {
    auto rows = Rows();
    for (const DispatchRow& row : rows)
        ASSERT_EQ(Send(row.channel, row.event, row.first(), row.second(), false), 1) << row.expected;
    ASSERT_TRUE(account->WaitForCalls(rows.size()));
    auto calls = account->Calls();
    ASSERT_EQ(calls.size(), rows.size());
    for (size_t n = 0; n < rows.size(); ++n)
        EXPECT_EQ(calls[n].text, rows[n].expected);
}

TEST_F(AccountDispatchTest, NumbersWithoutAnOperationAnswerZeroAndCallNothing) {
    struct Unmapped {
        YOL_GUID channel;
        int event;
    };
    const Unmapped rows[] = {
        {ProtocolsManagerGuid, Protocols::AccountCommand::ContactIdList},
        {ProtocolsManagerGuid, Protocols::AccountCommand::Menu64},
        {ProtocolsManagerGuid, 79},
        {ProtocolsManagerGuid, 90},
        {ProtocolsManagerGuid, 93},
        {ProtocolsManagerGuid, 95},
        {ProtocolsManagerGuid, 48},
        {ProtocolsManagerGuid, 98},
        {ProtocolsManagerGuid, 0},
        {ProtocolsManagerGuid, -1},
        {ProtocolsManagerGuid, 100000},
        {SocketsManagerGuid, 1},
        {SocketsManagerGuid, 6},
        {SocketsManagerGuid, 7},
        {SocketsManagerGuid, 10},
        {Protocols::TimerServiceGuid, 2},
    };
    for (const Unmapped& row : rows)
        EXPECT_EQ(Send(row.channel, row.event, Arg(1u), Arg(2u), true), 0) << row.event;
    // A posted one behind them shows nothing slipped through on the queue.
    Send(ProtocolsManagerGuid, 79, Arg(1u), nullptr, false);
    Send(ProtocolsManagerGuid, Protocols::AccountCommand::Init, nullptr, nullptr, false);
    ASSERT_TRUE(account->WaitForCalls(1));
    auto calls = account->Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, "OnInit()");
}

TEST_F(AccountDispatchTest, OtherChannelsReachOnOtherEventWithTheArgumentsUnchanged) {
    for (const YOL_GUID& channel : {RuvProtocolGuid, ContactListGuid, ServicesManagerGuid}) {
        CEventArg* first = Arg(5u);
        CEventArg* second = Arg(W("x"));
        first->AddRef(1);
        second->AddRef(1);
        EXPECT_EQ(Send(channel, 161, first, second, true), 7);
        EXPECT_EQ(account->Calls().back().text, "OnOtherEvent(" + S(channel.GetString()) + ",161)");
        EXPECT_EQ(account->lastOtherFirst, first);
        EXPECT_EQ(account->lastOtherSecond, second);
        // The dispatcher gave back exactly the references the delivery took.
        EXPECT_EQ(first->RefCount(), 1);
        EXPECT_EQ(second->RefCount(), 1);
        first->Release();
        second->Release();
    }
}

TEST_F(AccountDispatchTest, GetAccountObjectStoresTheAccountsAddress) {
    void* object = nullptr;
    EXPECT_EQ(Send(ProtocolsManagerGuid, Protocols::AccountCommand::GetAccountObject, Arg(&object), nullptr, true), 0);
    EXPECT_EQ(object, static_cast<Protocols::CAccount*>(account));
    EXPECT_TRUE(account->Calls().empty());
}

TEST_F(AccountDispatchTest, StringOperationsGetCopiesNotTheArgumentsOwnText) {
    namespace C = Protocols::AccountCommand;
    struct Row {
        int event;
        std::function<CEventArg*()> first;
        std::function<CEventArg*()> second;
        std::function<const CYolString*(CEventArg*, CEventArg*)> held;
    };
    auto text = [](CEventArg* arg) { return &HeldBy<CYolString>(arg); };
    auto pairFirst = [](CEventArg* arg) { return &HeldBy<Protocols::StringPair>(arg).first; };
    auto s = [] { return Arg(W("name")); };
    auto u = [] { return Arg(4u); };
    auto pair = [] { return Arg(Protocols::StringPair(W("a"), W("b"))); };
    const Row rows[] = {
        {C::AddGroup, s, nullptr, [&](CEventArg* a, CEventArg*) { return text(a); }},
        {C::RenameGroup, u, s, [&](CEventArg*, CEventArg* b) { return text(b); }},
        {C::AddContact, pair, u, [&](CEventArg* a, CEventArg*) { return pairFirst(a); }},
        {C::RenameContact, u, s, [&](CEventArg*, CEventArg* b) { return text(b); }},
        {C::SetLanguage, s, nullptr, [&](CEventArg* a, CEventArg*) { return text(a); }},
        {C::SetXStatus, u, pair, [&](CEventArg*, CEventArg* b) { return pairFirst(b); }},
    };
    for (const Row& row : rows) {
        CEventArg* a = row.first();
        CEventArg* b = row.second ? row.second() : nullptr;
        a->AddRef(1);
        if (b != nullptr)
            b->AddRef(1);
        account->lastStringSeen = nullptr;
        Send(ProtocolsManagerGuid, row.event, a, b, true);
        EXPECT_NE(account->lastStringSeen, nullptr) << row.event;
        EXPECT_NE(account->lastStringSeen, row.held(a, b)) << row.event;
        a->Release();
        if (b != nullptr)
            b->Release();
    }
}

TEST_F(AccountDispatchTest, AnAccountThatOverridesNothingAnswersZeroToEverything) {
    Protocols::CAccount* base = new Protocols::CAccount(&rig.services, 0x10000002, rig.managerKey);
    EXPECT_TRUE(base->GetProtocolName().IsEmpty());
    for (const DispatchRow& row : Rows())
        EXPECT_EQ(rig.services.SendEvent(base->GetClientId(), row.channel, row.event, row.first(), row.second(), true),
                  0)
            << row.expected;
    EXPECT_EQ(rig.services.SendEvent(base->GetClientId(), RuvProtocolGuid, 161, nullptr, nullptr, true), 0);
    void* object = nullptr;
    EXPECT_EQ(rig.services.SendEvent(base->GetClientId(), ProtocolsManagerGuid,
                                     Protocols::AccountCommand::GetAccountObject, Arg(&object), nullptr, true),
              0);
    EXPECT_EQ(object, base);
    base->Destroy();
}

TEST_F(AccountDispatchTest, AccountsStartWithTheirIdsAndTheReconnectDelay) {
    EXPECT_EQ(account->GetAccountId(), 0x10000001u);
    EXPECT_EQ(account->GetManagerClientId(), rig.managerKey);
    EXPECT_EQ(account->GetServicesManager(), &rig.services);
    EXPECT_EQ(Protocols::CAccount::DefaultReconnectDelay, 15000u);
    Protocols::CAccount* second = new Protocols::CAccount(&rig.services, 0x10000002, rig.managerKey);
    EXPECT_NE(second->GetClientId(), 0u);
    EXPECT_NE(second->GetClientId(), account->GetClientId());
    second->Destroy();
}

// An account that destroys itself from inside its own handler (its queue
// thread cannot wait for itself) goes once that handler has returned.
class SelfDestroyingAccount : public Protocols::CAccount {
public:
    SelfDestroyingAccount(Services::CServicesManager* manager, bool* gone)
        : CAccount(manager, 0x10000003, 0), gone(gone) {}
    ~SelfDestroyingAccount() override { *gone = true; }

protected:
    int OnShutdown() override {
        Destroy();
        stillHere = !*gone;
        return stillHere ? 5 : -5;
    }

private:
    bool* gone;
    bool stillHere = false;
};

TEST_F(AccountDispatchTest, AnAccountDestroyedFromItsOwnHandlerGoesWhenTheHandlerReturns) {
    bool gone = false;
    auto* self = new SelfDestroyingAccount(&rig.services, &gone);
    unsigned int key = self->GetClientId();
    EXPECT_EQ(rig.services.SendEvent(key, ProtocolsManagerGuid, Protocols::AccountCommand::Shutdown, nullptr, nullptr,
                                     true),
              5);
    EXPECT_TRUE(gone);  // the send answers only after the handler, and so the deletion, is done
    EXPECT_EQ(rig.services.SendEvent(key, ProtocolsManagerGuid, Protocols::AccountCommand::Init, nullptr, nullptr,
                                     true),
              -2);
}

}  // namespace
