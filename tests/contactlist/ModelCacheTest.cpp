// The caches in the settings file: written as soon as the lists change,
// read back when an account comes up, and the meta list parsed from its
// stored bytes.

#include "ClTestSupport.h"

#include <atomic>
#include <condition_variable>
#include <thread>

namespace ClTest {
namespace {

using Protocols::ProtocolsManagerEvent::AccountAdded;

// "x" (number 3) in meta group "y", one sub-contact: login "1" on the
// account whose "SrvFileName" is "a".
const char* const kGoldenRecordHex = "00 00 00 1C 01 00 04 00 00 00 03 02 00 01 79 03 00 01 78 04 00 00 00 08"
                                     " 01 00 01 31 02 00 01 61";
const char* const kMarkerHex = "4630383842414446414435353435433438464339394332314343344137333533";
constexpr unsigned int kAccountD = 0x10000004;

Bytes Stored(const std::string& settingsPath, const char* key) {
    Database::CYolDatabaseImpl file(nullptr, W(settingsPath));
    unsigned long size = 0;
    if (!file.GetSize(ContactListGuid, W(key), size))
        return {};
    Bytes bytes(size);
    file.GetData(ContactListGuid, W(key), bytes.data(), size);
    return bytes;
}

using CacheTest = AccountsTest;

TEST_F(CacheTest, ChangesReachTheSettingsFileWithoutWaitingForTeardown) {
    unsigned int group = Group(kAccountA, "G");
    Contact(kAccountA, group, "1", 0, "One");
    Flush();

    Bytes list = Stored(SettingsPath(), "CL data");
    ASSERT_FALSE(list.empty());
    CYolArray<CL::CachedListItem> items;
    ASSERT_TRUE(CL::CContactListCache::ParseAccountList(list.data(), list.size(),
                                                        W(FakeProtocolsManager::ProtocolText() + "alice"), items));
    ASSERT_EQ(items.Count(), 1);
    EXPECT_TRUE(items[0].isGroup);
    ASSERT_EQ(items[0].contacts.Count(), 1);
    CYolString alias;
    Database::FindRecord(items[0].contacts[0], W("CL Alias"))->GetString(alias);
    EXPECT_EQ(alias.ToUtf8(), "One");

    CL::MetaListData meta;
    Bytes metaBytes = Stored(SettingsPath(), "MetaCL data");
    ASSERT_TRUE(CL::CContactListCache::ParseMetaList(metaBytes.data(), metaBytes.size(), meta));
    ASSERT_EQ(meta.metaContacts.Count(), 1);
    EXPECT_EQ(meta.metaContacts[0].name.ToUtf8(), "One");
    EXPECT_EQ(meta.metaContacts[0].metaGroupName.ToUtf8(), "G");
}

TEST_F(CacheTest, AnAccountComesBackAsItWasCached) {
    unsigned int group = Group(kAccountA, "G");
    unsigned int contact = Contact(kAccountA, group, "1", 0, "One");
    unsigned char byte = 1;
    model->SetItemByte(contact, W("plug-in's own"), &byte);
    Contact(kAccountA, 0, "2");
    Flush();

    model.reset();
    model = std::make_unique<CL::CContactListImpl>(&services);
    recorder.Subscribe(services);
    services.BroadcastStarted();
    Events();
    manager.SetContactStatus(0x80000001, 5);  // the first contact of the new run
    ManagerEvent(AccountAdded, kAccountA);

    CYolArray<CL::CLItemInfo> items;
    ASSERT_TRUE(model->GetAccountItems(kAccountA, items));
    ASSERT_EQ(items.Count(), 3);
    unsigned int loadedGroup = items[0].parentId;
    unsigned int loaded = items[1].itemId;
    EXPECT_EQ(Text(loadedGroup, "SrvLogName"), "G");
    EXPECT_EQ(Text(loaded, "CL Alias"), "One");
    unsigned char read = 0;
    EXPECT_TRUE(model->GetItemByte(loaded, W("plug-in's own"), &read));
    EXPECT_EQ(Text(items[2].itemId, "SrvLogName"), "2");

    std::vector<std::string> events = Events();
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events.front(), "UpdateBegin -");
    EXPECT_EQ(events[1], "GroupAdded " + Hex(loadedGroup) + " -");
    EXPECT_EQ(events[2], "ContactAdded " + Hex(loaded) + " " + Hex(loadedGroup) + ":5");
    EXPECT_EQ(events.back(), "UpdateEnd -");
}

TEST_F(CacheTest, DeletingTheLastAccountTakesItsListOutOfTheFile) {
    unsigned int group = Group(kAccountA, "G");
    Contact(kAccountA, group, "1", 0, "One");
    Flush();
    ASSERT_FALSE(Stored(SettingsPath(), "CL data").empty());

    for (unsigned int account : {kAccountA, kAccountB, kAccountC})
        ManagerEvent(Protocols::ProtocolsManagerEvent::AccountRemoved, account);
    Flush();
    EXPECT_TRUE(Stored(SettingsPath(), "CL data").empty());
    model.reset();  // the last save on the way out keeps it so
    EXPECT_TRUE(Stored(SettingsPath(), "CL data").empty());
}

TEST_F(CacheTest, AnAccountWithNothingCachedStartsEmpty) {
    manager.AddAccount(kAccountD, "dave", "a");
    ManagerEvent(AccountAdded, kAccountD);
    CYolArray<CL::CLItemInfo> items;
    EXPECT_TRUE(model->GetAccountItems(kAccountD, items));
    EXPECT_EQ(items.Count(), 0);
    EXPECT_FALSE(model->LoadAccountList(kAccountD));
}

TEST_F(CacheTest, StoredMetaRecordBecomesAMetaContactThatResolvesAndIsWrittenBackByteForByte) {
    Bytes stored = Concat({::Hex(kGoldenRecordHex), ::Hex(kMarkerHex), ::Hex("79 0D 0A")});
    model->ParseMetaList(stored.data(), stored.size());
    unsigned int meta = model->FindItemByKey(W("|3"));
    ASSERT_NE(meta, 0u);
    unsigned int y = model->GetParentId(meta);
    EXPECT_EQ(Text(y, "CL Alias"), "y");
    EXPECT_EQ(Text(meta, "CL Alias"), "x");
    EXPECT_TRUE(Subs(meta).empty());
    Events();

    manager.AddAccount(kAccountD, "dave", "a");
    ManagerEvent(AccountAdded, kAccountD);
    unsigned int contact = Contact(kAccountD, 0, "1", 2);
    EXPECT_EQ(model->GetMetaContactOf(contact), meta);
    EXPECT_EQ(Events(), (std::vector<std::string>{"ContactAdded " + Hex(contact) + " 0:2",
                                                  "MetaContactAdded " + Hex(meta) + " " + Hex(y) + ":2"}));

    Flush();
    EXPECT_EQ(Stored(SettingsPath(), "MetaCL data"), stored);
}

TEST_F(ModelTest, AnEmptyModelWritesTheMarkerAloneAndLeavesTheStoredListAsItWas) {
    const unsigned char kept[] = {1, 2, 3};
    unsigned long size = sizeof kept;
    database->SetData(ContactListGuid, W("CL data"), kept, size);
    model->SaveAccountLists();
    EXPECT_EQ(Stored(SettingsPath(), "MetaCL data"), ::Hex(kMarkerHex));
    EXPECT_EQ(Stored(SettingsPath(), "CL data"), (Bytes{1, 2, 3}));
}

class OpenedGroupsTest : public ModelTest {
protected:
    void BeforeModel() override { database->SetString(ContactListGuid, W("Metagroup data"), W("y\t1\n")); }
};

TEST_F(OpenedGroupsTest, ExpandedMetaGroupsAreKeptBesideTheMetaList) {
    Bytes stored = Concat({::Hex(kMarkerHex), ::Hex("79 0D 0A 7A 0D 0A")});
    model->ParseMetaList(stored.data(), stored.size());
    CYolArray<unsigned int> groups;
    model->GetGroupIds(0, groups);
    ASSERT_EQ(groups.Count(), 2);
    EXPECT_TRUE(model->IsGroupOpened(groups[0]));
    EXPECT_FALSE(model->IsGroupOpened(groups[1]));

    model->SetGroupOpened(0, true);
    model->SetGroupOpened(groups[1], false);
    Flush();
    Database::CYolDatabaseImpl file(nullptr, W(SettingsPath()));
    CYolString text;
    ASSERT_TRUE(file.GetString(ContactListGuid, W("Metagroup data"), text));
    EXPECT_EQ(text.ToUtf8(), "\t1\ny\t1\nz\t0\n");
}

TEST_F(CacheTest, AClearAskedForBeforeAMetaListArrivesNeverWipesTheList) {
    unsigned int old = model->AddMetaGroup(W("Old"), 0, false);
    // Keep the model's thread busy inside a request, without its lock, until
    // the list has been parsed on this thread.
    unsigned int outside = Contact(kAccountA, 0, "1");
    unsigned int group = Group(kAccountA, "G");
    std::mutex mutex;
    std::condition_variable wake;
    bool busy = false, release = false;
    manager.onGetContactStatus = [&] {
        std::unique_lock<std::mutex> guard(mutex);
        busy = true;
        wake.notify_all();
        wake.wait(guard, [&] { return release; });
    };
    model->MoveContact(outside, group);
    {
        std::unique_lock<std::mutex> guard(mutex);
        wake.wait(guard, [&] { return busy; });
    }
    model->PostClearMetaContacts();
    Bytes stored = Concat({::Hex(kGoldenRecordHex), ::Hex(kMarkerHex), ::Hex("79 0D 0A")});
    model->ParseMetaList(stored.data(), stored.size());
    {
        std::lock_guard<std::mutex> guard(mutex);
        release = true;
    }
    wake.notify_all();
    Flush();
    manager.onGetContactStatus = nullptr;

    EXPECT_NE(model->FindItemByKey(W("|3")), 0u);
    CYolArray<unsigned int> groups;
    model->GetGroupIds(0, groups);
    for (unsigned int id : groups)
        EXPECT_NE(id, old);
}

}  // namespace
}  // namespace ClTest
