// The move-to-metacontact dialog over the real contact-list model: the
// tree of meta groups and metacontacts it offers a contact, and the choice
// OK takes or refuses.

#include "ClTestSupport.h"
#include "DialogsTestSupport.h"

#include "CYolWMUI_MoveContactDlg.h"
#include "Controls/ControlTreeView.h"
#include "YolWMUI_ListDialogTemplates.h"

#include <gtest/gtest.h>

namespace {

using ClTest::kAccountA;
using ClTest::kAccountB;
using UI::CYolWMUI_BigDlg;
using UI::CYolWMUI_MoveContactDlg;

// "Work" holds Seven (two contacts), "Home" holds Eight (one contact).
class MoveContact : public ClTest::AccountsTest {
protected:
    void SetUp() override {
        windows.Start();
        ClTest::AccountsTest::SetUp();
        work = model->AddMetaGroup(W("Work"), 0, false);
        home = model->AddMetaGroup(W("Home"), 0, false);
        seven = model->AddMetaContact(work, 4, W("Seven"), W("7"), W("Ruv1"));
        model->AddMetaSubContact(seven, W("7"), W("Ruv2"));
        eight = model->AddMetaContact(home, 4, W("Eight"), W("8"), W("Ruv1"));
        Contact(kAccountA, 0, "7");
        Contact(kAccountB, 0, "7");
        Contact(kAccountA, 0, "8");
        Flush();
    }
    void TearDown() override {
        ClTest::AccountsTest::TearDown();
        windows.Stop();
    }

    // The tree as lines: "label" for top-level items, "  label" for their
    // children.
    static std::vector<std::string> Tree(HWND tree) {
        std::vector<std::string> out;
        auto add = [&](HTREEITEM item, const char* indent) {
            char16_t text[64] = {};
            TVITEM data;
            data.mask = TVIF_TEXT | TVIF_HANDLE;
            data.hItem = item;
            data.pszText = text;
            data.cchTextMax = 64;
            SendMessage(tree, TVM_GETITEM, 0, reinterpret_cast<LPARAM>(&data));
            out.push_back(indent + CYolString(text).ToUtf8());
        };
        auto next = [&](HTREEITEM item, WPARAM how) {
            return reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
        };
        for (HTREEITEM top = next(nullptr, TVGN_ROOT); top; top = next(top, TVGN_NEXT)) {
            add(top, "");
            for (HTREEITEM child = next(top, TVGN_CHILD); child; child = next(child, TVGN_NEXT))
                add(child, "  ");
        }
        return out;
    }
    // Selects the item whose line is `line`.
    static void Choose(HWND tree, const std::string& line) {
        auto next = [&](HTREEITEM item, WPARAM how) {
            return reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
        };
        std::vector<HTREEITEM> items;
        for (HTREEITEM top = next(nullptr, TVGN_ROOT); top; top = next(top, TVGN_NEXT)) {
            items.push_back(top);
            for (HTREEITEM child = next(top, TVGN_CHILD); child; child = next(child, TVGN_NEXT))
                items.push_back(child);
        }
        const std::vector<std::string> lines = Tree(tree);
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i] == line)
                SendMessage(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[i]));
    }

    dialogs_test::DialogWindows windows;
    unsigned int work = 0, home = 0, seven = 0, eight = 0;
};

TEST_F(MoveContact, OffersOtherMetacontactsAndANewOneOnlyToAContactWithCompanions) {
    const struct {
        const char* name;
        unsigned int* current;
        std::vector<std::string> tree;
    } cases[] = {
        {"seven", &seven, {"New metacontact", "Work", "Home", "  Eight"}},
        {"eight", &eight, {"Work", "  Seven", "Home"}},
    };
    for (const auto& c : cases) {
        dialogs_test::Scripted<CYolWMUI_MoveContactDlg> dialog(model.get(), *c.current);
        dialog.script = [&](auto& d) {
            HWND tree = d.GetDlgItem(UI::kMetaTreeId);
            EXPECT_EQ(Tree(tree), c.tree) << c.name;
            EXPECT_EQ(GetFocus(), tree);
            windows.SaveGallery(d, std::string("move_contact_") + c.name);
            windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
        };
        EXPECT_EQ(dialog.DoModal(windows.Parent()), 2);
    }
}

TEST_F(MoveContact, OkTakesAMetacontactOrANewOneAndRefusesAGroup) {
    const struct {
        const char* line;
        bool accepted;
        unsigned int chosen;
    } cases[] = {{"  Eight", true, 0}, {"New metacontact", true, 0}, {"Home", false, 0}, {"", false, 0}};
    for (const auto& c : cases) {
        dialogs_test::Scripted<CYolWMUI_MoveContactDlg> dialog(model.get(), seven);
        bool refused = false;
        dialog.script = [&](auto& d) {
            HWND tree = d.GetDlgItem(UI::kMetaTreeId);
            if (*c.line)
                Choose(tree, c.line);
            refused = d.EndDialog(1) == 0;
            if (refused) {
                EXPECT_EQ(GetFocus(), tree);
                ::EndDialog(d.Handle(), 2);
            }
        };
        dialog.DoModal(windows.Parent());
        EXPECT_EQ(refused, !c.accepted) << c.line;
        if (c.accepted) {
            EXPECT_EQ(dialog.Chosen(), std::string(c.line) == "  Eight" ? eight : 0u) << c.line;
        }
    }
}

}  // namespace
