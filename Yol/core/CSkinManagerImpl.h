#pragma once
// Skins::CSkinManagerImpl: the skin service, found as SkinManagerGuid. A thin
// adapter that lets the plug-ins use the program's skin images, the current
// interface language and the skin colours without linking against the
// program: each operation forwards to the application object that owns it.
//
// Plug-ins cast the registered pointer to this class and call through its
// table of operations, so the order of the five virtual operations is fixed
// and nothing else in the class is virtual.

#include "CLanguageSource.h"
#include "CSkinColourSource.h"
#include "CSkinImageStore.h"
#include "CYolString.h"

namespace Services {
class CServicesManager;
}

namespace Skins {

class CSkinManagerImpl final {
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

    // A known name gains a reference and keeps its id; a new one is appended.
    virtual int RegisterImage(const CYolString& fileName);
    // One reference less; at zero the image is freed, its id stays.
    virtual void ReleaseImage(int imageId);
    // Copies the current interface language's name into `out`.
    virtual CYolString& GetLanguage(CYolString& out);
    virtual HBRUSH GetBkBrush();
    // Skin colour 22.
    virtual COLORREF GetTextColor();

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
