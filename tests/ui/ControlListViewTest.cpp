// List views: items, columns and states through messages; keys, taps,
// holds and drags and what the parent is told; owner-drawn rows; scrolling;
// the background picture and the colours on screen.

#include "ControlTestSupport.h"

#include "Controls/ControlListView.h"
#include "Controls/ControlScrollBar.h"
#include "Drawing/GdiSurface.h"
#include "Shell/ShellScreen.h"

#include <cstdlib>
#include <string>

using namespace ui_test;
using Platform::ScaleX;
using Platform::ScaleY;
using Platform::TapAndHoldDelay;

namespace {

// One WM_NOTIFY the parent got, copied while the record was alive.
struct Notice {
    UINT code = 0;
    int item = -1;
    UINT newState = 0;
    UINT oldState = 0;
    UINT changed = 0;
    LPARAM param = 0;
    unsigned key = 0;
    POINT point{};

    bool operator==(const Notice& o) const {
        return code == o.code && item == o.item && newState == o.newState && oldState == o.oldState;
    }
};

std::ostream& operator<<(std::ostream& os, const Notice& n)
{
    return os << "{code " << static_cast<int>(n.code) << ", item " << n.item << ", new " << n.newState << ", old "
              << n.oldState << "}";
}

Notice Changed(int item, UINT now, UINT old)
{
    Notice n;
    n.code = LVN_ITEMCHANGED;
    n.item = item;
    n.newState = now;
    n.oldState = old;
    return n;
}

Notice Code(UINT code, int item = -1)
{
    Notice n;
    n.code = code;
    n.item = item;
    return n;
}

constexpr UINT SF = LVIS_SELECTED | LVIS_FOCUSED;

class ListViews : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        rec.handler = [this](HWND, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
            if (msg == WM_NOTIFY)
                Record(*reinterpret_cast<const NMHDR*>(lParam));
            if (msg == WM_MEASUREITEM) {
                auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
                measured.push_back(*m);
                if (measureAnswer)
                    m->itemHeight = measureAnswer;
                return 1;
            }
            if (msg == WM_DRAWITEM) {
                drawn.push_back(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                if (onDraw)
                    onDraw();
                return 1;
            }
            return std::nullopt;
        };
    }

    void Record(const NMHDR& hdr) {
        Notice n;
        n.code = hdr.code;
        if (hdr.code == LVN_ITEMCHANGED) {
            const auto& nm = reinterpret_cast<const NMLISTVIEW&>(hdr);
            n.item = nm.iItem;
            n.newState = nm.uNewState;
            n.oldState = nm.uOldState;
            n.changed = nm.uChanged;
            n.param = nm.lParam;
        } else if (hdr.code == LVN_ITEMACTIVATE || hdr.code == NM_CLICK) {
            const auto& nm = reinterpret_cast<const NMITEMACTIVATE&>(hdr);
            n.item = nm.iItem;
            n.param = nm.lParam;
            n.point = nm.ptAction;
        } else if (hdr.code == LVN_KEYDOWN) {
            n.key = reinterpret_cast<const NMLVKEYDOWN&>(hdr).wVKey;
        } else if (hdr.code == GN_CONTEXTMENU) {
            const auto& nm = reinterpret_cast<const NMRGINFO&>(hdr);
            n.item = static_cast<int>(nm.dwItemSpec);
            n.point = nm.ptAction;
        }
        notices.push_back(n);
        if (onNotice)
            onNotice(n);
    }

    // The notices that tell about items (focus notices left out).
    std::vector<Notice> ItemNotices() const {
        std::vector<Notice> out;
        for (const Notice& n : notices)
            if (n.code != NM_SETFOCUS && n.code != NM_KILLFOCUS)
                out.push_back(n);
        return out;
    }

    HWND List(std::uint32_t style, RECT r = RECT{10, 10, 250, 310}) {
        return Control(WC_LISTVIEW, style | WS_TABSTOP, r, 1000);
    }
    static void AddColumn(HWND list, const char16_t* text, int width, int fmt = LVCFMT_LEFT) {
        LVCOLUMN c;
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        c.pszText = const_cast<char16_t*>(text);
        c.cx = width;
        c.fmt = fmt;
        ListView_InsertColumn(list, 1000, &c);
    }
    static int Add(HWND list, std::u16string text, LPARAM param = 0, int at = 1 << 20) {
        LVITEM item;
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = at;
        item.pszText = text.data();
        item.lParam = param;
        return ListView_InsertItem(list, &item);
    }
    static void Fill(HWND list, int count) {
        for (int i = 0; i < count; ++i)
            Add(list, u"row " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)), 100 + i);
    }
    static std::u16string TextOf(HWND list, int index, int sub = 0) {
        char16_t buffer[64];
        const int n = ListView_GetItemText(list, index, sub, buffer, 64);
        return std::u16string(buffer, static_cast<size_t>(n));
    }
    static RECT RowRect(HWND list, int index, int part = LVIR_BOUNDS) {
        RECT r{};
        EXPECT_TRUE(ListView_GetItemRect(list, index, &r, part)) << "row " << index;
        return r;
    }
    void TapRow(HWND list, int index, int x = 30) {
        const RECT r = RowRect(list, index);
        Tap(list, x, (r.top + r.bottom) / 2);
    }
    static int Focused(HWND list) { return ListView_GetNextItem(list, -1, LVNI_FOCUSED); }
    static int Selected(HWND list) { return ListView_GetNextItem(list, -1, LVNI_SELECTED); }

    std::vector<Notice> notices;
    std::function<void(const Notice&)> onNotice;
    std::vector<MEASUREITEMSTRUCT> measured;
    std::vector<DRAWITEMSTRUCT> drawn;
    std::function<void()> onDraw;
    UINT measureAnswer = 0;
};

