// The history controller: file names from the contact list and the
// protocols manager, the preferences that decide whether history is kept,
// loading for display, and the merged history of a meta contact.

#include "CHistoryController.h"
#include "CYolTimeZone.h"
#include "TestSupport.h"
#include "Unprivileged.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// The contact list, protocols manager, preferences and chat windows as the
// controller sees them.
class FakeContext : public CHistoryContext {
public:
    struct Contact {
        unsigned int account = 0;
        unsigned int parent = 0;
        std::map<std::u16string, CYolString> strings;
    };

    unsigned int GetItemAccount(unsigned int id) override { return items.count(id) ? items[id].account : 0; }
    bool GetItemString(unsigned int id, const CYolString& name, CYolString& out) override {
        auto item = items.find(id);
        if (item == items.end())
            return false;
        auto value = item->second.strings.find(name.ToU16());
        if (value == item->second.strings.end())
            return false;
        out = value->second;
        return true;
    }
    unsigned int GetParentId(unsigned int id) override { return items.count(id) ? items[id].parent : 0; }
    void GetMetaSubContacts(unsigned int metaContactId, CYolArray<unsigned int>& out) override {
        for (unsigned int sub : subContacts[metaContactId])
            out.Add(sub);
    }
    CYolString GetAccountProtocolName(unsigned int accountId) override { return protocols[accountId]; }
    CYolString GetAccountLogin(unsigned int accountId) override { return logins[accountId]; }
    unsigned char GetPreferenceByte(const CYolString& name) override { return preferences[name.ToU16()]; }
    CYolString GetOwnName() override { return ownName; }

    void AddContact(unsigned int id, unsigned int account, unsigned int parent, const std::string& login,
                    const std::string& alias) {
        items[id].account = account;
        items[id].parent = parent;
        items[id].strings[u"SrvLogName"] = W(login);
        items[id].strings[u"CL Alias"] = W(alias);
    }

    std::map<unsigned int, Contact> items;
    std::map<unsigned int, std::vector<unsigned int>> subContacts;
    std::map<unsigned int, CYolString> protocols;
    std::map<unsigned int, CYolString> logins;
    std::map<std::u16string, unsigned char> preferences{{u"HistSaveHist", 1}, {u"HistSaveNotInList", 0}};
    CYolString ownName = W("Me");
};

constexpr unsigned int kAccount = 0x10000001;
constexpr unsigned int kOtherAccount = 0x10000002;
constexpr unsigned int kAlice = 0x80000001;
constexpr unsigned int kBob = 0x80000002;
constexpr unsigned int kStranger = 0x80000003;
constexpr unsigned int kMeta = 0xC0000001;

class HistoryControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        context.protocols[kAccount] = W("P");
        context.logins[kAccount] = W("bob");
        context.protocols[kOtherAccount] = W("J");
        context.logins[kOtherAccount] = W("me@example.org");
        context.AddContact(kAlice, kAccount, 1, "alice", "Alice");
        context.AddContact(kBob, kOtherAccount, 2, "bob@example.org", "Bobby");
        context.AddContact(kStranger, kAccount, 0, "stranger", "Stranger");
        context.items[kMeta].strings[u"CL Alias"] = W("Meta Alice");
        context.subContacts[kMeta] = {kAlice, kBob};
        history = std::make_unique<CHistoryController>(context, W(folder));
    }

    Bytes ReadFile(const std::string& name) const { return ReadBytes(folder + name); }
    int Append(unsigned int contact, unsigned int time, const std::string& text, unsigned char direction = 0) {
        return history->AppendHistoryMessage(contact, 1, direction, 0, time, W(text));
    }
    static std::vector<std::string> Texts(const CYolArray<CHistoryController::CHistoryMessageRecord>& records) {
        std::vector<std::string> out;
        for (const auto& record : records)
            out.push_back(record.text.ToUtf8());
        return out;
    }

    TempFolder temp;
    const std::string root = temp.Root();
    const std::string folder = root + "/History/";
    FakeContext context;
    std::unique_ptr<CHistoryController> history;
};

