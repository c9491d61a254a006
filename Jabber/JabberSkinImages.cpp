#include "JabberSkinImages.h"

#include "CSkinManager.h"
#include "YolGuids.h"

namespace JabberSkin {
namespace {
Skins::CSkinManager* Service(Services::CServicesManager* manager) {
    return manager ? static_cast<Skins::CSkinManager*>(manager->GetService(SkinManagerGuid)) : nullptr;
}
}  // namespace

int RegisterImage(Services::CServicesManager* manager, const CYolString& fileName) {
    Skins::CSkinManager* skins = Service(manager);
    return skins ? skins->RegisterImage(fileName) : -1;
}

void ReleaseImage(Services::CServicesManager* manager, int imageId) {
    if (Skins::CSkinManager* skins = Service(manager))
        skins->ReleaseImage(imageId);
}

}  // namespace JabberSkin
