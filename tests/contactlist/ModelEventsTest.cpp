// Event scripts: the protocols manager's account notifications, update
// brackets, the queued requests and the broadcasts they raise, in order.

#include "ClTestSupport.h"

namespace ClTest {
namespace {

using Protocols::ProtocolsManagerEvent::AccountAdded;
using Protocols::ProtocolsManagerEvent::AccountRemoved;
using Protocols::ProtocolsManagerEvent::AccountsLoaded;
using Protocols::ProtocolsManagerEvent::ClearContacts;

using EventsTest = AccountsTest;

TEST_F(ModelTest, StartUpFillsTheStatusListAndTheManagersLoadMakesTheListReady) {
    // What SetUp's start-up raised was taken; a fresh model shows it again.
    model.reset();
    model = std::make_unique<CL::CContactListImpl>(&services);
    recorder.Subscribe(services);
    services.BroadcastStarted();
    EXPECT_EQ(Events(), (std::vector<std::string>{"FillStatusList -"}));
    ManagerEvent(AccountsLoaded, 0);
    EXPECT_EQ(Events(), (std::vector<std::string>{"ContactListReady -"}));
}

TEST_F(EventsTest, NestedBracketsAnnounceOnlyTheOutermostPair) {
    model->BeginUpdate();
    model->BeginUpdate();
    unsigned int group = Group(kAccountA, "G");
    model->EndUpdate();
    model->EndUpdate();
    model->EndUpdate();  // unmatched: ignored
    model->BeginUpdate();
    model->EndUpdate();
    EXPECT_EQ(Events(), (std::vector<std::string>{"UpdateBegin -", "GroupAdded " + Hex(group) + " -", "UpdateEnd -",
                                                  "UpdateBegin -", "UpdateEnd -"}));
    std::string end = "EndBatch " + Hex(model->GetEventsClientId());
    EXPECT_EQ(store.calls, (std::vector<std::string>{"BeginBatch", end, "BeginBatch", end}));
}

TEST_F(EventsTest, ABatchOpenedIsClosedEvenWhenTheStoreWasSwitchedOffMeanwhile) {
    model->BeginUpdate();
    store.enabled = false;
    model->EndUpdate();
    model->BeginUpdate();
    model->EndUpdate();
    EXPECT_EQ(store.calls, (std::vector<std::string>{"BeginBatch", "EndBatch " + Hex(model->GetEventsClientId())}));
}

// Account A: groups G1 (contacts 1, 2) and G2 (contact 3), contact 4 outside
// groups; every contact is in a meta contact of its own.
class AccountRemovalTest : public AccountsTest {
protected:
    void SetUp() override {
        AccountsTest::SetUp();
        g1 = Group(kAccountA, "G1");
        g2 = Group(kAccountA, "G2");
        c1 = Contact(kAccountA, g1, "1");
        c2 = Contact(kAccountA, g1, "2");
        c3 = Contact(kAccountA, g2, "3");
        c4 = Contact(kAccountA, 0, "4");
        for (unsigned int c : {c1, c2, c3, c4})
            meta.push_back(model->GetMetaContactOf(c));
        mg1 = model->GetParentId(meta[0]);
        mg2 = model->GetParentId(meta[2]);
        Events();
    }
    std::vector<std::string> RemovalEvents() {
        return {
            "UpdateBegin -",
            "MetaContactRemoved " + Hex(meta[0]) + " " + Hex(mg1),
            "ContactRemoved " + Hex(c1) + " -",
            "MetaContactRemoved " + Hex(meta[1]) + " " + Hex(mg1),
            "ContactRemoved " + Hex(c2) + " -",
            "GroupRemoved " + Hex(g1) + " -",
            "MetaContactRemoved " + Hex(meta[2]) + " " + Hex(mg2),
            "ContactRemoved " + Hex(c3) + " -",
            "GroupRemoved " + Hex(g2) + " -",
            "MetaContactRemoved " + Hex(meta[3]) + " 0",
            "ContactRemoved " + Hex(c4) + " 0",
            "UpdateEnd -",
        };
    }
    unsigned int g1 = 0, g2 = 0, c1 = 0, c2 = 0, c3 = 0, c4 = 0, mg1 = 0, mg2 = 0;
    std::vector<unsigned int> meta;
};

TEST_F(AccountRemovalTest, AccountRemovedRemovesEveryItemInOneBracket) {
    unsigned int other = Contact(kAccountB, 0, "B");
    Events();
    ManagerEvent(AccountRemoved, kAccountA);
    EXPECT_EQ(Events(), RemovalEvents());
    CYolArray<CL::CLItemInfo> items;
    EXPECT_FALSE(model->GetAccountItems(kAccountA, items));
    EXPECT_EQ(model->AddGroup(kAccountA), 0u);
    EXPECT_EQ(model->GetItemAccount(other), kAccountB);
}

TEST_F(AccountRemovalTest, ClearContactsRemovesTheSameButKeepsTheAccount) {
    ManagerEvent(ClearContacts, kAccountA);
    EXPECT_EQ(Events(), RemovalEvents());
    CYolArray<CL::CLItemInfo> items;
    EXPECT_TRUE(model->GetAccountItems(kAccountA, items));
    EXPECT_EQ(items.Count(), 0);
    EXPECT_NE(model->AddGroup(kAccountA), 0u);
}

std::vector<std::pair<unsigned int, unsigned int>> Rows(CL::CContactListImpl& model, unsigned int account) {
    CYolArray<CL::CLItemInfo> items;
    EXPECT_TRUE(model.GetAccountItems(account, items));
    std::vector<std::pair<unsigned int, unsigned int>> out;
    for (const CL::CLItemInfo& row : items)
        out.emplace_back(row.parentId, row.itemId);
    return out;
}

// A new login's list may reach the model before the clear of the old one:
// the clear still takes exactly the old list.
TEST_F(AccountRemovalTest, WhatTheAccountAddsAfterRetiringItsListOutlivesTheClear) {
    const CYolString oldKey = model->GetItemKey(c1);
    const unsigned int generation = model->RetireAccountItems(kAccountA);
    ASSERT_NE(generation, 0u);
    // From here on the account sees none of the old items and cannot use them.
    EXPECT_TRUE(Rows(*model, kAccountA).empty());
    CYolArray<unsigned int> groups;
    EXPECT_TRUE(model->GetGroupIds(kAccountA, groups));
    EXPECT_EQ(groups.Count(), 0);
    EXPECT_EQ(model->FindItemByKey(oldKey), 0u);
    EXPECT_EQ(model->AddContact(kAccountA, g1), 0u);

    // The new login brings a group of an old name and a contact of an old login.
    unsigned int group = Group(kAccountA, "G1");
    unsigned int n1 = Contact(kAccountA, group, "1");
    unsigned int n5 = Contact(kAccountA, 0, "5");
    model->MoveContact(n5, g2);
    EXPECT_EQ(model->FindItemByKey(oldKey), n1);
    CL::CContactListImpl::Snapshot snapshot;
    model->TakeSnapshot(snapshot);
    ASSERT_GE(snapshot.accounts.Count(), 1);
    ASSERT_EQ(snapshot.accounts[0].items.Count(), 2);
    EXPECT_EQ(snapshot.accounts[0].items[0].contacts.Count(), 1);
    Events();

    ManagerEvent(ClearContacts, kAccountA, generation);
    EXPECT_EQ(Events(), RemovalEvents());
    using Row = std::pair<unsigned int, unsigned int>;
    EXPECT_EQ(Rows(*model, kAccountA), (std::vector<Row>{{group, 0}, {group, n1}, {0, n5}}));
    EXPECT_EQ(model->GetItemAccount(c1), 0u);
    EXPECT_EQ(model->GetMetaContactOf(c1), 0u);
    EXPECT_NE(model->GetMetaContactOf(n1), 0u);
}

TEST_F(AccountRemovalTest, EachClearTakesOnlyWhatWasRetiredBeforeIt) {
    const unsigned int first = model->RetireAccountItems(kAccountA);
    unsigned int between = Contact(kAccountA, 0, "between");
    const unsigned int second = model->RetireAccountItems(kAccountA);
    unsigned int after = Contact(kAccountA, 0, "after");
    EXPECT_GT(second, first);
    EXPECT_EQ(model->RetireAccountItems(0x10000099), 0u);

    ManagerEvent(ClearContacts, kAccountA, first);
    EXPECT_EQ(model->GetItemAccount(c4), 0u);
    EXPECT_EQ(model->GetItemAccount(between), kAccountA);
    ManagerEvent(ClearContacts, kAccountA, second);
    EXPECT_EQ(model->GetItemAccount(between), 0u);
    EXPECT_EQ(Rows(*model, kAccountA), (std::vector<std::pair<unsigned int, unsigned int>>{{0, after}}));
    // A clear without a generation takes everything there is.
    ManagerEvent(ClearContacts, kAccountA);
    EXPECT_TRUE(Rows(*model, kAccountA).empty());
}

TEST_F(AccountRemovalTest, AMetaContactSharedWithAnotherAccountStaysWithItsOtherContact) {
    unsigned int shared = Contact(kAccountB, 0, "x");
    unsigned int sharedMeta = model->GetMetaContactOf(shared);
    model->MoveContactToMetaContact(c4, sharedMeta);
    Flush();
    Events();
    ManagerEvent(AccountRemoved, kAccountA);
    std::vector<std::string> events = Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[events.size() - 3], "MetaContactStatusChanged " + Hex(sharedMeta) + " 0");
    EXPECT_EQ(events[events.size() - 2], "ContactRemoved " + Hex(c4) + " 0");
    EXPECT_EQ(Subs(sharedMeta), (std::vector<unsigned int>{shared}));
}

TEST_F(AccountRemovalTest, UnknownAccountsAreIgnoredAndAKnownOneKeepsItsEntry) {
    ManagerEvent(AccountRemoved, 0x10000099);
    ManagerEvent(ClearContacts, 0x10000099);
    ManagerEvent(AccountAdded, kAccountA);
    EXPECT_TRUE(Events().empty());
    EXPECT_EQ(model->GetParentId(c1), g1);
}

TEST_F(AccountRemovalTest, SubscribersMayCallBackWhileASynchronousRemovalWaits) {
    std::vector<std::string> seen;
    recorder.onEvent = [&](int event, unsigned int id) {
        if (event == CL::ContactListEvent::ContactRemoved || event == CL::ContactListEvent::GroupRemoved)
            seen.push_back(Text(id, "SrvLogName"));
    };
    model->RemoveGroup(g1);
    Flush();
    recorder.onEvent = nullptr;
    // Each item is still there, whole, while its removal is announced.
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "G1"}));
    EXPECT_EQ(Events(), (std::vector<std::string>{
                            "MetaContactRemoved " + Hex(meta[0]) + " " + Hex(mg1),
                            "ContactRemoved " + Hex(c1) + " -",
                            "MetaContactRemoved " + Hex(meta[1]) + " " + Hex(mg1),
                            "ContactRemoved " + Hex(c2) + " -",
                            "GroupRemoved " + Hex(g1) + " -",
                        }));
    EXPECT_EQ(model->GetItemAccount(c1), 0u);
    EXPECT_EQ(model->GetItemAccount(g1), 0u);
}

