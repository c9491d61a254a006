// The message window against the rich-text control alone, in the same run,
// on the same text: opening a chat whose history holds 10,000 messages
// (until the first paint, and the heap the open chat holds) and appending
// 1,000 incoming messages to an open chat one by one, each laid out and
// scrolled into view, then painted. The chat adds its message formatting
// (icons, names, times, links and smiley pictures); the reference shows the
// same characters as one plain run per paragraph.

#include "CYolPath.h"
#include "CYolWMMW_Controller.h"
#include "CYolWMRTE_Ctrl.h"
#include "CYolWMSmile_Anim.h"
#include "CYolWMSmile_Set.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/WindowPaint.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>
#include <string>

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 640;

const char16_t* const kSamples[] = {
    u"Hello, are you coming to the meeting tomorrow at 10:30? Bring the slides :-)",
    u"Привет! Да, буду в 10:30, слайды уже готовы, отправлю ссылку чуть позже.",
    u"See http://example.org/some/rather/long/path/to/a/page.html for details ;-)",
    u"ok",
};

MW::TYolWMMWMsg Line(int i) {
    MW::TYolWMMWMsg line;
    line.direction = i % 2 == 0 ? MW::TYolWMMWMsg::EIncoming : MW::TYolWMMWMsg::EOutgoing;
    line.messageId = static_cast<unsigned int>(i);
    line.iconId = 27;
    line.name = i % 2 == 0 ? u"Bob" : u"I";
    line.time = u"(Fri Dec 11 10:30:00 2026)";
    line.text = kSamples[i % 4];
    return line;
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

class NullOwner final : public UI::MYolWMMW_Observer {
public:
    int OnSendMessage(MW::CYolWMMW_Controller*, unsigned int, const CYolString&) override { return 1; }
    int OnSendFile(MW::CYolWMMW_Controller*, unsigned int, const CYolString&) override { return 1; }
    int OnFillMenu(MW::CYolWMMW_Controller*, unsigned int, CYolMenuInfo*) override { return 1; }
    void GetSubContacts(MW::CYolWMMW_Controller*, unsigned int, CYolArray<unsigned int>&, CYolArray<CYolString>&,
                        CYolArray<CYolArray<unsigned int>>&) override {}
    void OnTabActivated(MW::CYolWMMW_Controller*, unsigned int) override {}
    void OnShowContactDetails(MW::CYolWMMW_Controller*, unsigned int) override {}
    int OnTypingNotify(MW::CYolWMMW_Controller*, unsigned int, int) override { return 1; }
    int OnTabSelected(MW::CYolWMMW_Controller*, unsigned int) override { return 1; }
    void OnTabClosedUnread(MW::CYolWMMW_Controller*, unsigned int, const CYolArray<MW::TYolWMMWMsg>&) override {}
};

// The rich-text control's owner: the chat's text font for everything.
class PlainOwner final : public RTE::CYolWMRTE_Ctrl::MRTEObserver {
public:
    explicit PlainOwner(HFONT font) : font(font) {}
    void GetPartFont(RTE::TPartFont& part, int) override { part.font = font; }
    void GetColors(COLORREF& text, COLORREF& background) override {
        text = 0xFFFFFF;
        background = 0x800000;
    }
    int GetTextHeight() override { return 14; }
    int OnLinkActivated(const char16_t*, int) override { return 1; }
    bool IsCaretMoveEnabled(bool) override { return true; }
    HFONT font;
};

LRESULT AppProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProc(hwnd, msg, wParam, lParam); }

// The screen, a main window, the default smiley pack, and the window.
struct Stage {
    HWND app = nullptr;
    NullOwner owner;
    std::unique_ptr<Smile::CYolWMSmile_Set> smileys;
    std::unique_ptr<MW::CYolWMMW_Controller> chat;

    Stage() {
        CYolPath::SetAppDir(CYolString::FromUtf8(YOL_PROGRAM_FOLDER));
        Platform::SetScreen(kWidth, kHeight, 192, 192);
        WNDCLASS wc;
        wc.lpfnWndProc = AppProc;
        wc.lpszClassName = u"BenchChatApp";
        RegisterClass(&wc);
        app = CreateWindowEx(0, u"BenchChatApp", u"", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr,
                             nullptr, nullptr);
        Smile::CYolWMSmile_Anim::SetHostWindow(app);
        smileys = std::make_unique<Smile::CYolWMSmile_Set>(CYolString(u"Yol PDA smilies"), nullptr);
        smileys->WaitForLoader(CYolEvent::Infinite);
        Smile::CYolWMSmile_Set::SetCurrent(smileys.get());
        chat.reset(MW::CYolWMMW_Controller::Create(&owner, app));
        chat->Settings().smiliesNum = 10;
        Platform::PumpMessages();
    }
};

