// The contact-list window over 5,000 contacts loaded into all four views: a
// full repaint of a 480 x 640 window at 192 dpi (off-screen bitmap, skin
// background, every visible row through the draw context, one block copy),
// and one scroll step (the bar message and the repaint it causes), per view.
//
// Reference, same run: the rows the window draws (recorded from the same
// tree at the same scroll position) painted with plain cairo and Pango calls
// into an image surface: background pattern, gradients, the skin's
// pictures scaled to 16 logical pixels and one text layout per caption. The
// difference is the cost of the window, its draw context and the drawing
// layer.

#include "ClViewsStage.h"
#include "CYolPath.h"
#include "CYolWMCL_Ctrl.h"
#include "CYolWMSkins_BkBrush.h"
#include "CYolWMSkins_ImageManager.h"
#include "Controls/ControlScrollBar.h"
#include "Drawing/Gdi.h"
#include "Shell/ShellScreen.h"
#include "SkinColors.h"
#include "SkinImages.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowGeometry.h"
#include "WindowSystem/WindowPaint.h"

#include <benchmark/benchmark.h>

#include <cairo.h>
#include <pango/pangocairo.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 640;
const char* const kSkin = "Yol PDA skin";

class BenchHost final : public UI_CL::MYolWMCL_CtrlHost {
public:
    HWND app = nullptr;
    HBRUSH background = nullptr;

    LOGFONTW ListFont() override {
        LOGFONTW font;
        font.lfHeight = -12;
        return font;
    }
    bool DontShowIcons() override { return false; }
    bool DontSleep() override { return false; }
    bool FullScreen() override { return false; }
    HWND AppWindow() override { return app; }
    HBRUSH BackgroundBrush() override { return background; }
    void ResetIdleTimer() override {}
    UI_CL::TYolWMCL_MenuChoice PopupMenu(const CYolMenuInfo&, const RECT&, POINT, int, HWND, bool) override {
        return {};
    }
    bool AskName(HWND, bool, CYolString&) override { return false; }
    void EditAccount(unsigned int) override {}
    void AddContact(unsigned int, unsigned int) override {}
    void AddContactFrom(unsigned int, unsigned int) override {}
    bool ChooseMetaContact(unsigned int, unsigned int&) override { return false; }
    void ShowContactDetails(unsigned int) override {}
    bool ChooseFile(HWND, const CYolString&, CYolString&) override { return false; }
    void ShowHistory(unsigned int) override {}
    void RaiseAlert(int) override {}
    void ShowStatusNotification(unsigned int) override {}
};

LRESULT AppProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProc(hwnd, msg, wParam, lParam); }

// What the window draws, row by row, for the plain reference.
struct RecordedRow {
    enum Kind { Selection, Account, Group, Contact } kind;
    RECT rect;
    std::string text;
    std::string counter;
    std::vector<int> images;  // left to right: x offsets are fixed per kind
    Skins::TSkinColor top = Skins::SKIN_CLR_ACCOUNT_TOP;
    Skins::TSkinColor bottom = Skins::SKIN_CLR_ACCOUNT_BOTTOM;
    Skins::TSkinColor textColor = Skins::SKIN_CLR_TEXT;
};

class RowRecorder final : public CL::CYol_CLDrawContext {
public:
    std::vector<RecordedRow> rows;

    void DrawSelection(int top, int left, int bottom, int right) override {
        rows.push_back({RecordedRow::Selection, RECT{left, top, right, bottom}, {}, {}, {}, Skins::SKIN_CLR_SEL_TOP,
                        Skins::SKIN_CLR_SEL_BOTTOM, Skins::SKIN_CLR_SEL_FRAME});
    }
    void DrawAccountRow(int top, int left, int bottom, int right, bool expanded, int icon, const CYolString& caption,
                        bool) override {
        rows.push_back({RecordedRow::Account, RECT{left, top, right, bottom}, caption.ToUtf8(), {},
                        {expanded ? Skins::SKIN_IMG_CL_ROOT_OPENED : Skins::SKIN_IMG_CL_ROOT_CLOSED, icon},
                        Skins::SKIN_CLR_ACCOUNT_TOP, Skins::SKIN_CLR_ACCOUNT_BOTTOM, Skins::SKIN_CLR_ACCOUNT_TEXT});
    }
    void DrawGroupRow(int top, int left, int bottom, int right, bool expanded, const CYolString& caption, bool,
                      int online, int total) override {
        std::string counter = online == -1 ? (total == -1 ? "" : std::to_string(total))
                                           : std::to_string(online) + (total == -1 ? "" : "/" + std::to_string(total));
        rows.push_back({RecordedRow::Group, RECT{left, top, right, bottom}, caption.ToUtf8(), counter,
                        {expanded ? Skins::SKIN_IMG_CL_GROUP_OPENED : Skins::SKIN_IMG_CL_GROUP_CLOSED},
                        Skins::SKIN_CLR_GROUP_TEXT, Skins::SKIN_CLR_GROUP_TEXT, Skins::SKIN_CLR_GROUP_TEXT});
    }
    void DrawContactRow(int top, int left, int bottom, int right, const CL::CYol_CLContactRow& row) override {
        std::vector<int> images;
        for (unsigned int id : CL::ContactFirstColumn(row, 0))
            images.push_back(static_cast<int>(id));
        Skins::TSkinColor color = row.inNoGroup ? Skins::SKIN_CLR_CONTACT_NOGROUP
                                  : row.online  ? Skins::SKIN_CLR_CONTACT_ONLINE
                                                : Skins::SKIN_CLR_CONTACT_OFFLINE;
        rows.push_back({RecordedRow::Contact, RECT{left, top, right, bottom}, row.name.ToUtf8(), {}, images, color,
                        color, color});
    }
};

