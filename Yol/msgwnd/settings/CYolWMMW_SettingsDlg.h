#pragma once
// The message-window settings dialog: five panes (history, editor,
// smileys, replies, controlling) that edit the controller's settings record
// in place. When a pane stores a change that the message window has to
// follow (fonts, the toolbar, the soft keys), the observer hears which pane
// it was, so the window follows at once.
//
// UI thread only.

#include "CYolWMUI_SettingsControllerDlg.h"
#include "CYolWMUI_TabPan.h"
#include "TYolWMMWSettings.h"

namespace MW {

class CYolWMMW_SettingsDlg : public UI::CYolWMUI_SettingsControllerDlg {
public:
    class MSetsChangeObserver {
    public:
        // After the pane stored a change; value is the last changed setting's.
        virtual void OnSettingsChanged(int paneId, int value) = 0;

    protected:
        ~MSetsChangeObserver() = default;
    };

    enum TPaneId : int { EHistPane = 0, EEditPane = 1, ESmilePane = 2, EReplyPane = 3, EControlPane = 4 };

    // A record field a check box or a number edit shows, and whether a
    // change of it is told to the observer.
    struct TCheckRow {
        int control;
        bool TYolWMMWSettings::*field;
        bool notifies;
    };
    struct TNumberRow {
        int edit;
        int upDown;
        int TYolWMMWSettings::*field;
        int low;
        int high;
        bool notifies;
    };
    struct TFontRow {
        int button;
        LOGFONTW TYolWMMWSettings::*field;
    };
    struct TLabelRow {
        int control;
        int string;
    };
    // What a pane shows, as tables.
    struct TPaneSpec {
        int id;
        int caption;
        int templateId;
        const TLabelRow* labels;
        int labelCount;
        const TCheckRow* checks;
        int checkCount;
        const TNumberRow* numbers;
        int numberCount;
        const TFontRow* fonts;
        int fontCount;
    };

    // The base of the five panes: labels, check boxes, numbers and font
    // buttons from the pane's tables; each pane adds what is its own.
    class CSetsPan : public UI::CYolWMUI_SettingsPan {
    public:
        CSetsPan(const TPaneSpec& spec, TYolWMMWSettings* settings, MSetsChangeObserver* observer)
            : m_spec(spec), m_settings(settings), m_observer(observer) {}

        CYolString GetCaption() override;
        CYolArray<unsigned int> GetImages() override { return {}; }
        YolTabDlg::TDlgTemplate GetDlgTemplate() override;
        int DoDataExchange(int save) override;
        void OnCommand(unsigned short code, unsigned short id, HWND control) override;
        HBRUSH GetBkBrush() override;

    protected:
        // The pane's own controls.
        virtual void LoadOwn() {}
        virtual void SaveOwn() {}
        void NoteChange(int value);

        const TPaneSpec& m_spec;
        TYolWMMWSettings* m_settings;
        MSetsChangeObserver* m_observer;
        bool m_changed = false;
        int m_lastValue = 0;

    private:
        void Load();
        void Save();
        void ChangeFont(const TFontRow& row);
    };

    class CHistPan final : public CSetsPan {
    public:
        CHistPan(TYolWMMWSettings* settings, MSetsChangeObserver* observer);

    private:
        void LoadOwn() override;
        void SaveOwn() override;
    };

    class CEditPan final : public CSetsPan {
    public:
        CEditPan(TYolWMMWSettings* settings, MSetsChangeObserver* observer);
    };

    class CSmilePan final : public CSetsPan {
    public:
        CSmilePan(TYolWMMWSettings* settings, MSetsChangeObserver* observer);
        void OnCommand(unsigned short code, unsigned short id, HWND control) override;

    private:
        void LoadOwn() override;
        void EnableBarControls();
    };

    class CReplyPan final : public CSetsPan {
    public:
        CReplyPan(TYolWMMWSettings* settings, MSetsChangeObserver* observer);

    private:
        void LoadOwn() override;
        void SaveOwn() override;
    };

    class CControlPan final : public CSetsPan {
    public:
        CControlPan(TYolWMMWSettings* settings, MSetsChangeObserver* observer);

    private:
        void LoadOwn() override;
        void SaveOwn() override;
    };

    CYolWMMW_SettingsDlg(TYolWMMWSettings* settings, MSetsChangeObserver* observer, int firstPane);

    // Modal; 1 when the panes were stored, 2 when cancelled.
    static std::intptr_t Run(HWND parent, TYolWMMWSettings* settings, MSetsChangeObserver* observer,
                             int firstPane);

    void GetPans(YolTabDlg::CDlgInfo& info) override;

private:
    TYolWMMWSettings* m_settings;
    MSetsChangeObserver* m_observer;
    int m_firstPane;
};

} // namespace MW
