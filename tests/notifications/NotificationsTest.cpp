// The bubbles on the shell's notifications: which one shows, when it goes,
// what its soft keys answer, and what blinks.

#include "CYolWMAlert_Notifications.h"
#include "DefaultUiStrings.h"
#include "TextDrawingSuppressions.h"
#include "WindowTestSupport.h"

#include <gtest/gtest.h>

#include <map>

using namespace Alert;

namespace {

class FakeHost final : public MYolWMAlert_NotificationsHost {
public:
    std::vector<bool> led;
    std::vector<std::string> opened;
    int status = 2;
    bool active = false;
    std::vector<TSmiley> smileys;

    bool GetGlobalStatus(int& out) override {
        out = status;
        return true;
    }
    bool IsProgramActive() override { return active; }
    CYolString ContactAlias(unsigned int id) override { return CYolString::FromUtf8("Ann<" + std::to_string(id) + ">"); }
    CYolString ContactAccount(unsigned int) override { return CYolString(u"XMPP ann@yol.example"); }
    void BlinkLed(bool on) override { led.push_back(on); }
    void DrawSkinImage(int, HDC dc, int x, int y) override {
        const RECT r{x + 2, y + 2, x + 6, y + 6};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &r, red);
        DeleteObject(red);
    }
    bool SmileysReady() override { return true; }
    int SmileyCount() override { return int(smileys.size()); }
    CYolString SmileyPath(int i) override { return CYolString(smileys[size_t(i)].path.c_str()); }
    std::vector<CYolString> SmileyCodes(int i) override {
        std::vector<CYolString> out;
        for (const auto& c : smileys[size_t(i)].codes)
            out.emplace_back(c.c_str());
        return out;
    }
    CYolString UiString(int id) override {
        CYolString text;
        GetDefaultUiString(id, text);
        return text;
    }
    void OpenAddress(const CYolString& address) override { opened.push_back(address.ToUtf8()); }
};

class RecordingObserver final : public UI::MYolWMAlert_NotificationsObserver {
public:
    std::vector<std::string> answers;
    void OnNotificationAnswer(int key, bool accepted) override {
        answers.push_back("note " + std::to_string(key) + (accepted ? " yes" : " no"));
    }
    void OnUpdateAnswer(int version, bool download) override {
        answers.push_back("update " + std::to_string(version) + (download ? " download" : " install"));
    }
    void OnFileAnswer(unsigned int contact, const CYolString& file, bool accepted) override {
        answers.push_back("file " + std::to_string(contact) + " " + file.ToUtf8() + (accepted ? " yes" : " no"));
    }
    void OnAuthAnswer(unsigned int contact, bool accepted) override {
        answers.push_back("auth " + std::to_string(contact) + (accepted ? " yes" : " no"));
    }
};

}  // namespace

class Notifications : public ui_test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        prefs.DontShowIfActive = false;
        ntf = std::make_unique<CYolWMAlert_Notifications>(prefs, host, &observer);
    }
    void TearDown() override {
        ntf.reset();
        WindowTest::TearDown();
    }
    void Wait(uint64_t ms) {
        clock.Advance(ms);
        Platform::PumpMessages();
    }
    // The one bubble the shell holds of ours, if any.
    std::optional<Platform::ShellNotification> Bubble() {
        for (const auto& n : Platform::GetShellNotifications())
            if (n.clsid == NotificationsClassGuid && n.id == CYolWMAlert_Notifications::kBubbleId)
                return n;
        return std::nullopt;
    }
    std::u16string Title() { return Bubble() ? Bubble()->title : u"(none)"; }
    // The user presses soft key `index` of the bubble.
    void Press(int index) {
        const auto n = Bubble();
        ASSERT_TRUE(n.has_value());
        PostMessage(n->sink, WM_COMMAND, n->keys[index].command, 0);
        Platform::PumpMessages();
    }
    int KindOnScreen() { return ntf->OnScreen() < 0 ? -1 : ntf->Pending()[size_t(ntf->OnScreen())].kind; }

    UI::TYolWMPrefs prefs;
    FakeHost host;
    RecordingObserver observer;
    std::unique_ptr<CYolWMAlert_Notifications> ntf;
};

