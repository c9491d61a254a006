#pragma once
// CRuvPan: what every page of the OSCAR plug-in shares (settings, details
// and search): its caption from the plug-in's language table, its template
// among the plug-in's own and its one tab image, all fixed by the page's
// row in one table.

#include "CAccountSetsPan.h"

class CRuvAccount;

// Every page the plug-in adds to the program's dialogs.
enum class RuvPane {
    Account, Connection, Additional,
    ViewGeneral, ViewHome, ViewWork, ViewCompany, ViewPhones, ViewPersonal, ViewOrigin, ViewInterests, ViewAbout,
    EditGeneral, EditHome, EditWork, EditCompany, EditPhones, EditPersonal, EditOrigin, EditInterests, EditAbout,
    SearchByNumber, SearchByEmail, SearchGlobal1, SearchGlobal2,
};

struct RuvPaneIdentity {
    RuvPane pane;
    int captionId;
    unsigned int templateId;
    // The file name under which the plug-in registered the tab image.
    const char16_t* image;
};

// The row of a page.
const RuvPaneIdentity& RuvPaneRow(RuvPane pane);

class CRuvPan : public CAccountSetsPan {
public:
    CRuvPan(CRuvAccount* account, RuvPane pane);

    CYolString GetCaption() override;
    CYolArray<unsigned int> GetImages() override;
    YolTabDlg::TDlgTemplate GetDlgTemplate() override;

    RuvPane Pane() const { return row.pane; }

protected:
    CYolString PaneString(int id) override;

private:
    const RuvPaneIdentity& row;
};
