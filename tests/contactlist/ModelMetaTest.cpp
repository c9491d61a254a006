// Meta groups, meta contacts, merged status and filing contacts into meta
// contacts, with the events and the server-store changes each raises.

#include "ClTestSupport.h"

namespace ClTest {
namespace {

using MetaTest = AccountsTest;

// A meta contact in meta group "Work" waiting for three contacts, one per
// account, all of login "7".
class WaitingMetaTest : public AccountsTest {
protected:
    void SetUp() override {
        AccountsTest::SetUp();
        work = model->AddMetaGroup(W("Work"), 0, false);
        meta = model->AddMetaContact(work, 4, W("Seven"), W("7"), W("Ruv1"));
        model->AddMetaSubContact(meta, W("7"), W("Ruv2"));
        model->AddMetaSubContact(meta, W("7"), W("Ruv3"));
        // The broadcasts of the set-up are posted: wait for them before
        // forgetting them, or one lands in the test's first look.
        Events();
        store.calls.clear();
    }
    unsigned int work = 0;
    unsigned int meta = 0;
};

TEST_F(WaitingMetaTest, SubContactsResolveAsTheirContactsArrive) {
    unsigned int a = Contact(kAccountA, 0, "7", 1);
    EXPECT_EQ(Events(), (std::vector<std::string>{"ContactAdded " + Hex(a) + " 0:1",
                                                  "MetaContactAdded " + Hex(meta) + " " + Hex(work) + ":1"}));
    unsigned int b = Contact(kAccountB, 0, "7", 5);
    EXPECT_EQ(Events(), (std::vector<std::string>{"ContactAdded " + Hex(b) + " 0:5",
                                                  "MetaContactStatusChanged " + Hex(meta) + " 5"}));
    // The third changes nothing of the merged status: no event.
    unsigned int c = Contact(kAccountC, 0, "7", 2);
    EXPECT_EQ(Events(), (std::vector<std::string>{"ContactAdded " + Hex(c) + " 0:2"}));

    EXPECT_EQ(Subs(meta), (std::vector<unsigned int>{a, b, c}));
    EXPECT_EQ(model->GetMetaContactOf(c), meta);
    EXPECT_EQ(model->GetParentId(meta), work);
    // Resolving is no change the server needs to hear of.
    EXPECT_TRUE(store.calls.empty());
}

TEST_F(WaitingMetaTest, AThirdSubContactThatChangesTheMergedStatusIsAnnounced) {
    Contact(kAccountA, 0, "7", 0);
    Contact(kAccountB, 0, "7", 1);
    Events();
    Contact(kAccountC, 0, "7", 11);
    std::vector<std::string> events = Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1], "MetaContactStatusChanged " + Hex(meta) + " 11");
}

TEST_F(WaitingMetaTest, MergedStatusIsTheFirstConnectedSubContactsElseTheFirstResolved) {
    struct Case {
        unsigned int a, b, c;
        unsigned int merged;
    } cases[] = {
        {1, 5, 0, 5},
        {1, 0, 0, 1},
        {0, 3, 5, 3},
        {2, 11, 0, 2},
        {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.a) + "," + std::to_string(c.b) + "," + std::to_string(c.c));
        unsigned int ids[] = {Contact(kAccountA, 0, "7", c.a), Contact(kAccountB, 0, "7", c.b),
                              Contact(kAccountC, 0, "7", c.c)};
        EXPECT_EQ(Merged(meta), c.merged);
        for (unsigned int id : ids)
            model->RemoveContact(id);
        Flush();
        // The meta contact lost all its entries and went with them.
        meta = model->AddMetaContact(work, 4, W("Seven"), W("7"), W("Ruv1"));
        model->AddMetaSubContact(meta, W("7"), W("Ruv2"));
        model->AddMetaSubContact(meta, W("7"), W("Ruv3"));
    }
}

TEST_F(WaitingMetaTest, UnresolvedSubContactsNeitherCountNorAct) {
    // Only the third account's contact is there.
    unsigned int c = Contact(kAccountC, 0, "7", 1);
    EXPECT_EQ(Merged(meta), 1u);
    MessageInfo message;
    message.text = W("hi");
    EXPECT_TRUE(model->SendMessage(meta, &message, false));
    EXPECT_EQ(message.contactId, c);
    EXPECT_EQ(message.metaContactId, meta);
    EXPECT_EQ(manager.Calls(), (std::vector<std::string>{"SendMessage " + Hex(kAccountC) + " " + Hex(c) + " " +
                                                         Hex(meta) + " hi"}));
}

