#pragma once
// What the contact-list window suites share: a host and an observer that
// record what the window asks and tells, and a fixture that shows the real
// views (following the real model) in the window on the headless screen at
// 96 dpi, with the default skin the build drew.

#include "CYolPath.h"
#include "CYolWMCL_Ctrl.h"
#include "CYolWMSkins_BkBrush.h"
#include "CYolWMSkins_ImageManager.h"
#include "SkinColors.h"
#include "ViewTestSupport.h"
#include "WindowTestSupport.h"

#include "Backends/Backend.h"
#include "Drawing/Gdi.h"

#include <cairo.h>

#include <filesystem>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace ClWindowSupport {

class RecordingHost final : public UI_CL::MYolWMCL_CtrlHost, public ViewTest::CallLog {
public:
    LOGFONTW font{};
    bool dontShowIcons = false;
    bool dontSleep = false;
    bool fullScreen = false;
    HWND app = nullptr;
    HBRUSH background = nullptr;
    // What the pop-up menu answers; nothing chosen by default.
    std::function<UI_CL::TYolWMCL_MenuChoice(const CYolMenuInfo&)> chooseFromMenu;
    RECT menuBounds{};
    POINT menuAnchor{};
    int menuAlign = -1;
    // What the dialogs answer.
    bool dialogsAccept = true;
    CYolString nameAnswer;
    CYolString nameShown;
    unsigned int metaAnswer = 0;
    CYolString fileAnswer;

    LOGFONTW ListFont() override { return font; }
    bool DontShowIcons() override { return dontShowIcons; }
    bool DontSleep() override { return dontSleep; }
    bool FullScreen() override { return fullScreen; }
    HWND AppWindow() override { return app; }
    HBRUSH BackgroundBrush() override { return background; }
    void ResetIdleTimer() override { calls.push_back("ResetIdleTimer"); }
    UI_CL::TYolWMCL_MenuChoice PopupMenu(const CYolMenuInfo& menu, const RECT& bounds, POINT anchor, int align, HWND,
                                         bool) override {
        calls.push_back("PopupMenu " + std::to_string(menu.Count()));
        menuBounds = bounds;
        menuAnchor = anchor;
        menuAlign = align;
        return chooseFromMenu ? chooseFromMenu(menu) : UI_CL::TYolWMCL_MenuChoice{};
    }
    // Runs while a dialog is up, as its own message loop would.
    std::function<void()> duringDialog;

    bool AskName(HWND, bool groupMode, CYolString& name) override {
        calls.push_back(std::string("AskName ") + (groupMode ? "group " : "contact ") + name.ToUtf8());
        if (duringDialog)
            duringDialog();
        nameShown = name;
        if (dialogsAccept)
            name = nameAnswer;
        return dialogsAccept;
    }
    void EditAccount(unsigned int account) override { Call("EditAccount", account); }
    void AddContact(unsigned int account, unsigned int group) override { Call("AddContact", account, group); }
    void AddContactFrom(unsigned int account, unsigned int contact) override { Call("AddContactFrom", account, contact); }
    bool ChooseMetaContact(unsigned int current, unsigned int& chosen) override {
        Call("ChooseMetaContact", current);
        chosen = metaAnswer;
        return dialogsAccept;
    }
    void ShowContactDetails(unsigned int contact) override { Call("ShowContactDetails", contact); }
    bool ChooseFile(HWND, const CYolString& mask, CYolString& path) override {
        calls.push_back("ChooseFile " + mask.ToUtf8());
        path = fileAnswer;
        return dialogsAccept;
    }
    void ShowHistory(unsigned int contact) override { Call("ShowHistory", contact); }
    void RaiseAlert(int event) override { calls.push_back("RaiseAlert " + std::to_string(event)); }
    void ShowStatusNotification(unsigned int contact) override { Call("ShowStatusNotification", contact); }
};

class RecordingObserver final : public UI_CL::MYolWMCL_CLCtrlObserver, public ViewTest::CallLog {
public:
    CL::CYol_CLItem* lastSelected = nullptr;

