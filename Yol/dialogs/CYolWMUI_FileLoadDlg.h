#pragma once
// The file-transfers window: one line per transfer of any account in a
// drop-down list, and the progress of the selected one with a button that
// cancels it. One modeless window, made on first need and kept hidden when
// not shown; the application feeds it every file-transfer progress report.
// Finished rows stay until the window is hidden.
//
// UI thread only.

#include "CYolArray.h"
#include "CYolWMUI_SkinnedDlg.h"
#include "MYolWMUI_FileLoadHost.h"
#include "ProtocolRecords.h"

namespace UI {

class CYolWMUI_FileLoadDlg : public CYolWMUI_SkinnedDlg<CYolWMUI_BigDlg> {
public:
    enum TRowState : unsigned int { ERunning = 0, ECompleted = 1, ETerminated = 2 };

    struct TFileLoadInfo {
        unsigned int contactId = 0;
        CYolString fileName;
        unsigned int outgoing = 0;
        unsigned int state = ERunning;
        unsigned int totalSize = 0;
        unsigned int doneSize = 0;
    };

    // The host serves every window made afterwards and must outlive it.
    static void SetHost(MYolWMUI_FileLoadHost* host);
    // false: hides the window and drops finished rows; true: shows it, or
    // the "No file transfers" warning when there is no row.
    static void Show(bool show);
    static void HandleTransferEvent(const Protocols::FTProgress& progress);
    // Program shutdown: the window goes.
    static void Destroy();
    // The window, null before the first use and after Destroy.
    static CYolWMUI_FileLoadDlg* Instance();

    // The status line of a running row: the sizes in b, Kb or Mb; and the
    // bar's position 0-100.
    static CYolString SizeText(unsigned int done, unsigned int total);
    static int ProgressPercent(unsigned int done, unsigned int total);

    const CYolArray<TFileLoadInfo>& Rows() const { return m_rows; }
    int Selected() const { return m_selected; }

    void OnTransferEvent(const Protocols::FTProgress& progress);

    void OnInitDialog() override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;
    void OnClose() override;
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override;
    void OnSoftKey(TSoftKey key) override;
    TCommandButton GetCommandButton() override { return ECancelButton; }
    void OnCommandButton() override;

private:
    explicit CYolWMUI_FileLoadDlg(MYolWMUI_FileLoadHost& host);
    static CYolWMUI_FileLoadDlg* Make();

    void Hide();
    void ShowWindowNow();
    void Select(int index);
    void UpdateDisplay();
    void CancelSelected();
    void DropFinishedRows();
    int FindRow(unsigned int contactId, const CYolString& fileName) const;
    void AddRow(const Protocols::FTProgress& progress);

    MYolWMUI_FileLoadHost& m_host;
    CYolArray<TFileLoadInfo> m_rows;
    int m_selected = -1;
};

} // namespace UI
