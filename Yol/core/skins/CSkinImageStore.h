#pragma once
// The application's store of skin images, as the skin service forwards to
// it: images are asked for by file name (relative to the skin folder, such as
// "Clients/" and a picture name) and handed out as small ids that the
// program's and the plug-ins' image lists share.
//
// Rules every store keeps: a name already known (built in, or registered
// before) gains a reference and keeps its id; a new name is appended with one
// reference and the next id; at zero references the loaded image is freed,
// but the entry and its id stay, so a later Register brings it back under
// the same id.

#include "CYolString.h"

#include <mutex>
#include <vector>

namespace Skins {

class CSkinImageStore {
public:
    virtual int Register(const CYolString& fileName) = 0;
    // One reference less; ids the store never gave, or with no reference
    // left, are ignored.
    virtual void Release(int imageId) = 0;

protected:
    ~CSkinImageStore() = default;
};

// Makes and frees the pictures themselves; the windowed program supplies one.
class CSkinImageLoader {
public:
    // Null when the image cannot be loaded; the entry is kept all the same.
    virtual void* Load(const CYolString& fileName) = 0;
    virtual void Free(void* image) = 0;

protected:
    ~CSkinImageLoader() = default;
};

// The store's bookkeeping, with or without a loader for the pictures.
// Thread-safe: plug-ins register images from their own threads.
class CSkinImageStoreModel final : public CSkinImageStore {
public:
    // The built-in names take ids 0, 1, ... and keep one reference of the
    // program's own for as long as the store lives.
    explicit CSkinImageStoreModel(const std::vector<CYolString>& builtInNames = {},
                                  CSkinImageLoader* loader = nullptr);
    ~CSkinImageStoreModel();
    CSkinImageStoreModel(const CSkinImageStoreModel&) = delete;
    CSkinImageStoreModel& operator=(const CSkinImageStoreModel&) = delete;

    int Register(const CYolString& fileName) override;
    void Release(int imageId) override;

    int Count() const;
    // -1 for an unknown id.
    int GetRefCount(int imageId) const;
    // True while the entry holds references (and the loader, if any, gave an
    // image).
    bool IsLoaded(int imageId) const;
    // The loader's image, null when not loaded or without a loader.
    void* GetImage(int imageId) const;
    // Empty for an unknown id.
    CYolString GetName(int imageId) const;

private:
    struct Entry {
        CYolString name;
        int refs = 0;
        bool loaded = false;
        void* image = nullptr;
    };

    void LoadEntry(Entry& entry);
    const Entry* At(int imageId) const;

    CSkinImageLoader* loader;
    mutable std::mutex lock;
    std::vector<Entry> entries;
};

}  // namespace Skins