// ---- Items, columns and states through messages ----------------------------------

TEST_F(ListViews, InsertKeepsTextsParamsAndImagesAndRejectsBadPositions) {
    HWND list = List(LVS_REPORT);
    AddColumn(list, u"Name", 100);
    AddColumn(list, u"Size", 60, LVCFMT_RIGHT);
    EXPECT_EQ(Add(list, u"b", 2), 0);
    EXPECT_EQ(Add(list, u"a", 1, 0), 0) << "inserted in front";
    EXPECT_EQ(Add(list, u"c", 3, 99), 2) << "a position past the end appends";
    EXPECT_EQ(Add(list, u"x", 0, -1), -1);
    LVITEM sub;
    sub.mask = LVIF_TEXT;
    sub.iSubItem = 1;
    EXPECT_EQ(ListView_InsertItem(list, &sub), -1) << "sub-items are set, not inserted";
    EXPECT_EQ(ListView_InsertItem(list, nullptr), -1);
    EXPECT_EQ(ListView_GetItemCount(list), 3);

    EXPECT_TRUE(ListView_SetItemText(list, 1, 1, u"12K"));
    EXPECT_FALSE(ListView_SetItemText(list, 1, 2, u"no column")) << "no third column";
    EXPECT_FALSE(ListView_SetItemText(list, 3, 0, u"no row"));
    LVITEM image;
    image.mask = LVIF_IMAGE;
    image.iItem = 2;
    image.iImage = 7;
    EXPECT_TRUE(ListView_SetItem(list, &image));

    LVITEM got;
    char16_t buffer[16];
    got.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    got.iItem = 2;
    got.pszText = buffer;
    got.cchTextMax = 16;
    ASSERT_TRUE(ListView_GetItem(list, &got));
    EXPECT_EQ(std::u16string(buffer), u"c");
    EXPECT_EQ(got.lParam, 3);
    EXPECT_EQ(got.iImage, 7);
    got.iItem = 3;
    EXPECT_FALSE(ListView_GetItem(list, &got));

    EXPECT_EQ(TextOf(list, 0), u"a");
    EXPECT_EQ(TextOf(list, 1, 1), u"12K");
    EXPECT_TRUE(ListView_DeleteItem(list, 0));
    EXPECT_FALSE(ListView_DeleteItem(list, 2));
    EXPECT_FALSE(ListView_DeleteItem(list, -1));
    EXPECT_EQ(TextOf(list, 0), u"b");
    EXPECT_EQ(TextOf(list, 0, 1), u"12K") << "the sub-item went with its item";
    EXPECT_TRUE(ListView_DeleteAllItems(list));
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    EXPECT_TRUE(ItemNotices().empty()) << "inserting and deleting tell nothing";
}

TEST_F(ListViews, CopiedTextsStopAtTheBufferAndAlwaysEnd) {
    HWND list = List(LVS_LIST);
    Add(list, u"abcdef");
    struct Case {
        int index;
        int cch;
        const char16_t* expect;
        int answer;
    };
    const Case cases[] = {
        {0, 10, u"abcdef", 6}, {0, 7, u"abcdef", 6}, {0, 6, u"abcde", 5}, {0, 1, u"", 0}, {5, 10, u"", 0},
        {-1, 10, u"", 0},
    };
    for (const Case& c : cases) {
        char16_t buffer[12];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        EXPECT_EQ(ListView_GetItemText(list, c.index, 0, buffer, c.cch), c.answer) << c.cch;
        EXPECT_EQ(std::u16string(buffer), c.expect) << "item " << c.index << ", room " << c.cch;
        EXPECT_EQ(buffer[c.cch], u'#') << "nothing written past the room";
    }
    char16_t untouched[2] = {u'#', u'#'};
    EXPECT_EQ(ListView_GetItemText(list, 0, 0, untouched, 0), 0);
    EXPECT_EQ(untouched[0], u'#') << "no room, nothing written";

    LVCOLUMN column;
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char16_t*>(u"Caption");
    column.cx = 80;
    ListView_InsertColumn(list, 0, &column);
    char16_t caption[4] = {u'#', u'#', u'#', u'#'};
    LVCOLUMN got;
    got.mask = LVCF_TEXT;
    got.pszText = caption;
    got.cchTextMax = 3;
    EXPECT_TRUE(ListView_GetColumn(list, 0, &got));
    EXPECT_EQ(std::u16string(caption), u"Ca");
    EXPECT_EQ(caption[3], u'#');
}