// ------------------------------------------------------------------- moves

TEST_F(EventsTest, MovingAContactBetweenGroupsOfItsAccount) {
    unsigned int g1 = Group(kAccountA, "G1");
    unsigned int g2 = Group(kAccountA, "G2");
    unsigned int contact = Contact(kAccountA, g1, "1", 2);
    unsigned int meta = model->GetMetaContactOf(contact);
    Events();
    EXPECT_TRUE(model->MoveContact(contact, g2));
    EXPECT_EQ(Events(), (std::vector<std::string>{"ContactRemoved " + Hex(contact) + " " + Hex(g1),
                                                  "ContactAdded " + Hex(contact) + " " + Hex(g2) + ":2"}));
    EXPECT_EQ(model->GetParentId(contact), g2);
    // Between groups the meta contact stays where it is.
    EXPECT_EQ(model->GetMetaContactOf(contact), meta);
    CYolArray<CL::CLItemInfo> items;
    model->GetAccountItems(kAccountA, items);
    ASSERT_EQ(items.Count(), 3);
    EXPECT_EQ(items[2].parentId, g2);
    EXPECT_EQ(items[2].itemId, contact);
}

TEST_F(EventsTest, MovesAcrossAccountsOrOutOfGroupsMoveNothing) {
    unsigned int groupA = Group(kAccountA, "A");
    unsigned int groupB = Group(kAccountB, "B");
    unsigned int grouped = Contact(kAccountA, groupA, "1");
    unsigned int outside = Contact(kAccountA, 0, "2");
    Events();
    model->MoveContact(grouped, groupB);
    model->MoveContact(outside, groupB);
    model->MoveContact(grouped, 0);
    model->MoveContact(grouped, 0x3FFFFFF0);
    EXPECT_TRUE(Events().empty());
    EXPECT_EQ(model->GetParentId(grouped), groupA);
    EXPECT_EQ(model->GetParentId(outside), 0u);
}

