#pragma once
// Where the skin service reads the current interface language: the name the
// "Lang" preference holds, such as "English". The application object is the
// real source; CLanguageHolder keeps the name for a program without windows.

#include "CYolString.h"

#include <mutex>

namespace Skins {

class CLanguageSource {
public:
    virtual CYolString GetLanguageName() const = 0;

protected:
    ~CLanguageSource() = default;
};

// Thread-safe: the name is read from plug-in threads and changed by the UI.
class CLanguageHolder final : public CLanguageSource {
public:
    explicit CLanguageHolder(const CYolString& name = CYolString(u"English")) : name(name) {}

    CYolString GetLanguageName() const override;
    void SetLanguageName(const CYolString& newName);

private:
    mutable std::mutex lock;
    CYolString name;
};

}  // namespace Skins
