// The registry of dialog templates.

#include "DialogTemplate.h"

#include <map>
#include <mutex>
#include <utility>

namespace {

struct Templates {
    std::mutex m;
    std::map<std::pair<HINSTANCE, int>, DialogTemplate> byKey;
};

Templates& TheTemplates()
{
    static Templates* templates = new Templates;
    return *templates;
}

} // namespace

void RegisterDialogTemplate(HINSTANCE module, int id, const DialogTemplate& dialog)
{
    Templates& t = TheTemplates();
    std::lock_guard<std::mutex> lock(t.m);
    t.byKey[{module, id}] = dialog;
}

bool UnregisterDialogTemplate(HINSTANCE module, int id)
{
    Templates& t = TheTemplates();
    std::lock_guard<std::mutex> lock(t.m);
    return t.byKey.erase({module, id}) > 0;
}

bool FindDialogTemplate(HINSTANCE module, int id, DialogTemplate* out)
{
    Templates& t = TheTemplates();
    std::lock_guard<std::mutex> lock(t.m);
    auto it = t.byKey.find({module, id});
    if (it == t.byKey.end())
        return false;
    if (out)
        *out = it->second;
    return true;
}
