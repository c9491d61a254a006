// The smiley set: the definition file's lines paired with the pack's GIF
// files, the loader thread and its notice, and how a smiley's frames are
// stacked and drawn.

#include "GifTestSupport.h"
#include "TestSupport.h"

#include "CYolWMSmile_Set.h"
#include "YolWMSmile_Define.h"

#include "CYolEvent.h"
#include "CYolPath.h"
#include "Shell/ShellScreen.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

using gif_test::FrameSpec;
using gif_test::GifSpec;

std::vector<std::string> Utf8(const CYolArray<CYolString>& codes) {
    std::vector<std::string> out;
    for (const CYolString& c : codes)
        out.push_back(c.ToUtf8());
    return out;
}

std::vector<std::vector<std::string>> Parse(const std::string& text, int gifs) {
    std::vector<std::vector<std::string>> out;
    for (const auto& line : Smile::ParseSmileDefine(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), gifs))
        out.push_back(Utf8(line));
    return out;
}

TEST(SmileDefine, LinesAndCodes) {
    using L = std::vector<std::vector<std::string>>;
    struct Case {
        const char* name;
        std::string text;
        int gifs;
        L lines;
    };
    const Case cases[] = {
        {"empty codes are dropped", "a,b,,c\r\n", 5, {{"a", "b", "c"}}},
        {"blank lines use no GIF", "a\r\n\r\n,\r\nb\n", 5, {{"a"}, {"b"}}},
        {"more lines than GIF files", "a\nb\nc\n", 2, {{"a"}, {"b"}}},
        {"the last line needs no break", "a\nb,c", 5, {{"a"}, {"b", "c"}}},
        {"a long code keeps its first 19 bytes", "0123456789abcdefghijKLMN,x\n", 5,
         {{"0123456789abcdefghi", "x"}}},
        {"a 0 byte ends the file", std::string("a\nb\0c\n", 6), 5, {{"a"}, {"b"}}},
        {"Windows-1251 codes", "\xc0\xc1\n", 5, {{"\xd0\x90\xd0\x91"}}},
        {"no GIF files", "a\n", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Parse(c.text, c.gifs), c.lines);
    }
}

// Tells the test when the set has loaded.
class LoadWatch : public UI::MYolWMSmile_LoadCompleteObserver {
public:
    void OnSmileLoadComplete(Smile::CYolWMSmile_Set* set) override {
        got = set;
        ++calls;
        done.Set();
    }
    CYolEvent done;
    std::atomic<Smile::CYolWMSmile_Set*> got{nullptr};
    std::atomic<int> calls{0};
};

gif_test::Bytes SolidGif(int w, int h, std::vector<FrameSpec> frames = {}) {
    GifSpec spec;
    spec.width = w;
    spec.height = h;
    spec.globalPalette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    if (frames.empty()) {
        FrameSpec f;
        f.width = w;
        f.height = h;
        f.pixels.assign(static_cast<std::size_t>(w * h), 1);
        frames.push_back(f);
    }
    spec.frames = frames;
    return gif_test::BuildGif(spec);
}

class SmileSet : public TempFolderTest {
protected:
    void SetUp() override { CYolPath::SetAppDir(CYolString::FromUtf8(folder)); }
    void TearDown() override { CYolPath::SetAppDir(CYolString()); }

    void Gif(const std::string& name, const gif_test::Bytes& bytes, const std::string& pack = "p") {
        Put("Smilies/" + pack + "/" + name, bytes);
    }
    // Loads and waits for the notice, or for the loader's end when none comes.
    std::unique_ptr<Smile::CYolWMSmile_Set> Load(const std::string& pack = "p") {
        auto set = std::make_unique<Smile::CYolWMSmile_Set>(CYolString::FromUtf8(pack), &watch);
        EXPECT_TRUE(set->WaitForLoader(CYolEvent::Infinite));
        return set;
    }

    LoadWatch watch;
};

TEST_F(SmileSet, PairsLinesWithGifFilesInNameOrder) {
    Gif("b.GIF", SolidGif(3, 2));
    Gif("a.gif", SolidGif(5, 4));
    Gif("c.png", SolidGif(1, 1));
    Put("Smilies/p/_define.ini", std::string(":-),:)\r\n\r\n;-)\r\nnever\r\n"));
    auto set = Load();
    ASSERT_TRUE(watch.done.Wait(0));
    EXPECT_EQ(watch.got.load(), set.get());
    EXPECT_EQ(watch.calls.load(), 1);
    ASSERT_TRUE(set->IsLoaded());
    ASSERT_EQ(set->Count(), 2);
    EXPECT_EQ(Utf8(set->Get(0)->Codes()), (std::vector<std::string>{":-)", ":)"}));
    EXPECT_EQ(CYolPath::ExtractFileNameFromPath(set->Get(0)->File()).ToUtf8(), "a.gif");
    EXPECT_EQ(Utf8(set->Get(1)->Codes()), (std::vector<std::string>{";-)"}));
    Smile::SetScaleSmile(false);
    SIZE size;
    set->Get(1)->GetSize(size);
    EXPECT_EQ(size.cx, 3);
    EXPECT_EQ(size.cy, 2);
    EXPECT_EQ(set->Get(2), nullptr);
}

TEST_F(SmileSet, AFailedLoadEndsLoadedAndEmptyWithoutANotice) {
    struct Case {
        const char* name;
        bool define;
        bool gif;
        std::string pack;
    };
    const Case cases[] = {
        {"no definition file", false, true, "p"},
        {"no GIF file", true, false, "p"},
        {"no such pack", true, true, "missing"},
        {"a pack name that climbs out", true, true, "../Smilies/p"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(folder + "/Smilies");
        if (c.gif)
            Gif("a.gif", SolidGif(2, 2));
        if (c.define)
            Put("Smilies/p/_define.ini", std::string("a\n"));
        auto set = Load(c.pack);
        EXPECT_FALSE(set->IsLoading());
        EXPECT_FALSE(set->IsLoaded());
        EXPECT_EQ(set->Count(), 0);
        EXPECT_EQ(watch.calls.load(), 0);
    }
}

TEST_F(SmileSet, PackAndFileNamesForgiveLetterCase) {
    Gif("a.gif", SolidGif(2, 2), "My Pack");
    Put("Smilies/My Pack/_DEFINE.INI", std::string("x\n"));
    auto set = Load("my pack");
    EXPECT_EQ(set->Count(), 1);
}

TEST_F(SmileSet, DestroyingTheSetWhileItLoadsStopsTheLoader) {
    std::string define;
    for (int i = 0; i < 200; ++i) {
        Gif("s" + std::to_string(1000 + i) + ".gif", SolidGif(40, 40));
        define += "c" + std::to_string(i) + "\n";
    }
    Put("Smilies/p/_define.ini", define);
    for (int round = 0; round < 3; ++round) {
        Smile::CYolWMSmile_Set set(CYolString(u"p"), &watch);
        EXPECT_EQ(set.Get(0), nullptr);
    }
    EXPECT_LE(watch.calls.load(), 3);
}

TEST_F(SmileSet, AnEmptySetHasNoLoader) {
    Smile::CYolWMSmile_Set set;
    EXPECT_FALSE(set.IsLoading());
    EXPECT_FALSE(set.IsLoaded());
    EXPECT_TRUE(set.WaitForLoader(0));
}

TEST_F(SmileSet, FrameBasesDelaysAndKeys) {
    // 0: disposal 3, 1: unspecified, 2: keep, 3: restore previous, 4: clear, 5.
    const int disposals[] = {3, 0, 1, 3, 2, 0};
    const int delays[] = {0, 10, 15, 20, 0, 3};
    std::vector<FrameSpec> frames;
    for (int i = 0; i < 6; ++i) {
        FrameSpec f;
        f.width = 2;
        f.height = 2;
        f.left = i % 2;
        f.pixels.assign(4, static_cast<std::uint8_t>(i % 4));
        f.control = true;
        f.disposal = disposals[i];
        f.delayCs = delays[i];
        f.transparent = i == 2 ? 0 : -1;
        frames.push_back(f);
    }
    Gif("a.gif", SolidGif(4, 2, frames));
    Put("Smilies/p/_define.ini", std::string("a"));
    auto set = Load();
    ASSERT_EQ(set->Count(), 1);
    const Smile::CYolWMSmile& s = *set->Get(0);
    ASSERT_EQ(s.FrameCount(), 6);
    // Disposal 3 on the first frame clears; 0 keeps; 3 later goes back two;
    // 2 clears.
    const int bases[] = {-1, -1, 1, 2, 2, -1};
    const int wantDelay[] = {150, 150, 150, 200, 150, 150};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(s.Frame(i).base, bases[i]);
        EXPECT_EQ(s.Frame(i).delay, wantDelay[i]);
        EXPECT_EQ(s.Frame(i).x, i % 2);
        EXPECT_NE(s.Frame(i).bitmap, nullptr);
    }
    EXPECT_EQ(s.Frame(1).transparent, CLR_INVALID);
    EXPECT_NE(s.Frame(2).transparent, CLR_INVALID);
}

