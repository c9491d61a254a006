// Plug-in discovery: the protocols folder's libraries found, bound and asked
// for their protocols; the protocol table and its order.

#include "ProtocolsTestSupport.h"

namespace ProtocolsTest {
namespace {

using Discovery = ProtocolsFixture;

std::vector<std::string> TableOrder(CProtocolsManagerImpl& manager) {
    std::vector<std::string> ids;
    for (int i = 0; i < manager.GetProtocolCount(); ++i) {
        ProtocolRecord record;
        manager.GetProtocolInfo(record, i);
        ids.push_back(record.id.GetString().ToUtf8());
    }
    return ids;
}

TEST_F(Discovery, OrdersOwnServiceFirstOscarSecondPlainXmppLast) {
    Install("Alpha", {Line(kJabber, "Jabber"), Line(kOther, "Other")});
    Install("Beta", {Line(kRuv, "Ruv"), Line(kJabberYol, "JabberYol"), Line(kSecond, "Second")});
    EXPECT_EQ(Manager().DiscoverProtocols(), 5);
    // Other GUIDs follow the identifier's byte order: 0A000000 before E3CA4FAB.
    EXPECT_EQ(TableOrder(Manager()), (std::vector<std::string>{kJabberYol, kRuv, kSecond, kOther, kJabber}));
}

TEST_F(Discovery, TheFolderListedFirstWinsAndBothAreCounted) {
    Install("Aaa", {Line(kOther, "First")});
    Install("Bbb", {Line(kOther, "Second", "second.png")});
    EXPECT_EQ(Manager().DiscoverProtocols(), 2);
    ASSERT_EQ(Manager().GetProtocolCount(), 1);
    const ProtocolEntry* entry = Manager().FindProtocol(Guid(kOther));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->pluginName.ToUtf8(), "First");
    EXPECT_EQ(entry->dllFile.ToUtf8(), "Aaa.so");
    EXPECT_EQ(entry->folder.ToUtf8(), (root / "Protos" / "Aaa").string() + "/");
    // Only the winner's icon was registered.
    EXPECT_EQ(images.GetRefCount(entry->imageId), 1);
    EXPECT_EQ(images.Count(), 1);
}

TEST_F(Discovery, ALibraryWithoutAllThreeExportsIsSkippedSilently) {
    Install("Broken", {Line(kOther, "Broken")}, TEST_PLUGIN_NO_DESTROY_PATH);
    Install("Good", {Line(kRuv, "Ruv")});
    // A folder without a library, and a file that is no library at all.
    fs::create_directories(root / "Protos" / "Empty");
    fs::create_directories(root / "Protos" / "Junk");
    std::ofstream(root / "Protos" / "Junk" / "Junk.so") << "not a library";
    EXPECT_EQ(Manager().DiscoverProtocols(), 1);
    EXPECT_EQ(TableOrder(Manager()), std::vector<std::string>{kRuv});
    EXPECT_EQ(Manager().FindProtocol(Guid(kOther)), nullptr);
}

TEST_F(Discovery, LibrariesAreUnloadedAfterTheScan) {
    Install("Alpha", {Line(kOther, "Other")});
    Manager().DiscoverProtocols();
    EXPECT_FALSE(IsLoaded("Alpha"));
}

TEST_F(Discovery, AnEmptyFolderGivesAnEmptyTable) {
    EXPECT_EQ(Manager().DiscoverProtocols(), 0);
    EXPECT_EQ(Manager().GetProtocolCount(), 0);
    ProtocolRecord record;
    record.name = Text("left over");
    Manager().GetProtocolInfo(record, 0);
    EXPECT_TRUE(record.name.IsEmpty());
}

TEST_F(Discovery, TheFirstReaderScansOnceAndOnlyOnce) {
    Install("Alpha", {Line(kOther, "Other")});
    EXPECT_EQ(Manager().GetProtocolCount(), 1);
    // A protocol installed later is not seen until someone scans again.
    Install("Beta", {Line(kRuv, "Ruv")});
    EXPECT_EQ(Manager().GetProtocolCount(), 1);
    EXPECT_EQ(Manager().FindProtocol(Guid(kRuv)), nullptr);
    EXPECT_EQ(Manager().DiscoverProtocols(), 2);
    EXPECT_EQ(Manager().GetProtocolCount(), 2);
}

TEST_F(Discovery, RecordsCarryTheReportedTextsAndTheIconsImageId) {
    Install("Alpha", {Line(kOther, "Other", "other.png")});
    ProtocolRecord record;
    Manager().GetProtocolInfo(record, 0);
    EXPECT_EQ(record.id, Guid(kOther));
    EXPECT_EQ(record.name.ToUtf8(), "Other family");
    EXPECT_EQ(record.displayName.ToUtf8(), "Other display");
    EXPECT_EQ(record.pluginName.ToUtf8(), "Other");
    EXPECT_EQ(record.authors.ToUtf8(), "Tests");
    ASSERT_EQ(record.loginSuffixes.Count(), 1);
    EXPECT_EQ(record.loginSuffixes[0].ToUtf8(), "@test");
    const ProtocolEntry* entry = Manager().FindProtocol(Guid(kOther));
    ASSERT_NE(entry, nullptr);
    EXPECT_NE(entry->imageId, -1);

    // An index past the table gives the empty record, id untouched.
    ProtocolRecord empty = record;
    Manager().GetProtocolInfo(empty, 1);
    EXPECT_TRUE(empty.name.IsEmpty());
    EXPECT_EQ(empty.loginSuffixes.Count(), 0);
    EXPECT_EQ(empty.id, Guid(kOther));
}

TEST_F(Discovery, ARescanKeepsEarlierEntriesValidAndBalancesIconReferences) {
    Install("Alpha", {Line(kOther, "Other", "other.png")});
    const ProtocolEntry* first = Manager().FindProtocol(Guid(kOther));
    ASSERT_NE(first, nullptr);
    int imageId = first->imageId;
    EXPECT_EQ(Manager().DiscoverProtocols(), 1);
    const ProtocolEntry* second = Manager().FindProtocol(Guid(kOther));
    EXPECT_NE(first, second);
    EXPECT_EQ(first->pluginName.ToUtf8(), "Other");
    EXPECT_EQ(second->imageId, imageId);
    EXPECT_EQ(images.GetRefCount(imageId), 1);
    // Teardown gives the table's references back.
    manager.reset();
    EXPECT_EQ(images.GetRefCount(imageId), 0);
}

TEST_F(Discovery, AccountProtocolInfoFollowsTheAccount) {
    Install("Alpha", {Line(kOther, "Other")});
    unsigned int account = Manager().AddAccount(Guid(kOther));
    ASSERT_NE(account, 0u);
    ProtocolRecord record;
    Manager().GetAccountProtocolInfo(record, account);
    EXPECT_EQ(record.id, Guid(kOther));
    EXPECT_EQ(record.displayName.ToUtf8(), "Other display");
    Manager().GetAccountProtocolInfo(record, account + 1);
    EXPECT_TRUE(record.displayName.IsEmpty());
}

TEST_F(Discovery, ScansOnManyThreadsAgree) {
    Install("Alpha", {Line(kOther, "Other")});
    Install("Beta", {Line(kRuv, "Ruv")});
    CProtocolsManagerImpl& pm = Manager();
    std::vector<std::thread> readers;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&] {
            for (int i = 0; i < 5; ++i) {
                if (pm.GetProtocolCount() != 2 || pm.FindProtocol(Guid(kRuv)) == nullptr)
                    ++wrong;
                pm.DiscoverProtocols();
            }
        });
    }
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace ProtocolsTest
