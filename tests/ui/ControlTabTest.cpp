// Tab strips: the tabs and the current one, the parent's say before a tab
// changes, the strip at the bottom and its display area, scrolling when the
// tabs do not fit, and the picture.

#include "ControlTestSupport.h"
#include "GdiTestSupport.h"

#include "Controls/ControlTab.h"
#include "Drawing/GdiSurface.h"
#include "Shell/ShellScreen.h"

#include <map>

using namespace ui_test;

namespace {


class TabStrips : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        rec.handler = [this](HWND, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
            if (msg != WM_NOTIFY)
                return std::nullopt;
            const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            codes.push_back(hdr->code);
            if (hdr->code == TCN_KEYDOWN)
                keys.push_back(reinterpret_cast<const NMTCKEYDOWN*>(lParam)->wVKey);
            if (hdr->code == TCN_SELCHANGE)
                selAtChange.push_back(static_cast<int>(SendMessage(hdr->hwndFrom, TCM_GETCURSEL, 0, 0)));
            auto answer = answers.find(hdr->code);
            return answer == answers.end() ? 0 : answer->second;
        };
    }
    HWND Strip(std::uint32_t style = TCS_BOTTOM, RECT r = RECT{0, 100, 480, 400}) {
        return Control(WC_TABCONTROL, style, r, 5);
    }
    static int Add(HWND tabs, const char16_t* caption, int at = 99, int image = -1, LPARAM value = 0) {
        TCITEM item;
        item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
        item.pszText = const_cast<char16_t*>(caption);
        item.iImage = image;
        item.lParam = value;
        return static_cast<int>(SendMessage(tabs, TCM_INSERTITEM, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item)));
    }
    static std::u16string Caption(HWND tabs, int index) {
        char16_t buffer[64];
        TCITEM item;
        item.mask = TCIF_TEXT;
        item.pszText = buffer;
        item.cchTextMax = 64;
        return SendMessage(tabs, TCM_GETITEM, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))
                   ? std::u16string(buffer)
                   : u"<none>";
    }
    static std::vector<std::u16string> Captions(HWND tabs) {
        std::vector<std::u16string> out;
        for (int i = 0; i < SendMessage(tabs, TCM_GETITEMCOUNT, 0, 0); ++i)
            out.push_back(Caption(tabs, i));
        return out;
    }
    static int Cur(HWND tabs) { return static_cast<int>(SendMessage(tabs, TCM_GETCURSEL, 0, 0)); }
    static RECT ItemRect(HWND tabs, int index) {
        RECT r{};
        EXPECT_TRUE(SendMessage(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)));
        return r;
    }
    void TapTab(HWND tabs, int index) {
        const RECT r = ItemRect(tabs, index);
        Tap(tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    std::vector<UINT> codes;
    std::vector<unsigned> keys;
    std::vector<int> selAtChange;
    std::map<UINT, LRESULT> answers;
};

TEST_F(TabStrips, KeepsTabsThroughInsertAndDeleteAndTheCurrentOneFollows) {
    HWND tabs = Strip();
    EXPECT_EQ(Cur(tabs), -1);
    EXPECT_EQ(Add(tabs, u"Home", 0, -1, 11), 0);
    EXPECT_EQ(Cur(tabs), 0) << "the first tab becomes current";
    EXPECT_EQ(Add(tabs, u"Work", 99, -1, 22), 1) << "past the end appends";
    EXPECT_EQ(Add(tabs, u"General", 0, -1, 33), 0);
    EXPECT_EQ(Cur(tabs), 1) << "the current tab moves with its place";
    EXPECT_EQ(Add(tabs, u"bad", -1), -1);
    EXPECT_EQ(SendMessage(tabs, TCM_INSERTITEM, 0, 0), -1);
    EXPECT_EQ(Captions(tabs), (std::vector<std::u16string>{u"General", u"Home", u"Work"}));

    char16_t small[4];
    TCITEM item;
    item.mask = TCIF_TEXT | TCIF_PARAM | TCIF_IMAGE;
    item.pszText = small;
    item.cchTextMax = 4;
    ASSERT_TRUE(SendMessage(tabs, TCM_GETITEM, 2, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(std::u16string(small), u"Wor") << "cut to the buffer, terminated";
    EXPECT_EQ(item.lParam, 22);
    EXPECT_EQ(item.iImage, -1);
    EXPECT_FALSE(SendMessage(tabs, TCM_GETITEM, 3, reinterpret_cast<LPARAM>(&item)));

    TCITEM rename;
    rename.mask = TCIF_TEXT;
    rename.pszText = const_cast<char16_t*>(u"Office");
    ASSERT_TRUE(SendMessage(tabs, TCM_SETITEM, 2, reinterpret_cast<LPARAM>(&rename)));
    EXPECT_EQ(Caption(tabs, 2), u"Office");

    EXPECT_EQ(SendMessage(tabs, TCM_SETCURSEL, 2, 0), 1) << "answers the previous current tab";
    EXPECT_EQ(SendMessage(tabs, TCM_SETCURSEL, 3, 0), -1);
    EXPECT_EQ(Cur(tabs), 2);
    ASSERT_TRUE(SendMessage(tabs, TCM_DELETEITEM, 0, 0));
    EXPECT_EQ(Cur(tabs), 1) << "deleting an earlier tab keeps the same tab current";
    EXPECT_FALSE(SendMessage(tabs, TCM_DELETEITEM, 7, 0));
    EXPECT_TRUE(codes.empty()) << "messages tell the parent nothing";

    ASSERT_TRUE(SendMessage(tabs, TCM_DELETEALLITEMS, 0, 0));
    EXPECT_EQ(SendMessage(tabs, TCM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(Cur(tabs), -1);
}

TEST_F(TabStrips, DeletingTheCurrentTabMakesTheNextOneCurrentAndTellsTheParent) {
    HWND tabs = Strip();
    for (const char16_t* c : {u"a", u"b", u"c"})
        Add(tabs, c);
    SendMessage(tabs, TCM_SETCURSEL, 1, 0);
    ASSERT_TRUE(SendMessage(tabs, TCM_DELETEITEM, 1, 0));
    EXPECT_EQ(Caption(tabs, Cur(tabs)), u"c");
    EXPECT_EQ(codes, (std::vector<UINT>{TCN_SELCHANGE}));
    ASSERT_TRUE(SendMessage(tabs, TCM_DELETEITEM, 1, 0));
    EXPECT_EQ(Caption(tabs, Cur(tabs)), u"a") << "the last one went: the new last";
    ASSERT_TRUE(SendMessage(tabs, TCM_DELETEITEM, 0, 0));
    EXPECT_EQ(Cur(tabs), -1);
    EXPECT_EQ(codes.size(), 2u) << "no tab left to show";
}

TEST_F(TabStrips, TapOnATabAsksTheParentFirstWhichMayKeepTheCurrentOne) {
    HWND tabs = Strip();
    for (const char16_t* c : {u"Account", u"Connection", u"Additional"})
        Add(tabs, c);
    TapTab(tabs, 2);
    EXPECT_EQ(Cur(tabs), 2);
    EXPECT_EQ(codes, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE, NM_CLICK}));
    EXPECT_EQ(selAtChange, (std::vector<int>{2})) << "the change is told after it happened";
    EXPECT_EQ(GetFocus(), tabs);

    codes.clear();
    answers[TCN_SELCHANGING] = 1;
    TapTab(tabs, 0);
    EXPECT_EQ(Cur(tabs), 2);
    EXPECT_EQ(codes, (std::vector<UINT>{TCN_SELCHANGING, NM_CLICK}));

    codes.clear();
    answers.clear();
    TapTab(tabs, 2);
    EXPECT_EQ(codes, (std::vector<UINT>{NM_CLICK})) << "the current tab again: no change";
    RECT c;
    GetClientRect(tabs, &c);
    TCHITTESTINFO hit;
    hit.pt = POINT{c.right - 2, c.bottom - 2};
    EXPECT_EQ(SendMessage(tabs, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
    EXPECT_EQ(hit.flags, TCHT_NOWHERE);
    hit.pt = POINT{5, 5};
    EXPECT_EQ(SendMessage(tabs, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1) << "the display area";
}

TEST_F(TabStrips, LeftAndRightKeysMoveBetweenTabsAndStopAtTheEnds) {
    HWND tabs = Strip();
    for (const char16_t* c : {u"a", u"b", u"c"})
        Add(tabs, c);
    SetFocus(tabs);
    struct Step {
        unsigned vk;
        int cur;
    };
    const Step steps[] = {{VK_RIGHT, 1}, {VK_RIGHT, 2}, {VK_RIGHT, 2}, {VK_LEFT, 1}, {VK_HOME, 0}, {VK_LEFT, 0}, {VK_END, 2}};
    for (const Step& s : steps) {
        Key(s.vk);
        EXPECT_EQ(Cur(tabs), s.cur) << "key " << s.vk;
    }
    EXPECT_EQ(keys, (std::vector<unsigned>{VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_LEFT, VK_HOME, VK_LEFT, VK_END}));
    EXPECT_EQ(selAtChange, (std::vector<int>{1, 2, 1, 0, 2}));
}

TEST_F(TabStrips, AdjustRectConvertsBetweenWindowAndDisplayArea) {
    for (std::uint32_t style : {TCS_BOTTOM, 0u}) {
        HWND tabs = Strip(style);
        Add(tabs, u"Only");
        RECT c;
        GetClientRect(tabs, &c);
        const RECT strip = ItemRect(tabs, 0);
        RECT display = c;
        SendMessage(tabs, TCM_ADJUSTRECT, 0, reinterpret_cast<LPARAM>(&display));
        if (style & TCS_BOTTOM) {
            EXPECT_EQ(strip.bottom, c.bottom) << "tabs along the bottom edge";
            EXPECT_EQ(display.bottom, strip.top);
            EXPECT_EQ(display.top, 0);
        } else {
            EXPECT_EQ(strip.top, 0);
            EXPECT_EQ(display.top, strip.bottom);
            EXPECT_EQ(display.bottom, c.bottom);
        }
        RECT back = display;
        SendMessage(tabs, TCM_ADJUSTRECT, 1, reinterpret_cast<LPARAM>(&back));
        EXPECT_EQ(back.top, c.top);
        EXPECT_EQ(back.bottom, c.bottom);
        EXPECT_EQ(back.left, c.left);
        EXPECT_EQ(back.right, c.right);
        DestroyWindow(tabs);
    }
}

TEST_F(TabStrips, TabsThatDoNotFitScrollWithArrowsAndTheCurrentTabIsShownWhole) {
    HWND tabs = Strip(TCS_BOTTOM, RECT{0, 100, 300, 400});
    for (int i = 0; i < 12; ++i)
        Add(tabs, (u"Contact " + std::u16string(1, static_cast<char16_t>(u'A' + i))).c_str());
    RECT c;
    GetClientRect(tabs, &c);
    const RECT first = ItemRect(tabs, 0);
    const int arrow = first.bottom - first.top;
    const int room = c.right - 2 * arrow;
    EXPECT_EQ(first.left, 0);

    // The forward arrow shows one tab further on; the back arrow returns.
    Tap(tabs, c.right - arrow / 2, (first.top + first.bottom) / 2);
    EXPECT_EQ(ItemRect(tabs, 1).left, 0);
    EXPECT_LT(ItemRect(tabs, 0).right, 1) << "tab 0 went out at the left";
    EXPECT_EQ(Cur(tabs), 0) << "the arrows do not choose";
    EXPECT_TRUE(codes.empty());
    Tap(tabs, c.right - arrow - arrow / 2, (first.top + first.bottom) / 2);
    EXPECT_EQ(ItemRect(tabs, 0).left, 0);
    Tap(tabs, c.right - arrow - arrow / 2, (first.top + first.bottom) / 2);
    EXPECT_EQ(ItemRect(tabs, 0).left, 0) << "nothing further back";

    TCHITTESTINFO hit;
    hit.pt = POINT{room + 2, (first.top + first.bottom) / 2};
    EXPECT_EQ(SendMessage(tabs, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1) << "the arrows are no tab";

    SendMessage(tabs, TCM_SETCURSEL, 11, 0);
    RECT last = ItemRect(tabs, 11);
    EXPECT_GE(last.left, 0);
    EXPECT_LE(last.right, room) << "the current tab is shown whole beside the arrows";

    SetFocus(tabs);
    Key(VK_HOME);
    EXPECT_EQ(ItemRect(tabs, 0).left, 0);
    for (int i = 0; i < 6; ++i)
        Key(VK_RIGHT);
    const RECT sixth = ItemRect(tabs, 6);
    EXPECT_GE(sixth.left, 0);
    EXPECT_LE(sixth.right, room);
    // Many taps on the forward arrow stop once the last tab is in view.
    for (int i = 0; i < 20; ++i)
        Tap(tabs, c.right - arrow / 2, (first.top + first.bottom) / 2);
    last = ItemRect(tabs, 11);
    EXPECT_LE(last.right, room);
    EXPECT_GT(last.right, room / 2) << "no empty strip scrolled in past the last tab";
}

TEST_F(TabStrips, PaintsTheCurrentTabOpenIntoTheDisplayArea) {
    HWND tabs = Strip(TCS_BOTTOM, RECT{0, 100, 480, 300});
    const int size = Platform::ScaleX(12);
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32, 1, 1);
    HBITMAP red = CreateCompatibleBitmap(nullptr, size, size);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, red);
    const RECT all{0, 0, size, size};
    HBRUSH brush = CreateSolidBrush(kRed);
    FillRect(dc, &all, brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(brush);
    ImageList_Add(images, red, nullptr);
    DeleteObject(red);
    EXPECT_EQ(SendMessage(tabs, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images)), 0);
    Add(tabs, u"Chat", 99, 0);
    Add(tabs, u"Details");
    Add(tabs, u"History");
    SendMessage(tabs, TCM_SETCURSEL, 1, 0);
    UpdateWindow(tabs);
    ASSERT_TRUE(Platform::SaveWindowPng(tabs, "tabstrip.png"));

    const RECT chat = ItemRect(tabs, 0);
    const RECT details = ItemRect(tabs, 1);
    const int mid = (chat.top + chat.bottom) / 2;
    EXPECT_EQ(Pixel(tabs, chat.left + Platform::ScaleX(6) + 2, mid), kRed) << "the tab's image";
    EXPECT_EQ(Pixel(tabs, chat.right - 3, chat.top + 3), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(Pixel(tabs, details.right - 3, details.top + 3), GetSysColor(COLOR_WINDOW)) << "current: page colour";
    EXPECT_EQ(Pixel(tabs, chat.right - 3, chat.top), GetSysColor(COLOR_WINDOWFRAME)) << "the edge to the pages";
    EXPECT_EQ(Pixel(tabs, details.right - 3, details.top), GetSysColor(COLOR_WINDOW)) << "open over the edge";
    EXPECT_EQ(Pixel(tabs, details.right - 3, details.bottom - 1), GetSysColor(COLOR_WINDOWFRAME));
    DestroyWindow(tabs);
    ImageList_Destroy(images);
}

} // namespace