// Draws frame n of the smiley on white at (1, 1) and reads the pixels back.
std::vector<COLORREF> Drawn(const Smile::CYolWMSmile& s, int n, int w, int h) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, w + 2, h + 2);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, w + 2, h + 2, WHITENESS);
    s.DrawFrame(n, dc, POINT{1, 1});
    std::vector<COLORREF> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.push_back(GetPixel(dc, x + 1, y + 1));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return out;
}

TEST_F(SmileSet, FramesDrawOverTheirBases) {
    // A red 3x1 strip, then a keep frame painting its middle green with the
    // ends transparent, then a first frame of disposal 3 under a blue one.
    FrameSpec red;
    red.width = 3;
    red.pixels = {1, 1, 1};
    red.control = true;
    red.disposal = 1;
    FrameSpec green = red;
    green.pixels = {0, 2, 0};
    green.transparent = 0;
    Gif("a.gif", SolidGif(3, 1, {red, green}));
    FrameSpec first = red;
    first.disposal = 3;
    FrameSpec blue = red;
    blue.width = 1;
    blue.left = 2;
    blue.pixels = {3};
    Gif("b.gif", SolidGif(3, 1, {first, blue}));
    Put("Smilies/p/_define.ini", std::string("a\nb\n"));
    auto set = Load();
    ASSERT_EQ(set->Count(), 2);
    Smile::SetScaleSmile(false);
    const COLORREF R = RGB(255, 0, 0), G = RGB(0, 255, 0), B = RGB(0, 0, 255), W = RGB(255, 255, 255);
    EXPECT_EQ(Drawn(*set->Get(0), 0, 3, 1), (std::vector<COLORREF>{R, R, R}));
    EXPECT_EQ(Drawn(*set->Get(0), 1, 3, 1), (std::vector<COLORREF>{R, G, R}));
    // The second frame alone: the first's disposal 3 has nothing to go back to.
    EXPECT_EQ(Drawn(*set->Get(1), 1, 3, 1), (std::vector<COLORREF>{W, W, B}));
    // A frame the smiley does not have draws nothing.
    EXPECT_EQ(Drawn(*set->Get(1), 7, 3, 1), (std::vector<COLORREF>{W, W, W}));

    // Scaled at 192 dpi every pixel doubles.
    Platform::SetScreen(480, 640, 192, 192);
    Smile::SetScaleSmile(true);
    SIZE size;
    set->Get(0)->GetSize(size);
    EXPECT_EQ(size.cx, 6);
    EXPECT_EQ(size.cy, 2);
    EXPECT_EQ(Drawn(*set->Get(0), 1, 6, 2),
              (std::vector<COLORREF>{R, R, G, G, R, R, R, R, G, G, R, R}));
    Smile::SetScaleSmile(false);
}

TEST_F(SmileSet, TheDefaultPackLoadsEveryLine) {
    CYolPath::SetAppDir(CYolString::FromUtf8(YOL_PROGRAM_FOLDER));
    auto set = Load("Yol PDA smilies");
    ASSERT_EQ(set->Count(), 18);
    EXPECT_EQ(set->Get(0)->Codes()[0].ToUtf8(), ":-)");
    EXPECT_EQ(set->Get(17)->Codes()[0].ToUtf8(), ":-@");
    int animated = 0;
    for (int i = 0; i < set->Count(); ++i) {
        EXPECT_GT(set->Get(i)->FrameCount(), 0) << i;
        animated += set->Get(i)->FrameCount() > 1 ? 1 : 0;
    }
    EXPECT_GE(animated, 15);
}

} // namespace