TEST_F(WaitingMetaTest, ActionsGoThroughTheFirstConnectedSubContact) {
    unsigned int a = Contact(kAccountA, 0, "7", 1);
    unsigned int b = Contact(kAccountB, 0, "7", 2);
    EXPECT_TRUE(model->SendTypingNotification(meta, true));
    EXPECT_TRUE(model->RequestContactDetails(meta));
    EXPECT_TRUE(model->SendFile(meta, W("/tmp/f")));
    EXPECT_TRUE(model->RequestContactDetails(a));
    EXPECT_FALSE(model->RequestContactDetails(work));
    EXPECT_FALSE(model->SendFile(0x80000999, W("/tmp/f")));
    EXPECT_EQ(manager.Calls(), (std::vector<std::string>{
                                   "SendTyping " + Hex(kAccountB) + " " + Hex(b) + " 1",
                                   "RequestContactInfo " + Hex(kAccountB) + " " + Hex(b),
                                   "SendFile " + Hex(kAccountB) + " " + Hex(b) + " /tmp/f",
                                   "RequestContactInfo " + Hex(kAccountA) + " " + Hex(a),
                               }));
}

TEST_F(WaitingMetaTest, NothingActsForAMetaContactWithoutResolvedSubContacts) {
    MessageInfo message;
    EXPECT_FALSE(model->SendMessage(meta, &message, false));
    EXPECT_FALSE(model->SendTypingNotification(meta, true));
    EXPECT_FALSE(model->SendMessage(meta, nullptr, false));
    EXPECT_TRUE(manager.Calls().empty());
}

class StatusListTest : public ModelTest {
protected:
    void BeforeModel() override {
        for (unsigned int i = 0; i < 4; ++i) {
            Protocols::StatusInfo info;
            info.status = static_cast<Protocols::Status>(i);
            info.icon.Add(100 + i);
            recorder.statusList.push_back(info);
        }
    }
    void SetUp() override {
        ModelTest::SetUp();
        for (unsigned int account : {kAccountA, kAccountB})
            ManagerEvent(Protocols::ProtocolsManagerEvent::AccountAdded, account);
    }
    unsigned int Icon(unsigned int metaId) {
        ContactStatusInfo out;
        model->GetItemStatus(out, metaId);
        return out.icons.Count() > 0 && out.icons[0].Count() > 0 ? out.icons[0][0] : 0;
    }
};

TEST_F(StatusListTest, MergedStatusOfTwoOrMoreTakesTheStatusListIcon) {
    unsigned int work = model->AddMetaGroup(W("Work"), 0, false);
    struct Case {
        unsigned int group;   // meta group of the meta contact
        unsigned int status;  // of the connected sub-contact
        unsigned int icon;
    } cases[] = {
        {work, 2, 102},
        {work, 9, 103},  // past the end: the last entry
        {0, 2, 101},     // the default meta group: entry 1
    };
    unsigned int number = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        std::string login = "L" + std::to_string(number);
        unsigned int meta = model->AddMetaContact(c.group, number++, W("M"), W(login), W("Ruv1"));
        model->AddMetaSubContact(meta, W(login), W("Ruv2"));
        Contact(kAccountA, 0, login, c.status);
        EXPECT_EQ(Icon(meta), 0u);  // one sub-contact: its own icons
        Contact(kAccountB, 0, login, 0);
        EXPECT_EQ(Icon(meta), c.icon);
    }
}

// --------------------------------------------------------------- filing

TEST_F(MetaTest, AContactOutsideGroupsIsFiledIntoTheDefaultMetaGroup) {
    unsigned int contact = Contact(kAccountA, 0, "1", 2, "One");
    unsigned int meta = model->GetMetaContactOf(contact);
    EXPECT_EQ(Events(), (std::vector<std::string>{"ContactAdded " + Hex(contact) + " 0:2",
                                                  "MetaContactAdded " + Hex(meta) + " 0:2"}));
    EXPECT_EQ(model->GetParentId(meta), 0u);
    EXPECT_EQ(Text(meta, "CL Alias"), "One");
    EXPECT_EQ(Text(meta, "SrvLogName"), "One");
    // The default meta group is never stored on the server.
    EXPECT_TRUE(store.calls.empty());
}

