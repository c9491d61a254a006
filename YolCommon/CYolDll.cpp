#include "CYolDll.h"
#include "CYolPath.h"

#include <dlfcn.h>

namespace {

CYolString LoaderError(const char* fallback) {
    const char* text = dlerror();
    return CYolString::FromUtf8(text ? text : fallback);
}

} // namespace

bool CYolDll::Load(const CYolString& fileName, const CYolString& folder) {
    std::string native = CYolPath::ToNative(folder + fileName);
    if (native.empty()) {
        lastError = u"empty library path";
        return false;
    }
    // dlopen searches the library path for a bare name; a plug-in or pack is
    // only ever taken from the folder we were given.
    if (native.find('/') == std::string::npos)
        native = "./" + native;
    dlerror();
    void* loaded = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!loaded) {
        lastError = LoaderError("cannot load library");
        return false;
    }
    if (handle)
        dlclose(handle);
    handle = loaded;
    lastError = CYolString();
    return true;
}

void* CYolDll::GetProcAddressW(const CYolString& name) {
    if (!handle || name.IsEmpty())
        return nullptr;
    dlerror();
    void* address = dlsym(handle, name.ToUtf8().c_str());
    lastError = address ? CYolString() : LoaderError("symbol not found");
    return address;
}

bool CYolDll::Unload() {
    if (!handle)
        return false;
    dlclose(handle);
    handle = nullptr;
    return true;
}
