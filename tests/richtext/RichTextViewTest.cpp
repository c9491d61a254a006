// The view: caret moves as tables of key presses over a document laid out
// in fixed-width fonts, the selection that moves with Shift extend, and
// painting of a selection across paragraphs with a picture inside it.

#include "CYolWMRTE_TextView.h"
#include "RichTextTestSupport.h"
#include "WindowTestSupport.h"

#include <gtest/gtest.h>

using namespace richtext_test;
using RTE::CYolWMRTE_TextView;
using RTE::TPosition;
using Move = RTE::CYolWMRTE_TextView::TMove;

namespace {

class RecordingViewObserver final : public CYolWMRTE_TextView::MObserver {
public:
    void GetPartFont(RTE::TPartFont& part, int kind) override
    {
        part.font = kind == 2 ? bold : font;
        part.color = kind == RTE::kLinkKind ? 0xFF0000 : 0x000000;
    }
    void GetColors(COLORREF& text, COLORREF& background) override
    {
        text = 0xFFFFFF;
        background = 0x00C000;
    }
    void LeaveView(bool backward) override { left.push_back(backward ? "back" : "fwd"); }
    void Invalidate() override { ++invalidates; }

    HFONT font = nullptr;
    HFONT bold = nullptr;
    std::vector<std::string> left;
    int invalidates = 0;
};

std::string Show(const TPosition& p)
{
    return std::to_string(p.para) + "." + std::to_string(p.ch) + (p.after ? "+" : "");
}

// Paragraphs: "hello world" (lines "hello " and "world"), "ab|cd" (lines
// "ab" and "cd"), "xyz"; 10 x 10 characters, 100 pixels a line.
class RichTextView : public ui_test::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        Platform::SetScreen(480, 640, 96, 96);
        doc.Add({{"hello world"}});
        doc.Add({{"ab\ncd"}});
        doc.Add({{"xyz"}});
        layout = std::make_unique<RTE::CYolWMRTE_TextLayout>(&doc.paras, 102, &fonts, &fonts);
        layout->LayoutAll();
        view = std::make_unique<CYolWMRTE_TextView>(&doc.paras, layout.get(), &observer, RECT{0, 0, 102, 300});
    }

    // The caret after each move, or where the view was left.
    std::string Press(TPosition from, const std::vector<int>& moves, bool extend = false)
    {
        view->SetCaret(from);
        std::string out;
        for (int move : moves) {
            observer.left.clear();
            view->MoveCaret(move, extend);
            if (!out.empty())
                out += " ";
            out += observer.left.empty() ? Show(view->Caret()) : "leave-" + observer.left.back();
        }
        return out;
    }

    std::string Selection() const
    {
        if (!view->HasSelection())
            return "none";
        return Show(view->SelectionStart()) + "-" + Show(TPosition{view->SelectionEnd().para, view->SelectionEnd().ch, 0});
    }

    FixedFonts fonts;
    Document doc;
    RecordingViewObserver observer;
    std::unique_ptr<RTE::CYolWMRTE_TextLayout> layout;
    std::unique_ptr<CYolWMRTE_TextView> view;
};

