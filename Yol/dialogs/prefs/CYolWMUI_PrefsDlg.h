#pragma once
// The preferences dialog: ten panes on the common tab dialog, eight of them
// over one block of the preferences record each, the last two over the
// sockets service's proxy settings and the list of accounts. "OK" checks
// every pane first (a pane that refuses a field keeps the dialog open on it)
// and then saves them all; "Cancel" saves nothing, except what the panes'
// sub-dialogs stored at once. Every changed group of preferences is
// announced to the observers, the dialog itself last (it redraws for a new
// skin).
//
// UI thread only.

#include "CYolArray.h"

#include <initializer_list>
#include <utility>
#include "CYolWMUI_SettingsControllerDlg.h"
#include "CYolWMUI_TabPan.h"
#include "MYolWMUI_PrefsHost.h"
#include "TYolWMPrefs.h"

namespace UI {

class CYolWMUI_PrefsDlg : public CYolWMUI_SettingsControllerDlg, public MYolWMUI_PrefsChangeObserver {
public:
    static constexpr int kPaneCount = 10;

    CYolWMUI_PrefsDlg(TYolWMPrefs& prefs, const CYolArray<MYolWMUI_PrefsChangeObserver*>& observers, int firstPane,
                      MYolWMUI_PrefsHost& host);

    // Runs the dialog modally over `parent`; 1 OK, 2 cancelled. A first pane
    // outside 0-9 opens the first.
    static std::intptr_t Run(TYolWMPrefs& prefs, const CYolArray<MYolWMUI_PrefsChangeObserver*>& observers,
                             int firstPane, MYolWMUI_PrefsHost& host, HWND parent);

    void NotifyPrefsChanged(int type);
    TYolWMPrefs& Prefs() { return m_prefs; }
    MYolWMUI_PrefsHost& Host() { return m_host; }

    void GetPans(YolTabDlg::CDlgInfo& info) override;
    int DoDataExchange(int save) override;
    void OnPrefsChanged(int type) override;

    class CPrefsPan;
    class CGeneralPan;
    class CCLPan;
    class CNotifyPan;
    class CAlertPan;
    class CInterfacePan;
    class CHistPan;
    class CAntispamPan;
    class CHardPan;
    class CConnectPan;
    class CAccountsPan;

private:
    TYolWMPrefs& m_prefs;
    CYolArray<MYolWMUI_PrefsChangeObserver*> m_observers;
    int m_firstPane;
    MYolWMUI_PrefsHost& m_host;
};

// The base of the ten panes: the owning dialog, the caption, tab picture and
// template from one table row, and the check that runs before any pane
// saves.
class CYolWMUI_PrefsDlg::CPrefsPan : public CYolWMUI_SettingsPan {
public:
    CPrefsPan(CYolWMUI_PrefsDlg& owner, int captionString, int image, int templateId);

    CYolString GetCaption() override;
    CYolArray<unsigned int> GetImages() override;
    YolTabDlg::TDlgTemplate GetDlgTemplate() override;
    HBRUSH GetBkBrush() override;
    COLORREF GetTextColor() override;

    // Whether every field holds a value the pane can store; a pane that
    // refuses says why in its page, focuses the field and answers false.
    virtual bool Validate() { return true; }

protected:
    TYolWMPrefs& Prefs() { return m_owner.Prefs(); }
    MYolWMUI_PrefsHost& Host() { return m_owner.Host(); }
    void Notify(int type) { m_owner.NotifyPrefsChanged(type); }

    // Control helpers over this page.
    bool IsChecked(int id) const;
    void SetChecked(int id, bool on);
    void Enable(std::initializer_list<int> ids, bool on);
    void SetLabels(std::initializer_list<std::pair<int, int>> labelStrings);
    // Empties the combo box, adds the names and selects the one equal to
    // `selected` (the first when none is).
    void FillNames(int comboId, const CYolArray<CYolString>& names, const CYolString& selected);
    // The selected entry's text; empty when none is.
    CYolString SelectedText(int comboId) const;
    // The selected entry's index, -1 when none is.
    int SelectedIndex(int comboId) const;
    // Reads an unsigned decimal field in [low, high]; on anything else says
    // so in the page's error line, focuses the field and answers false.
    bool ReadNumber(int editId, unsigned int low, unsigned int high, unsigned int& value);
    void ClearError();

    CYolWMUI_PrefsDlg& m_owner;

private:
    int m_caption;
    int m_image;
    int m_template;
};

} // namespace UI
