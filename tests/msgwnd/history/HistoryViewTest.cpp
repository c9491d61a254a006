// The history view on the headless screen at 96 dpi with text measured 10
// pixels a character: how a message becomes a paragraph under the
// settings, which links and smiley codes are recognised, how the view keeps
// to its number of smiley pictures, delivery marks, and the keys and links
// it hands on.

#include "HistoryTestSupport.h"
#include "RichTextCtrlSupport.h"

#include "CYolWMMW_HistCtrl.h"

#include <gtest/gtest.h>

using namespace history_test;
using MW::CYolWMMW_HistCtrl;
using MW::TYolWMMWMsg;
using TParseItem = CYolWMMW_HistCtrl::TParseItem;

namespace {

class HistoryView : public ui_test::WindowTest, public TempFolder {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        Platform::SetScreen(480, 640, 96, 96);
        parent = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 480, 640});
        view.reset(CYolWMMW_HistCtrl::Create(parent, RECT{0, 0, 300, 200}, &owner, &measurer));
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override
    {
        view.reset();
        pack.reset();
        CYolWMMW_HistCtrl::SetLinkOpener(nullptr);
        WindowTest::TearDown();
    }
    void LoadPack(const std::vector<std::string>& lines) { pack = std::make_unique<SmilePack>(*this, lines); }

    std::string Para(int index) const { return Runs(*view->Document()[index]); }
    std::string Text(int index) const
    {
        const RTE::CYolWMRTE_Para& para = *view->Document()[index];
        return Printable(para.Text(), para.Length());
    }

    ui_test::Recorder rec;
    HWND parent = nullptr;
    Owner owner;
    richtext_test::UniformMeasurer measurer;
    std::unique_ptr<SmilePack> pack;
    std::unique_ptr<CYolWMMW_HistCtrl> view;
};

std::string Describe(const CYolString& text, const CYolArray<TParseItem>& runs)
{
    std::string out;
    for (const TParseItem& run : runs) {
        if (!out.empty())
            out += " ";
        out += (run.kind == TParseItem::ELinkRun ? "link'" : "smile" + std::to_string(run.smile) + "." +
                                                                  std::to_string(run.code) + "'") +
               CYolString(text.c_str() + run.start, run.length).ToUtf8() + "'";
    }
    return out;
}

} // namespace

