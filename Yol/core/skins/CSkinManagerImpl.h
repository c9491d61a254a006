#pragma once
// Skins::CSkinManagerImpl: the skin service, found as SkinManagerGuid. A thin
// adapter that lets the plug-ins use the program's skin images, the current
// interface language and the skin colours without linking against the
// program: each operation forwards to the application object that owns it.
//
// Plug-ins see it only as the interface Skins::CSkinManager (CSkinManager.h)
// and never link against this class.

#include "CLanguageSource.h"
#include "CSkinManager.h"
#include "CSkinColourSource.h"
#include "CSkinImageStore.h"
#include "CYolString.h"

namespace Services {
class CServicesManager;
}

namespace Skins {

class CSkinManagerImpl final : public CSkinManager {
public:
    // Registers the service (not when `manager` is null) and forwards to the
    // given objects, which must outlive it.
    CSkinManagerImpl(Services::CServicesManager* manager, CSkinImageStore& images, CLanguageSource& language,
                     CSkinColourSource& colours);
    // Forwards to the process's window-less defaults below, for a program
    // whose UI has not handed over its own objects.
    explicit CSkinManagerImpl(Services::CServicesManager* manager);
    ~CSkinManagerImpl();
    CSkinManagerImpl(const CSkinManagerImpl&) = delete;
    CSkinManagerImpl& operator=(const CSkinManagerImpl&) = delete;

    int RegisterImage(const CYolString& fileName) override;
    void ReleaseImage(int imageId) override;
    CYolString& GetLanguage(CYolString& out) override;
    HBRUSH GetBkBrush() override;
    COLORREF GetTextColor() override;

    // One image store, language ("English" at first) and colour set per
    // process, made at first use.
    static CSkinImageStoreModel& DefaultImages();
    static CLanguageHolder& DefaultLanguage();
    static CSkinColourHolder& DefaultColours();

private:
    Services::CServicesManager* manager;
    unsigned int serviceKey = 0;
    CSkinImageStore& images;
    CLanguageSource& language;
    CSkinColourSource& colours;
};

}  // namespace Skins
