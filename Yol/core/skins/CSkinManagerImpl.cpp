#include "CSkinManagerImpl.h"

#include "CServicesManager.h"
#include "YolGuids.h"

namespace Skins {

CSkinManagerImpl::CSkinManagerImpl(Services::CServicesManager* servicesManager, CSkinImageStore& imageStore,
                                   CLanguageSource& languageSource, CSkinColourSource& colourSource)
    : manager(servicesManager),
      ownImages(imageStore),
      language(languageSource),
      ownColours(colourSource),
      images(&imageStore),
      colours(&colourSource) {
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

void CSkinManagerImpl::SetImageStore(CSkinImageStore* store) { images.store(store != nullptr ? store : &ownImages); }

void CSkinManagerImpl::SetColourSource(CSkinColourSource* source) {
    colours.store(source != nullptr ? source : &ownColours);
}

int CSkinManagerImpl::RegisterImage(const CYolString& fileName) { return images.load()->Register(fileName); }

void CSkinManagerImpl::ReleaseImage(int imageId) { images.load()->Release(imageId); }

CYolString& CSkinManagerImpl::GetLanguage(CYolString& out) {
    out = language.GetLanguageName();
    return out;
}

HBRUSH CSkinManagerImpl::GetBkBrush() { return colours.load()->GetBackgroundBrush(); }

COLORREF CSkinManagerImpl::GetTextColor() { return colours.load()->GetTextColour(); }

}  // namespace Skins