TEST_F(ListViews, ColumnsKeepWidthsAndSubItemsFollowThem) {
    HWND list = List(LVS_REPORT);
    AddColumn(list, u"Name", 120);
    AddColumn(list, u"Date", 100);
    Add(list, u"file");
    ListView_SetItemText(list, 0, 1, u"2024/01/01");
    LVCOLUMN size;
    size.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    size.pszText = const_cast<char16_t*>(u"Size");
    size.cx = 55;
    size.fmt = LVCFMT_RIGHT;
    EXPECT_EQ(ListView_InsertColumn(list, 1, &size), 1);
    EXPECT_EQ(TextOf(list, 0, 2), u"2024/01/01") << "the date stays under its column";

    struct Case {
        int column;
        int width;
    };
    for (const Case& c : {Case{0, 120}, Case{1, 55}, Case{2, 100}, Case{3, 0}, Case{-1, 0}})
        EXPECT_EQ(ListView_GetColumnWidth(list, c.column), c.width) << "column " << c.column;
    LVCOLUMN got;
    got.mask = LVCF_FMT;
    ASSERT_TRUE(ListView_GetColumn(list, 1, &got));
    EXPECT_EQ(got.fmt, LVCFMT_RIGHT);

    EXPECT_TRUE(ListView_SetColumnWidth(list, 2, 70));
    EXPECT_EQ(ListView_GetColumnWidth(list, 2), 70);
    EXPECT_FALSE(ListView_SetColumnWidth(list, 3, 70));
    EXPECT_FALSE(ListView_SetColumnWidth(list, 0, -5));
    EXPECT_EQ(RowRect(list, 0).right, 120 + 55 + 70) << "a row is as wide as its columns";

    EXPECT_TRUE(ListView_DeleteColumn(list, 1));
    EXPECT_EQ(TextOf(list, 0, 1), u"2024/01/01");
    EXPECT_FALSE(ListView_DeleteColumn(list, 2));
    EXPECT_TRUE(ListView_DeleteColumn(list, 1));
    EXPECT_TRUE(ListView_DeleteColumn(list, 0));
    EXPECT_EQ(TextOf(list, 0), u"file");
}