TEST_F(EventsTest, AContactMovedIntoAGroupTakesItsMetaContactAlongAndAsksItsStatusAgain) {
    unsigned int outside = Contact(kAccountA, 0, "1", 0);
    unsigned int meta = model->GetMetaContactOf(outside);
    unsigned int group = Group(kAccountA, "Team");
    Events();
    manager.SetContactStatus(outside, 12);
    model->MoveContact(outside, group);
    std::vector<std::string> events = Events();
    ASSERT_EQ(events.size(), 5u);
    unsigned int team = model->GetParentId(meta);
    EXPECT_EQ(events, (std::vector<std::string>{
                          "ContactRemoved " + Hex(outside) + " -",
                          "MetaGroupAdded " + Hex(team) + " -",
                          "ContactAdded " + Hex(outside) + " " + Hex(group) + ":12",
                          "MetaContactRemoved " + Hex(meta) + " 0",
                          "MetaContactAdded " + Hex(meta) + " " + Hex(team) + ":12",
                      }));
    EXPECT_EQ(Text(team, "CL Alias"), "Team");
}

// ---------------------------------------------------------------- messages

TEST_F(EventsTest, MessagesCarryTheirMetaContactAndComeOnlyForListedContacts) {
    unsigned int contact = Contact(kAccountA, 0, "1");
    unsigned int meta = model->GetMetaContactOf(contact);
    unsigned int stranger = model->FindOrAddTempContact(kAccountA, W("x"));
    Events();
    MessageInfo message;
    message.text = W("hello");
    model->ReceiveMessage(contact, message);
    model->ReceiveMessage(stranger, message);
    model->NotifyMessageAck(contact, 0x55);
    model->NotifyMessageAck(stranger, 0x56);
    model->SetContactTyping(contact, true);
    model->SetContactTyping(contact, false);
    // A message that never went comes back whole, for the user to send again.
    MessageInfo unsent;
    unsent.text = W("draft\r\nline two");
    model->NotifyMessageNotSent(contact, unsent);
    model->NotifyMessageNotSent(stranger, unsent);
    model->NotifyMessageNotSent(0x80000999, unsent);
    EXPECT_EQ(Events(), (std::vector<std::string>{
                            "MessageReceived " + Hex(contact) + " " + Hex(meta) + ":hello",
                            "MessageAcknowledged " + Hex(contact) + " 55",
                            "ContactTyping " + Hex(contact) + " true",
                            "ContactTyping " + Hex(contact) + " false",
                            "MessageNotSent " + Hex(contact) + " " + Hex(meta) + ":draft\r\nline two",
                        }));
}

