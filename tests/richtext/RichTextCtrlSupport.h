#pragma once
// The control on the headless screen at 96 dpi, inside a parent that logs
// what the control posts to it, with an owner that records links and
// answers the caret policy. Text is measured 10 x 10 pixels a character
// and drawn with a real font.

#include "CYolWMRTE_Ctrl.h"
#include "RichTextTestSupport.h"
#include "WindowTestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace richtext_test {

class UniformMeasurer final : public RTE::MTextMeasurer {
public:
    void Measure(HFONT, const char16_t*, int count, int* extents, int* height) override
    {
        ++calls;
        for (int i = 0; i < count; ++i)
            extents[i] = (i + 1) * 10;
        *height = 10;
    }
    int calls = 0;
};

class RecordingOwner final : public RTE::CYolWMRTE_Ctrl::MRTEObserver {
public:
    void GetPartFont(RTE::TPartFont& part, int kind) override
    {
        part.font = font;
        part.color = kind == RTE::kLinkKind ? 0xFF0000 : 0x000000;
    }
    void GetColors(COLORREF& text, COLORREF& background) override
    {
        text = 0xFFFFFF;
        background = 0x00C000;
    }
    int GetTextHeight() override { return textHeight; }
    int OnLinkActivated(const char16_t* text, int length) override
    {
        links.push_back(Narrow(text, length));
        return handleLinks ? 1 : 0;
    }
    bool IsCaretMoveEnabled(bool vertical) override { return vertical ? verticalMoves : horizontalMoves; }

    HFONT font = nullptr;
    int textHeight = -13;
    bool handleLinks = true;
    bool verticalMoves = true;
    bool horizontalMoves = true;
    std::vector<std::string> links;
};

class RichTextCtrlTest : public ui_test::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        Platform::SetScreen(480, 640, 96, 96);
        LOGFONTW logFont;
        logFont.lfHeight = -13;
        owner.font = CreateFontIndirect(&logFont);
        parent = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 480, 640});
        // The border's share of the window, so that the client area (and
        // with it the line) has the width a test asks for.
        {
            RTE::CYolWMRTE_Ctrl probe(&owner, &measurer);
            probe.Create(nullptr, parent, WS_VISIBLE, RECT{0, 0, 200, 200});
            frame = 200 - probe.GetClientWidth();
        }
    }
    void TearDown() override
    {
        ctrl.reset();
        DeleteObject(owner.font);
        WindowTest::TearDown();
    }

    // A control whose lines are 100 pixels (ten characters) wide.
    RTE::CYolWMRTE_Ctrl& MakeCtrl(int height = 100, int clientWidth = 102)
    {
        ctrl = std::make_unique<RTE::CYolWMRTE_Ctrl>(&owner, &measurer);
        ctrl->Create(nullptr, parent, WS_VISIBLE, RECT{0, 0, clientWidth + frame, height + frame});
        return *ctrl;
    }

    void Add(const std::vector<Piece>& pieces)
    {
        std::unique_ptr<RTE::CYolWMRTE_Para> built(MakePara(pieces));
        ctrl->AddParagraph(built->Text(), built->Formats());
        ctrl->OnParagraphsAdded(1);
    }

    std::string Caret() const
    {
        const RTE::TPosition& p = ctrl->ActiveView()->Caret();
        return std::to_string(p.para) + "." + std::to_string(p.ch) + (p.after ? "+" : "");
    }

    static std::string Take(char16_t* text)
    {
        std::unique_ptr<char16_t[]> owned(text);
        if (!owned)
            return "(null)";
        std::string out;
        for (int i = 0; owned[i]; ++i)
            out += owned[i] == u'\r' ? std::string("\\r") : owned[i] == u'\n' ? std::string("\\n") : Narrow(&owned[i], 1);
        return out;
    }

    // A posted WM_NEXTDLGCTL: "back" or "fwd"; "" when none came.
    std::string FocusMove()
    {
        Platform::PumpMessages();
        const ui_test::Logged* last = rec.Last(WM_NEXTDLGCTL);
        std::string out = last == nullptr ? "" : last->wParam ? "back" : "fwd";
        rec.log.clear();
        return out;
    }

    UniformMeasurer measurer;
    RecordingOwner owner;
    ui_test::Recorder rec;
    HWND parent = nullptr;
    int frame = 0;
    std::unique_ptr<RTE::CYolWMRTE_Ctrl> ctrl;
};

} // namespace richtext_test
