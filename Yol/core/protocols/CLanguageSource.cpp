#include "CLanguageSource.h"

namespace Skins {

CYolString CLanguageHolder::GetLanguageName() const {
    std::lock_guard<std::mutex> guard(lock);
    return name;
}

void CLanguageHolder::SetLanguageName(const CYolString& newName) {
    std::lock_guard<std::mutex> guard(lock);
    name = newName;
}

}  // namespace Skins