TEST_F(ListViews, GetNextItemFindsTheStatesAfterTheStart) {
    HWND list = List(LVS_REPORT);
    Fill(list, 5);
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(list, 3, SF, SF);
    struct Case {
        int start;
        UINT flags;
        int found;
    };
    const Case cases[] = {
        {-1, LVNI_SELECTED, 1}, {1, LVNI_SELECTED, 3}, {3, LVNI_SELECTED, -1}, {-1, LVNI_FOCUSED, 3},
        {-1, LVNI_FOCUSED | LVNI_SELECTED, 3}, {-1, LVNI_ALL, 0}, {2, LVNI_ALL, 3}, {4, LVNI_ALL, -1},
        {5, LVNI_ALL, -1}, {-7, LVNI_SELECTED, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ListView_GetNextItem(list, c.start, c.flags), c.found) << "from " << c.start << " flags " << c.flags;
    EXPECT_EQ(ListView_GetSelectedCount(list), 2);
    EXPECT_EQ(ListView_GetItemState(list, 3, LVIS_SELECTED), LVIS_SELECTED);
    EXPECT_EQ(ListView_GetItemState(list, 9, SF), 0u);
}

TEST_F(ListViews, StateChangesTellTheParentTheLoserFirst) {
    HWND list = List(LVS_REPORT | LVS_SINGLESEL);
    Fill(list, 3);
    ListView_SetItemState(list, 0, SF, SF);
    ListView_SetItemState(list, 2, SF, SF);
    ListView_SetItemState(list, 2, SF, SF);
    ListView_SetItemState(list, 1, 0, LVIS_SELECTED);
    EXPECT_EQ(ItemNotices(), (std::vector<Notice>{Changed(0, SF, 0), Changed(0, 0, SF), Changed(2, SF, 0)}))
        << "setting what is already set tells nothing";
    EXPECT_EQ(notices[0].changed, LVIF_STATE);
    EXPECT_EQ(notices[0].param, 100);
    EXPECT_FALSE(ListView_SetItemState(list, 3, SF, SF));

    notices.clear();
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    EXPECT_EQ(ItemNotices(), (std::vector<Notice>{Changed(2, LVIS_FOCUSED, SF)}));
    EXPECT_EQ(ListView_GetSelectedCount(list), 0);
}

TEST_F(ListViews, MultiSelectionKeepsEverySelectedItemButOneFocus) {
    HWND list = List(LVS_REPORT);
    Fill(list, 3);
    ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(ListView_GetSelectedCount(list), 3);
    ListView_SetItemState(list, -1, LVIS_FOCUSED, LVIS_FOCUSED);
    EXPECT_EQ(Focused(list), -1) << "the focus goes to one item, never to all";
    ListView_SetItemState(list, 0, LVIS_FOCUSED, LVIS_FOCUSED);
    ListView_SetItemState(list, 2, LVIS_FOCUSED, LVIS_FOCUSED);
    EXPECT_EQ(Focused(list), 2);
    EXPECT_EQ(ListView_GetItemState(list, 0, SF), LVIS_SELECTED);
    EXPECT_EQ(ListView_GetSelectedCount(list), 3);
}

// ---- Keys -------------------------------------------------------------------------

TEST_F(ListViews, KeysMoveFocusAndSelectionAfterTellingTheParent) {
    HWND list = List(LVS_REPORT | LVS_SINGLESEL, RECT{0, 0, 200, 200});
    Fill(list, 30);
    const int page = ListView_GetCountPerPage(list);
    ASSERT_GT(page, 2);
    struct Case {
        int from;
        unsigned key;
        int to;
    };
    const Case cases[] = {
        {-1, VK_DOWN, 0}, {-1, VK_UP, 0},         {0, VK_UP, 0},           {0, VK_DOWN, 1},
        {5, VK_UP, 4},    {29, VK_DOWN, 29},      {0, VK_NEXT, page},      {29, VK_PRIOR, 29 - page},
        {2, VK_PRIOR, 0}, {27, VK_NEXT, 29},      {12, VK_HOME, 0},        {3, VK_END, 29},
        {4, VK_LEFT, 4},  {9, VK_SPACE, 9},
    };
    SetFocus(list);
    for (const Case& c : cases) {
        ListView_SetItemState(list, -1, 0, SF);
        if (c.from >= 0)
            ListView_SetItemState(list, c.from, SF, SF);
        notices.clear();
        Key(c.key);
        EXPECT_EQ(Focused(list), c.to) << "from " << c.from << " key " << c.key;
        EXPECT_EQ(Selected(list), c.to);
        EXPECT_EQ(ListView_GetSelectedCount(list), 1);
        ASSERT_FALSE(notices.empty());
        EXPECT_EQ(notices.front().code, LVN_KEYDOWN) << "the parent hears of the key first";
        EXPECT_EQ(notices.front().key, c.key);
        const RECT r = RowRect(list, c.to);
        RECT client;
        GetClientRect(list, &client);
        if (c.key == VK_LEFT || c.key == VK_SPACE)
            continue; // no move, no scrolling
        EXPECT_GE(r.top, 0) << "the focused row is in view after key " << c.key;
        EXPECT_LE(r.bottom, client.bottom) << "the focused row is in view after key " << c.key;
    }
}

TEST_F(ListViews, EnterActivatesTheFocusedItemAndStaysWithTheList) {
    HWND list = List(LVS_REPORT);
    Fill(list, 4);
    ListView_SetItemState(list, 2, SF, SF);
    EXPECT_TRUE(SendMessage(list, WM_GETDLGCODE, VK_RETURN, 0) & DLGC_WANTALLKEYS);
    EXPECT_FALSE(SendMessage(list, WM_GETDLGCODE, VK_TAB, 0) & DLGC_WANTALLKEYS);
    SetFocus(list);
    notices.clear();
    Key(VK_RETURN);
    ASSERT_EQ(ItemNotices().size(), 2u);
    EXPECT_EQ(ItemNotices()[0].code, LVN_KEYDOWN);
    EXPECT_EQ(ItemNotices()[0].key, VK_RETURN);
    EXPECT_EQ(ItemNotices()[1], Code(LVN_ITEMACTIVATE, 2));
    EXPECT_EQ(ItemNotices()[1].param, 102);

    ListView_DeleteAllItems(list);
    notices.clear();
    Key(VK_RETURN);
    EXPECT_EQ(ItemNotices().size(), 1u) << "an empty list only reports the key";
}

// ---- The pen ------------------------------------------------------------------------

TEST_F(ListViews, TapSelectsTapOnTheSelectedRowActivatesAndTapBelowClears) {
    HWND list = List(LVS_REPORT | LVS_SINGLESEL);
    AddColumn(list, u"Name", 200);
    Fill(list, 3);
    ListView_SetItemState(list, 0, SF, SF);
    notices.clear();

    TapRow(list, 1);
    EXPECT_EQ(GetFocus(), list);
    EXPECT_EQ(ItemNotices(),
              (std::vector<Notice>{Changed(0, 0, SF), Changed(1, SF, 0), Code(NM_CLICK, 1)}));
    EXPECT_EQ(ItemNotices().back().param, 101);

    notices.clear();
    TapRow(list, 1);
    EXPECT_EQ(ItemNotices(), (std::vector<Notice>{Code(NM_CLICK, 1), Code(LVN_ITEMACTIVATE, 1)}));

    notices.clear();
    clock.Advance(2000);
    TapRow(list, 2);
    clock.Advance(50);
    TapRow(list, 2);
    EXPECT_EQ(ItemNotices(), (std::vector<Notice>{Changed(1, 0, SF), Changed(2, SF, 0), Code(NM_CLICK, 2),
                                                  Code(NM_CLICK, 2), Code(LVN_ITEMACTIVATE, 2)}))
        << "a double tap activates once";

    notices.clear();
    clock.Advance(2000);
    Tap(list, 30, 280);
    EXPECT_EQ(ItemNotices(), (std::vector<Notice>{Changed(2, LVIS_FOCUSED, SF), Code(NM_CLICK, -1)}));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ListViews, DragScrollsTheRowsWithoutChoosing) {
    HWND list = List(LVS_REPORT | LVS_NOCOLUMNHEADER, RECT{0, 0, 200, 200});
    Fill(list, 40);
    const int row = RowRect(list, 0).bottom - RowRect(list, 0).top;
    Drag(list, POINT{40, 5 * row + 2}, POINT{40, row + 2});
    EXPECT_EQ(ListView_GetTopIndex(list), 4) << "the rows follow the pen";
    EXPECT_EQ(GetScrollPos(list, SB_VERT), 4);
    EXPECT_EQ(Selected(list), -1);
    EXPECT_TRUE(ItemNotices().empty());

    Drag(list, POINT{40, row + 2}, POINT{40, 190});
    EXPECT_EQ(ListView_GetTopIndex(list), 0) << "not past the first row";
}

TEST_F(ListViews, HoldChoosesTheRowAndAsksForTheContextMenu) {
    HWND list = List(LVS_REPORT | LVS_NOCOLUMNHEADER);
    AddColumn(list, u"", 200);
    Fill(list, 5);
    const RECT r = RowRect(list, 3);
    const POINT screen = OnScreen(list, 30, (r.top + r.bottom) / 2);
    Platform::InjectPenDown(screen);
    Platform::PumpMessages();
    clock.Advance(TapAndHoldDelay + 10);
    Platform::PumpMessages();
    Platform::InjectPenUp(screen);
    Platform::PumpMessages();
    EXPECT_EQ(Selected(list), 3);
    const std::vector<Notice> got = ItemNotices();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back(), Code(GN_CONTEXTMENU, 3));
    EXPECT_EQ(got.back().point.x, screen.x);
    EXPECT_EQ(got.back().point.y, screen.y);
    for (const Notice& n : got)
        EXPECT_NE(n.code, static_cast<UINT>(NM_CLICK)) << "the lift after a hold is no tap";
    EXPECT_EQ(rec.Count(WM_CONTEXTMENU, parent), 0);
}

