#include "CZemPan.h"

#include "CZemAccount.h"
#include "ZemPaneTemplates.h"
#include "ZemPlugin.h"

CZemPan::CZemPan(CZemAccount* account, int captionId, unsigned int templateId, int image)
    : CAccountSetsPan(account), captionId(captionId), templateId(templateId) {
    EnsureZemPaneTemplates();
    if (image >= 0 && ZemPlugin::ImageId(image) != 0)
        images.Add(ZemPlugin::ImageId(image));
}

CYolString CZemPan::GetCaption() { return ZemPlugin::UiString(captionId); }

YolTabDlg::TDlgTemplate CZemPan::GetDlgTemplate() { return PluginTemplate(templateId); }

CYolString CZemPan::PaneString(int id) { return ZemPlugin::UiString(id); }
