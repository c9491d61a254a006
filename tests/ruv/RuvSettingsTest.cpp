// The account's settings in the protocols manager's store: defaults of a
// fresh account, the stored password's scrambled hex, and what a save
// writes and leaves alone.

#include "CRuvSettings.h"
#include "RuvTestSupport.h"
#include "XmppAccountHarness.h"

#include <gtest/gtest.h>

namespace {

using RuvTest::Hex;
using XmppTest::U;

constexpr unsigned int kAccount = 7;

class RuvSettingsStore : public ::testing::Test {
protected:
    std::string Blob(const char* key) {
        char buffer[64];
        unsigned int size = sizeof(buffer);
        if (!manager.GetAccountBlob(kAccount, U(key), buffer, size))
            return {};
        return std::string(buffer, size);
    }

    XmppTest::XmppFakeProtocolsManager manager;
    CRuvSettingsStore store{&manager, kAccount};
};

TEST(RuvPasswordText, ScramblingTwiceGivesTheTextBack) {
    const std::string text = "5EBE2294ECD0E0F08EAB7690D2A6EE69";
    const std::string scrambled = ScramblePasswordText(text);
    EXPECT_NE(scrambled, text);
    // Byte 0: ~('5' + 1) = ~0x36 = 0xc9.
    EXPECT_EQ(Hex(scrambled.substr(0, 1)), "c9");
    EXPECT_EQ(ScramblePasswordText(scrambled), text);
}

TEST_F(RuvSettingsStore, AFreshAccountLoadsTheDefaultsAndItsSaveFillsTheConnection) {
    CRuvSettings settings;
    settings.showStandardIcon = true;
    settings.typingNotification = false;
    store.Load(settings);
    EXPECT_TRUE(settings.loaded);
    EXPECT_TRUE(settings.login.IsEmpty());
    EXPECT_EQ(settings.passwordDigest, (std::array<uint8_t, 16>{}));
    EXPECT_FALSE(settings.showStandardIcon);
    EXPECT_TRUE(settings.showPrivStatusInStatusbar && settings.showClientsIcons && settings.typingNotification &&
                settings.xStatusAutoRequest);
    EXPECT_EQ(store.GetServer().ToUtf8(), "login.ruv.example.net");
    EXPECT_EQ(store.GetPort(), 5190u);
    EXPECT_EQ(store.GetKeepAlive(), 1);
    EXPECT_EQ(store.GetLoadCl(), 1);
    EXPECT_EQ(store.GetAutoSwitchPrivacy(), 0);

    store.Save(settings);
    EXPECT_TRUE(manager.HasValue("SrvConServer"));
    unsigned int port = 0;
    EXPECT_TRUE(manager.GetAccountDword(kAccount, U("SrvConPort"), port));
    EXPECT_EQ(port, 5190u);
    unsigned char enabled = 0;
    EXPECT_TRUE(manager.GetAccountByte(kAccount, U("SrvEnabled"), enabled));
    EXPECT_EQ(enabled, 1);
}

TEST_F(RuvSettingsStore, TheDigestSurvivesASaveAndALoad) {
    CRuvSettings settings;
    store.Load(settings);
    settings.login = U("100200");
    for (size_t i = 0; i < settings.passwordDigest.size(); ++i)
        settings.passwordDigest[i] = static_cast<uint8_t>(0xA0 + i);
    store.Save(settings);
    EXPECT_EQ(ScramblePasswordText(Blob("SrvLogPass")), "A0A1A2A3A4A5A6A7A8A9AAABACADAEAF");

    CRuvSettings again;
    store.Load(again);
    EXPECT_EQ(again.login.ToUtf8(), "100200");
    EXPECT_EQ(again.passwordDigest, settings.passwordDigest);
}

TEST_F(RuvSettingsStore, AStoredPasswordThatIsNotThirtyTwoHexCharactersGivesNoDigest) {
    const std::string blobs[] = {ScramblePasswordText("A0A1"), ScramblePasswordText(std::string(32, 'z')),
                                 ScramblePasswordText(std::string(33, 'A'))};
    for (const std::string& blob : blobs) {
        manager.SetAccountBlob(kAccount, U("SrvLogPass"), blob.data(), static_cast<unsigned int>(blob.size()));
        CRuvSettings settings;
        settings.passwordDigest.fill(1);
        store.Load(settings);
        EXPECT_EQ(settings.passwordDigest, (std::array<uint8_t, 16>{})) << Hex(blob);
    }
}

TEST_F(RuvSettingsStore, ASaveWritesNothingBeforeALoadAndKeepsTheConnectionKeys) {
    CRuvSettings unloaded;
    store.Save(unloaded);
    EXPECT_FALSE(manager.HasValue("SrvLogName"));
    EXPECT_FALSE(manager.HasValue("SrvConServer"));

    store.SetServer(U("127.0.0.1"));
    store.SetPort(15190);
    CRuvSettings settings;
    store.Load(settings);
    store.Save(settings);
    EXPECT_EQ(store.GetServer().ToUtf8(), "127.0.0.1");
    EXPECT_EQ(store.GetPort(), 15190u);
}

TEST(RuvSettingsWithoutStore, EveryGetterAnswersItsDefault) {
    CRuvSettingsStore store(nullptr, kAccount);
    CRuvSettings settings;
    store.Load(settings);
    store.Save(settings);
    EXPECT_FALSE(settings.loaded);
    EXPECT_EQ(store.GetPort(), 5190u);
    EXPECT_EQ(store.GetKeepAlive(), 1);
}

}  // namespace
