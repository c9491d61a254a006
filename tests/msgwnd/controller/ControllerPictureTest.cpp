// What the message window draws with two chats open.

#include "ControllerTestSupport.h"

#include "Backends/Backend.h"

namespace {

using mw_test::ControllerTest;

TEST_F(ControllerTest, TwoChatsDrawTheirTabsHistoryAndEditor) {
    LoadSmileys(4);
    Open(7, u"Bob");
    Open(9, u"Carol");
    controller->AddMessage(7, Incoming("hello :0"));
    controller->AddMessage(9, Incoming("carol here :1 and :2"));
    controller->Show(true);
    Platform::PumpMessages();
    if (const char* keep = std::getenv("YOL_KEEP_SCREENSHOTS")) {
        EXPECT_TRUE(Platform::SaveWindowPng(*controller, (std::string(keep) + "/controller-two-tabs.png").c_str()));
    }
    EXPECT_EQ(controller->Toolbar()->SmiliesBar()->Count(), 4);
    EXPECT_EQ(controller->Pane(9)->History()->Smileys().Count(), 2);
    EXPECT_TRUE(controller->Pane(9)->IsVisible());
    EXPECT_FALSE(controller->Pane(7)->IsVisible());
}

} // namespace
