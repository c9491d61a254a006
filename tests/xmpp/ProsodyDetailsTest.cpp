// vCards between the XMPP account and a real other party (slixmpp) on a
// real server (Prosody): the peer's card as we read it, and our own card
// published from the values the user edited, then read back by the peer and
// by us, Cyrillic text and the fields we do not show (photo and the like)
// intact.

#include "ProsodyWithBob.h"

#include "YolTabDlg.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace XmppPeers;
namespace AccountCommand = Protocols::AccountCommand;
namespace AccountEvent = Protocols::AccountEvent;

// What another client of the user's put in the user's card before: a photo
// and an element this client has no field for.
constexpr const char* kCardFromOtherClient =
    "<vCard xmlns='vcard-temp'><FN>Alice</FN><PHOTO><TYPE>image/png</TYPE><BINVAL>iVBORw0KGgo=</BINVAL></PHOTO>"
    "<JABBERID>alice@localhost</JABBERID></vCard>";

// The own values the user edits: key, the element of the card that carries
// it (as the peer prints it), value.
struct EditedField {
    const char* key;
    const char* element;
    const char* value;
};
constexpr EditedField kEdited[] = {
    {"Jabber: display name", "FN", "Алиса Иванова"},
    {"Jabber: first name", "N/GIVEN", "Алиса"},
    {"Jabber: last name", "N/FAMILY", "Иванова"},
    {"Jabber: nick name", "NICKNAME", "Лиса"},
    {"Jabber: home city", "ADR/LOCALITY", "Москва"},
    {"Jabber: home e-mail", "EMAIL/USERID", "alice@example.org"},
    {"Jabber: work company", "ORG/ORGNAME", "ООО «Ромашка»"},
    {"Jabber: cell phone", "TEL/NUMBER", "+7 900 000-00-00"},
};

// The text of the one element at `path`; a note when there is none or more.
std::string Only(const std::multimap<std::string, std::string>& card, const std::string& path) {
    const size_t count = card.count(path);
    return count == 1 ? card.find(path)->second : std::to_string(count) + " elements " + path;
}

class ProsodyVCard : public ProsodyWithBob {
protected:
    void SetUp() override { Start(false); }
    static Services::CEventArg* NoPanes() { return new Services::CEventArg_Data<YolTabDlg::CDlgInfo*>(nullptr); }

    std::string Own(const char* key) {
        CYolString value;
        account->manager.GetAccountString(LiveXmppAccount::kAccountId, U(key), value, false);
        return value.ToUtf8();
    }
    // The own details dialog opens: the account fetches the own card.
    bool FetchOwnCard() {
        account->manager.TakeEvents();
        account->Command(AccountCommand::CreateOwnDetailsPanes, NoPanes());
        return WaitForEvent(AccountEvent::OwnDetailsReady);
    }
    // The card `jid` gives bob, element path to text (the first of a path).
    std::multimap<std::string, std::string> CardBobReads(const std::string& jid) {
        std::multimap<std::string, std::string> fields;
        EXPECT_TRUE(bob->Do({"getvcard", jid})) << bob->Log();
        for (;;) {
            const auto line = bob->WaitFor([](const PeerLine& l) { return l[0] == "VCARDFIELD" || l[0] == "VCARDEND"; });
            if (!line || (*line)[0] == "VCARDEND" || line->size() < 3)
                break;
            fields.emplace((*line)[1], (*line)[2]);
        }
        return fields;
    }
};

TEST_F(ProsodyVCard, ThePeersPublishedCardIsWhatWeRead) {
    ASSERT_TRUE(bob->Do({"setvcard", "Борис Петров", "Боб"}));
    account->Command(AccountCommand::CreateContactDetailsPanes, LiveXmppAccount::Arg(bobContact), NoPanes());
    ASSERT_TRUE(WaitForEvent(AccountEvent::ContactDetailsReady));
    EXPECT_EQ(account->ItemString(bobContact, "Jabber: display name").ToUtf8(), "Борис Петров");
    EXPECT_EQ(account->ItemString(bobContact, "Jabber: nick name").ToUtf8(), "Боб");
}

TEST_F(ProsodyVCard, OurOwnCardIsReadWhenTheServerHasNone) {
    ASSERT_TRUE(FetchOwnCard());
    EXPECT_EQ(Own("Jabber: display name"), "");
}

TEST_F(ProsodyVCard, OurPublishedCardIsWhatThePeerAndWeReadBack) {
    XmppPeer otherClient(*rig, "alice", kAlicePassword, false, "phone");
    ASSERT_TRUE(otherClient.Ready()) << otherClient.Log();
    ASSERT_TRUE(otherClient.Do({"setvcardxml", kCardFromOtherClient})) << otherClient.Log();
    ASSERT_TRUE(FetchOwnCard());
    EXPECT_EQ(Own("Jabber: display name"), "Alice");

    for (const EditedField& field : kEdited)
        account->manager.SetAccountString(LiveXmppAccount::kAccountId, U(field.key), U(field.value), false);
    account->manager.SetAccountWord(LiveXmppAccount::kAccountId, U("Jabber: birth year"), 1990);
    account->manager.SetAccountByte(LiveXmppAccount::kAccountId, U("Jabber: birth month"), 4);
    account->manager.SetAccountByte(LiveXmppAccount::kAccountId, U("Jabber: birth day"), 12);
    account->account->PublishVCard();

    // Our stream is answered in order: the card read after the publish is
    // the published one. Reading it clears the values first.
    ASSERT_TRUE(FetchOwnCard());
    for (const EditedField& field : kEdited)
        EXPECT_EQ(Own(field.key), field.value) << field.key;
    unsigned short year = 0;
    account->manager.GetAccountWord(LiveXmppAccount::kAccountId, U("Jabber: birth year"), year);
    EXPECT_EQ(year, 1990);

    const std::multimap<std::string, std::string> card = CardBobReads(rig->Jid("alice"));
    for (const EditedField& field : kEdited) {
        const auto [first, last] = card.equal_range(field.element);
        bool found = false;
        for (auto it = first; it != last; ++it)
            found = found || it->second == field.value;
        EXPECT_TRUE(found) << field.element << " " << field.value;
    }
    EXPECT_EQ(Only(card, "BDAY"), "1990-4-12");
    EXPECT_EQ(Only(card, "PHOTO/BINVAL"), "iVBORw0KGgo=");
    EXPECT_EQ(Only(card, "PHOTO/TYPE"), "image/png");
    EXPECT_EQ(Only(card, "JABBERID"), "alice@localhost");
}

}  // namespace
