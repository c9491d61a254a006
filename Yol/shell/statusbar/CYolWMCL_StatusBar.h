#pragma once
// The strip of icons under the contact list: a few cells that belong to no
// account, then each account's cells (its status icon and what else the
// application shows for it). When the accounts do not fit, the bar scrolls by
// whole accounts between two arrow cells. A tap on a cell, or a digit typed
// in the contact list, goes to the observer (the application), which opens
// the account's status menu and the like.
//
// Cells are numbered as drawn: the global cells from 0, then the left arrow
// when the bar scrolls, then the visible accounts' cells; a scrolling bar
// numbers no account cell above 8 and its right arrow is 9.
//
// Owned by the application, filled and drawn on the UI thread.

#include "CYolArray.h"
#include "CYolPair.h"
#include "CYolWMUI_WndBase.h"

#include <vector>

namespace UI_CL {

class MYolWMCL_StatusBarObserver {
public:
    virtual ~MYolWMCL_StatusBarObserver() = default;
    // Account 0 for a global cell (index = the global cell's index), else the
    // account and the index of the cell within it.
    virtual void OnAccountIconTap(unsigned int accountId, int index) = 0;
};

class CYolWMCL_StatusBar : public UI::CYolWMUI_Wnd {
public:
    // The skin images drawn on top of each other in one cell.
    using TCell = CYolArray<unsigned int>;
    using TCells = CYolArray<TCell>;
    using TAccount = CYolPair<unsigned int, TCells>;

    explicit CYolWMCL_StatusBar(MYolWMCL_StatusBarObserver* observer);
    ~CYolWMCL_StatusBar() override;

    int Create(HWND parent, const RECT& rect);

    int AddGlobalIcon(const TCell& images);
    void SetGlobalIcon(int index, const TCell& images);
    // Adds no cell, so the layout waits for the next change.
    int AddAccount(unsigned int accountId);
    // -1 for an account the bar does not have.
    int AddAccountIcon(unsigned int accountId, const TCell& images);
    void SetAccountIcon(unsigned int accountId, int index, const TCell& images);
    void RemoveAccountIcon(unsigned int accountId, int index);
    // Ignored unless the position is below the number of accounts.
    void MoveAccount(unsigned int accountId, unsigned int position);
    void RemoveAccount(unsigned int accountId);

    // The screen point of the cell's left edge at the bar's top, to open a
    // menu at; account 0 for a global cell. Every account counts from the
    // first, whatever is scrolled into view.
    bool GetIconPosition(unsigned int accountId, int index, POINT& out) const;

    // What a digit key typed in the contact list does.
    void OnStatusBarTap(int cell);

    void Relayout();

    int ScrollLimit() const { return m_scrollLimit; }
    int FirstVisible() const { return m_firstVisible; }
    int PressedCell() const { return m_pressed; }

protected:
    void Paint(HDC hdc) override;
    HBRUSH GetBkBrush() override;
    void OnLButtonDown(int keys, POINT point) override;
    void OnLButtonUp(int keys, POINT point) override;
    void OnWindowPosChanged(WINDOWPOS* pos) override;
    int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;

private:
    enum TKind { EGlobal, ELeftArrow, EAccount, ERightArrow };
    // One cell as laid out from the left edge.
    struct TPlaced {
        int number;
        int x;
        TKind kind;
        int account;  // index into the accounts, for account cells
        int index;    // index within the global cells or the account
    };
    struct TLayout {
        std::vector<TPlaced> cells;
        // x of the separator lines after the global cells and each account.
        std::vector<int> separators;
        // Right edge of the last account cell placed.
        int end = 0;
    };

    // The cells as painted; `countLimit` false places every account cell
    // that the width allows, numbered on past 8.
    TLayout LayOut(bool countLimit) const;
    bool Scrolls() const { return m_scrollLimit != 0; }
    int FindAccount(unsigned int accountId) const;
    int CellAt(int x) const;
    void Report(const TPlaced& cell);
    void Scroll(int by);
    const TPlaced* Numbered(const TLayout& layout, int number) const;
    void DrawCell(HDC hdc, const TCell& images, int x, bool pressed);
    void RedrawIfCreated();

    TCells m_global;
    CYolArray<TAccount> m_accounts;
    MYolWMCL_StatusBarObserver* m_observer;
    int m_pressed = -1;
    int m_scrollLimit = 0;
    int m_firstVisible = 0;
};

} // namespace UI_CL
