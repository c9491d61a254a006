// The "GUI" events client: the status lists it fills in place, and what the
// core's events turn into once the UI thread has them.

#include "AppTestSupport.h"
#include "CEventArg.h"
#include "ContactListEvents.h"
#include "ProtocolsManagerEvents.h"
#include "YolGuids.h"

namespace {

using namespace AppTest;
using Services::CEventArg_Data;
namespace PM = Protocols::ProtocolsManagerEvent;
namespace CLE = CL::ContactListEvent;

class AppEvents : public AppFixture {
protected:
    void Event(const YOL_GUID& channel, int event, Services::CEventArg* a, Services::CEventArg* b) {
        app->OnEvent(channel, event, a, b);
        Platform::PumpMessages();
    }
};

std::string Entry(const Protocols::StatusInfo& info) {
    return std::to_string(info.status) + " " + info.name.ToUtf8() + " " + Icons(info.icon);
}

TEST_F(AppEvents, FillsTheGlobalStatusListInMenuOrder) {
    Start();
    CYolString caption;
    CYolArray<Protocols::StatusInfo> list;
    CEventArg_Data<CYolString*> a(&caption);
    CEventArg_Data<CYolArray<Protocols::StatusInfo>*> b(&list);
    Event(ProtocolsManagerGuid, PM::StatusList, &a, &b);
    EXPECT_EQ(caption.ToUtf8(), "Global status");
    std::vector<std::string> entries;
    for (int i = 0; i < list.Count(); ++i)
        entries.push_back(Entry(list[i]));
    ASSERT_EQ(entries.size(), 15u);
    EXPECT_EQ(entries[0], "5 Free for Chat {13,6}");
    EXPECT_EQ(entries[10], "2 Online {13}");
    EXPECT_EQ(entries[12], "4 Invisible for All {15,7}");
    EXPECT_EQ(entries[13], "1 Connecting {11}");
    EXPECT_EQ(entries[14], "0 Offline {12}");
}

TEST_F(AppEvents, FillsTheContactStatusListByNumber) {
    Start();
    CYolArray<Protocols::StatusInfo> list;
    CEventArg_Data<CYolArray<Protocols::StatusInfo>*> a(&list);
    Event(ContactListGuid, CLE::FillStatusList, &a, nullptr);
    const char* expected[] = {"{12}",   "{14}",   "{13}",   "{13,7}", "{13,7}", "{13,6}",  "{13,5}", "{13,3}",
                              "{13,0}", "{13,1}", "{13,8}", "{13,2}", "{13,9}", "{13,10}", "{13,4}"};
    ASSERT_EQ(list.Count(), 15);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(static_cast<int>(list[i].status), i);
        EXPECT_TRUE(list[i].name.IsEmpty());
        EXPECT_EQ(Icons(list[i].icon), expected[i]) << i;
    }
}

TEST_F(AppEvents, TypingShowsThePenOnTheOpenTab) {
    Start();
    ports.openTabs.insert(0x1001);
    ports.calls.clear();
    CEventArg_Data<unsigned int> contact(0x1001);
    CEventArg_Data<bool> typing(false);  // zero while the contact types
    Event(ContactListGuid, CLE::ContactTyping, &contact, &typing);
    EXPECT_EQ(ports.calls, std::vector<std::string>{"SetTabIcons 4097 {53}"});
}

TEST_F(AppEvents, GlobalStatusUpdatesTheTrayAndAConnectedAccountStartsAVersionCheck) {
    Start();
    ports.calls.clear();
    Protocols::StatusInfo online(Protocols::Online, CYolString());
    online.icon.Add(13);
    CEventArg_Data<int> global(0);
    CEventArg_Data<Protocols::StatusInfo> status(online);
    Event(ProtocolsManagerGuid, PM::StatusChanged, &global, &status);
    EXPECT_EQ(ports.calls, std::vector<std::string>{"UpdateTray"});
    ports.calls.clear();
    CEventArg_Data<int> account(7);
    Event(ProtocolsManagerGuid, PM::StatusChanged, &account, &status);
    EXPECT_EQ(ports.calls, std::vector<std::string>{"StartVersionCheck"});
    ports.calls.clear();
    Protocols::StatusInfo connecting(Protocols::Connecting, CYolString());
    CEventArg_Data<Protocols::StatusInfo> status2(connecting);
    Event(ProtocolsManagerGuid, PM::StatusChanged, &account, &status2);
    EXPECT_TRUE(ports.calls.empty());
}

TEST_F(AppEvents, LoadingTextsShowOnlyWhileTheSplashIsOpen) {
    Start();
    ports.calls.clear();
    Event(ProtocolsManagerGuid, PM::AccountsLoading, nullptr, nullptr);
    EXPECT_TRUE(ports.calls.empty());
    ports.splashOpen = true;
    ports.splash = app->GetWindow();  // any window stands for the splash
    Event(ProtocolsManagerGuid, PM::AccountsLoading, nullptr, nullptr);
    Event(ProtocolsManagerGuid, PM::MetacontactsLoading, nullptr, nullptr);
    EXPECT_EQ(ports.calls, (std::vector<std::string>{"SetSplashText Accounts loading...",
                                                     "SetSplashText Metacontacts loading..."}));
}

TEST_F(AppEvents, EventsOfOtherChannelsAreIgnored) {
    Start();
    ports.calls.clear();
    CEventArg_Data<unsigned int> id(1);
    EXPECT_EQ(app->OnEvent(DatabaseGuid, 1, &id, nullptr), 0);
    EXPECT_EQ(app->OnEvent(ContactListGuid, 99, &id, nullptr), 0);
    Platform::PumpMessages();
    EXPECT_TRUE(ports.calls.empty());
}

}  // namespace
