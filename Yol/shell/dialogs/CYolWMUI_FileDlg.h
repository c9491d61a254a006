#pragma once
// The program's own file open/save dialog for a touch screen: a folder path
// selector, an "up" button, a list of folders and files with icons, sizes
// and dates, a name field, a file-type filter and a soft-key menu. The
// chosen path is left in one program-wide buffer, which also gives the
// folder to start in the next time. The browser stays within its root
// folder (the user's home folder unless the program sets another).

#include "CYolArray.h"
#include "CYolString.h"
#include "CYolWMUI_Dlg.h"
#include "CYolWMUI_FileFolder.h"
#include "Drawing/ImageList.h"

namespace UI {

class CYolWMUI_FileDlg : public CYolWMUI_BigDlg {
public:
    // What lives for the whole run and is shared by every file dialog.
    struct TProgramState {
        // The result of the last successful dialog; empty at start.
        CYolString path;
        bool showAllFiles = false;
        // 0 list view, 1 details view.
        int viewMode = 0;
        // The folder the dialogs never leave; empty: the home folder.
        CYolString root;
    };
    static TProgramState& ProgramState();

    enum TMenuChoice : int {
        EMenuOpen = 0,
        EMenuUp = 1,
        EMenuRefresh = 2,
        EMenuShowAll = 3,
        EMenuListView = 4,
        EMenuDetailsView = 5,
        EMenuCancel = 6,
    };

    // `mask`: patterns each ended by ";" ("*.txt;*.log;").
    CYolWMUI_FileDlg(const char16_t* mask, bool openMode, const CYolString& initialName);
    ~CYolWMUI_FileDlg() override;
    CYolWMUI_FileDlg(const CYolWMUI_FileDlg&) = delete;
    CYolWMUI_FileDlg& operator=(const CYolWMUI_FileDlg&) = delete;

    // Modal; 1 when a path was chosen (it is in ProgramState().path), 2 when
    // cancelled.
    std::intptr_t DoModal(HWND parent);

    const CYolWMUI_FileFolder& Folder() const { return m_folder; }
    int FolderCount() const { return m_folderCount; }
    bool LeftKeySaves() const { return m_leftSaves; }
    bool NameActive() const { return m_nameActive; }
    const CYolString& Filter() const { return m_filter; }

    // Does what the soft-key menu's entry does.
    void OnMenuChoice(int choice);
    // The left soft key, a double tap or Enter in the list.
    void Activate();

    void OnInitDialog() override;
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override;
    void OnSoftKey(TSoftKey key) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;
    void OnNotify(HWND from, unsigned int id, unsigned int code, NMHDR* header) override;

private:
    void InitFilters();
    void InitList();
    void ApplyViewMode();
    void ListFolder();
    void FillPathCombo();
    void Relist();
    void UpOneLevel();
    void EnterFolder(const CYolString& name);
    void OnSelectionChanged(int item, bool selected);
    void SetLeftKey(bool saves, bool nameActive);
    void Finish(const CYolString& path);
    void Report(int stringId);
    CYolString ItemName(int index) const;
    void ShowMenu();

    CYolWMUI_FileFolder m_folder;
    CYolArray<CYolWMUI_FileFolder::TEntry> m_entries;
    int m_folderCount = 0;
    int m_selected = -1;
    CYolString m_mask;
    CYolString m_filter;
    bool m_openMode;
    CYolString m_initialName;
    bool m_leftSaves = false;
    bool m_nameActive = false;
    // The list selects its first row by itself after each listing.
    bool m_listing = false;
    HIMAGELIST m_icons = nullptr;
};

} // namespace UI