// ---- Geometry and scrolling -----------------------------------------------------------

TEST_F(ListViews, HitTestFindsRowsAndTheirParts) {
    HWND list = List(LVS_REPORT, RECT{0, 0, 300, 200});
    AddColumn(list, u"Name", 100);
    AddColumn(list, u"Size", 100);
    HIMAGELIST images = ImageList_Create(ScaleX(16), ScaleY(16), ILC_COLOR32, 1, 1);
    ListView_SetImageList(list, images, LVSIL_SMALL);
    Fill(list, 3);
    const RECT r1 = RowRect(list, 1);
    const int y1 = (r1.top + r1.bottom) / 2;
    const RECT icon = RowRect(list, 1, LVIR_ICON);
    struct Case {
        POINT pt;
        bool fullRow;
        int item;
        UINT flags;
    };
    const Case cases[] = {
        {{50, y1}, false, 1, LVHT_ONITEMLABEL},
        {{150, y1}, false, -1, LVHT_NOWHERE},
        {{150, y1}, true, 1, LVHT_ONITEMLABEL},
        {{250, y1}, true, -1, LVHT_NOWHERE},
        {{icon.left, y1}, false, 1, LVHT_ONITEMICON},
        {{50, 2}, true, -1, LVHT_NOWHERE},
        {{50, -3}, true, -1, LVHT_ABOVE},
        {{50, 500}, true, -1, LVHT_BELOW},
        {{50, 190}, true, -1, LVHT_NOWHERE},
    };
    for (const Case& c : cases) {
        ListView_SetExtendedListViewStyle(list, c.fullRow ? LVS_EX_FULLROWSELECT : 0);
        LVHITTESTINFO info;
        info.pt = c.pt;
        EXPECT_EQ(ListView_HitTest(list, &info), c.item) << c.pt.x << "," << c.pt.y << " full " << c.fullRow;
        EXPECT_EQ(info.iItem, c.item);
        EXPECT_EQ(info.flags, c.flags) << c.pt.x << "," << c.pt.y;
    }
    EXPECT_EQ(ListView_HitTest(list, nullptr), -1);

    EXPECT_GT(RowRect(list, 0).top, 0) << "the header row is above the first row";
    EXPECT_EQ(RowRect(list, 1).top, RowRect(list, 0).bottom);
    EXPECT_EQ(RowRect(list, 1, LVIR_LABEL).right, 100);
    RECT none;
    EXPECT_FALSE(ListView_GetItemRect(list, 3, &none, LVIR_BOUNDS));
    EXPECT_FALSE(ListView_GetItemRect(list, -1, &none, LVIR_BOUNDS));
    DestroyWindow(list);
    ImageList_Destroy(images);
}

