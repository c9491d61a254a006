// Tree views: items and their places, handles that are no longer good, the
// branches, the selection under the pen and the keys, scrolling, and what
// the parent is told.

#include "ControlTestSupport.h"
#include "GdiTestSupport.h"

#include "Controls/ControlScrollBar.h"
#include "Controls/ControlTreeView.h"
#include "Drawing/GdiSurface.h"
#include "Shell/ShellScreen.h"

#include <cstdio>
#include <map>
#include <string>

using namespace ui_test;

namespace {

struct TreeNotice {
    UINT code;
    UINT action;
    HTREEITEM oldItem;
    HTREEITEM newItem;
    LPARAM oldParam;
    LPARAM newParam;
    unsigned key;
};


class TreeViews : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        rec.handler = [this](HWND, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
            if (msg != WM_NOTIFY)
                return std::nullopt;
            const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            TreeNotice n{hdr->code, 0, nullptr, nullptr, 0, 0, 0};
            if (hdr->code == TVN_KEYDOWN) {
                n.key = reinterpret_cast<const NMTVKEYDOWN*>(lParam)->wVKey;
            } else if (hdr->code <= TVN_SELCHANGING && hdr->code >= TVN_KEYDOWN) {
                const auto* nm = reinterpret_cast<const NMTREEVIEW*>(lParam);
                n = TreeNotice{hdr->code, nm->action, nm->itemOld.hItem, nm->itemNew.hItem,
                           nm->itemOld.lParam, nm->itemNew.lParam, 0};
            }
            notices.push_back(n);
            if (onNotice)
                onNotice(n);
            auto answer = answers.find(hdr->code);
            return answer == answers.end() ? 0 : answer->second;
        };
    }

    HWND Tree(std::uint32_t style = TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT, RECT r = RECT{10, 10, 310, 310}) {
        return Control(WC_TREEVIEW, style | WS_TABSTOP, r, 7);
    }
    static HTREEITEM Add(HWND tree, HTREEITEM parent, const char16_t* text, LPARAM value = 0,
                         HTREEITEM after = TVI_LAST) {
        TVINSERTSTRUCT in;
        in.hParent = parent;
        in.hInsertAfter = after;
        in.item.mask = TVIF_TEXT | TVIF_PARAM;
        in.item.pszText = const_cast<char16_t*>(text);
        in.item.lParam = value;
        return TreeView_InsertItem(tree, &in);
    }
    static std::u16string TextOf(HWND tree, HTREEITEM item) {
        char16_t buffer[64];
        TVITEM it;
        it.mask = TVIF_TEXT;
        it.hItem = item;
        it.pszText = buffer;
        it.cchTextMax = 64;
        return SendMessage(tree, TVM_GETITEM, 0, reinterpret_cast<LPARAM>(&it)) ? std::u16string(buffer) : u"<gone>";
    }
    static HTREEITEM Next(HWND tree, HTREEITEM item, WPARAM code) { return TreeView_GetNextItem(tree, item, code); }
    // The texts of the shown rows, top to bottom.
    static std::vector<std::u16string> Shown(HWND tree) {
        std::vector<std::u16string> out;
        for (HTREEITEM i = Next(tree, nullptr, TVGN_ROOT); i; i = Next(tree, i, TVGN_NEXTVISIBLE))
            out.push_back(TextOf(tree, i));
        return out;
    }
    std::vector<UINT> Codes() const {
        std::vector<UINT> out;
        for (const TreeNotice& n : notices)
            out.push_back(n.code);
        return out;
    }
    static RECT ItemRect(HWND tree, HTREEITEM item, bool textOnly) {
        RECT r{};
        EXPECT_TRUE(TreeView_GetItemRect(tree, item, &r, textOnly));
        return r;
    }
    // A list of two images: red and blue squares.
    static HIMAGELIST Images(int size) {
        HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32, 2, 2);
        HBITMAP strip = CreateCompatibleBitmap(nullptr, size * 2, size);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, strip);
        const RECT left{0, 0, size, size};
        const RECT right{size, 0, size * 2, size};
        HBRUSH red = CreateSolidBrush(kRed);
        HBRUSH blue = CreateSolidBrush(kBlue);
        FillRect(dc, &left, red);
        FillRect(dc, &right, blue);
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(red);
        DeleteObject(blue);
        ImageList_Add(list, strip, nullptr);
        DeleteObject(strip);
        return list;
    }

    std::vector<TreeNotice> notices;
    std::map<UINT, LRESULT> answers;
    std::function<void(const TreeNotice&)> onNotice;
};

