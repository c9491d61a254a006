// The privacy mode: where it is kept, when the server hears of it, how
// the invisible statuses follow it, and who may see the account.

#include "RuvListTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace RuvTest;

class RuvPrivacyRules : public ::testing::Test {
protected:
    void SetUp() override {
        rig.Receive(ListFrame({{"G", 7, 0, 1, {}},
                               {"100300", 7, 1, 0, {}},
                               {"100301", 7, 2, 0, {}},
                               {"100300", 0, 3, 2, {}},
                               {"100301", 0, 4, 3, {}},
                               {"100302", 0, 5, 0, {}}}));
        rig.sink.Take();
    }
    RuvPrivacy& Privacy() { return rig.session.privacy; }
    const CRuvListItem* Buddy(const char16_t* name) { return rig.session.list.FindBuddy(CYolString(name)); }
    SessionRig rig;
};

TEST_F(RuvPrivacyRules, TheModeGoesToTheServerWhenItChangesOrIsForced) {
    Privacy().SetMode(3, false);
    // No visibility item yet: one is made with the first free id and added.
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"13/08"}));
    const CRuvListItem* item = rig.session.list.FindVisibility();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->itemId, 1024u);
    EXPECT_EQ(Hex(*item->tlvs.Find(RuvPrivacy::kModeTlv)), "03");
    EXPECT_EQ(Hex(*item->tlvs.Find(RuvPrivacy::kMaskTlv)), "ffffffff");
    Privacy().SetMode(3, false);
    EXPECT_TRUE(rig.Sent().empty());
    Privacy().SetMode(3, true);
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"13/09"}));
    // Offline the item changes and nothing is sent.
    rig.status = 0;
    Privacy().SetMode(5, false);
    EXPECT_TRUE(rig.Sent().empty());
    EXPECT_EQ(Hex(*item->tlvs.Find(RuvPrivacy::kModeTlv)), "05");
}

TEST_F(RuvPrivacyRules, InvisibleStatusesFollowTheMode) {
    const struct {
        int status;
        uint8_t mode;
        int after;
    } cases[] = {{3, 2, 4}, {4, 1, 3}, {4, 2, 4}, {2, 2, 2}, {3, 5, 3}};
    for (const auto& c : cases) {
        rig.status = c.status;
        Privacy().SetMode(c.mode, false);
        EXPECT_EQ(rig.status, c.after) << c.status << " " << int(c.mode);
    }
}

TEST_F(RuvPrivacyRules, WhoMaySeeTheAccount) {
    const CRuvListItem* visible = Buddy(u"100300");
    const CRuvListItem* invisible = Buddy(u"100301");
    const CRuvListItem* outside = Buddy(u"100302");
    const struct {
        uint8_t mode;
        bool visible;
        bool invisible;
        bool outside;
    } cases[] = {
        {1, true, true, true},   {2, false, false, false}, {3, true, false, false},
        {4, true, false, false}, {5, true, true, false},   {0, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.mode));
        Privacy().SetMode(c.mode, false);
        EXPECT_EQ(Privacy().IsVisibleTo(visible), c.visible);
        EXPECT_EQ(Privacy().IsVisibleTo(invisible), c.invisible);
        EXPECT_EQ(Privacy().IsVisibleTo(outside), c.outside);
        EXPECT_FALSE(Privacy().IsVisibleTo(nullptr));
    }
}

TEST_F(RuvPrivacyRules, ActivationTakesTheStoredModeAndALaterListResendsIt) {
    rig.Receive(ListFrame({{"", 0, 9, 4, Tlv(0x00CA, "\x03")}}));
    rig.session.Activated();
    EXPECT_EQ(Privacy().Mode(), 3u);
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"13/09"}));
    // Once the session runs, every complete list sends the mode again.
    rig.established = true;
    rig.Receive(ListFrame({{"", 0, 9, 4, Tlv(0x00CA, "\x03")}}));
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"13/09"}));
}

}  // namespace
