// The contact list as it shows: three accounts of 50 contacts each in each
// of the four views, painted headless and written as PNG files into the
// test's folder; the selection, a scroll step, and the blinking of an unread message that the views report from
// their own thread, and painting while the trees change on another.

#include "ClWindowTestSupport.h"
#include "WindowSystem/WindowKeys.h"

#include <gmock/gmock.h>

#include <atomic>
#include <thread>

namespace {

using namespace ClWindowSupport;

TEST_F(ClWindowPicture, FourViewsOfOneHundredFiftyContacts) {
    std::vector<unsigned int> contacts = Populate(50);
    // Meta contacts take their contacts' names; one named apart makes the
    // meta views differ from the plain ones.
    model->RenameMetaContact(model->GetMetaContactOf(contacts[0]), W("zoe"));
    Show();
    std::vector<Picture> pictures = PaintAllViews("headless-");
    for (size_t i = 0; i < pictures.size(); ++i)
        for (size_t j = i + 1; j < pictures.size(); ++j)
            EXPECT_TRUE(pictures[i].bytes != pictures[j].bytes) << "views " << i << " and " << j;
}

TEST_F(ClWindowPicture, ScrollStepShowsTheNextRows) {
    Populate(50);
    ShowAndPaint(views.flat);
    Picture before = Capture(ctrl->GetWindow());
    SendMessage(ctrl->GetWindow(), WM_VSCROLL, SB_LINEDOWN, 0);
    Platform::PumpMessages();
    Picture after = Capture(ctrl->GetWindow());
    EXPECT_EQ(ctrl->ScrollPos(), 20);
    EXPECT_TRUE(before.bytes != after.bytes);
}

TEST_F(ClWindowPicture, SelectedRowIsDrawnWithTheSelectionFrame) {
    std::vector<unsigned int> contacts = Populate(3);
    int top = [&] {
        auto held = views.Lock();
        return Find(ctrl->Root(), contacts[0])->GetChildOffset(ctrl->Root());
    }();
    COLORREF frame = Skins::GetSkinColor(Skins::SKIN_CLR_SEL_FRAME);
    EXPECT_NE(Platform::GetScreenPixel(120, top), frame);
    Platform::InjectTap(At(120, top + 5));
    Platform::PumpMessages();
    EXPECT_EQ(Platform::GetScreenPixel(120, top), frame);
    EXPECT_EQ(Platform::GetScreenPixel(0, top + 10), frame);
}

TEST_F(ClWindowPicture, UnreadMessageFromTheQueueThreadBlinksTheRow) {
    ManagerEvent(Protocols::ProtocolsManagerEvent::AccountAdded, ClTest::kAccountA);
    unsigned int group = NamedGroup(ClTest::kAccountA, "Friends");
    unsigned int contact = Contact(ClTest::kAccountA, group, "frank", 2);
    Show();
    int middle = OffsetOf(RowOf(contact)) + ctrl->RowHeight() / 2;
    // The clock starts in an even half-second: the event image is off.
    ASSERT_EQ(clock.TickCount() / 500 % 2, 0u);
    COLORREF status = Platform::GetScreenPixel(11, middle);
    // The views change on their own thread and only post to the window.
    std::thread queue([&] {
        Protocols::MessageInfo message;
        message.messageId = 1;
        views.MessageUnread(ClTest::kAccountA, group, contact, 0, 0, message);
    });
    queue.join();
    Platform::PumpMessages();
    std::vector<COLORREF> shown;
    for (int step = 0; step < 4; ++step) {
        Advance(500);
        shown.push_back(Platform::GetScreenPixel(11, middle));
    }
    EXPECT_NE(shown[0], shown[1]);
    EXPECT_EQ(shown[0], shown[2]);
    EXPECT_EQ(shown[1], shown[3]);
    EXPECT_NE(shown[0], status) << "the odd half-second shows the event image";

    std::thread read([&] { views.MessagesRead(ClTest::kAccountA, group, contact, 0, 0, 1); });
    read.join();
    Platform::PumpMessages();
    COLORREF settled = Platform::GetScreenPixel(11, middle);
    Advance(500);
    EXPECT_EQ(Platform::GetScreenPixel(11, middle), settled) << "no more blinking once read";
}

TEST_F(ClWindowPicture, PaintsAndTakesKeysWhileTheTreesChange) {
    std::vector<unsigned int> contacts = Populate(20);
    std::atomic<bool> done{false};
    std::thread queue([&] {
        for (int round = 0; round < 100; ++round)
            for (size_t i = 0; i < contacts.size(); i += 7) {
                unsigned int group = model->GetParentId(contacts[i]);
                views.ContactStatusChanged(ClTest::kAccountA, group, contacts[i], ClTest::Status(round % 2 ? 2 : 0));
            }
        done = true;
    });
    unsigned vk[] = {VK_DOWN, VK_DOWN, VK_UP, VK_RIGHT, VK_LEFT};
    for (unsigned n = 0; !done; ++n) {
        Platform::InjectKey(vk[n % 5]);
        InvalidateRect(ctrl->GetWindow(), nullptr, false);
        Platform::PumpMessages();
    }
    queue.join();
    Show();
    cairo_surface_t* surface = Platform::CaptureWindow(ctrl->GetWindow());
    EXPECT_GE(DistinctBands(surface, ctrl->RowHeight()), 12);
    cairo_surface_destroy(surface);
}

}  // namespace
