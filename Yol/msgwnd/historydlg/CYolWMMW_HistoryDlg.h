#pragma once
// The whole stored history of one contact in a full-screen dialog: a history
// view without link or smiley recognition, a find bar, and a menu to load
// the history again, delete it (after a question) or save it as a UTF-8
// text file. Fonts, colours and settings come from the message window.
//
// UI thread only; loading and saving run on it.

#include "CYolMenuInfo.h"
#include "CYolWMMW_HistCtrl.h"
#include "CYolWMUI_Dlg.h"

#include <memory>

class CHistoryController;

namespace MW {

// What the dialog needs of the program beyond the message window: the
// warning bubble of the notifications.
class MYolWMMW_HistoryDlgHost {
public:
    virtual void ShowWarning(const CYolString& text) = 0;

protected:
    ~MYolWMMW_HistoryDlgHost() = default;
};

class CYolWMMW_HistoryDlg : public UI::CYolWMUI_BigDlg, public CYolWMMW_HistCtrl::MHistCtrlObserver {
public:
    class MHistDlgObserver {
    public:
        virtual void GetPartFont(RTE::TPartFont& part, int kind) = 0;
        virtual void GetColors(COLORREF& selectedText, COLORREF& selectionBackground) = 0;
        virtual TYolWMMWSettings* GetSettings() = 0;

    protected:
        ~MHistDlgObserver() = default;
    };

    enum TMenuCommand : int { ERefresh = 1, EDelete = 2, ESaveAs = 3, EClose = 4 };
    // The answers of the question before deleting.
    enum TConfirmCommand : int { EConfirmDelete = 10, EKeepHistory = 11 };
    // The find bar's controls.
    static constexpr int kFindBar[] = {1066, 1056, 1019, 1064, 1119, 1065, 1120};

    // `history` null: the one given to SetHistory.
    CYolWMMW_HistoryDlg(unsigned int contactId, MHistDlgObserver* observer, const CHistoryController* history = nullptr,
                        RTE::MTextMeasurer* measurer = nullptr);
    ~CYolWMMW_HistoryDlg() override;
    CYolWMMW_HistoryDlg(const CYolWMMW_HistoryDlg&) = delete;
    CYolWMMW_HistoryDlg& operator=(const CYolWMMW_HistoryDlg&) = delete;

    // Modal over `parent`; 2 when closed from its menu.
    std::intptr_t DoModal(HWND parent);

    // The program's history files and its notifications.
    static void SetHistory(const CHistoryController* history);
    static void SetHost(MYolWMMW_HistoryDlgHost* host);

    void Load();
    bool FindBarShown() const { return m_findBarShown; }
    void ToggleFindBar();
    CYolWMMW_HistCtrl* View() const { return m_history.get(); }
    // The whole history as the file "Save as..." writes: a UTF-8 byte-order
    // mark, then the text.
    std::string ExportBytes() const;
    // Writes the export through a temporary copy renamed into place; false
    // (nothing at `path` changed) when that fails.
    bool Export(const CYolString& path) const;

    void OnInitDialog() override;
    int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;
    void OnScreenSizeChanged() override;
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override;
    void OnSoftKey(TSoftKey key) override;

    // The view's owner.
    void GetPartFont(RTE::TPartFont& part, int kind) override;
    void GetColors(COLORREF& selectedText, COLORREF& selectionBackground) override;
    TYolWMMWSettings* GetSettings() override;
    void InsertText(const CYolString&) override {}

protected:
    // The pop-up menu: the chosen command, -1 for none.
    virtual int ChooseFromMenu(const CYolMenuInfo& menu);
    // The file browser in save mode; false when the user backed out.
    virtual bool ChooseSavePath(CYolString& path);

private:
    void ShowMenu();
    void Delete();
    void SaveAs();
    void Find();
    void Layout();
    void Warn(const CYolString& text);

    std::unique_ptr<CYolWMMW_HistCtrl> m_history;
    unsigned int m_contactId;
    bool m_findBarShown = false;
    HWND m_prevVolumeWindow = nullptr;
    bool m_tookVolumeKeys = false;
    MHistDlgObserver* m_observer;
    const CHistoryController* m_historyFiles;
    RTE::MTextMeasurer* m_measurer;
};

} // namespace MW
