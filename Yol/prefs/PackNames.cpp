#include "PackNames.h"

bool IsPlainEntryName(const CYolString& name) {
    if (name.Length() == 0 || name == u"." || name == u"..")
        return false;
    const char16_t* units = name.c_str();
    for (int i = 0; i < name.Length(); ++i)
        if (units[i] == u'/' || units[i] == u'\\' || units[i] == 0)
            return false;
    return true;
}
