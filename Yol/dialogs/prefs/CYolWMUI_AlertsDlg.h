#pragma once
// The alerts dialog: the seven alert events in a list; selecting one plays
// it, "Change" edits it in the alert-settings dialog, "Default" reloads all
// seven from an alert pack. It works on its own copy of the settings, which
// the caller takes back after result 1; "Cancel" (result 2) leaves the
// caller's settings as they were.
//
// UI thread only.

#include "CYolArray.h"
#include "CYolWMUI_SkinnedDlg.h"
#include "MYolWMUI_PrefsHost.h"
#include "TYolWMAlertSettings.h"

namespace UI {

class CYolWMUI_AlertsDlg : public CYolWMUI_SkinnedDlg<CYolWMUI_BigDlg> {
public:
    enum TMenuCommand : int { EChange = 0, EDefault = 1, ECancel = 4 };
    static constexpr int kListId = 1177;

    // Edits one record in place; result 1 after saving, 2 cancelled.
    class CAlertSetsDlg : public CYolWMUI_OkCancelDlg {
    public:
        static constexpr int kVibraChars = 32;
        CAlertSetsDlg(Alert::TYolWMAlertSettings& settings, MYolWMUI_PrefsHost& host);
        std::intptr_t DoModal(HWND parent);

        int DoDataExchange(int save) override;
        void OnCommand(unsigned short code, unsigned short id, HWND control) override;

    private:
        void ApplyRules();

        Alert::TYolWMAlertSettings& m_settings;
        MYolWMUI_PrefsHost& m_host;
    };

    // `packName` is the pack "Default" reads.
    CYolWMUI_AlertsDlg(const CYolArray<Alert::TYolWMAlertSettings>& settings, const CYolString& packName,
                       MYolWMUI_PrefsHost& host);
    std::intptr_t DoModal(HWND parent);
    const CYolArray<Alert::TYolWMAlertSettings>& Settings() const { return m_settings; }

    // The menu's actions; any other command does nothing.
    void OnMenuCommand(int command);
    // Runs the alert-settings dialog on the selected event, if it is one.
    void EditSelected();

    void OnInitDialog() override;
    void OnNotify(HWND from, unsigned int id, unsigned int code, NMHDR* header) override;
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override;
    void OnSoftKey(TSoftKey key) override;

private:
    int SelectedIndex() const;

    CYolArray<Alert::TYolWMAlertSettings> m_settings;
    CYolString m_packName;
    MYolWMUI_PrefsHost& m_host;
};

} // namespace UI
