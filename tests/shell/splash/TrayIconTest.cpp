// The tray icon: its picture built from an icon-id list, adding, changing
// and removing it in the notification area as the global status and the
// tray-icon preference change, and the tap that brings the program forward.

#include "CYolWMUI_TrayIcon.h"
#include "GdiTestSupport.h"
#include "NullProtocolsManager.h"
#include "RecordingServicesManager.h"
#include "Shell/Tray.h"
#include "SplashTestSupport.h"
#include "YolGuids.h"

#include <map>
#include <optional>

using namespace splash_test;
using UI::CYolWMUI_TrayIcon;

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr unsigned int kNone = static_cast<unsigned int>(-1);
// Two skin pictures of 16 x 16: all red, and green on the right half only
// (the left half see-through).
constexpr unsigned int kRedSquare = Skins::SKIN_IMG_STNA;
constexpr unsigned int kGreenHalf = Skins::SKIN_IMG_STOCCUPIED;

// What an icon shows on a blue ground at its left and right half.
struct Halves {
    COLORREF left;
    COLORREF right;
    bool operator==(const Halves& other) const { return left == other.left && right == other.right; }
};

void PrintTo(const Halves& h, std::ostream* out) {
    *out << std::hex << "{" << h.left << ", " << h.right << "}";
}

