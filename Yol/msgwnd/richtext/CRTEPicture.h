#pragma once
// An inline picture of a rich-text paragraph (a message icon, a separator
// line, an animated smiley). The paragraph only refers to it: the owner of
// the document keeps it alive for as long as any paragraph shows it.

#include "PlatformTypes.h"

namespace RTE {

class CRTEPicture {
public:
    // Size in device pixels.
    virtual void GetSize(SIZE* size) = 0;
    virtual void Draw(HDC hdc, POINT topLeft) = 0;
    // What stands for the picture when text is copied or exported; never null.
    virtual const char16_t* GetText() = 0;
    virtual ~CRTEPicture() = default;
};

} // namespace RTE
