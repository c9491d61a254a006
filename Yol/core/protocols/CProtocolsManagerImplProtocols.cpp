// Plug-in discovery and the protocol table.

#include "CProtocolsManagerImpl.h"

#include "CProtocolsManagerImplShared.h"
#include "PluginExportTypes.h"

#include "CSkinManager.h"
#include "CYolFileSystem.h"

#include <thread>

namespace Protocols {

namespace {

Skins::CSkinManager* SkinService(Services::CServicesManager* services) {
    if (services == nullptr)
        return nullptr;
    return static_cast<Skins::CSkinManager*>(services->GetService(SkinManagerGuid));
}

}  // namespace

bool ProtocolGuidLess::operator()(const YOL_GUID& a, const YOL_GUID& b) const {
    if (a == b)
        return false;
    // Pinned places, in the order they are checked: true puts a first.
    struct Pin {
        const YOL_GUID& id;
        bool first;
    };
    static const Pin pins[] = {
        {JabberYolProtocolGuid, true},
        {RuvProtocolGuid, true},
        {JabberProtocolGuid, false},
    };
    for (const Pin& pin : pins) {
        if (a == pin.id)
            return pin.first;
        if (b == pin.id)
            return !pin.first;
    }
    return a < b;
}

int CProtocolsManagerImpl::DiscoverProtocols() {
    // A plug-in that asks for the table while it is being asked for its
    // protocols sees the table as it was.
    if (scanningThread.load(std::memory_order_acquire) == std::this_thread::get_id())
        return 0;
    std::lock_guard<std::mutex> scan(scanLock);
    return ScanLocked();
}

// Readers that come while the first scan runs wait for it, rather than
// finding the empty table of a manager that has not looked yet.
void CProtocolsManagerImpl::EnsureScanned() {
    if (!scanNeeded.load(std::memory_order_acquire) ||
        scanningThread.load(std::memory_order_acquire) == std::this_thread::get_id())
        return;
    std::lock_guard<std::mutex> scan(scanLock);
    if (scanNeeded.load(std::memory_order_acquire))
        ScanLocked();
}

bool CProtocolsManagerImpl::LoadPlugin(CYolDll& dll, const CYolString& file, const CYolString& folder) {
    std::lock_guard<std::mutex> guard(libraryLock);
    return dll.Load(file, folder);
}

void CProtocolsManagerImpl::UnloadPlugin(CYolDll& dll) {
    std::lock_guard<std::mutex> guard(libraryLock);
    dll.Unload();
}

// The new table is built aside and put in place at the end, so readers see
// either the old table or the whole new one, and plug-in code never runs
// under the table lock.
int CProtocolsManagerImpl::ScanLocked() {
    scanningThread.store(std::this_thread::get_id(), std::memory_order_release);
    ProtocolTable fresh;
    CYolMap<YOL_GUID, CYolString> icons;  // the first icon name reported for each GUID
    int reported = 0;

    CYolArray<CYolString> folders;
    CYolFileSystem::GetDirectoryFiles(protocolsFolder, CYolFileSystem::ListFolders, folders);
    for (const CYolString& name : folders) {
        CYolString folder = protocolsFolder + name + u"/";
        CYolString file = name + u".so";
        CYolDll dll;
        if (!LoadPlugin(dll, file, folder))
            continue;
        auto getInfo = FindExport<GetProtocolInfoFuncPtr>(dll, GetProtocolInfoFuncName);
        bool complete = getInfo != nullptr && FindExport<CreateAccountFuncPtr>(dll, CreateAccountFuncName) != nullptr &&
                        FindExport<DestroyAccountFuncPtr>(dll, DestroyAccountFuncName) != nullptr;
        if (complete) {
            // Destroyed before the library goes: its elements were built by
            // the plug-in's code.
            CYolArray<ProtocolInfo> list;
            list.SetGrowStep(10);
            getInfo(services, list);
            for (const ProtocolInfo& info : list) {
                ++reported;
                try {
                    auto entry = std::make_shared<ProtocolEntry>();
                    entry->id = info.id;
                    entry->name = info.name;
                    entry->displayName = info.displayName;
                    entry->description = info.description;
                    entry->authors = info.authors;
                    entry->pluginName = info.pluginName;
                    entry->loginSuffixes = info.loginSuffixes;
                    entry->dllFile = file;
                    entry->folder = folder;
                    fresh.Insert(info.id, std::move(entry));
                    icons.Insert(info.id, info.iconFile);
                } catch (const std::bad_alloc&) {
                    // That entry is lost; the scan goes on.
                }
            }
        }
        UnloadPlugin(dll);
    }

    if (Skins::CSkinManager* skins = SkinService(services)) {
        for (auto [id, entry] : fresh) {
            const CYolString* icon = icons.Find(id);
            if (icon != nullptr && !icon->IsEmpty())
                entry->imageId = skins->RegisterImage(*icon);
        }
    }

    std::vector<std::shared_ptr<ProtocolEntry>> replaced;
    {
        CYolCriticalSection::Guard guard(protocolLock);
        for (auto [id, entry] : protocols) {
            replaced.push_back(entry);
            retiredProtocols.push_back(entry);
        }
        protocols = std::move(fresh);
    }
    scanNeeded.store(false, std::memory_order_release);
    scanningThread.store(std::thread::id(), std::memory_order_release);
    // The new table holds its own references on the same icons.
    ReleaseImages(replaced);
    return reported;
}

void CProtocolsManagerImpl::ReleaseImages(const std::vector<std::shared_ptr<ProtocolEntry>>& entries) {
    Skins::CSkinManager* skins = SkinService(services);
    if (skins == nullptr)
        return;
    for (const auto& entry : entries) {
        if (entry->imageId != -1)
            skins->ReleaseImage(entry->imageId);
    }
}

int CProtocolsManagerImpl::GetProtocolCount() {
    EnsureScanned();
    CYolCriticalSection::Guard guard(protocolLock);
    return static_cast<int>(protocols.Count());
}

std::shared_ptr<ProtocolEntry> CProtocolsManagerImpl::FindEntry(const YOL_GUID& id) {
    EnsureScanned();
    CYolCriticalSection::Guard guard(protocolLock);
    const std::shared_ptr<ProtocolEntry>* entry = protocols.Find(id);
    return entry != nullptr ? *entry : nullptr;
}

const ProtocolEntry* CProtocolsManagerImpl::FindProtocol(const YOL_GUID& id) {
    return FindEntry(id).get();
}

void CProtocolsManagerImpl::CopyRecord(ProtocolRecord& out, const ProtocolEntry& entry) {
    out.id = entry.id;
    out.imageId = entry.imageId;
    out.iconFile = CYolString();
    out.name = entry.name;
    out.displayName = entry.displayName;
    out.description = entry.description;
    out.authors = entry.authors;
    out.pluginName = entry.pluginName;
    out.loginSuffixes = entry.loginSuffixes;
}

namespace {

// The empty record: strings and suffixes only, id and image id untouched.
void ClearRecord(ProtocolRecord& out) {
    out.iconFile = CYolString();
    out.name = CYolString();
    out.displayName = CYolString();
    out.description = CYolString();
    out.authors = CYolString();
    out.pluginName = CYolString();
    out.loginSuffixes.Clear();
}

}  // namespace

void CProtocolsManagerImpl::GetProtocolInfo(ProtocolRecord& out, int index) {
    EnsureScanned();
    CYolCriticalSection::Guard guard(protocolLock);
    int at = 0;
    for (auto [id, entry] : protocols) {
        if (at++ == index) {
            CopyRecord(out, *entry);
            return;
        }
    }
    ClearRecord(out);
}

void CProtocolsManagerImpl::GetAccountProtocolInfo(ProtocolRecord& out, unsigned int account) {
    EnsureScanned();
    ClearRecord(out);
    CYolCriticalSection::Guard accountGuard(accountLock);
    const AccountInfo* info = Lookup(account);
    if (info == nullptr)
        return;
    CYolCriticalSection::Guard tableGuard(protocolLock);
    if (const std::shared_ptr<ProtocolEntry>* entry = protocols.Find(info->protocol))
        CopyRecord(out, **entry);
}

}  // namespace Protocols
