// Draws the default smiley pack's pictures: one animated GIF per smiley in
// the folder given on the command line, named so that their sorted order is
// the order of the lines of "_define.ini". Faces are drawn with cairo and
// written with giflib on one 16-colour palette whose entry 0 is transparent.
//
// Most smileys keep their first frame (disposal 1) and change only a
// rectangle around the eyes and mouth in the later frames; the heart clears
// each frame (disposal 2) and redraws itself whole, so both ways of building
// an animation are in the pack.
//
//   make_default_smilies <output folder>

#include <cairo.h>
#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Entry 0 is the transparent one.
const std::uint32_t kPalette[16] = {0x00FF00, 0x2B2B2B, 0xFFD23F, 0xE0A800, 0xFFFFFF, 0xD83A34, 0x4FA3F7,
                                    0xF7A1B5, 0x8B5A2B, 0x6B3FA0, 0xA0A0A0, 0x3AAA35, 0xFF8C1A, 0x000000,
                                    0xC0C0C0, 0x804000};

enum class Eyes { Open, Closed, Wink, Big, Angry, Shades, Sleepy };
enum class Mouth { Smile, Sad, Flat, Open, Tongue, Kiss, Grin, Wavy, Shout, Devil };
enum Extra : unsigned { None = 0, Tear = 1, Blush = 2, Halo = 4, Horns = 8, Zzz = 16 };

struct Face {
    Eyes eyes;
    Mouth mouth;
    unsigned extras;
};

struct Smiley {
    const char* file;
    int width, height;
    int delayCs;
    std::vector<Face> frames;
    // Draws a heart of this scale instead of a face (frames give the beat).
    std::vector<double> heart;
};

void Rgb(cairo_t* cr, std::uint32_t c) {
    cairo_set_source_rgb(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0);
}

void Dot(cairo_t* cr, double x, double y, double r, std::uint32_t c) {
    cairo_arc(cr, x, y, r, 0, 2 * kPi);
    Rgb(cr, c);
    cairo_fill(cr);
}

void Line(cairo_t* cr, double x0, double y0, double x1, double y1, std::uint32_t c) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    Rgb(cr, c);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
}

void DrawEyes(cairo_t* cr, Eyes eyes, double cx, double cy) {
    const double lx = cx - 3.2, rx = cx + 3.2, y = cy - 2.5;
    switch (eyes) {
    case Eyes::Open: Dot(cr, lx, y, 1.3, 0x2B2B2B); Dot(cr, rx, y, 1.3, 0x2B2B2B); break;
    case Eyes::Closed: Line(cr, lx - 1.5, y, lx + 1.5, y, 0x2B2B2B); Line(cr, rx - 1.5, y, rx + 1.5, y, 0x2B2B2B); break;
    case Eyes::Wink: Line(cr, lx - 1.5, y, lx + 1.5, y, 0x2B2B2B); Dot(cr, rx, y, 1.3, 0x2B2B2B); break;
    case Eyes::Big:
        Dot(cr, lx, y, 2.2, 0xFFFFFF); Dot(cr, rx, y, 2.2, 0xFFFFFF);
        Dot(cr, lx, y, 1.0, 0x2B2B2B); Dot(cr, rx, y, 1.0, 0x2B2B2B); break;
    case Eyes::Angry:
        Line(cr, lx - 2, y - 2, lx + 1.5, y - 0.5, 0x2B2B2B); Line(cr, rx + 2, y - 2, rx - 1.5, y - 0.5, 0x2B2B2B);
        Dot(cr, lx, y + 0.5, 1.1, 0x2B2B2B); Dot(cr, rx, y + 0.5, 1.1, 0x2B2B2B); break;
    case Eyes::Shades:
        cairo_rectangle(cr, lx - 2.5, y - 1.5, 5, 3); cairo_rectangle(cr, rx - 2.5, y - 1.5, 5, 3);
        Rgb(cr, 0x000000); cairo_fill(cr); Line(cr, lx, y, rx, y, 0x000000); break;
    case Eyes::Sleepy: Line(cr, lx - 1.5, y + 0.5, lx + 1.5, y, 0x2B2B2B); Line(cr, rx - 1.5, y, rx + 1.5, y + 0.5, 0x2B2B2B); break;
    }
}