TEST_F(ListViews, ScrollBarAndEnsureVisibleKeepTheRowsInView) {
    HWND list = List(LVS_LIST, RECT{0, 0, 200, 200});
    Fill(list, 3);
    EXPECT_FALSE(IsScrollBarShown(list));
    Fill(list, 47);
    EXPECT_TRUE(IsScrollBarShown(list)) << "more rows than fit";
    const int page = ListView_GetCountPerPage(list);
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    GetScrollInfo(list, SB_VERT, &si);
    EXPECT_EQ(si.nMax, 49);
    EXPECT_EQ(static_cast<int>(si.nPage), page);

    EXPECT_TRUE(ListView_EnsureVisible(list, 30, false));
    EXPECT_EQ(ListView_GetTopIndex(list), 30 - page + 1);
    EXPECT_FALSE(ListView_EnsureVisible(list, 50, false));
    EXPECT_TRUE(ListView_EnsureVisible(list, 3, false));
    EXPECT_EQ(ListView_GetTopIndex(list), 3);

    struct Case {
        unsigned code;
        unsigned thumb;
        int top;
    };
    const Case cases[] = {
        {SB_LINEDOWN, 0, 4}, {SB_LINEUP, 0, 3},  {SB_PAGEDOWN, 0, 3 + page}, {SB_TOP, 0, 0},
        {SB_LINEUP, 0, 0},   {SB_BOTTOM, 0, 50 - page}, {SB_THUMBTRACK, 7, 7}, {SB_THUMBPOSITION, 99, 50 - page},
    };
    for (const Case& c : cases) {
        SendMessage(list, WM_VSCROLL, MAKEWPARAM(c.code, c.thumb), 0);
        EXPECT_EQ(ListView_GetTopIndex(list), c.top) << "code " << c.code;
        EXPECT_EQ(GetScrollPos(list, SB_VERT), c.top);
    }

    for (int i = 0; i < 45; ++i)
        ListView_DeleteItem(list, 0);
    EXPECT_EQ(ListView_GetTopIndex(list), 0) << "deleting rows pulls the view back";
    EXPECT_FALSE(IsScrollBarShown(list));
}

TEST_F(ListViews, WindowWithoutRoomDividesByNothing) {
    HWND list = List(LVS_REPORT | LVS_OWNERDRAWFIXED, RECT{0, 0, 0, 0});
    Fill(list, 5);
    EXPECT_EQ(ListView_GetCountPerPage(list), 0);
    SetFocus(list);
    Key(VK_NEXT);
    Key(VK_END);
    EXPECT_EQ(Focused(list), 4);
    EXPECT_TRUE(ListView_EnsureVisible(list, 0, false));
    SendMessage(list, WM_VSCROLL, SB_PAGEDOWN, 0);
    LVHITTESTINFO info;
    info.pt = POINT{0, 0};
    EXPECT_EQ(ListView_HitTest(list, &info), -1);
    UpdateWindow(list);
    EXPECT_TRUE(drawn.empty());

    measureAnswer = 0x7FFFFFFF;
    SendMessage(list, WM_SETFONT, 0, 0);
    MoveWindow(list, 0, 0, 100, 100, true);
    EXPECT_EQ(ListView_GetCountPerPage(list), 0) << "a huge row height from the parent is clamped, not overflowed";
    EXPECT_GT(RowRect(list, 4).top, 0);
}

// ---- Owner draw -------------------------------------------------------------------------

TEST_F(ListViews, OwnerDrawnRowsAreMeasuredOnceAndDrawnWithTheirRecords) {
    measureAnswer = 30;
    HWND list = List(LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER | LVS_SINGLESEL, RECT{0, 0, 200, 100});
    AddColumn(list, u"", 200);
    for (int i = 0; i < 6; ++i)
        Add(list, u"", 500 + i);
    ListView_SetItemState(list, 1, SF, SF);
    SetFocus(list);
    drawn.clear();
    UpdateWindow(list);
    InvalidateRect(list, nullptr, false);
    UpdateWindow(list);

    ASSERT_EQ(measured.size(), 1u) << "asked once for the row height";
    EXPECT_EQ(measured[0].CtlType, ODT_LISTVIEW);
    EXPECT_EQ(measured[0].CtlID, 1000u);
    EXPECT_EQ(RowRect(list, 2).top, 60);
    EXPECT_EQ(ListView_GetCountPerPage(list), 3);

    ASSERT_EQ(drawn.size(), 8u) << "rows 0-3 (the last cut by the edge), painted twice";
    const UINT states[] = {0, ODS_SELECTED | ODS_FOCUS, 0, 0};
    for (int i = 0; i < 4; ++i) {
        const DRAWITEMSTRUCT& d = drawn[static_cast<size_t>(4 + i)];
        EXPECT_EQ(d.CtlType, ODT_LISTVIEW);
        EXPECT_EQ(d.CtlID, 1000u);
        EXPECT_EQ(d.itemID, static_cast<UINT>(i));
        EXPECT_EQ(d.itemAction, ODA_DRAWENTIRE);
        EXPECT_EQ(d.itemState, states[i]) << "row " << i;
        EXPECT_EQ(d.itemData, static_cast<std::uintptr_t>(500 + i));
        EXPECT_EQ(d.hwndItem, list);
        EXPECT_EQ(d.rcItem.top, 30 * i);
        EXPECT_EQ(d.rcItem.bottom, 30 * i + 30);
        EXPECT_EQ(d.rcItem.left, 0);
        EXPECT_EQ(d.rcItem.right, 200);
    }

    SetFocus(parent);
    drawn.clear();
    UpdateWindow(list);
    ASSERT_GE(drawn.size(), 2u);
    EXPECT_EQ(drawn[1].itemState, ODS_SELECTED) << "no focus look without the focus";

    SendMessage(list, WM_SETFONT, 0, 0);
    ListView_GetCountPerPage(list);
    EXPECT_EQ(measured.size(), 2u) << "a new font asks again";
}

