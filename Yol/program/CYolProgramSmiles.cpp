#include "CYolProgramSmiles.h"

#include "CYolWMApp.h"
#include "CYolWMSmile_Anim.h"

namespace UI {

CYolProgramSmiles::~CYolProgramSmiles() { Unload(); }

// The animation driver's window lives under the main window, which exists
// by the time the tool set asks for the pack.
void CYolProgramSmiles::Load(const CYolString& pack, LoadComplete callback, void* callbackContext) {
    Unload();
    if (CYolWMApp* app = CYolWMApp::Instance()) {
        Smile::SetScaleSmile(app->Prefs().ScaleSmile != 0);
        Smile::CYolWMSmile_Anim::SetHostWindow(app->GetWindow());
    }
    done = callback;
    context = callbackContext;
    set = std::make_unique<Smile::CYolWMSmile_Set>(pack, this);
    Smile::CYolWMSmile_Set::SetCurrent(set.get());
}

void CYolProgramSmiles::Unload() {
    if (Smile::CYolWMSmile_Set::Current() == set.get())
        Smile::CYolWMSmile_Set::SetCurrent(nullptr);
    set.reset();
}

void CYolProgramSmiles::OnSmileLoadComplete(Smile::CYolWMSmile_Set*) {
    if (done != nullptr)
        done(context);
}

}  // namespace UI