void DrawMouth(cairo_t* cr, Mouth mouth, double cx, double cy) {
    const double y = cy + 3;
    cairo_set_line_width(cr, 1.2);
    switch (mouth) {
    case Mouth::Smile: cairo_arc(cr, cx, y - 2.5, 4, 0.2 * kPi, 0.8 * kPi); Rgb(cr, 0x2B2B2B); cairo_stroke(cr); break;
    case Mouth::Sad: cairo_arc(cr, cx, y + 3, 4, 1.2 * kPi, 1.8 * kPi); Rgb(cr, 0x2B2B2B); cairo_stroke(cr); break;
    case Mouth::Flat: Line(cr, cx - 3, y, cx + 3, y, 0x2B2B2B); break;
    case Mouth::Open: Dot(cr, cx, y, 2.2, 0x2B2B2B); break;
    case Mouth::Tongue:
        Line(cr, cx - 3.5, y - 0.5, cx + 3.5, y - 0.5, 0x2B2B2B); Dot(cr, cx + 1, y + 1.2, 1.6, 0xD83A34); break;
    case Mouth::Kiss: Dot(cr, cx, y, 1.5, 0xD83A34); break;
    case Mouth::Grin:
        cairo_arc(cr, cx, y - 1.5, 4, 0, kPi); cairo_close_path(cr); Rgb(cr, 0xFFFFFF); cairo_fill_preserve(cr);
        Rgb(cr, 0x2B2B2B); cairo_stroke(cr); break;
    case Mouth::Wavy:
        cairo_move_to(cr, cx - 3.5, y); cairo_curve_to(cr, cx - 1.5, y - 2, cx + 1.5, y + 2, cx + 3.5, y);
        Rgb(cr, 0x2B2B2B); cairo_stroke(cr); break;
    case Mouth::Shout: cairo_rectangle(cr, cx - 2.5, y - 1.5, 5, 3.5); Rgb(cr, 0xD83A34); cairo_fill(cr); break;
    case Mouth::Devil: cairo_arc(cr, cx, y - 3, 4.5, 0.1 * kPi, 0.9 * kPi); Rgb(cr, 0x2B2B2B); cairo_stroke(cr); break;
    }
}

