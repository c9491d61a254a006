#pragma once
// The band below the message window's tabs: the smilies bar, then the
// optional "select smilies" and send buttons, each shown while its setting
// is on. Taps and keys go to the message window through MToolbarObserver.
//
// UI thread only.

#include "CYolWMMW_QuickSmileCtrl.h"
#include "CYolWMUI_Button.h"

namespace MW {

struct TYolWMMWSettings;

class CYolWMMW_Toolbar : public UI::CYolWMUI_Wnd, public CYolWMMW_QuickSmileCtrl::MQuickSmileCtrlObserver {
public:
    class MToolbarObserver {
    public:
        virtual void OnSmileSelected(CYolWMMW_Toolbar* toolbar, int smile) = 0;
        virtual void OnSmilesButton(CYolWMMW_Toolbar* toolbar) = 0;
        virtual void OnSendButton(CYolWMMW_Toolbar* toolbar) = 0;

    protected:
        ~MToolbarObserver() = default;
    };

    static constexpr int kButtonWidth = 40;

    // A visible child of `parent`; null when the window could not be made.
    static CYolWMMW_Toolbar* Create(HWND parent, const RECT& rect, const TYolWMMWSettings* settings,
                                    MToolbarObserver* observer);

    CYolWMMW_Toolbar(const TYolWMMWSettings* settings, MToolbarObserver* observer);
    ~CYolWMMW_Toolbar() override;
    CYolWMMW_Toolbar(const CYolWMMW_Toolbar&) = delete;
    CYolWMMW_Toolbar& operator=(const CYolWMMW_Toolbar&) = delete;

    // Places the bar and the buttons the settings show.
    void Layout();

    CYolWMMW_QuickSmileCtrl* SmiliesBar() const { return smiliesBar; }
    UI::CYolWMUI_Button* SmilesButton() const { return smilesButton; }
    UI::CYolWMUI_Button* SendButton() const { return sendButton; }

    void OnCreate() override;
    void OnWindowPosChanged(WINDOWPOS* pos) override;
    int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;
    void OnSetFocus(HWND other) override;
    void OnChar(char16_t character, long data) override;
    HBRUSH GetBkBrush() override;
    void OnSmileSelected(CYolWMMW_QuickSmileCtrl* bar, int smile) override;

private:
    // The bar and the shown buttons, in focus order.
    int FocusOrder(HWND (&controls)[3]) const;
    void NextControl(bool backwards);

    CYolWMMW_QuickSmileCtrl* smiliesBar = nullptr;
    UI::CYolWMUI_Button* smilesButton = nullptr;
    UI::CYolWMUI_Button* sendButton = nullptr;
    const TYolWMMWSettings* settings;
    MToolbarObserver* observer;
};

} // namespace MW
