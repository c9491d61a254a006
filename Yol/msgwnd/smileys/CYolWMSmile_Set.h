#pragma once
// The loaded smiley pack: one CYolWMSmile per line of the pack's
// "_define.ini", paired in order with the pack's GIF files sorted by name.
// A smiley's index is its identity everywhere in the program.
//
// The pack loads on a thread of its own ("Smile::LoadSmileSet"), which tells
// the load-complete observer on that thread when it is done. Until then the
// set is "loading" and reads as empty; the smileys are published in one step
// at the end. A load that fails (no definition file, no GIF) ends as loaded
// and empty, without a notice. Destroying the set while it loads asks the
// thread to stop after the smiley it is making and waits for it.

#include "CYolWMSmile.h"

#include "CYolArray.h"
#include "CYolString.h"
#include "CYolThread.h"

#include <atomic>
#include <memory>

namespace Smile {
class CYolWMSmile_Set;
}

namespace UI {

class MYolWMSmile_LoadCompleteObserver {
public:
    // On the loader thread: hand the news to the UI thread and return.
    virtual void OnSmileLoadComplete(Smile::CYolWMSmile_Set* set) = 0;

protected:
    ~MYolWMSmile_LoadCompleteObserver() = default;
};

} // namespace UI

namespace Smile {

class CYolWMSmile_Set {
public:
    // An empty set without a loader: smileys switched off.
    CYolWMSmile_Set();
    // Starts loading the pack folder Smilies/<pack>/ of the program folder.
    CYolWMSmile_Set(const CYolString& pack, UI::MYolWMSmile_LoadCompleteObserver* observer);
    ~CYolWMSmile_Set();
    CYolWMSmile_Set(const CYolWMSmile_Set&) = delete;
    CYolWMSmile_Set& operator=(const CYolWMSmile_Set&) = delete;

    // Waits at most `ms` for the loader to end; true when none runs.
    bool WaitForLoader(unsigned int ms) { return !loader || loader->WaitTermination(ms); }
    // While the loader runs.
    bool IsLoading() const { return loading.load(std::memory_order_acquire); }
    // Not loading and holding at least one smiley.
    bool IsLoaded() const { return !IsLoading() && Count() > 0; }
    // 0 while loading.
    int Count() const { return IsLoading() ? 0 : smiles.Count(); }
    // Null for an index the set does not have.
    const CYolWMSmile* Get(int index) const;

    // The set the windows draw from (the application's); null when none.
    static CYolWMSmile_Set* Current();
    static void SetCurrent(CYolWMSmile_Set* set);

private:
    friend unsigned long LoadSmileSet(void* argument);
    void Load(const CYolString& pack);

    CYolArray<CYolWMSmile*> smiles;
    std::atomic<bool> loading{false};
    UI::MYolWMSmile_LoadCompleteObserver* observer = nullptr;
    std::unique_ptr<CYolThread> loader;
};

// The loader thread's entry; the argument is the set.
unsigned long LoadSmileSet(void* argument);

} // namespace Smile