void DrawFace(cairo_t* cr, const Face& face, int w, int h) {
    const double cx = w / 2.0, cy = h / 2.0 + ((face.extras & Halo) ? 1.5 : 0), r = std::min(w, h) / 2.0 - 1.5;
    if (face.extras & Halo) {
        cairo_save(cr);
        cairo_scale(cr, 1, 0.35);
        cairo_arc(cr, cx, 3.0 / 0.35, 4, 0, 2 * kPi);
        cairo_restore(cr);
        Rgb(cr, 0xFFD23F);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
    if (face.extras & Horns) {
        cairo_move_to(cr, cx - 6, cy - 4); cairo_line_to(cr, cx - 7.5, cy - 9); cairo_line_to(cr, cx - 3, cy - 6.5);
        cairo_move_to(cr, cx + 6, cy - 4); cairo_line_to(cr, cx + 7.5, cy - 9); cairo_line_to(cr, cx + 3, cy - 6.5);
        Rgb(cr, 0xD83A34);
        cairo_fill(cr);
    }
    cairo_arc(cr, cx, cy, face.extras & (Halo | Horns) ? r - 1.5 : r, 0, 2 * kPi);
    Rgb(cr, face.extras & Horns ? 0xD83A34 : 0xFFD23F);
    cairo_fill_preserve(cr);
    Rgb(cr, 0xE0A800);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    DrawEyes(cr, face.eyes, cx, cy);
    DrawMouth(cr, face.mouth, cx, cy);
    if (face.extras & Tear)
        Dot(cr, cx - 3.5, cy + 0.5, 1.2, 0x4FA3F7);
    if (face.extras & Blush) {
        Dot(cr, cx - 5, cy + 1, 1.3, 0xF7A1B5);
        Dot(cr, cx + 5, cy + 1, 1.3, 0xF7A1B5);
    }
    if (face.extras & Zzz)
        Line(cr, cx + 4, cy - 7, cx + 7, cy - 7, 0x6B3FA0);
}

void DrawHeart(cairo_t* cr, double scale, int w, int h) {
    cairo_translate(cr, w / 2.0, h / 2.0);
    cairo_scale(cr, scale, scale);
    cairo_move_to(cr, 0, 5);
    cairo_curve_to(cr, -9, -1, -4, -9, 0, -3.5);
    cairo_curve_to(cr, 4, -9, 9, -1, 0, 5);
    Rgb(cr, 0xD83A34);
    cairo_fill(cr);
}

// The frame as palette indices: the nearest entry for each pixel that is
// mostly opaque, entry 0 for the rest.
std::vector<GifByteType> Quantize(cairo_surface_t* surface, int w, int h) {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    std::vector<GifByteType> out(static_cast<std::size_t>(w) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
            const int a = static_cast<int>(p >> 24);
            if (a < 128)
                continue;
            // Premultiplied: undo it before matching.
            const int r = static_cast<int>((p >> 16) & 0xFF) * 255 / a, g = static_cast<int>((p >> 8) & 0xFF) * 255 / a,
                      b = static_cast<int>(p & 0xFF) * 255 / a;
            int best = 1;
            long bestDistance = -1;
            for (int i = 1; i < 16; ++i) {
                const int dr = r - static_cast<int>(kPalette[i] >> 16), dg = g - static_cast<int>((kPalette[i] >> 8) & 0xFF),
                          db = b - static_cast<int>(kPalette[i] & 0xFF);
                const long d = dr * dr + dg * dg + db * db;
                if (bestDistance < 0 || d < bestDistance) {
                    bestDistance = d;
                    best = i;
                }
            }
            out[static_cast<std::size_t>(y) * w + x] = static_cast<GifByteType>(best);
        }
    return out;
}

std::vector<GifByteType> Render(const Smiley& s, std::size_t frame) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, s.width, s.height);
    cairo_t* cr = cairo_create(surface);
    if (s.heart.empty())
        DrawFace(cr, s.frames[frame], s.width, s.height);
    else
        DrawHeart(cr, s.heart[frame], s.width, s.height);
    cairo_destroy(cr);
    std::vector<GifByteType> pixels = Quantize(surface, s.width, s.height);
    cairo_surface_destroy(surface);
    return pixels;
}

struct Box {
    int left, top, right, bottom;
};

// Where any later frame differs from the first.
Box Changes(const std::vector<std::vector<GifByteType>>& frames, int w, int h) {
    Box box{w, h, 0, 0};
    for (std::size_t f = 1; f < frames.size(); ++f)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (frames[f][y * w + x] != frames[0][y * w + x]) {
                    box = Box{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                              std::max(box.bottom, y + 1)};
                }
    if (box.right <= box.left)
        box = Box{0, 0, 1, 1};
    return box;
}

bool PutFrame(GifFileType* gif, const std::vector<GifByteType>& pixels, int w, const Box& box, int disposal,
              int delayCs) {
    GraphicsControlBlock gcb;
    gcb.DisposalMode = disposal;
    gcb.UserInputFlag = false;
    gcb.DelayTime = delayCs;
    gcb.TransparentColor = 0;
    GifByteType extension[4];
    EGifGCBToExtension(&gcb, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) != GIF_OK)
        return false;
    if (EGifPutImageDesc(gif, box.left, box.top, box.right - box.left, box.bottom - box.top, false, nullptr) != GIF_OK)
        return false;
    for (int y = box.top; y < box.bottom; ++y) {
        std::vector<GifByteType> row(pixels.begin() + y * w + box.left, pixels.begin() + y * w + box.right);
        if (EGifPutLine(gif, row.data(), static_cast<int>(row.size())) != GIF_OK)
            return false;
    }
    return true;
}