Halves Look(HICON icon) {
    SIZE size{0, 0};
    EXPECT_TRUE(Platform::GetIconSize(icon, &size));
    GdiTest::Canvas canvas(size.cx, size.cy, kBlue);
    DrawIconEx(canvas.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    return Halves{canvas.Pixel(size.cx / 4, size.cy / 2), canvas.Pixel(size.cx * 3 / 4, size.cy / 2)};
}

// Answers a global status and the icon list of each status.
class StatusSource : public YolTest::NullProtocolsManager {
public:
    int GetStatus(unsigned int account, Status& out) override {
        askedAccounts.push_back(account);
        out = status;
        return 0;
    }
    int GetStatusInfo(unsigned int, Status s, StatusInfo& out) override {
        out.status = s;
        out.icon = CYolArray<unsigned int>();
        for (unsigned int id : icons[s])
            out.icon.Add(id);
        return 0;
    }

    Status status = Protocols::Online;
    std::map<Status, std::vector<unsigned int>> icons{{Protocols::Online, {kRedSquare}},
                                                      {Protocols::Away, {kGreenHalf}},
                                                      {Protocols::Offline, {}}};
    std::vector<unsigned int> askedAccounts;
};

class TrayIcon : public SkinWindowTest {
protected:
    TrayIcon() {
        PutPng(Skins::GetSkinImageFileName(kRedSquare), PngFixture::Solid(16, 16, 255, 0, 0, 255));
        PngFixture::Image half = PngFixture::Solid(16, 16, 0, 255, 0, 255);
        for (auto& row : half.rows)
            for (std::size_t x = 0; x < 8; ++x)
                row[x * 4 + 3] = 0;
        PutPng(Skins::GetSkinImageFileName(kGreenHalf), half);
        services.RegisterService(ProtocolsManagerGuid, static_cast<Protocols::CProtocolsManager*>(&manager));
    }

    std::string PutPng(const char16_t* name, const PngFixture::Image& image) {
        return SkinWindowTest::PutPng(CYolString(name).ToUtf8(), image);
    }

    HICON IconOf(std::initializer_list<unsigned int> ids) {
        CYolArray<unsigned int> list;
        for (unsigned int id : ids)
            list.Add(id);
        return CYolWMUI_TrayIcon::CreateStatusIcon(images, list);
    }

    // The one icon the main window has in the notification area.
    std::optional<Platform::TrayIcon> Shown() const {
        std::optional<Platform::TrayIcon> found;
        for (const Platform::TrayIcon& icon : Platform::GetTrayIcons()) {
            if (icon.hwnd != main)
                continue;
            EXPECT_FALSE(found.has_value()) << "one icon only";
            found = icon;
        }
        return found;
    }

    StatusSource manager;
    RecordingServicesManager services;
    ui_test::Recorder mainRec;
    HWND main = MakeWindow(mainRec);
    bool enabled = true;
    CYolWMUI_TrayIcon tray{main, images, &services, [this] { return enabled; }};
};

TEST_F(TrayIcon, PictureOfAnIconIdList) {
    struct Case {
        const char* what;
        std::initializer_list<unsigned int> ids;
        Halves shows;
    };
    const Case cases[] = {
        {"an empty list is see-through", {}, {kBlue, kBlue}},
        {"a list that starts with -1 is see-through", {kNone, kRedSquare}, {kBlue, kBlue}},
        {"one picture", {kRedSquare}, {kRed, kRed}},
        {"where a picture is see-through, so is the icon", {kGreenHalf}, {kBlue, kGreen}},
        {"later pictures over earlier ones", {kRedSquare, kGreenHalf}, {kRed, kGreen}},
        {"the last one covers all", {kGreenHalf, kRedSquare}, {kRed, kRed}},
        {"-1 later in the list draws nothing", {kGreenHalf, kNone}, {kBlue, kGreen}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HICON icon = IconOf(c.ids);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(Look(icon), c.shows);
        DestroyIcon(icon);
    }
}

TEST_F(TrayIcon, IconSideFollowsTheScreenDensity) {
    for (auto [dpi, side] : {std::pair{192, 32}, std::pair{96, 16}, std::pair{131, 22}}) {
        Platform::SetScreen(480, 640, dpi, dpi);
        HICON icon = IconOf({kRedSquare});
        SIZE size{0, 0};
        Platform::GetIconSize(icon, &size);
        EXPECT_EQ(Box(RECT{0, 0, size.cx, size.cy}), Box(RECT{0, 0, side, side})) << dpi << " dpi";
        DestroyIcon(icon);
    }
}

TEST_F(TrayIcon, ShowsTheGlobalStatusAndFollowsItsChanges) {
    tray.Update();
    auto shown = Shown();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->id, 5999u);
    EXPECT_EQ(shown->callbackMessage, 1124u);
    EXPECT_EQ(Look(shown->picture.get()), (Halves{kRed, kRed}));
    EXPECT_TRUE(tray.IsShown());

    manager.status = Protocols::Away;
    tray.Update();
    shown = Shown();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(Look(shown->picture.get()), (Halves{kBlue, kGreen}));
    EXPECT_EQ(manager.askedAccounts, (std::vector<unsigned int>{0, 0})) << "the global status";

    manager.status = Protocols::Offline;
    tray.Update();
    EXPECT_EQ(Look(Shown()->picture.get()), (Halves{kBlue, kBlue}));
}

TEST_F(TrayIcon, ThePreferenceSwitchesItOffAndOnWithTheCurrentStatus) {
    enabled = false;
    tray.Update();
    EXPECT_FALSE(Shown().has_value()) << "off: nothing is added";

    enabled = true;
    tray.Show(true);
    ASSERT_TRUE(Shown().has_value());
    tray.Show(true);
    EXPECT_TRUE(Shown().has_value()) << "still one icon";

    enabled = false;
    tray.Show(false);
    EXPECT_FALSE(Shown().has_value());
    EXPECT_FALSE(tray.IsShown());
    manager.status = Protocols::Away;

    enabled = true;
    tray.Show(true);
    ASSERT_TRUE(Shown().has_value());
    EXPECT_EQ(Look(Shown()->picture.get()), (Halves{kBlue, kGreen}));
}

TEST_F(TrayIcon, RemovedAtCloseAndWithItsObject) {
    tray.Update();
    tray.Remove();
    EXPECT_FALSE(Shown().has_value());
    tray.Remove();

    {
        CYolWMUI_TrayIcon other(main, images, &services, [] { return true; });
        other.Update();
        EXPECT_TRUE(Shown().has_value());
    }
    EXPECT_FALSE(Shown().has_value());
}

TEST_F(TrayIcon, WithoutAProtocolsManagerShowsAnEmptyIcon) {
    CYolWMUI_TrayIcon lonely(main, images, nullptr, nullptr);
    lonely.Update();
    ASSERT_TRUE(Shown().has_value());
    EXPECT_EQ(Look(Shown()->picture.get()), (Halves{kBlue, kBlue}));
}

TEST_F(TrayIcon, ATapBringsTheMainWindowAndItsOwnedWindowsForward) {
    std::vector<bool> answers;
    mainRec.handler = [&](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
        if (msg != CYolWMUI_TrayIcon::kCallbackMessage)
            return std::nullopt;
        answers.push_back(tray.OnTrayMessage(static_cast<UINT>(wParam), static_cast<UINT>(lParam)));
        return 0;
    };
    ui_test::Recorder ownedRec, otherRec;
    const HWND owned = MakeWindow(ownedRec, main, RECT{0, 0, 100, 100});
    const HWND other = MakeWindow(otherRec);
    SetForegroundWindow(other);
    ASSERT_EQ(WindowFromPoint(POINT{50, 50}), other);
    tray.Update();

    ASSERT_TRUE(Platform::TapTrayIcon(main, 5999));
    Platform::PumpMessages();
    EXPECT_EQ(answers, (std::vector<bool>{true, false})) << "pen down brings it, pen up is ignored";
    EXPECT_EQ(GetForegroundWindow(), main);
    EXPECT_EQ(WindowFromPoint(POINT{50, 50}), owned);
    EXPECT_EQ(WindowFromPoint(POINT{200, 200}), main);

    SetForegroundWindow(other);
    EXPECT_FALSE(tray.OnTrayMessage(5998, WM_LBUTTONDOWN)) << "another icon";
    EXPECT_EQ(GetForegroundWindow(), other);
}

}  // namespace
