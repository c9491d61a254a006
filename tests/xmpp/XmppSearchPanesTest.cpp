// The XMPP account's search pages inside the program's find-user dialog:
// the page shown decides the search, its fields become the form sent to
// the user directory, and the directory's answer becomes the dialog's rows.

#include "XmppPanesSupport.h"

#include "CYolMenuInfo.h"
#include "CYolWMUI_FindUserDlg.h"
#include "FindUserHostSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace XmppPanesTest;
using UI::CYolWMUI_BigDlg;
using UI::CYolWMUI_FindUserDlg;
namespace E = Protocols::AccountEvent;

enum : int { kByJid = 0, kByEmail = 1, kGlobal = 2 };

class XmppSearchPanes : public PanesTest {
protected:
    void Open(const std::function<void(CYolWMUI_FindUserDlg&)>& script) {
        dialogs_test::Scripted<CYolWMUI_FindUserDlg> dialog(&h.services, host, kAccount);
        dialog.script = [&](auto& d) { script(d); };
        CYolWMUI_FindUserDlg::Run(windows.Parent(), dialog);
    }
    // What the application does with the account's results.
    void HandOnResults() {
        for (const auto& record : h.Events(E::SearchResult))
            CYolWMUI_FindUserDlg::OnSearchResult(record.hasSecond ? &record.user : nullptr);
    }
    dialogs_test::DetailsHost host;
};

TEST_F(XmppSearchPanes, TheGlobalPageSendsOnlyItsFilledFieldsAndTheAnswerBecomesRows) {
    GoOnline("");
    Open([&](auto& d) {
        ASSERT_EQ(d.TabCount(), 4);
        const char* captions[] = {"By JID", "By Email", "Global", "Result"};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Caption(d, i), captions[i]);
        HWND global = Page(d, kGlobal);
        EXPECT_EQ(Text(global, 1115), "Last name");
        SetText(global, 1116, "Петров");
        // The other pages' fields do not reach the global search.
        SetText(Page(d, kByEmail), 1109, "a@b");
        d.SelectTab(d.TabIdAt(kGlobal));
        windows.SaveGallery(d, "xmpp_search_global");
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
        const std::string sent = h.TakeSent();
        EXPECT_NE(sent.find("<x xmlns='jabber:x:data' type='submit'><field var='last'><value>Петров</value></field></x>"),
                  std::string::npos)
            << sent;
        const int request = XmppTest::RequestNumber(sent, "query xmlns='jabber:iq:search'");
        ASSERT_GT(request, 0);
        h.Receive("<iq type='result' from='users.example.org' id='yol_" + std::to_string(request) +
                  "'><query xmlns='jabber:iq:search'><x xmlns='jabber:x:data' type='result'>"
                  "<item><field var='jid'><value>ann@example.org</value></field>"
                  "<field var='nick'><value>Аня</value></field></item></x></query></iq>");
        HandOnResults();
        ASSERT_EQ(d.ResultCount(), 1);
        EXPECT_EQ(d.Result(0).texts[0].ToUtf8(), "ann@example.org");
        EXPECT_EQ(d.Result(0).texts[1].ToUtf8(), "Аня");
        EXPECT_FALSE(d.IsBusy());
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
}

TEST_F(XmppSearchPanes, AnOfflineAccountEndsTheSearchAtOnce) {
    Open([&](auto& d) {
        d.SelectTab(d.TabIdAt(kByJid));
        SetText(Page(d, kByJid), 1107, "bob@example.org");
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
        EXPECT_TRUE(d.IsBusy());
        HandOnResults();
        EXPECT_FALSE(d.IsBusy());
        EXPECT_EQ(d.ResultCount(), 0);
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
}

}  // namespace
