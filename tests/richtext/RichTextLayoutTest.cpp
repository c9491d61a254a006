// Line breaking and geometry with fixed-width fonts, where every line
// table is known exactly (kind 1: 10 x 10 pixels a character), and with
// real fonts, whose widths must agree with the drawing layer's.

#include "RichTextTestSupport.h"
#include "WindowTestSupport.h"

#include <gtest/gtest.h>

using namespace richtext_test;
using RTE::CYolWMRTE_TextLayout;
using RTE::TPosition;

namespace {

// 96 dpi: one device pixel a logical one, so a layout 102 wide breaks at 100.
class RichTextLayout : public ui_test::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        Platform::SetScreen(480, 640, 96, 96);
        fonts.metrics[2] = FixedMetrics{10, 10};
        fonts.metrics[3] = FixedMetrics{10, 10};
        fonts.metrics[5] = FixedMetrics{150, 10};
        fonts.metrics[6] = FixedMetrics{5, 20};
        fonts.metrics[RTE::kLinkKind] = FixedMetrics{10, 10};
    }

    std::string LayOut(const std::vector<Piece>& pieces, int width = 102)
    {
        doc.Clear();
        doc.Add(pieces);
        layout = std::make_unique<CYolWMRTE_TextLayout>(&doc.paras, width, &fonts, &fonts);
        layout->LayoutAll();
        return Describe(*layout->Para(0), *doc.paras[0]);
    }

    FixedFonts fonts;
    Document doc;
    std::unique_ptr<CYolWMRTE_TextLayout> layout;
};

