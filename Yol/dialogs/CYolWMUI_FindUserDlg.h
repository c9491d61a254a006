#pragma once
// The find-user dialog: searches the network of one account. The search
// pages come from the account's plug-in; the dialog adds the result page,
// the soft keys that start and stop a search ("Search"/"Stop", "Close"),
// the drawing of the result rows and the tap-and-hold menu of a result
// (copy the name, chat, details, add to the list, clear).
//
// At most one is open. Results reach it through the application
// (OnSearchResult); a result that comes while no dialog is open, or while
// the open one is not searching, is dropped: a search the user stopped or
// a dialog already closed never sees the plug-in's late answers.
//
// UI thread only.

#include "CYolArray.h"
#include "CYolString.h"
#include "CYolWMUI_SettingsControllerDlg.h"
#include "MYolWMUI_FindUserHost.h"
#include "ProtocolRecords.h"

#include <atomic>
#include <cstdint>

namespace Services {
class CServicesManager;
}
namespace CL {
class CContactList;
}
namespace Protocols {
class CProtocolsManager;
}

namespace UI {

class CYolWMUI_FindUserDlg : public CYolWMUI_SettingsControllerDlg {
public:
    // One result row.
    struct SearchedString {
        unsigned int contactId = 0;
        CYolArray<unsigned int> icons;
        // Account, nickname, first name, last name, e-mail, gender and age.
        CYolString texts[6];
    };
    static constexpr int kColumns = 6;

    // The commands of a result's menu.
    enum TResultCommand : int { ECopyName = 0, ESendMessage = 1, EDetails = 2, EClear = 3, EAddContact = 4 };

    class CResultPan;

    CYolWMUI_FindUserDlg(Services::CServicesManager* services, MYolWMUI_FindUserHost& host, unsigned int account);
    // The result page refers to the dialog: the pages go while it is whole.
    ~CYolWMUI_FindUserDlg() override;

    // Modal over `parent`; 2 when closed, -1 when one is open already.
    static std::intptr_t Run(HWND parent, Services::CServicesManager* services, MYolWMUI_FindUserHost& host,
                             unsigned int account);
    // Runs a dialog made by the caller as the open one.
    static std::intptr_t Run(HWND parent, CYolWMUI_FindUserDlg& dialog);
    // A result of the plug-in; null, or a record with contact id 0, ends the
    // search.
    static void OnSearchResult(const Protocols::UserInfo* result);
    static CYolWMUI_FindUserDlg* Open();

    // "F", "M", the age, or both as "M - 25".
    static CYolString GenderAgeText(unsigned int gender, unsigned int age);

    void GetPans(YolTabDlg::CDlgInfo& info) override;
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override;
    void OnSoftKey(TSoftKey key) override;
    TCommandButton GetCommandButton() override { return ECancelButton; }
    void OnCommandButton() override;

    // The left soft key: starts a search from the page shown (or the last
    // one used), or stops the running one.
    void SearchStep();
    void AddResult(const Protocols::UserInfo& user);
    void EndSearch();
    void ClearResults();
    // A command of a result's menu on row `row` (-1: no row).
    void RunResultCommand(int command, int row);
    // The tap-and-hold at `screen` on the result list.
    void OnResultContextMenu(POINT screen);
    void DrawRow(const DRAWITEMSTRUCT& item);

    bool IsBusy() const { return m_busy.load() != 0; }
    int SearchPageCount() const { return m_searchPages; }
    int ResultTabId() const { return m_searchPages; }
    int LastSearchPage() const { return m_lastPage; }
    int ResultCount() const { return m_results.Count(); }
    const SearchedString& Result(int index) const { return m_results[index]; }
    HWND ResultList() const;

private:
    Protocols::CProtocolsManager* Manager() const;
    CL::CContactList* ContactList() const;
    // Puts the row into the list view (item parameter = its index).
    void ShowRow(int index);
    void SendMessageTo(int row);
    void AddToList(int row);

    Services::CServicesManager* m_services;
    MYolWMUI_FindUserHost& m_host;
    unsigned int m_account;
    std::atomic<int> m_busy{0};
    int m_lastPage = -1;
    int m_searchPages = 0;
    CYolArray<SearchedString> m_results;
    CResultPan* m_resultPan = nullptr;
};

} // namespace UI
