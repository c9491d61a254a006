// The main window's private messages, one table row each: what the
// application asks of the message windows, the notifications, the alerts,
// the dialogs and the update when the queue thread hands an event over.

#include "AppTestSupport.h"
#include "CEventArg.h"
#include "ContactListEvents.h"
#include "ProtocolsManagerEvents.h"

namespace {

using namespace AppTest;
using Services::CEventArg_Data;
namespace Msg = UI::AppMsg;

constexpr unsigned int kContact = 0x1001;

Protocols::MessageInfo Message(unsigned int kind, int flags, const char* text) {
    Protocols::MessageInfo m;
    m.contactId = kContact;
    m.messageId = 77;
    m.kind = kind;
    m.flags = flags;
    m.text = CYolString::FromUtf8(text);
    m.extra = CYolString(u"extra");
    return m;
}

Protocols::FTProgress Transfer(unsigned int state, const char* path) {
    Protocols::FTProgress p;
    p.contactId = kContact;
    p.fileName = CYolString::FromUtf8(path);
    p.state = state;
    p.totalSize = 1234;
    return p;
}

class AppMessages : public AppFixture {
protected:
    // The calls one message makes, with the chat tab open or not and in
    // front or not.
    std::vector<std::string> CallsOf(UINT msg, WPARAM wParam, LPARAM lParam, bool tabOpen, bool inFront = false) {
        ports.calls.clear();
        ports.openTabs.clear();
        if (tabOpen)
            ports.openTabs.insert(kContact);
        ports.tabInFront = inFront ? kContact : 0;
        SendToApp(msg, wParam, lParam);
        return ports.calls;
    }

