#pragma once
// The smiley picker: a full-screen modal dialog holding the grid of every
// smiley of the loaded set, animated. The left soft key (or the title bar's
// button, Enter, a tap on a cell) takes the selected smiley, the right soft
// key or a horizontal swipe backs out. The message window inserts the
// chosen smiley's first code.
//
// What it needs of the program (the texts of the language in force and the
// warning bubble) comes through a host that the application installs;
// without one it speaks the built-in English and warns nobody.

#include "CYolWMMW_SmileListCtrl.h"

#include "CYolString.h"
#include "CYolWMUI_Dlg.h"

namespace MW {

class MYolWMMW_SelectSmileHost {
public:
    virtual bool UiString(int id, CYolString& text) = 0;
    // A warning bubble with the text (the notifications' ShowMessage).
    virtual void ShowWarning(const CYolString& text) = 0;

protected:
    ~MYolWMMW_SelectSmileHost() = default;
};

class CYolWMMW_SelectSmileDlg : public UI::CYolWMUI_BigDlg, public CYolWMMW_SmileListCtrl::MObserver {
public:
    // The picker's dialog template, registered under PickerInstance().
    static constexpr int kTemplateId = 132;
    // The UI strings it shows.
    static constexpr int kNotLoadedText = 151;
    static constexpr int kSelectText = 289;
    static constexpr int kCancelText = 277;

    // The chosen smiley's index, or -1 when the user backed out or the set
    // is not loaded (still loading, switched off or empty), which is told
    // with a warning.
    static int Run(HWND parent, bool compact);

    static void SetHost(MYolWMMW_SelectSmileHost* host);
    static HINSTANCE PickerInstance();

    explicit CYolWMMW_SelectSmileDlg(bool compact);
    ~CYolWMMW_SelectSmileDlg() override;
    CYolWMMW_SelectSmileDlg(const CYolWMMW_SelectSmileDlg&) = delete;
    CYolWMMW_SelectSmileDlg& operator=(const CYolWMMW_SelectSmileDlg&) = delete;

    // Null before the dialog is made.
    CYolWMMW_SmileListCtrl* Grid() const { return m_grid; }

    void OnInitDialog() override;
    void OnWindowPosChanged(WINDOWPOS* pos) override;
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override;
    void OnSoftKey(TSoftKey key) override;
    void OnCellChosen(CYolWMMW_SmileListCtrl* grid, int index) override;

private:
    static CYolString Text(int id);

    CYolWMMW_SmileListCtrl* m_grid = nullptr;
    bool m_compact;
};

} // namespace MW
