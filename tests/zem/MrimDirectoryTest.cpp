// The directory: the requests for a contact's details and for a search
// (which parameters, in which encodings, under which sequence bits), and the
// answers: details into the contact's item values, search results one by one
// and the end of the search, bounded reading of the table.

#include "MrimDirectory.h"
#include "ZemTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace ZemTest;

class DirectoryOwner final : public MMrimDirectoryOwner {
public:
    void ContactDetailsReady(unsigned int item) override { log.push_back("details " + std::to_string(item)); }
    void SearchResult(const Protocols::UserInfo* user) override {
        if (user == nullptr) {
            log.push_back("end");
            return;
        }
        found.push_back(*user);
        log.push_back("found " + user->login.ToUtf8());
    }
    CYolArray<unsigned int> DirectoryStatusIcon(uint32_t status, const CYolString& uri) override {
        CYolArray<unsigned int> icon;
        icon.Add(status * 100 + static_cast<unsigned int>(uri.Length()));
        return icon;
    }
    ZemDate Today() override { return today; }

    ZemDate today{2010, 12, 30};
    std::vector<std::string> log;
    std::vector<Protocols::UserInfo> found;
};

// A directory answer; the values of the wide fields go as UTF-16LE.
std::string Answer(uint32_t result, uint32_t limit, const std::vector<std::string>& names,
                   const std::vector<std::vector<std::string>>& rows) {
    MrimBodyWriter body;
    body.UL(result).UL(static_cast<uint32_t>(names.size())).UL(limit).UL(0);
    for (const std::string& name : names)
        body.LPS(name);
    for (const auto& row : rows)
        for (size_t i = 0; i < row.size(); ++i) {
            std::string lower = names[i];
            for (char& c : lower)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const bool wide = lower == "nickname" || lower == "firstname" || lower == "lastname" || lower == "location";
            if (wide)
                body.LpsUtf16(U(row[i]));
            else
                body.Lps1251(U(row[i]));
        }
    return body.Take();
}

// "number=hex of the value" of every parameter of a request body.
std::string Parameters(std::string_view body) {
    MrimBodyReader reader(body);
    std::string out;
    while (reader.Remaining() > 0) {
        uint32_t number = 0;
        reader.UL(number);
        std::string_view value = reader.LPS();
        if (reader.Failed())
            return out + "broken";
        out += (out.empty() ? "" : ",") + std::to_string(number) + "=" + ToHex(value);
    }
    return out;
}

class MrimDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        list.Load(ListBody({"Friends"}, {{0, 0, "bob@mail.ru", "Bob", 0, 1}}));
        list.Reconcile();
        bob = model.Find("bob@mail.ru");
        sink.next = 5;
    }
    void Receive(uint32_t sequence, const std::string& body) {
        MrimHeader header;
        header.sequence = sequence;
        header.type = Wire(MrimPacketType::UserDetails);
        directory.OnAnswer(MrimPacket{header, body});
    }
    std::string Value(unsigned int item, const char16_t* key) { return model.values[item][key]; }

    RecordingPacketSink sink;
    RecordingListModel model;
    CZemContactList list{model, [](const CYolString&) {}};
    DirectoryOwner owner;
    MrimDirectory directory{sink, list, model, owner};
    unsigned int bob = 0;
};

TEST_F(MrimDirectoryTest, DetailsRequestCarriesTheAddressPartsUnderTheDetailsBits) {
    directory.RequestDetails(bob);
    directory.RequestDetails(bob + 1000);
    ASSERT_EQ(sink.packets.size(), 1u);
    EXPECT_EQ(ToHex(sink.packets[0]), "efbeadde1300010005000090291000001a000000" + std::string(48, '0') +
                                    "00000000" "03000000" "626f62" "01000000" "07000000" "6d61696c2e7275");
}

