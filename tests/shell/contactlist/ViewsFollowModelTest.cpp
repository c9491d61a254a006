// The four views follow the real contact-list model through its broadcasts;
// each script ends in a dump of all four trees compared with a golden file.

#include "ViewTestSupport.h"

namespace ViewTest {
namespace {

using ClTest::kAccountA;
using ClTest::kAccountB;
using ClTest::Status;

// Groups in order, contacts sorted by status and name, equal names in the
// order they came, a connecting contact ranked by name alone, contacts
// outside every group under "Not in list", and the meta views built from
// the meta contacts the model files them into.
TEST_F(ViewsTest, GroupsSortingTiesAndNotInList) {
    AddAccounts();
    unsigned int friends = NamedGroup(kAccountA, "Friends");
    unsigned int work = NamedGroup(kAccountA, "Work");
    NamedGroup(kAccountB, "Family");
    Contact(kAccountA, friends, "zed", 2, "Zed");
    Contact(kAccountA, friends, "ann", 0, "Ann");
    Contact(kAccountA, friends, "bob1", 2, "Bob");
    Contact(kAccountA, friends, "bob2", 2, "bob");
    Contact(kAccountA, friends, "cat", 1, "Cat");
    Contact(kAccountA, work, "wendy", 12, "Wendy");
    Contact(kAccountA, 0, "stranger", 0, "Stranger");
    Settle();
    ExpectGolden("sorting", Dump(views));
}

// Hidden offline contacts: groups added while offline contacts are hidden
// hide them one by one in the grouped views; the flat views hide the whole
// "Offline" header. An unread message shows its contact at the top of its
// group and under "Online" until it is read.
TEST_F(ViewsTest, OfflineHidingAndUnreadMessages) {
    follower.SetShowOffline(false);
    AddAccounts();
    unsigned int friends = NamedGroup(kAccountA, "Friends");
    unsigned int ann = Contact(kAccountA, friends, "ann", 2, "Ann");
    unsigned int bob = Contact(kAccountA, friends, "bob", 0, "Bob");
    Contact(kAccountA, friends, "cid", 2, "Cid");
    Settle();
    views.SetShowOffline(false);
    SetStatus(ann, 0);
    Settle();
    ExpectGolden("offline-hidden", Dump(views));

    Protocols::MessageInfo message;
    message.messageId = 7;
    message.flags = 27;
    views.MessageUnread(kAccountA, friends, bob, 0, 0, message);
    ExpectGolden("offline-unread", Dump(views));

    views.MessagesRead(kAccountA, friends, bob, 0, 0, 7);
    ExpectGolden("offline-hidden", Dump(views));
}

// Status changes move rows between headers and reorder them; removing the
// last contact outside groups hides "Not in list" again; removing an
// account takes its rows from the grouped view, and the model's removals
// take them from the others.
TEST_F(ViewsTest, StatusChangesRemovalsAndTyping) {
    AddAccounts();
    unsigned int friends = NamedGroup(kAccountA, "Friends");
    unsigned int ann = Contact(kAccountA, friends, "ann", 0, "Ann");
    Contact(kAccountA, friends, "bob", 2, "Bob");
    unsigned int stranger = Contact(kAccountA, 0, "stranger", 0, "Stranger");
    unsigned int family = NamedGroup(kAccountB, "Family");
    unsigned int dad = Contact(kAccountB, family, "dad", 2, "Dad");
    Settle();
    SetStatus(ann, 14);
    model->SetContactTyping(dad, false);
    model->RemoveContact(stranger);
    Settle();
    ExpectGolden("changes", Dump(views));

    ManagerEvent(Protocols::ProtocolsManagerEvent::AccountRemoved, kAccountB);
    Settle();
    ExpectGolden("account-removed", Dump(views));
}

// Meta contacts follow the model between meta groups and into each other;
// a temporary contact, which the model never announces, leaves the trees
// as they were, even when a message of it is marked unread.
TEST_F(ViewsTest, MetaContactsMoveAndTemporaryContactsStayOut) {
    AddAccounts();
    unsigned int friends = NamedGroup(kAccountA, "Friends");
    unsigned int family = NamedGroup(kAccountB, "Family");
    unsigned int ann = Contact(kAccountA, friends, "ann", 2, "Ann");
    unsigned int bob = Contact(kAccountA, friends, "bob", 0, "Bob");
    unsigned int dad = Contact(kAccountB, family, "dad", 2, "Dad");
    Settle();
    unsigned int close = model->AddMetaGroup(W("Close"), 0, true);
    Settle();
    model->MoveMetaContact(model->GetMetaContactOf(bob), close);
    model->MoveContactToMetaContact(dad, model->GetMetaContactOf(ann));
    Settle();
    std::string before = Dump(views);
    ExpectGolden("meta-moves", before);

    unsigned int temp = model->FindOrAddTempContact(kAccountA, W("visitor"));
    ASSERT_NE(temp, 0u);
    Protocols::MessageInfo message;
    message.messageId = 4;
    views.MessageUnread(kAccountA, 0, temp, 0, 0, message);
    Settle();
    EXPECT_EQ(Dump(views), before);
}

// A contact with an unread message that goes offline stays in sight: in
// the grouped view while offline contacts are hidden, and under "Online" in
// the flat view, until the message is read.
TEST_F(ViewsTest, UnreadContactGoingOfflineStaysInSight) {
    follower.SetShowOffline(false);
    AddAccounts();
    unsigned int friends = NamedGroup(kAccountA, "Friends");
    unsigned int ann = Contact(kAccountA, friends, "ann", 2, "Ann");
    Settle();
    views.SetShowOffline(false);
    Protocols::MessageInfo message;
    message.messageId = 3;
    message.flags = 27;
    views.MessageUnread(kAccountA, friends, ann, 0, 0, message);
    SetStatus(ann, 0);
    Settle();
    {
        auto held = views.Lock();
        auto* grouped = CL::FindChild<CL::CYol_CLContactItem>(
            CL::FindChild<CL::CYol_CLGroupItem>(CL::FindChild<CL::CYol_CLAccountItem>(views.grouped, kAccountA), friends),
            ann);
        ASSERT_NE(grouped, nullptr);
        EXPECT_TRUE(grouped->visible);
        EXPECT_NE(CL::FindChild<CL::CYol_CLContactItem>(views.flat->headers[0], ann), nullptr);
    }
    views.MessagesRead(kAccountA, friends, ann, 0, 0, static_cast<unsigned int>(-1));
    auto held = views.Lock();
    EXPECT_NE(CL::FindChild<CL::CYol_CLContactItem>(views.flat->headers[1], ann), nullptr);
}

}  // namespace
}  // namespace ViewTest