TEST(HistoryFileName, EscapesWhatCouldLeaveTheFolderOrSpoilTheName) {
    struct Case {
        std::u16string protocol, login, contact;
        std::string expected;
    };
    const Case cases[] = {
        {u"P", u"bob", u"alice", "P_bob_alice.yhf"},
        {u"Jabber", u"me@example.org", u"bob@example.org", "Jabber_me@example.org_bob@example.org.yhf"},
        {u"P", u"bob", u"../../etc/passwd", "P_bob_..%2F..%2Fetc%2Fpasswd.yhf"},
        {u"P", u"bob", u"..\\x", "P_bob_..%5Cx.yhf"},
        {u"P", u"bob", u"..", "P_bob_%2E%2E.yhf"},
        {u"P", u"bob", u".", "P_bob_%2E.yhf"},
        {u"P", u"bob", u"...", "P_bob_....yhf"},
        {u"P", u"bob", u".hidden", "P_bob_.hidden.yhf"},
        {u"P", u"", u"", "P_%_%.yhf"},
        {u"P", u"bob", u"a:b%c", "P_bob_a%3Ab%25c.yhf"},
        {u"P", u"bob", u"tab\there\r\n", "P_bob_tab%09here%0D%0A.yhf"},
        {u"P", u"bob", std::u16string(u"nul\0x", 5), "P_bob_nul%00x.yhf"},
        {u"P", u"bob", u"del\x7F", "P_bob_del%7F.yhf"},
        {u"P", u"bob", u"a*?\"<>|b", "P_bob_a%2A%3F%22%3C%3E%7Cb.yhf"},
        {u"P", u"bob", u"Иван", "P_bob_Иван.yhf"},
        {u"P", u"bob", u"smile\U0001F600", "P_bob_smile\xF0\x9F\x98\x80.yhf"},
        {u"P", u"bob", u"lone\xD800", "P_bob_lone%ED%A0%80.yhf"},
        {u"P/Q", u"a\\b", u"c", "P%2FQ_a%5Cb_c.yhf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(CHistoryController::HistoryFileName(CYolString(c.protocol.c_str(), int(c.protocol.size())),
                                                      CYolString(c.login.c_str(), int(c.login.size())),
                                                      CYolString(c.contact.c_str(), int(c.contact.size())))
                      .ToUtf8(),
                  c.expected);
    }
}

