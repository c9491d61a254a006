#pragma once
// CJabberPan: what every page of the XMPP plug-in shares: its caption from
// the plug-in's language table, its template among the plug-in's own, and
// an optional tab image from the skin, held while the page lives.

#include "CAccountSetsPan.h"

class CJabberAccount;

class CJabberPan : public CAccountSetsPan {
public:
    // `image`: a skin picture for the tab (null for none).
    CJabberPan(CJabberAccount* account, int captionId, unsigned int templateId, const char16_t* image = nullptr);
    ~CJabberPan() override;

    CYolString GetCaption() override;
    CYolArray<unsigned int> GetImages() override;
    YolTabDlg::TDlgTemplate GetDlgTemplate() override;

protected:
    CYolString PaneString(int id) override;
    // Tab images the page shows besides its own picture.
    void SetImages(const CYolArray<unsigned int>& ids) { images = ids; }

private:
    int captionId;
    unsigned int templateId;
    int imageId = 0;
    CYolArray<unsigned int> images;
};
