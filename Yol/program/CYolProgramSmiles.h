#pragma once
// The program's smiley set behind the application's port: the pack loads on
// its own thread and becomes the set every window draws from; its end is
// told through the application's callback, on the loader thread.

#include "AppPorts.h"
#include "CYolWMSmile_Set.h"

#include <memory>

namespace UI {

class CYolProgramSmiles final : public MYolWMApp_Smiles, public MYolWMSmile_LoadCompleteObserver {
public:
    ~CYolProgramSmiles();

    void Load(const CYolString& pack, LoadComplete done, void* context) override;
    void Unload() override;
    void OnSmileLoadComplete(Smile::CYolWMSmile_Set* set) override;

private:
    std::unique_ptr<Smile::CYolWMSmile_Set> set;
    LoadComplete done = nullptr;
    void* context = nullptr;
};

}  // namespace UI