Stage& TheStage() {
    static Stage stage;
    return stage;
}

void PaintAll(HWND window) {
    UpdateWindow(window);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        PaintAll(child);
}

CYolArray<MW::TYolWMMWMsg> History(int count) {
    CYolArray<MW::TYolWMMWMsg> block;
    block.SetGrowStep(count);
    for (int i = 0; i < count; ++i)
        block.Add(Line(i));
    return block;
}

void BM_ChatOpenWithHistory(benchmark::State& state) {
    Stage& stage = TheStage();
    const CYolArray<MW::TYolWMMWMsg> block = History(static_cast<int>(state.range(0)));
    std::size_t held = 0;
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        stage.chat->OpenTab(1, CYolString(u"Bob"), CYolArray<unsigned int>());
        stage.chat->AddMessages(1, block);
        stage.chat->Show(true);
        PaintAll(*stage.chat);
        state.PauseTiming();
        held = HeapInUse() - before;
        stage.chat->CloseTab(1);
        Platform::PumpMessages();
        state.ResumeTiming();
    }
    state.counters["heap_KB"] = static_cast<double>(held) / 1024.0;
}
BENCHMARK(BM_ChatOpenWithHistory)->Arg(10000)->Unit(benchmark::kMillisecond);

struct PlainControl {
    HFONT font;
    PlainOwner owner;
    std::unique_ptr<RTE::CYolWMRTE_Ctrl> ctrl;
    PlainControl() : font(MakeFont()), owner(font), ctrl(std::make_unique<RTE::CYolWMRTE_Ctrl>(&owner)) {
        ctrl->Create(nullptr, TheStage().app, WS_VISIBLE, RECT{0, 0, kWidth, kHeight - 100});
    }
    ~PlainControl() {
        ctrl.reset();
        DeleteObject(font);
    }
    static HFONT MakeFont() {
        LOGFONTW logFont;
        logFont.lfHeight = -28;
        return CreateFontIndirect(&logFont);
    }
    void Add(const MW::TYolWMMWMsg& line) {
        CYolString text = line.name + CYolString(u" ") + line.time + CYolString(u": ") + line.text;
        CYolArray<RTE::TFormat> formats;
        RTE::TFormat run;
        run.length = text.Length();
        run.kind = 7;
        formats.Add(run);
        ctrl->AddParagraph(text.c_str(), formats);
    }
};

void BM_RichTextOpenWithHistory(benchmark::State& state) {
    TheStage();
    const CYolArray<MW::TYolWMMWMsg> block = History(static_cast<int>(state.range(0)));
    std::size_t held = 0;
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        auto plain = std::make_unique<PlainControl>();
        for (int i = 0; i < block.Count(); ++i)
            plain->Add(block[i]);
        plain->ctrl->OnParagraphsAdded(block.Count());
        PaintAll(*plain->ctrl);
        state.PauseTiming();
        held = HeapInUse() - before;
        plain.reset();
        state.ResumeTiming();
    }
    state.counters["heap_KB"] = static_cast<double>(held) / 1024.0;
}
BENCHMARK(BM_RichTextOpenWithHistory)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ChatAppendIncoming(benchmark::State& state) {
    Stage& stage = TheStage();
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        stage.chat->OpenTab(1, CYolString(u"Bob"), CYolArray<unsigned int>());
        stage.chat->Show(true);
        PaintAll(*stage.chat);
        state.ResumeTiming();
        for (int i = 0; i < count; ++i)
            stage.chat->AddMessage(1, Line(2 * i));
        PaintAll(*stage.chat);
        state.PauseTiming();
        stage.chat->CloseTab(1);
        Platform::PumpMessages();
        state.ResumeTiming();
    }
    state.counters["msgs/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * count), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ChatAppendIncoming)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_RichTextAppend(benchmark::State& state) {
    TheStage();
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto plain = std::make_unique<PlainControl>();
        PaintAll(*plain->ctrl);
        state.ResumeTiming();
        for (int i = 0; i < count; ++i) {
            plain->Add(Line(2 * i));
            plain->ctrl->OnParagraphsAdded(1);
            plain->ctrl->ScrollToCaret();
        }
        PaintAll(*plain->ctrl);
        state.PauseTiming();
        plain.reset();
        state.ResumeTiming();
    }
    state.counters["msgs/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * count), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RichTextAppend)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
