// The user search against a real server (Prosody) whose user directory is a
// scripted component: the account's searches by e-mail and by name arrive
// as data forms with the criteria filled in, and the users found, whether
// the directory answers with a data form or in the plain form, reach the
// contact list as temporary contacts and the search dialog as results,
// ended by the end marker.

#include "LiveXmppAccount.h"
#include "ProsodyFixture.h"
#include "ProsodyWithBob.h"

#include "YolTabDlg.h"

#include <gtest/gtest.h>

namespace {

using namespace XmppPeers;
namespace AccountCommand = Protocols::AccountCommand;


const DirectoryComponent::User kDirectory[] = {
    {"ivan@localhost", "Ваня", "Иван", "Петров", "ivan@example.org", "Россия"},
    {"petr@localhost", "Петя", "Пётр", "Петров", "petr@example.org", "Россия"},
    {"anna@localhost", "Аня", "Анна", "Смирнова", "anna@example.org", "Беларусь"},
};

struct SearchCase {
    const char* name;
    int page;
    SearchParams criteria;
    bool plainReplies;
    const char* sent;                    // the criteria as the directory read them
    std::vector<std::string> found;      // "login nick first last email", in the directory's order
};
void PrintTo(const SearchCase& c, std::ostream* out) { *out << c.name; }

SearchParams ByEmail(const char* email) {
    SearchParams params;
    params.email = U(email);
    return params;
}
SearchParams ByName(const char* nick, const char* first, const char* last, const char* country) {
    SearchParams params;
    params.nickname = U(nick);
    params.firstName = U(first);
    params.lastName = U(last);
    params.country = U(country);
    return params;
}

class ProsodySearch : public testing::TestWithParam<SearchCase> {
protected:
    void SetUp() override {
        if (!RigAvailable())
            YOL_SKIP_MISSING_PEER("prosody, openssl or /usr/bin/python3 is missing");
        rig = std::make_unique<ProsodyRig>(ProsodyRig::Options{{{"alice", kAlicePassword}}, {}});
        ASSERT_TRUE(rig->Ready()) << rig->Failure();
        directory = std::make_unique<DirectoryComponent>(*rig);
        ASSERT_TRUE(directory->Ready()) << directory->Log();
        for (const DirectoryComponent::User& user : kDirectory)
            ASSERT_TRUE(directory->Add(user)) << directory->Log();
        account = std::make_unique<LiveXmppAccount>();
        account->Setup(rig->Jid("alice"), kAlicePassword, rig->PlainPort(), false);
        account->SetStatus(Protocols::Online);
        ASSERT_TRUE(account->WaitForStatus(Protocols::Online)) << "status " << account->GetStatus();
    }

    // The search dialog opens, takes the criteria and starts the search on
    // `page`; the results up to the end marker, false when it never came.
    bool Search(int page, const SearchParams& criteria, std::vector<Protocols::UserInfo>& results) {
        account->Command(AccountCommand::CreateSearchPanes, nullptr,
                         new Services::CEventArg_Data<YolTabDlg::CDlgInfo*>(nullptr));
        account->account->GetSearchParams() = criteria;
        account->manager.TakeEvents();
        account->Command(AccountCommand::StartSearch, LiveXmppAccount::Arg(static_cast<unsigned int>(page)));
        return account->Eventually([&] {
            for (const XmppTest::AccountEventRecord& record : account->manager.TakeEvents()) {
                if (record.event != Protocols::AccountEvent::SearchResult)
                    continue;
                if (!record.hasSecond)
                    return true;
                results.push_back(record.user);
            }
            return false;
        });
    }

    std::unique_ptr<ProsodyRig> rig;
    std::unique_ptr<DirectoryComponent> directory;
    std::unique_ptr<LiveXmppAccount> account;
};

TEST_P(ProsodySearch, UsersFoundReachTheDialogAndTheContactList) {
    const SearchCase& c = GetParam();
    ASSERT_TRUE(directory->PlainReplies(c.plainReplies));
    std::vector<Protocols::UserInfo> results;
    ASSERT_TRUE(Search(c.page, c.criteria, results)) << directory->Log();

    const auto search = directory->NextSearch();
    ASSERT_TRUE(search) << directory->Log();
    EXPECT_EQ((*search)[0].substr(0, (*search)[0].find('/')), rig->Jid("alice"));
    EXPECT_EQ((*search)[1], "form");
    EXPECT_EQ((*search)[2], c.sent);

    std::vector<std::string> found;
    for (const Protocols::UserInfo& user : results) {
        found.push_back(user.login.ToUtf8() + " " + user.nick.ToUtf8() + " " + user.firstName.ToUtf8() + " " +
                        user.lastName.ToUtf8() + " " + user.email.ToUtf8());
        // The dialog shows each user through the contact list's own item.
        ASSERT_NE(user.contactId, 0u);
        account->DrainList();
        EXPECT_TRUE(account->contactList->IsTempContact(user.contactId));
        EXPECT_EQ(account->ItemString(user.contactId, "SrvLogName"), user.login);
        EXPECT_EQ(account->ItemString(user.contactId, "CL Alias"), user.nick);
    }
    EXPECT_EQ(found, c.found);
}

INSTANTIATE_TEST_SUITE_P(
    ProsodyDirectory, ProsodySearch,
    testing::Values(
        SearchCase{"ByEmailForm", SearchByEmail, ByEmail("ivan@example.org"), false, "email=ivan@example.org",
                   {"ivan@localhost Ваня Иван Петров ivan@example.org"}},
        SearchCase{"ByNameForm", SearchGlobal, ByName("", "", "петров", "Россия"), false, "ctry=Россия,last=петров",
                   {"ivan@localhost Ваня Иван Петров ivan@example.org",
                    "petr@localhost Петя Пётр Петров petr@example.org"}},
        SearchCase{"ByNamePlain", SearchGlobal, ByName("Аня", "Анна", "", ""), true, "first=Анна,nick=Аня",
                   {"anna@localhost Аня Анна Смирнова anna@example.org"}},
        SearchCase{"ByEmailPlain", SearchByEmail, ByEmail("petr@example.org"), true, "email=petr@example.org",
                   {"petr@localhost Петя Пётр Петров petr@example.org"}},
        SearchCase{"NobodyFound", SearchByEmail, ByEmail("nobody@example.org"), false, "email=nobody@example.org",
                   {}}),
    [](const testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

}  // namespace
