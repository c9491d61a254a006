// The logical font record, font heights, face mapping, stock fonts and the
// family list.

#include "GdiTestSupport.h"

#include <cstring>
#include <limits>
#include <string>
#include <vector>

using namespace GdiTest;

// What the sanitizers are told about the font libraries, for every test of
// this program that draws text.
//
// fontconfig keeps its configuration for the life of the process and frees it
// only if asked to at the very end, which nothing in a test program can do
// safely: the leak checker is told not to count it.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

// The font and drawing libraries are not built for the race checker, so it
// sees their memory only through the C library calls they make, and none of
// their locking: Pango loads fontconfig and matches fonts on threads of its
// own ("[pango] FcInit", "[pango] FcFontSetMatch") and waits for them with
// glib's locks, shares one harfbuzz shaping buffer under a glib lock, and
// cairo recycles its pattern objects through lock-free pools. Every report
// from those is the library's own memory touched on both sides of a lock the
// checker cannot see; the patterns name those libraries, and races in our
// objects still show.
extern "C" __attribute__((visibility("default"))) const char* __tsan_default_suppressions() {
    return "race:libfontconfig.so\n"
           "race:libglib-2.0.so\n"
           "race:libharfbuzz.so\n"
           "race:libcairo.so\n";
}

namespace {

class GdiFont : public GdiFixture {};

LOGFONTW Record(const char16_t* face, int height, int weight = FW_NORMAL) {
    LOGFONTW logFont;
    logFont.lfHeight = height;
    logFont.lfWeight = weight;
    logFont.lfCharSet = DEFAULT_CHARSET;
    for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i)
        logFont.lfFaceName[i] = face[i];
    return logFont;
}

TEXTMETRICW MetricsOf(const LOGFONTW& logFont) {
    Canvas canvas(4, 4);
    HFONT font = CreateFontIndirect(&logFont);
    HGDIOBJ previous = SelectObject(canvas.dc, font);
    TEXTMETRICW metrics;
    EXPECT_TRUE(GetTextMetrics(canvas.dc, &metrics));
    SelectObject(canvas.dc, previous);
    DeleteObject(font);
    return metrics;
}

int WidthOf(const LOGFONTW& logFont, const char16_t* text) {
    Canvas canvas(4, 4);
    HFONT font = CreateFontIndirect(&logFont);
    HGDIOBJ previous = SelectObject(canvas.dc, font);
    SIZE size;
    EXPECT_TRUE(GetTextExtentPoint32(canvas.dc, text, -1, &size));
    SelectObject(canvas.dc, previous);
    DeleteObject(font);
    return size.cx;
}

TEST_F(GdiFont, RecordIsTheStored92ByteLayout) {
    // "Tahoma", height 14, weight 700, italic, character set 1, as stored.
    const unsigned char stored[92] = {
        0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0xBC, 0x02, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x54, 0x00, 0x61, 0x00,
        0x68, 0x00, 0x6F, 0x00, 0x6D, 0x00, 0x61, 0x00,
    };
    static_assert(sizeof(LOGFONTW) == 92);
    LOGFONTW logFont;
    std::memcpy(&logFont, stored, sizeof logFont);
    EXPECT_EQ(logFont.lfHeight, 14);
    EXPECT_EQ(logFont.lfWeight, 700);
    EXPECT_EQ(logFont.lfItalic, 1);
    EXPECT_EQ(logFont.lfUnderline, 0);
    EXPECT_EQ(logFont.lfCharSet, 1);
    EXPECT_EQ(std::u16string(logFont.lfFaceName), u"Tahoma");

    // Written back, the bytes are the same.
    const LOGFONTW made = Record(u"Tahoma", 14, 700);
    LOGFONTW italic = made;
    italic.lfItalic = 1;
    EXPECT_EQ(std::memcmp(&italic, stored, sizeof stored), 0);
}

TEST_F(GdiFont, NegativeHeightIsTheCharacterHeight) {
    for (int height : {-8, -11, -12, -14, -24, -28}) {
        const TEXTMETRICW metrics = MetricsOf(Record(u"Tahoma", height));
        EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, -height) << height;
        EXPECT_GT(metrics.tmHeight, -height) << height;
        EXPECT_EQ(metrics.tmHeight, metrics.tmAscent + metrics.tmDescent) << height;
    }
}

TEST_F(GdiFont, PositiveHeightIsTheCellHeight) {
    for (int height : {8, 9, 10, 11, 12, 13, 14, 16, 20, 24, 28, 36}) {
        const TEXTMETRICW metrics = MetricsOf(Record(u"Tahoma", height));
        EXPECT_EQ(metrics.tmHeight, height) << height;
        EXPECT_GT(metrics.tmInternalLeading, 0) << height;
    }
}

TEST_F(GdiFont, HeightsFromDamagedRecordsAreBounded) {
    for (int height : {std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), -100000}) {
        const TEXTMETRICW metrics = MetricsOf(Record(u"Tahoma", height));
        EXPECT_GT(metrics.tmHeight, 0) << height;
        EXPECT_LE(metrics.tmHeight, 2 * 1024) << height;
    }
}