    void OnItemActivated(unsigned int id, const Protocols::ContactStatusInfo&) override { Call("Activated", id); }
    void OnStatusBarTap(int digit) override { calls.push_back("StatusBarTap " + std::to_string(digit)); }
    void OnSelectionChanged(CL::CYol_CLItem* selected) override {
        lastSelected = selected;
        calls.push_back("SelectionChanged");
    }
    void OnShowChats(int left, int distance) override {
        calls.push_back("ShowChats " + std::to_string(left) + " " + std::to_string(distance));
    }
};

// The window is 240 x 300 at the screen's top-left corner, inside an
// application window that fills the screen.
class ClWindowTest : public ViewTest::ViewsTest {
protected:
    static constexpr int kWindowWidth = 240;
    static constexpr int kWindowHeight = 300;

    void SetUp() override {
        ViewTest::ViewsTest::SetUp();
        previousClock = CYolClock::Install(&clock);
        Platform::ResetInput();
        Platform::SetScreen(480, 640, 96, 96);
        CYolPath::SetAppDir(CYolString::FromUtf8(YOL_PROGRAM_FOLDER));
        Skins::SetSkinColorTable(nullptr);
        brush.Create(images);
        ui_test::RegisterRecordingClass();
        host.app = CreateWindowEx(0, ui_test::kRecordingClass, u"app", WS_POPUP | WS_VISIBLE, 0, 0, 480, 600,
                                  nullptr, nullptr, nullptr, &appRecorder);
        host.background = brush.GetBrush();
        host.font.lfHeight = -12;
        CL::CYol_CLMetrics::SetItemsPerRow(1);
        MakeControl();
    }

    void TearDown() override {
        ctrl.reset();
        DestroyWindow(host.app);
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        Platform::ResetInput();
        Platform::SetScreen(480, 640, 192, 192);
        images.UnloadImages();
        CYolPath::SetAppDir(CYolString());
        CYolClock::Install(previousClock == &CYolClock::System() ? nullptr : previousClock);
        ViewTest::ViewsTest::TearDown();
    }

    void MakeControl() {
        ctrl.reset();
        ctrl = std::make_unique<UI_CL::CYolWMCL_Ctrl>(views, &observer, host, images);
        ASSERT_TRUE(ctrl->Create(WS_VISIBLE, RECT{0, 0, kWindowWidth, kWindowHeight}, host.app));
        ASSERT_NE(ctrl->GetWindow(), nullptr);
        SetFocus(ctrl->GetWindow());
    }

    // The model and the views have done everything, and so has the window.
    void Show() {
        Settle();
        Platform::PumpMessages();
    }

    void Advance(std::uint64_t ms) {
        clock.Advance(ms);
        Platform::PumpMessages();
    }

    // Window client coordinates to the screen's (the window sits at 0, 0).
    static POINT At(int x, int y) { return POINT{x, y}; }

    CL::CYol_CLItem* Selected() {
        auto held = views.Lock();
        return ctrl->Selected();
    }

    // The model id of the selected row, 0 without one or for a view's own row.
    unsigned int SelectedId() {
        auto held = views.Lock();
        auto* item = dynamic_cast<CL::CYol_CLModelItem*>(ctrl->Selected());
        return item != nullptr ? item->modelId : 0;
    }

    // The row of a contact in the shown view.
    CL::CYol_CLItem* RowOf(unsigned int id) {
        auto held = views.Lock();
        return Find(ctrl->Root(), id);
    }

    static CL::CYol_CLItem* Find(CL::CYol_CLItem* item, unsigned int id) {
        for (CL::CYol_CLItem* child = item->firstChild; child != nullptr; child = child->next) {
            auto* row = dynamic_cast<CL::CYol_CLModelItem*>(child);
            if (row != nullptr && row->modelId == id)
                return child;
            if (CL::CYol_CLItem* found = Find(child, id))
                return found;
        }
        return nullptr;
    }

    int OffsetOf(CL::CYol_CLItem* item) {
        auto held = views.Lock();
        return item->GetChildOffset(ctrl->Root());
    }

