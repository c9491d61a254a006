#pragma once
// CZemPan: what every page of the MRIM plug-in shares: its caption from the
// plug-in's language table, its template among the plug-in's own, and an
// optional tab image from the plug-in's image list.

#include "CAccountSetsPan.h"

class CZemAccount;

class CZemPan : public CAccountSetsPan {
public:
    // `image`: an index into the plug-in's image list, or -1 for none.
    CZemPan(CZemAccount* account, int captionId, unsigned int templateId, int image = -1);

    CYolString GetCaption() override;
    CYolArray<unsigned int> GetImages() override { return images; }
    YolTabDlg::TDlgTemplate GetDlgTemplate() override;

protected:
    CYolString PaneString(int id) override;

private:
    int captionId;
    unsigned int templateId;
    CYolArray<unsigned int> images;
};
