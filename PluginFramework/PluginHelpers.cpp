#include "PluginHelpers.h"

#include "WindowSystem/WindowModule.h"

#include <cstring>

namespace Protocols {

bool GetDefaultUiString(std::span<const char* const> table, int id, CYolString& out) {
    if (id < 0 || static_cast<size_t>(id) >= table.size() || table[id] == nullptr)
        return false;
    const char* text = table[id];
    out = CYolString(text, static_cast<int>(std::strlen(text)), YOL_CP_UTF8);
    return true;
}

HINSTANCE GetPluginModule() {
    static Platform::Module module{"protocol plug-in"};
    return &module;
}

}  // namespace Protocols
