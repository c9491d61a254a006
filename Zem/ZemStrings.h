#pragma once
// The MRIM plug-in's built-in English texts (the language "English" of its
// language controller) and the directory's id maps: country, zodiac sign
// and gender ids to string ids. The maps are fixed data, built once and
// shared read-only by every account.

#include "CYolString.h"

#include <map>

namespace ZemStrings {
inline constexpr int kCount = 221;
}

bool ZemDefaultUiString(int id, CYolString& out);

struct ZemIdMaps {
    std::map<unsigned int, unsigned int> gender;
    std::map<unsigned int, unsigned int> zodiac;
    std::map<unsigned int, unsigned int> country;

    static const ZemIdMaps& Shared();
    static bool Lookup(const std::map<unsigned int, unsigned int>& map, unsigned int id, unsigned int& stringId);
};
