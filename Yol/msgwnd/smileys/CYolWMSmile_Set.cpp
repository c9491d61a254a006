#include "CYolWMSmile_Set.h"

#include "YolWMSmile_Define.h"

#include "CYolFile.h"
#include "CYolFileSystem.h"
#include "CYolPath.h"

#include <algorithm>
#include <vector>

namespace Smile {

namespace {

std::atomic<CYolWMSmile_Set*> g_current{nullptr};

// The loader thread's own copy of what it needs: the set only learns of the
// smileys when they are all made.
struct TLoadArgument {
    CYolWMSmile_Set* set;
    CYolString pack;
};

bool IsGif(const CYolString& name) {
    CYolString lower = name;
    lower.ToLower();
    return lower.Length() > 4 && lower.Substring(lower.Length() - 4, 4) == CYolString(u".gif");
}

// The pack's folder, forgiving letter case, with its trailing "/".
bool PackFolder(const CYolString& pack, CYolString& folder) {
    CYolString resolved;
    if (pack.IsEmpty() || pack.Find(0, u"/") >= 0 || pack == CYolString(u"..") ||
        !CYolPath::ResolveCaseInsensitive(CYolPath::AppDir() + CYolPath::SmiliesDir() + pack, resolved))
        return false;
    folder = resolved + CYolPath::Sep();
    return true;
}

} // namespace

CYolWMSmile_Set::CYolWMSmile_Set() {
    smiles.SetGrowStep(10);
}

CYolWMSmile_Set::CYolWMSmile_Set(const CYolString& pack, UI::MYolWMSmile_LoadCompleteObserver* watcher)
    : observer(watcher) {
    smiles.SetGrowStep(10);
    loading = true;
    auto* argument = new TLoadArgument{this, pack};
    loader = std::make_unique<CYolThread>(CYolString(u"Smile loader"), &LoadSmileSet, argument);
    if (!loader->Resume()) {
        delete argument;
        loading = false;
    }
}

CYolWMSmile_Set::~CYolWMSmile_Set() {
    // Stops the loader after the smiley it is making, and joins it.
    loader.reset();
    if (g_current.load() == this)
        g_current = nullptr;
    for (CYolWMSmile* smile : smiles)
        delete smile;
}

const CYolWMSmile* CYolWMSmile_Set::Get(int index) const {
    return index >= 0 && index < Count() ? smiles[index] : nullptr;
}

CYolWMSmile_Set* CYolWMSmile_Set::Current() {
    return g_current.load();
}

void CYolWMSmile_Set::SetCurrent(CYolWMSmile_Set* set) {
    g_current = set;
}

void CYolWMSmile_Set::Load(const CYolString& pack) {
    CYolString folder;
    std::vector<unsigned char> define;
    CYolString definePath;
    if (!PackFolder(pack, folder) ||
        !CYolPath::ResolveCaseInsensitive(folder + CYolPath::SmileDefFile(), definePath) ||
        !CYolFile::ReadAllBytes(definePath, define, kMaxDefineBytes) || define.empty())
        return;
    CYolArray<CYolString> names;
    CYolFileSystem::GetDirectoryFiles(folder, CYolFileSystem::ListFiles, names);
    std::vector<CYolString> gifs;
    for (const CYolString& name : names)
        if (IsGif(name))
            gifs.push_back(name);
    std::sort(gifs.begin(), gifs.end());
    const auto lines = ParseSmileDefine(define.data(), define.size(), static_cast<int>(gifs.size()));
    std::vector<std::unique_ptr<CYolWMSmile>> made;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (CYolThread::CurrentStopRequested())
            return;
        made.push_back(std::make_unique<CYolWMSmile>(folder + gifs[i], lines[i]));
    }
    smiles.Reserve(static_cast<int>(made.size()));
    for (auto& smile : made)
        smiles.Add(smile.release());
}

unsigned long LoadSmileSet(void* argument) {
    std::unique_ptr<TLoadArgument> own(static_cast<TLoadArgument*>(argument));
    CYolWMSmile_Set* set = own->set;
    const CYolString pack = own->pack;
    own.reset();
    set->Load(pack);
    const bool stopped = CYolThread::CurrentStopRequested();
    const bool loaded = set->smiles.Count() > 0;
    UI::MYolWMSmile_LoadCompleteObserver* observer = set->observer;
    set->loading.store(false, std::memory_order_release);
    // The set may be going away once it stops loading; only its address
    // travels with the notice.
    if (loaded && !stopped && observer != nullptr)
        observer->OnSmileLoadComplete(set);
    return loaded ? 0 : 1;
}

} // namespace Smile
