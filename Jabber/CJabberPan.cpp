#include "CJabberPan.h"

#include "CJabberAccount.h"
#include "CSkinManager.h"
#include "JabberPaneTemplates.h"
#include "JabberPlugin.h"
#include "YolGuids.h"

namespace {

Skins::CSkinManager* SkinService(Services::CServicesManager* manager) {
    return manager != nullptr ? static_cast<Skins::CSkinManager*>(manager->GetService(SkinManagerGuid)) : nullptr;
}

}  // namespace

CJabberPan::CJabberPan(CJabberAccount* account, int captionId, unsigned int templateId, const char16_t* image)
    : CAccountSetsPan(account), captionId(captionId), templateId(templateId) {
    EnsureJabberPaneTemplates();
    if (image == nullptr)
        return;
    if (Skins::CSkinManager* skins = SkinService(ServicesManager()))
        imageId = skins->RegisterImage(CYolString(image));
    if (imageId > 0)
        images.Add(static_cast<unsigned int>(imageId));
}

CJabberPan::~CJabberPan() {
    if (imageId <= 0)
        return;
    if (Skins::CSkinManager* skins = SkinService(ServicesManager()))
        skins->ReleaseImage(imageId);
}

CYolString CJabberPan::GetCaption() { return JabberPlugin::UiString(captionId); }

CYolArray<unsigned int> CJabberPan::GetImages() { return images; }

YolTabDlg::TDlgTemplate CJabberPan::GetDlgTemplate() { return PluginTemplate(templateId); }

CYolString CJabberPan::PaneString(int id) { return JabberPlugin::UiString(id); }
