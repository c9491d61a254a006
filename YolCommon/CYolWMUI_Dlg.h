#pragma once
// Dialogs from registered templates with a data-exchange step: creation
// loads the controls (DoDataExchange(0)), ending with 1 saves them
// (DoDataExchange(1)) and stays open when the save is refused.
//
// CYolWMUI_BigDlg is a full-screen dialog with the shell's menu bar of two
// soft keys and the title bar's done or cancel button.

#include "CYolString.h"
#include "CYolWMUI_WndBase.h"
#include "Shell/Shell.h"

namespace UI {

// Sent to every top-level window once the program has switched its language:
// the window takes its texts again from their string ids.
constexpr unsigned int kLanguageChangedMessage = 0x8001;

class YOL_API CYolWMUI_Dlg : public CYolWMUI_WndBase {
public:
    // Runs the dialog in a nested loop; answers the result given to
    // EndDialog (-1 when the dialog could not be made).
    std::intptr_t DoModal(int templateId, HINSTANCE instance, HWND parent);
    // Modeless; answers whether the dialog was made.
    bool Create(int templateId, HINSTANCE instance, HWND parent);
    HWND GetDlgItem(int id) const;
    // Result 1 first saves through DoDataExchange(1) and keeps the dialog
    // open (answering 0) when that fails.
    int EndDialog(int result);

    void OnCreate() override;
    // Ends the dialog with 2, without data exchange.
    void OnClose() override;
    virtual void OnInitDialog();
    // save 0: fill the controls; 1: take their values. Answers 0 to refuse.
    virtual int DoDataExchange(int save);
};

class YOL_API CYolWMUI_BigDlg : public CYolWMUI_Dlg {
public:
    enum TSoftKey : int { ELeft = 0, ERight = 1 };
    enum TCommandButton : int { ECancelButton = 0, EDoneButton = 1, ENoButton = 2 };

    CYolWMUI_BigDlg() = default;
    CYolWMUI_BigDlg(const CYolWMUI_BigDlg& other);
    CYolWMUI_BigDlg& operator=(const CYolWMUI_BigDlg& other);

    // The command of the menu bar's button at that position; -1 when none.
    static int GetSoftKeyId(HWND menuBar, TSoftKey key);
    static void SetSoftKeyCap(HWND menuBar, int commandId, const char16_t* caption);
    // Asks GetSoftKeyCap for both keys again.
    void SetSoftKeys();
    HWND Menu() const { return m_hMenuBar; }

    int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;
    void OnInitDialog() override;

    virtual void OnScreenSizeChanged();
    virtual void OnActivate(unsigned short state, int minimized, HWND other);
    // Answers non-zero with the key's caption; 0 leaves the key blank.
    virtual int GetSoftKeyCap(TSoftKey key, CYolString& caption);
    virtual void OnSoftKey(TSoftKey key);
    virtual TCommandButton GetCommandButton();
    // The title bar's button: ends the dialog with 1 (after saving).
    virtual void OnCommandButton();
    // kLanguageChangedMessage arrived; the default asks for both soft-key
    // captions again.
    virtual void OnLanguageChanged();

protected:
    HWND m_hMenuBar = nullptr;
    SHACTIVATEINFO m_activateInfo;
};

} // namespace UI