// The program folder with the default skin, the 5,000 contacts in the four
// views, and the window showing them.
struct WindowStage {
    ClBench::Stage& data = ClBench::TheStage();
    CL::CYol_CLRootItem views;
    Skins::CYolWMSkins_ImageManager images{[] { return CYolString::FromUtf8(kSkin); }};
    Skins::CYolWMSkins_BkBrush brush;
    BenchHost host;
    std::unique_ptr<UI_CL::CYolWMCL_Ctrl> ctrl;

    WindowStage() {
        CYolPath::SetAppDir(CYolString::FromUtf8(YOL_PROGRAM_FOLDER));
        Platform::SetScreen(kWidth, kHeight, 192, 192);
        ClBench::LoadViews(views, data, ClBench::kMaxContacts);
        brush.Create(images);
        WNDCLASS wc;
        wc.lpfnWndProc = AppProc;
        wc.lpszClassName = u"BenchApp";
        RegisterClass(&wc);
        host.app = CreateWindowEx(0, u"BenchApp", u"", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                  nullptr, nullptr);
        host.background = brush.GetBrush();
        ctrl = std::make_unique<UI_CL::CYolWMCL_Ctrl>(views, nullptr, host, images);
        ctrl->Create(WS_VISIBLE, RECT{0, 0, kWidth, kHeight}, host.app);
        Platform::PumpMessages();
    }

    CL::CYol_CLItem* View(int index) {
        CL::CYol_CLItem* all[] = {views.grouped, views.flat, views.groupedMeta, views.flatMeta};
        return all[index];
    }

    void Show(int index) {
        ctrl->ShowView(View(index));
        UpdateWindow(ctrl->GetWindow());
    }

    RECT Client() {
        RECT client{};
        GetClientRect(ctrl->GetWindow(), &client);
        return client;
    }

    std::vector<RecordedRow> Record(int index, int position) {
        RowRecorder recorder;
        RECT client = Client();
        recorder.width = client.right;
        recorder.height = client.bottom;
        recorder.yOrigin = -position;
        auto held = views.Lock();
        View(index)->Draw(recorder, 0, -position, client.right, true);
        return recorder.rows;
    }
};

WindowStage& TheWindow() {
    static WindowStage stage;
    return stage;
}

const char* const kViewNames[] = {"grouped", "flat", "grouped meta", "flat meta"};

void BM_WindowFullRepaint(benchmark::State& state) {
    WindowStage& stage = TheWindow();
    int view = static_cast<int>(state.range(0));
    stage.Show(view);
    HWND window = stage.ctrl->GetWindow();
    for (auto _ : state) {
        InvalidateRect(window, nullptr, false);
        UpdateWindow(window);
    }
    state.SetLabel(kViewNames[view]);
}

void BM_WindowScrollStep(benchmark::State& state) {
    WindowStage& stage = TheWindow();
    int view = static_cast<int>(state.range(0));
    stage.Show(view);
    HWND window = stage.ctrl->GetWindow();
    bool down = true;
    for (auto _ : state) {
        SendMessage(window, WM_VSCROLL, down ? SB_LINEDOWN : SB_LINEUP, 0);
        UpdateWindow(window);
        down = !down;
    }
    state.SetLabel(kViewNames[view]);
}

// ------------------------------------------------------------ plain reference

struct PlainPainter {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    cairo_pattern_t* background = nullptr;
    std::map<int, cairo_surface_t*> pictures;
    int scale = 2;

    PlainPainter() {
        PangoFontDescription* description = pango_font_description_from_string("DejaVu Sans");
        pango_font_description_set_absolute_size(description, 12.0 * scale * PANGO_SCALE);
        pango_layout_set_font_description(layout, description);
        pango_font_description_free(description);
        pango_layout_set_single_paragraph_mode(layout, TRUE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
        cairo_surface_t* tile = Load(Skins::SKIN_IMG_MW_BACKGROUND);
        background = cairo_pattern_create_for_surface(tile);
        cairo_pattern_set_extend(background, CAIRO_EXTEND_REPEAT);
    }
    ~PlainPainter() {
        cairo_pattern_destroy(background);
        for (auto& picture : pictures)
            cairo_surface_destroy(picture.second);
        g_object_unref(layout);
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }

    cairo_surface_t* Load(int id) {
        auto it = pictures.find(id);
        if (it != pictures.end())
            return it->second;
        std::string path = std::string(YOL_PROGRAM_FOLDER) + "/Skins/" + kSkin + "/" +
                           CYolString(Skins::GetSkinImageFileName(id)).ToUtf8();
        cairo_surface_t* picture = cairo_image_surface_create_from_png(path.c_str());
        pictures[id] = picture;
        return picture;
    }

    void Color(COLORREF c) { cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0); }

