#pragma once
// The plug-in's way to the skin service's images. Kept apart from the code
// that uses the platform's window types: the skin service's header declares
// its own brush type.

#include "CServicesManager.h"
#include "CYolString.h"

namespace JabberSkin {

// The image id of a file name relative to the skin folder; -1 without the
// skin service.
int RegisterImage(Services::CServicesManager* manager, const CYolString& fileName);
// One reference less on an image; nothing without the skin service.
void ReleaseImage(Services::CServicesManager* manager, int imageId);

}  // namespace JabberSkin
