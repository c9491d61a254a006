// The item tree on its own: sorted insertion, the arrow-key walks, rows
// laid out several to a line, the selection when rows go or hide, and the
// drawing walk. The rows are made without a model.

#include "ViewTestSupport.h"

#include <gtest/gtest.h>

namespace ViewTest {
namespace {

using CL::CYol_CLContactItem;
using CL::CYol_CLGroupItem;
using CL::CYol_CLItem;

CYol_CLContactItem* AddContact(CYol_CLItem* group, const char* name, unsigned int status = 2) {
    static unsigned int nextId = 0x80000100;
    auto* contact = new CYol_CLContactItem(nextId++, ClTest::Status(status), false);
    contact->name = CYolString::FromUtf8(name);
    contact->InsertInto(group, -1);
    return contact;
}

CYol_CLGroupItem* AddGroup(CYol_CLItem* parent, const char* caption, unsigned int index) {
    auto* group = new CYol_CLGroupItem(index + 1, index);
    group->caption = CYolString::FromUtf8(caption);
    group->InsertInto(parent, -1);
    return group;
}

std::string Name(const CYol_CLItem* item) {
    if (item == nullptr)
        return "none";
    if (auto* contact = dynamic_cast<const CYol_CLContactItem*>(item))
        return contact->name.ToUtf8();
    if (auto* group = dynamic_cast<const CYol_CLGroupItem*>(item))
        return group->caption.ToUtf8();
    return "root";
}

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        CL::CYol_CLMetrics::SetAllRowHeights(20);
        CL::CYol_CLMetrics::SetItemsPerRow(1);
        one = AddGroup(&root, "One", 1);
        a = AddContact(one, "a");
        b = AddContact(one, "b");
        c = AddContact(one, "c");
        two = AddGroup(&root, "Two", 2);
        d = AddContact(two, "d");
        hidden = AddGroup(&root, "Hidden", 3);
        AddContact(hidden, "x");
        hidden->visible = false;
    }
    void TearDown() override { CL::CYol_CLMetrics::SetItemsPerRow(1); }

    std::string Walk(CYol_CLItem* from, bool down, int steps) {
        std::string out;
        for (int i = 0; i < steps; ++i) {
            from = down ? from->GetNthVisibleChild(&root, 0) : from->StepVisible(&root, 0);
            out += (out.empty() ? "" : " ") + Name(from);
        }
        return out;
    }

    CL::CYol_CLGroupViewItem root;
    RecordingCtrl control{&root};
    CYol_CLGroupItem *one = nullptr, *two = nullptr, *hidden = nullptr;
    CYol_CLContactItem *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr;
};

TEST_F(TreeTest, EqualItemsKeepTheirArrivalOrder) {
    CYol_CLGroupItem* group = AddGroup(&root, "Ties", 4);
    AddContact(group, "Bo");
    AddContact(group, "al");
    AddContact(group, "bo");
    AddContact(group, "BO");
    AddContact(group, "b");
    std::string order;
    for (CYol_CLItem* item = group->firstChild; item != nullptr; item = item->next)
        order += Name(item) + " ";
    EXPECT_EQ(order, "al b Bo bo BO ");
}

TEST_F(TreeTest, GroupOrderByIndexNewerFirstOnTiesAndTheRowOutsideGroupsLast) {
    CL::CYol_CLGroupViewItem parent;
    auto* outside = new CYol_CLGroupItem(0, static_cast<unsigned int>(-1));
    outside->InsertInto(&parent, -1);
    for (unsigned int id : {7u, 8u}) {
        auto* group = new CYol_CLGroupItem(id, 0);
        group->LoadIndex(&parent);  // nothing stored: one past the last
        group->InsertInto(&parent, -1);
    }
    auto* tie = new CYol_CLGroupItem(9, 1);
    tie->InsertInto(&parent, -1);
    std::string order;
    for (CYol_CLItem* item = parent.firstChild; item != nullptr; item = item->next)
        order += std::to_string(static_cast<CYol_CLGroupItem*>(item)->modelId) + ":" +
                 std::to_string(static_cast<int>(static_cast<CYol_CLGroupItem*>(item)->groupIndex)) + " ";
    EXPECT_EQ(order, "7:0 9:1 8:1 0:-1 ");
}

TEST_F(TreeTest, DownAndUpWalkTheVisibleRowsAndWrap) {
    EXPECT_EQ(Walk(one, true, 7), "a b c Two d One a");
    EXPECT_EQ(Walk(one, false, 7), "d Two c b a One d");
    one->expanded = false;
    EXPECT_EQ(Walk(one, true, 3), "Two d One");
    EXPECT_EQ(Walk(two, false, 2), "One d");
}