bool Write(const Smiley& s, const std::string& folder) {
    const std::size_t count = s.heart.empty() ? s.frames.size() : s.heart.size();
    std::vector<std::vector<GifByteType>> frames;
    for (std::size_t f = 0; f < count; ++f)
        frames.push_back(Render(s, f));
    const std::string path = folder + "/" + s.file;
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif)
        return false;
    GifColorType colours[16];
    for (int i = 0; i < 16; ++i)
        colours[i] = GifColorType{static_cast<GifByteType>(kPalette[i] >> 16),
                                  static_cast<GifByteType>((kPalette[i] >> 8) & 0xFF),
                                  static_cast<GifByteType>(kPalette[i] & 0xFF)};
    ColorMapObject* map = GifMakeMapObject(16, colours);
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, s.width, s.height, 4, 0, map) == GIF_OK;
    const Box whole{0, 0, s.width, s.height};
    const bool redraw = !s.heart.empty();
    const Box part = redraw ? whole : Changes(frames, s.width, s.height);
    for (std::size_t f = 0; f < count && ok; ++f)
        ok = PutFrame(gif, frames[f], s.width, f == 0 ? whole : part, redraw ? 2 : 1, s.delayCs);
    GifFreeMapObject(map);
    return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_default_smilies <output folder>\n");
        return 2;
    }
    using E = Eyes;
    using M = Mouth;
    const Smiley pack[] = {
        {"01_smile.gif", 19, 19, 40, {{E::Open, M::Smile, None}, {E::Closed, M::Smile, None}, {E::Open, M::Smile, None}}, {}},
        {"02_sad.gif", 19, 19, 60, {{E::Open, M::Sad, None}, {E::Open, M::Sad, Tear}}, {}},
        {"03_wink.gif", 19, 19, 50, {{E::Open, M::Smile, None}, {E::Wink, M::Smile, None}}, {}},
        {"04_tongue.gif", 19, 19, 30, {{E::Open, M::Flat, None}, {E::Open, M::Tongue, None}}, {}},
        {"05_laugh.gif", 19, 19, 20, {{E::Closed, M::Grin, None}, {E::Closed, M::Open, None}}, {}},
        {"06_surprise.gif", 19, 19, 45, {{E::Open, M::Flat, None}, {E::Big, M::Open, None}}, {}},
        {"07_kiss.gif", 19, 19, 35, {{E::Closed, M::Kiss, None}, {E::Closed, M::Kiss, Blush}}, {}},
        {"08_cry.gif", 19, 19, 25, {{E::Closed, M::Sad, Tear}, {E::Closed, M::Sad, None}}, {}},
        {"09_cool.gif", 19, 19, 0, {{E::Shades, M::Smile, None}}, {}},
        {"10_angry.gif", 19, 19, 15, {{E::Angry, M::Sad, None}, {E::Angry, M::Shout, None}}, {}},
        {"11_confused.gif", 19, 19, 55, {{E::Open, M::Wavy, None}, {E::Sleepy, M::Wavy, None}}, {}},
        {"12_blush.gif", 19, 19, 70, {{E::Open, M::Smile, None}, {E::Closed, M::Smile, Blush}}, {}},
        {"13_neutral.gif", 19, 19, 0, {{E::Open, M::Flat, None}}, {}},
        {"14_angel.gif", 21, 23, 50, {{E::Closed, M::Smile, Halo}, {E::Open, M::Smile, Halo}}, {}},
        {"15_devil.gif", 23, 23, 40, {{E::Angry, M::Devil, Horns}, {E::Wink, M::Devil, Horns}}, {}},
        {"16_heart.gif", 17, 15, 10, {}, {0.8, 0.9, 1.0, 0.9}},
        {"17_sleepy.gif", 19, 19, 80, {{E::Sleepy, M::Flat, None}, {E::Closed, M::Flat, Zzz}}, {}},
        {"18_shout.gif", 25, 19, 20, {{E::Angry, M::Shout, None}, {E::Big, M::Shout, None}, {E::Angry, M::Open, None}}, {}},
    };
    for (const Smiley& s : pack) {
        if (!Write(s, argv[1])) {
            std::fprintf(stderr, "make_default_smilies: cannot write %s\n", s.file);
            return 1;
        }
    }
    return 0;
}
