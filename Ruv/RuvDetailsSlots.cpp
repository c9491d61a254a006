// The account's details pages: which pages a details dialog gets.

#include "CRuvAccount.h"

#include "RuvDetailsPanes.h"

#include <new>

namespace {

template <typename Page, typename... Args>
void AddPage(YolTabDlg::CDlgInfo* panes, Args... args) {
    try {
        panes->Add(new Page(args...));
    } catch (const std::bad_alloc&) {
        // A page that cannot be made is left out.
    }
}

}  // namespace

int CRuvAccount::CreateOwnDetailsPanes(YolTabDlg::CDlgInfo* panes) {
    if (panes == nullptr)
        return 0;
    CRuvDictionaries::Load();
    AddPage<CRuvEditGeneralPan>(panes, this);
    AddPage<CRuvEditHomePan>(panes, this);
    AddPage<CRuvEditWorkPan>(panes, this);
    AddPage<CRuvEditCompanyPan>(panes, this);
    AddPage<CRuvEditPhonesPan>(panes, this);
    AddPage<CRuvEditPersonalPan>(panes, this);
    AddPage<CRuvEditOriginPan>(panes, this);
    AddPage<CRuvEditInterestsPan>(panes, this);
    AddPage<CRuvEditAboutPan>(panes, this);
    return 0;
}

int CRuvAccount::CreateContactDetailsPanes(unsigned int contact, YolTabDlg::CDlgInfo* panes) {
    if (panes == nullptr)
        return 0;
    CRuvDictionaries::Load();
    AddPage<CRuvViewGeneralPan>(panes, this, contact);
    AddPage<CRuvViewHomePan>(panes, this, contact);
    AddPage<CRuvViewWorkPan>(panes, this, contact);
    AddPage<CRuvViewCompanyPan>(panes, this, contact);
    AddPage<CRuvViewPhonesPan>(panes, this, contact);
    AddPage<CRuvViewPersonalPan>(panes, this, contact);
    AddPage<CRuvViewOriginPan>(panes, this, contact);
    AddPage<CRuvViewInterestsPan>(panes, this, contact);
    AddPage<CRuvViewAboutPan>(panes, this, contact);
    return 0;
}