TEST_F(TreeTest, RowsOfSeveralItems) {
    CL::CYol_CLMetrics::SetItemsPerRow(3);
    for (const char* name : {"e", "f", "g", "h"})
        AddContact(one, name);
    // Seven contacts in rows of three: three rows.
    EXPECT_EQ(one->GetHeight(), 20 + 3 * 20);
    EXPECT_EQ(c->GetColumn(), 2);
    EXPECT_EQ(Name(one->HitTest(50, 45, 90)), "f");
    EXPECT_EQ(Name(one->HitTest(10, 45, 90)), "e");
    EXPECT_EQ(one->HitTest(80, 65, 90), nullptr);  // the empty third column of the last row
    EXPECT_EQ(one->HitTest(40, 65, 90), nullptr);  // second column, also empty
    EXPECT_EQ(Name(one->HitTest(10, 65, 90)), "h");
    // Down keeps the column, a shorter row gives its last item; Up returns.
    EXPECT_EQ(Name(b->GetNthVisibleChild(&root, 1)), "f");
    EXPECT_EQ(Name(c->GetNthVisibleChild(&root, 2)), "g");
    EXPECT_EQ(Name(AddContact(one, "i")->GetNthVisibleChild(&root, 1)), "Two");
    EXPECT_EQ(Name(CL::FindChild<CYol_CLContactItem>(one, 0x80000000)), "none");
    CYol_CLItem* f = b->GetNthVisibleChild(&root, 1);
    EXPECT_EQ(Name(f->StepVisible(&root, 1)), "b");
    EXPECT_EQ(Name(b->FirstVisibleChild(&root, 1)), "c");
    EXPECT_EQ(c->FirstVisibleChild(&root, 2), nullptr);
    EXPECT_EQ(Name(b->NextVisibleSibling(&root, 1)), "a");
    EXPECT_EQ(a->NextVisibleSibling(&root, 0), nullptr);
    // From the group below, Up lands in the last row at the kept column.
    EXPECT_EQ(Name(two->StepVisible(&root, 0)), "h");
    EXPECT_EQ(d->GetChildOffset(&root), 20 + 20 * 3 + 20);
    // A setting of no columns lays out one to a row instead of dividing by 0.
    CL::CYol_CLMetrics::SetItemsPerRow(0);
    EXPECT_EQ(one->GetHeight(), 20 + 8 * 20);
}

TEST_F(TreeTest, SelectionLeavesRowsThatGoOrHide) {
    control.selected = b;
    b->Remove();
    EXPECT_EQ(control.selected, c);
    c->Remove();
    EXPECT_EQ(control.selected, a);
    a->Remove();
    EXPECT_EQ(control.selected, one);

    // A collapsed group that holds the selection hides: the row above it.
    control.selected = two;
    two->expanded = false;
    two->SetVisible(false);
    EXPECT_EQ(control.selected, one);

    // A selection deep inside a removed subtree moves too.
    control.selected = d;
    two->Remove();
    EXPECT_EQ(control.selected, one);
}

TEST_F(TreeTest, DrawingStopsAtTheBottomAndSkipsRowsAbove) {
    RecordingDrawContext dc;
    dc.height = 70;
    dc.selected = b;
    EXPECT_FALSE(root.Draw(dc, 0, -30, 100, true));
    // One's row lies above the area but its children reach into it; a
    // starts above; Two's row ends at the bottom, so d is not drawn.
    EXPECT_EQ(dc.rows, (std::vector<std::string>{
                           "group -30 0 -10 100 One 3/3",
                           "contact -10 0 10 100 a",
                           "selection 10 0 30 100",
                           "contact 10 0 30 100 b",
                           "contact 30 0 50 100 c",
                           "group 50 0 70 100 Two 1/1",
                       }));

    // Wholly above: One and its rows are not drawn at all.
    dc.rows.clear();
    EXPECT_TRUE(root.Draw(dc, 0, -90, 100, true));
    EXPECT_EQ(dc.rows, (std::vector<std::string>{"group -10 0 10 100 Two 1/1", "contact 10 0 30 100 d"}));
}

// Opening or closing a row with children relays the view out; a header
// only keeps the flag, where groups also store it in the model.
TEST(HeaderTest, ClosingAHeaderWithRowsRelaysOut) {
    CL::CYol_CLSimpleViewItem view;
    RecordingCtrl control(&view);
    view.headers[1]->SetExpanded(false);
    EXPECT_TRUE(control.Take().empty());
    AddContact(view.headers[1], "a", 0);
    view.headers[1]->SetExpanded(true);
    EXPECT_EQ(control.Take(), std::vector<std::string>{"Invalidate relayout"});
}

TEST_F(TreeTest, RowHeightFromTheFont) {
    EXPECT_EQ(CL::CYol_CLMetrics::RowHeightForFont(-30, 96), 20);
    EXPECT_EQ(CL::CYol_CLMetrics::RowHeightForFont(24, 192), 48);
    EXPECT_EQ(CL::CYol_CLMetrics::RowHeightForFont(12, 192), 40);
}

TEST_F(TreeTest, FirstIconColumnShowsTheBlinkingEventThenTypingThenTheStatus) {
    Protocols::ContactStatusInfo status = ClTest::Status(2);
    status.icons.Add(CYolArray<unsigned int>());
    status.icons[0].Add(5);
    CYol_CLContactItem contact(0x80000001, status, false);
    auto first = [&](unsigned int tick) {
        CYolArray<unsigned int> images = CL::ContactFirstColumn(contact.Row(false), tick);
        return images.Count() > 0 ? static_cast<int>(images[0]) : -1;
    };
    EXPECT_EQ(first(0), 5);
    contact.SetTypingMark(false);
    EXPECT_EQ(first(0), 53);
    Protocols::MessageInfo message;
    message.messageId = 1;
    message.flags = 27;
    contact.pending.Add(CYolPair<unsigned int, unsigned int>(1, 27));
    EXPECT_EQ(first(500), 27);
    EXPECT_EQ(first(1000), -1);
    contact.SetTypingMark(true);
    contact.pending.Clear();
    EXPECT_EQ(first(500), 5);
    // No icon list at all shows nothing rather than reading past the end.
    CYol_CLContactItem bare(0x80000002, ClTest::Status(0), true);
    EXPECT_EQ(CL::ContactFirstColumn(bare.Row(false), 0).Count(), 0);
    EXPECT_EQ(CL::ContactTextColor(bare.Row(false)), CL::CLContactTextColor::NoGroup);
}

}  // namespace
}  // namespace ViewTest