TEST_F(MetaTest, AGroupedContactIsFiledIntoTheMetaGroupOfItsGroupsName) {
    unsigned int group = Group(kAccountA, "Friends");
    Events();
    unsigned int contact = Contact(kAccountA, group, "1", 0, "One");
    unsigned int meta = model->GetMetaContactOf(contact);
    unsigned int friends = model->GetParentId(meta);
    EXPECT_EQ(Events(), (std::vector<std::string>{"ContactAdded " + Hex(contact) + " 1:0",
                                                  "MetaGroupAdded " + Hex(friends) + " -",
                                                  "MetaContactAdded " + Hex(meta) + " " + Hex(friends) + ":0"}));
    EXPECT_EQ(Text(friends, "CL Alias"), "Friends");
    EXPECT_EQ(store.calls, (std::vector<std::string>{"GroupAdded Friends after=", "MetaAdded 1 Friends One",
                                                     "SubAdded 1 Friends 0 1 Ruv1"}));
    // A second account's group of the same name (in another letter case)
    // shares the meta group.
    unsigned int other = Contact(kAccountB, Group(kAccountB, "FRIENDS"), "2");
    EXPECT_EQ(model->GetParentId(model->GetMetaContactOf(other)), friends);
}

TEST_F(MetaTest, NewMetaContactsTakeTheSmallestFreeNumber) {
    unsigned int group = Group(kAccountA, "G");
    unsigned int c1 = Contact(kAccountA, group, "1");
    unsigned int c2 = Contact(kAccountA, group, "2");
    Contact(kAccountA, group, "3");
    EXPECT_EQ(model->GetItemKey(model->GetMetaContactOf(c2)).ToUtf8(), "|2");
    model->RemoveContact(c2);  // its meta contact goes with it
    Flush();
    unsigned int c4 = Contact(kAccountA, group, "4");
    EXPECT_EQ(model->GetItemKey(model->GetMetaContactOf(c4)).ToUtf8(), "|2");
    EXPECT_EQ(model->GetItemKey(model->GetMetaContactOf(c1)).ToUtf8(), "|1");
}

TEST_F(MetaTest, ASecondContactOfTheSameLoginDoesNotTakeTheFirstsPlace) {
    unsigned int g1 = Group(kAccountA, "G1");
    unsigned int g2 = Group(kAccountA, "G2");
    unsigned int first = Contact(kAccountA, g1, "1");
    unsigned int second = Contact(kAccountA, g2, "1");
    unsigned int metaFirst = model->GetMetaContactOf(first);
    unsigned int metaSecond = model->GetMetaContactOf(second);
    EXPECT_NE(metaFirst, 0u);
    EXPECT_NE(metaSecond, 0u);
    EXPECT_NE(metaFirst, metaSecond);
    EXPECT_EQ(Subs(metaFirst), (std::vector<unsigned int>{first}));
}

TEST_F(MetaTest, StrangersAreNotFiled) {
    unsigned int stranger = model->FindOrAddTempContact(kAccountA, W("9"));
    model->NotifyContactAdded(stranger, Status(2));
    EXPECT_EQ(model->GetMetaContactOf(stranger), 0u);
    model->SetContactStatus(stranger, Status(3));
    EXPECT_EQ(Events(), (std::vector<std::string>{"ContactAdded " + Hex(stranger) + " 0:2",
                                                  "ContactStatusChanged " + Hex(stranger) + " 3"}));
}

TEST_F(MetaTest, StatusChangesReachTheMetaContact) {
    unsigned int contact = Contact(kAccountA, 0, "1", 0);
    unsigned int meta = model->GetMetaContactOf(contact);
    Events();
    model->SetContactStatus(contact, Status(13));
    EXPECT_EQ(Events(), (std::vector<std::string>{"ContactStatusChanged " + Hex(contact) + " 13",
                                                  "MetaContactStatusChanged " + Hex(meta) + " 13"}));
    EXPECT_EQ(Merged(meta), 13u);
}

TEST_F(MetaTest, RemovingTheLastSubContactOfTheDefaultMetaGroupHidesButKeepsIt) {
    unsigned int contact = Contact(kAccountA, 0, "1");
    unsigned int meta = model->GetMetaContactOf(contact);
    Events();
    model->RemoveContact(contact);
    EXPECT_EQ(Events(), (std::vector<std::string>{"MetaContactRemoved " + Hex(meta) + " 0",
                                                  "ContactRemoved " + Hex(contact) + " 0"}));
    EXPECT_EQ(model->FindItemByKey(W("|1")), meta);
    EXPECT_TRUE(Subs(meta).empty());
}

