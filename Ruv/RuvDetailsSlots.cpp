// The account's details and search pages: which pages a dialog gets, and
// the details asked for as a details dialog opens.

#include "CRuvAccount.h"

#include "RuvDetailsPanes.h"
#include "RuvSearchPanes.h"

#include <memory>
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
    // The pages show what is stored; the answer fills them again.
    details.RequestOwnInfo();
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
    details.RequestContactInfo(contact);
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

int CRuvAccount::CreateSearchPanes(YolTabDlg::CDlgInfo* panes) {
    if (panes == nullptr)
        return 0;
    std::shared_ptr<TSearchRequest> request;
    try {
        request = std::make_shared<TSearchRequest>(meta.SearchRequest());
    } catch (const std::bad_alloc&) {
        return 0;
    }
    CRuvDictionaries::Load();
    AddPage<CRuvSearchByNumberPan>(panes, this, request);
    AddPage<CRuvSearchByEmailPan>(panes, this, request);
    AddPage<CRuvSearchGlobal1Pan>(panes, this, request);
    AddPage<CRuvSearchGlobal2Pan>(panes, this, request);
    return 0;
}