    // Three accounts with `perAccount` contacts each, in two groups per
    // account; every third contact online.
    std::vector<unsigned int> Populate(int perAccount) {
        for (unsigned int account : {ClTest::kAccountA, ClTest::kAccountB, ClTest::kAccountC})
            ManagerEvent(Protocols::ProtocolsManagerEvent::AccountAdded, account);
        std::vector<unsigned int> contacts;
        int n = 0;
        for (unsigned int account : {ClTest::kAccountA, ClTest::kAccountB, ClTest::kAccountC}) {
            unsigned int groups[] = {NamedGroup(account, "Friends"), NamedGroup(account, "Work")};
            for (int i = 0; i < perAccount; ++i, ++n) {
                char name[32];
                std::snprintf(name, sizeof name, "contact%03d", n);
                contacts.push_back(Contact(account, groups[i % 2], name, n % 3 == 0 ? 2 : 0));
            }
        }
        Show();
        return contacts;
    }

    CYolManualClock clock{1000000, 1700000000};
    ui_test::Recorder appRecorder;
    Skins::CYolWMSkins_ImageManager images{[] { return CYolString(u"Yol PDA skin"); }};
    Skins::CYolWMSkins_BkBrush brush;
    RecordingHost host;
    RecordingObserver observer;
    std::unique_ptr<UI_CL::CYolWMCL_Ctrl> ctrl;

private:
    CYolClock* previousClock = nullptr;
};

// Rows of a picture: how many distinct horizontal bands of `rowHeight`
// pixels it holds, judged by their pixels.
inline int DistinctBands(cairo_surface_t* picture, int rowHeight) {
    cairo_surface_flush(picture);
    const unsigned char* data = cairo_image_surface_get_data(picture);
    int stride = cairo_image_surface_get_stride(picture);
    int height = cairo_image_surface_get_height(picture);
    std::set<std::string> bands;
    for (int top = 0; top + rowHeight <= height; top += rowHeight)
        bands.insert(std::string(reinterpret_cast<const char*>(data + static_cast<size_t>(top) * stride),
                                 static_cast<size_t>(stride) * rowHeight));
    return static_cast<int>(bands.size());
}

struct Picture {
    int width = 0;
    int height = 0;
    std::string bytes;
};

inline Picture Capture(HWND window) {
    Picture picture;
    cairo_surface_t* surface = Platform::CaptureWindow(window);
    if (surface == nullptr)
        return picture;
    cairo_surface_flush(surface);
    picture.width = cairo_image_surface_get_width(surface);
    picture.height = cairo_image_surface_get_height(surface);
    picture.bytes.assign(reinterpret_cast<const char*>(cairo_image_surface_get_data(surface)),
                         static_cast<size_t>(cairo_image_surface_get_stride(surface)) * picture.height);
    cairo_surface_destroy(surface);
    return picture;
}

class ClWindowPicture : public ClWindowTest {
protected:
    std::vector<CL::CYol_CLItem*> Views() { return {views.grouped, views.flat, views.groupedMeta, views.flatMeta}; }

    void ShowAndPaint(CL::CYol_CLItem* view) {
        ctrl->ShowView(view);
        Platform::PumpMessages();
    }

    // Every view painted, each written as a PNG; the rows must differ.
    std::vector<Picture> PaintAllViews(const std::string& prefix) {
        std::vector<Picture> pictures;
        const char* names[] = {"grouped", "flat", "grouped-meta", "flat-meta"};
        std::vector<CL::CYol_CLItem*> all = Views();
        for (size_t i = 0; i < all.size(); ++i) {
            SCOPED_TRACE(names[i]);
            ShowAndPaint(all[i]);
            std::string path = PathOf(prefix + names[i] + ".png");
            EXPECT_TRUE(Platform::SaveWindowPng(ctrl->GetWindow(), path.c_str()));
            EXPECT_GT(std::filesystem::file_size(path), 1000u);
            cairo_surface_t* surface = Platform::CaptureWindow(ctrl->GetWindow());
            // A 300-pixel window holds 15 rows of 20 pixels: the names tell
            // them apart, so nearly all of them differ.
            EXPECT_GE(DistinctBands(surface, ctrl->RowHeight()), 12);
            cairo_surface_destroy(surface);
            pictures.push_back(Capture(ctrl->GetWindow()));
        }
        return pictures;
    }
};

}  // namespace ClWindowSupport