TEST_F(MetaTest, RemovingTheLastSubContactElsewhereDestroysTheMetaContact) {
    unsigned int contact = Contact(kAccountA, Group(kAccountA, "G"), "1");
    unsigned int meta = model->GetMetaContactOf(contact);
    model->RemoveContact(contact);
    Flush();
    EXPECT_EQ(model->FindItemByKey(W("|1")), 0u);
    EXPECT_EQ(model->GetParentId(meta), 0u);
}

TEST_F(WaitingMetaTest, RemovingOneOfTwoSubContactsChangesTheMergedStatus) {
    unsigned int a = Contact(kAccountA, 0, "7", 1);
    unsigned int b = Contact(kAccountB, 0, "7", 5);
    Events();
    model->RemoveContact(b);
    EXPECT_EQ(Events(), (std::vector<std::string>{"MetaContactStatusChanged " + Hex(meta) + " 1",
                                                  "ContactRemoved " + Hex(b) + " 0"}));
    EXPECT_EQ(Subs(meta), (std::vector<unsigned int>{a}));
}

// ------------------------------------------------------------ meta groups

TEST_F(MetaTest, MetaGroupNamesAreUniqueIgnoringCase) {
    unsigned int work = model->AddMetaGroup(W("Work"), 0, false);
    EXPECT_EQ(model->AddMetaGroup(W("WORK"), 0, true), 0u);
    EXPECT_EQ(model->AddMetaGroup(CYolString(), 0, true), 0u);  // the default one's
    EXPECT_EQ(Events(), (std::vector<std::string>{"MetaGroupAdded " + Hex(work) + " -"}));
    EXPECT_TRUE(store.calls.empty());
}

TEST_F(MetaTest, NewMetaGroupsArePlacedInTheWindowsOrder) {
    unsigned int a = model->AddMetaGroup(W("A"), 0, true);
    unsigned int b = model->AddMetaGroup(W("B"), 0, true);
    unsigned int c = model->AddMetaGroup(W("C"), b, true);  // before B
    auto index = [&](unsigned int id) {
        unsigned int value = 0;
        EXPECT_TRUE(model->GetItemDword(id, W("CLCtrl group index"), &value));
        return value;
    };
    EXPECT_EQ(index(a), 1u);
    EXPECT_EQ(index(c), 2u);
    EXPECT_EQ(index(b), 3u);
    EXPECT_EQ(store.calls,
              (std::vector<std::string>{"GroupAdded A after=", "GroupAdded B after=A", "GroupAdded C after=A"}));
}

TEST_F(MetaTest, RenamingAMetaGroupTellsTheServerItsOldName) {
    unsigned int work = model->AddMetaGroup(W("Work"), 0, false);
    model->AddMetaGroup(W("Home"), 0, false);
    Events();
    model->RenameMetaGroup(work, W("Office"));
    model->RenameMetaGroup(work, W("Home"));  // taken
    model->RenameMetaGroup(0, W("Default"));  // the default one keeps its empty name
    EXPECT_EQ(Text(work, "CL Alias"), "Office");
    EXPECT_EQ(Text(work, "SrvLogName"), "Office");
    EXPECT_EQ(Events(), (std::vector<std::string>{"MetaGroupChanged " + Hex(work) + " -"}));
    EXPECT_EQ(store.calls, (std::vector<std::string>{"GroupRenamed Work Office"}));
}

TEST_F(MetaTest, RemovingAMetaGroupRemovesItsMetaContactsWithoutAskingTheAccounts) {
    unsigned int group = Group(kAccountA, "G");
    unsigned int contact = Contact(kAccountA, group, "1");
    unsigned int meta = model->GetMetaContactOf(contact);
    unsigned int metaGroup = model->GetParentId(meta);
    Events();
    store.calls.clear();
    model->RemoveMetaGroup(metaGroup);
    EXPECT_EQ(Events(), (std::vector<std::string>{"MetaContactRemoved " + Hex(meta) + " " + Hex(metaGroup),
                                                  "MetaGroupRemoved " + Hex(metaGroup) + " -"}));
    EXPECT_EQ(store.calls, (std::vector<std::string>{"GroupDeleted G"}));
    EXPECT_TRUE(manager.Calls().empty());
    EXPECT_EQ(model->GetMetaContactOf(contact), 0u);
    // The default meta group is never removed.
    model->RemoveMetaGroup(0);
    CYolArray<CL::CLItemInfo> items;
    model->GetMetaItems(items);
    ASSERT_EQ(items.Count(), 1);
    EXPECT_EQ(items[0].parentId, 0u);
}