// ---- The parent changing the list from its notices -----------------------------------------

TEST_F(ListViews, ParentMayEmptyTheListFromAnyNotice) {
    const UINT codes[] = {LVN_ITEMCHANGED, LVN_KEYDOWN, NM_CLICK, LVN_ITEMACTIVATE, GN_CONTEXTMENU};
    for (UINT code : codes) {
        HWND list = List(LVS_REPORT | LVS_NOCOLUMNHEADER);
        AddColumn(list, u"", 200);
        Fill(list, 8);
        ListView_SetItemState(list, 0, SF, SF);
        ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
        onNotice = [&](const Notice& n) {
            if (n.code == code)
                ListView_DeleteAllItems(list);
        };
        SetFocus(list);
        // Each step that finds rows left tries the next way to be told.
        const std::function<void()> steps[] = {
            [&] { Key(VK_DOWN); },
            [&] { Key(VK_RETURN); },
            [&] { TapRow(list, 3); },
            [&] {
                clock.Advance(2000);
                TapRow(list, 3);
            },
            [&] {
                const RECT r = RowRect(list, 0);
                const POINT at = OnScreen(list, 30, (r.top + r.bottom) / 2);
                Platform::InjectPenDown(at);
                Platform::PumpMessages();
                clock.Advance(TapAndHoldDelay + 10);
                Platform::PumpMessages();
                Platform::InjectPenUp(at);
                Platform::PumpMessages();
            },
        };
        for (const auto& step : steps)
            if (ListView_GetItemCount(list))
                step();
        EXPECT_EQ(ListView_GetItemCount(list), 0) << "code " << static_cast<int>(code);
        Key(VK_UP);
        UpdateWindow(list);
        onNotice = nullptr;
        DestroyWindow(list);
    }
}

TEST_F(ListViews, ParentMayDestroyTheListFromANotice) {
    HWND list = List(LVS_REPORT | LVS_SINGLESEL);
    Fill(list, 3);
    ListView_SetItemState(list, 0, SF, SF);
    onNotice = [&](const Notice& n) {
        if (n.code == LVN_ITEMCHANGED)
            DestroyWindow(list);
    };
    ListView_SetItemState(list, 1, SF, SF);
    EXPECT_FALSE(IsWindow(list));
}

TEST_F(ListViews, ParentDeletingRowsWhileDrawingStopsThePaint) {
    measureAnswer = 20;
    HWND list = List(LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER, RECT{0, 0, 200, 200});
    Fill(list, 6);
    onDraw = [&] { ListView_DeleteItem(list, 0); };
    UpdateWindow(list);
    onDraw = nullptr;
    EXPECT_EQ(ListView_GetItemCount(list), 5);
    drawn.clear();
    UpdateWindow(list);
    EXPECT_EQ(drawn.size(), 5u) << "drawn afresh with the rows that are left";
}

// ---- On screen ---------------------------------------------------------------------------

HBITMAP Checker(int size, COLORREF a, COLORREF b)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, size, size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            SetPixel(dc, x, y, (x < size / 2) == (y < size / 2) ? a : b);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

TEST_F(ListViews, BackgroundPictureIsACopyTiledFromTheClientCorner) {
    HWND list = List(LVS_LIST, RECT{13, 17, 213, 217});
    const COLORREF a = RGB(200, 30, 30);
    const COLORREF b = RGB(30, 30, 200);
    HBITMAP picture = Checker(16, a, b);
    LVBKIMAGE bk;
    bk.ulFlags = LVBKIF_SOURCE_HBITMAP | LVBKIF_STYLE_TILE;
    bk.hbm = picture;
    EXPECT_TRUE(ListView_SetBkImage(list, &bk));
    DeleteObject(picture);
    for (POINT p : {POINT{0, 0}, POINT{7, 7}, POINT{8, 0}, POINT{0, 8}, POINT{16, 16}, POINT{24, 3}, POINT{190, 190},
                    POINT{39, 57}})
        EXPECT_EQ(Pixel(list, p.x, p.y), ((p.x % 16 < 8) == (p.y % 16 < 8)) ? a : b) << p.x << "," << p.y;

    Fill(list, 40);
    ListView_SetTextColor(list, RGB(0, 255, 0));
    ListView_EnsureVisible(list, 39, false);
    EXPECT_EQ(Pixel(list, 150, 190), ((150 % 16 < 8) == (190 % 16 < 8)) ? a : b)
        << "the picture stays put while the rows scroll, and unselected text has no background";

    bk.ulFlags = LVBKIF_SOURCE_NONE;
    EXPECT_TRUE(ListView_SetBkImage(list, &bk));
    EXPECT_EQ(Pixel(list, 150, 190), GetSysColor(COLOR_WINDOW));
    bk.ulFlags = LVBKIF_SOURCE_HBITMAP;
    bk.hbm = nullptr;
    EXPECT_FALSE(ListView_SetBkImage(list, &bk));
}

