// The control: two layouts for two widths, keys, links, copying, quoting,
// finding, the caret, scrolling to it, the stylus, and animated pictures
// redrawn alone.

#include "RichTextCtrlSupport.h"

#include "Controls/ControlCaret.h"
#include "Shell/Clipboard.h"
#include "WindowSystem/WindowKeys.h"

#include <gtest/gtest.h>

using namespace richtext_test;
using RTE::CYolWMRTE_Ctrl;
using RTE::TPosition;

namespace {

using Move = RTE::CYolWMRTE_TextView::TMove;

class RichTextCtrl : public RichTextCtrlTest {
protected:
    void Resize(int clientWidth, int height = 100)
    {
        ctrl->MoveAndResize(0, 0, clientWidth + frame, height + frame);
    }
    void Press(unsigned key, bool shift = false)
    {
        if (shift)
            Platform::InjectKeyDown(VK_SHIFT);
        Platform::InjectKey(key);
        if (shift)
            Platform::InjectKeyUp(VK_SHIFT);
        Platform::PumpMessages();
    }
    POINT Screen(POINT client)
    {
        ClientToScreen(*ctrl, &client);
        return client;
    }
};

TEST_F(RichTextCtrl, TurningAndTurningBackDoesNotLayOutAgain)
{
    MakeCtrl();
    Add({{"hello world"}});
    Add({{"ab"}});
    Add({{"xyz"}});
    EXPECT_EQ(measurer.calls, 3);
    ctrl->MoveCaret(Move::EMoveRight, true);
    Resize(202);
    EXPECT_EQ(measurer.calls, 6);
    EXPECT_EQ(ctrl->ActiveLayout()->Width(), 202);
    EXPECT_EQ(ctrl->ActiveLayout()->Para(1)->Y(), 1 + 10 + 1);
    EXPECT_EQ(Caret(), "0.1");
    EXPECT_TRUE(ctrl->ActiveView()->HasSelection());
    Resize(102);
    EXPECT_EQ(measurer.calls, 6);
    EXPECT_EQ(ctrl->ActiveLayout()->Para(1)->Y(), 1 + 20 + 1);
    Resize(202);
    EXPECT_EQ(measurer.calls, 6);

    // Added in landscape: the portrait layout takes it at the next turn.
    Add({{"new"}});
    EXPECT_EQ(measurer.calls, 7);
    Resize(102);
    EXPECT_EQ(measurer.calls, 8);
    EXPECT_EQ(ctrl->ActiveLayout()->LaidOutCount(), 4);
    EXPECT_EQ(ctrl->ActiveLayout()->Para(3)->Y(), 1 + 20 + 1 + 10 + 1 + 10 + 1);
    // Only the height changed: nothing is laid out.
    Resize(102, 60);
    EXPECT_EQ(measurer.calls, 8);
    EXPECT_EQ(ctrl->ActiveView()->Rect().bottom - ctrl->ActiveView()->Rect().top, 60);
}

TEST_F(RichTextCtrl, KeysMoveTheCaretOrTheFocus)
{
    MakeCtrl();
    Add({{"hello world"}});
    Add({{"ab\ncd"}});
    SetFocus(*ctrl);
    struct Row {
        unsigned key;
        bool shift;
        bool horizontal;
        bool vertical;
        const char* caret;
        const char* focus;
    };
    const Row rows[] = {
        {VK_RIGHT, false, true, true, "0.1", ""},
        {VK_END, false, true, true, "0.5+", ""},
        {VK_HOME, false, true, true, "0.0", ""},
        {VK_NEXT, false, true, true, "0.10+", ""},
        {VK_PRIOR, false, true, true, "0.0", ""},
        {VK_DOWN, false, true, true, "1.0", ""},
        {VK_UP, false, true, true, "0.0", ""},
        {VK_UP, false, true, true, "0.0", "back"},
        {VK_DOWN, true, true, true, "0.6", ""},
        {VK_UP, true, true, true, "0.0", ""},
        {VK_LEFT, false, false, true, "0.0", "back"},
        {VK_RIGHT, false, false, true, "0.0", "fwd"},
        {VK_RIGHT, true, false, true, "0.1", ""},
        {VK_DOWN, false, true, false, "0.1", "fwd"},
        {VK_UP, false, true, false, "0.1", "back"},
        {VK_TAB, false, true, true, "0.1", "fwd"},
    };
    for (const Row& row : rows) {
        owner.horizontalMoves = row.horizontal;
        owner.verticalMoves = row.vertical;
        Press(row.key, row.shift);
        EXPECT_EQ(Caret(), row.caret) << row.key << (row.shift ? " shifted" : "");
        EXPECT_EQ(FocusMove(), row.focus) << row.key << (row.shift ? " shifted" : "");
    }
    ctrl->MoveCaret(Move::EMoveTextEnd, false);
    Press(VK_RIGHT);
    EXPECT_EQ(FocusMove(), "fwd");
}

TEST_F(RichTextCtrl, ControlCCopiesTheSelectionAndNothingElse)
{
    MakeCtrl();
    Add({{"hello world"}});
    Add({{"ab\ncd"}});
    SetFocus(*ctrl);
    Platform::WriteClipboardText(u"before", nullptr);
    Platform::InjectKeyDown(VK_CONTROL);
    Press('C');
    EXPECT_EQ(Platform::ReadClipboardText(), u"before");
    Platform::InjectKeyUp(VK_CONTROL);
    ctrl->MoveCaret(Move::EMoveLineEnd, false);
    for (int i = 0; i < 4; ++i)
        Press(VK_RIGHT, true);
    Platform::InjectKeyDown(VK_CONTROL);
    Press('C');
    Platform::InjectKeyUp(VK_CONTROL);
    EXPECT_EQ(Platform::ReadClipboardText(), u"wor");
    for (int i = 0; i < 5; ++i)
        Press(VK_RIGHT, true);
    Platform::InjectKeyDown(VK_CONTROL);
    Press(VK_INSERT);
    Platform::InjectKeyUp(VK_CONTROL);
    EXPECT_EQ(Platform::ReadClipboardText(), u"world\r\n\r\nab");
}

TEST_F(RichTextCtrl, EnterOpensTheLinkUnderTheCaret)
{
    MakeCtrl();
    Add({{"see "}, {"http://x.org", RTE::kLinkKind}, {" ok"}});
    SetFocus(*ctrl);
    Press(VK_RETURN);
    EXPECT_TRUE(owner.links.empty());
    EXPECT_EQ(FocusMove(), "fwd");
    ctrl->MoveCaret(Move::EMoveLineEnd, false);  // "see " / "http://x.o" / "rg ok"
    ctrl->MoveCaret(Move::EMoveRight, false);
    ctrl->MoveCaret(Move::EMoveRight, false);
    EXPECT_EQ(Caret(), "0.5");
    Press(VK_RETURN);
    EXPECT_EQ(owner.links, std::vector<std::string>{"http://x.org"});
    EXPECT_EQ(FocusMove(), "");
    owner.handleLinks = false;
    Press(VK_RETURN);
    EXPECT_EQ(owner.links.size(), 2u);
    EXPECT_EQ(FocusMove(), "fwd");
}

TEST_F(RichTextCtrl, TappingALinkOpensItAndLeavesTheCaret)
{
    MakeCtrl();
    Add({{"see "}, {"http://x.org", RTE::kLinkKind}});
    Add({{"plain text"}});
    ctrl->MoveCaret(Move::EMoveRight, false);
    // The link's second line, "rg", is at y 21..31 of the first paragraph.
    Platform::InjectTap(Screen(POINT{6, 26}));
    Platform::PumpMessages();
    EXPECT_EQ(owner.links, std::vector<std::string>{"http://x.org"});
    EXPECT_EQ(Caret(), "0.1");
    // Plain text moves the caret there.
    Platform::InjectTap(Screen(POINT{26, 40}));
    Platform::PumpMessages();
    EXPECT_EQ(owner.links.size(), 1u);
    EXPECT_EQ(Caret(), "1.2");
    EXPECT_EQ(GetFocus(), static_cast<HWND>(*ctrl));
}

TEST_F(RichTextCtrl, CopiesAndQuotesParagraphs)
{
    MakeCtrl();
    EXPECT_EQ(Take(ctrl->GetAllText(false)), "(null)");
    EXPECT_EQ(Take(ctrl->GetLastParaText(true)), "(null)");
    EXPECT_EQ(Take(ctrl->GetSelectedText(false)), "(null)");
    BlockPicture smile(10, 10, u":-)");
    Add({{"hello "}, {nullptr, 0, &smile}});
    Add({{"ab\ncd"}});
    RTE::CYolWMRTE_TextView& view = *ctrl->ActiveView();
    view.SetSelection(TPosition{1, 0, 0}, TPosition{1, 4, 1});
    EXPECT_EQ(Take(ctrl->GetSelectedText(true)), "> ab\\r\\ncd");
    view.SetSelection(TPosition{0, 3, 0}, TPosition{1, 1, 1});
    EXPECT_EQ(Take(ctrl->GetSelectedText(true)), "> lo :-)\\r\\n\\r\\n> ab");
    EXPECT_EQ(Take(ctrl->GetSelectedText(false)), "lo :-)\\r\\n\\r\\nab");
    EXPECT_EQ(Take(ctrl->GetAllText(false)), "hello :-)\\r\\n\\r\\nab\\r\\ncd");
    EXPECT_EQ(Take(ctrl->GetLastParaText(true)), "> ab\\r\\ncd");
}

TEST_F(RichTextCtrl, FindsFromTheCaretOnAndWrapsAround)
{
    MakeCtrl(100, 302);
    Add({{"Hello world, worldwide"}});
    Add({{"the other World\nworld, end"}});
    auto selection = [this] {
        const RTE::CYolWMRTE_TextView& view = *ctrl->ActiveView();
        return std::to_string(view.SelectionStart().para) + "." + std::to_string(view.SelectionStart().ch) + "-" +
               std::to_string(view.SelectionEnd().ch);
    };
    const int word = CYolWMRTE_Ctrl::EFindWholeWord;
    const int exact = CYolWMRTE_Ctrl::EFindMatchCase;
    struct Row {
        const char* text;
        int options;
        int found;
        const char* selection;
        const char* caret;
    };
    const Row rows[] = {
        {"world", 0, 1, "0.6-10", "0.10+"},
        {"world", 0, 1, "0.13-17", "0.17+"},
        {"world", 0, 1, "1.10-14", "1.14+"},
        {"world", 0, 1, "1.16-20", "1.20+"},
        {"world", 0, 1, "0.6-10", "0.10+"},
        // Whole words: not inside "worldwide"; "World" before a line break,
        // "world" before a comma.
        {"world", word, 1, "1.10-14", "1.14+"},
        {"world", word, 1, "1.16-20", "1.20+"},
        {"world", word, 1, "0.6-10", "0.10+"},
        {"World", exact, 1, "1.10-14", "1.14+"},
        {"World", exact, 1, "1.10-14", "1.14+"},
        {"WORLD", exact, 0, "1.10-14", "1.14+"},
        {"wide", word, 0, "1.10-14", "1.14+"},
        {"hello", word | exact, 0, "1.10-14", "1.14+"},
        {"Hello", word | exact, 1, "0.0-4", "0.4+"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ctrl->Find(U(row.text).c_str(), row.options), row.found) << row.text;
        EXPECT_EQ(selection(), row.selection) << row.text;
        EXPECT_EQ(Caret(), row.caret) << row.text;
    }
    EXPECT_EQ(ctrl->Find(u"", 0), 0);
}

// A font height given as a character height (negative) still makes a
// caret of that many pixels, centred on the caret's line.
TEST_F(RichTextCtrl, TheCaretIsAsTallAsTheFontAndCentredOnItsLine)
{
    MakeCtrl();
    SetFocus(*ctrl);
    EXPECT_EQ(ctrl->CaretHeight(), 13);
    POINT at{};
    GetCaretPos(&at);
    EXPECT_EQ(at.x, 1);
    EXPECT_EQ(at.y, 1);
    Add({{"hello world"}});
    ctrl->MoveCaret(Move::EMoveLineDown, false);
    GetCaretPos(&at);
    EXPECT_EQ(Caret(), "0.6");
    EXPECT_EQ(at.x, 1);
    EXPECT_EQ(at.y, 11 + (10 - 13) / 2);
    SetFocus(parent);
    owner.textHeight = 20;
    SetFocus(*ctrl);
    EXPECT_EQ(ctrl->CaretHeight(), 20);
}

TEST_F(RichTextCtrl, ScrollsTheCaretIntoView)
{
    MakeCtrl();
    for (int i = 0; i < 20; ++i)
        Add({{"line"}});
    // Twenty paragraphs of 10 with gaps of 1, the bar taking some width.
    ctrl->MoveCaret(Move::EMoveTextEnd, false);
    const int page = ctrl->GetScrollPage();
    EXPECT_EQ(page, 100);
    const int height = ctrl->ActiveLayout()->GetHeight();
    EXPECT_EQ(height, 1 + 20 * 11);
    int top = 0;
    int bottom = 0;
    ctrl->ActiveView()->GetCaretLine(top, bottom);
    EXPECT_GE(top, 0);
    EXPECT_EQ(bottom, page);
    EXPECT_EQ(ctrl->GetScrollPos(), ctrl->ActiveView()->Rect().top);
    // Back up, the first line's top (below the margin) is the view's top.
    ctrl->MoveCaret(Move::EMoveTextStart, false);
    EXPECT_EQ(ctrl->GetScrollPos(), 1);
    ctrl->MoveCaret(Move::EMoveLineDown, false);
    EXPECT_EQ(ctrl->GetScrollPos(), 1);
}

TEST_F(RichTextCtrl, DraggingSelectsAcrossAndDraggingDownScrolls)
{
    MakeCtrl();
    Add({{"hello world"}});
    Add({{"ab\ncd"}});
    for (int i = 0; i < 20; ++i)
        Add({{"line"}});
    Platform::InjectPenDown(Screen(POINT{16, 6}));
    Platform::InjectPenMove(Screen(POINT{40, 6}));
    Platform::InjectPenMove(Screen(POINT{26, 30}));
    Platform::InjectPenUp(Screen(POINT{26, 30}));
    Platform::PumpMessages();
    std::unique_ptr<char16_t[]> selected(ctrl->GetSelectedText(false));
    ASSERT_TRUE(selected);
    EXPECT_EQ(std::u16string(selected.get()), u"ello world\r\n\r\nab");
    EXPECT_EQ(Caret(), "1.1+");

    // Upwards: the text follows the stylus.
    Platform::InjectPenDown(Screen(POINT{50, 90}));
    Platform::InjectPenMove(Screen(POINT{50, 80}));
    Platform::InjectPenMove(Screen(POINT{50, 40}));
    Platform::InjectPenUp(Screen(POINT{50, 40}));
    Platform::PumpMessages();
    EXPECT_EQ(ctrl->GetScrollPos(), 50);
    EXPECT_TRUE(ctrl->ActiveView()->HasSelection());
}

TEST_F(RichTextCtrl, AnAnimatedPictureIsRedrawnAlone)
{
    MakeCtrl();
    BlockPicture smile(20, 20, u":)", 0x0000FF);
    BlockPicture still(20, 20, u"8)", 0xFF0000);
    Add({{"ab"}, {nullptr, 0, &smile}, {nullptr, 0, &still}});
    for (int i = 0; i < 12; ++i)
        Add({{"line"}});
    BlockPicture below(20, 20, u";)", 0x00FF00);
    Add({{nullptr, 0, &below}});
    ctrl->RedrawNow(0);
    EXPECT_EQ(smile.draws, 1);
    EXPECT_EQ(still.draws, 1);

    // Its place: paragraph origin (1, 1), after "ab".
    HDC dc = GetDC(*ctrl);
    EXPECT_EQ(GetPixel(dc, 21 + 10, 1 + 10), 0x0000FFu);
    smile.colour = 0x00FFFF;
    ctrl->OnFrameChanged(0, &smile);
    ctrl->OnFrameChanged(13, &below);  // out of sight: nothing to do
    Platform::PumpMessages();
    EXPECT_EQ(smile.draws, 2);
    EXPECT_EQ(still.draws, 1);
    EXPECT_EQ(below.draws, 0);
    EXPECT_EQ(GetPixel(dc, 21 + 10, 1 + 10), 0x00FFFFu);

    // Selected, it shows on the selection background.
    ctrl->ActiveView()->SetSelection(TPosition{0, 0, 0}, TPosition{0, 3, 1});
    ctrl->OnFrameChanged(0, &smile);
    Platform::PumpMessages();
    EXPECT_EQ(smile.draws, 3);
    EXPECT_EQ(GetPixel(dc, 21, 1), 0x00C000u);
    EXPECT_EQ(GetPixel(dc, 21 + 10, 1 + 10), 0x00FFFFu);
    ReleaseDC(*ctrl, dc);
}

TEST_F(RichTextCtrl, ClearEmptiesTheDocumentAndBothLayouts)
{
    MakeCtrl();
    Add({{"hello world"}});
    Resize(202);
    Add({{"more"}});
    ctrl->MoveCaret(Move::EMoveTextEnd, false);
    ctrl->Clear();
    EXPECT_EQ(ctrl->ParaCount(), 0);
    EXPECT_EQ(ctrl->ActiveLayout()->LaidOutCount(), 0);
    EXPECT_EQ(Caret(), "0.0");
    Resize(102);
    EXPECT_EQ(ctrl->ActiveLayout()->LaidOutCount(), 0);
    Add({{"again"}});
    EXPECT_EQ(Take(ctrl->GetAllText(false)), "again");
    ctrl->MoveCaret(Move::EMoveRight, false);
    EXPECT_EQ(Caret(), "0.1");
}

} // namespace

