#pragma once
// What the dialog suites share: a dialog that runs the test's script once
// its modal loop is running, an owner window, soft-key and typing helpers,
// and the gallery picture each dialog leaves behind.

#include "ControlTestSupport.h"

#include "CYolWMUI_Dlg.h"
#include "Backends/Backend.h"
#include "Controls/ControlEdit.h"
#include "Shell/ShellMenuBar.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/WindowFocus.h"
#include "YolWMUI_Dialogs.h"

#include <filesystem>
#include <functional>
#include <string>

namespace dialogs_test {

constexpr UINT kScript = WM_USER + 77;

// The dialog under test with a script that runs once, after the dialog has
// loaded its fields and its loop pumps messages.
template <typename Dialog>
class Scripted : public Dialog {
public:
    using Dialog::Dialog;
    std::function<void(Scripted&)> script;

    void OnInitDialog() override
    {
        Dialog::OnInitDialog();
        PostMessage(this->Handle(), kScript, 0, 0);
    }
    int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != kScript)
            return Dialog::OnMessage(msg, wParam, lParam);
        if (script)
            script(*this);
        return 0;
    }
};

class DialogTest : public ui_test::ControlTest {
protected:
    void TearDown() override
    {
        UI::SetDialogStrings(nullptr);
        ui_test::ControlTest::TearDown();
    }

    static void SoftKey(HWND dialog, UI::CYolWMUI_BigDlg::TSoftKey key)
    {
        const int command = key == UI::CYolWMUI_BigDlg::ELeft ? UI::kLeftSoftKeyCommand : UI::kRightSoftKeyCommand;
        SendMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(command), 0), 0);
    }
    static std::string SoftKeyText(HWND dialog, UI::CYolWMUI_BigDlg::TSoftKey key)
    {
        return ToUtf8(Platform::MenuBarButtonText(Platform::GetMenuBar(dialog), static_cast<int>(key)));
    }
    // A key pressed as the dialog's own loop hands it on: through the dialog
    // manager (Return may become IDOK) to the focused control.
    static void DialogKey(HWND dialog, unsigned vk)
    {
        MSG msg{};
        msg.hwnd = GetFocus();
        msg.message = WM_KEYDOWN;
        msg.wParam = vk;
        IsDialogMessage(dialog, &msg);
    }
    static std::string Text(HWND dialog, int id) { return UI::GetDlgItemString(dialog, id).ToUtf8(); }
    // Focuses the control and types into it as the keyboard would.
    void TypeInto(HWND dialog, int id, std::u16string_view text)
    {
        SetFocus(GetDlgItem(dialog, id));
        SendMessage(GetDlgItem(dialog, id), EM_SETSEL, 0, -1);
        Platform::InjectText(text);
        Platform::PumpMessages();
    }
    static std::string ToUtf8(const std::u16string& text) { return CYolString(text.c_str()).ToUtf8(); }

    // gallery/dialogs/<name>.png in the build folder.
    static void SaveGallery(HWND window, const std::string& name)
    {
        Platform::PumpMessages();
        std::filesystem::create_directories(YOL_GALLERY_DIR);
        EXPECT_TRUE(Platform::SaveWindowPng(window, (std::string(YOL_GALLERY_DIR) + "/" + name + ".png").c_str()));
    }
};

// The windows, soft keys and gallery of DialogTest for a fixture of another
// kind (a contact-list or account fixture): Start in its SetUp, Stop in its
// TearDown.
class DialogWindows : public DialogTest {
public:
    void TestBody() override {}
    void Start() { SetUp(); }
    void Stop() { TearDown(); }
    HWND Parent() const { return parent; }
    using DialogTest::SaveGallery;
    using DialogTest::SoftKey;
};

} // namespace dialogs_test