TEST_F(GdiFont, WeightItalicAndUnderlineReachTheFont) {
    const LOGFONTW regular = Record(u"Tahoma", -14);
    LOGFONTW bold = regular;
    bold.lfWeight = FW_BOLD;
    LOGFONTW decorated = regular;
    decorated.lfItalic = 1;
    decorated.lfUnderline = 1;
    decorated.lfStrikeOut = 1;
    EXPECT_GT(WidthOf(bold, u"Weight of the words"), WidthOf(regular, u"Weight of the words"));
    EXPECT_EQ(MetricsOf(bold).tmWeight, FW_BOLD);
    EXPECT_EQ(MetricsOf(regular).tmWeight, FW_NORMAL);
    const TEXTMETRICW metrics = MetricsOf(decorated);
    EXPECT_EQ(metrics.tmItalic, 1);
    EXPECT_EQ(metrics.tmUnderlined, 1);
    EXPECT_EQ(metrics.tmStruckOut, 1);
    // Weight 0 means normal.
    EXPECT_EQ(MetricsOf(Record(u"Tahoma", -14, 0)).tmWeight, FW_NORMAL);

    // The underline is drawn: pixels below the baseline under letters that
    // have none of their own.
    auto inkBelowBaseline = [](const LOGFONTW& logFont) {
        Canvas canvas(60, 30);
        HFONT font = CreateFontIndirect(&logFont);
        HGDIOBJ previous = SelectObject(canvas.dc, font);
        SetBkMode(canvas.dc, TRANSPARENT);
        TEXTMETRICW tm;
        GetTextMetrics(canvas.dc, &tm);
        RECT rect{0, 0, 60, 30};
        DrawText(canvas.dc, u"mmm", -1, &rect, DT_NOPREFIX);
        int ink = 0;
        for (int y = tm.tmAscent; y < tm.tmHeight; ++y)
            for (int x = 0; x < 20; ++x)
                ink += canvas.Pixel(x, y) != RGB(255, 255, 255);
        SelectObject(canvas.dc, previous);
        DeleteObject(font);
        return ink;
    };
    LOGFONTW underlined = regular;
    underlined.lfUnderline = 1;
    EXPECT_EQ(inkBelowBaseline(regular), 0);
    EXPECT_GT(inkBelowBaseline(underlined), 5);
}

TEST_F(GdiFont, HandheldFacesAreDrawnWithDejaVu) {
    struct Case {
        const char16_t* face;
        const char* family;
    } cases[] = {
        {u"Tahoma", "DejaVu Sans"},        {u"MS Sans Serif", "DejaVu Sans"}, {u"ms shell dlg", "DejaVu Sans"},
        {u"", "DejaVu Sans"},              {u"Courier New", "DejaVu Sans Mono"}, {u"Times New Roman", "DejaVu Serif"},
        {u"DejaVu Serif", "DejaVu Serif,DejaVu Sans"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Platform::FontFamilyForFace(c.face), c.family);
    EXPECT_EQ(WidthOf(Record(u"Tahoma", -14), u"Same glyphs"), WidthOf(Record(u"DejaVu Sans", -14), u"Same glyphs"));
    EXPECT_NE(WidthOf(Record(u"Courier New", -14), u"iiiiiiii"), WidthOf(Record(u"Tahoma", -14), u"iiiiiiii"));
}

TEST_F(GdiFont, FaceNameWithoutTerminatorStopsAtItsField) {
    LOGFONTW logFont = Record(u"", -12);
    for (char16_t& unit : logFont.lfFaceName)
        unit = u'x';
    EXPECT_EQ(Platform::FontFamilyForFace(logFont.lfFaceName), std::string(32, 'x') + ",DejaVu Sans");
    HFONT font = CreateFontIndirect(&logFont);
    ASSERT_NE(font, nullptr);
    LOGFONTW back;
    EXPECT_EQ(GetObject(font, sizeof back, &back), 92);
    EXPECT_EQ(std::memcmp(&back, &logFont, 92), 0);
    EXPECT_EQ(GetObject(font, 91, &back), 0);
    DeleteObject(font);
}

TEST_F(GdiFont, StockFontsGrowWithTheResolution) {
    TEXTMETRICW at96;
    TEXTMETRICW at192;
    {
        Canvas canvas(4, 4);
        GetTextMetrics(canvas.dc, &at96);
    }
    Platform::SetScreenDpi(192, 192);
    {
        Canvas canvas(4, 4);
        EXPECT_EQ(SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT)), GetStockObject(SYSTEM_FONT));
        GetTextMetrics(canvas.dc, &at192);
    }
    EXPECT_EQ(at96.tmHeight - at96.tmInternalLeading, 12);
    EXPECT_EQ(at192.tmHeight - at192.tmInternalLeading, 24);
    EXPECT_TRUE(DeleteObject(GetStockObject(SYSTEM_FONT)));
}

int CollectFamily(const LOGFONTW* logFont, LPARAM param) {
    reinterpret_cast<std::vector<std::u16string>*>(param)->push_back(logFont->lfFaceName);
    return 1;
}

int StopAtOnce(const LOGFONTW*, LPARAM param) {
    ++*reinterpret_cast<int*>(param);
    return 0;
}

TEST_F(GdiFont, FamilyListHoldsDejaVuAndTheHandheldFaces) {
    std::vector<std::u16string> names;
    EXPECT_EQ(EnumFontFamilies(nullptr, nullptr, CollectFamily, reinterpret_cast<LPARAM>(&names)), 1);
    EXPECT_NE(std::find(names.begin(), names.end(), u"DejaVu Sans"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), u"Tahoma"), names.end());
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));

    std::vector<std::u16string> one;
    EnumFontFamilies(nullptr, u"tahoma", CollectFamily, reinterpret_cast<LPARAM>(&one));
    EXPECT_EQ(one, std::vector<std::u16string>{u"Tahoma"});

    int calls = 0;
    EXPECT_EQ(EnumFontFamilies(nullptr, nullptr, StopAtOnce, reinterpret_cast<LPARAM>(&calls)), 0);
    EXPECT_EQ(calls, 1);
}

} // namespace
