// The contact menus' commands over a session and the recording sink: what
// a contact's entry tells the menus, the status check and its answer, and
// the extended-status request, which goes out only to an online contact
// whose capabilities name an extended status.

#include "RuvCapabilities.h"
#include "RuvListTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace RuvTest;

std::string Caps(std::initializer_list<RuvCapabilityGuid> guids) {
    std::string out;
    for (const RuvCapabilityGuid& guid : guids)
        out.append(reinterpret_cast<const char*>(guid.data()), guid.size());
    return out;
}

class RuvContactCommands : public ::testing::Test {
protected:
    void SetUp() override {
        rig.Receive(ListFrame({{"G", 7, 0, 1, {}},
                               {"100300", 7, 1, 0, {}},
                               {"100400", 7, 2, 0, Tlv(0x66, {})},
                               {"100300", 0, 3, 2, {}},
                               {"100300", 0, 4, 14, {}}}));
        for (const auto& [id, item] : rig.model.items)
            if (!item.group)
                contacts[item.key.ToUtf8()] = id;
        rig.Sent();
    }
    void Arrive(const std::string& name, const std::string& caps) {
        rig.Receive(Snac(3, 0x0B, Bytes("06") + name + Bytes("0000 0001") + Tlv(0x0D, caps)));
    }
    // The extension of the relay block a request carries.
    static std::string Extension(const std::string& frame) {
        const size_t at = frame.find(std::string("\x27\x11", 2));
        if (at == std::string::npos || at + 4 > frame.size())
            return {};
        const size_t length = static_cast<uint8_t>(frame[at + 2]) << 8 | static_cast<uint8_t>(frame[at + 3]);
        return frame.substr(at + 4, length);
    }

    SessionRig rig;
    std::map<std::string, unsigned int> contacts;
};

TEST_F(RuvContactCommands, AnEntryTellsTheMenusItsAuthorizationStatusGroupAndLists) {
    Arrive("100300", Caps({*RuvCapabilities::ForXStatus(4)}));
    const auto listed = rig.session.commands.Entry(contacts["100300"]);
    ASSERT_TRUE(listed);
    EXPECT_FALSE(listed->awaitsAuthorization);
    EXPECT_EQ(listed->status, 2);
    EXPECT_EQ(listed->groupId, 7u);
    EXPECT_TRUE(listed->hasXStatus);
    const auto waiting = rig.session.commands.Entry(contacts["100400"]);
    ASSERT_TRUE(waiting);
    EXPECT_TRUE(waiting->awaitsAuthorization);
    EXPECT_EQ(waiting->status, 0);
    EXPECT_FALSE(waiting->hasXStatus);
    EXPECT_FALSE(rig.session.commands.Entry(9999));

    const struct {
        const char* name;
        RuvPrivacyList list;
        bool on;
    } lists[] = {
        {"100300", RuvPrivacyList::Visible, true},   {"100300", RuvPrivacyList::Invisible, false},
        {"100300", RuvPrivacyList::Ignore, true},    {"100400", RuvPrivacyList::Visible, false},
        {"100400", RuvPrivacyList::Ignore, false},
    };
    for (const auto& c : lists)
        EXPECT_EQ(rig.session.commands.OnPrivacyList(contacts[c.name], c.list), c.on)
            << c.name << " " << static_cast<int>(c.list);
}

TEST_F(RuvContactCommands, CheckStatusAsksForUserInformationAndShowsTheAnswer) {
    rig.session.commands.CheckStatus(contacts["100400"]);
    ASSERT_EQ(rig.sink.frames.size(), 1u);
    EXPECT_EQ(Hex(rig.sink.frames[0].substr(6)), "000200150000000000060000000506313030343030");
    rig.sink.Take();
    rig.session.commands.CheckStatus(9999);
    EXPECT_TRUE(rig.sink.Take().empty());

    // The answer names the contact by its alias; without a status word it is offline.
    rig.Receive(Snac(2, 6, Bytes("06") + "100400" + Bytes("0000 0000")));
    ASSERT_EQ(rig.texts.size(), 1u);
    EXPECT_EQ(rig.texts[0].rfind("100400 \n", 0), 0u) << rig.texts[0];
    rig.Receive(Snac(2, 6, Bytes("06") + "100999" + Bytes("0000 0000")));
    EXPECT_EQ(rig.texts.size(), 1u);
}

TEST_F(RuvContactCommands, TheExtendedStatusRequestGoesOnlyToAnOnlineContactThatNamesOne) {
    const unsigned int friendId = contacts["100300"];
    EXPECT_FALSE(rig.session.commands.RequestXStatus(friendId, CYolString(u"100200")));  // offline
    Arrive("100300", Caps({RuvCapabilities::Relay()}));
    EXPECT_FALSE(rig.session.commands.RequestXStatus(friendId, CYolString(u"100200")));  // names none
    EXPECT_TRUE(rig.sink.Take().empty());

    Arrive("100300", Caps({RuvCapabilities::Relay(), *RuvCapabilities::ForXStatus(12)}));
    EXPECT_TRUE(rig.session.commands.RequestXStatus(friendId, CYolString(u"100200")));
    ASSERT_EQ(rig.sink.frames.size(), 1u);
    const std::string& frame = rig.sink.frames[0];
    EXPECT_EQ(Hex(frame.substr(6, 10)), "00040006000000000006");
    // Both cookie words from the random source, the relay channel, the peer.
    EXPECT_EQ(Hex(frame.substr(16, 17)), "0000005500000055000206313030333030");
    const std::string extension = Extension(frame);
    // The lengths the peer's client checks: the extension is 406 bytes and
    // the asker's and the number's texts.
    EXPECT_EQ(extension.size(), 406u + 6 + 2);
    EXPECT_EQ(Hex(extension.substr(45, 9)), "1a0000000100010000");
    EXPECT_EQ(extension.substr(78, 42), "Script Plug-in: Remote Notification Arrive");
    const std::string script = extension.substr(143);
    EXPECT_NE(script.find("&lt;trans&gt;12&lt;/trans&gt;&lt;senderId&gt;100200&lt;/senderId&gt;"), std::string::npos);
    EXPECT_EQ(script.substr(script.size() - 2), "\r\n");
    // The block after the extension asks for the server's acknowledgement.
    EXPECT_EQ(Hex(frame.substr(frame.size() - 4)), "00030000");
}

TEST_F(RuvContactCommands, TheLocationRightsAreAnsweredWithTheWholeCapabilityList) {
    rig.sink.Take();
    rig.Receive(Snac(2, 3, Bytes("0001 0002 0400")));
    const std::vector<std::string> sent = rig.sink.Take();
    ASSERT_EQ(sent.size(), 1u);
    // 02/04, request id 4, the twelve capabilities in one TLV 5.
    EXPECT_EQ(Hex(sent[0].substr(0, 20)), "2a02000100ce" "00020004000000000004" "000500c0");
}

}  // namespace