    void Picture(int id, double x, double y, double size) {
        cairo_surface_t* picture = id < 0 ? nullptr : Load(id);
        if (picture == nullptr || cairo_surface_status(picture) != CAIRO_STATUS_SUCCESS)
            return;
        int w = cairo_image_surface_get_width(picture);
        int h = cairo_image_surface_get_height(picture);
        if (w == 0 || h == 0)
            return;
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, size / w, size / h);
        cairo_set_source_surface(cr, picture, 0, 0);
        cairo_paint(cr);
        cairo_restore(cr);
    }

    double Text(const std::string& text, double x, const RECT& r, COLORREF color) {
        pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
        pango_layout_set_width(layout, static_cast<int>((r.right - x) * PANGO_SCALE));
        int width = 0;
        int height = 0;
        pango_layout_get_pixel_size(layout, &width, &height);
        Color(color);
        cairo_move_to(cr, x, r.top + (r.bottom - r.top - height) / 2.0);
        pango_cairo_show_layout(cr, layout);
        return x + width;
    }

    void Gradient(const RECT& r, COLORREF from, COLORREF to) {
        cairo_pattern_t* pattern = cairo_pattern_create_linear(0, r.top, 0, r.bottom);
        cairo_pattern_add_color_stop_rgb(pattern, 0, GetRValue(from) / 255.0, GetGValue(from) / 255.0,
                                         GetBValue(from) / 255.0);
        cairo_pattern_add_color_stop_rgb(pattern, 1, GetRValue(to) / 255.0, GetGValue(to) / 255.0,
                                         GetBValue(to) / 255.0);
        cairo_set_source(cr, pattern);
        cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
        cairo_fill(cr);
        cairo_pattern_destroy(pattern);
    }

    void Paint(const std::vector<RecordedRow>& rows) {
        cairo_set_source(cr, background);
        cairo_paint(cr);
        for (const RecordedRow& row : rows) {
            const RECT& r = row.rect;
            double middle = (r.top + r.bottom) / 2.0;
            double icon = 16.0 * scale;
            switch (row.kind) {
                case RecordedRow::Selection:
                    Gradient(r, Skins::GetSkinColor(row.top), Skins::GetSkinColor(row.bottom));
                    Color(Skins::GetSkinColor(row.textColor));
                    cairo_rectangle(cr, r.left + 0.5, r.top + 0.5, r.right - r.left - 1, r.bottom - r.top - 1);
                    cairo_set_line_width(cr, 1);
                    cairo_stroke(cr);
                    break;
                case RecordedRow::Account:
                    Gradient(r, Skins::GetSkinColor(row.top), Skins::GetSkinColor(row.bottom));
                    Picture(row.images[0], r.left + 3 * scale, middle - 7 * scale, 14.0 * scale);
                    Picture(row.images[1], r.left + 20 * scale, middle - icon / 2, icon);
                    Text(row.text, r.left + 37 * scale, r, Skins::GetSkinColor(row.textColor));
                    break;
                case RecordedRow::Group: {
                    Picture(row.images[0], r.left + 3 * scale, middle - icon / 2, icon);
                    double end = Text(row.text, r.left + 22 * scale, r, Skins::GetSkinColor(row.textColor));
                    if (!row.counter.empty())
                        Text(row.counter, end + 4 * scale, r, Skins::GetSkinColor(Skins::SKIN_CLR_GROUP_ONLINE));
                    break;
                }
                case RecordedRow::Contact:
                    for (int id : row.images)
                        Picture(id, r.left + 3 * scale, middle - icon / 2, icon);
                    Text(row.text, r.left + 22 * scale, r, Skins::GetSkinColor(row.textColor));
                    break;
            }
        }
        cairo_surface_flush(surface);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(surface)[1000]);
    }
};

void BM_PlainFullRepaint(benchmark::State& state) {
    WindowStage& stage = TheWindow();
    int view = static_cast<int>(state.range(0));
    std::vector<RecordedRow> rows = stage.Record(view, 0);
    PlainPainter painter;
    for (auto _ : state)
        painter.Paint(rows);
    state.SetLabel(kViewNames[view]);
}

void BM_PlainScrollStep(benchmark::State& state) {
    WindowStage& stage = TheWindow();
    int view = static_cast<int>(state.range(0));
    std::vector<RecordedRow> at[] = {stage.Record(view, 0), stage.Record(view, Platform::ScaleY(20))};
    PlainPainter painter;
    int which = 1;
    for (auto _ : state) {
        painter.Paint(at[which]);
        which = 1 - which;
    }
    state.SetLabel(kViewNames[view]);
}

}  // namespace

BENCHMARK(BM_WindowFullRepaint)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainFullRepaint)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WindowScrollStep)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainScrollStep)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