    template <typename T>
    static WPARAM W(CEventArg_Data<T>& arg) { return reinterpret_cast<WPARAM>(&arg); }
    template <typename T>
    static LPARAM L(CEventArg_Data<T>& arg) { return reinterpret_cast<LPARAM>(&arg); }
};

using Calls = std::vector<std::string>;

TEST_F(AppMessages, IncomingMessagesByKindAndChatState) {
    Start();
    CEventArg_Data<unsigned int> contact(kContact);
    struct Case {
        const char* name;
        Protocols::MessageInfo message;
        bool tabOpen;
        bool inFront;
        Calls expected;
    };
    const Case cases[] = {
        {"plain, no tab: kept and notified", Message(0, -1, "hi"), false, false,
         {"RaiseAlert 0", "ShowIncomingMessage 77 27 4097 hi"}},
        {"plain, tab open behind: shown and notified", Message(0, 5, "hi"), true, false,
         {"AddMessage 4097 0 5 |hi", "RaiseAlert 0", "ShowIncomingMessage 77 5 4097 hi"}},
        {"plain, tab in front: alert only", Message(0, -1, "hi"), true, true,
         {"AddMessage 4097 0 27 |hi", "RaiseAlert 0"}},
        {"kind 1 without flags gets icon 30", Message(1, -1, "x"), true, true, {"AddMessage 4097 0 30 |x", "RaiseAlert 0"}},
        {"authorization request", Message(3, -1, "let me in"), false, false,
         {"RaiseAlert 0", "ShowAuthRequest 4097 let me in"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CEventArg_Data<Protocols::MessageInfo> message(c.message);
        EXPECT_EQ(CallsOf(Msg::MessageReceived, W(contact), L(message), c.tabOpen, c.inFront), c.expected);
    }
    // Only the message that found no tab waits for the chat.
    ASSERT_EQ(app->PendingMessages().size(), 1u);
    EXPECT_EQ(app->PendingMessages()[0].tab, kContact);
    EXPECT_EQ(app->PendingMessages()[0].line.iconId, 27u);
}

TEST_F(AppMessages, KindTwoOpensTheChatAndAddsTheLineAsOther) {
    Start();
    CEventArg_Data<unsigned int> contact(kContact);
    CEventArg_Data<Protocols::MessageInfo> message(Message(2, 9, "note"));
    Calls calls = CallsOf(Msg::MessageReceived, W(contact), L(message), false);
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0].rfind("AddTab 4097", 0), 0u) << calls[0];
    EXPECT_EQ(calls[1], "SelectTab 4097");
    EXPECT_EQ(calls[2], "Show 1");
    // The text goes in the name's place and the second string in the time's.
    EXPECT_EQ(calls[3], "AddMessage 4097 2 9 note|");
    EXPECT_EQ(ports.lines.back().second.time.ToUtf8(), "extra");
}

TEST_F(AppMessages, ChatWindowMessagesGoOnlyToAnOpenTab) {
    Start();
    CYolArray<unsigned int> icons;
    icons.Add(13);
    icons.Add(7);
    CYolString title(u"Bob");
    CEventArg_Data<unsigned int> contact(kContact);
    CEventArg_Data<unsigned int> messageId(42);
    struct Case {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        Calls whenOpen;
    };
    const Case cases[] = {
        {Msg::TabIcons, kContact, reinterpret_cast<LPARAM>(&icons), {"SetTabIcons 4097 {13,7}"}},
        {Msg::TabTitle, kContact, reinterpret_cast<LPARAM>(&title), {"SetTabTitle 4097 Bob"}},
        {Msg::CloseTab, kContact, 0, {"CloseTab 4097"}},
        {Msg::MessageAcknowledged, W(contact), L(messageId), {"UpdateMsgIcon 4097 42 29"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msg);
        EXPECT_EQ(CallsOf(c.msg, c.wParam, c.lParam, false), Calls{});
        EXPECT_EQ(CallsOf(c.msg, c.wParam, c.lParam, true), c.whenOpen);
    }
}

TEST_F(AppMessages, OutgoingMessageShowsUnderTheOwnName) {
    Start();
    CEventArg_Data<unsigned int> account(3);
    CEventArg_Data<Protocols::MessageInfo> message(Message(0, 28, "bye"));
    EXPECT_EQ(CallsOf(Msg::MessageSent, W(account), L(message), false), Calls{});
    EXPECT_EQ(CallsOf(Msg::MessageSent, W(account), L(message), true), Calls{"AddMessage 4097 1 28 me|bye"});
}

TEST_F(AppMessages, NoticesAlertsAndUpdates) {
    Start();
    CYolString warning(u"Connection lost");
    Protocols::NotificationInfo mail(CYolString(u"Mail"), CYolFormatString(CYolString(u"2 new")));
    CEventArg_Data<unsigned int> account(3);
    Protocols::UserInfo found;
    found.contactId = 5;
    found.login = CYolString(u"bob");
    CEventArg_Data<Protocols::UserInfo> result(found);
    struct Case {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        Calls expected;
    };
    const Case cases[] = {
        {Msg::ShowText, reinterpret_cast<WPARAM>(&warning), 3, {"Warning Connection lost", "RaiseAlert 3"}},
        {Msg::Notification, reinterpret_cast<WPARAM>(&mail), 0, {"ShowEmail Mail|2 new", "RaiseAlert 4"}},
        {Msg::SearchResult, W(account), L(result), {"OnSearchResult bob"}},
        {Msg::SearchResult, W(account), 0, {"OnSearchResult end"}},
        {Msg::OwnDetailsReady, W(account), 0, {"RefreshUserDetails 3"}},
        {Msg::StartVersionCheck, 0, 0, {"StartVersionCheck"}},
        {Msg::NewVersion, 301, 0, {"ShowNewVersion 301 available", "RaiseAlert 3"}},
        {Msg::UpdateReady, 301, 0, {"ShowNewVersion 301 loaded", "RaiseAlert 3"}},
        {Msg::VersionCheckDone, 0x1234, 0, {"StopVersionCheck"}},
        {Msg::ProgramUpdateDone, 0, 0, {"StopDownload"}},
        {Msg::OpenAccountsPage, 0, 0, {"RunPreferences 9"}},
        {Msg::TrayIcon, 5999, 0x59, {"OnTrayMessage 5999 89"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msg);
        EXPECT_EQ(CallsOf(c.msg, c.wParam, c.lParam, false), c.expected);
    }
}

// A file name from a peer is shown as it is, even with "%s" in it.
TEST_F(AppMessages, FileTransferStatesNotifyWithTheBareFileName) {
    Start();
    CEventArg_Data<unsigned int> account(3);
    struct Case {
        unsigned int state;
        Calls expected;
    };
    const Case cases[] = {
        {0, {"ShowFileRequest 4097 /in/100%s.txt 1234", "RaiseAlert 5"}},
        {1, {"HandleTransferEvent 1"}},
        {2, {"HandleTransferEvent 2", "Information File '100%s.txt' loaded succesfully", "RaiseAlert 6"}},
        {3, {"HandleTransferEvent 3", "Warning File '100%s.txt' loading cancel", "RaiseAlert 3"}},
        {4, {"HandleTransferEvent 4", "Warning Error during loading of file '100%s.txt'", "RaiseAlert 3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        CEventArg_Data<Protocols::FTProgress> progress(Transfer(c.state, "/in/100%s.txt"));
        EXPECT_EQ(CallsOf(Msg::FileTransfer, W(account), L(progress), false), c.expected);
    }
}

}  // namespace
