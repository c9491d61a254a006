#pragma once
// The accounts pane: the protocols manager's accounts in its order, each
// row drawn as the protocol's icon, its name and the login. Adding,
// deleting and moving act on the manager at once (the dialog's Cancel does
// not undo them); a new account's settings dialog opens as soon as it is
// made, and once those settings are accepted the account connects.

#include "CYolWMUI_PrefsDlg.h"

namespace UI {

class CYolWMUI_PrefsDlg::CAccountsPan : public CYolWMUI_PrefsDlg::CPrefsPan {
public:
    static constexpr int kListId = 1000;
    enum TButton : int { EAdd = 1001, ESettings = 1002, EEnable = 1003, EDelete = 1004, EUp = 1005, EDown = 1006 };
    static constexpr int kFirstProtocolCommand = 1000;
    static constexpr int kLastProtocolCommand = 1099;

    explicit CAccountsPan(CYolWMUI_PrefsDlg& owner);

    int DoDataExchange(int save) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;
    void OnNotify(HWND from, unsigned int id, unsigned int code, NMHDR* header) override;
    void OnDrawItem(unsigned int id, DRAWITEMSTRUCT* item) override;

    // Adds an account of the manager's protocol at `index` and opens its
    // settings; the new account's id, 0 when none was made.
    unsigned int AddAccountOfProtocol(int index);
    // The row's account id; 0 for a row that is not there.
    unsigned int RowAccount(int row) const;
    int RowCount() const;
    // The first selected row, -1 when none is.
    int SelectedRow() const;
    // The text a row shows: the protocol's name and the login.
    CYolString RowText(unsigned int account) const;

private:
    void Reload();
    void ChooseProtocol();
    void OpenSettings(unsigned int account, bool isNew);
    void DeleteSelected();
    void MoveSelected(int step);
    bool InsertRow(int row, unsigned int account);
    void SelectRow(int row);
};

} // namespace UI
