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

#include <atomic>

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
    // Forwards to the process's window-less defaults below until the UI
    // hands over its own objects (SetImageStore, SetColourSource).
    explicit CSkinManagerImpl(Services::CServicesManager* manager);
    ~CSkinManagerImpl();
    CSkinManagerImpl(const CSkinManagerImpl&) = delete;
    CSkinManagerImpl& operator=(const CSkinManagerImpl&) = delete;

    int RegisterImage(const CYolString& fileName) override;
    void ReleaseImage(int imageId) override;
    CYolString& GetLanguage(CYolString& out) override;
    HBRUSH GetBkBrush() override;
    COLORREF GetTextColor() override;

    // From now on images are registered with and released to `store` (the
    // UI's skin image manager), which must outlive the binding; null goes
    // back to the store given at construction. Ids handed out before stay
    // with the store that gave them, so the UI binds its store before the
    // plug-ins load.
    void SetImageStore(CSkinImageStore* store);
    // The same for the background brush and text colour.
    void SetColourSource(CSkinColourSource* source);

    // One image store, language ("English" at first) and colour set per
    // process, made at first use.
    static CSkinImageStoreModel& DefaultImages();
    static CLanguageHolder& DefaultLanguage();
    static CSkinColourHolder& DefaultColours();

private:
    Services::CServicesManager* manager;
    unsigned int serviceKey = 0;
    CSkinImageStore& ownImages;
    CLanguageSource& language;
    CSkinColourSource& ownColours;
    // Plug-ins call in from their own threads while the UI rebinds.
    std::atomic<CSkinImageStore*> images;
    std::atomic<CSkinColourSource*> colours;
};

}  // namespace Skins
