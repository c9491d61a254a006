// A real account over real sockets against the scripted OSCAR server's
// meta service: a stored message delivered and deleted, a contact's
// details in a series of replies, searches by number, by e-mail and in
// the white pages with their hits as search results, and the own details
// saved and read back.

#include "LiveRuvAccount.h"
#include "MissingPeer.h"
#include "PeerProcess.h"
#include "ProsodyFixture.h"
#include "RuvDetailKeys.h"
#include "RuvTestSupport.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace RuvPeers;
using XmppPeers::HaveProgram;
using XmppPeers::kPython;
using XmppTest::AccountEventRecord;

class OscarScriptedMeta : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveProgram(kPython))
            YOL_SKIP_MISSING_PEER("/usr/bin/python3 is missing");
        server = std::make_unique<PeerProcess>(
            std::vector<std::string>{kPython, std::string(YOL_PEERS_DIR) + "/oscar_server.py", "meta", "--user",
                                     "100200", "--password", "secret"},
            log.PathOf("server.log"), true, true);
        std::optional<std::string> port = server->NextLine(10000);
        ASSERT_TRUE(port && port->rfind("PORT ", 0) == 0) << Log();
        account.Setup("100200", "secret", static_cast<unsigned int>(std::stoul(port->substr(5))));
        account.SetStatus(Protocols::Online);
        ASSERT_EQ(Report(), "SIGNED ON") << Log();
        ASSERT_TRUE(account.WaitForStatus(Protocols::Online)) << Log();
    }
    void TearDown() override {
        if (!server)
            return;
        account.SetStatus(Protocols::Offline);
        EXPECT_EQ(Report(), "DONE") << Log();
    }

    std::string Report(int timeoutMs = 30000) { return server->NextLine(timeoutMs).value_or("(nothing)"); }
    std::string Log() { return ReadText(log.PathOf("server.log")); }

    // Waits for an account event that `match` accepts; the events passed on
    // the way are kept for later waits.
    std::optional<AccountEventRecord> WaitForEvent(const std::function<bool(const AccountEventRecord&)>& match) {
        std::optional<AccountEventRecord> found;
        account.Eventually([&] {
            for (auto& e : account.manager.TakeEvents())
                seen.push_back(std::move(e));
            for (auto it = seen.begin(); it != seen.end(); ++it) {
                if (match(*it)) {
                    found = *it;
                    seen.erase(it);
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    // The logins of one search's results, up to its end; "(no end)" last
    // when the end did not come.
    std::vector<std::string> SearchResults() {
        std::vector<std::string> logins;
        while (std::optional<AccountEventRecord> e =
                   WaitForEvent([](const AccountEventRecord& r) { return r.event == Protocols::AccountEvent::SearchResult; })) {
            if (!e->hasSecond)
                return logins;
            logins.push_back(e->user.login.ToUtf8() + " " + e->user.nick.ToUtf8());
            hits.push_back(e->user);
        }
        logins.push_back("(no end)");
        return logins;
    }
    void Search(int page, const TSearchRequest& request) {
        account.account->PostSearchRequest(request);
        account.Command(Protocols::AccountCommand::StartSearch, LiveRuvAccount::Arg(static_cast<unsigned int>(page)));
    }
    CYolString OwnString(const char16_t* key) {
        CYolString value;
        account.manager.GetAccountString(LiveRuvAccount::kAccountId, CYolString(key), value, false);
        return value;
    }

    TempFolder log;
    std::unique_ptr<PeerProcess> server;
    LiveRuvAccount account;
    std::vector<AccountEventRecord> seen;
    // Every search result so far.
    std::vector<Protocols::UserInfo> hits;
};

TEST_F(OscarScriptedMeta, AStoredMessageIsDeliveredAndThenDeleted) {
    EXPECT_EQ(Report(), "STORED DELETED") << Log();
    const std::string line = account.log.WaitFor("message ");
    EXPECT_NE(line.find(" 1 Offline message ("), std::string::npos) << line;
    EXPECT_NE(line.find(")\r\nПока тебя не было"), std::string::npos) << line;
}

TEST_F(OscarScriptedMeta, AContactsDetailsComeInOneSeriesAndNameIt) {
    EXPECT_EQ(Report(), "STORED DELETED") << Log();
    const unsigned int bob = account.ContactOf("100300");
    ASSERT_NE(bob, 0u);
    account.Command(Protocols::AccountCommand::RequestContactInfo, LiveRuvAccount::Arg(bob));
    EXPECT_EQ(Report(), "INFO 100300") << Log();
    const std::optional<AccountEventRecord> ready = WaitForEvent(
        [](const AccountEventRecord& r) { return r.event == Protocols::AccountEvent::ContactDetailsReady; });
    ASSERT_TRUE(ready) << Log();
    EXPECT_TRUE(ready->hasSecond);
    EXPECT_EQ(account.ItemString(bob, "Ruv: nick name").ToUtf8(), "Боб");
    EXPECT_EQ(account.ItemString(bob, "Ruv: e-mail").ToUtf8(), "bob@example.org");
    EXPECT_EQ(account.ItemString(bob, "Ruv: work company").ToUtf8(), "Рога и копыта");
    // The zip sent again after the web page wins.
    EXPECT_EQ(account.ItemString(bob, "Ruv: work zip").ToUtf8(), "170001");
    EXPECT_EQ(account.ItemString(bob, "Ruv: about").ToUtf8(), "Привет всем");
    EXPECT_EQ(account.ItemString(bob, "Ruv: interest keys2").ToUtf8(), "go");
    short year = 0;
    ASSERT_TRUE(account.contactList->GetItemWord(bob, CYolString(RuvDetailKey::BirthYear), &year));
    EXPECT_EQ(year, 1994);
    EXPECT_EQ(account.Flag(bob, "Ruv: birth day"), 31);
    EXPECT_EQ(account.Flag(bob, "Ruv: gender"), 2);
    // Shown under its login until now: the server's item takes the nick.
    ASSERT_TRUE(account.Eventually([&] { return account.ItemString(bob, "CL Alias").ToUtf8() == "Боб"; }));
}

TEST_F(OscarScriptedMeta, SearchesByNumberAndEmailEndWithTheirHits) {
    EXPECT_EQ(Report(), "STORED DELETED") << Log();
    TSearchRequest request;
    request.number = 100400;
    Search(0, request);
    EXPECT_EQ(Report(), "SEARCH number 1") << Log();
    EXPECT_EQ(SearchResults(), (std::vector<std::string>{"100400 Alice"}));

    request.number = 100999;
    Search(0, request);
    EXPECT_EQ(Report(), "SEARCH number 0") << Log();
    EXPECT_EQ(SearchResults(), (std::vector<std::string>{}));

    request.email = CYolString(u"bob@example.org");
    Search(1, request);
    EXPECT_EQ(Report(), "SEARCH email 1") << Log();
    EXPECT_EQ(SearchResults(), (std::vector<std::string>{"100300 Боб"}));

    // The service's error ends the search.
    request.email = CYolString(u"error@example.org");
    Search(1, request);
    EXPECT_EQ(Report(), "SEARCH email error") << Log();
    EXPECT_EQ(SearchResults(), (std::vector<std::string>{}));
}

TEST_F(OscarScriptedMeta, WhitePagesHitsArriveOneByOneUntilTheLast) {
    EXPECT_EQ(Report(), "STORED DELETED") << Log();
    TSearchRequest request;
    request.city = CYolString(u"Москва");
    request.gender = 2;
    Search(2, request);
    EXPECT_EQ(Report(), "SEARCH white 2") << Log();
    EXPECT_EQ(SearchResults(), (std::vector<std::string>{"100300 Боб", "100500 Bobby"}));
    // A hit outside the list is a temporary contact named after its nick.
    ASSERT_EQ(hits.size(), 2u);
    const unsigned int bobby = hits[1].contactId;
    ASSERT_NE(bobby, 0u);
    EXPECT_EQ(account.ItemString(bobby, "SrvLogName").ToUtf8(), "100500");
    EXPECT_EQ(account.ItemString(bobby, "CL Alias").ToUtf8(), "Bobby");

    // Online only, and an age range, narrow it to one.
    request.onlineOnly = true;
    request.ageFrom = 30;
    request.ageTo = 39;
    Search(3, request);
    EXPECT_EQ(Report(), "SEARCH white 1") << Log();
    EXPECT_EQ(SearchResults(), (std::vector<std::string>{"100300 Боб"}));
}

CTLVCol TextChange(uint16_t type, const std::string& text) {
    std::string value{static_cast<char>(text.size() + 1), 0};
    value += text + '\0';
    CTLVCol out;
    out.Add(CTLV(type, static_cast<unsigned short>(value.size()), reinterpret_cast<const unsigned char*>(value.data())));
    return out;
}

TEST_F(OscarScriptedMeta, OwnDetailsSavedAreReadBack) {
    EXPECT_EQ(Report(), "STORED DELETED") << Log();
    CTLVCol changes = TextChange(0x0154, "Newnick");
    CTLVCol about = TextChange(0x0258, "\xcf\xf0\xe8");  // "При" in the network's code page
    changes.Add(about[0]);
    const std::string birthday = RuvTest::Bytes("cf07 0300 0f00");
    changes.Add(CTLV(0x023A, 6, reinterpret_cast<const unsigned char*>(birthday.data())));
    account.account->PostOwnDetailsSave(changes);
    EXPECT_EQ(Report(), "SAVED 0154 0258 023a") << Log();
    // The birthday is kept at once, without waiting for the server.
    unsigned short year = 0;
    EXPECT_TRUE(account.manager.GetAccountWord(LiveRuvAccount::kAccountId, CYolString(RuvDetailKey::BirthYear), year));
    EXPECT_EQ(year, 1999);

    account.account->PostOwnDetailsRequest();
    EXPECT_EQ(Report(), "INFO 100200") << Log();
    const std::optional<AccountEventRecord> ready = WaitForEvent(
        [](const AccountEventRecord& r) { return r.event == Protocols::AccountEvent::OwnDetailsReady; });
    ASSERT_TRUE(ready) << Log();
    EXPECT_FALSE(ready->hasSecond);
    EXPECT_EQ(OwnString(RuvDetailKey::NickName).ToUtf8(), "Newnick");
    EXPECT_EQ(OwnString(RuvDetailKey::About).ToUtf8(), "При");
    unsigned char day = 0;
    EXPECT_TRUE(account.manager.GetAccountByte(LiveRuvAccount::kAccountId, CYolString(RuvDetailKey::BirthDay), day));
    EXPECT_EQ(day, 15);
}

}  // namespace