TEST_F(MrimDirectoryTest, SearchSendsTheCriteriaThatAreSetInTheirEncodings) {
    const std::string utf16Nick = ToHex(ToUtf16Bytes(U("Ёж")));
    using Fill = std::function<void(ZemSearchQuery&)>;
    const struct {
        const char* name;
        Fill fill;
        int page;
        std::string sent;  // parameters, "" when nothing went
    } rows[] = {
        {"by address", [](ZemSearchQuery& q) { q.email = U("bob@mail.ru"); }, 0,
         "0=" + ToHex("bob") + ",1=" + ToHex("mail.ru")},
        {"address without a user", [](ZemSearchQuery& q) { q.email = U("@mail.ru"); }, 0, ""},
        {"no criteria", [](ZemSearchQuery&) {}, 1, ""},
        {"lower age only", [](ZemSearchQuery& q) { q.ageFrom = 18; }, 1, "7=" + ToHex("18") + ",8=" + ToHex("120")},
        {"upper age only", [](ZemSearchQuery& q) { q.ageTo = 30; }, 1, "7=" + ToHex("1") + ",8=" + ToHex("30")},
        {"everything",
         [](ZemSearchQuery& q) {
             q.onlineOnly = 1;
             q.nickname = U("Ёж");
             q.firstName = U("A");
             q.lastName = U("B");
             q.gender = 2;
             q.ageFrom = 20;
             q.ageTo = 25;
             q.countryId = 24;
         },
         1,
         "2=" + utf16Nick + ",3=4100,4=4200,5=3200,7=" + ToHex("20") + ",8=" + ToHex("25") + ",11=" + ToHex("24") +
             ",9=3100"},
        // A page out of range keeps the stored one.
        {"stored page",
         [](ZemSearchQuery& q) {
             q.page = 1;
             q.lastName = U("B");
         },
         7, "4=4200"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ZemSearchQuery query;
        row.fill(query);
        directory.SetQuery(query);
        directory.StartSearch(row.page);
        std::vector<std::string> sent = sink.Take();
        if (row.sent.empty()) {
            EXPECT_TRUE(sent.empty());
            // The user is not left waiting for a search that never went.
            EXPECT_EQ(owner.log, std::vector<std::string>{"end"});
        } else {
            ASSERT_EQ(sent.size(), 1u);
            EXPECT_EQ(ReadMrimHeader(reinterpret_cast<const unsigned char*>(sent[0].data())).sequence & 0xF0000000u,
                      MrimDirectory::kSearchBits);
            EXPECT_EQ(Parameters(std::string_view(sent[0]).substr(44)), row.sent);
            EXPECT_TRUE(owner.log.empty());
        }
        owner.log.clear();
    }
}

TEST_F(MrimDirectoryTest, ASearchThatCannotGoEndsAtOnce) {
    sink.connected = false;
    directory.Query().email = U("bob@mail.ru");
    directory.StartSearch(0);
    EXPECT_EQ(owner.log, std::vector<std::string>{"end"});
}

TEST_F(MrimDirectoryTest, DetailsAnswerFillsTheContactsValues) {
    Receive(0x90000005, Answer(1, 50,
                               {"Username", "Domain", "Nickname", "FirstName", "LastName", "Sex", "Birthday",
                                "City_ID", "Location", "Zodiac", "Country_ID", "Unknown"},
                               {{"bob", "mail.ru", "Бобби", "Боб", "Смит", "1", "1990-12-31", "4", "Москва", "10",
                                 "24", "x"}}));
    EXPECT_EQ(owner.log, std::vector<std::string>{"details " + std::to_string(bob)});
    EXPECT_EQ(Value(bob, u"Zem: nick name"), "Бобби");
    EXPECT_EQ(Value(bob, u"Zem: first name"), "Боб");
    EXPECT_EQ(Value(bob, u"Zem: last name"), "Смит");
    EXPECT_EQ(Value(bob, u"Zem: location"), "Москва");
    EXPECT_EQ(Value(bob, u"Zem: region id"), "4");
    EXPECT_EQ(Value(bob, u"Zem: zodiac id"), "10");
    EXPECT_EQ(Value(bob, u"Zem: birth year") + Value(bob, u"Zem: birth month") + Value(bob, u"Zem: birth day"),
              "19901231");
    // Country and gender are written from search results only.
    EXPECT_EQ(model.values[bob].count(u"Zem: country id"), 0u);
    EXPECT_EQ(model.values[bob].count(u"Zem: gender id"), 0u);
}

TEST_F(MrimDirectoryTest, AnswersThatFindNothing) {
    const struct {
        const char* name;
        uint32_t sequence;
        std::string body;
        std::vector<std::string> log;
    } rows[] = {
        {"refused details", 0x90000005, Answer(0, 0, {}, {}), {}},
        {"refused search", 0x70000005, Answer(0, 0, {}, {}), {"end"}},
        {"details of a stranger", 0x90000005, Answer(1, 5, {"Username", "Domain"}, {{"zed", "mail.ru"}}), {}},
        {"row without a domain", 0x70000005, Answer(1, 5, {"Username"}, {{"zed"}}), {"end"}},
        {"names past the end", 0x70000005, MrimBodyWriter().UL(1).UL(0x7FFFFFFF).UL(5).UL(0).Take(), {"end"}},
        {"cut short", 0x70000005, MrimBodyWriter().UL(1).UL(2).Take(), {"end"}},
        {"empty", 0x90000005, "", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Receive(row.sequence, row.body);
        EXPECT_EQ(std::exchange(owner.log, {}), row.log);
    }
}

TEST_F(MrimDirectoryTest, SearchResultsGoOutOneByOneWithinTheRowLimit) {
    const std::vector<std::string> names{"Username", "Domain",   "Nickname",    "FirstName", "LastName",
                                         "Sex",      "Birthday", "Mrim_Status", "Status_URI", "Country_ID"};
    Receive(0x70000005, Answer(2, 1, names, {}));
    EXPECT_EQ(std::exchange(owner.log, {}), std::vector<std::string>{"end"});
    Receive(0x70000006, Answer(1, 2, names,
                               {{"eve", "mail.ru", "Ева", "Eve", "Adams", "1", "1990-12-31", "4", "status_dnd", "24"},
                                {"zoe", "bk.ru", "", "", "", "2", "soon", "0", "", "0"},
                                {"max", "mail.ru", "", "", "", "", "", "", "", ""}}));
    EXPECT_EQ(owner.log, (std::vector<std::string>{"found eve@mail.ru", "found zoe@bk.ru", "end"}));
    ASSERT_EQ(owner.found.size(), 2u);
    const Protocols::UserInfo& eve = owner.found[0];
    EXPECT_EQ(eve.email.ToUtf8(), "eve@mail.ru");
    EXPECT_EQ(eve.nick.ToUtf8(), "Ева");
    EXPECT_EQ(eve.firstName.ToUtf8() + " " + eve.lastName.ToUtf8(), "Eve Adams");
    EXPECT_EQ(eve.gender, 2);
    EXPECT_EQ(eve.age, 19);
    ASSERT_EQ(eve.imageIds.Count(), 1);
    EXPECT_EQ(eve.imageIds[0], 410u);
    EXPECT_EQ(Value(eve.contactId, u"CL Alias"), "Ева");
    EXPECT_EQ(Value(eve.contactId, u"Zem: gender id"), "1");
    EXPECT_EQ(Value(eve.contactId, u"Zem: country id"), "24");
    const Protocols::UserInfo& zoe = owner.found[1];
    EXPECT_EQ(zoe.gender, 1);
    EXPECT_EQ(zoe.age, 0);
    EXPECT_EQ(Value(zoe.contactId, u"Zem: birth year"), "0");
}

TEST(MrimBirthday, AgeCountsWholeYearsUpToToday) {
    const struct {
        const char* birthday;
        ZemDate today;
        bool parsed;
        int age;
    } rows[] = {
        {"1990-12-31", {2010, 12, 30}, true, 19}, {"1990-12-31", {2010, 12, 31}, true, 20},
        {"1990-12-31", {2011, 1, 1}, true, 20},   {"1990-11-5", {2010, 12, 1}, true, 20},
        {"2030-1-1", {2010, 12, 1}, true, 0},     {"-12-31", {2010, 1, 1}, false, 0},
        {"1990--31", {2010, 1, 1}, false, 0},     {"1990-12", {2010, 1, 1}, false, 0},
        {"19x0-1-1", {2010, 1, 1}, false, 0},     {"99999999999-1-1", {2010, 1, 1}, false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.birthday);
        ZemDate birth;
        EXPECT_EQ(ParseZemBirthday(row.birthday, birth), row.parsed);
        EXPECT_EQ(row.parsed ? ZemAge(birth, row.today) : 0, row.age);
    }
}

}  // namespace