TEST_F(TreeViews, InsertsItemsInTheirPlacesAndWalksTheLinks) {
    HWND tree = Tree();
    HTREEITEM b = Add(tree, TVI_ROOT, u"b");
    HTREEITEM a = Add(tree, nullptr, u"a", 0, TVI_FIRST);
    HTREEITEM d = Add(tree, TVI_ROOT, u"d");
    HTREEITEM c = Add(tree, TVI_ROOT, u"c", 0, b);
    HTREEITEM kid2 = Add(tree, b, u"Beta", 0, TVI_SORT);
    HTREEITEM kid1 = Add(tree, b, u"alpha", 0, TVI_SORT);
    HTREEITEM kid3 = Add(tree, b, u"GAMMA", 0, TVI_SORT);
    ASSERT_TRUE(a && b && c && d && kid1 && kid2 && kid3);
    EXPECT_EQ(SendMessage(tree, TVM_GETCOUNT, 0, 0), 7);

    struct Step {
        HTREEITEM from;
        WPARAM code;
        HTREEITEM to;
    };
    const Step steps[] = {
        {nullptr, TVGN_ROOT, a}, {a, TVGN_NEXT, b},       {b, TVGN_NEXT, c},      {c, TVGN_NEXT, d},
        {d, TVGN_NEXT, nullptr}, {d, TVGN_PREVIOUS, c},   {a, TVGN_PREVIOUS, nullptr},
        {b, TVGN_CHILD, kid1},   {kid1, TVGN_NEXT, kid2}, {kid2, TVGN_NEXT, kid3}, {kid3, TVGN_PARENT, b},
        {a, TVGN_PARENT, nullptr}, {a, TVGN_CHILD, nullptr}, {nullptr, TVGN_CARET, nullptr},
        {b, TVGN_NEXTVISIBLE, c} /* the branch is closed */,
    };
    for (const Step& s : steps)
        EXPECT_EQ(Next(tree, s.from, s.code), s.to) << "from " << TextOf(tree, s.from).size() << " code " << s.code;

    EXPECT_EQ(Add(tree, b, u"x", 0, c), nullptr) << "the place must be a sibling under that parent";
    EXPECT_EQ(SendMessage(tree, TVM_INSERTITEM, 0, 0), 0);
    EXPECT_EQ(Shown(tree), (std::vector<std::u16string>{u"a", u"b", u"c", u"d"}));
    EXPECT_TRUE(Commands().empty());
}

TEST_F(TreeViews, GetItemCopiesTheTextCutToTheCallersBuffer) {
    HWND tree = Tree();
    TVINSERTSTRUCT in;
    in.hParent = TVI_ROOT;
    in.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    in.item.pszText = const_cast<char16_t*>(u"Metacontact");
    in.item.lParam = -1;
    in.item.iImage = 3;
    in.item.iSelectedImage = 4;
    in.item.cChildren = 1;
    HTREEITEM item = TreeView_InsertItem(tree, &in);

    struct Case {
        int room;
        std::u16string text;
    };
    const Case cases[] = {{1, u""}, {5, u"Meta"}, {11, u"Metacontac"}, {12, u"Metacontact"}, {64, u"Metacontact"}};
    for (const Case& c : cases) {
        char16_t buffer[65];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        TVITEM it;
        it.mask = TVIF_TEXT;
        it.hItem = item;
        it.pszText = buffer;
        it.cchTextMax = c.room;
        ASSERT_TRUE(SendMessage(tree, TVM_GETITEM, 0, reinterpret_cast<LPARAM>(&it)));
        EXPECT_EQ(std::u16string(buffer), c.text) << "room " << c.room;
        EXPECT_EQ(buffer[c.room], u'#') << "nothing written past the room given";
    }

    TVITEM it;
    it.mask = TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_STATE;
    it.hItem = item;
    ASSERT_TRUE(SendMessage(tree, TVM_GETITEM, 0, reinterpret_cast<LPARAM>(&it)));
    EXPECT_EQ(it.lParam, -1);
    EXPECT_EQ(it.iImage, 3);
    EXPECT_EQ(it.iSelectedImage, 4);
    EXPECT_EQ(it.cChildren, 1) << "the flag shows a button before any child";
    EXPECT_EQ(it.state, 0u);

    TVITEM change;
    change.mask = TVIF_TEXT | TVIF_PARAM;
    change.hItem = item;
    change.pszText = const_cast<char16_t*>(u"Group");
    change.lParam = 0;
    ASSERT_TRUE(SendMessage(tree, TVM_SETITEM, 0, reinterpret_cast<LPARAM>(&change)));
    EXPECT_EQ(TextOf(tree, item), u"Group");
}

