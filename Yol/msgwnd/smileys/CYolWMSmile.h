#pragma once
// One smiley of a pack: the texts that stand for it and its animation frames
// as device bitmaps, ready to draw at the screen's scale or at their own.
//
// Made on the loader thread, read-only afterwards; drawn on the UI thread.

#include "CYolArray.h"
#include "CYolString.h"
#include "Drawing/Gdi.h"

namespace Smile {

// The preference "scaled smilies": smileys drawn and measured at the
// screen's density instead of one device pixel per GIF pixel. The owner of
// the smiley set mirrors the preference here.
void SetScaleSmile(bool on);
bool ScaleSmile();

class CYolWMSmile {
public:
    struct TFrame {
        HBITMAP bitmap = nullptr;      // null when it could not be made
        COLORREF transparent = CLR_INVALID;
        int delay = 0;                 // milliseconds, at least kMinDelay
        int base = -1;                 // the frame drawn first, underneath
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    // A frame shows at least this long.
    static constexpr int kMinDelay = 150;

    // Decodes the GIF at `file`; a file that gives no frame makes a smiley
    // of size 0 x 0 without frames, which draws nothing.
    CYolWMSmile(const CYolString& file, const CYolArray<CYolString>& codes);
    ~CYolWMSmile();
    CYolWMSmile(const CYolWMSmile&) = delete;
    CYolWMSmile& operator=(const CYolWMSmile&) = delete;

    const CYolString& File() const { return file; }
    const CYolArray<CYolString>& Codes() const { return codes; }
    int FrameCount() const { return frames.Count(); }
    const TFrame& Frame(int n) const { return frames[n]; }

    // Width and height, scaled when ScaleSmile is on.
    void GetSize(SIZE& size) const;
    // Frame n (its base frames first) with its top-left corner at `at`;
    // nothing for a frame number the smiley does not have.
    void DrawFrame(int n, HDC hdc, POINT at) const;

private:
    void Load();
    void Blit(const TFrame& frame, HDC hdc, POINT at) const;

    CYolString file;
    CYolArray<CYolString> codes;
    CYolArray<TFrame> frames;
    SIZE size{0, 0};
};

} // namespace Smile
