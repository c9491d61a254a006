// The application's start-up and teardown with the real core: what it
// shows, what it asks of its parts, and that every thread it started is
// joined again.

#include "AppTestSupport.h"
#include "CoreServices.h"
#include "Shell/ShellMenuBar.h"
#include "TextDrawingSuppressions.h"
#include "WindowSystem/Window.h"

namespace {

using namespace AppTest;

class AppLifecycle : public AppFixture {};

TEST_F(AppLifecycle, FirstStartWithoutAccountsOpensTheAccountsPageOnceTheListIsReady) {
    Start();
    ASSERT_TRUE(PumpUntil([&] { return !ports.preferencePages.empty(); }));
    EXPECT_EQ(ports.preferencePages, std::vector<int>{9});
    // The observers of a preferences change: the tool set and the
    // application (the recording message windows offer none).
    EXPECT_EQ(ports.preferenceObservers, 2u);
    EXPECT_TRUE(ports.Has("CreateSplash Initializing..."));
    EXPECT_TRUE(ports.Has("CloseSplash"));
    // Without its dialog the base-account prompt is answered as cancelled,
    // and the accounts start without the server store.
    EXPECT_EQ(ports.Starting("RunBaseAccount").size(), 1u);
    EXPECT_FALSE(Platform::IsUnattendedMode());
}

TEST_F(AppLifecycle, ShowsTheListAboveTheStatusBarWithTheMenuSoftKey) {
    Start();
    HWND bar = app->GetMenuBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(Platform::MenuBarButtonText(bar, 0), u"Menu");
    EXPECT_TRUE(Platform::IsSoftKeyEnabled(bar, 0));
    // Nothing selected in an empty list: the right key says nothing.
    EXPECT_EQ(Platform::MenuBarButtonText(bar, 1), u"");
    EXPECT_FALSE(Platform::IsSoftKeyEnabled(bar, 1));

    RECT client{}, list{}, status{};
    GetClientRect(app->GetWindow(), &client);
    GetWindowRect(app->ContactList()->GetWindow(), &list);
    GetWindowRect(app->StatusBar()->Handle(), &status);
    EXPECT_EQ(status.bottom - status.top, 28);  // 28 logical pixels at 96 dpi
    EXPECT_EQ(list.bottom, status.top);
    EXPECT_EQ(status.bottom - list.top, client.bottom - client.top);
}

TEST_F(AppLifecycle, ShutdownSavesNothingItHasNotAndJoinsEveryThread) {
    Start();
    EXPECT_NE(Core::g_protocolsManager, nullptr);
    EXPECT_GT(ThreadCount(), threadsBefore);
    PostMessage(app->GetWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app->RunMessageLoop(), 0);
    EXPECT_TRUE(ports.Has("RemoveTray"));
    app.reset();
    EXPECT_EQ(Core::g_protocolsManager, nullptr);
    EXPECT_EQ(Core::g_database, nullptr);
    EXPECT_TRUE(ports.Has("StopVersionCheck all"));
    EXPECT_TRUE(ports.Has("DestroyFileTransfers"));
    EXPECT_EQ(ThreadCount(), threadsBefore);
    EXPECT_TRUE(std::filesystem::exists(PathOf("settings.yol")));
}

TEST_F(AppLifecycle, SecondApplicationInTheProcessBringsTheFirstForwardAndDoesNotStart) {
    Start();
    UI::TYolWMStartRecord other;
    RecordingPorts otherPorts;
    UI::CYolWMApp second(&other, otherPorts.Ports(), services);
    EXPECT_FALSE(second.InitInstance(CYolString()));
    EXPECT_EQ(second.GetWindow(), nullptr);
    EXPECT_TRUE(otherPorts.calls.empty());
}

TEST_F(AppLifecycle, WakeUpStartWaitsForTheRunningCopyAndEndsWithoutAWindow) {
    auto wakeUp = Platform::NamedEvent::Create(u"YOL-PDA-WAKEUP");
    // The running copy has resumed already: the wait ends at once.
    wakeUp->Set();
    UI::CYolWMApp scheduled(&start, ports.Ports(), services);
    EXPECT_FALSE(scheduled.InitInstance(CYolString(u"AppRunAtTime")));
    EXPECT_EQ(scheduled.GetWindow(), nullptr);
    EXPECT_FALSE(wakeUp->Wait(0));  // taken by the waiting start
    EXPECT_EQ(Platform::UnattendedModeRequests(), 0);
}

}  // namespace