TEST_F(TreeViews, RefusesHandlesOfDeletedItemsAndOfOtherTrees) {
    HWND tree = Tree();
    HWND other = Control(WC_TREEVIEW, 0, RECT{320, 10, 470, 200}, 9);
    HTREEITEM keep = Add(tree, TVI_ROOT, u"keep");
    HTREEITEM gone = Add(tree, TVI_ROOT, u"gone");
    HTREEITEM child = Add(tree, gone, u"child");
    HTREEITEM foreign = Add(other, TVI_ROOT, u"foreign");
    ASSERT_TRUE(SendMessage(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(gone)));
    const HTREEITEM madeUp = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(0x7777777));

    for (HTREEITEM bad : {gone, child, foreign, madeUp}) {
        TVITEM it;
        it.mask = TVIF_TEXT | TVIF_PARAM;
        it.hItem = bad;
        EXPECT_FALSE(SendMessage(tree, TVM_GETITEM, 0, reinterpret_cast<LPARAM>(&it)));
        EXPECT_FALSE(SendMessage(tree, TVM_SETITEM, 0, reinterpret_cast<LPARAM>(&it)));
        EXPECT_FALSE(SendMessage(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(bad)));
        EXPECT_FALSE(TreeView_Expand(tree, bad, TVE_EXPAND));
        EXPECT_FALSE(TreeView_SelectItem(tree, bad));
        EXPECT_FALSE(SendMessage(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(bad)));
        EXPECT_EQ(Add(tree, bad, u"under"), nullptr);
        EXPECT_EQ(Add(tree, TVI_ROOT, u"after", 0, bad), nullptr);
        for (WPARAM code : {TVGN_NEXT, TVGN_PREVIOUS, TVGN_PARENT, TVGN_CHILD, TVGN_NEXTVISIBLE})
            EXPECT_EQ(Next(tree, bad, code), nullptr);
        RECT r{};
        std::memcpy(static_cast<void*>(&r), &bad, sizeof bad);
        EXPECT_FALSE(SendMessage(tree, TVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)));
    }
    EXPECT_EQ(SendMessage(tree, TVM_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(TextOf(tree, keep), u"keep");
    EXPECT_EQ(TextOf(other, foreign), u"foreign");
}

TEST_F(TreeViews, DeletionTellsEveryItemOfTheBranchChildrenFirstWhileItCanStillBeRead) {
    HWND tree = Tree();
    HTREEITEM a = Add(tree, TVI_ROOT, u"a", 1);
    HTREEITEM b = Add(tree, TVI_ROOT, u"b", 2);
    HTREEITEM b1 = Add(tree, b, u"b1", 21);
    Add(tree, b1, u"b11", 211);
    Add(tree, b, u"b2", 22);
    HTREEITEM c = Add(tree, TVI_ROOT, u"c", 3);
    TreeView_SelectItem(tree, b1);
    std::vector<std::u16string> readBack;
    onNotice = [&](const TreeNotice& n) {
        if (n.code == TVN_DELETEITEM)
            readBack.push_back(TextOf(tree, n.oldItem));
    };
    notices.clear();
    ASSERT_TRUE(SendMessage(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(b)));
    std::vector<LPARAM> told;
    for (const TreeNotice& n : notices)
        if (n.code == TVN_DELETEITEM)
            told.push_back(n.oldParam);
    EXPECT_EQ(told, (std::vector<LPARAM>{22, 211, 21, 2}));
    EXPECT_EQ(readBack, (std::vector<std::u16string>{u"b2", u"b11", u"b1", u"b"}));
    EXPECT_EQ(TreeView_GetSelection(tree), c) << "the selection goes to the next sibling of the deleted item";
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.front().code, TVN_SELCHANGED);
    EXPECT_EQ(notices.front().oldParam, 21);
    EXPECT_EQ(notices.front().newItem, c);
    EXPECT_EQ(Next(tree, a, TVGN_NEXT), c);

    // The parent may delete other items while it hears of one.
    onNotice = [&](const TreeNotice& n) {
        if (n.code == TVN_DELETEITEM && n.oldItem == a)
            SendMessage(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(c));
    };
    ASSERT_TRUE(SendMessage(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(a)));
    EXPECT_EQ(SendMessage(tree, TVM_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(TreeView_GetSelection(tree), nullptr);

    onNotice = nullptr;
    Add(tree, TVI_ROOT, u"x", 5);
    Add(tree, Add(tree, TVI_ROOT, u"y", 6), u"y1", 7);
    notices.clear();
    ASSERT_TRUE(SendMessage(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)));
    EXPECT_EQ(SendMessage(tree, TVM_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(Codes(), (std::vector<UINT>{TVN_DELETEITEM, TVN_DELETEITEM, TVN_DELETEITEM}));
    EXPECT_EQ(Next(tree, nullptr, TVGN_ROOT), nullptr);
}

TEST_F(TreeViews, DestroyingTheTreeTellsItsItems) {
    HWND tree = Tree();
    Add(tree, Add(tree, TVI_ROOT, u"a", 1), u"a1", 2);
    DestroyWindow(tree);
    EXPECT_EQ(Codes(), (std::vector<UINT>{TVN_DELETEITEM, TVN_DELETEITEM}));
}

TEST_F(TreeViews, DeepTreesAreWalkedWithoutRecursion) {
    HWND tree = Tree();
    constexpr int kDepth = 60000;
    HTREEITEM item = TVI_ROOT;
    HTREEITEM top = nullptr;
    for (int i = 0; i < kDepth; ++i) {
        item = Add(tree, item, u"level", i);
        ASSERT_NE(item, nullptr);
        if (!top)
            top = item;
    }
    ASSERT_TRUE(SendMessage(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item)));
    EXPECT_EQ(Next(tree, top, TVGN_LASTVISIBLE), item) << "every ancestor opened";
    UpdateWindow(tree);
    ASSERT_TRUE(TreeView_SelectItem(tree, item));
    notices.clear();
    ASSERT_TRUE(SendMessage(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(top)));
    EXPECT_EQ(SendMessage(tree, TVM_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(static_cast<int>(notices.size()), kDepth + 1) << "every item and the selection's move";
}

TEST_F(TreeViews, ExpandingAsksTheParentWhichMayRefuseOrFillTheBranch) {
    HWND tree = Tree();
    TVINSERTSTRUCT in;
    in.hParent = TVI_ROOT;
    in.item.mask = TVIF_TEXT | TVIF_CHILDREN;
    in.item.pszText = const_cast<char16_t*>(u"lazy");
    in.item.cChildren = 1;
    HTREEITEM lazy = TreeView_InsertItem(tree, &in);
    HTREEITEM leaf = Add(tree, TVI_ROOT, u"leaf");
    onNotice = [&](const TreeNotice& n) {
        if (n.code == TVN_ITEMEXPANDING && n.action == TVE_EXPAND)
            Add(tree, n.newItem, u"filled");
    };
    ASSERT_TRUE(TreeView_Expand(tree, lazy, TVE_EXPAND));
    EXPECT_EQ(Codes(), (std::vector<UINT>{TVN_ITEMEXPANDING, TVN_ITEMEXPANDED}));
    EXPECT_EQ(Shown(tree), (std::vector<std::u16string>{u"lazy", u"filled", u"leaf"}));
    EXPECT_FALSE(TreeView_Expand(tree, lazy, TVE_EXPAND)) << "already open";
    EXPECT_FALSE(TreeView_Expand(tree, leaf, TVE_EXPAND)) << "nothing to open";

    onNotice = nullptr;
    HTREEITEM filled = Next(tree, lazy, TVGN_CHILD);
    TreeView_SelectItem(tree, filled);
    answers[TVN_ITEMEXPANDING] = 1;
    notices.clear();
    EXPECT_FALSE(TreeView_Expand(tree, lazy, TVE_TOGGLE));
    EXPECT_EQ(Codes(), (std::vector<UINT>{TVN_ITEMEXPANDING}));
    EXPECT_EQ(Shown(tree).size(), 3u) << "refused: the branch stays open";

    answers.clear();
    notices.clear();
    ASSERT_TRUE(TreeView_Expand(tree, lazy, TVE_COLLAPSE));
    EXPECT_EQ(Shown(tree), (std::vector<std::u16string>{u"lazy", u"leaf"}));
    EXPECT_EQ(TreeView_GetSelection(tree), lazy) << "a hidden selection moves up to the closed item";
    EXPECT_EQ(Codes(), (std::vector<UINT>{TVN_ITEMEXPANDING, TVN_SELCHANGED, TVN_ITEMEXPANDED}));
    EXPECT_EQ(notices[0].action, TVE_COLLAPSE);

    // Opening and closing through the item's state tells nothing of the
    // branch, but the selection still may not stay hidden.
    TVITEM state;
    state.mask = TVIF_STATE;
    state.hItem = lazy;
    state.stateMask = TVIS_EXPANDED;
    state.state = TVIS_EXPANDED;
    ASSERT_TRUE(SendMessage(tree, TVM_SETITEM, 0, reinterpret_cast<LPARAM>(&state)));
    TreeView_SelectItem(tree, filled);
    notices.clear();
    state.state = 0;
    ASSERT_TRUE(SendMessage(tree, TVM_SETITEM, 0, reinterpret_cast<LPARAM>(&state)));
    EXPECT_EQ(Codes(), (std::vector<UINT>{TVN_SELCHANGED}));
    EXPECT_EQ(TreeView_GetSelection(tree), lazy);
}

TEST_F(TreeViews, SelectionNoticesCarryBothItemsAndMayBeRefused) {
    HWND tree = Tree();
    HTREEITEM a = Add(tree, TVI_ROOT, u"a", 10);
    HTREEITEM b = Add(tree, TVI_ROOT, u"b", 20);
    ASSERT_TRUE(TreeView_SelectItem(tree, a));
    notices.clear();
    ASSERT_TRUE(TreeView_SelectItem(tree, b));
    ASSERT_EQ(Codes(), (std::vector<UINT>{TVN_SELCHANGING, TVN_SELCHANGED}));
    for (const TreeNotice& n : notices) {
        EXPECT_EQ(n.action, TVC_UNKNOWN);
        EXPECT_EQ(n.oldItem, a);
        EXPECT_EQ(n.oldParam, 10);
        EXPECT_EQ(n.newItem, b);
        EXPECT_EQ(n.newParam, 20);
    }
    TVITEM it;
    it.mask = TVIF_STATE;
    it.hItem = b;
    SendMessage(tree, TVM_GETITEM, 0, reinterpret_cast<LPARAM>(&it));
    EXPECT_EQ(it.state & TVIS_SELECTED, TVIS_SELECTED);

    answers[TVN_SELCHANGING] = 1;
    notices.clear();
    EXPECT_FALSE(TreeView_SelectItem(tree, a));
    EXPECT_EQ(TreeView_GetSelection(tree), b);
    EXPECT_EQ(Codes(), (std::vector<UINT>{TVN_SELCHANGING}));
    answers.clear();
    EXPECT_TRUE(TreeView_SelectItem(tree, nullptr));
    EXPECT_EQ(TreeView_GetSelection(tree), nullptr);
}

TEST_F(TreeViews, KeysMoveTheSelectionAndOpenAndCloseBranches) {
    HWND tree = Tree();
    HTREEITEM group = Add(tree, TVI_ROOT, u"group");
    HTREEITEM m1 = Add(tree, group, u"m1");
    HTREEITEM m2 = Add(tree, group, u"m2");
    HTREEITEM other = Add(tree, TVI_ROOT, u"other");
    SetFocus(tree);
    struct Step {
        unsigned vk;
        HTREEITEM selected;
        bool open;
    };
    const Step steps[] = {
        {VK_DOWN, group, false}, {VK_RIGHT, group, true}, {VK_RIGHT, m1, true}, {VK_DOWN, m2, true},
        {VK_DOWN, other, true},  {VK_DOWN, other, true},  {VK_HOME, group, true}, {VK_END, other, true},
        {VK_UP, m2, true},       {VK_LEFT, group, true},  {VK_LEFT, group, false}, {VK_DOWN, other, false},
    };
    for (const Step& s : steps) {
        Key(s.vk);
        EXPECT_EQ(TreeView_GetSelection(tree), s.selected) << "key " << s.vk;
        TVITEM it;
        it.mask = TVIF_STATE;
        it.hItem = group;
        SendMessage(tree, TVM_GETITEM, 0, reinterpret_cast<LPARAM>(&it));
        EXPECT_EQ((it.state & TVIS_EXPANDED) != 0, s.open) << "key " << s.vk;
    }
    for (const TreeNotice& n : notices) {
        if (n.code == TVN_SELCHANGED) {
            EXPECT_EQ(n.action, TVC_BYKEYBOARD);
        }
    }
    notices.clear();
    Key(VK_RETURN);
    ASSERT_EQ(Codes(), (std::vector<UINT>{TVN_KEYDOWN, NM_RETURN}));
    EXPECT_EQ(notices[0].key, VK_RETURN);
}

TEST_F(TreeViews, TapOnTheButtonTogglesTheBranchAndTapOnARowSelectsIt) {
    HWND tree = Tree();
    HTREEITEM group = Add(tree, TVI_ROOT, u"group");
    HTREEITEM member = Add(tree, group, u"member");
    Add(tree, TVI_ROOT, u"other");
    const RECT row = ItemRect(tree, group, false);
    const RECT label = ItemRect(tree, group, true);
    TVHITTESTINFO hit;
    hit.pt = POINT{label.left - Platform::ScaleX(8), (row.top + row.bottom) / 2};
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))), group);
    ASSERT_EQ(hit.flags, TVHT_ONITEMBUTTON);

    Tap(tree, hit.pt.x, hit.pt.y);
    EXPECT_EQ(Shown(tree), (std::vector<std::u16string>{u"group", u"member", u"other"}));
    EXPECT_EQ(TreeView_GetSelection(tree), nullptr) << "the button does not select";
    EXPECT_EQ(GetFocus(), tree);

    notices.clear();
    const RECT memberLabel = ItemRect(tree, member, true);
    Tap(tree, memberLabel.left + 4, (memberLabel.top + memberLabel.bottom) / 2);
    EXPECT_EQ(TreeView_GetSelection(tree), member);
    ASSERT_EQ(Codes(), (std::vector<UINT>{TVN_SELCHANGING, TVN_SELCHANGED, NM_CLICK}));
    EXPECT_EQ(notices[1].action, TVC_BYMOUSE);

    // A double tap on the group's row tells the parent and toggles it.
    clock.Advance(5000);
    notices.clear();
    Tap(tree, label.left + 4, (label.top + label.bottom) / 2);
    Tap(tree, label.left + 4, (label.top + label.bottom) / 2);
    EXPECT_EQ(TreeView_GetSelection(tree), group);
    const std::vector<UINT> codes = Codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), NM_DBLCLK), 1);
    EXPECT_EQ(Shown(tree), (std::vector<std::u16string>{u"group", u"other"}));

    // Below the last row: nothing is hit.
    hit.pt = POINT{20, 280};
    EXPECT_EQ(SendMessage(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 0);
    EXPECT_EQ(hit.flags, TVHT_NOWHERE);
    hit.pt = POINT{20, -3};
    SendMessage(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    EXPECT_EQ(hit.flags, TVHT_ABOVE);
}

TEST_F(TreeViews, LongTreesScrollWithTheBarTheKeysAndThePen) {
    HWND tree = Tree(TVS_HASBUTTONS, RECT{10, 10, 310, 210});
    std::vector<HTREEITEM> items;
    for (int i = 0; i < 40; ++i)
        items.push_back(Add(tree, TVI_ROOT, (u"row " + std::u16string(1, static_cast<char16_t>(u'A' + i))).c_str()));
    EXPECT_TRUE(IsScrollBarShown(tree));
    const int page = static_cast<int>(SendMessage(tree, TVM_GETVISIBLECOUNT, 0, 0));
    ASSERT_GT(page, 2);
    ASSERT_LT(page, 40);

    SetFocus(tree);
    Key(VK_HOME);
    for (int i = 0; i < page + 2; ++i)
        Key(VK_DOWN);
    EXPECT_EQ(TreeView_GetSelection(tree), items[static_cast<std::size_t>(page + 2)]);
    EXPECT_EQ(Next(tree, nullptr, TVGN_FIRSTVISIBLE), items[3]) << "the selection stays in view";
    EXPECT_EQ(GetScrollPos(tree, SB_VERT), 3);

    SendMessage(tree, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(Next(tree, nullptr, TVGN_FIRSTVISIBLE), items[static_cast<std::size_t>(3 + page)]);
    SendMessage(tree, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(Next(tree, nullptr, TVGN_FIRSTVISIBLE), items[static_cast<std::size_t>(40 - page)]);

    ASSERT_TRUE(SendMessage(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(items[10])));
    EXPECT_EQ(Next(tree, nullptr, TVGN_FIRSTVISIBLE), items[10]);

    // Dragging the rows up by three rows' height shows three rows further on
    // and selects nothing.
    const RECT r = ItemRect(tree, items[10], false);
    const int h = r.bottom - r.top;
    notices.clear();
    Drag(tree, POINT{50, 4 * h + h / 2}, POINT{50, h + h / 2});
    EXPECT_EQ(Next(tree, nullptr, TVGN_FIRSTVISIBLE), items[13]);
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(TreeViews, PaintsLinesButtonsImagesAndTheSelection) {
    HWND tree = Tree(TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
    HIMAGELIST images = Images(Platform::ScaleX(12));
    EXPECT_EQ(SendMessage(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images)), 0);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessage(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0)), images);
    TVINSERTSTRUCT in;
    in.hParent = TVI_ROOT;
    in.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    in.item.pszText = const_cast<char16_t*>(u"Friends");
    in.item.iImage = 0;
    in.item.iSelectedImage = 1;
    HTREEITEM group = TreeView_InsertItem(tree, &in);
    in.hParent = group;
    in.item.pszText = const_cast<char16_t*>(u"Alice");
    HTREEITEM alice = TreeView_InsertItem(tree, &in);
    in.item.pszText = const_cast<char16_t*>(u"Bob");
    TreeView_InsertItem(tree, &in);
    in.hParent = TVI_ROOT;
    in.item.pszText = const_cast<char16_t*>(u"Work");
    TreeView_InsertItem(tree, &in);
    TreeView_Expand(tree, group, TVE_EXPAND);
    TreeView_SelectItem(tree, alice);
    SetFocus(tree);
    UpdateWindow(tree);
    ASSERT_TRUE(Platform::SaveWindowPng(tree, "treeview.png"));

    const RECT groupLabel = ItemRect(tree, group, true);
    const RECT aliceLabel = ItemRect(tree, alice, true);
    const int groupMid = (groupLabel.top + groupLabel.bottom) / 2;
    const int aliceMid = (aliceLabel.top + aliceLabel.bottom) / 2;
    EXPECT_GT(aliceLabel.left, groupLabel.left) << "children are indented";
    EXPECT_EQ(Pixel(tree, groupLabel.left - Platform::ScaleX(3) - Platform::ScaleX(6), groupMid), kRed) << "the group's own image";
    EXPECT_EQ(Pixel(tree, aliceLabel.left - Platform::ScaleX(3) - Platform::ScaleX(6), aliceMid), kBlue) << "the selected image";
    EXPECT_EQ(Pixel(tree, aliceLabel.right - 2, aliceLabel.top + 1), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(Pixel(tree, groupLabel.right - 2, groupLabel.top + 1), GetSysColor(COLOR_WINDOW));
    // The root column holds the group's button, centred, with a minus.
    const int buttonX = groupLabel.left - Platform::ScaleX(12) - Platform::ScaleX(3) - Platform::ScaleX(16) / 2;
    EXPECT_EQ(Pixel(tree, buttonX, groupMid), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(Pixel(tree, buttonX, groupMid - 2), GetSysColor(COLOR_WINDOW)) << "open: no vertical bar";
    // The line from the group down to its children passes beside Alice.
    EXPECT_EQ(Pixel(tree, aliceLabel.left - Platform::ScaleX(12) - Platform::ScaleX(3) - Platform::ScaleX(16) / 2, aliceLabel.top + 1),
              GetSysColor(COLOR_BTNSHADOW));

    SetFocus(parent);
    EXPECT_EQ(Pixel(tree, aliceLabel.right - 2, aliceLabel.top + 1), GetSysColor(COLOR_BTNFACE))
        << "shown without the focus too";
    DestroyWindow(tree);
    ImageList_Destroy(images);
}

} // namespace