// ---------------------------------------------------------- meta contacts

TEST_F(WaitingMetaTest, RemovingAMetaContactAsksItsAccountsToDeleteTheContacts) {
    unsigned int a = Contact(kAccountA, 0, "7");
    unsigned int b = Contact(kAccountB, 0, "7");
    Events();
    model->RemoveMetaContact(meta);
    EXPECT_EQ(Events(), (std::vector<std::string>{"MetaContactRemoved " + Hex(meta) + " " + Hex(work)}));
    EXPECT_EQ(manager.Calls(), (std::vector<std::string>{"DeleteContact " + Hex(kAccountA) + " " + Hex(a),
                                                         "DeleteContact " + Hex(kAccountB) + " " + Hex(b)}));
    EXPECT_EQ(store.calls, (std::vector<std::string>{"MetaDeleted 4"}));
    EXPECT_EQ(model->GetMetaContactOf(a), 0u);
    // The contacts stay until their plug-ins report them gone.
    EXPECT_EQ(model->GetItemAccount(a), kAccountA);
}

TEST_F(WaitingMetaTest, RenamingAMetaContact) {
    model->RenameMetaContact(meta, W("Sieben"));
    EXPECT_EQ(Text(meta, "CL Alias"), "Sieben");
    EXPECT_EQ(Events(), (std::vector<std::string>{"MetaContactChanged " + Hex(meta) + " -"}));
    EXPECT_EQ(store.calls, (std::vector<std::string>{"MetaRenamed 4 Sieben"}));
}

TEST_F(WaitingMetaTest, MovingAMetaContactBetweenMetaGroups) {
    Contact(kAccountA, 0, "7", 2);
    unsigned int home = model->AddMetaGroup(W("Home"), 0, false);
    Events();
    model->MoveMetaContact(meta, home);
    EXPECT_EQ(Events(), (std::vector<std::string>{"MetaContactRemoved " + Hex(meta) + " " + Hex(work),
                                                  "MetaContactAdded " + Hex(meta) + " " + Hex(home) + ":2"}));
    EXPECT_EQ(store.calls, (std::vector<std::string>{"MetaMoved 4 Home"}));
    EXPECT_EQ(model->GetParentId(meta), home);

    // Into the default meta group, which the server does not hold, and out
    // of it again: the server gets the whole meta contact.
    store.calls.clear();
    model->MoveMetaContact(meta, 0);
    Flush();
    model->MoveMetaContact(meta, work);
    Flush();
    EXPECT_EQ(store.calls, (std::vector<std::string>{"MetaDeleted 4", "MetaAdded 4 Work Seven",
                                                     "SubAdded 4 Work 0 7 Ruv1", "SubAdded 4 Work 1 7 Ruv2",
                                                     "SubAdded 4 Work 2 7 Ruv3"}));
}

TEST_F(WaitingMetaTest, MovingAMetaContactNobodySeesRaisesNothing) {
    unsigned int home = model->AddMetaGroup(W("Home"), 0, false);
    Events();
    model->MoveMetaContact(meta, home);
    model->MoveMetaContact(meta, home);        // already there
    model->MoveMetaContact(meta, 0x40000999);  // no such meta group
    EXPECT_TRUE(Events().empty());
    EXPECT_EQ(model->GetParentId(meta), home);
}

