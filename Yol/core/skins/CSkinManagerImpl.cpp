#include "CSkinManagerImpl.h"

#include "CServicesManager.h"
#include "YolGuids.h"

namespace Skins {

CSkinManagerImpl::CSkinManagerImpl(Services::CServicesManager* servicesManager, CSkinImageStore& imageStore,
                                   CLanguageSource& languageSource, CSkinColourSource& colourSource)
    : manager(servicesManager), images(imageStore), language(languageSource), colours(colourSource) {
    if (manager != nullptr)
        serviceKey = manager->RegisterService(SkinManagerGuid, static_cast<CSkinManager*>(this));
}

CSkinManagerImpl::CSkinManagerImpl(Services::CServicesManager* servicesManager)
    : CSkinManagerImpl(servicesManager, DefaultImages(), DefaultLanguage(), DefaultColours()) {}

CSkinImageStoreModel& CSkinManagerImpl::DefaultImages() {
    static CSkinImageStoreModel store;
    return store;
}

CLanguageHolder& CSkinManagerImpl::DefaultLanguage() {
    static CLanguageHolder holder;
    return holder;
}

CSkinColourHolder& CSkinManagerImpl::DefaultColours() {
    static CSkinColourHolder holder;
    return holder;
}

CSkinManagerImpl::~CSkinManagerImpl() {
    if (manager != nullptr && serviceKey != 0)
        manager->UnregisterService(serviceKey);
}

int CSkinManagerImpl::RegisterImage(const CYolString& fileName) { return images.Register(fileName); }

void CSkinManagerImpl::ReleaseImage(int imageId) { images.Release(imageId); }

CYolString& CSkinManagerImpl::GetLanguage(CYolString& out) {
    out = language.GetLanguageName();
    return out;
}

HBRUSH CSkinManagerImpl::GetBkBrush() { return colours.GetBackgroundBrush(); }

COLORREF CSkinManagerImpl::GetTextColor() { return colours.GetTextColour(); }

}  // namespace Skins
