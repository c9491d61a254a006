// Items, ids, temporary contacts, typed values, enumerations and keys.

#include "ClTestSupport.h"

#include <cstring>

namespace ClTest {
namespace {

using ItemsTest = AccountsTest;

TEST_F(ItemsTest, FirstIdOfEachKindCarriesItsKindInTheTopBits) {
    unsigned int group = Group(kAccountA, "Friends");
    unsigned int contact = Contact(kAccountA, group, "100");
    unsigned int metaGroup = model->AddMetaGroup(W("Work"), 0, false);
    unsigned int metaContact = model->GetMetaContactOf(contact);

    EXPECT_EQ(group, 0x00000001u);
    EXPECT_EQ(contact, 0x80000001u);
    // Filing the contact made the meta group "Friends" first.
    EXPECT_EQ(model->GetParentId(metaContact), 0x40000001u);
    EXPECT_EQ(metaGroup, 0x40000002u);
    EXPECT_EQ(metaContact, 0xC0000001u);

    EXPECT_TRUE(model->IsMetaGroup(metaGroup));
    EXPECT_FALSE(model->IsMetaGroup(contact));
    EXPECT_TRUE(model->IsMetaContact(metaContact));
    EXPECT_FALSE(model->IsMetaContact(contact));
}

TEST_F(ItemsTest, RemovedIdsAreNeverGivenAgain) {
    unsigned int first = Contact(kAccountA, 0, "1");
    model->RemoveContact(first);
    Flush();
    unsigned int temp = model->FindOrAddTempContact(kAccountA, W("stranger"));
    unsigned int next = Contact(kAccountA, 0, "2");

    EXPECT_EQ(first, 0x80000001u);
    EXPECT_EQ(temp, 0x80000002u);  // strangers draw from the same counter
    EXPECT_EQ(next, 0x80000003u);
    EXPECT_EQ(model->GetItemAccount(first), 0u);
}

TEST_F(ItemsTest, GroupsAndContactsExistOnlyUnderKnownAccountsAndGroups) {
    unsigned int groupA = Group(kAccountA, "A");
    EXPECT_EQ(model->AddGroup(0x10000099), 0u);
    EXPECT_EQ(model->AddContact(kAccountA, 0x3FFFFFF0), 0u);  // no such group
    EXPECT_EQ(model->AddContact(kAccountB, groupA), 0u);      // a group of another account
    unsigned int contact = model->AddContact(kAccountA, 0x80000000 | groupA);  // a contact is no group
    EXPECT_EQ(contact, 0u);
    // Outside groups, an unknown account still gets its contact.
    unsigned int orphan = model->AddContact(0x10000099, 0);
    EXPECT_NE(orphan, 0u);
    EXPECT_EQ(model->GetItemAccount(orphan), 0x10000099u);
}

TEST_F(ItemsTest, TemporaryContactForAListedLoginIsTheListedContact) {
    unsigned int group = Group(kAccountA, "Friends");
    unsigned int listed = Contact(kAccountA, group, "42");

    EXPECT_EQ(model->FindOrAddTempContact(kAccountA, W("42")), listed);
    EXPECT_FALSE(model->IsTempContact(listed));

    unsigned int stranger = model->FindOrAddTempContact(kAccountA, W("77"));
    EXPECT_NE(stranger, listed);
    EXPECT_TRUE(model->IsTempContact(stranger));
    EXPECT_EQ(model->FindOrAddTempContact(kAccountA, W("77")), stranger);
    EXPECT_EQ(Text(stranger, "SrvLogName"), "77");
    EXPECT_EQ(model->GetItemAccount(stranger), kAccountA);
    EXPECT_EQ(model->GetParentId(stranger), 0u);
}

TEST_F(ItemsTest, StrangersOfDifferentAccountsAreDifferentContacts) {
    unsigned int onA = model->FindOrAddTempContact(kAccountA, W("77"));
    unsigned int onB = model->FindOrAddTempContact(kAccountB, W("77"));
    EXPECT_NE(onA, onB);
    EXPECT_EQ(model->GetItemAccount(onB), kAccountB);
}

TEST_F(ItemsTest, TemporaryContactsGoOneByOneOrWithTheirAccount) {
    unsigned int a1 = model->FindOrAddTempContact(kAccountA, W("1"));
    unsigned int a2 = model->FindOrAddTempContact(kAccountA, W("2"));
    unsigned int b1 = model->FindOrAddTempContact(kAccountB, W("1"));
    model->RemoveTempContact(a1);
    EXPECT_FALSE(model->IsTempContact(a1));
    model->RemoveAccountTempContacts(kAccountA);
    EXPECT_FALSE(model->IsTempContact(a2));
    EXPECT_TRUE(model->IsTempContact(b1));
    EXPECT_TRUE(Events().empty());
}

// ------------------------------------------------------------ typed values

TEST_F(ItemsTest, TypedReadsNeedTheExactStoredSize) {
    unsigned int id = Contact(kAccountA, 0, "1");
    unsigned char byte = 7;
    short word = -2;
    unsigned int dword = 0x01020304;
    model->SetItemByte(id, W("b"), &byte);
    model->SetItemWord(id, W("w"), &word);
    model->SetItemDword(id, W("d"), &dword);
    model->SetItemString(id, W("s"), W("текст"));

    struct Case {
        const char* name;
        bool asByte, asWord, asDword, asString;
    } cases[] = {
        {"b", true, false, false, true},
        {"w", false, true, false, true},
        {"d", false, false, true, true},
        {"missing", false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        unsigned char b = 0;
        short w = 0;
        unsigned int d = 0;
        CYolString s;
        EXPECT_EQ(model->GetItemByte(id, W(c.name), &b), c.asByte);
        EXPECT_EQ(model->GetItemWord(id, W(c.name), &w), c.asWord);
        EXPECT_EQ(model->GetItemDword(id, W(c.name), &d), c.asDword);
        EXPECT_EQ(model->GetItemString(id, W(c.name), s), c.asString);
    }
    unsigned char b = 0;
    short w = 0;
    unsigned int d = 0;
    model->GetItemByte(id, W("b"), &b);
    model->GetItemWord(id, W("w"), &w);
    model->GetItemDword(id, W("d"), &d);
    EXPECT_EQ(b, 7);
    EXPECT_EQ(w, -2);
    EXPECT_EQ(d, 0x01020304u);
    EXPECT_EQ(Text(id, "s"), "текст");
}

TEST_F(ItemsTest, BlobReadIntoASmallerBufferFailsAndCopiesNothing) {
    unsigned int id = Contact(kAccountA, 0, "1");
    const unsigned char bytes[] = {1, 2, 3, 4, 5};
    unsigned int size = sizeof bytes;
    model->SetItemBlob(id, W("blob"), bytes, &size);

    unsigned char small[4] = {9, 9, 9, 9};
    unsigned int smallSize = sizeof small;
    EXPECT_FALSE(model->GetItemBlob(id, W("blob"), small, &smallSize));
    EXPECT_EQ(small[0], 9);
    EXPECT_EQ(smallSize, 4u);

    unsigned char big[8] = {};
    unsigned int bigSize = sizeof big;
    EXPECT_TRUE(model->GetItemBlob(id, W("blob"), big, &bigSize));
    EXPECT_EQ(std::memcmp(big, bytes, sizeof bytes), 0);
    EXPECT_EQ(bigSize, 8u);  // left as the caller gave it
}

TEST_F(ItemsTest, ValuesAreReplacedInPlaceAndAnEmptyStringReadsAsMissing) {
    unsigned int id = Contact(kAccountA, 0, "1", 0, "First");
    model->SetItemString(id, W("CL Alias"), W("Second"));
    EXPECT_EQ(Text(id, "CL Alias"), "Second");
    model->SetItemString(id, W("CL Alias"), CYolString());
    CYolString out = W("kept");
    EXPECT_FALSE(model->GetItemString(id, W("CL Alias"), out));
    EXPECT_EQ(out.ToUtf8(), "kept");
}

TEST_F(ItemsTest, GroupOpenedIsAByteOnAnyItemTheDefaultMetaGroupIncluded) {
    unsigned int group = Group(kAccountA, "G");
    for (unsigned int id : {group, 0u}) {
        EXPECT_FALSE(model->IsGroupOpened(id));
        model->SetGroupOpened(id, true);
        EXPECT_TRUE(model->IsGroupOpened(id));
        unsigned char raw = 9;
        EXPECT_TRUE(model->GetItemByte(id, W("Group opened"), &raw));
        EXPECT_EQ(raw, 1);
        model->SetGroupOpened(id, false);
        EXPECT_FALSE(model->IsGroupOpened(id));
    }
}

TEST_F(ItemsTest, UnknownIdsGiveNothing) {
    unsigned int dword = 1;
    model->SetItemDword(0x80000999, W("d"), &dword);
    EXPECT_FALSE(model->GetItemDword(0x80000999, W("d"), &dword));
    ContactStatusInfo status = Status(5);
    EXPECT_EQ(model->GetItemStatus(status, 0x80000999).status, 0u);
    EXPECT_EQ(model->GetItemAccount(0), 0u);
    EXPECT_EQ(model->GetParentId(0xC0000999), 0u);
    EXPECT_EQ(model->GetMetaContactOf(0x80000999), 0u);
    model->NotifyGroupAdded(0x999);
    model->NotifyContactChanged(0x80000999);
    model->NotifyMetaGroupChanged(0x40000999);
    model->SetContactStatus(0x80000999, Status(2));
    EXPECT_TRUE(model->MoveContact(0x80000999, 1));  // queued, always true
    EXPECT_TRUE(Events().empty());
}

// ------------------------------------------------------------ enumerations

TEST_F(ItemsTest, AccountItemsListGroupsWithTheirContactsThenContactsOutsideGroups) {
    unsigned int outside = Contact(kAccountA, 0, "0");
    unsigned int g1 = Group(kAccountA, "G1");
    unsigned int g2 = Group(kAccountA, "G2");
    unsigned int c1 = Contact(kAccountA, g2, "1");
    unsigned int c2 = Contact(kAccountA, g1, "2");
    Group(kAccountB, "other");

    CYolArray<CL::CLItemInfo> items;
    ASSERT_TRUE(model->GetAccountItems(kAccountA, items));
    std::vector<std::pair<unsigned int, unsigned int>> rows;
    for (const CL::CLItemInfo& row : items)
        rows.emplace_back(row.parentId, row.itemId);
    std::vector<std::pair<unsigned int, unsigned int>> expected = {
        {g1, 0}, {g1, c2}, {g2, 0}, {g2, c1}, {0, outside}};
    EXPECT_EQ(rows, expected);

    CYolArray<unsigned int> groups;
    ASSERT_TRUE(model->GetGroupIds(kAccountA, groups));
    EXPECT_EQ(std::vector<unsigned int>(groups.begin(), groups.end()), (std::vector<unsigned int>{g1, g2}));
    EXPECT_FALSE(model->GetAccountItems(0x10000099, items));
    EXPECT_FALSE(model->GetGroupIds(0x10000099, groups));
}

TEST_F(ItemsTest, MetaItemsShowOnlyMetaContactsWithAResolvedSubContact) {
    unsigned int shown = model->GetMetaContactOf(Contact(kAccountA, 0, "1"));
    unsigned int work = model->AddMetaGroup(W("Work"), 0, false);
    unsigned int waiting = model->AddMetaContact(work, 9, W("Boss"), W("boss"), W("Ruv1"));
    ASSERT_NE(waiting, 0u);

    CYolArray<CL::CLItemInfo> items;
    model->GetMetaItems(items);
    std::vector<std::pair<unsigned int, unsigned int>> rows;
    for (const CL::CLItemInfo& row : items)
        rows.emplace_back(row.parentId, row.itemId);
    std::vector<std::pair<unsigned int, unsigned int>> expected = {{0, 0}, {0, shown}, {work, 0}};
    EXPECT_EQ(rows, expected);

    CYolArray<unsigned int> groups;
    ASSERT_TRUE(model->GetGroupIds(0, groups));
    EXPECT_EQ(std::vector<unsigned int>(groups.begin(), groups.end()), (std::vector<unsigned int>{work}));
}

// -------------------------------------------------------------------- keys

TEST_F(ItemsTest, KeysRoundTrip) {
    unsigned int group = Group(kAccountB, "G");
    unsigned int contact = Contact(kAccountB, group, "555");
    unsigned int meta = model->GetMetaContactOf(contact);

    std::string key = model->GetItemKey(contact).ToUtf8();
    EXPECT_EQ(key, FakeProtocolsManager::ProtocolText() + "bob|555");
    EXPECT_EQ(model->FindItemByKey(W(key)), contact);

    EXPECT_EQ(model->GetItemKey(meta).ToUtf8(), "|1");
    EXPECT_EQ(model->FindItemByKey(W("|1")), meta);
}

TEST_F(ItemsTest, KeyOfABarAndADigitFindsTheMetaContactOfThatNumber) {
    unsigned int work = model->AddMetaGroup(W("Work"), 0, false);
    unsigned int seven = model->AddMetaContact(work, 7, W("Seven"), W("7"), W("Ruv1"));
    EXPECT_EQ(model->FindItemByKey(W("|7")), seven);
    EXPECT_EQ(model->FindItemByKey(W("|8")), 0u);
}

TEST_F(ItemsTest, KeysThatNameNothing) {
    unsigned int group = Group(kAccountA, "G");
    unsigned int metaGroup = model->AddMetaGroup(W("M"), 0, false);
    EXPECT_TRUE(model->GetItemKey(group).IsEmpty());
    EXPECT_TRUE(model->GetItemKey(metaGroup).IsEmpty());
    EXPECT_TRUE(model->GetItemKey(0x80000999).IsEmpty());
    const char* keys[] = {"", "no bar", "|", "|x7", "unknown-account|1"};
    for (const char* key : keys) {
        SCOPED_TRACE(key);
        EXPECT_EQ(model->FindItemByKey(W(key)), 0u);
    }
    // A known account, an unknown login.
    EXPECT_EQ(model->FindItemByKey(W(FakeProtocolsManager::ProtocolText() + "alice|nobody")), 0u);
}

TEST_F(ItemsTest, KeyOfALoginHoldingABarStillFindsItsContact) {
    unsigned int contact = Contact(kAccountA, 0, "a|b");
    EXPECT_EQ(model->FindItemByKey(model->GetItemKey(contact)), contact);
}

// ---------------------------------------------------------------- settings

TEST_F(ItemsTest, SettingsDefaultToTrueAndAreWrittenToTheContactListSection) {
    EXPECT_TRUE(model->GetShowBirthdayBalloon());
    EXPECT_TRUE(model->GetAntispamMsgsFromNIL());
    model->SetShowBirthdayBalloon(false);
    model->SetAntispamMsgsFromNIL(false);
    EXPECT_FALSE(model->GetShowBirthdayBalloon());
    EXPECT_FALSE(model->GetAntispamMsgsFromNIL());
    unsigned char stored = 9;
    ASSERT_TRUE(database->GetByte(ContactListGuid, W("CL_ShowBirthdayBalloon"), stored));
    EXPECT_EQ(stored, 0);
}

}  // namespace
}  // namespace ClTest