TEST_F(HistoryView, AParagraphFollowsTheKindAndTheSettings)
{
    struct Case {
        const char* what;
        bool names;
        bool time;
        bool newLine;
        unsigned int kind;
        const char* runs;
    };
    const Case cases[] = {
        {"incoming, name only", true, false, false, TYolWMMWMsg::EIncoming, "# 1' Bob: ' 7'hi'"},
        {"incoming, nothing in the header", false, false, false, TYolWMMWMsg::EIncoming, "# 7': hi'"},
        {"incoming, name and time", true, true, false, TYolWMMWMsg::EIncoming, "# 1' Bob' 3' 12:00: ' 7'hi'"},
        {"incoming, time on a line of its own", false, true, true, TYolWMMWMsg::EIncoming, "# 3' 12:00|' 7'hi'"},
        {"outgoing, everything", true, true, true, TYolWMMWMsg::EOutgoing, "# 2' Bob' 4' 12:00|' 8'hi'"},
        {"outgoing, name on its own line", true, false, true, TYolWMMWMsg::EOutgoing, "# 2' Bob|' 8'hi'"},
        {"an event ignores the settings", false, true, true, TYolWMMWMsg::EOther, "# 5' Bob' 6' 12:00'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        owner.settings.showNames = c.names;
        owner.settings.showTime = c.time;
        owner.settings.msgFromNewl = c.newLine;
        view->Clear();
        view->AddMessage(Msg(c.kind, "Bob", "12:00", "hi"));
        ASSERT_EQ(view->ParaCount(), 1);
        EXPECT_EQ(Para(0), c.runs);
        EXPECT_EQ(view->Icons().Count(), 1);
    }
}

TEST_F(HistoryView, OneSeparatorAtMostAndUnknownKindsAddNothing)
{
    view->AddMessage(Msg(TYolWMMWMsg::ESeparator, "", "", ""));
    view->AddMessage(Msg(TYolWMMWMsg::ESeparator, "", "", ""));
    view->AddMessage(Msg(7, "x", "y", "z"));
    ASSERT_EQ(view->ParaCount(), 1);
    EXPECT_EQ(Para(0), "#");
    ASSERT_NE(view->Separator(), nullptr);
    EXPECT_EQ(view->Document()[0]->GetPictureAt(0), view->Separator());
    view->Clear();
    EXPECT_EQ(view->Separator(), nullptr);
    EXPECT_EQ(view->ParaCount(), 0);
}

TEST_F(HistoryView, LinksRunToASpaceACommaOrTheEnd)
{
    struct Case {
        const char* text;
        const char* found;
    };
    const Case cases[] = {
        {"see http://a.b/c, then", "link'http://a.b/c'"},
        {"http://a.b/c d", "link'http://a.b/c'"},
        {"x http://a\tb", "link'http://a'"},
        {"go http://x.org/www.y z", "link'http://x.org/www.y'"},
        {"www.x.org", "link'www.x.org'"},
        {"www.a http://b", "link'www.a' link'http://b'"},
        {"nothing here", ""},
    };
    for (const Case& c : cases) {
        CYolArray<TParseItem> runs;
        const CYolString text = CYolString::FromUtf8(c.text);
        CYolWMMW_HistCtrl::ParseText(text, 10, runs);
        EXPECT_EQ(Describe(text, runs), c.found) << c.text;
    }
}

TEST_F(HistoryView, SmileyCodesOutsideLinksAndEarlierCodesUpToTheLimit)
{
    LoadPack({":-),:)", "-)", ":("});
    struct Case {
        const char* text;
        int limit;
        const char* found;
    };
    const Case cases[] = {
        {"a :) b :-)", 10, "smile0.1':)' smile0.0':-)'"},
        {"x-)", 10, "smile1.0'-)'"},
        {"http://h/:( :(", 10, "link'http://h/:(' smile2.0':('"},
        {":) :) :)", 2, "smile0.1':)' smile0.1':)'"},
        {":) :(", 0, ""},
        {":):(", -1, ""},
    };
    for (const Case& c : cases) {
        CYolArray<TParseItem> runs;
        const CYolString text = CYolString::FromUtf8(c.text);
        CYolWMMW_HistCtrl::ParseText(text, c.limit, runs);
        EXPECT_EQ(Describe(text, runs), c.found) << c.text << " limit " << c.limit;
    }
}

TEST_F(HistoryView, NoSmileyIsRecognisedWithoutALoadedSet)
{
    CYolArray<TParseItem> runs;
    CYolWMMW_HistCtrl::ParseText(CYolString(u":) http://a"), 10, runs);
    EXPECT_EQ(Describe(CYolString(u":) http://a"), runs), "link'http://a'");
}

TEST_F(HistoryView, LinksAndSmileysBecomeRunsAndPictures)
{
    LoadPack({":)"});
    view->AddMessage(Msg(TYolWMMWMsg::EIncoming, "Bob", "", "go www.a.b :) now"));
    EXPECT_EQ(Para(0), "# 1' Bob: ' 7'go ' 9'www.a.b' 7' ' # 7' now'");
    ASSERT_EQ(view->Smileys().Count(), 1);
    EXPECT_EQ(view->Smileys()[0].paragraph, 0);
    EXPECT_EQ(view->Smileys()[0].kind, CYolWMMW_HistCtrl::EInText);
    EXPECT_EQ(CYolString(view->Smileys()[0].picture->GetText()).ToUtf8(), ":)");
    SIZE size{};
    view->Smileys()[0].picture->GetSize(&size);
    EXPECT_EQ(size.cx, 12);
}

TEST_F(HistoryView, TheOldestPicturesTurnBackIntoTheirCodes)
{
    LoadPack({":)"});
    owner.settings.smiliesNum = 2;
    view->AddMessage(Msg(TYolWMMWMsg::EOutgoing, "I", "", ":) :) :)"));
    EXPECT_EQ(Text(0), "# I: # # :)");
    view->AddMessage(Msg(TYolWMMWMsg::EOutgoing, "I", "", "x :)"));
    EXPECT_EQ(Para(0), "# 2' I: ' 8':) ' # 8' :)'");
    EXPECT_EQ(Text(1), "# I: x #");
    ASSERT_EQ(view->Smileys().Count(), 2);
    EXPECT_EQ(view->Smileys()[0].paragraph, 0);
    EXPECT_EQ(view->Smileys()[1].paragraph, 1);
}

TEST_F(HistoryView, ABlockWithoutParsingKeepsCodesAndLinksAsText)
{
    LoadPack({":)"});
    CYolArray<TYolWMMWMsg> block;
    block.Add(Msg(TYolWMMWMsg::EIncoming, "Bob", "", "http://a :)"));
    block.Add(Msg(TYolWMMWMsg::EOutgoing, "I", "", "ok"));
    view->AddMessages(block, true);
    ASSERT_EQ(view->ParaCount(), 2);
    EXPECT_EQ(Para(0), "# 1' Bob: ' 7'http://a :)'");
    EXPECT_EQ(view->Smileys().Count(), 0);
    view->AddMessages(block, false);
    EXPECT_EQ(Para(2), "# 1' Bob: ' 9'http://a' 7' ' #");
}

TEST_F(HistoryView, ReloadingSmileysPutsEveryCodeBack)
{
    LoadPack({":)", ":("});
    view->AddMessage(Msg(TYolWMMWMsg::EIncoming, "Bob", "", ":( and :)"));
    ASSERT_EQ(view->Smileys().Count(), 2);
    view->ReloadSmiles();
    EXPECT_EQ(view->Smileys().Count(), 0);
    EXPECT_EQ(Para(0), "# 1' Bob: ' 7':( and :)'");
}

TEST_F(HistoryView, ADeliveryMarkChangesTheNewestIconOfTheMessage)
{
    view->AddMessage(Msg(TYolWMMWMsg::EOutgoing, "I", "", "a", 5, 10));
    view->AddMessage(Msg(TYolWMMWMsg::EOutgoing, "I", "", "b", 5, 10));
    view->AddMessage(Msg(TYolWMMWMsg::EOutgoing, "I", "", "c", 6, 10));
    view->UpdateMsgIcon(5, 22);
    view->UpdateMsgIcon(99, 33);
    ASSERT_EQ(view->Icons().Count(), 3);
    EXPECT_EQ(view->Icons()[0]->iconId, 10u);
    EXPECT_EQ(view->Icons()[1]->iconId, 22u);
    EXPECT_EQ(view->Icons()[2]->iconId, 10u);
}

TEST_F(HistoryView, AWebLinkGetsItsSchemeAndAnAddressWithOneIsKept)
{
    std::vector<std::string> opened;
    CYolWMMW_HistCtrl::SetLinkOpener([&](const CYolString& address) {
        opened.push_back(address.ToUtf8());
        return true;
    });
    EXPECT_EQ(view->OnLinkActivated(u"www.x.org", 9), 1);
    EXPECT_EQ(view->OnLinkActivated(u"http://y.org", 12), 1);
    EXPECT_EQ(opened, (std::vector<std::string>{"http://www.x.org", "http://y.org"}));
}

TEST_F(HistoryView, KeysTheViewDoesNotUseGoToItsParent)
{
    struct Case {
        const char* what;
        bool withParagraph;
        char16_t key;
        bool handedOn;
    };
    const Case cases[] = {
        {"a letter", true, u'a', true},
        {"tab", true, u'\t', false},
        {"enter in an empty view", false, u'\r', true},
        {"enter with a paragraph", true, u'\r', false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view->Clear();
        if (c.withParagraph)
            view->AddMessage(Msg(TYolWMMWMsg::EIncoming, "Bob", "", "hi"));
        rec.log.clear();
        SendMessage(view->Handle(), WM_CHAR, c.key, 0);
        const ui_test::Logged* sent = rec.Last(WM_CHAR);
        EXPECT_EQ(sent != nullptr, c.handedOn);
        if (sent != nullptr) {
            EXPECT_EQ(sent->wParam, static_cast<WPARAM>(c.key));
        }
    }
}

TEST_F(HistoryView, QuotingHandsTheOwnerTheLastParagraph)
{
    view->AddMessage(Msg(TYolWMMWMsg::EIncoming, "Bob", "", "hello"));
    EXPECT_FALSE(view->HasSelection());
    view->EditCommand(CYolWMMW_HistCtrl::EQuoteLast);
    ASSERT_EQ(owner.inserted.size(), 1u);
    EXPECT_NE(owner.inserted[0].find("> "), std::string::npos);
    EXPECT_NE(owner.inserted[0].find("Bob: hello"), std::string::npos);
    view->EditCommand(CYolWMMW_HistCtrl::EClear);
    EXPECT_TRUE(view->IsEmpty());
    EXPECT_EQ(view->Icons().Count(), 0);
}
