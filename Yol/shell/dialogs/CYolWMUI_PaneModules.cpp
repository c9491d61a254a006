#include "CYolWMUI_PaneModules.h"

#include <dlfcn.h>

namespace UI {

CYolWMUI_PaneModules::~CYolWMUI_PaneModules() { ReleaseAll(); }

void CYolWMUI_PaneModules::Pin(const void* object) {
    if (object == nullptr)
        return;
    // A polymorphic object starts with its class's table, which lives in the
    // library that defines the class.
    const void* table = *static_cast<const void* const*>(object);
    Dl_info info{};
    if (dladdr(table, &info) == 0 || info.dli_fname == nullptr)
        return;
    void* self = dlopen(nullptr, RTLD_NOW);
    // RTLD_NOLOAD takes one more reference on the library already loaded.
    void* handle = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    if (self != nullptr)
        dlclose(self);
    if (handle == nullptr)
        return;
    if (handle == self) {
        dlclose(handle);
        return;
    }
    handles.push_back(handle);
}

void CYolWMUI_PaneModules::ReleaseAll() {
    while (!handles.empty()) {
        void* handle = handles.back();
        handles.pop_back();
        dlclose(handle);
    }
}

} // namespace UI