TEST(HistoryFileName, LongNamesAreCutToTheLimitWithAHashOfTheFullName) {
    struct Case {
        const char* what;
        std::string contact;
    };
    std::string cyrillic;
    for (int i = 0; i < 200; ++i)
        cyrillic += "Ж";
    const Case cases[] = {
        {"ASCII", std::string(300, 'a')},
        {"Cyrillic", cyrillic},
        {"escapes", std::string(150, '/')},
        {"just past the limit", std::string(255 - 4 - 6 + 1, 'b')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string name = CHistoryController::HistoryFileName(W("P"), W("bob"), W(c.contact)).ToUtf8();
        std::string other = CHistoryController::HistoryFileName(W("P"), W("bob"), W(c.contact + "x")).ToUtf8();
        EXPECT_LE(name.size(), CHistoryController::kMaxFileNameBytes);
        EXPECT_EQ(name.rfind(".yhf"), name.size() - 4);
        EXPECT_EQ(name.rfind("P_bob_", 0), 0u);
        EXPECT_NE(name.find("%~"), std::string::npos);
        EXPECT_NE(name, other);
        // Cut between characters and escapes only.
        EXPECT_EQ(W(name).ToUtf8(), name);
        for (size_t at = name.find('%'); at != std::string::npos; at = name.find('%', at + 1)) {
            std::string after = name.substr(at + 1, 2);
            EXPECT_TRUE(after[0] == '~' || (after.size() == 2 && std::isxdigit(static_cast<unsigned char>(after[0])) &&
                                            std::isxdigit(static_cast<unsigned char>(after[1]))));
        }
    }
    // One byte shorter fits as it is.
    std::string fits(255 - 4 - 6, 'b');
    EXPECT_EQ(CHistoryController::HistoryFileName(W("P"), W("bob"), W(fits)).ToUtf8(), "P_bob_" + fits + ".yhf");
}

TEST_F(HistoryControllerTest, PathIsTheFolderAndTheNameAndTheFolderIsMade) {
    std::string nested = root + "/a/b/History";
    CHistoryController deep(context, W(nested));
    EXPECT_EQ(deep.HistoryFilePath(kAlice).ToUtf8(), nested + "/P_bob_alice.yhf");
    EXPECT_TRUE(std::filesystem::is_directory(nested));
    EXPECT_EQ(history->HistoryFilePath(kBob).ToUtf8(), folder + "J_me@example.org_bob@example.org.yhf");
}

TEST_F(HistoryControllerTest, AppendFailsWhenTheNewHistoryFolderCannotBeFlushed) {
    // Its parent may be written but not opened, so it cannot be flushed:
    // the folder, and every file in it, could vanish in a power cut.
    ASSERT_TRUE(HandOver(root, 0300));
    int rc = RunUnprivileged([&] { return Append(kAlice, 1, "x"); });
    chmod(root.c_str(), 0700);
    EXPECT_EQ(rc, CHistoryFile::WriteFailed);
}

TEST_F(HistoryControllerTest, FirstAppendCreatesTheFileByteForByte) {
    ASSERT_EQ(history->AppendHistoryMessage(kAlice, 1, 0, 0, 1000000000, W("Hi")), 0);
    EXPECT_EQ(ReadFile("P_bob_alice.yhf"),
              Hex("59 48 46 01  00 00 00 23  00  00 00 00 00  00 00 00 00  00  00 00 00 00  00 00 00 00"
                  "00 00 00 00  00 00 00 00  00 00 00 01  00 00 00 01  00 01"
                  "00 06 61 6C 69 63 65 00"                   // "SrvLogName" alice
                  "00 06 41 6C 69 63 65 00"                   // "CL Alias" Alice
                  "00 01 00 00 00 1D"                         // record 1, N = 29
                  "00 01 00 04 00 00 00 01"                   // message number 1
                  "00 02 00 04 3B 9A CA 00"                   // 1000000000
                  "00 03 00 03 00 00 01"                      // incoming, 0, 1
                  "00 04 00 02 48 69"));                      // "Hi"
}

TEST_F(HistoryControllerTest, PreferencesDecideWhetherHistoryIsKept) {
    struct Case {
        unsigned char saveHistory, saveNotInList;
        unsigned int contact;
        bool kept;
    };
    const Case cases[] = {
        {1, 0, kAlice, true},      {1, 0, kStranger, false}, {1, 1, kStranger, true},
        {0, 1, kAlice, false},     {0, 1, kStranger, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.saveHistory) << int(c.saveNotInList) << std::hex << c.contact);
        std::filesystem::remove_all(folder);
        context.preferences[u"HistSaveHist"] = c.saveHistory;
        context.preferences[u"HistSaveNotInList"] = c.saveNotInList;
        EXPECT_EQ(Append(c.contact, 1, "x"), 0);
        EXPECT_EQ(std::filesystem::exists(history->HistoryFilePath(c.contact).ToUtf8()), c.kept);
    }
    // Not kept means no file touched at all, not even the folder.
    std::filesystem::remove_all(folder);
    context.preferences[u"HistSaveHist"] = 0;
    EXPECT_EQ(Append(kAlice, 1, "x"), 0);
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(HistoryControllerTest, LoadsTheNewestMessagesOldestFirst) {
    for (int i = 1; i <= 25; ++i)
        ASSERT_EQ(Append(kAlice, 1000 + unsigned(i), "m" + std::to_string(i)), 0);

    std::vector<std::string> all, newest;
    for (int i = 1; i <= 25; ++i)
        (i >= 16 ? newest : all).push_back("m" + std::to_string(i));
    all.insert(all.end(), newest.begin(), newest.end());

    struct Case {
        unsigned int maxCount;
        std::vector<std::string> expected;
    };
    for (const Case& c : {Case{10, newest}, Case{0, all}, Case{30, all}, Case{25, all}}) {
        SCOPED_TRACE(c.maxCount);
        CYolArray<CHistoryController::CHistoryMessageRecord> out;
        ASSERT_EQ(history->LoadContactHistory(kAlice, c.maxCount, out), 0);
        EXPECT_EQ(Texts(out), c.expected);
        CYolArray<CTLVCol> records;
        ASSERT_EQ(history->LoadHistoryRecords(kAlice, c.maxCount, records), 0);
        EXPECT_EQ(records.Count(), int(c.expected.size()));
    }
}

TEST_F(HistoryControllerTest, VersionTwoFileIsNeitherLoadedNorAppendedTo) {
    ASSERT_EQ(Append(kAlice, 1, "x"), 0);
    std::string path = history->HistoryFilePath(kAlice).ToUtf8();
    {
        std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(3);
        file.put(2);
    }
    Bytes before = ReadFile("P_bob_alice.yhf");
    CYolArray<CHistoryController::CHistoryMessageRecord> out;
    EXPECT_EQ(history->LoadContactHistory(kAlice, 0, out), 3);
    EXPECT_EQ(out.Count(), 0);
    EXPECT_EQ(Append(kAlice, 2, "y"), 3);
    EXPECT_EQ(ReadFile("P_bob_alice.yhf"), before);
}

TEST_F(HistoryControllerTest, MissingHistoryIsErrorOneAndLeavesOutAlone) {
    CYolArray<CHistoryController::CHistoryMessageRecord> out;
    out.Add({});
    EXPECT_EQ(history->LoadContactHistory(kAlice, 0, out), 1);
    EXPECT_EQ(out.Count(), 1);
}

TEST(HistoryMessageRecord, ConversionFollowsTheDirection) {
    struct Case {
        unsigned char direction;
        unsigned int expectedDirection, icon;
        const char* sender;
    };
    const Case cases[] = {
        {0, 0, 27, "Alice"},
        {1, 1, 28, "Me"},
        {7, 0, 0, ""}, // unknown: nothing about the direction is set
    };
    // The caption shows the reader's local time: 01:46:40 UTC is 07:16:40 in India.
    std::string savedZone = getenv("TZ") ? getenv("TZ") : "";
    bool hadZone = getenv("TZ") != nullptr;
    CYolTimeZone::Use("Asia/Kolkata");
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.direction));
        CHistoryFile::Message message;
        message.direction = c.direction;
        message.time = 1000000000;
        message.text = "Привет";
        std::vector<unsigned char> record = CHistoryFile::BuildRecord(5, message);
        CTLVCol tlvs;
        tlvs.Unpack(record.data() + 6, int(record.size() - 6));

        auto converted = CHistoryController::ToMessageRecord(tlvs, W("Alice"), W("Me"));
        EXPECT_EQ(converted.direction, c.expectedDirection);
        EXPECT_EQ(converted.icon, c.icon);
        EXPECT_EQ(converted.sender.ToUtf8(), c.sender);
        EXPECT_EQ(converted.timeCaption.ToUtf8(), "(Sun Sep  9 07:16:40 2001)");
        EXPECT_EQ(converted.text.ToUtf8(), "Привет");
    }
    CYolTimeZone::Use(hadZone ? savedZone.c_str() : nullptr);
}