TEST_F(Notifications, ATextShowsFirstAndTheMessageFollowsWhenItsTimeIsUp) {
    ntf->ShowMessage(u"Disk full", false);
    ntf->ShowIncomingMessage(77, 5, 1, u"hello");
    EXPECT_EQ(Title(), u"Warning");
    Wait(6999);
    EXPECT_EQ(KindOnScreen(), KindText);
    Wait(1);
    EXPECT_EQ(KindOnScreen(), KindMessage);
    EXPECT_EQ(Title(), u"Ann<1>");
    EXPECT_EQ(Bubble()->html, u"hello");
}

TEST_F(Notifications, AMessageShowsFirstAndATextWaitsUntilItIsPutAside) {
    ntf->ShowIncomingMessage(77, 5, 1, u"hello");
    ntf->ShowMessage(u"Disk full", true);
    EXPECT_EQ(KindOnScreen(), KindMessage);
    Wait(7000);
    EXPECT_EQ(KindOnScreen(), KindText) << "the unanswered message stepped aside";
    EXPECT_EQ(ntf->Pending()[0].kind, KindMessageAside);
    Press(0);
    EXPECT_EQ(KindOnScreen(), KindMessageAside) << "back, now nothing more important waits";
    EXPECT_TRUE(Bubble()->flags & SHNF_STRAIGHTTOTRAY);
    Wait(60000);
    EXPECT_EQ(KindOnScreen(), KindMessageAside) << "no hide timer";
    Press(0);
    EXPECT_EQ(observer.answers, std::vector<std::string>{"note 77 yes"});
    EXPECT_TRUE(ntf->Pending().empty());
    EXPECT_FALSE(Bubble().has_value());
}

TEST_F(Notifications, SoftKeysAnswerByKind) {
    struct Case {
        std::function<void(CYolWMAlert_Notifications&)> show;
        int key;
        std::vector<std::string> answers;
        std::vector<std::string> opened;
    } cases[] = {
        {[](auto& n) { n.ShowFileRequest(4, u"a.txt", 2560); }, 0, {"file 4 a.txt yes"}, {}},
        {[](auto& n) { n.ShowFileRequest(4, u"a.txt", 2560); }, 1, {"file 4 a.txt no"}, {}},
        {[](auto& n) { n.ShowAuthRequest(5, u"hi"); }, 0, {"auth 5 yes"}, {}},
        {[](auto& n) { n.ShowAuthRequest(5, u"hi"); }, 1, {"auth 5 no"}, {}},
        {[](auto& n) { n.ShowNewVersion(2200, true); }, 0, {"update 2200 download"}, {}},
        {[](auto& n) { n.ShowNewVersion(2200, false); }, 0, {"update 2200 install"}, {}},
        {[](auto& n) { n.ShowNewVersion(2200, true); }, 1, {"note 2200 no"}, {}},
        {[](auto& n) { n.ShowEmail(u"New mail", u"https://mail.example/"); }, 0, {}, {"https://mail.example/"}},
        {[](auto& n) { n.ShowEmail(u"New mail", u"https://mail.example/"); }, 1, {}, {}},
        {[](auto& n) { n.ShowIncomingMessage(9, 5, 1, u"x"); }, 1, {"note 9 no"}, {}},
    };
    for (const Case& c : cases) {
        observer.answers.clear();
        host.opened.clear();
        c.show(*ntf);
        Press(c.key);
        EXPECT_EQ(observer.answers, c.answers);
        EXPECT_EQ(host.opened, c.opened);
        EXPECT_TRUE(ntf->Pending().empty());
        EXPECT_FALSE(Bubble().has_value());
    }
}

