// A library that looks like a language pack by name but exports no
// MUI_GetString.
#include "YolTypes.h"

YOL_EXPORT_C int MUI_PackVersion() {
    return 1;
}