TEST_F(WaitingMetaTest, MovingAContactBetweenMetaContacts) {
    unsigned int a = Contact(kAccountA, 0, "7", 1);
    unsigned int b = Contact(kAccountB, 0, "7", 2);
    unsigned int other = Contact(kAccountC, Group(kAccountC, "Work"), "8", 3);
    unsigned int otherMeta = model->GetMetaContactOf(other);
    unsigned int otherNumber = 1;  // the first free number
    Events();
    store.calls.clear();

    model->MoveContactToMetaContact(a, otherMeta);
    EXPECT_EQ(Events(), (std::vector<std::string>{"MetaContactStatusChanged " + Hex(meta) + " 2",
                                                  "MetaContactStatusChanged " + Hex(otherMeta) + " 3"}));
    EXPECT_EQ(store.calls,
              (std::vector<std::string>{"SubDeleted 4 0 7 Ruv1", "SubMoved 4 0 1 7 Ruv2", "SubMoved 4 1 2 7 Ruv3",
                                        "SubAdded " + std::to_string(otherNumber) + " Work 1 7 Ruv1"}));
    EXPECT_EQ(Subs(otherMeta), (std::vector<unsigned int>{other, a}));
    EXPECT_EQ(Subs(meta), (std::vector<unsigned int>{b}));
    EXPECT_EQ(model->GetMetaContactOf(a), otherMeta);
}

TEST_F(MetaTest, MovingTheLastContactOutDestroysTheMetaContactOnBothSides) {
    unsigned int group = Group(kAccountA, "G");
    unsigned int a = Contact(kAccountA, group, "1");
    unsigned int b = Contact(kAccountA, group, "2");
    unsigned int metaA = model->GetMetaContactOf(a);
    unsigned int metaB = model->GetMetaContactOf(b);
    unsigned int metaGroup = model->GetParentId(metaA);
    Events();
    store.calls.clear();
    model->MoveContactToMetaContact(a, metaB);
    EXPECT_EQ(Events(), (std::vector<std::string>{"MetaContactRemoved " + Hex(metaA) + " " + Hex(metaGroup),
                                                  "MetaContactStatusChanged " + Hex(metaB) + " 0"}));
    EXPECT_EQ(store.calls, (std::vector<std::string>{"SubDeleted 1 0 1 Ruv1", "MetaDeleted 1", "SubAdded 2 G 1 1 Ruv1"}));
    EXPECT_EQ(model->FindItemByKey(W("|1")), 0u);
}

TEST_F(MetaTest, MovingAContactToAMetaGroupMakesItAMetaContactOfItsOwn) {
    unsigned int a = Contact(kAccountA, 0, "1", 0, "Ann");
    unsigned int b = Contact(kAccountA, 0, "2");
    model->MoveContactToMetaContact(b, model->GetMetaContactOf(a));
    Flush();
    unsigned int work = model->AddMetaGroup(W("Work"), 0, false);
    Events();
    store.calls.clear();
    model->MoveContactToMetaContact(a, work);
    Flush();
    unsigned int fresh = model->GetMetaContactOf(a);
    // Number 2 is still held: an emptied meta contact of the default meta
    // group stays.
    EXPECT_EQ(model->GetParentId(fresh), work);
    EXPECT_EQ(Text(fresh, "CL Alias"), "Ann");
    EXPECT_EQ(store.calls, (std::vector<std::string>{"MetaAdded 3 Work Ann", "SubAdded 3 Work 0 1 Ruv1"}));
    // To where it already is: nothing.
    model->MoveContactToMetaContact(a, fresh);
    Flush();
    EXPECT_EQ(model->GetMetaContactOf(a), fresh);
}

TEST_F(MetaTest, ClearingMetaContactsWithEventsRemovesEveryMetaGroupButTheDefaultOne) {
    unsigned int outside = Contact(kAccountA, 0, "1");
    unsigned int g1 = model->GetParentId(model->GetMetaContactOf(Contact(kAccountA, Group(kAccountA, "G1"), "2")));
    unsigned int g2 = model->AddMetaGroup(W("G2"), 0, false);
    unsigned int defaultMeta = model->GetMetaContactOf(outside);
    Events();
    store.calls.clear();
    model->PostClearMetaContacts();
    std::vector<std::string> events = Events();
    EXPECT_EQ(events, (std::vector<std::string>{"MetaContactRemoved " + Hex(defaultMeta) + " 0",
                                                "MetaContactRemoved C0000002 " + Hex(g1),
                                                "MetaGroupRemoved " + Hex(g1) + " -",
                                                "MetaGroupRemoved " + Hex(g2) + " -"}));
    EXPECT_TRUE(store.calls.empty());
    CYolArray<CL::CLItemInfo> items;
    model->GetMetaItems(items);
    ASSERT_EQ(items.Count(), 1);
    // Contacts outside groups still find the default meta group.
    unsigned int later = Contact(kAccountB, 0, "3");
    EXPECT_EQ(model->GetParentId(model->GetMetaContactOf(later)), 0u);
}

}  // namespace
}  // namespace ClTest
