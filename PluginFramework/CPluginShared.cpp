#include "CPluginShared.h"

#include "CSkinManager.h"
#include "CYolPath.h"
#include "PluginLanguage.h"
#include "YolGuids.h"

namespace {

Skins::CSkinManager* Skin(Services::CServicesManager* manager) {
    return manager ? static_cast<Skins::CSkinManager*>(manager->GetService(SkinManagerGuid)) : nullptr;
}

}  // namespace

CPluginShared::CPluginShared(const char16_t* folder, const char16_t* packPrefix, MUI::GetStringFunc builtIn,
                             const char16_t* const* images, int imageCount)
    : folder(folder), packPrefix(packPrefix), builtIn(builtIn), images(images), imageCount(imageCount) {}

CYolString CPluginShared::UiString(int id) {
    std::lock_guard guard(lock);
    CYolString text;
    if (language)
        language->GetString(id, text);
    else
        builtIn(id, text);
    return text;
}

int CPluginShared::Join(Services::CServicesManager* manager) {
    std::lock_guard guard(lock);
    if (!language)
        language = std::make_unique<MUI::CYolWMMUI_Controller>(CYolPath::GetProtoDir(CYolString(folder)),
                                                               CYolString(packPrefix), CYolString(u"English"),
                                                               builtIn);
    if (imageIds.Count() == 0) {
        if (Skins::CSkinManager* skins = Skin(manager))
            for (int i = 0; i < imageCount; ++i)
                imageIds.Add(static_cast<unsigned int>(skins->RegisterImage(CYolString(images[i]))));
    }
    return ++accounts;
}

int CPluginShared::Leave(Services::CServicesManager* manager) {
    std::lock_guard guard(lock);
    if (accounts > 0)
        --accounts;
    if (accounts > 0)
        return accounts;
    if (Skins::CSkinManager* skins = Skin(manager))
        for (int i = imageIds.Count() - 1; i >= 0; --i)
            skins->ReleaseImage(static_cast<int>(imageIds[i]));
    imageIds = CYolArray<unsigned int>();
    language.reset();
    return 0;
}

unsigned int CPluginShared::ImageId(int index) {
    std::lock_guard guard(lock);
    return index >= 0 && index < imageIds.Count() ? imageIds[index] : 0;
}

CYolArray<unsigned int> CPluginShared::ImageIds() {
    std::lock_guard guard(lock);
    return imageIds;
}

void CPluginShared::ChangeLanguage(const CYolString& language) {
    {
        std::lock_guard guard(lock);
        if (this->language)
            this->language->ChangeLang(language);
    }
    Protocols::TellLanguageChanged();
}