TEST_F(RichTextLayout, BreaksLinesExactlyAsTheRulesSay)
{
    BlockPicture tall(20, 30, u"T");
    BlockPicture wide(150, 10, u"W");
    BlockPicture small(30, 10, u"S");
    struct Row {
        const char* name;
        std::vector<Piece> pieces;
        const char* lines;
    };
    const Row rows[] = {
        {"one short line", {{"abc"}}, "'abc'@0,0,30,10"},
        {"breaks after the space", {{"hello world"}}, "'hello '@0,0,60,10 / 'world'@0,10,50,10"},
        {"a space that fills the line stays on it", {{"abcdefghi jk"}}, "'abcdefghi '@0,0,100,10 / 'jk'@0,10,20,10"},
        {"a separator first gives an empty line", {{"\nab"}}, "''@0,0,0,10 / 'ab'@0,10,20,10"},
        {"two separators give an empty line between",
         {{"ab\n\ncd"}},
         "'ab'@0,0,20,10 / ''@0,10,0,10 / 'cd'@0,20,20,10"},
        {"a long word at a line's start is cut", {{"abcdefghijklmn"}}, "'abcdefghij'@0,0,100,10 / 'klmn'@0,10,40,10"},
        {"the same word after text moves down first",
         {{"xy "}, {"abcdefghijklmn", 2}},
         "'xy '@0,0,30,10 / 'abcdefghij'@0,10,100,10 / 'klmn'@0,20,40,10"},
        {"digits break anywhere",
         {{"hi "}, {"abc12345678xyz", 3}},
         "'hi '@0,0,30,10 'abc1234'@30,0,70,10 / '5678xyz'@0,10,70,10"},
        {"a link breaks only where it must",
         {{"hi "}, {"abc12345678xyz", RTE::kLinkKind}},
         "'hi '@0,0,30,10 / 'abc1234567'@0,10,100,10 / '8xyz'@0,20,40,10"},
        {"a tall picture centres the text of its line",
         {{"ab"}, {nullptr, 0, &tall}, {"cd"}},
         "'ab'@0,10,20,10 '#'@20,0,20,30 'cd'@40,10,20,10"},
        {"fonts of two heights on one line", {{"ab"}, {"cd", 6}}, "'ab'@0,5,20,10 'cd'@20,0,10,20"},
        {"a picture that does not fit goes down",
         {{"abcdefgh"}, {nullptr, 0, &small}, {"x"}},
         "'abcdefgh'@0,0,80,10 / '#'@0,10,30,10 'x'@30,10,10,10"},
        {"a picture wider than the line stays at its start",
         {{nullptr, 0, &wide}, {"ab"}},
         "'#'@0,0,150,10 / 'ab'@0,10,20,10"},
        {"characters wider than the line, one a line", {{"ab", 5}}, "'a'@0,0,150,10 / 'b'@0,10,150,10"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(LayOut(row.pieces), row.lines);
    }
}

TEST_F(RichTextLayout, ParagraphsStackWithAGapAndReportTheirHeight)
{
    BlockPicture tall(20, 30, u"T");
    doc.Add({{"hello world"}});
    doc.Add({{"ab"}, {nullptr, 0, &tall}});
    doc.Add({{"x"}});
    CYolWMRTE_TextLayout layout(&doc.paras, 102, &fonts, &fonts);
    EXPECT_EQ(layout.GetHeight(), 0);
    layout.LayoutAll();
    ASSERT_EQ(layout.LaidOutCount(), 3);
    EXPECT_EQ(layout.Para(0)->X(), 1);
    EXPECT_EQ(layout.Para(0)->Y(), 1);
    EXPECT_EQ(layout.Para(0)->Height(), 20);
    EXPECT_EQ(layout.Para(1)->Y(), 22);
    EXPECT_EQ(layout.Para(2)->Y(), 53);
    EXPECT_EQ(layout.GetHeight(), 53 + 10 + 1);

    struct Visible {
        int top, bottom, first, last;
    };
    for (const Visible v : {Visible{0, 5, 0, 0}, Visible{15, 30, 0, 1}, Visible{21, 22, -1, -1},
                            Visible{60, 200, 2, 2}, Visible{70, 90, -1, -1}, Visible{0, 1000, 0, 2}}) {
        int first = 0;
        int last = 0;
        layout.GetVisibleParas(RECT{0, v.top, 100, v.bottom}, first, last);
        EXPECT_EQ(first, v.first) << v.top << ".." << v.bottom;
        EXPECT_EQ(last, v.last) << v.top << ".." << v.bottom;
    }
}

// Each run is measured once; what is not laid out again is not measured.
TEST_F(RichTextLayout, LaysOutOnlyWhatChanged)
{
    for (int i = 0; i < 3; ++i)
        doc.Add({{"hello world"}});
    CYolWMRTE_TextLayout layout(&doc.paras, 102, &fonts, &fonts);
    layout.LayoutAll();
    EXPECT_EQ(fonts.calls, 3);

    doc.Add({{"abc"}});
    layout.LayoutNew();
    EXPECT_EQ(fonts.calls, 4);
    EXPECT_EQ(layout.Para(3)->Y(), 64);

    // The last paragraph gains text: laid out again where it is.
    const std::u16string more = U(" and a good deal more");
    doc.paras[3]->AppendText(more.data(), static_cast<int>(more.size()), 2);
    layout.LayoutNew();
    EXPECT_EQ(fonts.calls, 6);
    EXPECT_EQ(layout.Para(3)->Y(), 64);
    EXPECT_EQ(layout.Para(3)->Height(), 30);

    // Paragraph 1 grows by a line: 2 and 3 move down without being measured.
    doc.paras[1]->AppendText(more.data(), static_cast<int>(more.size()), 2);
    layout.LayoutRange(1, 1);
    EXPECT_EQ(fonts.calls, 8);
    EXPECT_EQ(layout.Para(2)->Y(), 63);
    EXPECT_EQ(layout.Para(3)->Y(), 84);

    doc.Add({{"x"}});
    doc.Add({{"y"}});
    layout.LayoutTail(2);
    EXPECT_EQ(fonts.calls, 10);
    EXPECT_EQ(layout.LaidOutCount(), 6);
    layout.LayoutTail(10);
    EXPECT_EQ(layout.LaidOutCount(), 6);
    // Paragraphs 1 and 3 have two runs each.
    EXPECT_EQ(fonts.calls, 10 + 8);
}

TEST_F(RichTextLayout, MapsPositionsToPointsAndBack)
{
    BlockPicture smile(20, 30, u":)");
    LayOut({{"hello world"}, {nullptr, 0, &smile}});
    // Origin (1, 1); the second line holds "world" and the picture, 30 high.
    struct Row {
        TPosition position;
        int x, y, height;
    };
    const Row rows[] = {
        {{0, 0, 0}, 1, 1, 10},   {{0, 3, 0}, 31, 1, 10},  {{0, 5, 1}, 61, 1, 10},
        {{0, 6, 0}, 1, 21, 10},  {{0, 10, 1}, 51, 21, 10}, {{0, 11, 0}, 51, 11, 30},
        {{0, 11, 1}, 71, 11, 30},
    };
    for (const Row& row : rows) {
        const RTE::TCaretPoint p = layout->PositionToPoint(row.position);
        EXPECT_EQ(p.x, row.x) << row.position.ch << "/" << row.position.after;
        EXPECT_EQ(p.y, row.y) << row.position.ch << "/" << row.position.after;
        EXPECT_EQ(p.height, row.height) << row.position.ch << "/" << row.position.after;
    }
    struct Hit {
        POINT point;
        TPosition position;
    };
    const Hit hits[] = {
        {{26, 6}, {0, 2, 0}},  {{0, 6}, {0, 0, 0}},    {{90, 6}, {0, 5, 1}},   {{40, 0}, {0, 0, 0}},
        {{30, 30}, {0, 8, 0}}, {{60, 30}, {0, 11, 0}}, {{95, 30}, {0, 11, 1}}, {{30, 500}, {0, 11, 1}},
    };
    for (const Hit& hit : hits)
        EXPECT_EQ(layout->PointToPosition(hit.point), hit.position) << hit.point.x << "," << hit.point.y;

    int first = 0;
    int last = 0;
    layout->GetLineBounds(TPosition{0, 3, 0}, first, last);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 5);
    layout->GetLineBounds(TPosition{0, 7, 1}, first, last);
    EXPECT_EQ(first, 6);
    EXPECT_EQ(last, 11);
    const RTE::TLineRect line = layout->GetLineRect(TPosition{0, 8, 0});
    EXPECT_EQ(line.top, 11);
    EXPECT_EQ(line.bottom, 41);
}