TEST_F(RichTextView, CaretMovesByKeyPresses)
{
    const int R = Move::EMoveRight;
    const int L = Move::EMoveLeft;
    const int U = Move::EMoveLineUp;
    const int D = Move::EMoveLineDown;
    struct Row {
        const char* name;
        TPosition from;
        std::vector<int> moves;
        const char* expected;
    };
    const Row rows[] = {
        {"right through a wrapped line", {0, 4, 0}, {R, R, R, R}, "0.5 0.5+ 0.6 0.7"},
        {"right to the next paragraph", {0, 9, 0}, {R, R, R, R}, "0.10 0.10+ 1.0 1.1"},
        {"right steps over a line separator", {1, 1, 0}, {R, R, R, R, R}, "1.1+ 1.3 1.4 1.4+ 2.0"},
        {"right at the very end leaves", {2, 1, 0}, {R, R, R, R}, "2.2 2.2+ leave-fwd leave-fwd"},
        {"left back across a separator", {1, 4, 0}, {L, L, L, L, L}, "1.3 1.1+ 1.1 1.0 0.10+"},
        {"left across a wrapped line", {0, 7, 0}, {L, L, L, L}, "0.6 0.5+ 0.5 0.4"},
        {"left at the very start leaves", {0, 1, 0}, {L, L}, "0.0 leave-back"},
        {"down keeps to the text until its end", {0, 2, 0}, {D, D, D, D, D, D}, "0.8 1.1+ 1.4+ 2.2 2.2+ leave-fwd"},
        {"up to the start, then out", {2, 2, 1}, {U, U, U, U, U, U}, "1.4+ 1.1+ 0.8 0.2 0.0 leave-back"},
        {"line start and end", {0, 8, 0}, {Move::EMoveLineStart, Move::EMoveLineEnd}, "0.6 0.10+"},
        {"paragraph start and end", {1, 1, 0}, {Move::EMoveParaEnd, Move::EMoveParaStart}, "1.4+ 1.0"},
        {"previous paragraph", {1, 3, 0}, {Move::EMovePrevPara, Move::EMovePrevPara, Move::EMovePrevPara},
         "1.0 0.0 leave-back"},
        {"next paragraph", {1, 3, 0}, {Move::EMoveNextPara, Move::EMoveNextPara, Move::EMoveNextPara},
         "2.0 2.2+ leave-fwd"},
        {"text start and end", {1, 3, 0}, {Move::EMoveTextEnd, Move::EMoveTextStart}, "2.2+ 0.0"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Press(row.from, row.moves), row.expected) << row.name;
}

TEST_F(RichTextView, ParagraphEndStopsBeforeATrailingSeparatorAndEmptyLinesAreStops)
{
    doc.Add({{"ab\n\ncd\n"}});
    layout->LayoutAll();
    EXPECT_EQ(Press({3, 0, 0}, {Move::EMoveParaEnd}), "3.6");
    // "ab", an empty line at the second separator, "cd".
    EXPECT_EQ(Press({3, 0, 0}, {Move::EMoveRight, Move::EMoveRight, Move::EMoveRight, Move::EMoveRight}),
              "3.1 3.1+ 3.3 3.4");
    EXPECT_EQ(Press({3, 4, 0}, {Move::EMoveLeft, Move::EMoveLeft, Move::EMoveLeft}), "3.3 3.1+ 3.1");
    const RTE::TCaretPoint empty = layout->PositionToPoint(TPosition{3, 3, 0});
    EXPECT_EQ(empty.x, 1);
    EXPECT_EQ(empty.y, layout->Para(3)->Y() + 10);
}

TEST_F(RichTextView, ShiftedMovesGrowAndShrinkTheSelection)
{
    const int R = Move::EMoveRight;
    const int L = Move::EMoveLeft;
    struct Row {
        const char* name;
        TPosition from;
        std::vector<int> moves;
        const char* selection;
    };
    const Row rows[] = {
        {"right selects what it passes", {0, 0, 0}, {R, R, R}, "0.0-0.2"},
        {"left takes back the last", {0, 0, 0}, {R, R, R, L}, "0.0-0.1"},
        {"left all the way back removes it", {0, 0, 0}, {R, L}, "none"},
        {"left selects backwards, right shrinks from the start", {0, 3, 0}, {L, L, L, R}, "0.1-0.2"},
        {"the after flag counts as passing the character", {0, 9, 0}, {R, R}, "0.9-0.10"},
        {"into the next paragraph", {0, 9, 0}, {R, R, R, R}, "0.9-1.0"},
        {"to the line end", {0, 2, 0}, {Move::EMoveLineEnd}, "0.2-0.5"},
        {"down a line", {0, 2, 0}, {Move::EMoveLineDown}, "0.2-0.7"},
        {"to the text end", {1, 4, 0}, {Move::EMoveTextEnd}, "1.4-2.2"},
    };
    for (const Row& row : rows) {
        view->ClearSelection();
        Press(row.from, row.moves, true);
        EXPECT_EQ(Selection(), row.selection) << row.name;
    }
    const int before = observer.invalidates;
    view->MoveCaret(Move::EMoveLeft, false);
    EXPECT_EQ(Selection(), "none");
    EXPECT_EQ(observer.invalidates, before + 1);
}

TEST_F(RichTextView, SelectsBetweenTwoPointsInEitherOrder)
{
    view->SelectRange(POINT{26, 6}, POINT{30, 16}, true);
    EXPECT_EQ(Selection(), "0.2-0.7");
    EXPECT_EQ(Show(view->Caret()), "0.8");
    view->SelectRange(POINT{30, 16}, POINT{26, 6}, true);
    EXPECT_EQ(Selection(), "0.2-0.7");
    EXPECT_EQ(Show(view->Caret()), "0.2");
    // From past the end of "hello " to past the end of "xyz".
    view->SelectRange(POINT{95, 6}, POINT{95, 50}, false);
    EXPECT_EQ(Selection(), "0.6-2.2");
    view->SelectRange(POINT{26, 6}, POINT{27, 6}, true);
    EXPECT_EQ(Selection(), "none");
}

TEST_F(RichTextView, ScrollsAndKeepsTheBottomWhenAsked)
{
    EXPECT_EQ(layout->GetHeight(), 54);
    view->SetTop(20);
    EXPECT_EQ(view->GetCaretPoint().y, 1 - 20);
    view->SetHeight(30, true);
    EXPECT_EQ(view->Rect().top, 290);
    EXPECT_EQ(view->Rect().bottom, 320);
    view->SetRect(RECT{0, 10, 102, 40});
    view->SetHeight(60, true);
    EXPECT_EQ(view->Rect().top, 10);
    EXPECT_EQ(view->Rect().bottom, 70);
    view->SetRect(RECT{0, 10, 102, 40});
    view->SetHeight(20, true);
    EXPECT_EQ(view->Rect().top, 20);
    view->Reset();
    EXPECT_EQ(view->Rect().top, 0);
    EXPECT_EQ(view->Rect().bottom, 20);
}

// Real fonts on a white bitmap: a selection from the middle of one
// paragraph to the middle of the next paints both parts on the selection
// background, and a picture inside it too.
TEST_F(RichTextView, PaintsASelectionAcrossParagraphsWithAPictureInIt)
{
    LOGFONTW logFont;
    logFont.lfHeight = -13;
    observer.font = CreateFontIndirect(&logFont);
    struct Fonts final : RTE::CYolWMRTE_TextLayout::MObserver {
        HFONT font;
        void GetPartFont(HFONT& out, int) override { out = font; }
    } fontSource;
    fontSource.font = observer.font;
    BlockPicture smile(16, 30, u":)", 0xFF0000);
    Document real;
    real.Add({{"first paragraph "}, {nullptr, 0, &smile}, {" tail"}});
    real.Add({{"second paragraph"}});
    RTE::CYolWMRTE_TextLayout realLayout(&real.paras, 300, &fontSource);
    realLayout.LayoutAll();
    CYolWMRTE_TextView realView(&real.paras, &realLayout, &observer, RECT{0, 0, 300, 200});
    realView.SetSelection(TPosition{0, 6, 0}, TPosition{1, 5, 1});

    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 300, 200);
    SelectObject(dc, bitmap);
    RECT all{0, 0, 300, 200};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    realView.Paint(dc);

    auto count = [dc](const RTE::CYolWMRTE_ParaLayout& para, int from, int to, COLORREF colour) {
        const RTE::CYolWMRTE_ParaLayoutSlice& slice = *para.Slices()[0];
        int n = 0;
        for (int x = para.X() + slice.x + from; x < para.X() + slice.x + to; ++x)
            for (int y = para.Y() + slice.y; y < para.Y() + slice.y + slice.height; ++y)
                n += GetPixel(dc, x, y) == colour ? 1 : 0;
        return n;
    };
    const RTE::CYolWMRTE_ParaLayout& first = *realLayout.Para(0);
    const RTE::CYolWMRTE_ParaLayout& second = *realLayout.Para(1);
    const int firstWidth = first.Slices()[0]->width;
    // "first " is unselected, "paragraph " selected; in the second
    // paragraph "second" is selected and the rest is not.
    EXPECT_EQ(count(first, 0, 20, 0x00C000), 0);
    EXPECT_GT(count(first, firstWidth - 20, firstWidth, 0x00C000), 20 * 10);
    EXPECT_GT(count(second, 0, 20, 0x00C000), 20 * 10);
    EXPECT_EQ(count(second, second.Slices()[0]->width - 20, second.Slices()[0]->width, 0x00C000), 0);
    // The picture: its own colour inside, the selection around it.
    const RTE::CYolWMRTE_ParaLayoutSlice& picture = *first.Slices()[1];
    ASSERT_TRUE(picture.IsPicture());
    const int px = first.X() + picture.x;
    const int py = first.Y() + picture.y;
    EXPECT_EQ(GetPixel(dc, px + 8, py + 15), 0xFF0000u);
    EXPECT_EQ(GetPixel(dc, px, py), 0x00C000u);
    EXPECT_EQ(smile.draws, 1);
    // Text is drawn on white outside the selection; inside it, white
    // appears only as the selected text colour.
    const int area = 20 * first.Slices()[0]->height;
    EXPECT_LT(count(first, 0, 20, 0xFFFFFF), area);
    EXPECT_GT(count(second, 0, 20, 0xFFFFFF), 0);

    DeleteDC(dc);
    DeleteObject(bitmap);
    DeleteObject(observer.font);
}

} // namespace