TEST_F(EventsTest, SendMessageToAContactFillsInItsMetaContact) {
    unsigned int contact = Contact(kAccountB, 0, "1");
    unsigned int meta = model->GetMetaContactOf(contact);
    MessageInfo message;
    message.text = W("hi");
    EXPECT_TRUE(model->SendMessage(contact, &message, true));
    EXPECT_EQ(message.metaContactId, meta);
    EXPECT_FALSE(model->SendMessage(0x80000999, &message, false));
    EXPECT_EQ(manager.Calls(), (std::vector<std::string>{"SendMessage " + Hex(kAccountB) + " " + Hex(contact) + " " +
                                                         Hex(meta) + " hi silent"}));
}

TEST_F(EventsTest, NotificationsOfKnownItems) {
    unsigned int group = Group(kAccountA, "G");
    unsigned int contact = Contact(kAccountA, group, "1");
    unsigned int metaGroup = model->GetParentId(model->GetMetaContactOf(contact));
    Events();
    model->NotifyGroupChanged(group);
    model->NotifyContactChanged(contact);
    model->NotifyMetaGroupChanged(metaGroup);
    model->NotifyMetaGroupChanged(0);
    EXPECT_EQ(Events(), (std::vector<std::string>{"GroupChanged " + Hex(group) + " -",
                                                  "ContactChanged " + Hex(contact) + " -",
                                                  "MetaGroupChanged " + Hex(metaGroup) + " -",
                                                  "MetaGroupChanged 0 -"}));
}

}  // namespace
}  // namespace ClTest
