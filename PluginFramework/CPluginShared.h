#pragma once
// What every account of one plug-in shares: the plug-in's language
// controller (its own language pack beside the plug-in) and the skin images
// it registers. The first account that joins makes them; the last one that
// leaves lets them go.
//
// Any thread: one lock guards it, and a plug-in may keep state of its own
// under the same lock (Lock()).

#include "CServicesManager.h"
#include "CYolArray.h"
#include "CYolString.h"
#include "YolWMMUI_Controller.h"

#include <memory>
#include <mutex>

class CPluginShared {
public:
    // `folder` names the plug-in's folder in Protos/, `packPrefix` its
    // language packs ("<prefix><Language>"); `images` lists the skin image
    // names it registers, in the order of their indexes.
    CPluginShared(const char16_t* folder, const char16_t* packPrefix, MUI::GetStringFunc builtIn,
                  const char16_t* const* images, int imageCount);

    // From the language pack once an account joined, else the built-in text.
    CYolString UiString(int id);
    // Both answer the number of accounts joined afterwards.
    int Join(Services::CServicesManager* manager);
    int Leave(Services::CServicesManager* manager);
    // 0 for an index outside the images or before they are registered.
    unsigned int ImageId(int index);
    CYolArray<unsigned int> ImageIds();
    // Then every open page and dialog of the plug-in takes its texts again.
    void ChangeLanguage(const CYolString& language);

    std::recursive_mutex& Lock() { return lock; }

private:
    const char16_t* folder;
    const char16_t* packPrefix;
    MUI::GetStringFunc builtIn;
    const char16_t* const* images;
    int imageCount;

    std::recursive_mutex lock;
    int accounts = 0;
    std::unique_ptr<MUI::CYolWMMUI_Controller> language;
    CYolArray<unsigned int> imageIds;
};
