#pragma once
// The libraries whose code a dialog's panes run: a plug-in's panes are
// objects of the plug-in's own classes, so the plug-in's library must stay
// loaded until the dialog has deleted the last of them. The dialog pins the
// library of each pane it takes and lets go once every pane is gone; the
// protocols manager may then unload it as usual.
//
// UI thread only.

#include <vector>

namespace UI {

class CYolWMUI_PaneModules {
public:
    CYolWMUI_PaneModules() = default;
    CYolWMUI_PaneModules(const CYolWMUI_PaneModules&) = delete;
    CYolWMUI_PaneModules& operator=(const CYolWMUI_PaneModules&) = delete;
    ~CYolWMUI_PaneModules();

    // Holds the library that holds the object's class (the object's
    // dynamic type); nothing for the program's own objects.
    void Pin(const void* object);
    // Lets go of every library held; call only after the panes are deleted.
    void ReleaseAll();
    int Count() const { return static_cast<int>(handles.size()); }

private:
    std::vector<void*> handles;
};

} // namespace UI