TEST_F(HistoryControllerTest, ContactHistoryNamesBothSides) {
    ASSERT_EQ(Append(kAlice, 10, "hello", 0), 0);
    ASSERT_EQ(Append(kAlice, 11, "hi there", 1), 0);
    CYolArray<CHistoryController::CHistoryMessageRecord> out;
    ASSERT_EQ(history->LoadContactHistory(kAlice, 0, out), 0);
    ASSERT_EQ(out.Count(), 2);
    EXPECT_EQ(out[0].sender.ToUtf8(), "Alice");
    EXPECT_EQ(out[0].icon, 27u);
    EXPECT_EQ(out[1].sender.ToUtf8(), "Me");
    EXPECT_EQ(out[1].icon, 28u);
}

TEST_F(HistoryControllerTest, MetaHistoryMergesEveryMessageByTime) {
    // Several messages in one second, in both files: none is lost, and equal
    // times keep the sub-contacts' order, then the order of writing.
    ASSERT_EQ(Append(kAlice, 100, "a1"), 0);
    ASSERT_EQ(Append(kBob, 100, "b1"), 0);
    ASSERT_EQ(Append(kAlice, 100, "a2", 1), 0);
    ASSERT_EQ(Append(kBob, 99, "b0"), 0);
    ASSERT_EQ(Append(kBob, 101, "b2"), 0);
    ASSERT_EQ(Append(kAlice, 102, "a3"), 0);

    struct Case {
        unsigned int maxCount;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {0, {"b0", "a1", "a2", "b1", "b2", "a3"}},
        {3, {"b1", "b2", "a3"}},
        {10, {"b0", "a1", "a2", "b1", "b2", "a3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maxCount);
        CYolArray<CHistoryController::CHistoryMessageRecord> out;
        out.Add({});
        out[0].text = W("already there");
        ASSERT_EQ(history->LoadMetaContactHistory(kMeta, c.maxCount, out), 0);
        std::vector<std::string> expected = c.expected;
        expected.push_back("already there");
        EXPECT_EQ(Texts(out), expected);
    }

    CYolArray<CHistoryController::CHistoryMessageRecord> out;
    ASSERT_EQ(history->LoadMetaContactHistory(kMeta, 0, out), 0);
    EXPECT_EQ(out[0].sender.ToUtf8(), "Meta Alice");
    EXPECT_EQ(out[2].sender.ToUtf8(), "Me");
}

TEST_F(HistoryControllerTest, MetaHistoryWithOneMessageEachInTheSameSecondKeepsBoth) {
    ASSERT_EQ(Append(kAlice, 500, "from alice"), 0);
    ASSERT_EQ(Append(kBob, 500, "from bob"), 0);
    CYolArray<CHistoryController::CHistoryMessageRecord> out;
    ASSERT_EQ(history->LoadMetaContactHistory(kMeta, 0, out), 0);
    EXPECT_EQ(Texts(out), (std::vector<std::string>{"from alice", "from bob"}));
}

TEST_F(HistoryControllerTest, MetaHistoryReadsEachFileOnce) {
    // A sub-contact without history adds nothing; one listed twice, or two
    // that name the same file, do not double the messages.
    context.AddContact(kStranger, kAccount, 1, "alice", "Alice again");
    context.subContacts[kMeta] = {kAlice, kAlice, kStranger, 0x80000099};
    ASSERT_EQ(Append(kAlice, 1, "once"), 0);
    CYolArray<CHistoryController::CHistoryMessageRecord> out;
    ASSERT_EQ(history->LoadMetaContactHistory(kMeta, 0, out), 0);
    EXPECT_EQ(Texts(out), (std::vector<std::string>{"once"}));
}

TEST_F(HistoryControllerTest, DeleteRemovesTheContactsFile) {
    ASSERT_EQ(Append(kAlice, 1, "x"), 0);
    ASSERT_EQ(Append(kBob, 1, "y"), 0);
    EXPECT_TRUE(history->DeleteHistoryFile(kAlice));
    EXPECT_FALSE(history->DeleteHistoryFile(kAlice));
    CYolArray<CHistoryController::CHistoryMessageRecord> out;
    EXPECT_EQ(history->LoadContactHistory(kAlice, 0, out), 1);
    EXPECT_EQ(history->LoadContactHistory(kBob, 0, out), 0);
}

TEST_F(HistoryControllerTest, LongContactNamesStillMakeAFile) {
    context.AddContact(kStranger, kAccount, 1, std::string(400, 'z'), "Z");
    ASSERT_EQ(Append(kStranger, 1, "long"), 0);
    CYolArray<CHistoryController::CHistoryMessageRecord> out;
    ASSERT_EQ(history->LoadContactHistory(kStranger, 0, out), 0);
    EXPECT_EQ(Texts(out), (std::vector<std::string>{"long"}));
}

} // namespace