// Real fonts: every slice is as wide as the drawing layer measures its
// text, no line is wider than the layout, and lines end after spaces.
TEST_F(RichTextLayout, SlicesAgreeWithTheFontsExtents)
{
    LOGFONTW logFont;
    logFont.lfHeight = -13;
    std::u16string face = u"Tahoma";
    face.copy(logFont.lfFaceName, face.size());
    HFONT font = CreateFontIndirect(&logFont);
    struct RealFont final : RTE::CYolWMRTE_TextLayout::MObserver {
        HFONT font;
        void GetPartFont(HFONT& out, int) override { out = font; }
    } observer;
    observer.font = font;

    const std::u16string text = u"Съешь же ещё этих мягких французских булок, да выпей чаю. "
                                u"The quick brown fox jumps over the lazy dog; Ζαφείρι δέξου πάγκαλο.";
    Document document;
    auto* para = new RTE::CYolWMRTE_Para(static_cast<int>(text.size()) + 10);
    para->AppendText(text.data(), static_cast<int>(text.size()), 1);
    document.paras.Add(para);
    CYolWMRTE_TextLayout real(&document.paras, 202, &observer);
    real.LayoutAll();

    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, font);
    const auto lines = real.Para(0)->GetLines();
    EXPECT_GT(lines.size(), 3u);
    int covered = 0;
    for (const auto& line : lines) {
        const RTE::CYolWMRTE_ParaLayoutSlice& slice = *real.Para(0)->Slices()[line.firstSlice];
        SIZE size{};
        GetTextExtentPoint32(dc, text.data() + slice.start, slice.length, &size);
        EXPECT_EQ(slice.width, size.cx);
        EXPECT_LE(slice.width, 200);
        EXPECT_EQ(slice.start, covered);
        covered += slice.length;
        if (covered < static_cast<int>(text.size())) {
            EXPECT_EQ(text[covered - 1], u' ') << covered;
        }
        TEXTMETRICW metrics;
        GetTextMetrics(dc, &metrics);
        EXPECT_EQ(slice.height, metrics.tmHeight);
    }
    EXPECT_EQ(covered, static_cast<int>(text.size()));
    DeleteDC(dc);
    DeleteObject(font);
}

} // namespace