TEST_F(ListViews, SelectedRowShowsTheFocusLookAndColoursFollowTheMessages) {
    HWND list = List(LVS_REPORT | LVS_SINGLESEL, RECT{0, 0, 300, 200});
    AddColumn(list, u"Name", 100);
    AddColumn(list, u"Size", 100, LVCFMT_RIGHT);
    Fill(list, 3);
    EXPECT_TRUE(ListView_SetBkColor(list, RGB(250, 250, 200)));
    EXPECT_EQ(ListView_GetBkColor(list), RGB(250, 250, 200));
    ListView_SetTextColor(list, RGB(1, 2, 3));
    EXPECT_EQ(ListView_GetTextColor(list), RGB(1, 2, 3));
    EXPECT_EQ(ListView_GetTextBkColor(list), CLR_NONE) << "text lies on the background unless told";
    ListView_SetTextColor(list, CLR_DEFAULT);
    EXPECT_EQ(ListView_GetTextColor(list), GetSysColor(COLOR_WINDOWTEXT));
    ListView_SetItemState(list, 1, SF, SF);
    const RECT sel = RowRect(list, 1, LVIR_SELECTBOUNDS);
    const int y = sel.top + 2;

    EXPECT_EQ(Pixel(list, sel.right - 3, y), GetSysColor(COLOR_BTNFACE)) << "selected, unfocused";
    EXPECT_EQ(Pixel(list, 250, RowRect(list, 2).top + 2), RGB(250, 250, 200));
    EXPECT_EQ(Pixel(list, 5, 2), GetSysColor(COLOR_BTNFACE)) << "the header band";
    SetFocus(list);
    EXPECT_EQ(Pixel(list, sel.right - 3, y + 2), GetSysColor(COLOR_HIGHLIGHT)) << "selected with the focus";
    EXPECT_EQ(Pixel(list, 150, y + 2), RGB(250, 250, 200)) << "only the first column without full-row select";
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    EXPECT_EQ(Pixel(list, 150, y + 2), GetSysColor(COLOR_HIGHLIGHT));

    EnableWindow(list, false);
    EXPECT_EQ(Pixel(list, sel.right - 3, y + 2), GetSysColor(COLOR_BTNFACE)) << "a disabled list has no focus look";
}

TEST_F(ListViews, ReportRowsShowIconsAndRightAlignedSubItems) {
    HWND list = List(LVS_REPORT | LVS_NOCOLUMNHEADER, RECT{0, 0, 300, 200});
    AddColumn(list, u"Name", 150);
    AddColumn(list, u"Size", 150, LVCFMT_RIGHT);
    HIMAGELIST images = ImageList_Create(ScaleX(16), ScaleY(16), ILC_COLOR32, 1, 1);
    HBITMAP red = Checker(ScaleX(16), RGB(255, 0, 0), RGB(255, 0, 0));
    ImageList_Add(images, red, nullptr);
    DeleteObject(red);
    EXPECT_EQ(ListView_SetImageList(list, images, LVSIL_SMALL), nullptr);
    EXPECT_EQ(ListView_GetImageList(list, LVSIL_SMALL), images);
    LVITEM item;
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.pszText = const_cast<char16_t*>(u"notes.txt");
    item.iImage = 0;
    ListView_InsertItem(list, &item);
    ListView_SetItemText(list, 0, 1, u"1024");
    ListView_SetBkColor(list, RGB(255, 255, 255));
    ListView_SetTextColor(list, RGB(0, 0, 0));

    const RECT icon = RowRect(list, 0, LVIR_ICON);
    EXPECT_EQ(icon.right - icon.left, ScaleX(16));
    EXPECT_GE(RowRect(list, 0).bottom - RowRect(list, 0).top, ScaleY(16)) << "rows fit their icons";
    EXPECT_EQ(Pixel(list, (icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2), RGB(255, 0, 0));

    // Ink of the size lies in the right part of its cell only.
    UpdateWindow(list);
    HDC dc = GetDC(list);
    int leftInk = 0;
    int rightInk = 0;
    for (int x = 152; x < 300; ++x)
        for (int y = icon.top; y < icon.bottom; ++y)
            if (GetPixel(dc, x, y) != RGB(255, 255, 255))
                ++(x < 225 ? leftInk : rightInk);
    ReleaseDC(list, dc);
    EXPECT_EQ(leftInk, 0);
    EXPECT_GT(rightInk, 0);
    DestroyWindow(list);
    ImageList_Destroy(images);
}

} // namespace
