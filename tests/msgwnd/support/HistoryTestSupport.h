#pragma once
// What the history suites share: an owner of the view with its own
// settings record (defaults, never written), a one-frame smiley pack put
// into a temporary program folder and loaded as the current set, and a
// printable form of a paragraph's runs.

#include "CYolWMMW_HistCtrl.h"
#include "TYolWMMWSettings.h"

#include "CServicesManagerImpl.h"
#include "CYolPath.h"
#include "CYolWMSmile_Set.h"
#include "GifTestSupport.h"
#include "TestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace history_test {

class Owner final : public MW::CYolWMMW_HistCtrl::MHistCtrlObserver {
public:
    void GetPartFont(RTE::TPartFont& part, int kind) override
    {
        part.font = font;
        part.color = static_cast<COLORREF>(kind);
    }
    void GetColors(COLORREF& text, COLORREF& background) override
    {
        text = 0xFFFFFF;
        background = 0x804000;
    }
    MW::TYolWMMWSettings* GetSettings() override { return &settings; }
    void InsertText(const CYolString& text) override { inserted.push_back(text.ToUtf8()); }

    Services::CServicesManagerImpl noDatabase;
    MW::TYolWMMWSettings settings{&noDatabase};
    HFONT font = nullptr;
    std::vector<std::string> inserted;
};

// Smileys of 12 x 12 pixels, one line of codes each ("a,b" for two codes),
// loaded from <root>/Smilies/t/ and made the current set.
class SmilePack {
public:
    SmilePack(const TempFolder& root, const std::vector<std::string>& lines)
    {
        CYolPath::SetAppDir(CYolString::FromUtf8(root.Root()));
        std::string define;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            gif_test::GifSpec spec;
            spec.width = spec.height = 12;
            spec.globalPalette = {0xFFCC00, 0x000000};
            gif_test::FrameSpec frame;
            frame.width = frame.height = 12;
            frame.pixels.assign(144, 0);
            spec.frames.push_back(frame);
            root.Put("Smilies/t/" + std::to_string(100 + i) + ".gif", gif_test::BuildGif(spec));
            define += lines[i] + "\r\n";
        }
        root.Put("Smilies/t/_define.ini", define);
        set = std::make_unique<Smile::CYolWMSmile_Set>(CYolString(u"t"), nullptr);
        set->WaitForLoader(CYolEvent::Infinite);
        Smile::CYolWMSmile_Set::SetCurrent(set.get());
    }
    ~SmilePack()
    {
        Smile::CYolWMSmile_Set::SetCurrent(nullptr);
        CYolPath::SetAppDir(CYolString());
    }
    SmilePack(const SmilePack&) = delete;
    SmilePack& operator=(const SmilePack&) = delete;

    std::unique_ptr<Smile::CYolWMSmile_Set> set;
};

// "#" for a picture, "|" for a line break, other characters as they are.
inline std::string Printable(const char16_t* text, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text[i];
        out += c == RTE::kObjectReplacement ? std::string("#")
               : c == RTE::kLineSeparator   ? std::string("|")
                                            : CYolString(&text[i], 1).ToUtf8();
    }
    return out;
}

// Each run as <kind>'<text>'; a picture as "#".
inline std::string Runs(const RTE::CYolWMRTE_Para& para)
{
    std::string out;
    for (const RTE::TFormat& run : para.Formats()) {
        if (!out.empty())
            out += " ";
        out += run.IsPicture() ? std::string("#")
                               : std::to_string(run.kind) + "'" + Printable(para.Text() + run.start, run.length) + "'";
    }
    return out;
}

inline MW::TYolWMMWMsg Msg(unsigned int kind, const char* name, const char* time, const char* text,
                           unsigned int msgId = 0, unsigned int iconId = 0)
{
    MW::TYolWMMWMsg msg;
    msg.direction = kind;
    msg.messageId = msgId;
    msg.iconId = iconId;
    msg.name = CYolString::FromUtf8(name);
    msg.time = CYolString::FromUtf8(time);
    msg.text = CYolString::FromUtf8(text);
    return msg;
}

} // namespace history_test
