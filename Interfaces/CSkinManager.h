#pragma once
// Skins::CSkinManager: what the skin service (SkinManagerGuid) offers the
// plug-ins. Plug-ins cast the registered pointer to this interface and call
// through its table of operations, so the order of the five operations is
// fixed and the header needs nothing of the program's code.

#include "CYolString.h"
#include "PlatformTypes.h"

namespace Skins {

class CSkinManager {
public:
    // A known name gains a reference and keeps its id; a new one is appended.
    virtual int RegisterImage(const CYolString& fileName) = 0;
    // One reference less; at zero the image is freed, its id stays.
    virtual void ReleaseImage(int imageId) = 0;
    // Copies the current interface language's name into `out`.
    virtual CYolString& GetLanguage(CYolString& out) = 0;
    virtual HBRUSH GetBkBrush() = 0;
    // Skin colour 22.
    virtual COLORREF GetTextColor() = 0;

protected:
    ~CSkinManager() = default;
};

}  // namespace Skins
