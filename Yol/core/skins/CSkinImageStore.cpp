#include "CSkinImageStore.h"

namespace Skins {

CSkinImageStoreModel::CSkinImageStoreModel(const std::vector<CYolString>& builtInNames, CSkinImageLoader* imageLoader)
    : loader(imageLoader) {
    for (const CYolString& name : builtInNames) {
        Entry entry;
        entry.name = name;
        entry.refs = 1;
        LoadEntry(entry);
        entries.push_back(std::move(entry));
    }
}

CSkinImageStoreModel::~CSkinImageStoreModel() {
    for (Entry& entry : entries)
        if (loader != nullptr && entry.image != nullptr)
            loader->Free(entry.image);
}

void CSkinImageStoreModel::LoadEntry(Entry& entry) {
    entry.image = loader != nullptr ? loader->Load(entry.name) : nullptr;
    entry.loaded = loader == nullptr || entry.image != nullptr;
}

int CSkinImageStoreModel::Register(const CYolString& fileName) {
    std::lock_guard<std::mutex> guard(lock);
    for (size_t id = 0; id < entries.size(); ++id) {
        Entry& entry = entries[id];
        if (entry.name != fileName)
            continue;
        if (entry.refs++ == 0)
            LoadEntry(entry);
        return static_cast<int>(id);
    }
    Entry entry;
    entry.name = fileName;
    entry.refs = 1;
    LoadEntry(entry);
    entries.push_back(std::move(entry));
    return static_cast<int>(entries.size() - 1);
}

void CSkinImageStoreModel::Release(int imageId) {
    std::lock_guard<std::mutex> guard(lock);
    if (imageId < 0 || static_cast<size_t>(imageId) >= entries.size())
        return;
    Entry& entry = entries[imageId];
    if (entry.refs == 0 || --entry.refs != 0)
        return;
    if (loader != nullptr && entry.image != nullptr)
        loader->Free(entry.image);
    entry.image = nullptr;
    entry.loaded = false;
}

const CSkinImageStoreModel::Entry* CSkinImageStoreModel::At(int imageId) const {
    if (imageId < 0 || static_cast<size_t>(imageId) >= entries.size())
        return nullptr;
    return &entries[imageId];
}

int CSkinImageStoreModel::Count() const {
    std::lock_guard<std::mutex> guard(lock);
    return static_cast<int>(entries.size());
}

int CSkinImageStoreModel::GetRefCount(int imageId) const {
    std::lock_guard<std::mutex> guard(lock);
    const Entry* entry = At(imageId);
    return entry != nullptr ? entry->refs : -1;
}

bool CSkinImageStoreModel::IsLoaded(int imageId) const {
    std::lock_guard<std::mutex> guard(lock);
    const Entry* entry = At(imageId);
    return entry != nullptr && entry->loaded;
}

void* CSkinImageStoreModel::GetImage(int imageId) const {
    std::lock_guard<std::mutex> guard(lock);
    const Entry* entry = At(imageId);
    return entry != nullptr ? entry->image : nullptr;
}

CYolString CSkinImageStoreModel::GetName(int imageId) const {
    std::lock_guard<std::mutex> guard(lock);
    const Entry* entry = At(imageId);
    return entry != nullptr ? entry->name : CYolString();
}

}  // namespace Skins