namespace {

// Once replaced by its text, a picture is neither drawn nor kept in either
// layout: its owner may free it.
TEST_F(RichTextCtrl, APictureReplacedByItsTextIsGoneFromBothLayouts)
{
    MakeCtrl();
    auto smile = std::make_unique<BlockPicture>(20, 20, u":)");
    Add({{"ab"}, {nullptr, 0, smile.get()}, {"cd"}});
    Resize(202);
    ctrl->OnFrameChanged(0, smile.get());
    ctrl->ReplacePicture(0, smile.get(), u":-)", 3, 1);
    smile.reset();
    ctrl->RedrawNow(0);
    Platform::PumpMessages();
    EXPECT_EQ(Take(ctrl->GetAllText(false)), "ab:-)cd");
    Resize(102);
    ctrl->RedrawNow(0);
    for (const RTE::CYolWMRTE_ParaLayoutSlice* slice : ctrl->ActiveLayout()->Para(0)->Slices())
        EXPECT_FALSE(slice->IsPicture());
    EXPECT_EQ(Describe(*ctrl->ActiveLayout()->Para(0), *ctrl->Document()[0]), "'ab'@0,0,20,10 ':-)cd'@20,0,50,10");
}

} // namespace

namespace {

TEST_F(RichTextCtrl, HoldingTheStylusBelowTheTextSelectsAsItScrolls)
{
    MakeCtrl();
    Add({{"hello world"}});
    Add({{"ab\ncd"}});
    for (int i = 0; i < 20; ++i)
        Add({{"line"}});
    const int step = ctrl->GetScrollTic();
    EXPECT_EQ(step, 16);
    Platform::InjectPenDown(Screen(POINT{16, 6}));
    Platform::InjectPenMove(Screen(POINT{40, 6}));
    Platform::InjectPenMove(Screen(POINT{40, 150}));
    Platform::PumpMessages();
    EXPECT_EQ(ctrl->GetScrollPos(), 0);
    clock.Advance(CYolWMRTE_Ctrl::kAutoScrollPeriod);
    Platform::PumpMessages();
    EXPECT_EQ(ctrl->GetScrollPos(), step);
    // Selected from the tap to the bottom edge: layout y 16 + 99 is in
    // paragraph 8 ("line" at 109..119), x 40 on its last character.
    EXPECT_EQ(Caret(), "8.3");
    EXPECT_EQ(ctrl->ActiveView()->SelectionStart().ch, 1);

    for (int i = 0; i < 20; ++i) {
        clock.Advance(CYolWMRTE_Ctrl::kAutoScrollPeriod);
        Platform::PumpMessages();
    }
    const int end = ctrl->ActiveLayout()->GetHeight() - 100;
    EXPECT_EQ(ctrl->GetScrollPos(), end);
    EXPECT_EQ(Caret(), "21.3+");

    // Above the window it turns round; lifting the stylus stops it.
    Platform::InjectPenMove(Screen(POINT{40, -20}));
    Platform::PumpMessages();
    clock.Advance(CYolWMRTE_Ctrl::kAutoScrollPeriod);
    Platform::PumpMessages();
    EXPECT_EQ(ctrl->GetScrollPos(), end - step);
    // Lifted, the caret's whole line comes into view, and no more scrolling.
    Platform::InjectPenUp(Screen(POINT{40, -20}));
    Platform::PumpMessages();
    int top = 0;
    int bottom = 0;
    ctrl->ActiveView()->GetCaretLine(top, bottom);
    EXPECT_EQ(top, 0);
    const int lifted = ctrl->GetScrollPos();
    EXPECT_LE(lifted, end - step);
    clock.Advance(4 * CYolWMRTE_Ctrl::kAutoScrollPeriod);
    Platform::PumpMessages();
    EXPECT_EQ(ctrl->GetScrollPos(), lifted);
    EXPECT_TRUE(ctrl->ActiveView()->HasSelection());
}

class MenuCtrl final : public CYolWMRTE_Ctrl {
public:
    using CYolWMRTE_Ctrl::CYolWMRTE_Ctrl;
    void OnContextMenu(POINT point) override { menus.push_back(point); }
    std::vector<POINT> menus;
};

TEST_F(RichTextCtrl, HoldingTheStylusStillAsksForTheContextMenu)
{
    auto menu = std::make_unique<MenuCtrl>(&owner, &measurer);
    menu->Create(nullptr, parent, WS_VISIBLE, RECT{0, 0, 102 + frame, 100 + frame});
    std::unique_ptr<RTE::CYolWMRTE_Para> built(MakePara({{"hello world"}}));
    menu->AddParagraph(built->Text(), built->Formats());
    menu->OnParagraphsAdded(1);
    POINT at{30, 5};
    ClientToScreen(*menu, &at);
    Platform::InjectPenDown(at);
    clock.Advance(Platform::TapAndHoldDelay);
    Platform::InjectPenUp(at);
    Platform::PumpMessages();
    ASSERT_EQ(menu->menus.size(), 1u);
    EXPECT_EQ(menu->menus[0].x, 30);
    EXPECT_EQ(menu->menus[0].y, 5);
    EXPECT_EQ(GetCapture(), nullptr);
    // The hold was no tap: the caret stays.
    EXPECT_EQ(menu->ActiveView()->Caret(), TPosition{});
    ctrl = std::move(menu);
}

} // namespace
