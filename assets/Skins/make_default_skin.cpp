// Draws the default skin's pictures: every built-in picture as a PNG in the
// folder given on the command line. Icons are drawn on a 16 x 16 grid at
// twice that size, so they stay sharp on a 192 dpi screen and scale down
// cleanly to 96 dpi.
//
//   make_default_skin <output folder>

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kIconScale = 2;

struct Rgb {
    double r, g, b;
};

constexpr Rgb Hex(unsigned value) {
    return {((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0, (value & 0xFF) / 255.0};
}

const Rgb kInk = Hex(0x33404D);
const Rgb kWhite = Hex(0xFFFFFF);
const Rgb kRed = Hex(0xD83A34);
const Rgb kGreen = Hex(0x3AAA35);
const Rgb kBlue = Hex(0x2F7BD6);
const Rgb kYellow = Hex(0xF2C12E);
const Rgb kOrange = Hex(0xF08A24);
const Rgb kGrey = Hex(0x9AA3AB);
const Rgb kPaper = Hex(0xFBFBF7);
const Rgb kFolder = Hex(0xE8B64C);

using Painter = std::function<void(cairo_t*)>;

void Set(cairo_t* cr, const Rgb& c, double alpha = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void Fill(cairo_t* cr, const Rgb& c) {
    Set(cr, c);
    cairo_fill_preserve(cr);
}

void Stroke(cairo_t* cr, const Rgb& c, double width) {
    Set(cr, c);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void FillStroke(cairo_t* cr, const Rgb& fill, const Rgb& line, double width = 1.0) {
    Fill(cr, fill);
    Stroke(cr, line, width);
}

void Circle(cairo_t* cr, double x, double y, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, r, 0, 2 * kPi);
}

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void Line(cairo_t* cr, double x1, double y1, double x2, double y2, const Rgb& c, double width) {
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    Stroke(cr, c, width);
}

void Polygon(cairo_t* cr, std::initializer_list<double> xy) {
    const double* p = xy.begin();
    cairo_move_to(cr, p[0], p[1]);
    for (std::size_t i = 2; i + 1 < xy.size(); i += 2)
        cairo_line_to(cr, p[i], p[i + 1]);
    cairo_close_path(cr);
}

// ---- Shapes the icons are made of (16 x 16 grid) -------------------------

void Dot(cairo_t* cr, const Rgb& c) {
    Circle(cr, 8, 8, 6.5);
    cairo_pattern_t* shade = cairo_pattern_create_radial(6, 5.5, 1, 8, 8, 7);
    cairo_pattern_add_color_stop_rgba(shade, 0, std::min(1.0, c.r + 0.35), std::min(1.0, c.g + 0.35),
                                      std::min(1.0, c.b + 0.35), 1);
    cairo_pattern_add_color_stop_rgba(shade, 1, c.r, c.g, c.b, 1);
    cairo_set_source(cr, shade);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(shade);
    Stroke(cr, Hex(0x2A2A2A), 0.7);
}

void Check(cairo_t* cr, const Rgb& c, double width = 2.2) {
    cairo_move_to(cr, 3.5, 8.5);
    cairo_line_to(cr, 6.5, 11.5);
    cairo_line_to(cr, 12.5, 4.5);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    Stroke(cr, c, width);
}

void Cross(cairo_t* cr, double cx, double cy, double r, const Rgb& c, double width) {
    Line(cr, cx - r, cy - r, cx + r, cy + r, c, width);
    Line(cr, cx + r, cy - r, cx - r, cy + r, c, width);
}

void Plus(cairo_t* cr, double cx, double cy, double r, const Rgb& c, double width) {
    Line(cr, cx - r, cy, cx + r, cy, c, width);
    Line(cr, cx, cy - r, cx, cy + r, c, width);
}

void Minus(cairo_t* cr, double cx, double cy, double r, const Rgb& c, double width) {
    Line(cr, cx - r, cy, cx + r, cy, c, width);
}

void Badge(cairo_t* cr, const Rgb& c) {
    Circle(cr, 12, 12, 3.6);
    FillStroke(cr, c, kWhite, 0.8);
}

void Envelope(cairo_t* cr, const Rgb& body) {
    RoundRect(cr, 1.5, 3.5, 13, 9, 1);
    FillStroke(cr, body, kInk);
    cairo_move_to(cr, 1.8, 4);
    cairo_line_to(cr, 8, 8.8);
    cairo_line_to(cr, 14.2, 4);
    Stroke(cr, kInk, 1);
}

void Folder(cairo_t* cr, bool open) {
    Polygon(cr, {1.5, 4, 6, 4, 7.5, 5.5, 14.5, 5.5, 14.5, 13, 1.5, 13});
    FillStroke(cr, kFolder, Hex(0x8A6414));
    if (open) {
        Polygon(cr, {3.5, 8, 15.5, 8, 13.5, 13, 1.5, 13});
        FillStroke(cr, Hex(0xF6D37F), Hex(0x8A6414));
    }
}

void Person(cairo_t* cr, double x, double y, double s, const Rgb& c) {
    Circle(cr, x, y - 2.8 * s, 2.5 * s);
    FillStroke(cr, c, kInk, 0.8);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y + 4.5 * s, 4.5 * s, kPi, 2 * kPi);
    cairo_close_path(cr);
    FillStroke(cr, c, kInk, 0.8);
}

void Page(cairo_t* cr, double x, double y) {
    Polygon(cr, {x, y, x + 7, y, x + 10, y + 3, x + 10, y + 13, x, y + 13});
    FillStroke(cr, kPaper, kInk);
    for (double ly = y + 5; ly < y + 12; ly += 2.5)
        Line(cr, x + 2, ly, x + 8, ly, kGrey, 0.8);
}

void Arrow(cairo_t* cr, double angle, const Rgb& c) {
    cairo_save(cr);
    cairo_translate(cr, 8, 8);
    cairo_rotate(cr, angle);
    Polygon(cr, {6, 0, 0, -5.5, 0, -2.5, -6, -2.5, -6, 2.5, 0, 2.5, 0, 5.5});
    cairo_restore(cr);
    FillStroke(cr, c, kInk, 0.8);
}

void Triangle(cairo_t* cr, bool open, const Rgb& c) {
    if (open)
        Polygon(cr, {3, 5, 13, 5, 8, 12});
    else
        Polygon(cr, {5, 3, 12, 8, 5, 13});
    FillStroke(cr, c, kInk, 0.8);
}

void Face(cairo_t* cr, const Rgb& c, double mouth) {
    Circle(cr, 8, 8, 6.5);
    FillStroke(cr, c, kInk, 0.8);
    Circle(cr, 5.8, 6.3, 0.9);
    Circle(cr, 10.2, 6.3, 0.9);
    Set(cr, kInk);
    cairo_fill(cr);
    cairo_move_to(cr, 4.8, 10);
    cairo_curve_to(cr, 6.5, 10 + mouth, 9.5, 10 + mouth, 11.2, 10);
    Stroke(cr, kInk, 1);
}

void Gear(cairo_t* cr, const Rgb& c) {
    cairo_new_path(cr);
    for (int i = 0; i < 16; ++i) {
        const double a = i * kPi / 8;
        const double r = i % 2 == 0 ? 7 : 5.2;
        const double x = 8 + r * std::cos(a), y = 8 + r * std::sin(a);
        if (i == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
    Circle(cr, 8, 8, 2.2);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    FillStroke(cr, c, kInk, 0.8);
}

void Speaker(cairo_t* cr) {
    Polygon(cr, {1.5, 6, 4.5, 6, 8.5, 2.5, 8.5, 13.5, 4.5, 10, 1.5, 10});
    FillStroke(cr, kGrey, kInk, 0.9);
}

// A speaker with two sound waves.
void SoundingSpeaker(cairo_t* cr, const Rgb& waves, double width) {
    Speaker(cr);
    cairo_new_path(cr);
    cairo_arc(cr, 8.5, 8, 3.5, -kPi / 4, kPi / 4);
    Stroke(cr, waves, width);
    cairo_arc(cr, 8.5, 8, 6, -kPi / 4, kPi / 4);
    Stroke(cr, waves, width);
}

void Pencil(cairo_t* cr, double dx, double dy) {
    cairo_save(cr);
    cairo_translate(cr, dx, dy);
    Polygon(cr, {3, 13, 3.5, 10.5, 11, 3, 13, 5, 5.5, 12.5});
    cairo_restore(cr);
    FillStroke(cr, kYellow, kInk, 0.8);
}

void Magnifier(cairo_t* cr) {
    Circle(cr, 6.5, 6.5, 4.2);
    FillStroke(cr, Hex(0xCFE6FA), kInk, 1.4);
    Line(cr, 9.6, 9.6, 14, 14, kInk, 2.4);
}

void Clock(cairo_t* cr, const Rgb& face) {
    Circle(cr, 8, 8, 6.5);
    FillStroke(cr, face, kInk, 1);
    Line(cr, 8, 8, 8, 4, kInk, 1.2);
    Line(cr, 8, 8, 11, 9.5, kInk, 1.2);
}

void Heart(cairo_t* cr, const Rgb& c) {
    cairo_move_to(cr, 8, 14);
    cairo_curve_to(cr, 1, 9, 1, 3, 5, 3);
    cairo_curve_to(cr, 7, 3, 8, 5, 8, 6);
    cairo_curve_to(cr, 8, 5, 9, 3, 11, 3);
    cairo_curve_to(cr, 15, 3, 15, 9, 8, 14);
    cairo_close_path(cr);
    FillStroke(cr, c, kInk, 0.8);
}

void Book(cairo_t* cr, const Rgb& c) {
    RoundRect(cr, 3, 1.5, 10, 13, 1);
    FillStroke(cr, c, kInk);
    Line(cr, 5, 1.8, 5, 14.2, kInk, 0.8);
    Line(cr, 7, 5, 11, 5, kWhite, 1);
}

void Cup(cairo_t* cr, const Rgb& body, const Rgb& drink) {
    Polygon(cr, {3, 5, 11, 5, 10, 14, 4, 14});
    FillStroke(cr, body, kInk);
    Polygon(cr, {3.4, 6.5, 10.6, 6.5, 10.5, 7.5, 3.5, 7.5});
    Fill(cr, drink);
    cairo_new_path(cr);
    cairo_arc(cr, 11.5, 9.5, 2.2, -kPi / 2, kPi / 2);
    Stroke(cr, kInk, 1.2);
}

void Lantern(cairo_t* cr, int dots) {
    RoundRect(cr, 3, 3, 10, 11, 4);
    FillStroke(cr, kRed, Hex(0x7A1410), 0.9);
    Line(cr, 8, 0.8, 8, 3, kInk, 1);
    for (int i = 0; i < dots; ++i) {
        Circle(cr, dots == 1 ? 8.0 : 4.8 + i * 6.4 / (dots - 1), 8.5, 0.9);
        Set(cr, kYellow);
        cairo_fill(cr);
    }
}

void Flag(cairo_t* cr, Rgb a, Rgb b, Rgb c) {
    const Rgb stripes[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        cairo_rectangle(cr, 1.5, 3 + i * 3.5, 13, 3.5);
        Set(cr, stripes[i]);
        cairo_fill(cr);
    }
    cairo_rectangle(cr, 1.5, 3, 13, 10.5);
    Stroke(cr, kInk, 0.6);
}

void AtSign(cairo_t* cr) {
    Circle(cr, 8, 8, 2.4);
    Stroke(cr, kBlue, 1.4);
    cairo_new_path(cr);
    cairo_arc(cr, 8, 8, 6, 0, 1.7 * kPi);
    Stroke(cr, kBlue, 1.4);
    Line(cr, 10.4, 6, 10.4, 9.5, kBlue, 1.4);
    cairo_new_path(cr);
    cairo_arc_negative(cr, 12, 9.5, 1.6, kPi, 0);
    Stroke(cr, kBlue, 1.4);
}

// A white "i" on a coloured disc.
void InfoSign(cairo_t* cr, const Rgb& disc, const Rgb& rim) {
    Circle(cr, 8, 8, 6.5);
    FillStroke(cr, disc, rim, 0.8);
    Line(cr, 8, 7, 8, 11.5, kWhite, 1.8);
    Circle(cr, 8, 4.6, 1.1);
    Set(cr, kWhite);
    cairo_fill(cr);
}

void Zz(cairo_t* cr, double x, double y, double s) {
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + s, y);
    cairo_line_to(cr, x, y + s);
    cairo_line_to(cr, x + s, y + s);
    Stroke(cr, kBlue, 1.2);
}

// ---- The pictures by file name ---------------------------------------------

struct Icon {
    const char* file;
    Painter paint;
};

Painter StatusDot(Rgb c, Painter glyph = nullptr) {
    return [c, glyph](cairo_t* cr) {
        Dot(cr, c);
        if (glyph)
            glyph(cr);
    };
}

std::vector<Icon> Icons() {
    auto bar = [](cairo_t* cr) { Minus(cr, 8, 8, 3.5, kWhite, 2.2); };
    return {
        {"yol_stathome.png", StatusDot(Hex(0x2BA59A), [](cairo_t* cr) {
             Polygon(cr, {8, 3.5, 12, 7.5, 11, 7.5, 11, 11.5, 5, 11.5, 5, 7.5, 4, 7.5});
             Fill(cr, kWhite);
             cairo_new_path(cr);
         })},
        {"yol_statwork.png", StatusDot(Hex(0x6C5BC9), [](cairo_t* cr) {
             cairo_rectangle(cr, 4, 6.5, 8, 5);
             Fill(cr, kWhite);
             cairo_new_path(cr);
             cairo_rectangle(cr, 6.5, 5, 3, 1.6);
             Stroke(cr, kWhite, 1);
         })},
        {"yol_staway.png", StatusDot(kYellow, [](cairo_t* cr) {
             Line(cr, 8, 8, 8, 4.2, kInk, 1.3);
             Line(cr, 8, 8, 10.8, 9.6, kInk, 1.3);
         })},
        {"yol_stdepression.png", StatusDot(Hex(0x6F8FAF), [](cairo_t* cr) {
             cairo_move_to(cr, 5, 11);
             cairo_curve_to(cr, 6.5, 8.5, 9.5, 8.5, 11, 11);
             Stroke(cr, kWhite, 1.3);
             Circle(cr, 6, 6, 0.9);
             Circle(cr, 10, 6, 0.9);
             Set(cr, kWhite);
             cairo_fill(cr);
         })},
        {"yol_stdnd.png", StatusDot(kRed, bar)},
        {"yol_stevil.png", StatusDot(Hex(0x8E1B1B), [](cairo_t* cr) {
             Polygon(cr, {4, 3, 6.5, 6, 4.5, 6.5});
             Polygon(cr, {12, 3, 9.5, 6, 11.5, 6.5});
             Fill(cr, kYellow);
             cairo_new_path(cr);
             Line(cr, 5.5, 10.5, 10.5, 10.5, kWhite, 1.3);
         })},
        {"yol_stfreeforchat.png", StatusDot(kGreen, [](cairo_t* cr) {
             RoundRect(cr, 4, 4.5, 8, 5.5, 1.5);
             Polygon(cr, {6, 9.5, 6, 12, 8.5, 9.5});
             Fill(cr, kWhite);
             cairo_new_path(cr);
         })},
        {"yol_stinvis.png", [](cairo_t* cr) {
             Circle(cr, 8, 8, 6);
             const double dash[] = {2, 1.5};
             cairo_set_dash(cr, dash, 2, 0);
             Stroke(cr, kGrey, 1.6);
             cairo_set_dash(cr, nullptr, 0, 0);
         }},
        {"yol_stlunch.png", StatusDot(kOrange, [](cairo_t* cr) {
             Line(cr, 6, 4, 6, 12, kWhite, 1.2);
             Line(cr, 10, 4, 10, 12, kWhite, 1.2);
             Line(cr, 5, 4, 5, 7, kWhite, 0.8);
             Line(cr, 7, 4, 7, 7, kWhite, 0.8);
         })},
        {"yol_stna.png", StatusDot(Hex(0xE2612B), [](cairo_t* cr) { Cross(cr, 8, 8, 2.8, kWhite, 1.8); })},
        {"yol_stoccupied.png", StatusDot(Hex(0xA23C9A), bar)},
        {"yol_metastconnect.png", StatusDot(kYellow, [](cairo_t* cr) {
             cairo_new_path(cr);
             cairo_arc(cr, 8, 8, 3.3, 0, 1.5 * kPi);
             Stroke(cr, kInk, 1.3);
         })},
        {"yol_metastoffline.png", StatusDot(kGrey)},
        {"yol_metastonline.png", StatusDot(kGreen)},
        {"yol_metastnil.png", [](cairo_t* cr) {
             Circle(cr, 8, 8, 6);
             Stroke(cr, kGrey, 1.2);
         }},
        {"yol_metastifa.png", StatusDot(Hex(0xC7CDD3), [](cairo_t* cr) { Minus(cr, 8, 8, 3.5, kInk, 1.6); })},
        {"yol_cl_close_all_groups.png", [](cairo_t* cr) { Folder(cr, false); Badge(cr, kRed); Minus(cr, 12, 12, 2, kWhite, 1.4); }},
        {"yol_cl_create_new_group.png", [](cairo_t* cr) { Folder(cr, false); Badge(cr, kGreen); Plus(cr, 12, 12, 2, kWhite, 1.4); }},
        {"yol_cl_addcontact.png", [](cairo_t* cr) { Person(cr, 7, 7, 1, kBlue); Badge(cr, kGreen); Plus(cr, 12, 12, 2, kWhite, 1.4); }},
        {"yol_cl_delete_contact.png", [](cairo_t* cr) { Person(cr, 7, 7, 1, kBlue); Badge(cr, kRed); Cross(cr, 12, 12, 1.6, kWhite, 1.3); }},
        {"yol_cl_delete_group.png", [](cairo_t* cr) { Folder(cr, false); Badge(cr, kRed); Cross(cr, 12, 12, 1.6, kWhite, 1.3); }},
        {"yol_cl_group_closed.png", [](cairo_t* cr) { Triangle(cr, false, kBlue); }},
        {"yol_cl_group_opened.png", [](cairo_t* cr) { Triangle(cr, true, kBlue); }},
        {"yol_cl_group_up.png", [](cairo_t* cr) { Arrow(cr, -kPi / 2, kBlue); }},
        {"yol_cl_group_down.png", [](cairo_t* cr) { Arrow(cr, kPi / 2, kBlue); }},
        {"yol_cl_move_to_group.png", [](cairo_t* cr) {
             Folder(cr, false);
             cairo_save(cr); cairo_scale(cr, 0.6, 0.6); cairo_translate(cr, 1, 1); Arrow(cr, 0, kGreen); cairo_restore(cr);
         }},
        {"yol_cl_move_to_metacontact.png", [](cairo_t* cr) {
             Person(cr, 10, 7, 0.9, kGrey);
             Person(cr, 6.5, 8, 1, kBlue);
             cairo_save(cr); cairo_scale(cr, 0.5, 0.5); cairo_translate(cr, 14, 14); Arrow(cr, 0, kGreen); cairo_restore(cr);
         }},
        {"yol_cl_msg_im.png", [](cairo_t* cr) { Envelope(cr, kYellow); }},
        {"yol_cl_msg_im_out.png", [](cairo_t* cr) {
             Envelope(cr, kPaper);
             cairo_save(cr); cairo_scale(cr, 0.55, 0.55); cairo_translate(cr, 13, 13); Arrow(cr, 0, kBlue); cairo_restore(cr);
         }},
        {"yol_cl_msg_im_out_ack.png", [](cairo_t* cr) { Envelope(cr, kPaper); Badge(cr, kGreen); cairo_save(cr); cairo_translate(cr, 8, 8); cairo_scale(cr, 0.5, 0.5); Check(cr, kWhite, 2.6); cairo_restore(cr); }},
        {"yol_cl_msg_im_offline.png", [](cairo_t* cr) { Envelope(cr, Hex(0xD5D9DD)); }},
        {"proto_authrequest.png", [](cairo_t* cr) {
             Person(cr, 7, 7, 1, kYellow);
             Badge(cr, kBlue);
             Set(cr, kWhite);
             Circle(cr, 12, 13.6, 0.6);
             cairo_fill(cr);
             cairo_new_path(cr);
             cairo_arc(cr, 12, 10.8, 1.3, kPi, 2.3 * kPi);
             Stroke(cr, kWhite, 0.9);
         }},
        {"yol_cl_msg_send.png", [](cairo_t* cr) {
             Polygon(cr, {1.5, 7.5, 14.5, 2, 10, 14, 7.5, 9.5});
             FillStroke(cr, Hex(0xCFE6FA), kBlue);
             Line(cr, 7.5, 9.5, 14.5, 2, kBlue, 0.8);
         }},
        {"yol_cl_open_all_groups.png", [](cairo_t* cr) { Folder(cr, true); Badge(cr, kGreen); Plus(cr, 12, 12, 2, kWhite, 1.4); }},
        {"yol_cl_rename_contact.png", [](cairo_t* cr) { Person(cr, 6, 7, 0.9, kBlue); Pencil(cr, 2, 1); }},
        {"yol_cl_rename_group.png", [](cairo_t* cr) { Folder(cr, false); Pencil(cr, 2, 1); }},
        {"yol_cl_root_closed.png", [](cairo_t* cr) { Triangle(cr, false, kGreen); }},
        {"yol_cl_root_opened.png", [](cairo_t* cr) { Triangle(cr, true, kGreen); }},
        {"yol_cl_user_dets.png", [](cairo_t* cr) {
             RoundRect(cr, 1.5, 3, 13, 10, 1.5);
             FillStroke(cr, kPaper, kInk);
             Person(cr, 5, 8, 0.6, kBlue);
             Line(cr, 8.5, 6.5, 12.5, 6.5, kGrey, 1);
             Line(cr, 8.5, 9, 12.5, 9, kGrey, 1);
         }},
        {"yol_cl_history.png", [](cairo_t* cr) { Book(cr, Hex(0x8B5A2B)); cairo_save(cr); cairo_translate(cr, 7, 7); cairo_scale(cr, 0.55, 0.55); Clock(cr, kWhite); cairo_restore(cr); }},
        {"yol_cl_copy.png", [](cairo_t* cr) { Page(cr, 1.5, 1); Page(cr, 5, 2.5); }},
        {"yol_cl_account_settings.png", [](cairo_t* cr) { Gear(cr, kGrey); }},
        {"yol_mw_quote.png", [](cairo_t* cr) {
             for (double x : {3.0, 9.0}) {
                 Circle(cr, x + 2, 6, 2.3);
                 Fill(cr, kBlue);
                 cairo_new_path(cr);
                 cairo_move_to(cr, x + 4.2, 6.5);
                 cairo_curve_to(cr, x + 4, 10, x + 2, 11.5, x, 12);
                 Stroke(cr, kBlue, 1.4);
             }
         }},
        {"yol_mw_reply.png", [](cairo_t* cr) {
             cairo_move_to(cr, 13.5, 13);
             cairo_curve_to(cr, 13.5, 7, 10, 6, 5, 6);
             Stroke(cr, kBlue, 2.2);
             Polygon(cr, {1.5, 6, 6, 2, 6, 10});
             FillStroke(cr, kBlue, kBlue, 0.5);
         }},
        {"yol_mw_cut.png", [](cairo_t* cr) {
             Line(cr, 5, 2, 10.5, 10, kInk, 1.3);
             Line(cr, 11, 2, 5.5, 10, kInk, 1.3);
             Circle(cr, 4.5, 12, 2.2);
             Circle(cr, 11.5, 12, 2.2);
             FillStroke(cr, kRed, kInk, 0.8);
         }},
        {"yol_mw_paste.png", [](cairo_t* cr) {
             RoundRect(cr, 2, 2.5, 10, 12.5, 1);
             FillStroke(cr, Hex(0xB58B52), kInk);
             cairo_rectangle(cr, 4.5, 1.5, 5, 2.5);
             FillStroke(cr, kGrey, kInk, 0.7);
             Page(cr, 6, 5.5);
         }},
        {"yol_mw_smiles.png", [](cairo_t* cr) { Face(cr, kYellow, 3); }},
        {"yol_mw_clear.png", [](cairo_t* cr) { Page(cr, 3, 1.5); Badge(cr, kRed); Cross(cr, 12, 12, 1.6, kWhite, 1.3); }},
        {"yol_mw_close_tab.png", [](cairo_t* cr) {
             RoundRect(cr, 1.5, 4, 13, 10, 1.5);
             FillStroke(cr, kPaper, kInk);
             Cross(cr, 8, 9, 2.6, kRed, 1.8);
         }},
        {"yol_mw_close_msgwnd.png", [](cairo_t* cr) {
             RoundRect(cr, 1.5, 1.5, 13, 13, 2);
             FillStroke(cr, kRed, Hex(0x7A1410));
             Cross(cr, 8, 8, 3.2, kWhite, 2);
         }},
        {"yol_mw_right_arrow.png", [](cairo_t* cr) { Arrow(cr, 0, kBlue); }},
        {"yol_mw_left_arrow.png", [](cairo_t* cr) { Arrow(cr, kPi, kBlue); }},
        {"yol_mw_contact_typing.png", [](cairo_t* cr) {
             RoundRect(cr, 1.5, 2.5, 13, 8.5, 2.5);
             Polygon(cr, {4, 10.5, 4, 14, 8, 10.5});
             FillStroke(cr, kWhite, kInk);
             for (double x : {5.0, 8.0, 11.0}) {
                 Circle(cr, x, 6.8, 1);
                 Set(cr, kBlue);
                 cairo_fill(cr);
             }
         }},
        {"yol_pref_contacts.png", [](cairo_t* cr) { Person(cr, 10.5, 7, 0.85, kGrey); Person(cr, 6, 8, 1, kBlue); }},
        {"yol_pref_events.png", [](cairo_t* cr) {
             cairo_move_to(cr, 3, 12);
             cairo_curve_to(cr, 4.5, 10, 3.5, 3, 8, 2.5);
             cairo_curve_to(cr, 12.5, 3, 11.5, 10, 13, 12);
             cairo_close_path(cr);
             FillStroke(cr, kYellow, kInk);
             Circle(cr, 8, 13.3, 1.4);
             FillStroke(cr, kYellow, kInk, 0.8);
         }},
        {"yol_pref_antispam.png", [](cairo_t* cr) {
             cairo_move_to(cr, 8, 1.5);
             cairo_line_to(cr, 14, 3.5);
             cairo_curve_to(cr, 14, 9, 12, 12.5, 8, 14.5);
             cairo_curve_to(cr, 4, 12.5, 2, 9, 2, 3.5);
             cairo_close_path(cr);
             FillStroke(cr, kGreen, kInk);
             Check(cr, kWhite, 1.6);
         }},
        {"yol_pref_sounds.png", [](cairo_t* cr) {
             SoundingSpeaker(cr, kInk, 1.1);
         }},
        {"yol_pref_interface.png", [](cairo_t* cr) {
             RoundRect(cr, 1.5, 2.5, 13, 11, 1);
             FillStroke(cr, kWhite, kInk);
             cairo_rectangle(cr, 1.5, 2.5, 13, 3);
             FillStroke(cr, kBlue, kInk);
             cairo_rectangle(cr, 3.5, 7.5, 4, 4);
             Fill(cr, kYellow);
             cairo_new_path(cr);
         }},
        {"yol_pref_hardware.png", [](cairo_t* cr) {
             for (double p = 4.5; p < 12; p += 2.3) {
                 Line(cr, p, 1.5, p, 14.5, kGrey, 1);
                 Line(cr, 1.5, p, 14.5, p, kGrey, 1);
             }
             cairo_rectangle(cr, 3.5, 3.5, 9, 9);
             FillStroke(cr, kInk, kInk, 0.8);
         }},
        {"yol_pref_accounts.png", [](cairo_t* cr) {
             Circle(cr, 5, 8, 3.5);
             FillStroke(cr, kYellow, kInk);
             Polygon(cr, {8, 7, 14.5, 7, 14.5, 9, 13, 9, 13, 11, 11.5, 11, 11.5, 9, 8, 9});
             FillStroke(cr, kYellow, kInk, 0.8);
             Circle(cr, 4.2, 8, 1);
             Set(cr, kInk);
             cairo_fill(cr);
         }},
        {"yol_cmn_connect.png", [](cairo_t* cr) {
             Polygon(cr, {9.5, 1, 3.5, 9, 7.5, 9, 6, 15, 12.5, 6.5, 8.5, 6.5});
             FillStroke(cr, kYellow, kInk, 0.8);
         }},
        {"yol_misc_empty.png", [](cairo_t*) {}},
        {"yol_misc_info.png", [](cairo_t* cr) { InfoSign(cr, kBlue, Hex(0x174A8A)); }},
        {"yol_misc_email.png", [](cairo_t* cr) { Envelope(cr, kWhite); }},
        {"yol_misc_update.png", [](cairo_t* cr) {
             cairo_new_path(cr);
             cairo_arc(cr, 8, 8, 5, 0.2 * kPi, 1.8 * kPi);
             Stroke(cr, kGreen, 2);
             Polygon(cr, {14.5, 2.5, 14.5, 7.5, 9.5, 7.5});
             FillStroke(cr, kGreen, kGreen, 0.5);
         }},
        {"yol_misc_save_as.png", [](cairo_t* cr) {
             RoundRect(cr, 1.5, 1.5, 13, 13, 1);
             FillStroke(cr, kBlue, Hex(0x174A8A));
             cairo_rectangle(cr, 4, 1.5, 8, 5);
             FillStroke(cr, kWhite, Hex(0x174A8A), 0.7);
             cairo_rectangle(cr, 4.5, 9, 7, 5.5);
             FillStroke(cr, kGrey, Hex(0x174A8A), 0.7);
         }},
        {"yol_misc_delete.png", [](cairo_t* cr) { Cross(cr, 8, 8, 5, kRed, 3); }},
        {"yol_misc_warning.png", [](cairo_t* cr) {
             Polygon(cr, {8, 1.5, 15, 14, 1, 14});
             FillStroke(cr, kYellow, kInk);
             Line(cr, 8, 6, 8, 9.8, kInk, 1.8);
             Circle(cr, 8, 12, 1);
             Set(cr, kInk);
             cairo_fill(cr);
         }},
        {"yol_misc_open_folder.png", [](cairo_t* cr) { Folder(cr, true); }},
        {"yol_misc_tick.png", [](cairo_t* cr) { Check(cr, kGreen); }},
        {"yol_misc_file_receive.png", [](cairo_t* cr) {
             Page(cr, 1.5, 1.5);
             cairo_save(cr); cairo_scale(cr, 0.55, 0.55); cairo_translate(cr, 12, 12); Arrow(cr, kPi / 2, kGreen); cairo_restore(cr);
         }},
        {"yol_mmenu_quit.png", [](cairo_t* cr) {
             cairo_new_path(cr);
             cairo_arc(cr, 8, 8.5, 5.5, -0.3 * kPi, 1.3 * kPi);
             cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
             Stroke(cr, kRed, 2);
             Line(cr, 8, 1.5, 8, 8, kRed, 2);
         }},
        {"yol_mmenu_about.png", [](cairo_t* cr) { InfoSign(cr, kGreen, Hex(0x1D5E1A)); }},
        {"yol_mmenu_prefs.png", [](cairo_t* cr) { Gear(cr, kBlue); }},
        {"yol_mmenu_files.png", [](cairo_t* cr) { Page(cr, 1.5, 1); Page(cr, 4.5, 2.5); cairo_save(cr); cairo_scale(cr, 0.5, 0.5); cairo_translate(cr, 14, 14); Arrow(cr, kPi / 2, kGreen); cairo_restore(cr); }},
        {"yol_mmenu_hide_groups.png", [](cairo_t* cr) { Folder(cr, false); Badge(cr, kGrey); Minus(cr, 12, 12, 2, kWhite, 1.4); }},
        {"yol_mmenu_show_groups.png", [](cairo_t* cr) { Folder(cr, true); Badge(cr, kBlue); Plus(cr, 12, 12, 2, kWhite, 1.4); }},
        {"yol_mmenu_show_all.png", [](cairo_t* cr) { Person(cr, 10.5, 7, 0.85, kGrey); Person(cr, 6, 8, 1, kGreen); }},
        {"yol_mmenu_show_online.png", [](cairo_t* cr) { Person(cr, 7, 7, 1, kGreen); Badge(cr, kGreen); }},
        {"yol_mmenu_soundon.png", [](cairo_t* cr) {
             SoundingSpeaker(cr, kGreen, 1.3);
         }},
        {"yol_mmenu_soundoff.png", [](cairo_t* cr) { Speaker(cr); Cross(cr, 12.3, 8, 2, kRed, 1.6); }},
        {"yol_mmenu_details.png", [](cairo_t* cr) { Person(cr, 8, 7, 1.1, kBlue); }},
        {"yol_mmenu_find.png", [](cairo_t* cr) { Magnifier(cr); }},
        {"xstatus_mode.png", [](cairo_t* cr) {
             cairo_new_path(cr);
             for (int i = 0; i < 10; ++i) {
                 const double a = -kPi / 2 + i * kPi / 5, r = i % 2 == 0 ? 7 : 3;
                 cairo_line_to(cr, 8 + r * std::cos(a), 8.5 + r * std::sin(a));
             }
             cairo_close_path(cr);
             FillStroke(cr, kYellow, kInk, 0.8);
         }},
        {"xstatus_none.png", [](cairo_t* cr) { Circle(cr, 8, 8, 5.5); Stroke(cr, kGrey, 1.5); Line(cr, 4.2, 11.8, 11.8, 4.2, kGrey, 1.5); }},
        {"xstatus_angry.png", [](cairo_t* cr) { Face(cr, kRed, -2.5); Line(cr, 4.5, 4, 7, 5.2, kInk, 1); Line(cr, 11.5, 4, 9, 5.2, kInk, 1); }},
        {"xstatus_duck.png", [](cairo_t* cr) {
             Circle(cr, 7, 9.5, 5);
             FillStroke(cr, kYellow, kInk, 0.8);
             Circle(cr, 9, 4.5, 3);
             FillStroke(cr, kYellow, kInk, 0.8);
             Polygon(cr, {11.5, 4, 15, 5, 11.5, 6});
             FillStroke(cr, kOrange, kInk, 0.6);
         }},
        {"xstatus_tired.png", [](cairo_t* cr) { Face(cr, Hex(0xE6D3A3), 0); Zz(cr, 11, 1, 3); }},
        {"xstatus_party.png", [](cairo_t* cr) {
             Polygon(cr, {2, 14, 6, 3, 13, 10});
             FillStroke(cr, Hex(0xB04FD1), kInk, 0.8);
             for (auto [x, y, c] : {std::tuple{11.0, 3.0, kRed}, {14.0, 6.0, kGreen}, {9.0, 1.5, kBlue}}) {
                 Circle(cr, x, y, 1);
                 Set(cr, c);
                 cairo_fill(cr);
             }
         }},
        {"xstatus_beer.png", [](cairo_t* cr) { Cup(cr, Hex(0xF2B01E), kWhite); }},
        {"xstatus_thinking.png", [](cairo_t* cr) {
             Circle(cr, 6, 7, 3.5);
             Circle(cr, 10, 6, 4);
             Circle(cr, 8, 9, 3.5);
             FillStroke(cr, kWhite, kInk, 0.8);
             Circle(cr, 3, 13, 1.2);
             FillStroke(cr, kWhite, kInk, 0.6);
         }},
        {"xstatus_eating.png", [](cairo_t* cr) {
             Circle(cr, 8, 8, 6.5);
             FillStroke(cr, kWhite, kInk, 0.8);
             Circle(cr, 8, 8, 4);
             Stroke(cr, kGrey, 0.8);
         }},
        {"xstatus_tv.png", [](cairo_t* cr) {
             RoundRect(cr, 1.5, 4, 13, 9.5, 1.5);
             FillStroke(cr, kGrey, kInk);
             cairo_rectangle(cr, 3, 5.5, 10, 6.5);
             Fill(cr, kBlue);
             cairo_new_path(cr);
             Line(cr, 5.5, 1, 8, 4, kInk, 0.9);
             Line(cr, 10.5, 1, 8, 4, kInk, 0.9);
         }},
        {"xstatus_friends.png", [](cairo_t* cr) { Person(cr, 5, 8, 0.9, kOrange); Person(cr, 11, 8, 0.9, kGreen); }},
        {"xstatus_coffee.png", [](cairo_t* cr) { Cup(cr, kWhite, Hex(0x6B3E1E)); }},
        {"xstatus_music.png", [](cairo_t* cr) {
             Circle(cr, 4.5, 12, 2.2);
             Circle(cr, 11.5, 10.5, 2.2);
             Fill(cr, kInk);
             cairo_new_path(cr);
             Polygon(cr, {6, 12, 6, 3.5, 13.5, 2, 13.5, 10.5, 12.5, 10.5, 12.5, 4, 7, 5.2, 7, 12});
             Fill(cr, kInk);
             cairo_new_path(cr);
         }},
        {"xstatus_business.png", [](cairo_t* cr) {
             RoundRect(cr, 1.5, 5, 13, 9, 1.2);
             FillStroke(cr, Hex(0x7A4A22), kInk);
             RoundRect(cr, 5.5, 2.5, 5, 3, 1);
             Stroke(cr, kInk, 1);
         }},
        {"xstatus_camera.png", [](cairo_t* cr) {
             RoundRect(cr, 1.5, 4.5, 13, 9, 1.5);
             FillStroke(cr, kGrey, kInk);
             Circle(cr, 8, 9, 2.8);
             FillStroke(cr, kBlue, kInk, 0.8);
             cairo_rectangle(cr, 5, 2.5, 4, 2);
             Fill(cr, kInk);
             cairo_new_path(cr);
         }},
        {"xstatus_funny.png", [](cairo_t* cr) { Face(cr, kYellow, 4.5); }},
        {"xstatus_phone.png", [](cairo_t* cr) {
             RoundRect(cr, 4.5, 1.5, 7, 13, 1.5);
             FillStroke(cr, kInk, kInk);
             cairo_rectangle(cr, 5.5, 3, 5, 8);
             Fill(cr, Hex(0x9FD3F5));
             cairo_new_path(cr);
         }},
        {"xstatus_games.png", [](cairo_t* cr) {
             RoundRect(cr, 1, 5, 14, 7.5, 3);
             FillStroke(cr, kGrey, kInk);
             Plus(cr, 4.8, 8.7, 1.6, kInk, 1);
             Circle(cr, 10.5, 8, 0.9);
             Circle(cr, 12.2, 9.6, 0.9);
             Set(cr, kRed);
             cairo_fill(cr);
         }},
        {"xstatus_college.png", [](cairo_t* cr) {
             Polygon(cr, {8, 3, 15, 6.5, 8, 10, 1, 6.5});
             FillStroke(cr, kInk, kInk, 0.6);
             Polygon(cr, {4, 8.5, 12, 8.5, 12, 12, 8, 13.5, 4, 12});
             FillStroke(cr, kInk, kInk, 0.6);
             Line(cr, 14, 6.5, 14, 11, kYellow, 0.8);
         }},
        {"xstatus_shopping.png", [](cairo_t* cr) {
             Polygon(cr, {3, 5.5, 13, 5.5, 12, 14.5, 4, 14.5});
             FillStroke(cr, kOrange, kInk);
             cairo_new_path(cr);
             cairo_arc(cr, 8, 5.5, 2.5, kPi, 2 * kPi);
             Stroke(cr, kInk, 1);
         }},
        {"xstatus_sick.png", [](cairo_t* cr) { Face(cr, Hex(0x9BD17A), -1.5); }},
        {"xstatus_sleeping.png", [](cairo_t* cr) { Zz(cr, 2, 8, 5); Zz(cr, 8, 3, 4); Zz(cr, 12.5, 0.8, 2.5); }},
        {"xstatus_surfing.png", [](cairo_t* cr) {
             cairo_move_to(cr, 1, 11);
             cairo_curve_to(cr, 4, 5, 9, 4, 11, 7);
             cairo_curve_to(cr, 9, 7, 8, 9, 10, 11);
             cairo_curve_to(cr, 12, 13, 14, 11, 15, 10);
             cairo_line_to(cr, 15, 15);
             cairo_line_to(cr, 1, 15);
             cairo_close_path(cr);
             FillStroke(cr, Hex(0x3FA6D8), Hex(0x1C5D80), 0.8);
         }},
        {"xstatus_@.png", [](cairo_t* cr) { AtSign(cr); }},
        {"xstatus_engineering.png", [](cairo_t* cr) {
             Line(cr, 4, 12, 10, 6, kGrey, 2.6);
             Circle(cr, 11, 5, 3.2);
             FillStroke(cr, kGrey, kInk, 0.8);
             Circle(cr, 12, 4, 1.3);
             Set(cr, kWhite);
             cairo_fill(cr);
         }},
        {"xstatus_typing.png", [](cairo_t* cr) {
             RoundRect(cr, 1, 5, 14, 7, 1);
             FillStroke(cr, kGrey, kInk);
             for (double x = 2.8; x < 13; x += 2.2)
                 for (double y = 6.5; y < 10; y += 2.2) {
                     cairo_rectangle(cr, x, y, 1.4, 1.4);
                     Set(cr, kWhite);
                     cairo_fill(cr);
                 }
         }},
        {"xstatus_china1.png", [](cairo_t* cr) { Lantern(cr, 1); }},
        {"xstatus_china2.png", [](cairo_t* cr) { Lantern(cr, 2); }},
        {"xstatus_china3.png", [](cairo_t* cr) { Lantern(cr, 3); }},
        {"xstatus_china4.png", [](cairo_t* cr) { Lantern(cr, 4); }},
        {"xstatus_china5.png", [](cairo_t* cr) { Lantern(cr, 5); }},
        {"xstatus_de1.png", [](cairo_t* cr) { Flag(cr, Hex(0x1E1E1E), kRed, kYellow); }},
        {"xstatus_de2.png", [](cairo_t* cr) { Flag(cr, kBlue, kWhite, kRed); }},
        {"xstatus_de3.png", [](cairo_t* cr) { Flag(cr, kGreen, kWhite, kOrange); }},
        {"xstatus_ru_search.png", [](cairo_t* cr) { Magnifier(cr); }},
        {"xstatus_ru_love.png", [](cairo_t* cr) { Heart(cr, kRed); }},
        {"xstatus_ru_journal.png", [](cairo_t* cr) { Book(cr, kBlue); }},
    };
}

bool WriteIcon(const std::string& folder, const Icon& icon) {
    const int side = 16 * kIconScale;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, kIconScale, kIconScale);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    icon.paint(cr);
    cairo_destroy(cr);
    const bool ok = cairo_surface_write_to_png(surface, (folder + "/" + icon.file).c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

// The message windows' background: a soft, seamless paper tile.
bool WriteBackground(const std::string& folder) {
    const int side = 64;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, side, side);
    cairo_t* cr = cairo_create(surface);
    Set(cr, Hex(0xF7F9FC));
    cairo_paint(cr);
    Set(cr, Hex(0xEEF2F8));
    for (int i = 0; i < side; i += 8) {
        cairo_rectangle(cr, 0, i, side, 1);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    const bool ok = cairo_surface_write_to_png(surface, (folder + "/yol_mw_background.png").c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

// The splash picture: the program's speech-bubble mark and its name drawn as
// strokes (no fonts needed at build time), on a 320 x 200 grid stored at
// 200 x 125 pixels. The splash shows it at that many logical pixels, which
// leaves a margin on the narrowest (240-pixel) screen.
bool WriteSplash(const std::string& folder) {
    const int width = 320, height = 200;
    const double scale = 0.625;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width * scale),
                                                          static_cast<int>(height * scale));
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0.20, 0.48, 0.84);
    cairo_pattern_add_color_stop_rgb(sky, 1, 0.10, 0.27, 0.55);
    RoundRect(cr, 0, 0, width, height, 18);
    cairo_set_source(cr, sky);
    cairo_fill(cr);
    cairo_pattern_destroy(sky);

    cairo_save(cr);
    cairo_translate(cr, 28, 46);
    cairo_scale(cr, 6.5, 6.5);
    RoundRect(cr, 1, 1, 14, 10, 3);
    Polygon(cr, {4, 10, 3.5, 15, 9, 10});
    Set(cr, kWhite);
    cairo_fill(cr);
    for (double x : {5.0, 8.0, 11.0}) {
        Circle(cr, x, 6, 1.1);
        Set(cr, kBlue);
        cairo_fill(cr);
    }
    cairo_restore(cr);

    // "Yol" as strokes.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 12);
    Set(cr, kWhite);
    cairo_move_to(cr, 150, 60);
    cairo_line_to(cr, 170, 95);
    cairo_line_to(cr, 190, 60);
    cairo_move_to(cr, 170, 95);
    cairo_line_to(cr, 170, 135);
    cairo_stroke(cr);
    Circle(cr, 225, 115, 18);
    cairo_stroke(cr);
    cairo_move_to(cr, 270, 55);
    cairo_line_to(cr, 270, 135);
    cairo_stroke(cr);
    cairo_destroy(cr);
    const bool ok = cairo_surface_write_to_png(surface, (folder + "/yol_splash.png").c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = WriteBackground(folder) && WriteSplash(folder);
    for (const Icon& icon : Icons())
        ok = WriteIcon(folder, icon) && ok;
    if (!ok) {
        std::fprintf(stderr, "make_default_skin: could not write the pictures into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