TEST_F(Notifications, BodiesAreEscapedHtml) {
    ntf->ShowFileRequest(4, u"<b>.txt", 2560);
    EXPECT_EQ(Bubble()->html, u"Received file '&lt;b&gt;.txt' (size: 2.5 Kb)?");
    Press(1);
    prefs.SignOn = true;
    ntf->ShowContactStatus(3);
    EXPECT_EQ(Bubble()->html, u"<center><B>[ Ann&lt;3&gt; ]</B></center><center><font color=\"#000088\"><B>Online"
                              u"</B></font></center><br><center>XMPP ann@yol.example</center>");
    EXPECT_EQ(Bubble()->keys[0].command, WPARAM(CYolWMAlert_Notifications::SingleKey));
    EXPECT_TRUE(Bubble()->keys[1].title.empty());
}

TEST_F(Notifications, TurnedOffMessagesMakeNoBubbleButStillBlinkTheLed) {
    prefs.TurnOff = true;
    ntf->ShowIncomingMessage(1, 5, 1, u"hello");
    EXPECT_FALSE(Bubble().has_value());
    Wait(500);
    EXPECT_EQ(host.led, std::vector<bool>{true});
    Wait(6500);
    EXPECT_EQ(host.led, (std::vector<bool>{true, false})) << "until the hide timer ends";
    EXPECT_EQ(ntf->Pending()[0].kind, KindMessageAside);
}

TEST_F(Notifications, TheIconBlinksBetweenItselfAndNothing) {
    ntf->ShowIncomingMessage(1, 5, 1, u"hello");
    const HICON own = Bubble()->icon;
    ASSERT_NE(own, nullptr);
    Wait(500);
    EXPECT_NE(Bubble()->icon, own);
    Wait(500);
    EXPECT_EQ(Bubble()->icon, own);
}

TEST_F(Notifications, MessagesWhileOccupiedGoStraightToTheTray) {
    prefs.DontShowIfOccupied = true;
    host.status = 13;
    ntf->ShowIncomingMessage(1, 5, 1, u"hello");
    EXPECT_TRUE(Bubble()->flags & SHNF_STRAIGHTTOTRAY);
    Press(1);
    host.status = 14;
    ntf->ShowIncomingMessage(1, 5, 1, u"hello");
    EXPECT_FALSE(Bubble()->flags & SHNF_STRAIGHTTOTRAY);
}

TEST_F(Notifications, ASecondAuthorizationRequestReplacesTheFirst) {
    ntf->ShowAuthRequest(5, u"first");
    ntf->ShowAuthRequest(5, u"second");
    ASSERT_EQ(ntf->Pending().size(), 1u);
    EXPECT_EQ(Bubble()->html, u"Authorization request<br>second");
    EXPECT_TRUE(observer.answers.empty());
}

TEST_F(Notifications, RemoveContactTakesExactlyItsOwn) {
    ntf->ShowIncomingMessage(1, 5, 7, u"one");
    ntf->ShowIncomingMessage(2, 5, 7, u"two");
    ntf->ShowIncomingMessage(3, 5, 8, u"other");
    ntf->ShowMessage(u"text", true);
    ntf->RemoveContact(7);
    ASSERT_EQ(ntf->Pending().size(), 2u);
    EXPECT_EQ(ntf->Pending()[0].key, 3);
    EXPECT_EQ(ntf->Pending()[1].kind, KindText);
    EXPECT_TRUE(observer.answers.empty());
}

TEST_F(Notifications, MessageBodiesGetAtMostFiveSmileys) {
    host.smileys = {{u"/s/smile.gif", {u":)"}}};
    ntf->ShowIncomingMessage(1, 5, 1, u":) :) :) :) :) :) :)");
    const std::u16string html = Bubble()->html;
    size_t images = 0;
    for (size_t at = html.find(u"<img"); at != html.npos; at = html.find(u"<img", at + 1))
        ++images;
    EXPECT_EQ(images, 5u);
}
